// Drives the real main window from a test: the window runs on its own UI
// thread with the real platform (Wine's registry, files and dialogs), and the
// test sends it the messages a user's mouse would. Every wait is for a
// condition, with a time limit.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace trova::test {

class UiSession {
 public:
  struct Options {
    Shell* shell = nullptr;  // replaces the real shell, e.g. with a recorder
  };
  UiSession();
  explicit UiSession(Options options);
  ~UiSession();
  UiSession(const UiSession&) = delete;
  UiSession& operator=(const UiSession&) = delete;

  HWND window() const;
  HWND control(const std::wstring& name) const;
  // Returns once the UI thread has handled everything sent to it so far.
  void sync() const;

  // A left click on tab `index` of a tab control, as the mouse gives it.
  void pickTab(const std::wstring& tabs, int index) const;
  // A press of a button or check box, as a click gives it (does not wait for
  // a dialog the handler may open).
  void press(const std::wstring& button) const;
  // Choose a menu-bar command by its name ("cd_gytrova").
  void menu(const std::wstring& name) const;
  void clickRow(const std::wstring& list, int row) const;
  void rightClickRow(const std::wstring& list, int row) const;
  void clickColumn(const std::wstring& list, int column) const;
  // A click on a row's check box, where the list itself says the box is;
  // false when no point of the row hits it.
  bool clickCheckBox(const std::wstring& list, int row) const;
  // A pick of entry `index` in a drop-down list, as the mouse gives it.
  void pickEntry(const std::wstring& combo, int index) const;
  // What a user types into a text box, replacing its text.
  void type(const std::wstring& textBox, const std::wstring& text) const;

  // A list view's cells, or a list box's rows as one cell each.
  std::vector<std::vector<std::wstring>> rows(const std::wstring& list) const;
  // One row of a list view: each cell costs a call across threads, so a long
  // list is better searched with find() and read row by row.
  std::vector<std::wstring> row(const std::wstring& list, int index) const;
  // The first row whose first cell is exactly `text` (as the keyboard search
  // finds it, letter case aside), or -1.
  int find(const std::wstring& list, const std::wstring& text) const;
  std::wstring header(const std::wstring& list, int column) const;
  bool checked(const std::wstring& list, int row) const;
  // A check box as drawn: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
  UINT checkState(const std::wstring& box) const;
  // The text of a combo box's selected entry; empty when none is selected.
  std::wstring comboText(const std::wstring& combo) const;
  // Picks the entry with exactly this text, as a pick with the mouse ends
  // (the box tells its parent); false when there is no such entry.
  bool pickEntry(const std::wstring& combo, const std::wstring& text) const;
  // A control's own text (a text box's content), a check box's mark and a
  // drop-down list's selected entry (-1 for none).
  std::wstring text(const std::wstring& name) const;
  bool ticked(const std::wstring& checkBox) const;
  int selectedEntry(const std::wstring& combo) const;
  bool visible(const std::wstring& name) const;
  bool enabled(const std::wstring& name) const;

  // A visible top-level window of this process with this title (message
  // boxes, input boxes, file dialogs), or null after the time limit.
  HWND waitForDialog(const std::wstring& title, int timeoutMs = 10000) const;
  // Waits until no such window is left; false after the time limit.
  bool waitForNoDialog(const std::wstring& title, int timeoutMs = 10000) const;
  // The texts of a dialog's static controls, joined by new lines.
  std::wstring dialogText(HWND dialog) const;
  // Presses a dialog's button (IDOK, IDCANCEL, ...).
  void answer(HWND dialog, int buttonId = IDOK) const;
  // Closes the next box of this title with OK once it is up and gives back its
  // text; "(no box)" when none came.
  std::wstring answerBox(const std::wstring& title) const;
  // Types into the next input box of this title and presses OK (or Cancel);
  // gives back its prompt, or "(no input box)".
  std::wstring answerInput(const std::wstring& title, const std::wstring& typed, int buttonId = IDOK) const;

  // Saves the window as it is on screen to a 24-bit BMP file.
  bool capture(const std::wstring& path) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Polls `done` until it holds or the time runs out.
template <typename F>
bool waitUntil(F done, int timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace trova::test
