// The buttons of the add-on page. Each change is checked afterwards: the row
// and the message say what the registry now holds, not what was attempted.
#include "addons/addon_page.h"
#include "addons/addon_registry.h"
#include "app/export_file.h"
#include "formats/addon_log.h"
#include "platform/text.h"

namespace trova {

using namespace addons;

namespace {

constexpr const wchar_t* kNotice = L"提示";

std::wstring markPath(const std::wstring& id) { return std::wstring(kSettingsKey) + L"\\" + id; }

// The mark lives at Ext\Settings\<id>: an empty identifier would address
// Ext\Settings itself and a backslash a key further down, so neither is
// touched; nor is one longer than a key name may be (a toolbar's is a value name).
bool namesOneKey(const std::wstring& id) {
  return !id.empty() && id.size() <= kLongestKeyName && id.find(L'\\') == std::wstring::npos;
}

std::wstring reasonFor(RegStatus status) {
  return status == regerr::Ok ? std::wstring(L"注册表内容未能改变") : describeFailure(status);
}

// Where each kind of add-on is registered so that the browser loads it.
struct Registration {
  RegRoot root;
  const wchar_t* key;
  bool isValue;  // a value of the key rather than a sub-key
};

Registration registrationOf(const AddonRow& addon) {
  const RegRoot machine{Hive::LocalMachine, addon.view};
  switch (addon.source) {
    case AddonRow::Source::HelperObject: return {machine, kHelperObjectsKey, false};
    case AddonRow::Source::Extension: return {machine, kExtensionsKey, false};
    case AddonRow::Source::Toolbar: return {machine, kToolbarKey, true};
    case AddonRow::Source::ContextMenu: break;
  }
  return {Hive::CurrentUser, kMenuExtKey, false};
}

bool stillRegistered(RegKey& key, const Registration& where, const std::wstring& name) {
  if (where.isValue) {
    RegValue v;
    return key.queryValue(name, v) == regerr::Ok;
  }
  KeyPtr sub;
  return key.openSubKey(name, sub) == regerr::Ok;
}

}  // namespace

void AddonPage::Failed(const std::wstring& what, const std::wstring& reason) {
  platform_.dialogs.message(what + L"\n" + reason, kNotice, MessageStyle::Plain);
}

const AddonRow* AddonPage::RowWithDisabledMark() const {
  const AddonRow* addon = recordOf<AddonRow>(ListView_cjgl, ListView_cjgl.selectedRow());
  // Context-menu entries have no disabled state; their buttons are greyed, and a
  // row reached without a click (by keyboard) must not get a mark named "缺省".
  if (!addon || addon->source == AddonRow::Source::ContextMenu) return nullptr;
  return addon;
}

void AddonPage::Command_cjgljy_Click() {
  const AddonRow* addon = RowWithDisabledMark();
  if (!addon) return;
  const std::wstring id = addon->id;
  if (!namesOneKey(id)) {
    Failed(L"禁用失败!", L"该插件的标识不能用作注册表项名称");
    return;
  }
  KeyPtr mark;
  bool made = false;
  RegStatus status = platform_.registry.create(Hive::CurrentUser, markPath(id), mark, &made);
  if (status == regerr::Ok) status = mark->setValue(L"Flags", RegValue::dword(1));
  if (status != regerr::Ok) {
    // A mark without its Flags would list the add-on as disabled: a key made
    // just now goes again.
    mark.reset();
    KeyPtr settings;
    if (made && platform_.registry.open(Hive::CurrentUser, kSettingsKey, settings) == regerr::Ok)
      settings->deleteSubKey(id);
    Failed(L"禁用失败!", reasonFor(status));
    return;
  }
  ShowStateOfEveryRow(id, kDisabled);
}

void AddonPage::Command_cjglqy_Click() {
  const AddonRow* addon = RowWithDisabledMark();
  if (!addon) return;
  const std::wstring id = addon->id;
  if (!namesOneKey(id)) {
    Failed(L"启用失败!", L"该插件的标识不能用作注册表项名称");
    return;
  }
  RegStatus status;
  {
    KeyPtr settings;
    status = platform_.registry.open(Hive::CurrentUser, kSettingsKey, settings);
    if (status == regerr::Ok) status = settings->deleteSubKey(id);
  }
  // Enabled means the mark is gone: removed now, or never there.
  if (keyExists(platform_.registry, Hive::CurrentUser, markPath(id))) {
    Failed(L"启用失败!", reasonFor(status));
    return;
  }
  ShowStateOfEveryRow(id, kEnabled);
}

void AddonPage::ShowStateOfEveryRow(const std::wstring& id, const wchar_t* state) {
  for (int r = 0; r < ListView_cjgl.rowCount(); ++r) {
    const AddonRow* addon = recordOf<AddonRow>(ListView_cjgl, r);
    if (addon && addon->source != AddonRow::Source::ContextMenu && equalsNoCase(addon->id, id))
      ListView_cjgl.setCell(r, State, state);
  }
}

void AddonPage::Command_cjglsc_Click() {
  const int row = ListView_cjgl.selectedRow();
  const AddonRow* addon = recordOf<AddonRow>(ListView_cjgl, row);
  if (!addon) return;
  const Registration where = registrationOf(*addon);
  const std::wstring name = addon->source == AddonRow::Source::ContextMenu ? addon->menuText : addon->id;
  // An empty name would address the registration key itself.
  if (name.empty()) {
    Failed(L"删除失败!", L"该插件没有可以删除的注册表项");
    return;
  }

  // Only what makes the browser load the add-on goes: its class registration,
  // its file and its disabled mark stay.
  bool gone = false;
  KeyPtr key;
  RegStatus status = platform_.registry.open(where.root, where.key, key);
  if (status == regerr::FileNotFound) {
    gone = true;  // the whole place is missing, so nothing is registered there
  } else if (status == regerr::Ok) {
    status = where.isValue ? key->deleteValue(name) : key->deleteSubKey(name);
    gone = !stillRegistered(*key, where, name);
  }
  key.reset();
  if (!gone) {
    Failed(L"删除失败!", reasonFor(status));
    return;
  }
  ListView_cjgl.removeRow(row);
  platform_.dialogs.message(L"删除成功!", kNotice, MessageStyle::Information);
}

void AddonPage::Command_cjgldc_Click() {
  // The log is what the list shows, in the order it shows it.
  std::vector<AddonLogEntry> entries;
  for (int r = 0; r < ListView_cjgl.rowCount(); ++r) {
    entries.push_back({ListView_cjgl.cell(r, Name), ListView_cjgl.cell(r, Id), ListView_cjgl.cell(r, State),
                       ListView_cjgl.cell(r, Type), ListView_cjgl.cell(r, File)});
  }
  FileDialogSpec spec;
  spec.filters = {{L"文本文件 (*.txt)", L"*.txt"}};
  spec.title = L"导出";
  spec.defaultExtension = L"txt";
  const auto written = exportFile(platform_, spec, writeAddonLog(entries));
  if (!written) return;  // cancelled: nothing written, nothing said
  if (!*written) {
    Failed(L"导出失败!", written->reason);
    return;
  }
  platform_.dialogs.message(L"导出成功!", kNotice, MessageStyle::Information);
}

void AddonPage::ListView_cjgl_ItemClick(int row) {
  const AddonRow* addon = recordOf<AddonRow>(ListView_cjgl, row);
  if (!addon) return;
  const bool menuEntry = addon->source == AddonRow::Source::ContextMenu;
  Command_cjglqy.setEnabled(!menuEntry);
  Command_cjgljy.setEnabled(!menuEntry);
}

std::wstring AddonPage::DetailsSearchTerm(const ListView& list, int row) {
  const AddonRow* addon = recordOf<AddonRow>(list, row);
  if (!addon) return list.cell(row, Name);
  return addon->source == AddonRow::Source::ContextMenu ? addon->menuText : addon->id;
}

}  // namespace trova
