#include "support/window_opacity.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/null/null_layered_record.h"
#include "platform/system.h"

namespace {

using platform::null::LayeredCall;
using platform::null::LayeredCallKind;

constexpr platform::NativeHandle kWindow = 0x51;
constexpr std::int32_t kTopmost = 0x8;
constexpr std::int32_t kToolWindow = 0x80;

LayeredCall Get(std::int32_t value) {
  return {.kind = LayeredCallKind::GetWindowLong, .window = kWindow, .index = -20, .value = value};
}
LayeredCall Set(std::int32_t value) {
  return {.kind = LayeredCallKind::SetWindowLong, .window = kWindow, .index = -20, .value = value};
}
LayeredCall Blend(std::uint32_t colourKey, std::uint8_t alpha, std::uint32_t flags) {
  return {.kind = LayeredCallKind::SetLayeredAttributes, .window = kWindow, .colourKey = colourKey,
          .alpha = alpha, .flags = flags};
}

struct OpacityCase {
  const char* what;
  int alpha;
  std::uint32_t colourKey;
  bool clickThrough;
  std::vector<LayeredCall> calls;
  std::int32_t styleAfter;
};

TEST(SetWindowOpacity, WritesTheStyleThenTheBlending) {
  const OpacityCase cases[] = {
      {"the panel's call", 200, 0, false, {Set(0x80000), Blend(0, 200, 2)}, 0x80000},
      {"alpha 0 alone: invisible", 0, 0, false, {Set(0x80000), Blend(0, 0, 2)}, 0x80000},
      {"key with alpha 0: key only", 0, 0xFF00FF, false, {Set(0x80000), Blend(0xFF00FF, 0, 1)},
       0x80000},
      {"key with alpha 256: low byte 0", 256, 0xFF00FF, false,
       {Set(0x80000), Blend(0xFF00FF, 0, 1)}, 0x80000},
      {"key with alpha 128: both", 128, 0x00FF00, false, {Set(0x80000), Blend(0x00FF00, 128, 3)},
       0x80000},
      {"click-through keeps the other bits", 255, 0, true,
       {Get(kTopmost | kToolWindow), Set(kTopmost | kToolWindow | 0x20 | 0x80000), Blend(0, 255, 2)},
       kTopmost | kToolWindow | 0x20 | 0x80000},
  };
  for (const OpacityCase& c : cases) {
    platform::null::ResetLayeredRecord();
    platform::null::SetStyleWord(kWindow, platform::kGwlExStyle, kTopmost | kToolWindow);
    SetWindowOpacity(kWindow, c.alpha, c.colourKey, c.clickThrough);
    EXPECT_EQ(platform::null::LayeredCalls(), c.calls) << c.what;
    EXPECT_EQ(platform::null::StyleWord(kWindow, platform::kGwlExStyle), c.styleAfter) << c.what;
  }
}

TEST(SetWindowOpacity, LeftOutValuesCountAsZero) {
  platform::null::ResetLayeredRecord();
  SetWindowOpacity(kWindow);
  EXPECT_EQ(platform::null::LayeredCalls(), (std::vector<LayeredCall>{Set(0x80000), Blend(0, 0, 2)}));
  EXPECT_EQ(platform::null::LastLayeredAttributes(kWindow),
            (platform::null::LayeredAttributes{0, 0, 2}));
}

// Nothing is reported: the calls are made and fail quietly.
TEST(SetWindowOpacity, NotAWindowChangesNothing) {
  platform::null::ResetLayeredRecord();
  SetWindowOpacity(0, 200, 0, true);
  EXPECT_EQ(platform::null::LayeredCalls().size(), 3u);
  EXPECT_EQ(platform::null::LastLayeredAttributes(0), std::nullopt);
}

}  // namespace
