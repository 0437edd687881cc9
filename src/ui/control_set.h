// The controls of a window by their design names. Pages ask for theirs when
// they are built ("ListView_cjgl", "Command_cjgljy"); a name that is missing,
// or that names a control of another kind, is a programming error and throws.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ui/controls.h"

namespace trova {

class ControlSet {
 public:
  virtual ~ControlSet() = default;
  virtual ListView& listView(std::wstring_view name) = 0;
  virtual ListBox& listBox(std::wstring_view name) = 0;
  virtual ComboBox& comboBox(std::wstring_view name) = 0;
  virtual CheckBox& checkBox(std::wstring_view name) = 0;
  virtual TextBox& textBox(std::wstring_view name) = 0;
  virtual Button& button(std::wstring_view name) = 0;
  virtual Tabs& tabs(std::wstring_view name) = 0;
  // Pages, tab pages and frames: what is shown or hidden as a whole.
  virtual Panel& panel(std::wstring_view name) = 0;
  virtual PopupMenus& menus() = 0;
};

// The storage a control set keeps its controls in: one control of any type per
// name, found again by name and type.
class NamedControls {
 public:
  template <typename T, typename... Args>
  T& add(const std::wstring& name, Args&&... args) {
    auto held = std::make_unique<Holder<T>>(std::forward<Args>(args)...);
    T& control = held->control;
    controls_[name] = std::move(held);
    return control;
  }
  // The control of that name and type; throws std::logic_error when there is none.
  template <typename T>
  T& get(std::wstring_view name) {
    auto it = controls_.find(std::wstring(name));
    auto* held = it == controls_.end() ? nullptr : dynamic_cast<Holder<T>*>(it->second.get());
    if (!held) throwMissing(name);
    return held->control;
  }

 private:
  [[noreturn]] static void throwMissing(std::wstring_view name);
  struct Any {
    virtual ~Any() = default;
  };
  template <typename T>
  struct Holder final : Any {
    template <typename... Args>
    explicit Holder(Args&&... args) : control(std::forward<Args>(args)...) {}
    T control;
  };
  std::map<std::wstring, std::unique_ptr<Any>> controls_;
};

}  // namespace trova
