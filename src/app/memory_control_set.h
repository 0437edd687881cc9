// Every control of the main window's design as an in-memory control, for tests.
#pragma once

#include "ui/control_set.h"
#include "ui/memory_controls.h"

namespace trova {

class MemoryControlSet final : public ControlSet {
 public:
  MemoryControlSet();  // one control per entry of form1Design()

  MemoryListView& listView(std::wstring_view name) override { return get<MemoryListView>(name); }
  MemoryListBox& listBox(std::wstring_view name) override { return get<MemoryListBox>(name); }
  MemoryComboBox& comboBox(std::wstring_view name) override { return get<MemoryComboBox>(name); }
  MemoryCheckBox& checkBox(std::wstring_view name) override { return get<MemoryCheckBox>(name); }
  MemoryTextBox& textBox(std::wstring_view name) override { return get<MemoryTextBox>(name); }
  MemoryButton& button(std::wstring_view name) override { return get<MemoryButton>(name); }
  MemoryTabs& tabs(std::wstring_view name) override { return get<MemoryTabs>(name); }
  MemoryPanel& panel(std::wstring_view name) override { return get<MemoryPanel>(name); }
  MemoryPopupMenus& menus() override { return menus_; }

 private:
  template <typename T>
  T& get(std::wstring_view name) {
    return controls_.get<T>(name);
  }
  NamedControls controls_;
  MemoryPopupMenus menus_;
};

}  // namespace trova
