// The add-on management page: the browser's helper objects, extensions,
// toolbars and context-menu entries in one list, and the buttons that disable,
// enable, delete and export them.
#pragma once
#include "platform/registry.h"
#include "platform/shell.h"
#include "ui/controls.h"

namespace trova {

class AddonPage {
 public:
  AddonPage(Platform& platform, ListView& list, Button& enable, Button& disable)
      : platform_(platform), ListView_cjgl(list), Command_cjglqy(enable), Command_cjgljy(disable) {}

  // Empties the list and reads every add-on from the registry again.
  void FillAddonList();
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
  // The export file's lines, in the order the list shows its rows.
  std::vector<std::wstring> LogLines() const;

 private:
  void AddClassSource(const wchar_t* key, const wchar_t* typeLabel);
  void AddToolbars();
  void AddContextMenus();
  // The selected row when "禁用"/"启用" can act on it, else -1.
  int RowWithDisabledMark() const;
  void Failed(const std::wstring& what, const std::wstring& reason);

  Platform& platform_;
  ListView& ListView_cjgl;
  Button& Command_cjglqy;
  Button& Command_cjgljy;
};

}  // namespace trova
