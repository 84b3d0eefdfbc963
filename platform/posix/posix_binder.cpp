// The binder on dlopen: the program's folder first, then the loader's own
// search.
#include <dlfcn.h>

#include <mutex>
#include <vector>

#include "platform/binder.h"
#include "platform/posix/program.h"
#include "platform/toolkit.h"

namespace platform {
namespace {

std::mutex boundMutex;
std::vector<BoundFunction*>& BoundEntries() {
  static auto* entries = new std::vector<BoundFunction*>;
  return *entries;
}

}  // namespace

void* Bind(BoundFunction& entry) {
  if (entry.address) return entry.address;
  Text local = RunDirectory() + kPathSeparator + entry.library;
  void* library = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) library = dlopen(entry.library, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* reason = dlerror();
    FatalError(std::string("cannot load the library \"") + entry.library + "\" for \"" +
               entry.name + "\"" + (reason ? std::string(": ") + reason : ""));
  }
  dlerror();
  void* address = dlsym(library, entry.name);
  if (!address) {
    dlclose(library);
    FatalError(std::string("the library \"") + entry.library + "\" has no function \"" +
               entry.name + "\"");
  }
  entry.libraryHandle = library;
  entry.address = address;
  std::lock_guard lock(boundMutex);
  BoundEntries().push_back(&entry);
  return address;
}

void ReleaseBoundLibraries() {
  std::lock_guard lock(boundMutex);
  for (BoundFunction* entry : BoundEntries()) {
    dlclose(entry->libraryHandle);
    entry->libraryHandle = nullptr;
    entry->address = nullptr;
  }
  BoundEntries().clear();
}

}  // namespace platform
