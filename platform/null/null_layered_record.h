// What the null backend's layered-window functions were asked to do: an
// extended-style word per window handle and a record of every call, so tests
// can check both the outcome and the order of the calls.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/toolkit.h"

namespace platform::null {

enum class LayeredCallKind { GetWindowLong, SetWindowLong, SetLayeredAttributes };

struct LayeredCall {
  LayeredCallKind kind;
  NativeHandle window;
  int index = 0;             // GetWindowLong, SetWindowLong
  std::int32_t value = 0;    // the word read or written
  std::uint32_t colourKey = 0;  // SetLayeredAttributes
  std::uint8_t alpha = 0;
  std::uint32_t flags = 0;
  bool operator==(const LayeredCall&) const = default;
};

struct LayeredAttributes {
  std::uint32_t colourKey;
  std::uint8_t alpha;
  std::uint32_t flags;
  bool operator==(const LayeredAttributes&) const = default;
};

std::vector<LayeredCall> LayeredCalls();
// Forgets the calls, the style words and the attributes.
void ResetLayeredRecord();
// Gives a window a style word before the calls under test, as a window
// created with extended styles has one.
void SetStyleWord(NativeHandle window, int index, std::int32_t value);
std::int32_t StyleWord(NativeHandle window, int index);
// The last attributes that took effect; none until the window was layered
// and a call succeeded.
std::optional<LayeredAttributes> LastLayeredAttributes(NativeHandle window);

}  // namespace platform::null
