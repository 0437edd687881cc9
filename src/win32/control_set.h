// The real controls of the main window by their design names, as wrappers over
// the window handles Form1Window created from the design table.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "ui/control_set.h"
#include "win32/controls.h"

namespace trova::win32 {

class Win32ControlSet final : public ControlSet {
 public:
  // `handleOf` gives the window of a design name; `showInnerPage` is told when
  // the logic switches an inner tab control itself; `menus` pops up menus.
  Win32ControlSet(const std::function<HWND(const std::wstring&)>& handleOf,
                  const std::function<void(const std::wstring&, int)>& showInnerPage, PopupMenus& menus);

  ListView& listView(std::wstring_view name) override { return get<Win32ListView>(name); }
  ListBox& listBox(std::wstring_view name) override { return get<Win32ListBox>(name); }
  ComboBox& comboBox(std::wstring_view name) override { return get<Win32ComboBox>(name); }
  CheckBox& checkBox(std::wstring_view name) override { return get<Win32CheckBox>(name); }
  TextBox& textBox(std::wstring_view name) override { return get<Win32TextBox>(name); }
  Button& button(std::wstring_view name) override { return get<Win32Button>(name); }
  Tabs& tabs(std::wstring_view name) override { return get<Win32Tabs>(name); }
  Panel& panel(std::wstring_view name) override { return get<Win32Panel>(name); }
  PopupMenus& menus() override { return menus_; }

  // The list view wrapper of a window handle (for the notifications only it
  // can answer), or null.
  Win32ListView* listOf(HWND hwnd) const;
  // The list box wrapper of a window handle (it draws the rows), or null.
  Win32ListBox* listBoxOf(HWND hwnd) const;

 private:
  template <typename T>
  T& get(std::wstring_view name) {
    return controls_.get<T>(name);
  }
  NamedControls controls_;
  std::map<HWND, Win32ListView*> lists_;
  std::map<HWND, Win32ListBox*> listBoxes_;
  PopupMenus& menus_;
};

}  // namespace trova::win32
