// The controls of the program's windows: the owner-drawn picture button, the
// owner-drawn list with rows of a fixed height, and the picture box. The
// controls' events reach the program from here.
#include <mutex>

#include "platform/toolkit.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_windows.h"

#include <commctrl.h>  // after <windows.h>, which they need
#include <windowsx.h>
#include "platform/window_model.h"

namespace platform::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kRowTextIndent = 2;

// Control ids are the control's index + 1: id 0 is no control.
int IdOf(int index) { return index + 1; }
int IndexOf(UINT_PTR id) { return static_cast<int>(id) - 1; }

bool IsControlId(const WindowDefinition* window, UINT_PTR id) {
  return id >= 1 && id <= window->controls.size();
}

NativeControl* NativeControlOf(Control control) {
  NativeWindow* native = NativeWindowOf(control.window);
  if (native == nullptr || control.index < 0 ||
      control.index >= static_cast<int>(native->controls.size())) {
    return nullptr;
  }
  return &native->controls[control.index];
}

void RaiseEscape(const WindowDefinition* window) {
  if (!Ending() && window->onEscape != nullptr) window->onEscape();
}

// The keys of a mouse message as the program counts them: 1 Ctrl, 2 Shift,
// 4 Alt. Alt is not among the message's own flags.
int KeysOf(WPARAM flags) {
  int keys = 0;
  if (flags & MK_CONTROL) keys |= 1;
  if (flags & MK_SHIFT) keys |= 2;
  if (::GetKeyState(VK_MENU) < 0) keys |= 4;
  return keys;
}

bool PointerInside(HWND hwnd, POINT at) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  return ::PtInRect(&client, at) != FALSE;
}

// The picture button shows its second picture while the pointer is over it.
void SetHover(HWND button, Control control, bool hover) {
  NativeControl* native = NativeControlOf(control);
  if (native == nullptr || native->hover == hover) return;
  native->hover = hover;
  if (hover) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, button, 0};
    ::TrackMouseEvent(&track);
  }
  ::InvalidateRect(button, nullptr, FALSE);
}

LRESULT CALLBACK ControlSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR, DWORD_PTR data) {
  Control control{reinterpret_cast<const WindowDefinition*>(data),
                  IndexOf(static_cast<UINT_PTR>(::GetDlgCtrlID(hwnd)))};
  const ControlDefinition& definition = control.Definition();
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        RaiseEscape(control.window);
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (definition.kind == ControlKind::ListBox && definition.onMouseMoved != nullptr &&
          !Ending()) {
        // Both coordinates as unsigned 16-bit values: a position above or
        // left of the list (while it holds the capture) arrives large.
        definition.onMouseMoved(LOWORD(lParam), HIWORD(lParam), KeysOf(wParam));
      }
      if (definition.kind == ControlKind::PictureButton) {
        // While the button holds the capture (pressed), moves arrive from
        // outside it too.
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetHover(hwnd, control, PointerInside(hwnd, at));
      }
      break;
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
      // The capture ends with the press; the pointer may have left meanwhile,
      // and no leave is reported for the time the capture was held.
      if (definition.kind == ControlKind::PictureButton) {
        POINT at;
        ::GetCursorPos(&at);
        ::ScreenToClient(hwnd, &at);
        SetHover(hwnd, control, message == WM_CAPTURECHANGED && PointerInside(hwnd, at));
      }
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, ControlSubclass, kSubclassId);
      break;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

HWND CreateChild(const wchar_t* windowClass, DWORD style, const ControlState& state, HWND parent,
                 int id, const void* parameter) {
  if (state.visible) style |= WS_VISIBLE;
  return ::CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | style, state.left,
                           state.top, state.width, state.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
                           const_cast<void*>(parameter));
}

HFONT CreateListFont(const FontSpec& font) {
  std::wstring family = Utf8ToWide(font.family != nullptr ? font.family : "");
  // A negative height asks for the character height, not the cell height.
  return ::CreateFontW(-font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, family.c_str());
}

void DrawButton(const DRAWITEMSTRUCT& item, const NativeControl& native) {
  int which = (item.itemState & ODS_SELECTED) ? 2 : native.hover ? 1 : 0;
  HBITMAP picture = native.pictures[which];
  if (picture == nullptr) return;
  HDC source = ::CreateCompatibleDC(item.hDC);
  HGDIOBJ old = ::SelectObject(source, picture);
  BITMAP size{};
  ::GetObjectW(picture, sizeof size, &size);
  ::BitBlt(item.hDC, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

void DrawListRow(const DRAWITEMSTRUCT& item, Control list, const NativeControl& native) {
  const ControlDefinition& definition = list.Definition();
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  Text text;
  if (item.itemID != static_cast<UINT>(-1)) {
    std::lock_guard lock(ModelMutex());
    const auto& items = StateOf(list).items;
    if (item.itemID < items.size()) text = items[item.itemID];
  }
  COLORREF background = selected ? ::GetSysColor(COLOR_HIGHLIGHT) : ColourOf(definition.background);
  COLORREF foreground =
      selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ColourOf(definition.textColour);
  HBRUSH brush = ::CreateSolidBrush(background);
  ::FillRect(item.hDC, &item.rcItem, brush);
  ::DeleteObject(brush);
  if (text.empty()) return;
  HGDIOBJ oldFont = ::SelectObject(item.hDC, native.font);
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, foreground);
  RECT area = item.rcItem;
  area.left += kRowTextIndent;
  // The rows are the program's 8-bit texts in the system's code page.
  ::DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(item.hDC, oldFont);
}

}  // namespace

void CreateControls(const WindowDefinition* window, NativeWindow& native) {
  native.controls.assign(window->controls.size(), NativeControl{});
  for (std::size_t i = 0; i < window->controls.size(); ++i) {
    const ControlDefinition& definition = window->controls[i];
    Control control{window, static_cast<int>(i)};
    ControlState state;
    {
      std::lock_guard lock(ModelMutex());
      state = StateOf(control);
    }
    NativeControl& made = native.controls[i];
    int id = IdOf(static_cast<int>(i));
    switch (definition.kind) {
      case ControlKind::PictureButton:
        DrawButtonPictures(definition, made.pictures);
        made.hwnd = CreateChild(L"BUTTON", BS_OWNERDRAW, state, native.hwnd, id, nullptr);
        break;
      case ControlKind::ListBox:
        made.font = CreateListFont(definition.font);
        made.background = ::CreateSolidBrush(ColourOf(definition.background));
        // Owner-drawn rows of the definition's height; the list keeps the
        // height it is given rather than one of whole rows.
        made.hwnd = CreateChild(L"LISTBOX",
                                WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED |
                                    LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                                state, native.hwnd, id, nullptr);
        break;
      case ControlKind::PictureBox:
        made.hwnd = CreateChild(kPictureBoxClass, 0, state, native.hwnd, id, &definition);
        break;
    }
    if (made.hwnd == nullptr) {
      FatalError(WithSystemError(std::string("Can't create the control ") + definition.name));
    }
    ::SetWindowSubclass(made.hwnd, ControlSubclass, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(window));
  }
}

void FreeControl(NativeControl& control) {
  for (HBITMAP& picture : control.pictures) {
    if (picture != nullptr) ::DeleteObject(picture);
    picture = nullptr;
  }
  if (control.font != nullptr) ::DeleteObject(control.font);
  if (control.background != nullptr) ::DeleteObject(control.background);
  control.font = nullptr;
  control.background = nullptr;
  control.hwnd = nullptr;
}

bool HandleControlMessage(const WindowDefinition* window, UINT message, WPARAM wParam,
                          LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_LISTBOX || !IsControlId(window, item->CtlID)) return false;
      item->itemHeight = static_cast<UINT>(window->controls[IndexOf(item->CtlID)].rowHeight);
      *result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (!IsControlId(window, item->CtlID)) return false;
      Control control{window, IndexOf(item->CtlID)};
      NativeControl* native = NativeControlOf(control);
      if (native == nullptr) return false;
      if (item->CtlType == ODT_BUTTON) DrawButton(*item, *native);
      if (item->CtlType == ODT_LISTBOX) DrawListRow(*item, control, *native);
      *result = TRUE;
      return true;
    }
    case WM_CTLCOLORLISTBOX: {
      Control list;
      if (!ControlOfHwnd(reinterpret_cast<HWND>(lParam), &list) || list.IsWindow()) return false;
      NativeControl* native = NativeControlOf(list);
      if (native == nullptr || native->background == nullptr) return false;
      auto hdc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(hdc, ColourOf(list.Definition().textColour));
      ::SetBkColor(hdc, ColourOf(list.Definition().background));
      *result = reinterpret_cast<LRESULT>(native->background);
      return true;
    }
    case WM_COMMAND: {
      UINT_PTR id = LOWORD(wParam);
      if (lParam == 0 || !IsControlId(window, id)) return false;
      Control control{window, IndexOf(id)};
      const ControlDefinition& definition = control.Definition();
      if (definition.kind == ControlKind::PictureButton && HIWORD(wParam) == BN_CLICKED) {
        if (!Ending() && definition.onClicked != nullptr) definition.onClicked();
        return true;
      }
      if (definition.kind == ControlKind::ListBox && HIWORD(wParam) == LBN_SELCHANGE) {
        // The user picked a row by mouse or keys: the record follows.
        int row = static_cast<int>(::SendMessageW(reinterpret_cast<HWND>(lParam), LB_GETCURSEL, 0, 0));
        std::lock_guard lock(ModelMutex());
        StateOf(control).selection = row;
        return true;
      }
      return false;
    }
  }
  return false;
}

void RedrawControl(Control control) {
  if (NativeControl* native = NativeControlOf(control)) {
    ::InvalidateRect(native->hwnd, nullptr, TRUE);
  }
}

void SyncListRows(Control list) {
  NativeControl* native = NativeControlOf(list);
  if (native == nullptr) return;
  int rows;
  {
    std::lock_guard lock(ModelMutex());
    rows = static_cast<int>(StateOf(list).items.size());
  }
  // The rows' texts stay in the record, byte for byte; the list box holds
  // one empty entry per row and asks for the text when it draws.
  int have = static_cast<int>(::SendMessageW(native->hwnd, LB_GETCOUNT, 0, 0));
  for (; have < rows; ++have) ::SendMessageW(native->hwnd, LB_ADDSTRING, 0, 0);
  for (; have > rows; --have) ::SendMessageW(native->hwnd, LB_DELETESTRING, have - 1, 0);
}

void SyncListSelection(Control list) {
  NativeControl* native = NativeControlOf(list);
  if (native == nullptr) return;
  int row;
  {
    std::lock_guard lock(ModelMutex());
    row = StateOf(list).selection;
  }
  ::SendMessageW(native->hwnd, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

}  // namespace platform::win32
