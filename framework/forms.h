#pragma once
// The plain form: a top-level window owned by the application's hidden
// window, described in design units (96 pixels per inch, a "0" 12 pixels
// high) and scaled once at creation to the font it really gets. Main thread
// only.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace framework {

class TGdiObject {
 public:
  explicit TGdiObject(HGDIOBJ object = nullptr) : object_(object) {}
  ~TGdiObject() {
    if (object_) DeleteObject(object_);
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
};

struct TFormDescription {
  std::wstring caption;
  int width = 0;   // outer size, design units
  int height = 0;
  DWORD style = WS_OVERLAPPEDWINDOW;
  std::wstring font_name;
  BYTE font_charset = DEFAULT_CHARSET;
  int font_height = 12;  // character height in pixels at 96 per inch
};

class TForm {
 public:
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  HWND Handle() const { return handle_; }
  HFONT Font() const { return static_cast<HFONT>(font_.Get()); }
  // The height of "0" in the form's font, and a design length scaled by it.
  int TextHeight() const { return text_height_; }
  int Scale(int design) const { return text_height_ == 12 ? design : MulDiv(design, text_height_, 12); }

  // First showing: centred on the desktop (all monitors), no clamping; the
  // launcher's request decides between maximised, minimised and normal.
  void Show(int show_command);
  // Asks the form to close; closing the main form ends the message loop.
  void Close();

  // Creates a child control at design bounds, with the form's font.
  HWND CreateControl(const wchar_t* window_class, const std::wstring& text, DWORD style, DWORD ex_style, int left,
                     int top, int width, int height);
  // Runs `handler` (through the default exception display) when `control`
  // sends the notification `code` in WM_COMMAND.
  void OnCommand(HWND control, WORD code, std::function<void()> handler);

 protected:
  explicit TForm(const TFormDescription& description);
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void Centre();

  HWND handle_ = nullptr;
  TGdiObject font_;
  int text_height_ = 12;
  bool shown_ = false;
  HWND saved_focus_ = nullptr;
  std::map<std::pair<HWND, WORD>, std::function<void()>> commands_;
};

}  // namespace framework
