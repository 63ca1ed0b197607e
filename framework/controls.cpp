#include "framework/controls.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
#include <wrl/client.h>

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/forms.h"

namespace framework {

std::wstring TControl::Text() const {
  const int length = GetWindowTextLengthW(handle_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(handle_, text.data(), length + 1)));
  return text;
}

RECT TControl::BoundsInParent() const {
  RECT bounds;
  GetWindowRect(handle_, &bounds);
  MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

TLabel::TLabel(TForm& form, const std::wstring& caption, int left, int top) {
  handle_ = form.CreateControl(L"STATIC", caption, SS_LEFT | SS_NOPREFIX, 0, left, top, 0, 0);
  const HDC dc = GetDC(handle_);
  const HGDIOBJ old = SelectObject(dc, form.Font());
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(handle_, dc);
  SetWindowPos(handle_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TButton::TButton(TForm& form, const std::wstring& caption, int left, int top, int width, int height) {
  handle_ = form.CreateControl(L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, 0, left, top, width, height);
  form.OnCommand(handle_, BN_CLICKED, [this] {
    if (OnClick) OnClick();
  });
}

TListBox::TListBox(TForm& form, int left, int top, int width, int height, int item_height) {
  handle_ = form.CreateControl(L"LISTBOX", L"",
                               WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                               WS_EX_CLIENTEDGE, left, top, width, height);
  SendMessageW(handle_, LB_SETITEMHEIGHT, 0, form.Scale(item_height));
}

void TListBox::BeginUpdate() {
  if (update_depth_++ == 0) SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
}

void TListBox::EndUpdate() {
  if (update_depth_ <= 0 || --update_depth_ > 0) return;
  SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(handle_, nullptr, TRUE);
}

void TListBox::Clear() { SendMessageW(handle_, LB_RESETCONTENT, 0, 0); }

void TListBox::Add(const std::wstring& line) {
  const LRESULT index = SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  if (index == LB_ERR || index == LB_ERRSPACE) throw Exception(L"The list cannot take another line");
}

int TListBox::Count() const { return static_cast<int>(SendMessageW(handle_, LB_GETCOUNT, 0, 0)); }

std::wstring TListBox::Item(int index) const {
  const LRESULT length = SendMessageW(handle_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) throw Exception(L"List index out of bounds (" + std::to_wstring(index) + L")");
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(handle_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

// GDI+ for as long as a picture lives, and the decoded picture.
struct TImage::Picture {
  ULONG_PTR token = 0;
  std::unique_ptr<Gdiplus::Bitmap> bitmap;

  Picture() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) token = 0;
  }
  ~Picture() {
    bitmap.reset();
    if (token) Gdiplus::GdiplusShutdown(token);
  }
};

TImage::TImage(TForm& form, const wchar_t* resource_name, int left, int top) : picture_(std::make_unique<Picture>()) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (const HRSRC resource = FindResourceW(instance, resource_name, MAKEINTRESOURCEW(10) /* RT_RCDATA */)) {
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
    const DWORD size = SizeofResource(instance, resource);
    Microsoft::WRL::ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(bytes, size));
    if (stream && picture_->token) {
      picture_->bitmap = std::make_unique<Gdiplus::Bitmap>(stream.Get());
      if (picture_->bitmap->GetLastStatus() != Gdiplus::Ok) picture_->bitmap.reset();
    }
  }
  static const ATOM image_class = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &TImage::WndProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = L"TImage";
    return RegisterClassExW(&window_class);
  }();
  (void)image_class;
  handle_ = form.CreateControl(L"TImage", L"", 0, 0, left, top, 0, 0);
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The control takes the picture's natural size.
  SetWindowPos(handle_, nullptr, 0, 0, PictureWidth(), PictureHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TImage::~TImage() {
  if (handle_) SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
}

int TImage::PictureWidth() const { return picture_->bitmap ? static_cast<int>(picture_->bitmap->GetWidth()) : 0; }
int TImage::PictureHeight() const { return picture_->bitmap ? static_cast<int>(picture_->bitmap->GetHeight()) : 0; }

LRESULT CALLBACK TImage::WndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* image = reinterpret_cast<TImage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (image && image->picture_->bitmap) {
      Gdiplus::Graphics graphics(dc);
      graphics.DrawImage(image->picture_->bitmap.get(), 0, 0, image->PictureWidth(), image->PictureHeight());
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace framework
