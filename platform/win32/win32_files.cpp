// The folder listing under the file finder (kernel32's own search, called
// directly) and the bound wide search under FileExists.
#include "platform/system.h"
#include "platform/win32/win32_bound_functions.h"

namespace platform {

namespace {

void Take(const WIN32_FIND_DATAA& data, FindEntry* entry) {
  entry->attributes = data.dwFileAttributes;
  entry->name = data.cFileName;
}

}  // namespace

SearchHandle FindFirstFileA(const Text& path, FindEntry* entry) {
  WIN32_FIND_DATAA data;
  HANDLE search = ::FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return kInvalidSearch;
  Take(data, entry);
  return reinterpret_cast<SearchHandle>(search);
}

bool FindNextFileA(SearchHandle search, FindEntry* entry) {
  WIN32_FIND_DATAA data;
  if (!::FindNextFileA(reinterpret_cast<HANDLE>(search), &data)) return false;
  Take(data, entry);
  return true;
}

void FindClose(SearchHandle search) { ::FindClose(reinterpret_cast<HANDLE>(search)); }

Text FolderIdentity(const Text& folder) {
  // Backup semantics is what lets CreateFile open a folder; no access is
  // asked for, only the file's identity.
  HANDLE handle = ::CreateFileA(folder.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION information;
  bool known = ::GetFileInformationByHandle(handle, &information) != FALSE &&
               (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  ::CloseHandle(handle);
  if (!known) return {};
  char identity[32];
  wsprintfA(identity, "%08lx:%08lx%08lx", information.dwVolumeSerialNumber,
            information.nFileIndexHigh, information.nFileIndexLow);
  return identity;
}

bool FindFirstFileW(const char16_t* name, std::uint32_t* attributes) {
  // A null name finds nothing; the system is not asked, since not every
  // version of it takes a null name without faulting.
  if (name == nullptr) return false;
  WIN32_FIND_DATAW data;
  HANDLE search = win32::bound::FindFirstFileW(reinterpret_cast<const WCHAR*>(name), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  win32::bound::FindClose(search);
  *attributes = data.dwFileAttributes;
  return true;
}

}  // namespace platform
