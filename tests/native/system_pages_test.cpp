// 系统设置's startup and uninstall lists: both machine views and the user's, each row acted on where it was read.
#include "software/software_page.h"
#include "startup/startup_page.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

const RegRoot kLM{Hive::LocalMachine}, kLM32{Hive::LocalMachine, RegView::Bits32}, kCU{Hive::CurrentUser};
const std::wstring kRun = startup::kRunKey, kUninstall = software::kUninstallKey;

struct SystemPages : ::testing::Test, FormFixture {
  ListView& startup = ui.listView(L"ListView_qdxm");
  ListView& software = ui.listView(L"ListView_rjxz");
  std::wstring run(RegRoot root, const std::wstring& name) {
    auto v = reg().value(root, kRun, name);
    return v ? v->asText() : L"-";
  }
  void press(const wchar_t* button, int row) {
    startup.selectRow(row);
    form.Click(button);
  }
};

// Each 禁用 adds one ";" and each 启用 takes one away; the value keeps its type.
TEST_F(SystemPages, StartupListsBothMachineViewsThenTheUserAndTogglesOneMarkPerPress) {
  reg().setText(kCU, kRun, L"X", L";C:\\a.exe -min");  // written first: the place decides the order
  reg().setText(kLM32, kRun, L"Upd", L"C:\\x86\\upd.exe");
  reg().setText(kLM, kRun, L"Snd", L"%ProgramFiles%\\snd.exe", RegType::ExpandSz);
  pickTab(3);
  EXPECT_EQ(column(startup, startup::Location), (Cells{L"HLMR", L"HLMR32", L"HCUR"}));
  EXPECT_EQ(row(startup, 2), (Cells{L"X", L"HCUR", L"已禁用", L";C:\\a.exe -min"}));
  const std::pair<const wchar_t*, std::wstring> presses[] = {
      {L"Command_qdxmjy", L";"}, {L"Command_qdxmjy", L";;"}, {L"Command_qdxmqy", L";"}, {L"Command_qdxmqy", L""},
      {L"Command_qdxmqy", L""}};
  for (const auto& [button, marks] : presses) {
    const std::wstring stored = marks + L"%ProgramFiles%\\snd.exe";
    press(button, 0);
    EXPECT_EQ(run(kLM, L"Snd"), stored);
    EXPECT_EQ(reg().value(kLM, kRun, L"Snd").value().type, RegType::ExpandSz);
    const bool disable = std::wstring_view(button) == L"Command_qdxmjy";  // the label follows the button
    EXPECT_EQ(row(startup, 0), (Cells{L"Snd", L"HLMR", disable ? L"已禁用" : L"已启用", stored}));
  }
  press(L"Command_qdxmjy", 1);
  EXPECT_EQ(run(kLM32, L"Upd"), L";C:\\x86\\upd.exe");
  form.Click(L"Command_qdxmsc");
  press(L"Command_qdxmsc", 1);
  EXPECT_EQ(run(kLM32, L"Upd") + run(kLM, L"Upd") + run(kCU, L"X"), L"---");
  EXPECT_EQ(column(startup, startup::Name), Cells{L"Snd"});
}

// Only registrations with a display name are listed; an uninstall command is split where Windows
// would split it (an unquoted path may hold spaces), after its variables are expanded.
TEST_F(SystemPages, SoftwareStartsUninstallersAndDeletesRegistrationsInTheirOwnView) {
  const struct { RegRoot root; std::wstring alias, command, program, arguments; } cases[] = {
      {kLM, L"Msi", L"MsiExec.exe /X{9012}", L"MsiExec.exe", L"/X{9012}"},
      {kLM, L"Spaces", L"C:\\Program Files\\Old App\\un.exe /A", L"C:\\Program Files\\Old App\\un.exe", L"/A"},
      {kLM32, L"Vars", L"%ProgramFiles%\\My App\\un.exe /S", L"C:\\Program Files\\My App\\un.exe", L"/S"},
      {kCU, L"User", L"C:\\u.exe", L"C:\\u.exe", L""}};
  Cells aliases;
  std::vector<std::pair<std::wstring, std::wstring>> started;
  for (const auto& c : cases) {
    reg().setText(c.root, kUninstall + L"\\" + c.alias, L"DisplayName", L"软件 " + c.alias);
    reg().setText(c.root, kUninstall + L"\\" + c.alias, L"UninstallString", c.command);
    mp.files.files[MemoryFiles::key(c.program)] = "MZ";
    aliases.push_back(c.alias);
    started.emplace_back(c.program, c.arguments);
  }
  reg().setText(kLM, kUninstall + L"\\KB1", L"UninstallString", L"C:\\kb.exe");  // no name: not listed
  mp.shell.variables[L"PROGRAMFILES"] = L"C:\\Program Files";
  pickTab(3);
  ASSERT_EQ(column(software, software::Alias), aliases);
  EXPECT_EQ(row(software, 0), (Cells{L"软件 Msi", L"", L"MsiExec.exe /X{9012}", L"Msi"}));
  for (std::size_t i = 0; i < aliases.size(); ++i) {
    software.selectRow(0);  // each goes when its uninstaller starts
    form.Click(L"Command_rjxzxz");
  }
  EXPECT_EQ(mp.shell.started, started);
  EXPECT_EQ(software.rowCount(), 0);
  // The uninstallers remove their own registrations: until then a load lists them again.
  reg().createKey(kLM, kUninstall + L"\\Msi\\Child");
  pickTab(3);
  for (int r : {2, 0}) {  // delete the 32-bit "Vars", then "Msi", which has a sub-key
    software.selectRow(r);
    form.Click(L"Command_rjxzsc");
  }
  EXPECT_FALSE(reg().exists(kLM32, kUninstall + L"\\Vars"));
  EXPECT_EQ(column(software, software::Alias), (Cells{L"Msi", L"Spaces", L"User"}));
  EXPECT_EQ(said(), Cells{L"无法删除“软件 Msi”的注册信息：它的注册表项下还有子项"});
}

}  // namespace
}  // namespace trova::test
