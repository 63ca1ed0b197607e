#include "framework/forms.h"

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/window_procedure.h"

namespace framework {

namespace {

constexpr wchar_t kFormClass[] = L"TForm";

class TScreenDC {
 public:
  TScreenDC() : dc_(GetDC(nullptr)) {}
  ~TScreenDC() { ReleaseDC(nullptr, dc_); }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

int MeasureZeroHeight(HFONT font) {
  TScreenDC dc;
  const HGDIOBJ old = SelectObject(dc.Get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), L"0", 1, &size);
  SelectObject(dc.Get(), old);
  return size.cy;
}

HFONT CreateFormFont(const TFormDescription& description) {
  TScreenDC dc;
  const int density = GetDeviceCaps(dc.Get(), LOGPIXELSY);
  LOGFONTW font{};
  font.lfHeight = -(density == 96 ? description.font_height : MulDiv(description.font_height, density, 96));
  font.lfCharSet = description.font_charset;
  font.lfWeight = FW_NORMAL;
  lstrcpynW(font.lfFaceName, description.font_name.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

}  // namespace

TForm::TForm(const TFormDescription& description)
    : font_(CreateFormFont(description)), text_height_(MeasureZeroHeight(Font())) {
  static const ATOM form_class = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = &ObjectWindowProc<TForm, &TForm::handle_, &TForm::HandleMessage>;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kFormClass;
    return RegisterClassExW(&window_class);
  }();
  (void)form_class;
  handle_ = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, description.caption.c_str(), description.style,
                            CW_USEDEFAULT, CW_USEDEFAULT, Scale(description.width), Scale(description.height),
                            Application ? Application->Handle() : nullptr, nullptr, GetModuleHandleW(nullptr),
                            this);
  if (!handle_) RaiseLastOSError();
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  if (Application) {
    if (Application->Icon()) {
      SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Application->Icon()));
      SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Application->Icon()));
    }
    Application->RegisterForm(handle_);
  }
}

TForm::~TForm() {
  if (!handle_) return;
  if (Application) Application->UnregisterForm(handle_);
  SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
  DestroyWindow(handle_);
}

HWND TForm::CreateControl(const wchar_t* window_class, const std::wstring& text, DWORD style, DWORD ex_style,
                          int left, int top, int width, int height) {
  const HWND control =
      CreateWindowExW(ex_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, Scale(left), Scale(top),
                      Scale(width), Scale(height), handle_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!control) RaiseLastOSError();
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  return control;
}

void TForm::OnCommand(HWND control, WORD code, std::function<void()> handler) {
  commands_[{control, code}] = std::move(handler);
}

void TForm::Centre() {
  RECT bounds;
  GetWindowRect(handle_, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  // The desktop spans every monitor; its origin is not always (0, 0).
  const int left = (GetSystemMetrics(SM_CXVIRTUALSCREEN) - width) / 2 + GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = (GetSystemMetrics(SM_CYVIRTUALSCREEN) - height) / 2 + GetSystemMetrics(SM_YVIRTUALSCREEN);
  SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show(int show_command) {
  if (!shown_) {
    Centre();
    shown_ = true;
  }
  int command = SW_SHOWNORMAL;
  if (show_command == SW_SHOWMAXIMIZED) command = SW_SHOWMAXIMIZED;
  if (show_command == SW_SHOWMINNOACTIVE) command = SW_SHOWMINNOACTIVE;
  ShowWindow(handle_, command);
}

void TForm::Close() { SendMessageW(handle_, WM_CLOSE, 0, 0); }

LRESULT TForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const auto found = commands_.find({reinterpret_cast<HWND>(lparam), HIWORD(wparam)});
      if (found != commands_.end()) {
        RunHandler(found->second);
        return 0;
      }
      break;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(handle_, focus)) saved_focus_ = focus;
      } else if (!HIWORD(wparam)) {
        // Give the focus back to the control that had it, or the first one
        // in tab order that can take it.
        HWND target = saved_focus_ && IsWindow(saved_focus_) ? saved_focus_ : GetNextDlgTabItem(handle_, nullptr, FALSE);
        if (target) SetFocus(target);
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wparam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
      if (Application && Application->MainForm() == handle_) {
        Application->Terminate();
        return 0;
      }
      ShowWindow(handle_, SW_HIDE);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(handle_, message, wparam, lparam);
}

}  // namespace framework
