// Drives the real main window from a test: the window runs on its own UI
// thread with the real platform (Wine's registry, files and dialogs), and the
// test sends it what a user's mouse and keyboard would. Every wait is for a
// condition, with a time limit.
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
  void sync() const;  // returns once the UI thread has handled all sent to it so far

  // What the mouse and keyboard give: a click on a tab, a button, a row (made
  // visible first), a row's check box (false when none is under the mouse), a
  // column header; a pick in a drop-down list; a key pressed.
  void pickTab(const std::wstring& tabs, int index) const;
  void press(const std::wstring& button) const;
  void clickRow(const std::wstring& list, int row) const;
  bool clickCheckBox(const std::wstring& list, int row) const;
  void clickColumn(const std::wstring& list, int column) const;
  bool pickEntry(const std::wstring& combo, const std::wstring& text) const;
  void key(const std::wstring& control, WPARAM virtualKey) const;

  // What the user sees: a list view's cells (a list box's rows as one cell
  // each); the first row whose `column` shows `text` (-1 for none); a row's
  // check mark; a control's text.
  Rows rows(const std::wstring& list) const;
  Row row(const std::wstring& list, int index) const;
  int rowWith(const std::wstring& list, int column, const std::wstring& text) const;
  bool checked(const std::wstring& list, int row) const;
  std::wstring text(const std::wstring& name) const;

  // A visible box or dialog with this title (and a control of this id, when
  // given), or null after the time limit.
  HWND waitForDialog(const std::wstring& title, int timeoutMs = 10000, int withControl = 0) const;
  void answer(HWND dialog, int buttonId = IDOK) const;
  // The next message box of this title closed with OK: its text, or "(no box)".
  std::wstring answerBox(const std::wstring& title) const;
  // The next input box of this title given a text (nothing: the one offered)
  // and a button pressed: its prompt, or "(no input box)".
  std::wstring answerInput(const std::wstring& title, const std::optional<std::wstring>& typed,
                           int buttonId = IDOK) const;
  // The next open or save dialog of this title given a file name and OK.
  bool answerFile(const std::wstring& title, const std::wstring& path) const;

 private:
  void click(HWND target, POINT at) const;
  void close(HWND dialog, int buttonId) const;
  struct State;
  std::unique_ptr<State> state_;
};

// Polls `done` until it holds or the time runs out.
template <typename F>
bool waitUntil(F done, int timeoutMs = 10000) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(10))
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
  return true;
}

}  // namespace trova::test
