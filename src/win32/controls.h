// The control interfaces over real windows. Each wrapper is a typed view of
// an HWND it does not own; the window destroys its controls itself.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <any>
#include <functional>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace trova::win32 {

std::wstring windowText(HWND hwnd);

// A virtual (owner-data) list view: the rows live here and the control only
// knows how many there are; it asks for texts and check marks when it paints
// (LVN_GETDISPINFOW, which the parent window passes to answer()). Filling a
// few hundred rows then costs one message instead of several per row. The
// control keeps selection and focus itself. Check marks are the wrapper's too,
// so it toggles them on a click on the check box and on the space key.
class Win32ListView final : public ListView {
 public:
  Win32ListView(HWND hwnd, int columns);
  ~Win32ListView() override;
  Win32ListView(const Win32ListView&) = delete;
  Win32ListView& operator=(const Win32ListView&) = delete;
  HWND hwnd() const { return hwnd_; }

  int rowCount() const override { return static_cast<int>(rows_.size()); }
  int columnCount() const override { return columns_; }
  int addRow(const std::vector<std::wstring>& cells, bool checked = false, std::any record = {}) override;
  void removeRow(int row) override;
  void clear() override;
  std::wstring cell(int row, int column) const override;
  void setCell(int row, int column, const std::wstring& text) override;
  const std::any& record(int row) const override;
  void setRecord(int row, std::any record) override;
  bool checked(int row) const override;
  void setChecked(int row, bool on) override;
  bool cellGrey(int row, int column) const override;
  void setCellGrey(int row, int column, bool grey) override;
  int selectedRow() const override;
  void selectRow(int row) override;
  std::wstring header(int column) const override;
  void setHeader(int column, const std::wstring& text) override;
  SortSettings sort() const override { return sort_; }
  void setSort(const SortSettings& settings) override;
  void beginFill() override;
  void endFill() override;

  // Fills in what the control asks about a row (LVN_GETDISPINFOW).
  void answer(NMLVDISPINFOW& info) const;
  // The row whose text starts with what the user typed (LVN_ODFINDITEMW), or -1.
  int find(const NMLVFINDITEMW& request) const;
  // Colours a grey cell's text while the control paints (NM_CUSTOMDRAW).
  LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;
  // The order of two texts for the user's language, case ignored.
  static int compareForUser(const std::wstring& a, const std::wstring& b);

 private:
  struct Row {
    std::vector<std::wstring> cells;
    bool checked = false;
    long long id = 0;
    std::any record;
    std::vector<bool> grey;  // by column
  };
  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  bool valid(int row) const { return row >= 0 && row < rowCount(); }
  void toggle(int row);
  void redraw(int first, int last) const;
  // Tells the control the number of rows; `everything` repaints the whole list.
  void syncCount(bool everything) const;
  // Brings the control up to date after an emptying in a fill.
  void settle();
  // Selects `row` (or nothing for -1) without scrolling to it.
  void moveSelection(int row) const;
  // Re-orders the rows by the sort settings; returns where the row with
  // identity `track` went. Stable, and the same order as the in-memory list's.
  int sortRows(long long track = -1);
  void showSortArrow();

  HWND hwnd_;
  int columns_;
  bool checkBoxes_;
  std::vector<Row> rows_;
  SortSettings sort_;
  int filling_ = 0;
  bool stale_ = false;  // emptied in a fill the control has not yet heard of
  long long nextId_ = 1;
};

// An owner-data list box (LBS_NODATA with LBS_OWNERDRAWFIXED): the rows live
// here and the control knows only their number (LB_SETCOUNT), so filling it
// with a big file is one message. It keeps selection, focus, scrolling and the
// keyboard itself, and asks for each row it paints (WM_DRAWITEM, which the
// parent window passes to draw()); the row is drawn in the control's font as
// a plain list box draws it. LB_GETTEXT and LB_GETTEXTLEN answer with the
// shown texts, so other programs read the rows as they read any list box's.
class Win32ListBox final : public ListBox {
 public:
  explicit Win32ListBox(HWND hwnd);
  ~Win32ListBox() override;
  Win32ListBox(const Win32ListBox&) = delete;
  Win32ListBox& operator=(const Win32ListBox&) = delete;

  int count() const override { return static_cast<int>(rows_.size()); }
  std::string_view row(int index) const override { return rows_[static_cast<std::size_t>(index)]; }
  const ByteLines& rows() const override { return rows_; }
  void setRows(ByteLines rows) override;
  void add(std::string_view row) override;
  void remove(int index) override;
  int selected() const override;
  void select(int index) override;

  void draw(const DRAWITEMSTRUCT& item) const;
  // The height of a row in `font`: the font's, as in a plain list box.
  static int rowHeight(HFONT font);

 private:
  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  bool valid(int index) const { return index >= 0 && index < count(); }
  void fitRowsToFont() const;

  HWND hwnd_;
  ByteLines rows_;
};

class Win32ComboBox final : public ComboBox {
 public:
  explicit Win32ComboBox(HWND hwnd) : hwnd_(hwnd) {}
  void setItems(const std::vector<std::wstring>& items) override;
  int count() const override;
  std::wstring item(int index) const override;
  int selected() const override;
  void select(int index) override;

 private:
  HWND hwnd_;
};

class Win32CheckBox final : public CheckBox {
 public:
  explicit Win32CheckBox(HWND hwnd) : hwnd_(hwnd) {}
  CheckState state() const override;
  void setState(CheckState s) override;

 private:
  HWND hwnd_;
};

class Win32TextBox final : public TextBox {
 public:
  explicit Win32TextBox(HWND hwnd) : hwnd_(hwnd) {}
  std::wstring text() const override { return windowText(hwnd_); }
  void setText(const std::wstring& text) override { SetWindowTextW(hwnd_, text.c_str()); }
  bool enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
  void setEnabled(bool on) override { EnableWindow(hwnd_, on ? TRUE : FALSE); }

 private:
  HWND hwnd_;
};

class Win32Button final : public Button {
 public:
  explicit Win32Button(HWND hwnd) : hwnd_(hwnd) {}
  bool enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
  void setEnabled(bool on) override { EnableWindow(hwnd_, on ? TRUE : FALSE); }

 private:
  HWND hwnd_;
};

// A tab control; `onShow` is told the tab now current, so the window can show
// the matching inner page also when the logic switches tabs itself.
class Win32Tabs final : public Tabs {
 public:
  Win32Tabs(HWND hwnd, std::function<void(int)> onShow) : hwnd_(hwnd), onShow_(std::move(onShow)) {}
  int current() const override { return static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)); }
  void setCurrent(int index) override {
    SendMessageW(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (onShow_) onShow_(index);
  }

 private:
  HWND hwnd_;
  std::function<void(int)> onShow_;
};

class Win32Panel final : public Panel {
 public:
  explicit Win32Panel(HWND hwnd) : hwnd_(hwnd) {}
  bool visible() const override { return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
  void setVisible(bool on) override { ShowWindow(hwnd_, on ? SW_SHOW : SW_HIDE); }

 private:
  HWND hwnd_;
};

}  // namespace trova::win32
