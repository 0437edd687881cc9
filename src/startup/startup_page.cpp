#include "startup/startup_page.h"

#include "app/list_behaviour.h"

namespace trova {

using namespace startup;

namespace {
bool isDisabled(const std::wstring& command) { return !command.empty() && command.front() == L';'; }
}  // namespace

StartupPage::StartupPage(PageSite& site)
    : platform_(site.platform), ListView_qdxm(site.controls.listView(L"ListView_qdxm")) {
  site.onPick(PickStep::StartupList, [this] { LoadStartupList(); });
  site.onClick(L"Command_qdxmjy", [this] { Command_qdxmjy_Click(); });
  site.onClick(L"Command_qdxmqy", [this] { Command_qdxmqy_Click(); });
  site.onClick(L"Command_qdxmsc", [this] { Command_qdxmsc_Click(); });
  site.onClick(L"Command_qdxmtj", [this] { Command_qdxmtj_Click(); });
  shareList(site, {.name = L"ListView_qdxm", .list = &ListView_qdxm, .menu = L"cd_qdxm",
                   .detailsItem = L"cd_qdxmxxxx", .term = searchRowText});
}

void StartupPage::LoadStartupList() {
  ListFill fill(ListView_qdxm);
  ListView_qdxm.clear();
  for (RegView view : registryViews())
    AddEntries({Hive::LocalMachine, view}, view == RegView::Bits32 ? kMachine32 : kMachine);
  AddEntries(Hive::CurrentUser, kUser);
}

void StartupPage::AddEntries(RegRoot root, const wchar_t* marker) {
  KeyPtr run;
  if (platform_.registry.open(root, kRunKey, run) != regerr::Ok) return;
  std::wstring name;
  for (std::uint32_t i = 0; run->enumValue(i, name) == regerr::Ok; ++i) {
    // The whole command line, however long: it is what Disable and Enable write back.
    std::wstring command = readText(*run, name);
    ListView_qdxm.addRow({name, marker, isDisabled(command) ? kDisabled : kEnabled, command}, false,
                         StartupRow{root, name, command});
  }
}

void StartupPage::Command_qdxmjy_Click() {
  const int row = ListView_qdxm.selectedRow();
  const StartupRow* entry = recordOf<StartupRow>(ListView_qdxm, row);
  if (!entry) return;
  // Each press adds one more mark, also to an entry that is already disabled,
  // so that every press of "启用" takes back exactly one.
  Rewrite(row, *entry, L";" + entry->command, kDisabled, L"禁用");
}

void StartupPage::Command_qdxmqy_Click() {
  const int row = ListView_qdxm.selectedRow();
  const StartupRow* entry = recordOf<StartupRow>(ListView_qdxm, row);
  if (!entry) return;
  std::wstring command = entry->command;
  if (isDisabled(command)) command.erase(0, 1);
  Rewrite(row, *entry, command, kEnabled, L"启用");
}

void StartupPage::Rewrite(int row, const StartupRow& entry, const std::wstring& command, const wchar_t* state,
                          const wchar_t* action) {
  const std::wstring& name = entry.name;
  const std::wstring what = std::wstring(action) + L"启动项“" + name + L"”失败";
  KeyPtr run;
  if (RegStatus s = platform_.registry.open(entry.root, kRunKey, run); s != regerr::Ok)
    return Fail(what, describeFailure(s));

  // The value keeps its type: an expandable command line written back as a
  // plain string would no longer have its %VARIABLES% expanded at logon.
  RegType type = RegType::Sz;
  RegValue current;
  if (RegStatus s = run->queryValue(name, current); s == regerr::Ok) {
    if (!current.isText()) return Fail(what, L"它的数据不是文本，未作修改");
    type = current.type;
  } else if (s != regerr::FileNotFound) {
    return Fail(what, describeFailure(s));  // its type is not known, so it is not written
  }
  if (RegStatus s = run->setValue(name, RegValue::text(command, type)); s != regerr::Ok)
    return Fail(what, describeFailure(s));
  StartupRow updated = entry;
  updated.command = command;
  ListView_qdxm.setCell(row, State, state);
  ListView_qdxm.setCell(row, Command, command);
  ListView_qdxm.setRecord(row, std::move(updated));
}

void StartupPage::Command_qdxmsc_Click() {
  const int row = ListView_qdxm.selectedRow();
  const StartupRow* entry = recordOf<StartupRow>(ListView_qdxm, row);
  if (!entry) return;
  const std::wstring name = entry->name;
  const std::wstring what = L"删除启动项“" + name + L"”失败";
  KeyPtr run;
  if (RegStatus s = platform_.registry.open(entry->root, kRunKey, run); s != regerr::Ok)
    return Fail(what, describeFailure(s));
  // A value that is already gone (removed by another program) is what the user asked for.
  if (RegStatus s = run->deleteValue(name); s != regerr::Ok && s != regerr::FileNotFound)
    return Fail(what, describeFailure(s));
  ListView_qdxm.removeRow(row);
}

void StartupPage::Command_qdxmtj_Click() {
  FileDialogSpec spec;
  spec.filters = {{L"可执行文件 (*.exe)", L"*.exe"}, {L"批处理文件 (*.bat)", L"*.bat"}};
  spec.title = L"添加";
  spec.initialFolder = platform_.folders.programFolder();
  auto path = platform_.dialogs.openFile(spec);
  if (!path) return;

  // An empty answer, or none (Cancel), gives the entry a name of its own.
  std::wstring name = platform_.dialogs.input(L"输入启动项名称:", L"添加", L"").value_or(L"");
  if (name.empty()) name = kUnnamed;

  const std::wstring what = L"添加启动项“" + name + L"”失败";
  // Created when missing: a new user's profile need not have a Run key yet.
  KeyPtr run;
  if (RegStatus s = platform_.registry.create(Hive::CurrentUser, kRunKey, run); s != regerr::Ok)
    return Fail(what, describeFailure(s));
  if (RegStatus s = run->setValue(name, RegValue::text(*path)); s != regerr::Ok)
    return Fail(what, describeFailure(s));
  ListView_qdxm.addRow({name, kUser, kEnabled, *path}, false, StartupRow{Hive::CurrentUser, name, *path});
}

void StartupPage::Fail(const std::wstring& what, const std::wstring& why) {
  platform_.dialogs.message(what + L"：" + why, L"提示", MessageStyle::Plain);
}

}  // namespace trova
