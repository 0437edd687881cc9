#include "ui/memory_controls.h"

namespace trova {

int MemoryListView::addRow(const std::vector<std::wstring>& cells, bool checked, std::any record) {
  Row row{cells, checked, std::move(record), {}};
  row.cells.resize(std::max<std::size_t>(headers_.size(), 1));
  rows_.push_back(std::move(row));
  int at = rowCount() - 1;
  if (sort_.enabled && filling_ == 0) at = sortRows(at);
  return at;
}

void MemoryListView::removeRow(int row) {
  rows_.erase(rows_.begin() + row);
  if (selected_ == row) selected_ = -1;
  else if (selected_ > row) --selected_;
}

std::wstring MemoryListView::cell(int row, int column) const {
  const auto& cells = rows_.at(static_cast<std::size_t>(row)).cells;
  return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                          : std::wstring();
}

void MemoryListView::setCell(int row, int column, const std::wstring& text) {
  auto& cells = rows_.at(static_cast<std::size_t>(row)).cells;
  if (static_cast<std::size_t>(column) >= cells.size()) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
}

bool MemoryListView::cellGrey(int row, int column) const {
  const auto& grey = rows_.at(static_cast<std::size_t>(row)).grey;
  return column >= 0 && static_cast<std::size_t>(column) < grey.size() && grey[static_cast<std::size_t>(column)];
}

void MemoryListView::setCellGrey(int row, int column, bool grey) {
  auto& flags = rows_.at(static_cast<std::size_t>(row)).grey;
  if (column < 0) return;
  if (static_cast<std::size_t>(column) >= flags.size()) flags.resize(static_cast<std::size_t>(column) + 1);
  flags[static_cast<std::size_t>(column)] = grey;
}

void MemoryListView::setSort(const SortSettings& settings) {
  sort_ = settings;
  if (sort_.enabled) sortRows();
}

void MemoryListView::endFill() {
  if (--filling_ == 0) {
    ++completedFills_;
    if (sort_.enabled) sortRows();
  }
}

void MemoryListBox::remove(int index) {
  rows_.erase(static_cast<std::size_t>(index));
  if (selected_ == index) selected_ = -1;
  else if (selected_ > index) --selected_;
}

int MemoryListView::sortRows(int track) {
  std::vector<std::size_t> order(rows_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return rowGoesBefore(rows_[a].cells, rows_[b].cells, sort_); });
  std::vector<Row> sorted;
  sorted.reserve(rows_.size());
  int trackedAt = -1, selectedAt = -1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (static_cast<int>(order[i]) == track) trackedAt = static_cast<int>(i);
    if (static_cast<int>(order[i]) == selected_) selectedAt = static_cast<int>(i);
    sorted.push_back(std::move(rows_[order[i]]));
  }
  rows_ = std::move(sorted);
  selected_ = selectedAt;  // the selection follows its row, as in a list control
  return trackedAt;
}

}  // namespace trova
