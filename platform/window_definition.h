// How a window and its controls come into being: the data the program hands
// the toolkit. The toolkit creates a window from its definition each time the
// window is loaded.
#pragma once

#include <cstdint>
#include <span>

namespace platform {

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

// The system's button-face colour, resolved by the backend.
inline constexpr Rgb kButtonFace{240, 240, 240};

enum class ControlKind { PictureButton, ListBox, PictureBox };

// One picture of a picture button, drawn at run time from a word and colours.
struct ButtonPicture {
  const char* word;
  Rgb text;
  Rgb background;
};

struct FontSpec {
  const char* family;
  int height;  // character height in pixels
  int weight;  // 400 normal, 700 bold
};

struct ControlDefinition {
  const char* name;
  ControlKind kind;
  int left, top, width, height;
  bool visible = true;

  // PictureButton
  ButtonPicture normal{}, hover{}, pressed{};
  void (*onClicked)() = nullptr;

  // ListBox
  FontSpec font{};
  int rowHeight = 0;  // pixels per row, whatever the font's own height
  Rgb textColour{}, background{};
  void (*onMouseMoved)(int x, int y, int keys) = nullptr;
};

struct WindowDefinition {
  const char* role;  // the WM_CLASS instance name: "panel", "preview"
  int left, top, width, height;
  Rgb background;
  bool topmost;
  bool visibleWhenLoaded;
  bool programIcon;
  void (*onCreated)() = nullptr;
  void (*onEscape)() = nullptr;  // Esc while the window has the focus
  std::span<const ControlDefinition> controls;
};

// A window or one of its controls, by its fixed identity. index -1 is the
// window itself, so a window's properties are addressed like a control's.
struct Control {
  const WindowDefinition* window;
  int index;
  bool operator==(const Control&) const = default;
  const ControlDefinition& Definition() const { return window->controls[index]; }
  bool IsWindow() const { return index < 0; }
};

}  // namespace platform
