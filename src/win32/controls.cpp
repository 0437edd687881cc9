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
constexpr UINT_PTR kListSubclassId = 0x7472;  // "tr"
}  // namespace

Win32ListView::Win32ListView(HWND hwnd, int columns)
    : hwnd_(hwnd),
      columns_(columns),
      checkBoxes_((SendMessageW(hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES) != 0) {
  // The control keeps no state image for a virtual list: it must ask for it.
  SendMessageW(hwnd_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  SetWindowSubclass(hwnd_, &Win32ListView::subclassProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

Win32ListView::~Win32ListView() {
  if (IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &Win32ListView::subclassProc, kListSubclassId);
}

// The control does not toggle a virtual list's check boxes, so the wrapper
// takes the click on a check box and the space key before the control does.
LRESULT CALLBACK Win32ListView::subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
  auto* self = reinterpret_cast<Win32ListView*>(ref);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!self->checkBoxes_) break;
      LVHITTESTINFO hit{};
      hit.pt = POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      int row = static_cast<int>(SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (row < 0 || !(hit.flags & LVHT_ONITEMSTATEICON)) break;
      SetFocus(hwnd);
      self->toggle(row);
      return 0;
    }
    case WM_KEYDOWN: {
      if (wp != VK_SPACE || !self->checkBoxes_) break;
      int row = static_cast<int>(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
      if (row < 0) row = self->selectedRow();
      if (row >= 0) self->toggle(row);
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Win32ListView::subclassProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void Win32ListView::toggle(int row) {
  if (valid(row)) setChecked(row, !rows_[static_cast<std::size_t>(row)].checked);
}

void Win32ListView::answer(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!valid(item.iItem)) return;
  const Row& row = rows_[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const auto c = static_cast<std::size_t>(item.iSubItem);
    const wchar_t* text = item.iSubItem >= 0 && c < row.cells.size() ? row.cells[c].c_str() : L"";
    lstrcpynW(item.pszText, text, item.cchTextMax);
  }
  if ((item.mask & LVIF_STATE) && item.iSubItem == 0 && checkBoxes_) {
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
}

int Win32ListView::find(const NMLVFINDITEMW& request) const {
  const LVFINDINFOW& what = request.lvfi;
  if (!(what.flags & (LVFI_STRING | LVFI_PARTIAL)) || !what.psz || rows_.empty()) return -1;
  const std::wstring wanted = what.psz;
  const int n = rowCount();
  const int start = request.iStart >= 0 && request.iStart < n ? request.iStart : 0;
  for (int i = 0; i < n; ++i) {
    // From the start row on, and round to the top when the search may wrap.
    int r = start + i;
    if (r >= n) {
      if (!(what.flags & LVFI_WRAP)) return -1;
      r -= n;
    }
    const std::wstring& text = rows_[static_cast<std::size_t>(r)].cells[0];
    const bool partial = (what.flags & LVFI_PARTIAL) != 0;
    if (partial ? text.size() < wanted.size() : text.size() != wanted.size()) continue;
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), static_cast<int>(wanted.size()),
                       wanted.c_str(), static_cast<int>(wanted.size())) == CSTR_EQUAL)
      return r;
  }
  return -1;
}

void Win32ListView::redraw(int first, int last) const {
  if (filling_ > 0 || first > last) return;
  SendMessageW(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

void Win32ListView::syncCount(bool everything) const {
  // A new count costs the control its scroll bars' update and redraw, so an
  // unchanged one is not sent again.
  if (static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)) != rowCount())
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  if (everything) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32ListView::settle() {
  if (!stale_) return;
  // The list was emptied in a fill: what was selected there is gone, and
  // the list starts again at its top as a refilled list control does.
  stale_ = false;
  moveSelection(-1);
  syncCount(true);
  if (SendMessageW(hwnd_, LVM_GETTOPINDEX, 0, 0) > 0) SendMessageW(hwnd_, LVM_ENSUREVISIBLE, 0, FALSE);
}

void Win32ListView::moveSelection(int row) const {
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  if (row < 0) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int Win32ListView::addRow(const std::vector<std::wstring>& cells, bool checked, std::any record) {
  Row r{cells, checked, nextId_++, std::move(record), {}};
  r.cells.resize(static_cast<std::size_t>(columns_ > 0 ? columns_ : 1));
  rows_.push_back(std::move(r));
  int row = rowCount() - 1;
  if (filling_ > 0) return row;
  if (sort_.enabled) {
    syncCount(false);
    return sortRows(rows_.back().id);
  }
  syncCount(false);
  redraw(row, row);
  return row;
}

void Win32ListView::removeRow(int row) {
  if (!valid(row)) return;
  settle();
  // A list control forgets a removed selected row, and the rows after it move up with their selection.
  const int selected = selectedRow();
  rows_.erase(rows_.begin() + row);
  if (selected >= row) moveSelection(-1);
  syncCount(true);
  if (selected > row) moveSelection(selected - 1);
}

void Win32ListView::clear() {
  rows_.clear();
  // In a fill the control hears of it once, when the fill ends.
  if (filling_ > 0) {
    stale_ = true;
    return;
  }
  stale_ = false;
  SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
}

std::wstring Win32ListView::cell(int row, int column) const {
  if (!valid(row) || column < 0) return {};
  const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)] : std::wstring();
}

void Win32ListView::setCell(int row, int column, const std::wstring& text) {
  if (!valid(row) || column < 0 || column >= columns_) return;
  auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  if (static_cast<std::size_t>(column) >= cells.size()) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
  redraw(row, row);
}

const std::any& Win32ListView::record(int row) const {
  static const std::any none;
  return valid(row) ? rows_[static_cast<std::size_t>(row)].record : none;
}

void Win32ListView::setRecord(int row, std::any record) {
  if (valid(row)) rows_[static_cast<std::size_t>(row)].record = std::move(record);
}

bool Win32ListView::cellGrey(int row, int column) const {
  if (!valid(row) || column < 0) return false;
  const auto& grey = rows_[static_cast<std::size_t>(row)].grey;
  return static_cast<std::size_t>(column) < grey.size() && grey[static_cast<std::size_t>(column)];
}

void Win32ListView::setCellGrey(int row, int column, bool grey) {
  if (!valid(row) || column < 0 || column >= columns_) return;
  auto& flags = rows_[static_cast<std::size_t>(row)].grey;
  if (static_cast<std::size_t>(column) >= flags.size()) flags.resize(static_cast<std::size_t>(column) + 1);
  flags[static_cast<std::size_t>(column)] = grey;
  redraw(row, row);
}

LRESULT Win32ListView::customDraw(NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const int row = static_cast<int>(draw.nmcd.dwItemSpec);
      // Every sub-item is told its colour: the control keeps the last one given.
      draw.clrText = GetSysColor(cellGrey(row, draw.iSubItem) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
      return CDRF_NEWFONT;
    }
    default: return CDRF_DODEFAULT;
  }
}

int Win32ListView::compareForUser(const std::wstring& a, const std::wstring& b) {
  const int r = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                                b.c_str(), static_cast<int>(b.size()), nullptr, nullptr, 0);
  // CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN are 1, 2, 3; 0 is a failure.
  return r == 0 ? compareListText(a, b) : r - CSTR_EQUAL;
}

bool Win32ListView::checked(int row) const { return valid(row) && rows_[static_cast<std::size_t>(row)].checked; }

void Win32ListView::setChecked(int row, bool on) {
  if (!valid(row)) return;
  rows_[static_cast<std::size_t>(row)].checked = on;
  redraw(row, row);
}

int Win32ListView::selectedRow() const {
  if (stale_) return -1;
  int row = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  return valid(row) ? row : -1;
}

void Win32ListView::selectRow(int row) {
  if (!valid(row)) return;
  // In a fill the control may not know the row yet.
  settle();
  syncCount(filling_ == 0);
  moveSelection(row);
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

void Win32ListView::beginFill() { ++filling_; }

void Win32ListView::endFill() {
  if (--filling_ > 0) return;
  filling_ = 0;
  // The rows changed only here; the control learns their number once.
  settle();
  syncCount(true);
  if (sort_.enabled) sortRows();
}

int Win32ListView::sortRows(long long track) {
  const int selected = selectedRow();
  const long long selectedId = selected >= 0 ? rows_[static_cast<std::size_t>(selected)].id : -1;
  std::stable_sort(rows_.begin(), rows_.end(),
                   [&](const Row& a, const Row& b) { return rowGoesBefore(a.cells, b.cells, sort_, compareForUser); });
  int trackedAt = -1;
  int selectedAt = -1;
  for (int r = 0; r < rowCount(); ++r) {
    const long long id = rows_[static_cast<std::size_t>(r)].id;
    if (id == track) trackedAt = r;
    if (id == selectedId) selectedAt = r;
  }
  if (selectedAt != selected) moveSelection(selectedAt);
  if (filling_ == 0) InvalidateRect(hwnd_, nullptr, TRUE);
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

namespace {
constexpr UINT_PTR kListBoxSubclassId = 0x6c62;  // "lb"
}  // namespace

Win32ListBox::Win32ListBox(HWND hwnd) : hwnd_(hwnd) {
  SetWindowSubclass(hwnd_, &Win32ListBox::subclassProc, kListBoxSubclassId, reinterpret_cast<DWORD_PTR>(this));
  fitRowsToFont();
}

Win32ListBox::~Win32ListBox() {
  if (IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &Win32ListBox::subclassProc, kListBoxSubclassId);
}

LRESULT CALLBACK Win32ListBox::subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
  auto* self = reinterpret_cast<Win32ListBox*>(ref);
  switch (msg) {
    case LB_GETTEXTLEN:
    case LB_GETTEXT: {
      const int index = static_cast<int>(wp);
      if (!self->valid(index)) return LB_ERR;
      const std::wstring text = rowText(self->row(index));
      if (msg == LB_GETTEXT && lp) std::copy(text.c_str(), text.c_str() + text.size() + 1, reinterpret_cast<wchar_t*>(lp));
      return static_cast<LRESULT>(text.size());
    }
    case WM_SETFONT: {
      // An owner-drawn list box keeps its row height when its font changes.
      const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
      self->fitRowsToFont();
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Win32ListBox::subclassProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

int Win32ListBox::rowHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight > 0 ? metrics.tmHeight : 16;
}

void Win32ListBox::fitRowsToFont() const {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, MAKELPARAM(rowHeight(font), 0));
}

void Win32ListBox::setRows(ByteLines rows) {
  rows_ = std::move(rows);
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  if (!rows_.empty()) SendMessageW(hwnd_, LB_SETCOUNT, rows_.size(), 0);
}

void Win32ListBox::add(std::string_view row) {
  rows_.push_back(row);
  SendMessageW(hwnd_, LB_ADDSTRING, 0, 0);
}

void Win32ListBox::remove(int index) {
  if (!valid(index)) return;
  rows_.erase(static_cast<std::size_t>(index));
  SendMessageW(hwnd_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int Win32ListBox::selected() const {
  const int index = static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
  return valid(index) ? index : -1;
}

void Win32ListBox::select(int index) {
  SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(valid(index) ? index : -1), 0);
}

void Win32ListBox::draw(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  // A change of focus alone flips the dotted frame, which is drawn by XOR.
  if (item.itemAction == ODA_FOCUS) {
    DrawFocusRect(dc, &box);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int index = static_cast<int>(item.itemID);
  if (valid(index)) {
    const std::wstring text = rowText(row(index));
    const int colour = item.itemState & ODS_DISABLED ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(colour));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    RECT textBox = box;
    textBox.left += 2;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS);
    if (oldFont) SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &box);
}

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
