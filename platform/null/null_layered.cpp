// The layered-window functions of the null backend. Like the system's, they
// fail on the null handle, and setting the attributes fails until the window
// has the layered style.
#include <map>
#include <mutex>
#include <utility>

#include "platform/null/null_layered_record.h"
#include "platform/system.h"

namespace platform {

namespace {

std::mutex recordLock;
std::vector<null::LayeredCall> calls;
std::map<std::pair<NativeHandle, int>, std::int32_t> styleWords;
std::map<NativeHandle, null::LayeredAttributes> attributes;

}  // namespace

std::int32_t GetWindowLongA(NativeHandle window, int index) {
  std::lock_guard lock(recordLock);
  std::int32_t value = window == 0 ? 0 : styleWords[{window, index}];
  calls.push_back({.kind = null::LayeredCallKind::GetWindowLong, .window = window, .index = index,
                   .value = value});
  return value;
}

// Gives the previous word, as the system does.
std::int32_t SetWindowLongA(NativeHandle window, int index, std::int32_t value) {
  std::lock_guard lock(recordLock);
  calls.push_back({.kind = null::LayeredCallKind::SetWindowLong, .window = window, .index = index,
                   .value = value});
  if (window == 0) return 0;
  return std::exchange(styleWords[{window, index}], value);
}

int SetLayeredWindowAttributes(NativeHandle window, std::uint32_t colourKey, std::uint8_t alpha,
                               std::uint32_t flags) {
  std::lock_guard lock(recordLock);
  calls.push_back({.kind = null::LayeredCallKind::SetLayeredAttributes, .window = window,
                   .colourKey = colourKey, .alpha = alpha, .flags = flags});
  if (window == 0) return 0;
  auto style = styleWords.find({window, kGwlExStyle});
  if (style == styleWords.end() || (style->second & kWsExLayered) == 0) return 0;
  attributes[window] = {colourKey, alpha, flags};
  return 1;
}

namespace null {

std::vector<LayeredCall> LayeredCalls() {
  std::lock_guard lock(recordLock);
  return calls;
}

void ResetLayeredRecord() {
  std::lock_guard lock(recordLock);
  calls.clear();
  styleWords.clear();
  attributes.clear();
}

void SetStyleWord(NativeHandle window, int index, std::int32_t value) {
  std::lock_guard lock(recordLock);
  styleWords[{window, index}] = value;
}

std::int32_t StyleWord(NativeHandle window, int index) {
  std::lock_guard lock(recordLock);
  auto word = styleWords.find({window, index});
  return word == styleWords.end() ? 0 : word->second;
}

std::optional<LayeredAttributes> LastLayeredAttributes(NativeHandle window) {
  std::lock_guard lock(recordLock);
  auto found = attributes.find(window);
  if (found == attributes.end()) return std::nullopt;
  return found->second;
}

}  // namespace null

}  // namespace platform
