// Drives the real main window as a user would: it runs on its own UI thread
// with the real platform, the test posts it clicks and keys, and every wait is
// for a condition, with a time limit.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trova::test {

using Row = std::vector<std::wstring>;
using Rows = std::vector<Row>;

class UiSession {
 public:
  UiSession();
  ~UiSession();
  HWND window() const;
  HWND control(const std::wstring& name) const;
  void sync() const;  // returns once the UI thread has handled all posted to it so far

  // A click on a tab, a button, a row (scrolled into view), a row's check box
  // (false: none under the mouse), a column header; a drop-down pick; a key.
  void pickTab(const std::wstring& tabs, int index) const;
  void press(const std::wstring& button) const;
  void clickRow(const std::wstring& list, int row) const;
  bool clickCheckBox(const std::wstring& list, int row) const;
  void clickColumn(const std::wstring& list, int column) const;
  bool pickEntry(const std::wstring& combo, const std::wstring& text) const;
  void key(const std::wstring& control, WPARAM virtualKey) const;

  // A list view's cells (a list box's rows, one cell each); the first row whose
  // `column` shows `text` (-1: none); a row's check mark; a control's text.
  Rows rows(const std::wstring& list) const;
  int rowWith(const std::wstring& list, int column, const std::wstring& text) const;
  bool checked(const std::wstring& list, int row) const;
  std::wstring text(const std::wstring& name) const;

  // A visible dialog of this title (holding control `withControl`, when given), or null.
  HWND waitForDialog(const std::wstring& title, int timeoutMs = 10000, int withControl = 0) const;
  void answer(HWND dialog, int buttonId = IDOK) const;  // returns once it is gone
  // The next box of this title closed with the button, an input box's edit
  // given `typed` first: its text, or "(no box)".
  std::wstring answerBox(const std::wstring& title, const std::optional<std::wstring>& typed = {},
                         int buttonId = IDOK) const;
  // The next open or save dialog of this title given a file name and OK.
  bool answerFile(const std::wstring& title, const std::wstring& path) const;

 private:
  void click(HWND target, POINT at) const;
  struct State;
  std::unique_ptr<State> state_;
};

template <typename F>
bool waitUntil(F done, int timeoutMs = 10000) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(10))
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
  return true;
}

}  // namespace trova::test
