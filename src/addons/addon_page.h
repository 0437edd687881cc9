// The add-on management page: the browser's helper objects, extensions,
// toolbars and context-menu entries in one list, and the buttons that disable,
// enable, delete and export them.
#pragma once
#include <string>
#include <vector>

#include "app/page.h"
#include "platform/registry.h"
#include "ui/controls.h"

namespace trova {

// What a row of the add-on list is: where the browser finds the add-on (which
// registry view, for the machine-wide sources), its identifier and, for a
// context-menu entry, the menu text that names its key.
struct AddonRow {
  enum class Source { HelperObject, Extension, Toolbar, ContextMenu };
  Source source;
  std::wstring id;        // the class identifier as the registry spells it; empty for a menu entry
  std::wstring menuText;  // the context-menu entry's key name
  RegView view = RegView::Bits64;
};

class AddonPage final : public Page {
 public:
  explicit AddonPage(PageSite& site);

  // Empties the list and reads every add-on from the registry again.
  void FillAddonList();
  // "插件名称,总N个" above the list, after every tab pick.
  void UpdateAddonHeader();
  // "已禁用" when the add-on's key under Ext\Settings exists.
  std::wstring DisabledState(const std::wstring& id);

  // "禁用": marks the selected add-on disabled (Ext\Settings\<id>, Flags = 1).
  void Command_cjgljy_Click();
  // "启用": removes the selected add-on's disabled mark.
  void Command_cjglqy_Click();
  // "删除": removes the registration that makes the browser load the add-on.
  void Command_cjglsc_Click();
  // "导出": writes the whole list, as shown, to a text log the user names.
  void Command_cjgldc_Click();
  // A row was clicked: context-menu entries cannot be disabled or enabled, so
  // "启用" and "禁用" are greyed for them.
  void ListView_cjgl_ItemClick(int row);

  // The details search looks a context-menu entry up by its menu text, every
  // other add-on by its class identifier.
  static std::wstring DetailsSearchTerm(const ListView& list, int row);

 private:
  void AddClassSource(RegView view, const wchar_t* key, AddonRow::Source source, const wchar_t* typeLabel);
  void AddToolbars(RegView view);
  // After the disabled mark of `id` changed: every row of that add-on, in
  // either view, shows the new state (both views share the one mark).
  void ShowStateOfEveryRow(const std::wstring& id, const wchar_t* state);
  void AddContextMenus();
  // The selected row's record when "禁用"/"启用" can act on it, else null.
  const AddonRow* RowWithDisabledMark() const;
  void Failed(const std::wstring& what, const std::wstring& reason);

  Platform& platform_;
  ListView& ListView_cjgl;
  Button& Command_cjglqy;
  Button& Command_cjgljy;
};

}  // namespace trova
