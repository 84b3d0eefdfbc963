#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/binder.h"

namespace {

using platform::Bind;
using platform::BoundFunction;

TEST(Binder, BindsALibraryFunctionByNameAtItsFirstCall) {
  BoundFunction cosine{"libm.so.6", "cos"};
  EXPECT_EQ(cosine.address, nullptr);
  auto* function = platform::BoundAs<double(double)>(cosine);
  ASSERT_NE(function, nullptr);
  EXPECT_DOUBLE_EQ(function(0.0), 1.0);
  EXPECT_EQ(cosine.address, reinterpret_cast<void*>(function));
  // A bound slot stays bound: the second call looks nothing up.
  cosine.library = "no-such-library.so";
  EXPECT_EQ(Bind(cosine), reinterpret_cast<void*>(function));
}

TEST(Binder, SearchesTheProgramsFolderFirst) {
  // The probe library lies beside the test executable only; the loader's
  // own search would not find it by its bare name.
  BoundFunction probe{"libpicdock_bind_probe.so", "picdock_bind_probe"};
  EXPECT_EQ(platform::BoundAs<int()>(probe)(), 42);
  EXPECT_EQ(dlopen("libpicdock_bind_probe.so", RTLD_NOW | RTLD_NOLOAD | RTLD_LOCAL) != nullptr,
            true);  // loaded from the folder
}

TEST(BinderDeathTest, AMissingNameOrLibraryEndsTheProgramNamingBoth) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // Without a display the message goes to stderr alone, and no window waits
  // for a key.
  EXPECT_EXIT(
      ([] {
        unsetenv("DISPLAY");
        BoundFunction missing{"libm.so.6", "picdock_no_such_function"};
        Bind(missing);
      }()),
      testing::ExitedWithCode(255), "libm\\.so\\.6.*picdock_no_such_function");
  EXPECT_EXIT(
      ([] {
        unsetenv("DISPLAY");
        BoundFunction missing{"libpicdock_missing.so", "cos"};
        Bind(missing);
      }()),
      testing::ExitedWithCode(255), "libpicdock_missing\\.so.*cos");
}

}  // namespace
