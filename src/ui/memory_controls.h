// In-memory controls: the same behaviour as the Win32 ones, without windows.
#pragma once
#include <algorithm>

#include "ui/controls.h"

namespace trova {

class MemoryListView final : public ListView {
 public:
  explicit MemoryListView(std::vector<std::wstring> headers) : headers_(std::move(headers)) {}

  int rowCount() const override { return static_cast<int>(rows_.size()); }
  int columnCount() const override { return static_cast<int>(headers_.size()); }
  int addRow(const std::vector<std::wstring>& cells, bool checked = false, std::any record = {}) override;
  void removeRow(int row) override;
  void clear() override {
    rows_.clear();
    selected_ = -1;
  }
  std::wstring cell(int row, int column) const override;
  void setCell(int row, int column, const std::wstring& text) override;
  const std::any& record(int row) const override { return rows_.at(static_cast<std::size_t>(row)).record; }
  void setRecord(int row, std::any record) override { rows_.at(static_cast<std::size_t>(row)).record = std::move(record); }
  bool checked(int row) const override { return rows_.at(static_cast<std::size_t>(row)).checked; }
  void setChecked(int row, bool on) override { rows_.at(static_cast<std::size_t>(row)).checked = on; }
  bool cellGrey(int row, int column) const override;
  void setCellGrey(int row, int column, bool grey) override;
  int selectedRow() const override { return selected_; }
  void selectRow(int row) override { selected_ = row; }
  std::wstring header(int column) const override { return headers_.at(static_cast<std::size_t>(column)); }
  void setHeader(int column, const std::wstring& text) override {
    headers_.at(static_cast<std::size_t>(column)) = text;
  }
  SortSettings sort() const override { return sort_; }
  void setSort(const SortSettings& settings) override;
  void beginFill() override { ++filling_; }
  void endFill() override;

  int fills() const { return completedFills_; }

 private:
  struct Row {
    std::vector<std::wstring> cells;
    bool checked = false;
    std::any record;
    std::vector<bool> grey;  // by column
  };
  // Sorts by the settings; returns where the row first at `track` went.
  int sortRows(int track = -1);

  std::vector<std::wstring> headers_;
  std::vector<Row> rows_;
  int selected_ = -1;
  SortSettings sort_;
  int filling_ = 0;
  int completedFills_ = 0;
};

class MemoryListBox final : public ListBox {
 public:
  int count() const override { return static_cast<int>(rows_.size()); }
  std::string_view row(int index) const override { return rows_[static_cast<std::size_t>(index)]; }
  const ByteLines& rows() const override { return rows_; }
  void setRows(ByteLines rows) override {
    rows_ = std::move(rows);
    selected_ = -1;
  }
  void add(std::string_view row) override { rows_.push_back(row); }
  void remove(int index) override;
  int selected() const override { return selected_; }
  void select(int index) override { selected_ = index >= 0 && index < count() ? index : -1; }

 private:
  ByteLines rows_;
  int selected_ = -1;
};

class MemoryComboBox final : public ComboBox {
 public:
  void setItems(const std::vector<std::wstring>& items) override {
    items_ = items;
    selected_ = -1;
  }
  int count() const override { return static_cast<int>(items_.size()); }
  std::wstring item(int index) const override { return items_.at(static_cast<std::size_t>(index)); }
  int selected() const override { return selected_; }
  void select(int index) override { selected_ = index; }

 private:
  std::vector<std::wstring> items_;
  int selected_ = -1;
};

class MemoryCheckBox final : public CheckBox {
 public:
  CheckState state() const override { return state_; }
  void setState(CheckState s) override { state_ = s; }

 private:
  CheckState state_ = CheckState::Unchecked;
};

class MemoryTextBox final : public TextBox {
 public:
  std::wstring text() const override { return text_; }
  void setText(const std::wstring& text) override { text_ = text; }
  bool enabled() const override { return enabled_; }
  void setEnabled(bool on) override { enabled_ = on; }

 private:
  std::wstring text_;
  bool enabled_ = true;
};

class MemoryButton final : public Button {
 public:
  bool enabled() const override { return enabled_; }
  void setEnabled(bool on) override { enabled_ = on; }

 private:
  bool enabled_ = true;
};

class MemoryTabs final : public Tabs {
 public:
  int current() const override { return current_; }
  void setCurrent(int index) override { current_ = index; }

 private:
  int current_ = 0;
};

class MemoryPanel final : public Panel {
 public:
  bool visible() const override { return visible_; }
  void setVisible(bool on) override { visible_ = on; }

 private:
  bool visible_ = false;
};

class MemoryPopupMenus final : public PopupMenus {
 public:
  void popup(const std::wstring& menu) override { shown.push_back(menu); }
  std::vector<std::wstring> shown;
};

}  // namespace trova
