#include "support/window_opacity.h"

#include "platform/system.h"

namespace {

// The blending flags of SetLayeredWindowAttributes.
constexpr std::uint32_t kUseColourKey = 1;
constexpr std::uint32_t kUseAlpha = 2;

}  // namespace

void SetWindowOpacity(platform::NativeHandle window, int alpha, std::uint32_t colourKey,
                      bool clickThrough) {
  using namespace platform;
  if (clickThrough) {
    std::int32_t style = GetWindowLongA(window, kGwlExStyle);
    SetWindowLongA(window, kGwlExStyle, style | kWsExTransparent | kWsExLayered);
  } else {
    // Clears every other extended-style bit on purpose: the window becomes
    // a plain layered window, whatever it was before.
    SetWindowLongA(window, kGwlExStyle, kWsExLayered);
  }

  std::uint32_t flags;
  if (colourKey == 0) {
    flags = kUseAlpha;
  } else if ((alpha & 0xFF) == 0) {
    flags = kUseColourKey;
  } else {
    flags = kUseColourKey | kUseAlpha;
  }
  SetLayeredWindowAttributes(window, colourKey, static_cast<std::uint8_t>(alpha), flags);
}
