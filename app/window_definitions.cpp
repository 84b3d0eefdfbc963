#include "app/window_definitions.h"

#include "app/handlers.h"

using platform::ControlDefinition;
using platform::ControlKind;
using platform::Rgb;

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

const ControlDefinition kPanelControls[] = {
    {
        .name = "图形按钮1",
        .kind = ControlKind::PictureButton,
        .left = 0, .top = 0, .width = 100, .height = 20,
        .normal = {"Hello", kWhite, {177, 0, 0}},
        .hover = {"Close", {255, 192, 203}, {193, 51, 51}},
        .pressed = {"Byebye", {255, 228, 225}, {124, 0, 0}},
        .onClicked = ExitButtonClicked,
    },
    {
        .name = "列表框1",
        .kind = ControlKind::ListBox,
        .left = 0, .top = 20, .width = 95, .height = 112,
        .font = {"微软雅黑", 12, 400},
        .rowHeight = kRowHeight,
        .textColour = kWhite,
        .background = kBlack,
        .onMouseMoved = ListMouseMoved,
    },
};

const ControlDefinition kPreviewControls[] = {
    {
        .name = "图片框1",
        .kind = ControlKind::PictureBox,
        .left = 0, .top = 0, .width = 280, .height = 176,
        .background = platform::kButtonFace,
    },
};

}  // namespace

const platform::WindowDefinition PanelWindowDefinition = {
    .role = "panel",
    .left = 0, .top = 0, .width = 100, .height = 141,
    .background = kBlack,
    .topmost = true,
    .visibleWhenLoaded = true,
    .programIcon = true,
    .onCreated = PanelSetup,
    .onEscape = PanelEscape,
    .controls = kPanelControls,
};

const platform::WindowDefinition PreviewWindowDefinition = {
    .role = "preview",
    .left = 110, .top = 0, .width = 270, .height = 324,
    .background = platform::kButtonFace,
    .topmost = true,
    .visibleWhenLoaded = false,
    .programIcon = true,
    .onEscape = PreviewEscape,
    .controls = kPreviewControls,
};

const platform::Control PanelWindow{&PanelWindowDefinition, -1};
const platform::Control 图形按钮1{&PanelWindowDefinition, 0};
const platform::Control 列表框1{&PanelWindowDefinition, 1};
const platform::Control PreviewWindow{&PreviewWindowDefinition, -1};
const platform::Control 图片框1{&PreviewWindowDefinition, 0};
