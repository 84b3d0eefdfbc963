#include "platform/win32/win32_gdiplus.h"

#include <string>

namespace platform::win32::gdiplus {

namespace {

struct Loaded {
  HMODULE module = nullptr;
  ULONG_PTR token = 0;
  Functions functions;
  bool tried = false;
  bool usable = false;
};
Loaded gLoaded;  // UI thread only

struct StartupInput {
  UINT32 version;
  void* debugEventCallback;
  BOOL suppressBackgroundThread;
  BOOL suppressExternalCodecs;
};

HMODULE LoadFromSystemFolder() {
  char folder[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return ::LoadLibraryA((std::string(folder, length) + "\\gdiplus.dll").c_str());
}

bool LookUpAll(HMODULE module, Functions& functions) {
  bool all = true;
#define PICDOCK_GDIPLUS_LOOKUP(name, result, parameters)                        \
  functions.name = reinterpret_cast<decltype(functions.name)>(                  \
      reinterpret_cast<void*>(::GetProcAddress(module, #name)));                \
  all = all && functions.name != nullptr;
  PICDOCK_GDIPLUS_FUNCTIONS(PICDOCK_GDIPLUS_LOOKUP)
#undef PICDOCK_GDIPLUS_LOOKUP
  return all;
}

}  // namespace

const Functions* Get() {
  if (!gLoaded.tried) {
    gLoaded.tried = true;
    gLoaded.module = LoadFromSystemFolder();
    if (gLoaded.module != nullptr && LookUpAll(gLoaded.module, gLoaded.functions)) {
      StartupInput input{1, nullptr, FALSE, FALSE};
      gLoaded.usable = gLoaded.functions.GdiplusStartup(&gLoaded.token, &input, nullptr) == 0;
    }
  }
  return gLoaded.usable ? &gLoaded.functions : nullptr;
}

void Release() {
  if (gLoaded.usable) gLoaded.functions.GdiplusShutdown(gLoaded.token);
  if (gLoaded.module != nullptr) ::FreeLibrary(gLoaded.module);
  gLoaded = Loaded{};
  gLoaded.tried = true;  // nothing draws pictures after the end
}

}  // namespace platform::win32::gdiplus
