#include "addons/addon_page.h"

#include "addons/addon_registry.h"
#include "app/list_behaviour.h"

namespace trova {

using namespace addons;

AddonPage::AddonPage(PageSite& site)
    : platform_(site.platform),
      ListView_cjgl(site.controls.listView(L"ListView_cjgl")),
      Command_cjglqy(site.controls.button(L"Command_cjglqy")),
      Command_cjgljy(site.controls.button(L"Command_cjgljy")) {
  site.onPick(PickStep::AddonList, [this] { FillAddonList(); });
  site.onEveryPick(PickStep::AddonHeader, [this] { UpdateAddonHeader(); });
  site.onClick(L"Command_cjgljy", [this] { Command_cjgljy_Click(); });
  site.onClick(L"Command_cjglqy", [this] { Command_cjglqy_Click(); });
  site.onClick(L"Command_cjglsc", [this] { Command_cjglsc_Click(); });
  site.onClick(L"Command_cjgldc", [this] { Command_cjgldc_Click(); });
  site.routes.rowClick[L"ListView_cjgl"] = [this](int row) { ListView_cjgl_ItemClick(row); };
  shareList(site, {.name = L"ListView_cjgl", .list = &ListView_cjgl, .menu = L"cd_cjglyj",
                   .detailsItem = L"cd_cjglxxxx", .term = DetailsSearchTerm});
}

std::wstring AddonPage::DisabledState(const std::wstring& id) {
  return keyExists(platform_.registry, Hive::CurrentUser, std::wstring(kSettingsKey) + L"\\" + id)
             ? kDisabled
             : kEnabled;
}

void AddonPage::FillAddonList() {
  ListFill fill(ListView_cjgl);
  ListView_cjgl.clear();
  AddClassSource(kHelperObjectsKey, AddonRow::Source::HelperObject, kTypeHelper);
  AddClassSource(kExtensionsKey, AddonRow::Source::Extension, kTypeExtension);
  AddToolbars();
  AddContextMenus();
}

void AddonPage::UpdateAddonHeader() {
  ListView_cjgl.setHeader(0, L"插件名称,总" + std::to_wstring(ListView_cjgl.rowCount()) + L"个");
}

// Helper objects and extensions: one sub-key per class identifier; only classes
// registered with an in-process server are listed.
void AddonPage::AddClassSource(const wchar_t* key, AddonRow::Source source, const wchar_t* typeLabel) {
  KeyPtr list;
  if (platform_.registry.open(Hive::LocalMachine, key, list) != regerr::Ok) return;
  std::wstring id;
  for (std::uint32_t i = 0; list->enumSubKey(i, id) == regerr::Ok; ++i) {
    std::wstring name, file;
    KeyPtr cls;
    if (platform_.registry.open(Hive::ClassesRoot, L"CLSID\\" + id, cls) == regerr::Ok) {
      file = readDefault(*cls, L"InprocServer32");
      name = readText(*cls, L"");
      if (name.empty()) name = kUnknown;
    }
    if (file.empty()) continue;
    ListView_cjgl.addRow({name, id, DisabledState(id), typeLabel, file}, false, AddonRow{source, id, {}});
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
    ListView_cjgl.addRow({name, id, DisabledState(id), kTypeToolbar, kFileNotFound}, false,
                         AddonRow{AddonRow::Source::Toolbar, id, {}});
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
    ListView_cjgl.addRow({text, kDefaultId, kEnabled, kTypeContextMenu, file}, false,
                         AddonRow{AddonRow::Source::ContextMenu, {}, text});
  }
}

}  // namespace trova
