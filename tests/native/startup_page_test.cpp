// The startup items page: loading both Run keys, disabling and enabling by a
// leading ";", deleting and adding entries, and refusals reported honestly.
#include <gtest/gtest.h>

#include "app/list_behaviour.h"
#include "startup/startup_page.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using Row = std::vector<std::wstring>;
const std::wstring kRun = startup::kRunKey;

struct StartupItems : ::testing::Test {
  FormFixture f;
  ListView& list() { return f.ui.listView(L"ListView_qdxm"); }

  void seed(RegRoot root, const std::wstring& name, const std::wstring& command,
            RegType type = RegType::Sz) {
    f.reg().setText(root, kRun, name, command, type);
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
  // Selects the row of that name and location; fails the test when there is none.
  void select(const std::wstring& name, const std::wstring& where) {
    for (int r = 0; r < list().rowCount(); ++r)
      if (list().cell(r, 0) == name && list().cell(r, 1) == where) return list().selectRow(r);
    FAIL() << "no row to select";
  }
  std::optional<RegValue> stored(RegRoot root, const std::wstring& name) {
    return f.reg().value(root, kRun, name);
  }
  std::wstring storedText(RegRoot root, const std::wstring& name) {
    auto v = stored(root, name);
    return v ? v->asText() : L"<missing>";
  }
  const std::vector<ScriptedDialogs::Message>& messages() { return f.mp.dialogs.messages; }
};

TEST_F(StartupItems, LoadsMachineEntriesOfBothViewsBeforeUserEntriesWithTheirState) {
  // The user's entries are written first so that only the location decides the order.
  const RegRoot machine32{Hive::LocalMachine, RegView::Bits32};
  seed(Hive::CurrentUser, L"Zeta", L"C:\\z.exe");
  seed(Hive::CurrentUser, L"Alpha", L";C:\\a.exe -min");
  seed(machine32, L"Updater", L"C:\\x86\\upd.exe");
  seed(Hive::LocalMachine, L"Sound", L"C:\\snd.exe /tray");
  seed(Hive::LocalMachine, L"Agent", L";;\"C:\\Program Files\\agent.exe\"");
  EXPECT_EQ(load(), (std::vector<Row>{
                        {L"Sound", L"HLMR", L"已启用", L"C:\\snd.exe /tray"},
                        {L"Agent", L"HLMR", L"已禁用", L";;\"C:\\Program Files\\agent.exe\""},
                        {L"Updater", L"HLMR32", L"已启用", L"C:\\x86\\upd.exe"},
                        {L"Zeta", L"HCUR", L"已启用", L"C:\\z.exe"},
                        {L"Alpha", L"HCUR", L"已禁用", L";C:\\a.exe -min"},
                    }));
  EXPECT_EQ(load().size(), 5u) << "a reload replaces the rows";
  // The 32-bit view's entry is acted on where it is.
  select(L"Updater", L"HLMR32");
  f.form.Click(L"Command_qdxmjy");
  EXPECT_EQ(storedText(machine32, L"Updater"), L";C:\\x86\\upd.exe");
  f.form.Click(L"Command_qdxmsc");
  EXPECT_FALSE(stored(machine32, L"Updater"));
  EXPECT_FALSE(stored(Hive::LocalMachine, L"Updater")) << "nothing landed in the 64-bit view";
}

TEST_F(StartupItems, AMissingRunKeyStillLetsTheOtherLoad) {
  seed(Hive::CurrentUser, L"Only", L"C:\\only.exe");
  EXPECT_EQ(load(), (std::vector<Row>{{L"Only", L"HCUR", L"已启用", L"C:\\only.exe"}}));
  KeyPtr software;
  ASSERT_EQ(f.reg().open(Hive::CurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion", software),
            regerr::Ok);
  ASSERT_EQ(software->deleteSubKey(L"Run"), regerr::Ok);
  seed(Hive::LocalMachine, L"Machine", L"C:\\m.exe");
  EXPECT_EQ(load(), (std::vector<Row>{{L"Machine", L"HLMR", L"已启用", L"C:\\m.exe"}}));
  EXPECT_TRUE(messages().empty());
}

TEST_F(StartupItems, DisableAddsOneMarkPerPressAndEnableTakesOneAway) {
  seed(Hive::LocalMachine, L"X", L"C:\\x.exe");
  seed(Hive::CurrentUser, L"X", L"C:\\user-x.exe");  // same name in the other key stays untouched
  load();
  select(L"X", L"HLMR");

  f.form.Click(L"Command_qdxmjy");
  EXPECT_EQ(storedText(Hive::LocalMachine, L"X"), L";C:\\x.exe");
  EXPECT_EQ(stored(Hive::LocalMachine, L"X")->type, RegType::Sz);
  EXPECT_EQ(f.row(list(), 0), (Row{L"X", L"HLMR", L"已禁用", L";C:\\x.exe"}));

  f.form.Click(L"Command_qdxmjy");
  EXPECT_EQ(storedText(Hive::LocalMachine, L"X"), L";;C:\\x.exe");
  EXPECT_EQ(f.row(list(), 0), (Row{L"X", L"HLMR", L"已禁用", L";;C:\\x.exe"}));

  f.form.Click(L"Command_qdxmqy");
  EXPECT_EQ(storedText(Hive::LocalMachine, L"X"), L";C:\\x.exe");
  EXPECT_EQ(f.row(list(), 0), (Row{L"X", L"HLMR", L"已启用", L";C:\\x.exe"}))
      << "labels follow the button; the data are read again only at the next load";

  f.form.Click(L"Command_qdxmqy");
  f.form.Click(L"Command_qdxmqy");  // on an enabled entry: written back unchanged
  EXPECT_EQ(storedText(Hive::LocalMachine, L"X"), L"C:\\x.exe");
  EXPECT_EQ(f.row(list(), 0), (Row{L"X", L"HLMR", L"已启用", L"C:\\x.exe"}));

  EXPECT_EQ(storedText(Hive::CurrentUser, L"X"), L"C:\\user-x.exe");
  EXPECT_TRUE(messages().empty());
}

TEST_F(StartupItems, TheCurrentUsersEntriesAreWrittenToTheirOwnKey) {
  seed(Hive::CurrentUser, L"Mine", L"C:\\mine.exe");
  load();
  select(L"Mine", L"HCUR");
  f.form.Click(L"Command_qdxmjy");
  EXPECT_EQ(storedText(Hive::CurrentUser, L"Mine"), L";C:\\mine.exe");
  EXPECT_FALSE(stored(Hive::LocalMachine, L"Mine"));
  load();
  EXPECT_EQ(rows(), (std::vector<Row>{{L"Mine", L"HCUR", L"已禁用", L";C:\\mine.exe"}}));
}

// A command line longer than a 2000-byte buffer and an expandable string must
// come back exactly as they were, type included.
TEST_F(StartupItems, LongExpandableCommandsKeepTheirTextAndType) {
  std::wstring command = L"%ProgramFiles%\\Tool\\tool.exe";
  for (int i = 0; i < 300; ++i) command += L" /opt" + std::to_wstring(i) + L"=值";
  ASSERT_GT(command.size() * 2, 2000u);
  seed(Hive::LocalMachine, L"Tool", command, RegType::ExpandSz);
  const RegValue original = *stored(Hive::LocalMachine, L"Tool");

  EXPECT_EQ(load(), (std::vector<Row>{{L"Tool", L"HLMR", L"已启用", command}}));
  list().selectRow(0);
  f.form.Click(L"Command_qdxmjy");
  auto disabled = stored(Hive::LocalMachine, L"Tool");
  ASSERT_TRUE(disabled);
  EXPECT_EQ(disabled->type, RegType::ExpandSz);
  EXPECT_EQ(disabled->asText(), L";" + command);

  f.form.Click(L"Command_qdxmqy");
  auto enabled = stored(Hive::LocalMachine, L"Tool");
  ASSERT_TRUE(enabled);
  EXPECT_EQ(enabled->type, original.type);
  EXPECT_EQ(enabled->data, original.data);
}

TEST_F(StartupItems, DataThatIsNoTextIsNotOverwritten) {
  f.reg().setDword(Hive::CurrentUser, kRun, L"Odd", 0x00410041);
  load();
  select(L"Odd", L"HCUR");
  f.form.Click(L"Command_qdxmjy");
  auto v = stored(Hive::CurrentUser, L"Odd");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, RegType::Dword);
  EXPECT_EQ(v->asDword(), 0x00410041u);
  EXPECT_EQ(list().cell(0, 2), L"已启用");
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_NE(messages()[0].text.find(L"不是文本"), std::wstring::npos);
}

TEST_F(StartupItems, RefusedWritesLeaveTheRowAndSayWhy) {
  seed(Hive::LocalMachine, L"Guard", L"C:\\guard.exe");
  seed(Hive::CurrentUser, L"Mine", L"C:\\mine.exe");
  f.reg().denyWrites(Hive::LocalMachine, kRun);  // a standard user
  load();
  const auto before = rows();
  select(L"Guard", L"HLMR");

  f.form.Click(L"Command_qdxmjy");
  f.form.Click(L"Command_qdxmsc");
  EXPECT_EQ(rows(), before);
  EXPECT_EQ(storedText(Hive::LocalMachine, L"Guard"), L"C:\\guard.exe");
  ASSERT_EQ(messages().size(), 2u);
  const std::wstring why = describeFailure(regerr::AccessDenied);
  EXPECT_EQ(messages()[0].text, L"禁用启动项“Guard”失败：" + why);
  EXPECT_EQ(messages()[1].text, L"删除启动项“Guard”失败：" + why);
  for (const auto& m : messages()) {
    EXPECT_EQ(m.title, L"提示");
    EXPECT_EQ(m.style, MessageStyle::Plain);
  }

  select(L"Mine", L"HCUR");  // the user's own key is still writable
  f.form.Click(L"Command_qdxmjy");
  EXPECT_EQ(storedText(Hive::CurrentUser, L"Mine"), L";C:\\mine.exe");
  EXPECT_EQ(messages().size(), 2u);
}

TEST_F(StartupItems, DeleteRemovesTheValueAndTheRow) {
  seed(Hive::LocalMachine, L"Keep", L"C:\\keep.exe");
  seed(Hive::LocalMachine, L"Drop", L";C:\\drop.exe");
  seed(Hive::CurrentUser, L"Drop", L"C:\\user-drop.exe");
  load();
  select(L"Drop", L"HLMR");
  f.form.Click(L"Command_qdxmsc");
  EXPECT_FALSE(stored(Hive::LocalMachine, L"Drop"));
  EXPECT_EQ(storedText(Hive::LocalMachine, L"Keep"), L"C:\\keep.exe");
  EXPECT_EQ(storedText(Hive::CurrentUser, L"Drop"), L"C:\\user-drop.exe");
  EXPECT_EQ(rows(), (std::vector<Row>{{L"Keep", L"HLMR", L"已启用", L"C:\\keep.exe"},
                                      {L"Drop", L"HCUR", L"已启用", L"C:\\user-drop.exe"}}));
  EXPECT_EQ(list().selectedRow(), -1);
}

TEST_F(StartupItems, DeletingAValueAlreadyRemovedElsewhereStillClearsTheRow) {
  seed(Hive::CurrentUser, L"Gone", L"C:\\gone.exe");
  load();
  KeyPtr run;
  ASSERT_EQ(f.reg().open(Hive::CurrentUser, kRun, run), regerr::Ok);
  ASSERT_EQ(run->deleteValue(L"Gone"), regerr::Ok);
  list().selectRow(0);
  f.form.Click(L"Command_qdxmsc");
  EXPECT_TRUE(rows().empty());
  EXPECT_TRUE(messages().empty());
}

TEST_F(StartupItems, WithoutASelectionTheButtonsDoNothing) {
  seed(Hive::LocalMachine, L"A", L"C:\\a.exe");
  seed(Hive::CurrentUser, L"B", L";C:\\b.exe");
  load();
  const auto before = rows();
  for (auto button : {L"Command_qdxmjy", L"Command_qdxmqy", L"Command_qdxmsc"}) f.form.Click(button);
  EXPECT_EQ(rows(), before);
  EXPECT_EQ(storedText(Hive::LocalMachine, L"A"), L"C:\\a.exe");
  EXPECT_EQ(storedText(Hive::CurrentUser, L"B"), L";C:\\b.exe");
  EXPECT_TRUE(messages().empty());
}

TEST_F(StartupItems, AddAsksForAProgramAndANameAndWritesToTheUsersKey) {
  seed(Hive::LocalMachine, L"Machine", L"C:\\m.exe");
  load();
  list().selectRow(0);  // the selection plays no part
  f.mp.folders.program = L"D:\\Tools\\Trova";
  f.mp.dialogs.fileAnswers.push_back(L"D:\\My Apps\\run me.bat");
  f.mp.dialogs.inputAnswers.push_back(L"我的脚本");
  f.form.Click(L"Command_qdxmtj");

  ASSERT_EQ(f.mp.dialogs.fileDialogs.size(), 1u);
  const auto& spec = f.mp.dialogs.fileDialogs[0];
  EXPECT_EQ(spec.title, L"添加");
  EXPECT_EQ(spec.initialFolder, L"D:\\Tools\\Trova");
  EXPECT_EQ(spec.filters, (std::vector<std::pair<std::wstring, std::wstring>>{
                              {L"可执行文件 (*.exe)", L"*.exe"}, {L"批处理文件 (*.bat)", L"*.bat"}}));
  ASSERT_EQ(f.mp.dialogs.prompts.size(), 1u);
  EXPECT_EQ(f.mp.dialogs.prompts[0].prompt, L"输入启动项名称:");
  EXPECT_EQ(f.mp.dialogs.prompts[0].title, L"添加");
  EXPECT_EQ(f.mp.dialogs.prompts[0].initial, L"");

  auto v = stored(Hive::CurrentUser, L"我的脚本");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, RegType::Sz);
  EXPECT_EQ(v->asText(), L"D:\\My Apps\\run me.bat") << "stored as chosen: no quotes, no arguments";
  EXPECT_FALSE(stored(Hive::LocalMachine, L"我的脚本"));
  EXPECT_EQ(rows(), (std::vector<Row>{{L"Machine", L"HLMR", L"已启用", L"C:\\m.exe"},
                                      {L"我的脚本", L"HCUR", L"已启用", L"D:\\My Apps\\run me.bat"}}));
  EXPECT_TRUE(messages().empty());
}

TEST_F(StartupItems, AnEmptyNameIsUnnamedAndASecondAddOverwritesIt) {
  f.mp.dialogs.fileAnswers = {L"C:\\first.exe", L"C:\\second.exe"};
  f.mp.dialogs.inputAnswers = {L""};  // the second prompt is cancelled: also empty
  f.form.Click(L"Command_qdxmtj");
  f.form.Click(L"Command_qdxmtj");
  EXPECT_EQ(storedText(Hive::CurrentUser, L"未命名"), L"C:\\second.exe");
  EXPECT_EQ(rows(), (std::vector<Row>{{L"未命名", L"HCUR", L"已启用", L"C:\\first.exe"},
                                      {L"未命名", L"HCUR", L"已启用", L"C:\\second.exe"}}));
  EXPECT_EQ(load().size(), 1u) << "a load shows the one value";
}

TEST_F(StartupItems, CancellingTheFileDialogAddsNothing) {
  f.mp.dialogs.fileAnswers.push_back(std::nullopt);
  f.form.Click(L"Command_qdxmtj");
  EXPECT_EQ(f.mp.dialogs.fileDialogs.size(), 1u);
  EXPECT_TRUE(f.mp.dialogs.prompts.empty()) << "no name is asked for";
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kRun));
  EXPECT_TRUE(rows().empty());
  EXPECT_TRUE(messages().empty());
}

TEST_F(StartupItems, AddCreatesAMissingRunKeyAndReportsARefusal) {
  f.mp.dialogs.fileAnswers = {L"C:\\a.exe", L"C:\\b.exe"};
  f.mp.dialogs.inputAnswers = {L"A", L"B"};
  f.form.Click(L"Command_qdxmtj");
  EXPECT_EQ(storedText(Hive::CurrentUser, L"A"), L"C:\\a.exe");

  f.reg().denyWrites(Hive::CurrentUser, kRun);
  f.form.Click(L"Command_qdxmtj");
  EXPECT_FALSE(stored(Hive::CurrentUser, L"B"));
  EXPECT_EQ(rows(), (std::vector<Row>{{L"A", L"HCUR", L"已启用", L"C:\\a.exe"}}));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, L"添加启动项“B”失败：" + describeFailure(regerr::AccessDenied));
  EXPECT_EQ(messages()[0].style, MessageStyle::Plain);
}

TEST_F(StartupItems, SortsByHeaderAndLooksUpTheSelectedName) {
  seed(Hive::LocalMachine, L"Zulu", L"C:\\z.exe");
  seed(Hive::CurrentUser, L"Alpha", L"C:\\a.exe");
  load();
  f.form.ColumnClick(L"ListView_qdxm", 1);  // "位置": HCUR before HLMR
  EXPECT_EQ(list().cell(0, 0), L"Alpha");
  f.form.RightButtonUp(L"ListView_qdxm");
  EXPECT_EQ(f.ui.menus().shown, std::vector<std::wstring>{L"cd_qdxm"});
  list().selectRow(1);
  f.form.Click(L"cd_qdxmxxxx");
  ASSERT_EQ(f.mp.shell.opened.size(), 1u);
  EXPECT_EQ(f.mp.shell.opened[0], searchAddressFor(L"Zulu"));
}

// "系统设置" reloads the uninstall list and then the startup list at every pick,
// whichever of its inner tabs is in view.
TEST(SystemSettingsTab, ReloadsSoftwareThenStartupAtEveryPick) {
  FormFixture f;
  f.reg().setText(Hive::LocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App",
                  L"DisplayName", L"App");
  f.reg().setText(Hive::CurrentUser, kRun, L"Item", L"C:\\item.exe");
  f.ui.tabs(L"SSTab_xtsz").setCurrent(0);

  f.pickTab(3);
  EXPECT_EQ(f.ui.listView(L"ListView_rjxz").rowCount(), 1);
  EXPECT_EQ(f.ui.listView(L"ListView_qdxm").rowCount(), 1);

  f.reg().setText(Hive::CurrentUser, kRun, L"Later", L"C:\\later.exe");
  f.pickTab(1);
  EXPECT_EQ(f.ui.listView(L"ListView_qdxm").rowCount(), 1) << "other tabs do not reload it";
  f.pickTab(3);
  EXPECT_EQ(f.ui.listView(L"ListView_qdxm").rowCount(), 2);
  EXPECT_EQ(f.ui.listView(L"ListView_rjxz").rowCount(), 1);
}

}  // namespace
}  // namespace trova::test
