// The add-on management page: the browser's helper objects, extensions,
// toolbars and context-menu entries in one list.
#pragma once
#include "platform/registry.h"
#include "platform/shell.h"
#include "ui/controls.h"

namespace trova {

class AddonPage {
 public:
  AddonPage(Platform& platform, ListView& list) : platform_(platform), ListView_cjgl(list) {}

  // Empties the list and reads every add-on from the registry again.
  void FillAddonList();
  // "已禁用" when the add-on's key under Ext\Settings exists.
  std::wstring DisabledState(const std::wstring& id);

 private:
  void AddClassSource(const wchar_t* key, const wchar_t* typeLabel);
  void AddToolbars();
  void AddContextMenus();

  Platform& platform_;
  ListView& ListView_cjgl;
};

}  // namespace trova
