#pragma once
// The standard controls a form holds, each a thin owner of its child window.
// Bounds are given in design units; the form scales them. Main thread only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace framework {

class TForm;

class TControl {
 public:
  HWND Handle() const { return handle_; }
  std::wstring Text() const;
  RECT BoundsInParent() const;

 protected:
  TControl() = default;
  ~TControl() = default;
  HWND handle_ = nullptr;
};

// A text label sized to its text in the form's font.
class TLabel : public TControl {
 public:
  TLabel(TForm& form, const std::wstring& caption, int left, int top);
};

class TButton : public TControl {
 public:
  TButton(TForm& form, const std::wstring& caption, int left, int top, int width, int height);
  // The click handler; an exception that leaves it goes to the default display.
  std::function<void()> OnClick;
};

// Unsorted, single selection, exactly the size given (never shrunk to whole
// lines).
class TListBox : public TControl {
 public:
  TListBox(TForm& form, int left, int top, int width, int height, int item_height);
  // Nested: while an update runs the list does not repaint after each line
  // (under Wine a repaint per added line costs milliseconds); the outermost
  // end repaints it once.
  void BeginUpdate();
  void EndUpdate();
  void Clear();
  void Add(const std::wstring& line);
  int Count() const;
  std::wstring Item(int index) const;

 private:
  int update_depth_ = 0;
};

class TListBoxUpdate {
 public:
  explicit TListBoxUpdate(TListBox& list) : list_(list) { list_.BeginUpdate(); }
  ~TListBoxUpdate() { list_.EndUpdate(); }
  TListBoxUpdate(const TListBoxUpdate&) = delete;
  TListBoxUpdate& operator=(const TListBoxUpdate&) = delete;

 private:
  TListBox& list_;
};

// A PNG picture from the program's RCDATA resources, drawn at its natural
// size with its alpha channel over the form's background.
class TImage : public TControl {
 public:
  TImage(TForm& form, const wchar_t* resource_name, int left, int top);
  ~TImage();
  TImage(const TImage&) = delete;
  TImage& operator=(const TImage&) = delete;
  int PictureWidth() const;
  int PictureHeight() const;

 private:
  struct Picture;
  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  std::unique_ptr<Picture> picture_;
};

}  // namespace framework
