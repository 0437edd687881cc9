// The add-on page's buttons: disable, enable, delete and export, and what the
// user is told when the registry or the file system refuses.
#include <gtest/gtest.h>

#include "addons/addon_registry.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

const std::wstring kBho = addons::kHelperObjectsKey;
const std::wstring kExt = addons::kExtensionsKey;
const std::wstring kBar = addons::kToolbarKey;
const std::wstring kMenu = addons::kMenuExtKey;
const std::wstring kSettings = addons::kSettingsKey;
const std::wstring kNoRights = describeFailure(regerr::AccessDenied);

struct AddonActions : ::testing::Test {
  FormFixture f;
  ListView& list() { return f.ui.listView(L"ListView_cjgl"); }
  auto& messages() { return f.mp.dialogs.messages; }

  void registerClass(const std::wstring& id, const std::wstring& name, const std::wstring& file) {
    f.reg().setText(Hive::ClassesRoot, L"CLSID\\" + id, L"", name);
    f.reg().setText(Hive::ClassesRoot, L"CLSID\\" + id + L"\\InprocServer32", L"", file);
  }
  // One add-on of each kind, listed in this order.
  void seedAll() {
    registerClass(L"{BHO-1}", L"Helper", L"C:\\bho.dll");
    f.reg().createKey(Hive::LocalMachine, kBho + L"\\{BHO-1}");
    registerClass(L"{EXT-1}", L"Research", L"C:\\ext.dll");
    f.reg().createKey(Hive::LocalMachine, kExt + L"\\{EXT-1}");
    f.reg().setText(Hive::LocalMachine, kBar, L"{BAR-1}", L"Search Bar");
    f.reg().setText(Hive::LocalMachine, kBar, L"{BAR-2}", L"Other Bar");
    f.reg().setText(Hive::CurrentUser, kMenu + L"\\导出到 Excel", L"", L"C:\\Office\\EXCEL.EXE/3000");
    f.pickTab(2);
  }
  // Selects the row whose column `column` reads `text`; fails the test if none does.
  int select(const std::wstring& text, int column = addons::Id) {
    for (int r = 0; r < list().rowCount(); ++r) {
      if (list().cell(r, column) == text) {
        list().selectRow(r);
        return r;
      }
    }
    ADD_FAILURE() << "no row reads " << std::string(text.begin(), text.end());
    return -1;
  }
  std::optional<std::uint32_t> flags(const std::wstring& id) {
    auto v = f.reg().value(Hive::CurrentUser, kSettings + L"\\" + id, L"Flags");
    if (!v || v->type != RegType::Dword) return std::nullopt;
    return v->asDword();
  }
  std::wstring state(const std::wstring& id) {
    for (int r = 0; r < list().rowCount(); ++r)
      if (list().cell(r, addons::Id) == id) return list().cell(r, addons::State);
    return L"(not listed)";
  }
  bool listed(const std::wstring& text, int column) {
    for (int r = 0; r < list().rowCount(); ++r)
      if (list().cell(r, column) == text) return true;
    return false;
  }
  void expectOneMessage(const std::wstring& text, MessageStyle style) {
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text);
    EXPECT_EQ(messages()[0].title, L"提示");
    EXPECT_EQ(messages()[0].style, style);
  }
};

// ---- 禁用 / 启用 ----

TEST_F(AddonActions, DisableWritesTheMarkAndEnableRemovesItWhole) {
  seedAll();
  select(L"{BHO-1}");
  f.form.Click(L"Command_cjgljy");
  EXPECT_EQ(flags(L"{BHO-1}"), 1u);
  EXPECT_EQ(state(L"{BHO-1}"), L"已禁用");

  f.reg().setText(Hive::CurrentUser, kSettings + L"\\{BHO-1}", L"Version", L"*");  // any other content
  f.form.Click(L"Command_cjglqy");
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{BHO-1}"));
  EXPECT_TRUE(f.reg().exists(Hive::CurrentUser, kSettings)) << "only the add-on's own key goes";
  EXPECT_EQ(state(L"{BHO-1}"), L"已启用");
  EXPECT_TRUE(messages().empty());

  f.pickTab(2);
  EXPECT_EQ(state(L"{BHO-1}"), L"已启用") << "a reload reads back what the buttons wrote";
}

TEST_F(AddonActions, DisableOverAnExistingMarkKeepsItAndSetsFlagsAgain) {
  f.reg().setDword(Hive::CurrentUser, kSettings + L"\\{BAR-1}", L"Flags", 0);
  f.reg().setText(Hive::CurrentUser, kSettings + L"\\{BAR-1}", L"Note", L"kept");
  seedAll();
  select(L"{BAR-1}");
  f.form.Click(L"Command_cjgljy");
  EXPECT_EQ(flags(L"{BAR-1}"), 1u);
  EXPECT_EQ(f.reg().value(Hive::CurrentUser, kSettings + L"\\{BAR-1}", L"Note").value().asText(), L"kept");
  EXPECT_EQ(state(L"{BAR-1}"), L"已禁用");
}

TEST_F(AddonActions, EnableWithoutAnyMarkIsAlreadyDone) {
  seedAll();  // no Ext\Settings key at all
  select(L"{EXT-1}");
  list().setCell(list().selectedRow(), addons::State, L"已禁用");  // as shown before someone else cleaned up
  f.form.Click(L"Command_cjglqy");
  EXPECT_EQ(state(L"{EXT-1}"), L"已启用");
  EXPECT_TRUE(messages().empty());
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kSettings));
}

TEST_F(AddonActions, RefusedDisableKeepsTheRowAndSaysWhy) {
  f.reg().denyWrites(Hive::CurrentUser, kSettings);
  seedAll();
  select(L"{BHO-1}");
  f.form.Click(L"Command_cjgljy");
  EXPECT_EQ(state(L"{BHO-1}"), L"已启用");
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{BHO-1}"));
  expectOneMessage(L"禁用失败!\n" + kNoRights, MessageStyle::Plain);
}

TEST_F(AddonActions, RefusedFlagsWriteOnAnExistingMarkIsReported) {
  f.reg().setDword(Hive::CurrentUser, kSettings + L"\\{BAR-2}", L"Flags", 0);
  f.reg().denyWrites(Hive::CurrentUser, kSettings + L"\\{BAR-2}");
  seedAll();
  select(L"{BAR-2}");
  ASSERT_EQ(state(L"{BAR-2}"), L"已禁用") << "the key exists, whatever Flags says";
  f.form.Click(L"Command_cjgljy");
  EXPECT_EQ(state(L"{BAR-2}"), L"已禁用");
  EXPECT_EQ(flags(L"{BAR-2}"), 0u);
  expectOneMessage(L"禁用失败!\n" + kNoRights, MessageStyle::Plain);
}

TEST_F(AddonActions, RefusedEnableKeepsTheRowDisabledAndSaysWhy) {
  f.reg().setDword(Hive::CurrentUser, kSettings + L"\\{EXT-1}", L"Flags", 1);
  f.reg().denyWrites(Hive::CurrentUser, kSettings + L"\\{EXT-1}");
  seedAll();
  select(L"{EXT-1}");
  f.form.Click(L"Command_cjglqy");
  EXPECT_EQ(state(L"{EXT-1}"), L"已禁用");
  EXPECT_TRUE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{EXT-1}"));
  expectOneMessage(L"启用失败!\n" + kNoRights, MessageStyle::Plain);
}

// A key with sub-keys is refused for that reason, not for the user's rights.
TEST_F(AddonActions, AKeyWithSubKeysIsReportedAsSuchNotAsMissingRights) {
  f.reg().createKey(Hive::CurrentUser, kSettings + L"\\{EXT-1}\\Nested");
  f.reg().createKey(Hive::LocalMachine, kBho + L"\\{BHO-1}\\Nested");
  seedAll();
  select(L"{EXT-1}");
  f.form.Click(L"Command_cjglqy");
  EXPECT_EQ(state(L"{EXT-1}"), L"已禁用");
  expectOneMessage(L"启用失败!\n它的注册表项下还有子项", MessageStyle::Plain);
  messages().clear();
  select(L"{BHO-1}");
  f.form.Click(L"Command_cjglsc");
  EXPECT_TRUE(listed(L"{BHO-1}", addons::Id));
  expectOneMessage(L"删除失败!\n它的注册表项下还有子项", MessageStyle::Plain);
}

TEST_F(AddonActions, ContextMenuEntriesGetNoDisabledMark) {
  seedAll();
  const int row = select(L"导出到 Excel", addons::Name);
  f.form.Click(L"Command_cjgljy");
  f.form.Click(L"Command_cjglqy");
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\缺省"));
  EXPECT_EQ(list().cell(row, addons::State), L"已启用");
  EXPECT_TRUE(messages().empty());
}

TEST_F(AddonActions, AnIdentifierThatIsNotOneKeyNameIsNotUsedAsAPath) {
  // A toolbar value may be named anything; as a key path it would reach
  // Ext\Settings itself or keys below other add-ons' marks.
  f.reg().setText(Hive::LocalMachine, kBar, L"", L"Default Bar");
  f.reg().setText(Hive::LocalMachine, kBar, L"{X}\\sub", L"Slashed Bar");
  f.reg().setDword(Hive::CurrentUser, kSettings + L"\\{X}", L"Flags", 1);
  f.pickTab(2);
  for (const std::wstring id : {L"", L"{X}\\sub"}) {
    messages().clear();
    select(id);
    f.form.Click(L"Command_cjgljy");
    f.form.Click(L"Command_cjglqy");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].text.rfind(L"禁用失败!\n", 0), 0u);
    EXPECT_EQ(messages()[1].text.rfind(L"启用失败!\n", 0), 0u);
  }
  EXPECT_FALSE(f.reg().value(Hive::CurrentUser, kSettings, L"Flags").has_value());
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{X}\\sub"));
  EXPECT_TRUE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{X}"));
}

TEST_F(AddonActions, WithoutASelectedRowNothingHappens) {
  seedAll();
  const int opens = f.reg().openCount();
  for (auto button : {L"Command_cjgljy", L"Command_cjglqy", L"Command_cjglsc"}) f.form.Click(button);
  EXPECT_EQ(f.reg().openCount(), opens) << "not even a read";
  EXPECT_EQ(list().rowCount(), 5);
  EXPECT_TRUE(messages().empty());
}

// ---- 删除 ----

TEST_F(AddonActions, DeleteRemovesOnlyTheRegistrationOfEachKind) {
  f.reg().setDword(Hive::CurrentUser, kSettings + L"\\{BHO-1}", L"Flags", 1);
  seedAll();

  select(L"{BHO-1}");
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(f.reg().exists(Hive::LocalMachine, kBho + L"\\{BHO-1}"));
  EXPECT_TRUE(f.reg().exists(Hive::LocalMachine, kBho));
  EXPECT_TRUE(f.reg().exists(Hive::ClassesRoot, L"CLSID\\{BHO-1}\\InprocServer32")) << "class stays";
  EXPECT_TRUE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{BHO-1}")) << "disabled mark stays";

  select(L"{EXT-1}");
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(f.reg().exists(Hive::LocalMachine, kExt + L"\\{EXT-1}"));

  select(L"{BAR-1}");
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(f.reg().value(Hive::LocalMachine, kBar, L"{BAR-1}").has_value());
  EXPECT_TRUE(f.reg().value(Hive::LocalMachine, kBar, L"{BAR-2}").has_value()) << "other toolbars stay";

  select(L"导出到 Excel", addons::Name);
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kMenu + L"\\导出到 Excel")) << "named by the menu text";
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kMenu + L"\\缺省"));

  ASSERT_EQ(list().rowCount(), 1);
  EXPECT_EQ(list().cell(0, addons::Id), L"{BAR-2}");
  ASSERT_EQ(messages().size(), 4u);
  for (const auto& m : messages()) {
    EXPECT_EQ(m.text, L"删除成功!");
    EXPECT_EQ(m.title, L"提示");
    EXPECT_EQ(m.style, MessageStyle::Information);
  }
}

TEST_F(AddonActions, DeleteLeavesTheHeaderCountUntilTheNextTabPick) {
  seedAll();
  EXPECT_EQ(list().header(0), L"插件名称,总5个");
  select(L"{BAR-1}");
  f.form.Click(L"Command_cjglsc");
  EXPECT_EQ(list().rowCount(), 4);
  EXPECT_EQ(list().header(0), L"插件名称,总5个");
  f.pickTab(2);
  EXPECT_EQ(list().header(0), L"插件名称,总4个");
}

TEST_F(AddonActions, DeletingWhatIsAlreadyGoneSucceeds) {
  seedAll();
  {
    KeyPtr k;
    ASSERT_EQ(f.reg().open(Hive::LocalMachine, kExt, k), regerr::Ok);
    ASSERT_EQ(k->deleteSubKey(L"{EXT-1}"), regerr::Ok);  // removed behind the program's back
  }
  select(L"{EXT-1}");
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(listed(L"{EXT-1}", addons::Id));
  expectOneMessage(L"删除成功!", MessageStyle::Information);
}

TEST_F(AddonActions, RefusedDeleteKeepsTheRowAndSaysWhy) {
  seedAll();
  f.reg().denyWrites(Hive::LocalMachine);  // a standard user
  for (const std::wstring id : {L"{BHO-1}", L"{EXT-1}", L"{BAR-1}"}) {
    messages().clear();
    select(id);
    f.form.Click(L"Command_cjglsc");
    EXPECT_TRUE(listed(id, addons::Id));
    expectOneMessage(L"删除失败!\n" + kNoRights, MessageStyle::Plain);
  }
  EXPECT_TRUE(f.reg().exists(Hive::LocalMachine, kBho + L"\\{BHO-1}"));
  EXPECT_TRUE(f.reg().exists(Hive::LocalMachine, kExt + L"\\{EXT-1}"));
  EXPECT_TRUE(f.reg().value(Hive::LocalMachine, kBar, L"{BAR-1}").has_value());

  messages().clear();
  select(L"导出到 Excel", addons::Name);
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(listed(L"导出到 Excel", addons::Name)) << "the user's own entries can still go";
  expectOneMessage(L"删除成功!", MessageStyle::Information);
}

TEST_F(AddonActions, NamesOutsideTheAnsiCodePageAreActedOn) {
  const std::wstring thai = L"เมนูไทย";
  f.reg().setText(Hive::CurrentUser, kMenu + L"\\" + thai, L"", L"C:\\thai.htm");
  f.reg().setText(Hive::LocalMachine, kBar, L"{Ωmega}", L"Ω bar");
  f.pickTab(2);

  select(L"{Ωmega}");
  f.form.Click(L"Command_cjgljy");
  EXPECT_TRUE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{Ωmega}"));
  f.form.Click(L"Command_cjglqy");
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kSettings + L"\\{Ωmega}"));

  select(thai, addons::Name);
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(f.reg().exists(Hive::CurrentUser, kMenu + L"\\" + thai));
  EXPECT_FALSE(listed(thai, addons::Name));
}

// ---- 导出 ----

struct AddonExport : AddonActions {
  const std::wstring path = L"C:\\logs\\addons.txt";
  void answer(std::optional<std::wstring> p) { f.mp.dialogs.fileAnswers.push_back(std::move(p)); }
  std::optional<std::string> written() {
    auto it = f.mp.files.files.find(MemoryFiles::key(path));
    if (it == f.mp.files.files.end()) return std::nullopt;
    return it->second;
  }
};

TEST_F(AddonExport, TwoRowsWriteFourteenLinesInTheCodePage) {
  registerClass(L"{BHO-1}", L"Helper", L"C:\\bho.dll");
  f.reg().createKey(Hive::LocalMachine, kBho + L"\\{BHO-1}");
  f.reg().createKey(Hive::CurrentUser, kSettings + L"\\{BHO-1}");
  f.reg().setText(Hive::CurrentUser, kMenu + L"\\导出到 Excel", L"", L"C:\\Office\\EXCEL.EXE/3000");
  f.pickTab(2);
  answer(path);
  f.form.Click(L"Command_cjgldc");

  const std::string expected =
      "Trova" "\xC8\xD5\xD6\xBE\xCE\xC4\xBC\xFE" "\r\n"                                  // Trova日志文件
      " " "\r\n"
      "\xC3\xFB\xB3\xC6" ":Helper" "\r\n"                                                // 名称:Helper
      "cisid:{BHO-1}" "\r\n"
      "\xD7\xB4\xCC\xAC" ":" "\xD2\xD1\xBD\xFB\xD3\xC3" "\r\n"                           // 状态:已禁用
      "\xC0\xE0\xD0\xCD" ":" "\xE4\xAF\xC0\xC0\xC6\xF7\xB0\xEF\xD6\xFA\xCF\xEE" "\r\n"   // 类型:浏览器帮助项
      "\xCE\xC4\xBC\xFE" ":C:\\bho.dll" "\r\n"                                           // 文件:C:\bho.dll
      " " "\r\n"
      "\xC3\xFB\xB3\xC6" ":" "\xB5\xBC\xB3\xF6\xB5\xBD" " Excel" "\r\n"                  // 名称:导出到 Excel
      "cisid:" "\xC8\xB1\xCA\xA1" "\r\n"                                                 // cisid:缺省
      "\xD7\xB4\xCC\xAC" ":" "\xD2\xD1\xC6\xF4\xD3\xC3" "\r\n"                           // 状态:已启用
      "\xC0\xE0\xD0\xCD" ":" "\xE4\xAF\xC0\xC0\xC6\xF7\xD3\xD2\xBC\xFC\xB2\xCB\xB5\xA5" "\r\n"  // 类型:浏览器右键菜单
      "\xCE\xC4\xBC\xFE" ":C:\\Office\\EXCEL.EXE/3000" "\r\n"                            // 文件:...
      " " "\r\n";
  ASSERT_TRUE(written());
  EXPECT_EQ(*written(), expected);
  expectOneMessage(L"导出成功!", MessageStyle::Information);

  ASSERT_EQ(f.mp.dialogs.fileDialogs.size(), 1u);
  const auto& spec = f.mp.dialogs.fileDialogs[0];
  EXPECT_EQ(spec.filters, (std::vector<std::pair<std::wstring, std::wstring>>{{L"文本文件 (*.txt)", L"*.txt"}}));
  EXPECT_EQ(spec.title, L"导出");
  EXPECT_EQ(spec.defaultExtension, L"txt");
  EXPECT_EQ(spec.initialFolder, f.mp.folders.program);
}

TEST_F(AddonExport, AnEmptyListWritesTheTwoHeadLinesOverAnOldFile) {
  f.mp.files.files[MemoryFiles::key(path)] = "old content that must go";
  f.pickTab(2);
  answer(path);
  f.form.Click(L"Command_cjgldc");
  EXPECT_EQ(written(), std::string("Trova\xC8\xD5\xD6\xBE\xCE\xC4\xBC\xFE\r\n \r\n"));
  expectOneMessage(L"导出成功!", MessageStyle::Information);
}

TEST_F(AddonExport, RowsAreWrittenInTheOrderShownAndNamesOutsideTheCodePageStayWhole) {
  const std::vector<std::pair<std::wstring, std::wstring>> bars = {
      {L"{B}", L"bbb"}, {L"{A}", L"aaa"}, {L"{C}", L"ccc\x0E01"}};
  for (const auto& [id, name] : bars) f.reg().setText(Hive::LocalMachine, kBar, id, name);
  f.pickTab(2);
  f.form.ColumnClick(L"ListView_cjgl", addons::Id);  // sort by CISID
  answer(path);
  f.form.Click(L"Command_cjgldc");
  ASSERT_TRUE(written());
  // The code page lacks a character, so the whole log is UTF-8 after its mark.
  EXPECT_EQ(written()->rfind("\xEF\xBB\xBF" "Trova", 0), 0u);
  const auto lines = decodeTextLines(*written());
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[2], L"名称:aaa");
  EXPECT_EQ(lines[8], L"名称:bbb");
  EXPECT_EQ(lines[14], L"名称:ccc\x0E01");
}

TEST_F(AddonExport, CancelWritesNothingAndSaysNothing) {
  seedAll();
  answer(std::nullopt);
  f.form.Click(L"Command_cjgldc");
  EXPECT_EQ(f.mp.dialogs.fileDialogs.size(), 1u);
  EXPECT_TRUE(f.mp.files.files.empty());
  EXPECT_TRUE(messages().empty());
}

TEST_F(AddonExport, AFailedWriteIsReportedAndTheOldFileStays) {
  f.mp.files.files[MemoryFiles::key(path)] = "previous export";
  f.mp.files.readOnly.insert(MemoryFiles::key(path));
  seedAll();
  answer(path);
  f.form.Click(L"Command_cjgldc");
  EXPECT_EQ(written(), std::string("previous export"));
  expectOneMessage(L"导出失败!\n拒绝访问", MessageStyle::Plain);
}

}  // namespace
}  // namespace trova::test
