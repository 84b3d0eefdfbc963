// Binds the program's system functions by library and exported name at their
// first call: the program's own folder is searched first, then the system's
// standard search, so a library shipped beside the program wins.
#include <mutex>
#include <vector>

#include "platform/binder.h"
#include "platform/toolkit.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_windows_h.h"

namespace platform {

namespace {

// The slots that hold a library, for the release at the end. A slot is bound
// by one thread only, but the watcher and the UI thread bind different slots
// at the same time, so the list itself needs the lock.
std::mutex gBoundLock;
std::vector<BoundFunction*> gBound;

HMODULE LoadBesideProgramOrBySearch(const char* library) {
  Text besideProgram = RunDirectory() + kPathSeparator + library;
  if (HMODULE module = ::LoadLibraryA(besideProgram.c_str())) return module;
  return ::LoadLibraryA(library);
}

}  // namespace

void* Bind(BoundFunction& entry) {
  if (entry.address != nullptr) return entry.address;

  HMODULE module = LoadBesideProgramOrBySearch(entry.library);
  if (module == nullptr) {
    FatalError(win32::WithSystemError(std::string("Can't load ") + entry.library + " for " +
                                      entry.name));
  }
  FARPROC address = ::GetProcAddress(module, entry.name);
  if (address == nullptr) {
    DWORD code = ::GetLastError();
    ::FreeLibrary(module);
    FatalError(win32::WithSystemError(std::string("Can't find ") + entry.name + " in " +
                                          entry.library,
                                      code));
  }
  entry.libraryHandle = module;
  entry.address = reinterpret_cast<void*>(address);
  std::lock_guard lock(gBoundLock);
  gBound.push_back(&entry);
  return entry.address;
}

void ReleaseBoundLibraries() {
  std::lock_guard lock(gBoundLock);
  for (BoundFunction* entry : gBound) {
    ::FreeLibrary(static_cast<HMODULE>(entry->libraryHandle));
    entry->libraryHandle = nullptr;
    entry->address = nullptr;
  }
  gBound.clear();
}

}  // namespace platform
