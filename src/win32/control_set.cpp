#include "win32/control_set.h"

#include "app/form1_design.h"

namespace trova::win32 {

Win32ControlSet::Win32ControlSet(const std::function<HWND(const std::wstring&)>& handleOf,
                                 const std::function<void(const std::wstring&, int)>& showInnerPage,
                                 PopupMenus& menus)
    : menus_(menus) {
  for (const auto& d : form1Design()) {
    HWND h = handleOf(d.name);
    if (!h) continue;
    switch (d.kind) {
      case Kind::List:
      case Kind::CheckList: lists_[h] = &controls_.add<Win32ListView>(d.name, h, static_cast<int>(d.items.size())); break;
      case Kind::ListBox: listBoxes_[h] = &controls_.add<Win32ListBox>(d.name, h); break;
      case Kind::Combo:
        if (!d.items.empty()) controls_.add<Win32ComboBox>(d.name, h).setItems(d.items);
        else controls_.add<Win32ComboBox>(d.name, h);
        break;
      case Kind::CheckBox:
      case Kind::ThreeStateCheckBox: controls_.add<Win32CheckBox>(d.name, h); break;
      case Kind::Edit: controls_.add<Win32TextBox>(d.name, h); break;
      case Kind::Button: controls_.add<Win32Button>(d.name, h); break;
      case Kind::Tabs: {
        // The main tab strip shows its pages through the page switch; an inner
        // tab control shows the page of the tab the logic picks.
        std::function<void(int)> onShow;
        if (d.name != L"TabStrip_cjmy") onShow = [showInnerPage, name = d.name](int i) { showInnerPage(name, i); };
        controls_.add<Win32Tabs>(d.name, h, std::move(onShow));
        break;
      }
      case Kind::Page:
      case Kind::Frame: controls_.add<Win32Panel>(d.name, h); break;
      case Kind::Label: break;
    }
  }
}

Win32ListView* Win32ControlSet::listOf(HWND hwnd) const {
  auto it = lists_.find(hwnd);
  return it == lists_.end() ? nullptr : it->second;
}

Win32ListBox* Win32ControlSet::listBoxOf(HWND hwnd) const {
  auto it = listBoxes_.find(hwnd);
  return it == listBoxes_.end() ? nullptr : it->second;
}

}  // namespace trova::win32
