#include "software/software_page.h"

#include "platform/command_line.h"
#include "platform/files.h"

namespace trova {

using namespace software;

void SoftwarePage::LoadUninstallList() {
  ListFill fill(ListView_rjxz);
  ListView_rjxz.clear();
  KeyPtr uninstall;
  if (platform_.registry.open(Hive::LocalMachine, kUninstallKey, uninstall) != regerr::Ok) return;
  std::wstring alias;
  for (std::uint32_t i = 0; uninstall->enumSubKey(i, alias) == regerr::Ok; ++i) {
    KeyPtr entry;
    if (uninstall->openSubKey(alias, entry) != regerr::Ok) continue;
    RegValue name;
    if (entry->queryValue(L"DisplayName", name) != regerr::Ok) continue;
    ListView_rjxz.addRow({name.asText(), readText(*entry, L"DisplayVersion"),
                          readText(*entry, L"UninstallString"), alias});
  }
}

void SoftwarePage::Command_rjxzxz_Click() {
  const int row = ListView_rjxz.selectedRow();
  if (row < 0) return;
  const std::wstring what = L"无法卸载“" + ListView_rjxz.cell(row, Name) + L"”";
  const std::wstring command = ListView_rjxz.cell(row, Uninstaller);
  // Most uninstall commands carry arguments ("MsiExec.exe /X{…}", a quoted
  // path followed by switches); only the program part names a file to start.
  // An unquoted path with spaces is found the way Windows finds it: the
  // shortest run of words that names an existing file.
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
  if (row < 0) return;
  const std::wstring what = L"无法删除“" + ListView_rjxz.cell(row, Name) + L"”的注册信息";
  const std::wstring alias = ListView_rjxz.cell(row, Alias);
  // An empty name would address the Uninstall key itself.
  if (alias.empty()) return Fail(what, L"找不到它的注册表项");
  KeyPtr uninstall;
  if (RegStatus s = platform_.registry.open(Hive::LocalMachine, kUninstallKey, uninstall); s != regerr::Ok)
    return Fail(what, describeFailure(s));
  RegStatus s = uninstall->deleteSubKey(alias);
  if (s == regerr::Ok || s == regerr::FileNotFound) {  // gone either way
    ListView_rjxz.removeRow(row);
    return;
  }
  // Windows refuses a key that still has keys of its own with the same code
  // as missing rights; tell the two apart so the message is true.
  KeyPtr entry;
  std::wstring child;
  if (s == regerr::AccessDenied && uninstall->openSubKey(alias, entry) == regerr::Ok &&
      entry->enumSubKey(0, child) == regerr::Ok)
    return Fail(what, L"它的注册表项下还有子项");
  Fail(what, describeFailure(s));
}

void SoftwarePage::Fail(const std::wstring& what, const std::wstring& why) {
  platform_.dialogs.message(what + L"：" + why, L"提示", MessageStyle::Plain);
}

}  // namespace trova
