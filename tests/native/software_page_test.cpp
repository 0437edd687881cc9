// The installed software page: listing registrations, starting uninstallers
// with their arguments, and removing stale registrations.
#include <gtest/gtest.h>

#include "app/list_behaviour.h"
#include "software/software_page.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using Row = std::vector<std::wstring>;
const std::wstring kUninstall = software::kUninstallKey;

struct InstalledSoftware : ::testing::Test {
  FormFixture f;
  ListView& list() { return f.ui.listView(L"ListView_rjxz"); }

  void registration(const std::wstring& alias, const std::wstring& name, const std::wstring& version,
                    const std::wstring& command, RegRoot root = Hive::LocalMachine) {
    const std::wstring key = kUninstall + L"\\" + alias;
    f.reg().createKey(root, key);
    if (!name.empty()) f.reg().setText(root, key, L"DisplayName", name);
    if (!version.empty()) f.reg().setText(root, key, L"DisplayVersion", version);
    if (!command.empty()) f.reg().setText(root, key, L"UninstallString", command);
  }
  bool registered(const std::wstring& alias, RegRoot root = Hive::LocalMachine) {
    return f.reg().exists(root, kUninstall + L"\\" + alias);
  }
  std::vector<Row> rows() {
    std::vector<Row> out;
    for (int r = 0; r < list().rowCount(); ++r) out.push_back(f.row(list(), r));
    return out;
  }
  std::vector<Row> load() {
    f.pickTab(3);
    return rows();
  }
  void select(const std::wstring& alias) {
    for (int r = 0; r < list().rowCount(); ++r)
      if (list().cell(r, 3) == alias) return list().selectRow(r);
    FAIL() << "no row to select";
  }
  const std::vector<ScriptedDialogs::Message>& messages() { return f.mp.dialogs.messages; }
  using Started = std::vector<std::pair<std::wstring, std::wstring>>;
};

// Both views of the machine's registrations, then the current user's; only
// those with a display name. Each row acts on its own registration.
TEST_F(InstalledSoftware, ListsTheRegistrationsOfBothViewsAndTheUserThatHaveADisplayName) {
  const RegRoot machine32{Hive::LocalMachine, RegView::Bits32};
  registration(L"{90120000-0011}", L"Office 套件", L"12.0.4518", L"MsiExec.exe /X{90120000-0011}");
  registration(L"KB123456", L"", L"", L"C:\\WINDOWS\\$NtUninstallKB123456$\\spuninst.exe");
  registration(L"Bare", L"Only a name", L"", L"");
  registration(L"Empty", L"", L"", L"");
  registration(L"Both", L"Twice", L"64", L"");
  registration(L"Both", L"Twice", L"32", L"", machine32);
  registration(L"PerUser", L"Per-user program", L"", L"", Hive::CurrentUser);
  EXPECT_EQ(load(), (std::vector<Row>{
                        {L"Only a name", L"", L"", L"Bare"},
                        {L"Twice", L"64", L"", L"Both"},
                        {L"Office 套件", L"12.0.4518", L"MsiExec.exe /X{90120000-0011}", L"{90120000-0011}"},
                        {L"Twice", L"32", L"", L"Both"},
                        {L"Per-user program", L"", L"", L"PerUser"},
                    }));
  EXPECT_EQ(load().size(), 5u) << "a reload replaces the rows";
  list().selectRow(3);
  f.form.Click(L"Command_rjxzsc");
  EXPECT_FALSE(registered(L"Both", machine32));
  EXPECT_TRUE(registered(L"Both")) << "the 64-bit registration is another program's";
  list().selectRow(3);
  f.form.Click(L"Command_rjxzsc");
  EXPECT_FALSE(registered(L"PerUser", Hive::CurrentUser));
  EXPECT_TRUE(messages().empty());
}

TEST_F(InstalledSoftware, NoUninstallKeyGivesAnEmptyList) {
  EXPECT_TRUE(load().empty());
  EXPECT_TRUE(messages().empty());
}

TEST_F(InstalledSoftware, LongValuesComeThroughWhole) {
  std::wstring name(1200, L'软');  // 2400 bytes in GBK: more than a 2000-byte buffer
  std::wstring command = L"\"C:\\Program Files\\Long\\uninst.exe\"";
  for (int i = 0; i < 200; ++i) command += L" /p" + std::to_wstring(i);
  registration(L"Long", name, L"1.0", command);
  EXPECT_EQ(load(), (std::vector<Row>{{name, L"1.0", command, L"Long"}}));
}

TEST_F(InstalledSoftware, UninstallStartsTheProgramWithItsArgumentsAndDropsTheRow) {
  registration(L"A-Msi", L"Msi product", L"", L"MsiExec.exe /X{1111-2222}");
  registration(L"B-Quoted", L"Quoted", L"", L"\"C:\\Program Files\\X\\uninst.exe\" /S /lang=zh");
  registration(L"C-Plain", L"Plain", L"", L"C:\\Tools\\remove.exe");
  registration(L"D-Spaces", L"Unquoted", L"", L"C:\\Program Files\\Old App\\unwise.exe /A C:\\Program Files\\Old App\\install.log");
  registration(L"E-Variables", L"Variables", L"", L"%ProgramFiles%\\My App\\uninst.exe /S");
  f.mp.files.files[MemoryFiles::key(L"C:\\Program Files\\Old App\\unwise.exe")] = "MZ";
  f.mp.files.files[MemoryFiles::key(L"C:\\Program Files\\My App\\uninst.exe")] = "MZ";
  f.mp.shell.variables[L"PROGRAMFILES"] = L"C:\\Program Files";
  load();
  for (auto alias : {L"A-Msi", L"B-Quoted", L"C-Plain", L"D-Spaces", L"E-Variables"}) {
    select(alias);
    f.form.Click(L"Command_rjxzxz");
  }
  EXPECT_EQ(f.mp.shell.started, (Started{{L"MsiExec.exe", L"/X{1111-2222}"},
                                         {L"C:\\Program Files\\X\\uninst.exe", L"/S /lang=zh"},
                                         {L"C:\\Tools\\remove.exe", L""},
                                         {L"C:\\Program Files\\Old App\\unwise.exe",
                                          L"/A C:\\Program Files\\Old App\\install.log"},
                                         {L"C:\\Program Files\\My App\\uninst.exe", L"/S"}}));
  EXPECT_TRUE(rows().empty());
  EXPECT_TRUE(registered(L"A-Msi")) << "the uninstaller removes its own registration";
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(load().size(), 5u) << "until it has, the next load lists the program again";
}

TEST_F(InstalledSoftware, AnUninstallerThatDoesNotStartKeepsTheRowAndSaysWhy) {
  registration(L"Broken", L"Broken app", L"2.0", L"\"C:\\Gone\\uninst.exe\" /quiet");
  load();
  list().selectRow(0);
  f.mp.shell.fail = true;
  f.form.Click(L"Command_rjxzxz");
  EXPECT_EQ(f.mp.shell.started, (Started{{L"C:\\Gone\\uninst.exe", L"/quiet"}}));
  EXPECT_EQ(rows().size(), 1u);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text,
            L"无法卸载“Broken app”：卸载程序 C:\\Gone\\uninst.exe 没有启动：系统找不到指定的文件");
  EXPECT_EQ(messages()[0].title, L"提示");
  EXPECT_EQ(messages()[0].style, MessageStyle::Plain);
}

TEST_F(InstalledSoftware, ARegistrationWithoutUninstallerStartsNothing) {
  registration(L"NoCmd", L"No uninstaller", L"", L"");
  load();
  list().selectRow(0);
  f.form.Click(L"Command_rjxzxz");
  EXPECT_TRUE(f.mp.shell.started.empty());
  EXPECT_EQ(rows().size(), 1u);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, L"无法卸载“No uninstaller”：它没有登记卸载程序");
}

TEST_F(InstalledSoftware, RemoveEntryDeletesExactlyTheAliasKey) {
  registration(L"Stale", L"Same name", L"", L"C:\\stale\\uninst.exe");
  registration(L"Stale2", L"Same name", L"", L"C:\\stale2\\uninst.exe");
  f.mp.files.files[MemoryFiles::key(L"C:\\stale\\uninst.exe")] = "MZ";
  load();
  select(L"Stale");
  f.form.Click(L"Command_rjxzsc");
  EXPECT_FALSE(registered(L"Stale"));
  EXPECT_TRUE(registered(L"Stale2"));
  EXPECT_EQ(rows(), (std::vector<Row>{{L"Same name", L"", L"C:\\stale2\\uninst.exe", L"Stale2"}}));
  EXPECT_TRUE(f.mp.shell.started.empty()) << "nothing is run";
  EXPECT_TRUE(f.mp.files.exists(L"C:\\stale\\uninst.exe")) << "no program file is removed";
  EXPECT_TRUE(messages().empty());
}

TEST_F(InstalledSoftware, RemoveEntryThatCannotBeRemovedKeepsTheRowAndSaysWhy) {
  registration(L"Locked", L"Locked app", L"", L"");
  registration(L"Parent", L"Parent app", L"", L"");
  f.reg().createKey(Hive::LocalMachine, kUninstall + L"\\Parent\\Child");
  load();

  select(L"Parent");
  f.form.Click(L"Command_rjxzsc");
  EXPECT_TRUE(registered(L"Parent\\Child"));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, L"无法删除“Parent app”的注册信息：它的注册表项下还有子项");

  f.reg().denyWrites(Hive::LocalMachine, kUninstall + L"\\Locked");
  select(L"Locked");
  f.form.Click(L"Command_rjxzsc");
  EXPECT_TRUE(registered(L"Locked"));
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[1].text,
            L"无法删除“Locked app”的注册信息：" + describeFailure(regerr::AccessDenied));
  EXPECT_EQ(messages()[1].style, MessageStyle::Plain);

  EXPECT_EQ(rows().size(), 2u);
}

TEST_F(InstalledSoftware, ARegistrationAlreadyGoneLeavesTheListQuietly) {
  registration(L"Gone", L"Gone app", L"", L"");
  load();
  KeyPtr uninstall;
  ASSERT_EQ(f.reg().open(Hive::LocalMachine, kUninstall, uninstall), regerr::Ok);
  ASSERT_EQ(uninstall->deleteSubKey(L"Gone"), regerr::Ok);
  list().selectRow(0);
  f.form.Click(L"Command_rjxzsc");
  EXPECT_TRUE(rows().empty());
  EXPECT_TRUE(messages().empty());
}

TEST_F(InstalledSoftware, WithoutASelectionTheButtonsDoNothing) {
  registration(L"App", L"App", L"1", L"C:\\app\\uninst.exe");
  load();
  f.form.Click(L"Command_rjxzxz");
  f.form.Click(L"Command_rjxzsc");
  EXPECT_EQ(rows().size(), 1u);
  EXPECT_TRUE(registered(L"App"));
  EXPECT_TRUE(f.mp.shell.started.empty());
  EXPECT_TRUE(messages().empty());
}

TEST_F(InstalledSoftware, SortsByHeaderAndLooksUpTheSelectedName) {
  registration(L"a-key", L"Zip tool", L"9.1", L"");
  registration(L"b-key", L"编辑器", L"10.0", L"");
  load();
  f.form.ColumnClick(L"ListView_rjxz", 1);  // "版本号", by text
  EXPECT_EQ(list().cell(0, 0), L"编辑器");
  f.form.RightButtonUp(L"ListView_rjxz");
  EXPECT_EQ(f.ui.menus().shown, std::vector<std::wstring>{L"cd_rjxz"});
  select(L"a-key");
  f.form.Click(L"cd_rjxzxxxx");
  ASSERT_EQ(f.mp.shell.opened.size(), 1u);
  EXPECT_EQ(f.mp.shell.opened[0], searchAddressFor(L"Zip tool"));
}

}  // namespace
}  // namespace trova::test
