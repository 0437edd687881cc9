// The control interfaces over real windows. Each wrapper is a typed view of
// an HWND it does not own; the window destroys its controls itself.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace trova::win32 {

std::wstring windowText(HWND hwnd);

class Win32ListView final : public ListView {
 public:
  Win32ListView(HWND hwnd, int columns) : hwnd_(hwnd), columns_(columns) {}
  HWND hwnd() const { return hwnd_; }

  int rowCount() const override;
  int columnCount() const override { return columns_; }
  int addRow(const std::vector<std::wstring>& cells, bool checked) override;
  void removeRow(int row) override;
  void clear() override;
  std::wstring cell(int row, int column) const override;
  void setCell(int row, int column, const std::wstring& text) override;
  bool checked(int row) const override;
  void setChecked(int row, bool on) override;
  int selectedRow() const override;
  void selectRow(int row) override;
  std::wstring header(int column) const override;
  void setHeader(int column, const std::wstring& text) override;
  SortSettings sort() const override { return sort_; }
  void setSort(const SortSettings& settings) override;
  void beginFill() override;
  void endFill() override;

 private:
  // Re-orders the rows by the sort settings; returns where the row with
  // identity `track` went. Done here rather than by the control so that the
  // order is stable and the same as the in-memory list's.
  int sortRows(LPARAM track = -1);
  void showSortArrow();

  HWND hwnd_;
  int columns_;
  SortSettings sort_;
  int filling_ = 0;
  LPARAM nextId_ = 1;
};

class Win32ListBox final : public ListBox {
 public:
  explicit Win32ListBox(HWND hwnd) : hwnd_(hwnd) {}
  int count() const override;
  void add(const std::wstring& text) override;
  void remove(int index) override;
  void clear() override;
  std::wstring item(int index) const override;
  int selected() const override;
  void select(int index) override;

 private:
  HWND hwnd_;
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
