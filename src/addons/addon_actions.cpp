// The buttons of the add-on page. Each change is checked afterwards: the row
// and the message say what the registry now holds, not what was attempted.
#include <optional>

#include "addons/addon_page.h"
#include "addons/addon_registry.h"
#include "platform/text_export.h"

namespace trova {

using namespace addons;

namespace {

constexpr const wchar_t* kNotice = L"提示";

std::wstring markPath(const std::wstring& id) { return std::wstring(kSettingsKey) + L"\\" + id; }

// The mark lives at Ext\Settings\<id>: an empty identifier would address
// Ext\Settings itself and a backslash a key further down, so neither is touched.
bool namesOneKey(const std::wstring& id) { return !id.empty() && id.find(L'\\') == std::wstring::npos; }

std::wstring reasonFor(RegStatus status) {
  return status == regerr::Ok ? std::wstring(L"注册表内容未能改变") : describeFailure(status);
}

// Where each kind of add-on is registered so that the browser loads it.
struct Registration {
  Hive hive;
  const wchar_t* key;
  bool isValue;    // a value of the key rather than a sub-key
  bool byRowText;  // named by the row text (the menu text) rather than the identifier
};

std::optional<Registration> registrationOf(const std::wstring& typeLabel) {
  if (typeLabel == kTypeHelper) return Registration{Hive::LocalMachine, kHelperObjectsKey, false, false};
  if (typeLabel == kTypeExtension) return Registration{Hive::LocalMachine, kExtensionsKey, false, false};
  if (typeLabel == kTypeToolbar) return Registration{Hive::LocalMachine, kToolbarKey, true, false};
  if (typeLabel == kTypeContextMenu) return Registration{Hive::CurrentUser, kMenuExtKey, false, true};
  return std::nullopt;
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

int AddonPage::RowWithDisabledMark() const {
  const int row = ListView_cjgl.selectedRow();
  if (row < 0 || row >= ListView_cjgl.rowCount()) return -1;
  // Context-menu entries have no disabled state; their buttons are greyed, and a
  // row reached without a click (by keyboard) must not get a mark named "缺省".
  if (ListView_cjgl.cell(row, Type) == kTypeContextMenu) return -1;
  return row;
}

void AddonPage::Command_cjgljy_Click() {
  const int row = RowWithDisabledMark();
  if (row < 0) return;
  const std::wstring id = ListView_cjgl.cell(row, Id);
  if (!namesOneKey(id)) {
    Failed(L"禁用失败!", L"该插件的标识不能用作注册表项名称");
    return;
  }
  KeyPtr mark;
  RegStatus status = platform_.registry.create(Hive::CurrentUser, markPath(id), mark);
  if (status == regerr::Ok) status = mark->setValue(L"Flags", RegValue::dword(1));
  if (status != regerr::Ok) {
    Failed(L"禁用失败!", reasonFor(status));
    return;
  }
  ListView_cjgl.setCell(row, State, kDisabled);
}

void AddonPage::Command_cjglqy_Click() {
  const int row = RowWithDisabledMark();
  if (row < 0) return;
  const std::wstring id = ListView_cjgl.cell(row, Id);
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
  ListView_cjgl.setCell(row, State, kEnabled);
}

void AddonPage::Command_cjglsc_Click() {
  const int row = ListView_cjgl.selectedRow();
  if (row < 0 || row >= ListView_cjgl.rowCount()) return;
  const auto where = registrationOf(ListView_cjgl.cell(row, Type));
  if (!where) {
    Failed(L"删除失败!", L"无法识别该插件的类型");
    return;
  }
  const std::wstring name = ListView_cjgl.cell(row, where->byRowText ? Name : Id);

  // Only what makes the browser load the add-on goes: its class registration,
  // its file and its disabled mark stay.
  bool gone = false;
  KeyPtr key;
  RegStatus status = platform_.registry.open(where->hive, where->key, key);
  if (status == regerr::FileNotFound) {
    gone = true;  // the whole place is missing, so nothing is registered there
  } else if (status == regerr::Ok) {
    status = where->isValue ? key->deleteValue(name) : key->deleteSubKey(name);
    gone = !stillRegistered(*key, *where, name);
  }
  key.reset();
  if (!gone) {
    Failed(L"删除失败!", reasonFor(status));
    return;
  }
  ListView_cjgl.removeRow(row);
  platform_.dialogs.message(L"删除成功!", kNotice, MessageStyle::Information);
}

std::vector<std::wstring> AddonPage::LogLines() const {
  std::vector<std::wstring> lines = {L"Trova日志文件", L" "};
  for (int r = 0; r < ListView_cjgl.rowCount(); ++r) {
    lines.push_back(L"名称:" + ListView_cjgl.cell(r, Name));
    lines.push_back(L"cisid:" + ListView_cjgl.cell(r, Id));
    lines.push_back(L"状态:" + ListView_cjgl.cell(r, State));
    lines.push_back(L"类型:" + ListView_cjgl.cell(r, Type));
    lines.push_back(L"文件:" + ListView_cjgl.cell(r, File));
    lines.push_back(L" ");
  }
  return lines;
}

void AddonPage::Command_cjgldc_Click() {
  FileDialogSpec spec;
  spec.filters = {{L"文本文件 (*.txt)", L"*.txt"}};
  spec.title = L"导出";
  spec.defaultExtension = L"txt";
  const auto written = exportTextLines(platform_, spec, LogLines());
  if (!written) return;  // cancelled: nothing written, nothing said
  if (!*written) {
    Failed(L"导出失败!", written->reason);
    return;
  }
  platform_.dialogs.message(L"导出成功!", kNotice, MessageStyle::Information);
}

void AddonPage::ListView_cjgl_ItemClick(int row) {
  if (row < 0 || row >= ListView_cjgl.rowCount()) return;
  const bool menuEntry = ListView_cjgl.cell(row, Type) == kTypeContextMenu;
  Command_cjglqy.setEnabled(!menuEntry);
  Command_cjgljy.setEnabled(!menuEntry);
}

std::wstring AddonPage::DetailsSearchTerm(const ListView& list, int row) {
  const std::wstring id = list.cell(row, Id);
  return id == kDefaultId ? list.cell(row, Name) : id;
}

}  // namespace trova
