// The catalogue lists: start-up fill, apply "应 用" and export "导出".
#include <gtest/gtest.h>

#include "immunity/kill_bit.h"
#include "immunity_fixture.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace trova::test {
namespace {

std::wstring header(int notImmune, int total) {
  return L"插件名称 (未免疫" + std::to_wstring(notImmune) + L"项,总" + std::to_wstring(total) + L"项)";
}

struct ImmunityFill : ::testing::Test, ImmunityFixture {};

TEST_F(ImmunityFill, EmptyRegistryListsEveryRowNotImmune) {
  page.FillImmunityLists();
  EXPECT_EQ(lists[0]->rowCount(), 110);
  EXPECT_EQ(lists[1]->rowCount(), 497);
  EXPECT_EQ(lists[2]->rowCount(), 175);
  EXPECT_EQ(lists[3]->rowCount(), 0);
  EXPECT_EQ(lists[0]->header(0), L"插件名称 (未免疫110项,总110项)");
  EXPECT_EQ(lists[1]->header(0), L"插件名称 (未免疫497项,总497项)");
  EXPECT_EQ(lists[2]->header(0), L"插件名称 (未免疫175项,总175项)");
  EXPECT_EQ(lists[3]->header(0), L"插件名称");
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < lists[c]->rowCount(); ++r) {
      EXPECT_FALSE(lists[c]->checked(r));
      EXPECT_EQ(lists[c]->cell(r, 2), L"未免疫");
    }
  }
  EXPECT_TRUE(mp.dialogs.messages.empty());
}

// A row whose CLSID is only the catalogue's stand-in shows it in grey; every
// other cell, and every row with a real CLSID, is drawn as usual.
TEST_F(ImmunityFill, PlaceholderClsidsAreGreyAndNothingElseIs) {
  page.FillImmunityLists();
  std::array<int, 3> next{};
  int grey = 0;
  for (int i = 0; i < kCatalogueRows; ++i) {
    const int c = kCatalogue[i].category;
    const int r = next[static_cast<std::size_t>(c)]++;
    const bool placeholder = kCatalogue[i].status == CatalogueStatus::Placeholder;
    EXPECT_EQ(lists[c]->cellGrey(r, 1), placeholder) << "row " << i;
    EXPECT_FALSE(lists[c]->cellGrey(r, 0) || lists[c]->cellGrey(r, 2)) << "row " << i;
    grey += placeholder;
  }
  EXPECT_GT(grey, 0);
}

TEST_F(ImmunityFill, RowsFollowTheCatalogueOrderWithinEachList) {
  page.FillImmunityLists();
  std::array<std::vector<std::wstring>, 3> names, clsids;
  for (int i = 0; i < kCatalogueRows; ++i) {
    names[static_cast<std::size_t>(kCatalogue[i].category)].push_back(kCatalogue[i].name);
    clsids[static_cast<std::size_t>(kCatalogue[i].category)].push_back(kCatalogue[i].clsid);
  }
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(column(*lists[c], 0), names[static_cast<std::size_t>(c)]) << "list " << c;
    EXPECT_EQ(column(*lists[c], 1), clsids[static_cast<std::size_t>(c)]) << "list " << c;
  }
  EXPECT_EQ(lists[2]->cell(0, 0), L"AutoCAD 2002 AcPreview 控件");
  EXPECT_EQ(lists[2]->cell(174, 0), L"讯通视频语音交流平台");
  EXPECT_EQ(lists[0]->cell(0, 0), L"MSN Games");
  EXPECT_EQ(lists[0]->cell(109, 1), L"{1DF3A074-022B-4C74-8E47-3CA2B0E7E1BB}");
  EXPECT_EQ(lists[1]->cell(0, 0), L"12Ghosts Popup Killer");
  EXPECT_EQ(lists[1]->cell(496, 0), L"ZycnosSpace");
}

// One key opened per row and each list filled with redraw off, in one go.
TEST_F(ImmunityFill, OpensOneKeyPerRowAndFillsEachListOnce) {
  page.FillImmunityLists();
  EXPECT_EQ(mp.registry.openCount(), kCatalogueRows);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(lists[c]->fills(), 1) << "list " << c;
}

TEST_F(ImmunityFill, KillBitDecidesWhateverOtherBitsSay) {
  const std::wstring exact = kCatalogue[175].clsid, withMore = kCatalogue[176].clsid,
                     otherBit = kCatalogue[177].clsid, keyOnly = kCatalogue[178].clsid;
  setFlags(exact, 0x400);
  setFlags(withMore, 0x401);
  setFlags(otherBit, 0x1);
  mp.registry.createKey(Hive::LocalMachine, kCompat + keyOnly);
  setFlags(kCatalogue[179].clsid, 0x400, {RegView::Bits64});  // the 32-bit browser would still load it
  setFlags(kCatalogue[180].clsid, 0x400, {RegView::Bits32});
  page.FillImmunityLists();
  EXPECT_TRUE(lists[0]->checked(0));
  EXPECT_EQ(lists[0]->cell(0, 2), L"已免疫");
  EXPECT_TRUE(lists[0]->checked(1));
  EXPECT_EQ(lists[0]->cell(1, 2), L"已免疫");
  EXPECT_FALSE(lists[0]->checked(2));
  EXPECT_EQ(lists[0]->cell(2, 2), L"未免疫");
  EXPECT_FALSE(lists[0]->checked(3));
  EXPECT_EQ(lists[0]->cell(3, 2), L"未免疫");
  EXPECT_EQ(column(*lists[0], 2)[4], L"未免疫") << "immune in one view only";
  EXPECT_EQ(column(*lists[0], 2)[5], L"未免疫");
  EXPECT_EQ(lists[0]->header(0), header(108, 110));
}

TEST_F(ImmunityFill, BothRowsOfASharedClsidReadTheSameKey) {
  // Rows 135 (everyday) and 215 (domestic) share one CLSID; rows 35 and 36 differ in case only.
  setFlags(kCatalogue[135].clsid, 0x400);
  setFlags(kCatalogue[35].clsid, 0x400);
  page.FillImmunityLists();
  EXPECT_TRUE(lists[2]->checked(135));
  EXPECT_TRUE(lists[0]->checked(215 - 175));
  EXPECT_TRUE(lists[2]->checked(35));
  EXPECT_TRUE(lists[2]->checked(36));
  EXPECT_EQ(lists[2]->header(0), header(172, 175));
  EXPECT_EQ(lists[0]->header(0), header(109, 110));
}

struct ImmunityApply : ::testing::Test, ImmunityFixture {
  void SetUp() override {
    for (int i : {175, 176, 177, 178}) lists[0]->addRow({kCatalogue[i].name, kCatalogue[i].clsid, L"未免疫"}, false, ImmunityRow{kCatalogue[i].clsid});
  }
  std::wstring clsid(int row) { return lists[0]->cell(row, 1); }
};

TEST_F(ImmunityApply, CheckedRowsGetTheKillBitAndKeepTheirOtherBits) {
  setFlags(clsid(1), 0x401);
  setFlags(clsid(2), 0x001);
  for (int r = 0; r < 3; ++r) lists[0]->setChecked(r, true);
  page.Command_cjmy_Click();
  EXPECT_EQ(flags(clsid(0)), 0x400u);
  EXPECT_EQ(flags(clsid(1)), 0x401u);
  EXPECT_EQ(flags(clsid(2)), 0x401u);
  auto v = mp.registry.value(Hive::LocalMachine, kCompat + clsid(0), L"Compatibility Flags");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, RegType::Dword);
  EXPECT_EQ(column(*lists[0], 2), (std::vector<std::wstring>{L"已免疫", L"已免疫", L"已免疫", L"未免疫"}));
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_EQ(mp.dialogs.messages[0].text, L"应用更改成功!");
  EXPECT_EQ(mp.dialogs.messages[0].title, L"成功");
  EXPECT_EQ(mp.dialogs.messages[0].style, MessageStyle::Information);
}

TEST_F(ImmunityApply, UncheckedRowsLoseOnlyTheKillBit) {
  setFlags(clsid(0), 0x400);
  setFlags(clsid(1), 0x401);
  setFlags(clsid(2), 0x001);
  page.Command_cjmy_Click();
  // The value goes when nothing else is left in it; the key always stays.
  EXPECT_FALSE(flags(clsid(0)));
  EXPECT_TRUE(mp.registry.exists(Hive::LocalMachine, kCompat + clsid(0)));
  EXPECT_EQ(flags(clsid(1)), 0x001u);
  EXPECT_EQ(flags(clsid(2)), 0x001u) << "a value without the kill-bit is not the page's to change";
  EXPECT_FALSE(mp.registry.exists(Hive::LocalMachine, kCompat + clsid(3))) << "no key is created to clear a bit";
  EXPECT_EQ(column(*lists[0], 2), std::vector<std::wstring>(4, L"未免疫"));
  EXPECT_EQ(mp.dialogs.messages.at(0).text, L"应用更改成功!");
}

TEST_F(ImmunityApply, OneKeyOpenedPerRowAndViewAndMarksAndHeaderLeftAlone) {
  lists[0]->setChecked(0, true);
  lists[0]->setHeader(0, L"before");
  setFlags(clsid(1), 0x400);
  setFlags(clsid(2), 0x400, {RegView::Bits32});
  const int before = mp.registry.openCount();
  page.Command_cjmy_Click();
  EXPECT_EQ(mp.registry.openCount() - before, 8);
  for (RegView view : registryViews()) {
    EXPECT_EQ(flags(clsid(0), view), 0x400u) << "set for both browsers";
    EXPECT_EQ(flags(clsid(1), view), std::nullopt) << "cleared for both";
    EXPECT_EQ(flags(clsid(2), view), std::nullopt);
  }
  EXPECT_EQ(lists[0]->header(0), L"before");
  EXPECT_TRUE(lists[0]->checked(0));
  EXPECT_FALSE(lists[0]->checked(1));
  page.Command_cjmy_Click();
  EXPECT_EQ(mp.dialogs.messages.size(), 2u) << "every apply reports";
}

TEST_F(ImmunityApply, AllFourListsInOrderSoTheLaterRowOfAPairDecides) {
  InitKnownControls();
  page.FillImmunityLists();
  // Row 215 (domestic, list 0) is applied before row 135 (everyday, list 2).
  lists[0]->setChecked(215 - 175, true);
  lists[2]->setChecked(135, false);
  page.Command_cjmy_Click();
  EXPECT_FALSE(flags(kCatalogue[135].clsid));
  EXPECT_EQ(lists[0]->cell(215 - 175, 2), L"已免疫") << "shows what was written for it";
  lists[0]->setChecked(215 - 175, false);
  lists[2]->setChecked(135, true);
  page.Command_cjmy_Click();
  EXPECT_EQ(flags(kCatalogue[135].clsid), 0x400u);
}

TEST_F(ImmunityApply, UserRowsAreAppliedToo) {
  user().addRow({L"自定义", L"{ABC}", L"未免疫"}, true, ImmunityRow{L"{ABC}"});
  page.Command_cjmy_Click();
  EXPECT_EQ(flags(L"{ABC}"), 0x400u);
  EXPECT_EQ(user().cell(0, 2), L"已免疫");
}

// A standard user cannot write under HKEY_LOCAL_MACHINE: no success is claimed,
// and each failed row shows what the registry really holds.
TEST_F(ImmunityApply, FailedWritesAreCountedExplainedAndShownAsTheyAre) {
  setFlags(clsid(0), 0x400);  // immune, to be un-immunised
  setFlags(clsid(3), 0x400);  // immune, stays checked
  for (RegView view : registryViews())
    mp.registry.denyWrites({Hive::LocalMachine, view}, kCompat.substr(0, kCompat.size() - 1));
  lists[0]->setChecked(0, false);
  lists[0]->setChecked(1, true);
  lists[0]->setChecked(2, false);
  lists[0]->setChecked(3, true);
  page.Command_cjmy_Click();

  EXPECT_EQ(flags(clsid(0)), 0x400u);
  EXPECT_FALSE(mp.registry.exists(Hive::LocalMachine, kCompat + clsid(1)));
  EXPECT_EQ(column(*lists[0], 2), (std::vector<std::wstring>{L"已免疫", L"未免疫", L"未免疫", L"已免疫"}));
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  const auto& m = mp.dialogs.messages[0];
  EXPECT_EQ(m.title, L"提示");
  EXPECT_EQ(m.style, MessageStyle::Plain);
  // Rows 0, 1 and 3 needed a write and are named; row 2 had nothing to clear.
  for (int r : {0, 1, 3}) EXPECT_NE(m.text.find(clsid(r)), std::wstring::npos) << r;
  EXPECT_EQ(m.text.find(clsid(2)), std::wstring::npos);
  EXPECT_NE(m.text.find(describeFailure(regerr::AccessDenied)), std::wstring::npos);
  EXPECT_EQ(m.text.find(L"成功"), std::wstring::npos);
}

struct ImmunityExport : ::testing::Test, ImmunityFixture {
  const std::wstring path = L"C:\\out\\kill.reg";
};

TEST_F(ImmunityExport, WritesRegedit4WithEveryRowOfEveryListInGbkAndCrLf) {
  lists[0]->addRow({L"一", L"{00000000-0000-0000-0000-00000000000A}", L"未免疫"}, false, ImmunityRow{L"{00000000-0000-0000-0000-00000000000A}"});
  lists[1]->addRow({L"二", L"{00000000-0000-0000-0000-00000000000b}", L"已免疫"}, true, ImmunityRow{L"{00000000-0000-0000-0000-00000000000b}"});
  user().addRow({L"三", L"{测试", L"未免疫"}, false, ImmunityRow{L"{测试"});
  mp.dialogs.fileAnswers = {path};
  page.Command_cjmydc_Click();

  // Each control in both views: the 32-bit browser's key lies under Wow6432Node.
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
  const std::string key32 = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
  const std::string value = "\"Compatibility Flags\"=dword:00000400\r\n \r\n";
  std::string expected = "REGEDIT4\r\n \r\n";
  for (const std::string id : {"{00000000-0000-0000-0000-00000000000A}", "{00000000-0000-0000-0000-00000000000b}", "{\xB2\xE2\xCA\xD4"})
    expected += key + id + "]\r\n" + value + key32 + id + "]\r\n" + value;
  ASSERT_TRUE(mp.files.files.count(MemoryFiles::key(path)));
  EXPECT_EQ(mp.files.files[MemoryFiles::key(path)], expected);
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_EQ(mp.dialogs.messages[0].text, L"导出成功!");
  EXPECT_EQ(mp.dialogs.messages[0].title, L"提示");
  EXPECT_EQ(mp.dialogs.messages[0].style, MessageStyle::Information);
}

TEST_F(ImmunityExport, AsksForARegFileInTheProgramFolder) {
  page.Command_cjmydc_Click();
  ASSERT_EQ(mp.dialogs.fileDialogs.size(), 1u);
  const auto& spec = mp.dialogs.fileDialogs[0];
  EXPECT_EQ(spec.filters, (std::vector<std::pair<std::wstring, std::wstring>>{{L"注册表文件 (*.reg)", L"*.reg"}}));
  EXPECT_EQ(spec.title, L"导出");
  EXPECT_EQ(spec.defaultExtension, L"reg");
  EXPECT_EQ(spec.initialFolder, L"C:\\Trova");
  // Cancelled: nothing written, nothing said.
  EXPECT_TRUE(mp.files.files.empty());
  EXPECT_TRUE(mp.dialogs.messages.empty());
}

TEST_F(ImmunityExport, UntouchedPageExportsAllCatalogueRowsCheckedOrNot) {
  setFlags(kCatalogue[0].clsid, 0x400);
  page.FillImmunityLists();
  mp.dialogs.fileAnswers = {path};
  page.Command_cjmydc_Click();
  const auto lines = decodeTextLines(mp.files.files[MemoryFiles::key(path)]);
  ASSERT_EQ(lines.size(), 2u + 2u * 3u * kCatalogueRows);
  EXPECT_EQ(lines.back(), L" ");
  EXPECT_EQ(lines[2], L"[HKEY_LOCAL_MACHINE\\" + killBitKeyPath(kCatalogue[175].clsid) + L"]");
}

TEST_F(ImmunityExport, AFailedWriteKeepsTheOldFileAndSaysSo) {
  lists[0]->addRow({L"一", L"{A}", L"未免疫"}, false, ImmunityRow{L"{A}"});
  mp.files.files[MemoryFiles::key(path)] = "old";
  mp.files.readOnly.insert(MemoryFiles::key(path));
  mp.dialogs.fileAnswers = {path};
  page.Command_cjmydc_Click();
  EXPECT_EQ(mp.files.files[MemoryFiles::key(path)], "old");
  ASSERT_EQ(mp.dialogs.messages.size(), 1u);
  EXPECT_NE(mp.dialogs.messages[0].text, L"导出成功!");
  EXPECT_NE(mp.dialogs.messages[0].text.find(L"拒绝访问"), std::wstring::npos);
  EXPECT_EQ(mp.dialogs.messages[0].style, MessageStyle::Plain);
}

}  // namespace
}  // namespace trova::test
