// The hover preview: the handler of 列表框1's mouse-moved event.
#include <cmath>
#include <utility>

#include "app/handlers.h"
#include "app/program_state.h"
#include "app/window_definitions.h"
#include "platform/toolkit.h"
#include "support/image_size.h"

namespace {
constexpr int kBottomAllowance = 30;
}

void ListMouseMoved(int /*x*/, int y, int /*keys*/) {
  int row = static_cast<int>(std::floor(static_cast<double>(y) / kRowHeight));
  if (row == platform::ListSelection(列表框1)) return;
  platform::SetListSelection(列表框1, row);

  Text name = platform::ItemText(列表框1, platform::ListSelection(列表框1));
  ByteData bytes = platform::ReadWholeFile(ProgramFolder + name);
  int height = GetImageHeight(bytes);
  int width = GetImageWidth(bytes);

  if (height > ScreenHeight) {
    double ratio = static_cast<double>(width) / height;
    double scaled = ratio * ScreenHeight;
    width = static_cast<int>(std::trunc(scaled));
    height = ScreenHeight;
  }
  double top = (ScreenHeight - kBottomAllowance) / 2.0 - height / 2.0;
  platform::Move(PreviewWindow, std::nullopt, static_cast<int>(std::trunc(top)));

  // The picture box takes the bytes over: nothing of them is used after.
  platform::SetPicture(图片框1, std::move(bytes));
  platform::SetHeight(图片框1, height);
  platform::SetWidth(图片框1, width);
  platform::SetWidth(PreviewWindow, width);
  platform::SetHeight(PreviewWindow, height);
  platform::SetVisible(PreviewWindow, true);
}
