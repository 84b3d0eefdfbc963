// The Win32 side of the program's windows: one HWND per window and per
// control, kept in step with the toolkit's record (platform/window_model.h).
// Everything here runs on the UI thread.
#pragma once

#include <memory>
#include <vector>

#include "platform/window_definition.h"
#include "platform/win32/win32_windows_h.h"
#include "support/text.h"

namespace platform::win32 {

struct PictureView;  // win32_picture_box.cpp

struct NativeControl {
  HWND hwnd = nullptr;
  // PictureButton
  bool hover = false;
  HBITMAP pictures[3] = {nullptr, nullptr, nullptr};  // normal, hover, pressed
  // ListBox
  HFONT font = nullptr;
  HBRUSH background = nullptr;
};

struct NativeWindow {
  HWND hwnd = nullptr;
  HBRUSH background = nullptr;
  std::vector<NativeControl> controls;
};

// The native objects of a loaded window; null when it is not loaded.
NativeWindow* NativeWindowOf(const WindowDefinition* window);
// The window or control that an HWND stands for.
bool ControlOfHwnd(HWND hwnd, Control* control);

void RegisterWindowClasses();
// Makes the window and its controls from the record, hidden.
void CreateNativeWindow(const WindowDefinition* window);
void DestroyNativeWindow(const WindowDefinition* window);
void DestroyAllNativeWindows();

// Brings an HWND in step with the record's position, size and visibility.
void SyncGeometry(Control control);
// Shows (and activates) or hides a window as its record says.
void SyncVisibility(const WindowDefinition* window);

// Controls (win32_controls.cpp).
void CreateControls(const WindowDefinition* window, NativeWindow& native);
void FreeControl(NativeControl& control);
// Handles the parent's messages about its controls; true when handled.
bool HandleControlMessage(const WindowDefinition* window, UINT message, WPARAM wParam,
                          LPARAM lParam, LRESULT* result);
void RedrawControl(Control control);
// The list's rows changed in the record: the list box gets as many.
void SyncListRows(Control list);
void SyncListSelection(Control list);

// The picture box (win32_picture_box.cpp).
void RegisterPictureBoxClass();
extern const wchar_t kPictureBoxClass[];
void SetPictureBytes(HWND pictureBox, const ByteData& wholeFile);

// The three pictures of a picture button (win32_button_pictures.cpp).
void DrawButtonPictures(const ControlDefinition& definition, HBITMAP pictures[3]);

COLORREF ColourOf(Rgb colour);  // the button-face colour resolves to the system's

}  // namespace platform::win32
