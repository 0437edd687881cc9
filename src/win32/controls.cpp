#include "win32/controls.h"

#include <algorithm>

namespace trova::win32 {

std::wstring windowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return s;
}

namespace {
std::wstring itemText(HWND lv, int row, int column) {
  // The control cuts at the buffer size; grow until the text fits.
  for (int size = 256;; size *= 2) {
    std::wstring buf(static_cast<std::size_t>(size), L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = size;
    int n = static_cast<int>(SendMessageW(lv, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                          reinterpret_cast<LPARAM>(&item)));
    if (n < size - 1 || size >= (1 << 20)) {
      buf.resize(static_cast<std::size_t>(n));
      return buf;
    }
  }
}

void setItemText(HWND lv, int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(lv, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void setCheck(HWND lv, int row, bool on) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
  SendMessageW(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

LPARAM itemParam(HWND lv, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  SendMessageW(lv, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}
}  // namespace

int Win32ListView::rowCount() const { return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

int Win32ListView::addRow(const std::vector<std::wstring>& cells, bool checked) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = rowCount();
  std::wstring text = cells.empty() ? std::wstring() : cells[0];
  item.pszText = text.data();
  item.lParam = nextId_++;
  int row = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  for (std::size_t c = 1; c < cells.size() && static_cast<int>(c) < columns_; ++c)
    setItemText(hwnd_, row, static_cast<int>(c), cells[c]);
  if (checked) setCheck(hwnd_, row, true);
  if (sort_.enabled && filling_ == 0) row = sortRows(item.lParam);
  return row;
}

void Win32ListView::removeRow(int row) { SendMessageW(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0); }

void Win32ListView::clear() { SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

std::wstring Win32ListView::cell(int row, int column) const { return itemText(hwnd_, row, column); }

void Win32ListView::setCell(int row, int column, const std::wstring& text) {
  setItemText(hwnd_, row, column, text);
}

bool Win32ListView::checked(int row) const {
  auto state = SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void Win32ListView::setChecked(int row, bool on) { setCheck(hwnd_, row, on); }

int Win32ListView::selectedRow() const {
  return static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32ListView::selectRow(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

std::wstring Win32ListView::header(int column) const {
  wchar_t buf[512] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = 512;
  SendMessageW(hwnd_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
  return buf;
}

void Win32ListView::setHeader(int column, const std::wstring& text) {
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(hwnd_, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

void Win32ListView::setSort(const SortSettings& settings) {
  sort_ = settings;
  if (sort_.enabled) sortRows();
  showSortArrow();
}

void Win32ListView::beginFill() {
  if (filling_++ == 0) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void Win32ListView::endFill() {
  if (--filling_ > 0) return;
  filling_ = 0;
  if (sort_.enabled) sortRows();
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int Win32ListView::sortRows(LPARAM track) {
  struct Row {
    std::vector<std::wstring> cells;
    bool checked;
    bool selected;
    LPARAM id;
  };
  const int n = rowCount();
  std::vector<Row> rows;
  rows.reserve(static_cast<std::size_t>(n));
  for (int r = 0; r < n; ++r) {
    Row row{{}, checked(r), false, itemParam(hwnd_, r)};
    for (int c = 0; c < columns_; ++c) row.cells.push_back(itemText(hwnd_, r, c));
    row.selected = (SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(r), LVIS_SELECTED) &
                    LVIS_SELECTED) != 0;
    rows.push_back(std::move(row));
  }
  const auto c = static_cast<std::size_t>(std::clamp(sort_.column, 0, columns_ - 1));
  const bool desc = sort_.descending;
  std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
    int r = compareListText(a.cells[c], b.cells[c]);
    return desc ? r > 0 : r < 0;
  });

  const bool quiet = filling_ == 0;
  if (quiet) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  int trackedAt = -1;
  for (int r = 0; r < n; ++r) {
    const Row& row = rows[static_cast<std::size_t>(r)];
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = r;
    item.pszText = const_cast<wchar_t*>(row.cells[0].c_str());
    item.lParam = row.id;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1) |
                 (row.selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0);
    SendMessageW(hwnd_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int col = 1; col < columns_; ++col) setItemText(hwnd_, r, col, row.cells[static_cast<std::size_t>(col)]);
    if (row.id == track) trackedAt = r;
  }
  if (quiet) {
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  return trackedAt;
}

void Win32ListView::showSortArrow() {
  HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
  if (!header) return;
  for (int c = 0; c < columns_; ++c) {
    HDITEMW hd{};
    hd.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&hd));
    hd.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (sort_.enabled && c == sort_.column) hd.fmt |= sort_.descending ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&hd));
  }
}

int Win32ListBox::count() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
void Win32ListBox::add(const std::wstring& text) {
  SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void Win32ListBox::remove(int index) { SendMessageW(hwnd_, LB_DELETESTRING, static_cast<WPARAM>(index), 0); }
void Win32ListBox::clear() { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
std::wstring Win32ListBox::item(int index) const {
  auto n = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n < 0) return {};
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<std::size_t>(n));
  return s;
}
int Win32ListBox::selected() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
void Win32ListBox::select(int index) { SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void Win32ComboBox::setItems(const std::vector<std::wstring>& items) {
  SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const auto& s : items) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}
int Win32ComboBox::count() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
std::wstring Win32ComboBox::item(int index) const {
  auto n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n < 0) return {};
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<std::size_t>(n));
  return s;
}
int Win32ComboBox::selected() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
void Win32ComboBox::select(int index) { SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

CheckState Win32CheckBox::state() const {
  switch (SendMessageW(hwnd_, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return CheckState::Checked;
    case BST_INDETERMINATE: return CheckState::Grayed;
    default: return CheckState::Unchecked;
  }
}
void Win32CheckBox::setState(CheckState s) {
  WPARAM v = s == CheckState::Checked ? BST_CHECKED : s == CheckState::Grayed ? BST_INDETERMINATE : BST_UNCHECKED;
  SendMessageW(hwnd_, BM_SETCHECK, v, 0);
}

}  // namespace trova::win32
