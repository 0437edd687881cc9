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

namespace {
std::wstring typeIn(RegView view, const wchar_t* label) {
  return view == RegView::Bits32 ? std::wstring(label) + kOf32BitView : std::wstring(label);
}
}  // namespace

std::wstring AddonPage::DisabledState(const std::wstring& id) {
  return keyExists(platform_.registry, Hive::CurrentUser, std::wstring(kSettingsKey) + L"\\" + id)
             ? kDisabled
             : kEnabled;
}

void AddonPage::FillAddonList() {
  ListFill fill(ListView_cjgl);
  ListView_cjgl.clear();
  // The 64-bit browser's add-ons, then the 32-bit one's, source by source;
  // context-menu entries live under HKEY_CURRENT_USER, which both share.
  for (RegView view : registryViews()) {
    AddClassSource(view, kHelperObjectsKey, AddonRow::Source::HelperObject, kTypeHelper);
    AddClassSource(view, kExtensionsKey, AddonRow::Source::Extension, kTypeExtension);
    AddToolbars(view);
  }
  AddContextMenus();
}

void AddonPage::UpdateAddonHeader() {
  ListView_cjgl.setHeader(0, L"插件名称,总" + std::to_wstring(ListView_cjgl.rowCount()) + L"个");
}

// Helper objects and extensions: one sub-key per class identifier; only classes
// registered with an in-process server are listed.
void AddonPage::AddClassSource(RegView view, const wchar_t* key, AddonRow::Source source, const wchar_t* typeLabel) {
  KeyPtr list;
  if (platform_.registry.open({Hive::LocalMachine, view}, key, list) != regerr::Ok) return;
  std::wstring id;
  for (std::uint32_t i = 0; list->enumSubKey(i, id) == regerr::Ok; ++i) {
    std::wstring name, file;
    KeyPtr cls;
    // The class is looked up where that browser looks it up: in its own view.
    if (platform_.registry.open({Hive::ClassesRoot, view}, L"CLSID\\" + id, cls) == regerr::Ok) {
      file = readDefault(*cls, L"InprocServer32");
      name = readText(*cls, L"");
      if (name.empty()) name = kUnknown;
    }
    if (file.empty()) continue;
    ListView_cjgl.addRow({name, id, DisabledState(id), typeIn(view, typeLabel), file}, false,
                         AddonRow{source, id, {}, view});
  }
}

// Toolbars: one value per class identifier whose data is the display name.
void AddonPage::AddToolbars(RegView view) {
  KeyPtr toolbar;
  if (platform_.registry.open({Hive::LocalMachine, view}, kToolbarKey, toolbar) != regerr::Ok) return;
  std::wstring id;
  for (std::uint32_t i = 0; toolbar->enumValue(i, id) == regerr::Ok; ++i) {
    std::wstring name = readText(*toolbar, id);
    if (name.empty()) name = kUnknown;
    ListView_cjgl.addRow({name, id, DisabledState(id), typeIn(view, kTypeToolbar), kFileNotFound}, false,
                         AddonRow{AddonRow::Source::Toolbar, id, {}, view});
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
