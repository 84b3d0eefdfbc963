// Binding system functions by library and exported name on the real loader.
#include <gtest/gtest.h>

#include <cctype>

#include "platform/binder.h"
#include "platform/toolkit.h"
#include "platform/win32/win32_bound_functions.h"

namespace {

using platform::Bind;
using platform::BoundFunction;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string ModulePath(void* module) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(static_cast<HMODULE>(module), path, MAX_PATH);
  return path;
}

TEST(BoundFunctions, EveryEntryBindsByItsLibraryAndExportedName) {
  platform::ReleaseBoundLibraries();  // whatever earlier tests bound
  for (BoundFunction& entry : platform::win32::gBoundFunctions) {
    EXPECT_EQ(entry.address, nullptr) << entry.name << " is bound before its first call (or after the release)";
  }
  for (BoundFunction& entry : platform::win32::gBoundFunctions) {
    void* address = Bind(entry);
    EXPECT_NE(address, nullptr) << entry.library << " " << entry.name;
    EXPECT_EQ(Bind(entry), address) << "a bound slot stays bound";
    EXPECT_NE(entry.libraryHandle, nullptr);
  }
  platform::ReleaseBoundLibraries();
  for (BoundFunction& entry : platform::win32::gBoundFunctions) {
    EXPECT_EQ(entry.address, nullptr) << entry.name;
    EXPECT_EQ(entry.libraryHandle, nullptr) << entry.name;
  }
}

TEST(BoundFunctions, CallsReachTheSystemThroughTheirSlots) {
  namespace bound = platform::win32::bound;
  EXPECT_EQ(bound::strlen("picdock"), 7u);
  char buffer[8] = {};
  bound::RtlMoveMemory(buffer, "abc", SIZE_T{4});
  EXPECT_STREQ(buffer, "abc");
  WCHAR wide[4] = {};
  EXPECT_EQ(bound::MultiByteToWideChar(UINT{936}, DWORD{0}, "\xCD\xBC", -1, wide, 4), 2);
  EXPECT_EQ(wide[0], 0x56FE);  // 图
  platform::ReleaseBoundLibraries();
}

TEST(Binder, LoadsTheLibraryFromTheProgramsFolderFirst) {
  BoundFunction entry{"picdock_test_library.dll", "PicdockTestAnswer"};
  auto* answer = platform::BoundAs<int()>(entry);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(Lower(ModulePath(entry.libraryHandle)),
            Lower(platform::RunDirectory() + "\\picdock_test_library.dll"));
  platform::ReleaseBoundLibraries();
}

TEST(Binder, EachSlotLoadsItsLibraryOnItsOwnAndTheEndReleasesEveryLoad) {
  BoundFunction first{"picdock_test_library.dll", "PicdockTestAnswer"};
  BoundFunction second{"PICDOCK_TEST_LIBRARY.DLL", "PicdockTestAnswer"};
  Bind(first);
  Bind(second);
  EXPECT_EQ(first.libraryHandle, second.libraryHandle) << "one module, loaded twice";
  platform::ReleaseBoundLibraries();
  EXPECT_EQ(::GetModuleHandleA("picdock_test_library.dll"), nullptr)
      << "a load was left behind";
  EXPECT_EQ(first.address, nullptr);
  EXPECT_EQ(second.address, nullptr);
}

void BindOnce(const char* library, const char* name) {
  BoundFunction entry{library, name};
  Bind(entry);
}

TEST(BinderDeathTest, AMissingNameIsFatalAndNamesTheLibraryAndTheName) {
  EXPECT_EXIT(BindOnce("kernel32.dll", "PicdockNoSuchFunction"), testing::ExitedWithCode(-1),
              "PicdockNoSuchFunction in kernel32.dll");
}

TEST(BinderDeathTest, AMissingLibraryIsFatalAndNamesTheLibraryAndTheName) {
  EXPECT_EXIT(BindOnce("picdock_no_such_library.dll", "Anything"), testing::ExitedWithCode(-1),
              "picdock_no_such_library.dll for Anything");
}

}  // namespace
