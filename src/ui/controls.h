// The controls the pages work with, as thin interfaces: the Win32 layer wraps
// real windows, tests use the in-memory versions. Rows are addressed by their
// position in the current display order; column 0 is the row text.
#pragma once
#include <any>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_lines.h"

namespace trova {

// The list's own sort settings: the column sorted by, its direction, and
// whether sorting is on. They live with the list and survive refills.
struct SortSettings {
  int column = 0;
  bool descending = false;
  bool enabled = false;
};

// Orders two cells of a sorted column (negative, zero, positive). The real
// list asks the system to compare as the user's language does (Chinese by
// pinyin); the in-memory list uses this simpler rule, which agrees with the
// system on plain ASCII: case ignored, punctuation before digits before letters.
int compareListText(const std::wstring& a, const std::wstring& b);
using TextOrder = int (*)(const std::wstring& a, const std::wstring& b);
// True when a row with cells `a` goes before one with `b` under `sort`; a
// missing cell counts as empty. Every list sorts stably by this rule.
bool rowGoesBefore(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b,
                   const SortSettings& sort, TextOrder order = compareListText);

class ListView {
 public:
  virtual ~ListView() = default;
  virtual int rowCount() const = 0;
  virtual int columnCount() const = 0;
  // Appends a row (text first, then sub-items) with the record the page keeps
  // for it; returns where it landed. The record moves with its row when the
  // list is sorted, so actions read what a row is from it, never from the
  // texts shown.
  virtual int addRow(const std::vector<std::wstring>& cells, bool checked = false, std::any record = {}) = 0;
  virtual void removeRow(int row) = 0;
  virtual void clear() = 0;
  virtual std::wstring cell(int row, int column) const = 0;
  virtual void setCell(int row, int column, const std::wstring& text) = 0;
  virtual const std::any& record(int row) const = 0;
  virtual void setRecord(int row, std::any record) = 0;
  virtual bool checked(int row) const = 0;
  virtual void setChecked(int row, bool on) = 0;
  // A cell drawn in the system's grey text colour, for a value that is only a
  // stand-in (the row is otherwise shown and used as any other).
  virtual bool cellGrey(int row, int column) const = 0;
  virtual void setCellGrey(int row, int column, bool grey) = 0;
  // The selected (highlighted) row, or -1.
  virtual int selectedRow() const = 0;
  virtual void selectRow(int row) = 0;
  virtual std::wstring header(int column) const = 0;
  virtual void setHeader(int column, const std::wstring& text) = 0;
  virtual SortSettings sort() const = 0;
  // Applies the settings; sorts the rows at once when sorting is on.
  virtual void setSort(const SortSettings& settings) = 0;
  // A fill between beginFill and endFill neither redraws nor sorts row by row.
  virtual void beginFill() = 0;
  virtual void endFill() = 0;
};

// The record of a row as the page stored it, or null when it holds another type.
template <typename T>
const T* recordOf(const ListView& list, int row) {
  if (row < 0 || row >= list.rowCount()) return nullptr;
  return std::any_cast<T>(&list.record(row));
}

// Scope of a fill: redraw and sorting resume when it ends.
class ListFill {
 public:
  explicit ListFill(ListView& list) : list_(list) { list_.beginFill(); }
  ~ListFill() { list_.endFill(); }
  ListFill(const ListFill&) = delete;
  ListFill& operator=(const ListFill&) = delete;

 private:
  ListView& list_;
};

// A plain list box of lines as a file holds them: each row is a line's bytes,
// kept exactly, and shown as rowText() decodes them. The rows live in the
// wrapper; the real control only knows how many there are and draws the ones
// in view, so a list of a few hundred thousand lines fills in one step. One
// row at a time can be selected.
class ListBox {
 public:
  virtual ~ListBox() = default;
  virtual int count() const = 0;
  virtual std::string_view row(int index) const = 0;
  virtual const ByteLines& rows() const = 0;
  // Replaces every row; nothing is selected then and the list shows its top.
  virtual void setRows(ByteLines rows) = 0;
  virtual void add(std::string_view row) = 0;
  // Removes a row; a selection below it moves up with its row, a selection of
  // the row itself is gone.
  virtual void remove(int index) = 0;
  virtual int selected() const = 0;  // -1 when none
  virtual void select(int index) = 0;
};

// What a list box row shows: its bytes as UTF-8 where they are valid UTF-8,
// and in the ANSI code page otherwise.
std::wstring rowText(std::string_view row);

class ComboBox {
 public:
  virtual ~ComboBox() = default;
  virtual void setItems(const std::vector<std::wstring>& items) = 0;
  virtual int count() const = 0;
  virtual std::wstring item(int index) const = 0;
  virtual int selected() const = 0;  // -1 when none
  virtual void select(int index) = 0;
};

enum class CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };

class CheckBox {
 public:
  virtual ~CheckBox() = default;
  virtual CheckState state() const = 0;
  virtual void setState(CheckState s) = 0;
};

class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual std::wstring text() const = 0;
  virtual void setText(const std::wstring& text) = 0;
  virtual bool enabled() const = 0;
  virtual void setEnabled(bool on) = 0;
};

class Button {
 public:
  virtual ~Button() = default;
  virtual bool enabled() const = 0;
  virtual void setEnabled(bool on) = 0;
};

// A tab strip or tab control: which tab is current (from 0).
class Tabs {
 public:
  virtual ~Tabs() = default;
  virtual int current() const = 0;
  virtual void setCurrent(int index) = 0;
};

// A page or frame that is shown or hidden as a whole.
class Panel {
 public:
  virtual ~Panel() = default;
  virtual bool visible() const = 0;
  virtual void setVisible(bool on) = 0;
};

// Pop-up menus defined on the window (cd_cjglyj, cd_cjmyyj, cd_qdxm, cd_rjxz):
// shows one at the mouse position; a chosen item arrives as a Click event
// named after the item.
class PopupMenus {
 public:
  virtual ~PopupMenus() = default;
  virtual void popup(const std::wstring& menu) = 0;
};

}  // namespace trova
