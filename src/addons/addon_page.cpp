#include "addons/addon_page.h"

#include "addons/addon_registry.h"

namespace trova {

using namespace addons;

std::wstring AddonPage::DisabledState(const std::wstring& id) {
  return keyExists(platform_.registry, Hive::CurrentUser, std::wstring(kSettingsKey) + L"\\" + id)
             ? kDisabled
             : kEnabled;
}

void AddonPage::FillAddonList() {
  ListFill fill(ListView_cjgl);
  ListView_cjgl.clear();
  AddClassSource(kHelperObjectsKey, kTypeHelper);
  AddClassSource(kExtensionsKey, kTypeExtension);
  AddToolbars();
  AddContextMenus();
}

// Helper objects and extensions: one sub-key per class identifier; only classes
// registered with an in-process server are listed.
void AddonPage::AddClassSource(const wchar_t* key, const wchar_t* typeLabel) {
  KeyPtr source;
  if (platform_.registry.open(Hive::LocalMachine, key, source) != regerr::Ok) return;
  std::wstring id;
  for (std::uint32_t i = 0; source->enumSubKey(i, id) == regerr::Ok; ++i) {
    std::wstring name, file;
    KeyPtr cls;
    if (platform_.registry.open(Hive::ClassesRoot, L"CLSID\\" + id, cls) == regerr::Ok) {
      file = readDefault(*cls, L"InprocServer32");
      name = readText(*cls, L"");
      if (name.empty()) name = kUnknown;
    }
    if (file.empty()) continue;
    ListView_cjgl.addRow({name, id, DisabledState(id), typeLabel, file});
  }
}

// Toolbars: one value per class identifier whose data is the display name.
void AddonPage::AddToolbars() {
  KeyPtr toolbar;
  if (platform_.registry.open(Hive::LocalMachine, kToolbarKey, toolbar) != regerr::Ok) return;
  std::wstring id;
  for (std::uint32_t i = 0; toolbar->enumValue(i, id) == regerr::Ok; ++i) {
    std::wstring name = readText(*toolbar, id);
    if (name.empty()) name = kUnknown;
    ListView_cjgl.addRow({name, id, DisabledState(id), kTypeToolbar, kFileNotFound});
  }
}

// Context-menu entries: one sub-key per menu text whose default value is the file.
void AddonPage::AddContextMenus() {
  KeyPtr menus;
  if (platform_.registry.open(Hive::CurrentUser, kMenuExtKey, menus) != regerr::Ok) return;
  std::wstring text;
  for (std::uint32_t i = 0; menus->enumSubKey(i, text) == regerr::Ok; ++i) {
    std::wstring file = readDefault(*menus, text);
    if (file.empty()) file = kUnknown;
    ListView_cjgl.addRow({text, kDefaultId, kEnabled, kTypeContextMenu, file});
  }
}

}  // namespace trova
