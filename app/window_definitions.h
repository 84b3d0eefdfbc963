// The program's two windows and their controls, by their fixed identities.
#pragma once

#include "platform/window_definition.h"

extern const platform::WindowDefinition PanelWindowDefinition;
extern const platform::WindowDefinition PreviewWindowDefinition;

extern const platform::Control PanelWindow;
extern const platform::Control 图形按钮1;  // the exit button
extern const platform::Control 列表框1;    // the list of picture names
extern const platform::Control PreviewWindow;
extern const platform::Control 图片框1;  // the picture box

// Geometry the program's rules rely on.
inline constexpr int kRowHeight = 18;
inline constexpr int kButtonStripHeight = 20;
