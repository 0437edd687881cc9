#include "app/memory_control_set.h"

#include "app/form1_design.h"

namespace trova {

MemoryControlSet::MemoryControlSet() {
  for (const auto& d : form1Design()) {
    switch (d.kind) {
      case Kind::List:
      case Kind::CheckList: controls_.add<MemoryListView>(d.name, d.items); break;
      case Kind::ListBox: controls_.add<MemoryListBox>(d.name); break;
      case Kind::Combo:
        if (!d.items.empty()) controls_.add<MemoryComboBox>(d.name).setItems(d.items);
        else controls_.add<MemoryComboBox>(d.name);
        break;
      case Kind::CheckBox:
      case Kind::ThreeStateCheckBox: controls_.add<MemoryCheckBox>(d.name); break;
      case Kind::Edit: controls_.add<MemoryTextBox>(d.name); break;
      case Kind::Button: controls_.add<MemoryButton>(d.name); break;
      case Kind::Tabs: controls_.add<MemoryTabs>(d.name); break;
      case Kind::Page:
      case Kind::Frame: controls_.add<MemoryPanel>(d.name); break;
      case Kind::Label: break;
    }
  }
}

}  // namespace trova
