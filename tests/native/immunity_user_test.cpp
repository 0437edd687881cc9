// The user-defined tab: cisid.dat records, start-up load, add, delete, save and the notice.
#include <gtest/gtest.h>

#include "formats/cisid_file.h"
#include "immunity_fixture.h"
#include "platform/codepage.h"

namespace trova::test {
namespace {

const std::wstring kA = L"{AAAAAAAA-0000-0000-0000-000000000001}";
const std::wstring kB = L"{BBBBBBBB-0000-0000-0000-000000000002}";
const std::wstring kC = L"{cccccccc-0000-0000-0000-000000000003}";

// A record as the program writes it: category, both texts with their lengths, zero filler.
std::string record(std::int16_t category, const std::string& name, const std::string& clsid) {
  std::string r;
  r += static_cast<char>(category & 0xFF);
  r += static_cast<char>((category >> 8) & 0xFF);
  r += static_cast<char>(name.size() & 0xFF);
  r += static_cast<char>(name.size() >> 8);
  r += name;
  r += static_cast<char>(clsid.size() & 0xFF);
  r += static_cast<char>(clsid.size() >> 8);
  r += clsid;
  r.resize(128, '\0');
  return r;
}

TEST(CisidFile, ThreeRecordsByteForByteAndBack) {
  const std::vector<KnownControl> entries = {
      {3, L"网易泡泡", L"{AAAAAAAA-0000-0000-0000-000000000001}"},
      {3, L"Plain Name", L"{B"},
      {3, L"未命名", L"C}"},
  };
  const auto bytes = encodeUserRecords(entries);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), 3u * 128u);
  static const char kFirst[] = "\x03\x00\x08\x00\xCD\xF8\xD2\xD7\xC5\xDD\xC5\xDD\x26\x00"
                               "{AAAAAAAA-0000-0000-0000-000000000001}";
  const std::string first(kFirst, sizeof kFirst - 1);
  EXPECT_EQ(bytes->substr(0, first.size()), first);
  EXPECT_EQ(bytes->substr(first.size(), 128 - first.size()), std::string(128 - first.size(), '\0'));
  EXPECT_EQ(bytes->substr(128, 2), std::string("\x03\x00", 2));
  EXPECT_EQ(bytes->substr(256), record(3, "\xCE\xB4\xC3\xFC\xC3\xFB", "C}"));

  const auto back = decodeUserRecords(*bytes);
  EXPECT_EQ(back.damaged, 0);
  ASSERT_EQ(back.entries.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back.entries[i].category, 3);
    EXPECT_EQ(back.entries[i].name, entries[i].name);
    EXPECT_EQ(back.entries[i].clsid, entries[i].clsid);
  }
}

TEST(CisidFile, ARecordHoldsAtMost122BytesOfText) {
  const std::wstring clsid38 = kA;
  EXPECT_TRUE(fitsUserRecord(std::wstring(42, L'汉'), clsid38));   // 84 + 38
  EXPECT_FALSE(fitsUserRecord(std::wstring(43, L'汉'), clsid38));  // 86 + 38
  EXPECT_TRUE(encodeUserRecord({3, std::wstring(84, L'a'), clsid38}));
  EXPECT_FALSE(encodeUserRecord({3, std::wstring(85, L'a'), clsid38}));
  EXPECT_FALSE(encodeUserRecords({{3, L"a", kA}, {3, std::wstring(85, L'a'), clsid38}}));
}

TEST(CisidFile, OtherCategoriesAreSkippedButKeepTheirPlace) {
  const std::string bytes = record(3, "one", "{1}") + std::string(128, '\0') +
                            record(2, "catalogue", "{2}") + record(3, "four", "{4}");
  const auto r = decodeUserRecords(bytes);
  EXPECT_EQ(r.damaged, 0);
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].name, L"one");
  EXPECT_EQ(r.entries[1].name, L"four");
  EXPECT_EQ(r.entries[1].clsid, L"{4}");
}

TEST(CisidFile, DamagedRecordsAreSkippedAndCountedTheRestLoads) {
  std::string longName = record(3, "x", "{1}");
  longName[2] = static_cast<char>(200);  // name length past the record
  std::string longClsid = record(3, "y", "{2}");
  longClsid[4 + 1] = static_cast<char>(130);  // CLSID length past the record
  const std::string sound = record(3, "sound", "{3}");
  const std::string withBackslash = record(3, "path", "{4}\\..\\x");
  const std::string noClsid = record(3, "empty", "");
  const std::string cut = record(3, "cut", "{5}").substr(0, 8);  // ends inside its CLSID

  const auto r = decodeUserRecords(longName + longClsid + sound + withBackslash + noClsid + cut);
  ASSERT_EQ(r.entries.size(), 1u);
  EXPECT_EQ(r.entries[0].name, L"sound");
  EXPECT_EQ(r.damaged, 5);

  EXPECT_TRUE(decodeUserRecords("").entries.empty());
  EXPECT_EQ(decodeUserRecords("").damaged, 0);
  EXPECT_EQ(decodeUserRecords(sound + "\x03").damaged, 1) << "a stray byte after the last record";
}

TEST(CisidFile, ALastRecordMayEndRightAfterItsClsid) {
  const std::string full = record(3, "a", "{1}");
  const std::string shortLast = record(3, "b", "{2}").substr(0, 2 + 2 + 1 + 2 + 3);
  const auto r = decodeUserRecords(full + shortLast);
  EXPECT_EQ(r.damaged, 0);
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[1].clsid, L"{2}");
}

struct UserEntries : ::testing::Test, ImmunityFixture {
  void writeFile(const std::string& bytes) { mp.files.files[MemoryFiles::key(kUserFile)] = bytes; }
  std::string file() { return mp.files.files.at(MemoryFiles::key(kUserFile)); }
  bool fileExists() { return mp.files.files.count(MemoryFiles::key(kUserFile)) != 0; }
};

TEST_F(UserEntries, NoFileNoRowsNoMessage) {
  page.LoadUserEntries();
  EXPECT_EQ(user().rowCount(), 0);
  EXPECT_EQ(user().header(0), L"插件名称");
  EXPECT_TRUE(mp.dialogs.messages.empty());
}

TEST_F(UserEntries, LoadShowsEachEntryWithItsStateAndTheCounts) {
  setFlags(kB, 0x400);
  writeFile(record(3, "\xCD\xF8\xD2\xD7\xC5\xDD\xC5\xDD", toAnsi(kA)) + record(3, "b", toAnsi(kB)));
  page.LoadUserEntries();
  ASSERT_EQ(user().rowCount(), 2);
  EXPECT_EQ(column(user(), 0), (std::vector<std::wstring>{L"网易泡泡", L"b"}));
  EXPECT_EQ(column(user(), 2), (std::vector<std::wstring>{L"未免疫", L"已免疫"}));
  EXPECT_FALSE(user().checked(0));
  EXPECT_TRUE(user().checked(1));
  EXPECT_EQ(user().header(0), L"插件名称 (未免疫1项,总2项)");
  EXPECT_EQ(user().fills(), 1);
  EXPECT_TRUE(mp.dialogs.messages.empty());
}

TEST_F(UserEntries, EmptyOrCatalogueOnlyFileLeavesTheTabAsItWas) {
  writeFile("");
  page.LoadUserEntries();
  writeFile(std::string(256, '\0'));
  page.LoadUserEntries();
  EXPECT_EQ(user().rowCount(), 0);
  EXPECT_EQ(user().header(0), L"插件名称");
  EXPECT_TRUE(mp.dialogs.messages.empty());
}

TEST_F(UserEntries, DamagedFileLoadsWhatIsSoundAndSaysHowMuchWasNot) {
  std::string bad = record(3, "x", "{1}");
  bad[2] = static_cast<char>(0xFF);
  writeFile(bad + record(3, "good", toAnsi(kA)) + record(3, "cut", toAnsi(kB)).substr(0, 10));
  page.LoadUserEntries();
  EXPECT_EQ(column(user(), 0), std::vector<std::wstring>{L"good"});
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_NE(mp.dialogs.messages[0].text.find(L"2条记录已损坏"), std::wstring::npos);
  EXPECT_EQ(mp.dialogs.messages[0].style, MessageStyle::Plain);
}

TEST_F(UserEntries, NoticeOnlyOnTheUserTabAndOnlyWhileThereIsNoFile) {
  for (int t = 0; t < 3; ++t) {
    tabs.setCurrent(t);
    page.SSTab_cjmy_Click();
  }
  EXPECT_TRUE(mp.dialogs.messages.empty());
  tabs.setCurrent(3);
  page.SSTab_cjmy_Click();
  page.SSTab_cjmy_Click();
  ASSERT_EQ(mp.dialogs.messages.size(), 2u) << "shown at every switch while the file is missing";
  EXPECT_EQ(mp.dialogs.messages[0].text, L"trova将会在程序所在目录创建一个cisid.dat文件以保存自定义插件数据");
  EXPECT_EQ(mp.dialogs.messages[0].title, L"提示");
  EXPECT_EQ(mp.dialogs.messages[0].style, MessageStyle::Plain);
  EXPECT_FALSE(fileExists()) << "the notice creates nothing";

  page.Command_yhzdybc_Click();  // the first save creates the file, even for an empty list
  mp.dialogs.messages.clear();
  page.SSTab_cjmy_Click();
  EXPECT_TRUE(mp.dialogs.messages.empty());
}

TEST_F(UserEntries, AddAsksForNameThenClsid) {
  add(L"我的控件", kA);
  ASSERT_EQ(mp.dialogs.prompts.size(), 2u);
  EXPECT_EQ(mp.dialogs.prompts[0].prompt, L"请输入插件名称:");
  EXPECT_EQ(mp.dialogs.prompts[0].title, L"添加自定义");
  EXPECT_EQ(mp.dialogs.prompts[0].initial, L"");
  EXPECT_EQ(mp.dialogs.prompts[1].prompt, L"请输入插件cisid:\r\n例如:{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(mp.dialogs.prompts[1].title, L"添加自定义");
  ASSERT_EQ(user().rowCount(), 1);
  EXPECT_EQ((std::vector<std::wstring>{user().cell(0, 0), user().cell(0, 1), user().cell(0, 2)}),
            (std::vector<std::wstring>{L"我的控件", kA, L"未免疫"}));
  EXPECT_EQ(user().header(0), L"插件名称 (未免疫1项,总1项)");
  // Adding writes nothing: neither the registry nor the file.
  EXPECT_FALSE(mp.registry.exists(Hive::LocalMachine, kCompat + kA));
  EXPECT_FALSE(fileExists());
  EXPECT_TRUE(mp.dialogs.messages.empty());
}

TEST_F(UserEntries, BraceTest) {
  struct Case {
    std::wstring clsid;
    bool accepted;
  };
  const Case cases[] = {{L"{ABC", true},  {L"ABC}", true},   {L"{ABC}", true},    {L"ABC", false},
                        {L"", false},     {L" {ABC}", true}, {L"{A\\B}", false},  {L"{..\\..\\Run}", false}};
  for (const auto& c : cases) {
    const int before = user().rowCount();
    mp.dialogs.messages.clear();
    add(L"n", c.clsid);
    EXPECT_EQ(user().rowCount(), before + (c.accepted ? 1 : 0)) << toAnsi(c.clsid);
    if (c.accepted) {
      EXPECT_EQ(user().cell(before, 1), c.clsid) << "kept exactly as typed";
      EXPECT_TRUE(mp.dialogs.messages.empty());
    } else {
      ASSERT_EQ(mp.dialogs.messages.size(), 1u) << toAnsi(c.clsid);
      EXPECT_EQ(mp.dialogs.messages[0].text, L"添加失败!");
      EXPECT_EQ(mp.dialogs.messages[0].title, L"结果");
      EXPECT_EQ(mp.dialogs.messages[0].style, MessageStyle::Plain);
    }
  }
}

TEST_F(UserEntries, CancelledNameBecomesUnnamedAndImmuneClsidShowsChecked) {
  setFlags(kA, 0x400);
  mp.dialogs.inputAnswers = {L"", kA};
  page.Command_yhzdytj_Click();
  add(L"again", kA);
  ASSERT_EQ(user().rowCount(), 2) << "the same CLSID may be listed twice";
  EXPECT_EQ(user().cell(0, 0), L"未命名");
  EXPECT_TRUE(user().checked(0));
  EXPECT_EQ(user().cell(0, 2), L"已免疫");
  EXPECT_EQ(user().header(0), L"插件名称 (未免疫0项,总2项)");
}

TEST_F(UserEntries, AnAddedRowLandsInItsPlaceInASortedList) {
  setFlags(kB, 0x400);
  add(L"a", kA);
  add(L"b", kB);
  user().setSort({.column = 2, .descending = true, .enabled = true});
  ASSERT_EQ(column(user(), 0), (std::vector<std::wstring>{L"a", L"b"}));
  add(L"c", kC);
  // "未免疫" sorts after "已免疫": the new row arrives with its state, beside "a".
  EXPECT_EQ(column(user(), 0), (std::vector<std::wstring>{L"a", L"c", L"b"}));
  EXPECT_FALSE(user().checked(1));
}

TEST_F(UserEntries, AnEntryTheFileCannotHoldIsRefusedClearly) {
  add(std::wstring(43, L'汉'), kA);
  EXPECT_EQ(user().rowCount(), 0);
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_EQ(mp.dialogs.messages[0].text.rfind(L"添加失败!", 0), 0u);
  EXPECT_NE(mp.dialogs.messages[0].text.find(L"122"), std::wstring::npos);
  EXPECT_NE(mp.dialogs.messages[0].text.find(L"124"), std::wstring::npos);

  add(std::wstring(42, L'汉'), kA);
  EXPECT_EQ(user().rowCount(), 1) << "exactly 122 bytes fit";

  mp.dialogs.messages.clear();
  add(L"smile \U0001F600", kB);
  EXPECT_EQ(user().rowCount(), 1) << "a character GBK cannot hold would not read back";
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_EQ(mp.dialogs.messages[0].title, L"结果");
}

TEST_F(UserEntries, DeleteRemovesTheSelectedRowAndOnlyTheKillBit) {
  setFlags(kB, 0x400);
  setFlags(kC, 0x401);  // another program's flag beside the kill-bit
  add(L"a", kA);
  add(L"b", kB);
  add(L"c", kC);
  page.Command_yhzdysc_Click();
  EXPECT_EQ(user().rowCount(), 3) << "nothing selected, nothing deleted";

  user().selectRow(1);
  page.Command_yhzdysc_Click();
  EXPECT_EQ(column(user(), 0), (std::vector<std::wstring>{L"a", L"c"}));
  for (RegView view : registryViews())
    EXPECT_FALSE(mp.registry.exists({Hive::LocalMachine, view}, kCompat + kB)) << "nothing else was in it";
  EXPECT_EQ(user().header(0), L"插件名称 (未免疫1项,总2项)");

  user().selectRow(0);  // its key does not exist: no error
  page.Command_yhzdysc_Click();
  EXPECT_EQ(column(user(), 0), std::vector<std::wstring>{L"c"});
  user().selectRow(0);
  page.Command_yhzdysc_Click();
  for (RegView view : registryViews())
    EXPECT_EQ(flags(kC, view), 0x001u) << "the other flag stays, and with it the key";
  EXPECT_TRUE(mp.dialogs.messages.empty());
  EXPECT_FALSE(fileExists()) << "the file changes only on save";
}

TEST_F(UserEntries, AnUnreadableFileIsKeptAsideBeforeASaveReplacesIt) {
  writeFile(record(3, "old", "{1}"));
  mp.files.unreadable.insert(MemoryFiles::key(kUserFile));
  page.LoadUserEntries();
  ASSERT_EQ(mp.dialogs.messages.size(), 1u) << "said at start-up";
  mp.files.unreadable.clear();
  add(L"new", kA);
  page.Command_yhzdybc_Click();
  EXPECT_EQ(mp.files.files[MemoryFiles::key(kUserFile + L".bak")], record(3, "old", "{1}"));
  EXPECT_EQ(file(), record(3, "new", toAnsi(kA)));
  EXPECT_NE(mp.dialogs.messages.back().text.find(L"cisid.dat.bak"), std::wstring::npos);
  page.Command_yhzdybc_Click();
  EXPECT_EQ(mp.dialogs.messages.back().text, L"保存成功!") << "kept aside once";
}

TEST_F(UserEntries, DeleteThatCannotRemoveTheKeySaysSo) {
  setFlags(kA, 0x400);
  add(L"a", kA);
  mp.registry.denyWrites(Hive::LocalMachine, kCompat + kA);
  user().selectRow(0);
  page.Command_yhzdysc_Click();
  EXPECT_EQ(user().rowCount(), 0);
  EXPECT_EQ(flags(kA), 0x400u);
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_NE(mp.dialogs.messages[0].text.find(describeFailure(regerr::AccessDenied)), std::wstring::npos);
}

TEST_F(UserEntries, SaveWritesExactlyTheRowsAndLoadsThemBack) {
  add(L"网易泡泡", kA);
  add(L"", kB);
  add(L"third", kC);
  page.Command_yhzdybc_Click();
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_EQ(mp.dialogs.messages[0].text, L"保存成功!");
  EXPECT_EQ(mp.dialogs.messages[0].title, L"提示");
  EXPECT_EQ(mp.dialogs.messages[0].style, MessageStyle::Plain);
  EXPECT_EQ(file(), record(3, "\xCD\xF8\xD2\xD7\xC5\xDD\xC5\xDD", toAnsi(kA)) +
                        record(3, "\xCE\xB4\xC3\xFC\xC3\xFB", toAnsi(kB)) + record(3, "third", toAnsi(kC)));

  // The next start shows the same rows in the same order.
  ImmunityFixture next;
  next.mp.files.files = mp.files.files;
  next.page.LoadUserEntries();
  EXPECT_EQ(column(next.user(), 0), (std::vector<std::wstring>{L"网易泡泡", L"未命名", L"third"}));
  EXPECT_EQ(column(next.user(), 1), (std::vector<std::wstring>{kA, kB, kC}));
}

TEST_F(UserEntries, ShorterAndEmptySavesLeaveNoOldRecordsBehind) {
  add(L"a", kA);
  add(L"b", kB);
  page.Command_yhzdybc_Click();
  user().selectRow(0);
  page.Command_yhzdysc_Click();
  page.Command_yhzdybc_Click();
  EXPECT_EQ(file(), record(3, "b", toAnsi(kB)));
  user().selectRow(0);
  page.Command_yhzdysc_Click();
  page.Command_yhzdybc_Click();
  EXPECT_EQ(file(), "");
  EXPECT_EQ(mp.dialogs.messages.back().text, L"保存成功!");
}

TEST_F(UserEntries, AFailedSaveKeepsTheOldFileAndClaimsNothing) {
  writeFile(record(3, "old", "{1}"));
  mp.files.readOnly.insert(MemoryFiles::key(kUserFile));
  add(L"new", kA);
  page.Command_yhzdybc_Click();
  EXPECT_EQ(file(), record(3, "old", "{1}"));
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_NE(mp.dialogs.messages[0].text, L"保存成功!");
  EXPECT_NE(mp.dialogs.messages[0].text.find(L"拒绝访问"), std::wstring::npos);
}

// Without saving, an added row is gone at the next start and a deleted one is
// back, but its key stays deleted.
TEST_F(UserEntries, UnsavedChangesDoNotSurviveARestart) {
  setFlags(kA, 0x400);
  add(L"a", kA);
  page.Command_yhzdybc_Click();
  add(L"b", kB);
  user().selectRow(0);
  page.Command_yhzdysc_Click();

  ImmunityFixture next;
  next.mp.files.files = mp.files.files;
  next.page.LoadUserEntries();
  ASSERT_EQ(column(next.user(), 0), std::vector<std::wstring>{L"a"});
  EXPECT_FALSE(mp.registry.exists(Hive::LocalMachine, kCompat + kA));
}

}  // namespace
}  // namespace trova::test
