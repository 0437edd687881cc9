#include "software/software_page.h"

#include "app/list_behaviour.h"
#include "platform/command_line.h"
#include "platform/files.h"

namespace trova {

using namespace software;

SoftwarePage::SoftwarePage(PageSite& site)
    : platform_(site.platform), ListView_rjxz(site.controls.listView(L"ListView_rjxz")) {
  site.onPick(PickStep::UninstallList, [this] { LoadUninstallList(); });
  site.onClick(L"Command_rjxzxz", [this] { Command_rjxzxz_Click(); });
  site.onClick(L"Command_rjxzsc", [this] { Command_rjxzsc_Click(); });
  shareList(site, {.name = L"ListView_rjxz", .list = &ListView_rjxz, .menu = L"cd_rjxz",
                   .detailsItem = L"cd_rjxzxxxx", .term = searchRowText});
}

void SoftwarePage::LoadUninstallList() {
  ListFill fill(ListView_rjxz);
  ListView_rjxz.clear();
  for (RegView view : registryViews()) AddRegistrations({Hive::LocalMachine, view});
  AddRegistrations(Hive::CurrentUser);
}

void SoftwarePage::AddRegistrations(RegRoot root) {
  KeyPtr uninstall;
  if (platform_.registry.open(root, kUninstallKey, uninstall) != regerr::Ok) return;
  std::wstring alias;
  for (std::uint32_t i = 0; uninstall->enumSubKey(i, alias) == regerr::Ok; ++i) {
    KeyPtr entry;
    if (uninstall->openSubKey(alias, entry) != regerr::Ok) continue;
    RegValue name;
    if (entry->queryValue(L"DisplayName", name) != regerr::Ok) continue;
    const std::wstring command = readText(*entry, L"UninstallString");
    ListView_rjxz.addRow({name.asText(), readText(*entry, L"DisplayVersion"), command, alias}, false,
                         SoftwareRow{root, alias, command});
  }
}

void SoftwarePage::Command_rjxzxz_Click() {
  const int row = ListView_rjxz.selectedRow();
  const SoftwareRow* entry = recordOf<SoftwareRow>(ListView_rjxz, row);
  if (!entry) return;
  const std::wstring what = L"无法卸载“" + ListView_rjxz.cell(row, Name) + L"”";
  // Most uninstall commands carry arguments ("MsiExec.exe /X{…}", a quoted
  // path followed by switches); only the program part names a file to start.
  // An unquoted path with spaces is found the way Windows finds it: the
  // shortest run of words that names an existing file. Variables such as
  // %ProgramFiles% are expanded first, or that search would look for files
  // under a folder named "%ProgramFiles%".
  const std::wstring command = platform_.shell.expandVariables(entry->uninstall);
  auto [program, arguments] =
      splitCommandLine(command, [this](const std::wstring& path) { return platform_.files.exists(path); });
  if (program.empty()) return Fail(what, L"它没有登记卸载程序");
  ShellResult started = platform_.shell.start(program, arguments);
  if (!started.ok) return Fail(what, L"卸载程序 " + program + L" 没有启动：" + started.reason);
  // The uninstaller removes its own registration; the next load shows the
  // program again if it was cancelled.
  ListView_rjxz.removeRow(row);
}

void SoftwarePage::Command_rjxzsc_Click() {
  const int row = ListView_rjxz.selectedRow();
  const SoftwareRow* entry = recordOf<SoftwareRow>(ListView_rjxz, row);
  if (!entry) return;
  const std::wstring what = L"无法删除“" + ListView_rjxz.cell(row, Name) + L"”的注册信息";
  const std::wstring alias = entry->alias;
  // An empty name would address the Uninstall key itself.
  if (alias.empty()) return Fail(what, L"找不到它的注册表项");
  KeyPtr uninstall;
  if (RegStatus s = platform_.registry.open(entry->root, kUninstallKey, uninstall); s != regerr::Ok)
    return Fail(what, describeFailure(s));
  RegStatus s = uninstall->deleteSubKey(alias);
  if (s == regerr::Ok || s == regerr::FileNotFound) {  // gone either way
    ListView_rjxz.removeRow(row);
    return;
  }
  Fail(what, describeFailure(s));
}

void SoftwarePage::Fail(const std::wstring& what, const std::wstring& why) {
  platform_.dialogs.message(what + L"：" + why, L"提示", MessageStyle::Plain);
}

}  // namespace trova
