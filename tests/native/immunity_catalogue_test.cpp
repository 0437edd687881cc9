// The built-in catalogue: size, blocks, order, shared CLSIDs and placeholders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

#include "immunity/cisid.h"
#include "platform/text.h"

namespace trova::test {
namespace {

struct Catalogue : ::testing::Test {
  void SetUp() override { InitKnownControls(); }
  static const KnownControl& row(int i) { return knownControls.at(static_cast<std::size_t>(i)); }
};

bool isClsidText(const std::wstring& s) {
  if (s.size() != 38 || s.front() != L'{' || s.back() != L'}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? s[i] != L'-' : !std::iswxdigit(static_cast<wint_t>(s[i]))) return false;
  }
  return true;
}

TEST_F(Catalogue, HoldsThreeBlocksInOrderAndEmptySpareRows) {
  std::map<int, int> perCategory;
  for (int i = 0; i < kCatalogueRows; ++i) {
    const int expected = i < 175 ? 2 : i < 285 ? 0 : 1;
    EXPECT_EQ(row(i).category, expected) << "row " << i;
    ++perCategory[row(i).category];
  }
  EXPECT_EQ(perCategory, (std::map<int, int>{{0, 110}, {1, 497}, {2, 175}}));
  ASSERT_EQ(knownControls.size(), 789u);
  for (int i = kCatalogueRows; i < kKnownControlSlots; ++i) {
    EXPECT_EQ(row(i).category, 0);
    EXPECT_TRUE(row(i).name.empty());
    EXPECT_TRUE(row(i).clsid.empty());
  }
}

TEST_F(Catalogue, FirstAndLastRowOfEachBlock) {
  struct Expected {
    int index;
    std::int16_t category;
    std::wstring name, clsid;
  };
  const Expected rows[] = {
      {0, 2, L"AutoCAD 2002 AcPreview 控件", L"{F281A59C-7B65-11D3-8617-0010830243BD}"},
      {174, 2, L"讯通视频语音交流平台", L"{7253A666-8D4A-11D7-A4DC-00E04C504779}"},
      {175, 0, L"MSN Games", L"{00B71CFB-6864-4346-A978-C0A14556272C}"},
      {284, 0, L"自由行中文域名", L"{1DF3A074-022B-4C74-8E47-3CA2B0E7E1BB}"},
      {285, 1, L"12Ghosts Popup Killer", L"{00000000-0007-5041-4354-0020E48020AF}"},
      {781, 1, L"ZycnosSpace", L"{F0DC0CFE-D11A-489B-84C0-63748AFAABF3}"},
  };
  for (const auto& e : rows) {
    EXPECT_EQ(row(e.index).category, e.category) << e.index;
    EXPECT_EQ(row(e.index).name, e.name) << e.index;
    EXPECT_EQ(row(e.index).clsid, e.clsid) << e.index;
  }
}

TEST_F(Catalogue, RepeatedNamesStandOnConsecutiveRows) {
  auto run = [](const std::wstring& name) {
    int first = -1, count = 0;
    for (int i = 0; i < kCatalogueRows; ++i) {
      if (row(i).name != name) continue;
      if (first < 0) first = i;
      EXPECT_EQ(i, first + count) << "rows of " << toUtf8(name) << " are not consecutive";
      ++count;
    }
    return std::make_pair(first, count);
  };
  EXPECT_EQ(run(L"Java Runtime Environment 1.4.2"), std::make_pair(4, 2));
  EXPECT_EQ(run(L"MSN Games"), std::make_pair(175, 6));
  EXPECT_EQ(run(L"3721上网助手"), std::make_pair(197, 5));
  EXPECT_EQ(run(L"3721网络实名"), std::make_pair(202, 2));
  EXPECT_EQ(run(L"PowerSearch Toolbar").second, 11);
  EXPECT_EQ(run(L"CoolWebSearch parasite variant").second, 7);
  EXPECT_EQ(run(L"蓝天语音视频控件").second, 5);
}

TEST_F(Catalogue, NamesKeepPunctuationSpacesAndFullWidthCharacters) {
  EXPECT_EQ(row(11).name, L"Microsoft Common Dialog Control, version 5.0 (SP2)");
  EXPECT_EQ(row(17).name, L"Real One Player/Real Player");
  EXPECT_EQ(row(56).name, L"Webdraw（易图）");
  EXPECT_EQ(row(106).name, L"I'm TV數位電視");
  std::set<std::wstring> names;
  for (int i = 0; i < kCatalogueRows; ++i) names.insert(row(i).name);
  EXPECT_TRUE(names.count(L"At&T\\Wnclient"));
  EXPECT_TRUE(names.count(L"Hijacker,  as yet unidentified"));
}

TEST_F(Catalogue, EveryClsidIsUniqueButTheEightSharedPairs) {
  std::map<std::wstring, std::vector<int>> byClsid;  // upper case: the registry ignores case
  for (int i = 0; i < kCatalogueRows; ++i) {
    EXPECT_TRUE(isClsidText(row(i).clsid)) << "row " << i;
    std::wstring key;
    for (wchar_t c : row(i).clsid) key.push_back(foldCase(c));
    byClsid[key].push_back(i);
  }
  std::set<std::vector<int>> shared;
  for (const auto& [clsid, rows] : byClsid)
    if (rows.size() > 1) shared.insert(rows);
  EXPECT_EQ(shared, (std::set<std::vector<int>>{{35, 36}, {116, 119}, {135, 215}, {154, 164}, {157, 174},
                                                {171, 270}, {460, 461}, {510, 767}}));
  // The pair that differs only in letter case keeps both spellings.
  EXPECT_EQ(row(35).clsid, L"{4F1E5B1A-2A80-42CA-8532-2D05CB959537}");
  EXPECT_EQ(row(36).clsid, L"{4F1E5B1A-2A80-42ca-8532-2D05CB959537}");
}

TEST_F(Catalogue, TableAndKnownControlsAgree) {
  for (int i = 0; i < kCatalogueRows; ++i) {
    EXPECT_EQ(row(i).clsid, kCatalogue[i].clsid);
    EXPECT_EQ(row(i).name, kCatalogue[i].name);
  }
  knownControls[0].name = L"changed";
  knownControls[788].name = L"changed";
  InitKnownControls();
  EXPECT_EQ(row(0).name, L"AutoCAD 2002 AcPreview 控件");
  EXPECT_TRUE(row(788).name.empty());
}

// Placeholders are name-based UUIDs: a kill-bit set by one build must still be
// found by the next, so the values may never drift.
TEST_F(Catalogue, PlaceholdersAreStableVersion5Uuids) {
  EXPECT_EQ(kCatalogue[2].status, CatalogueStatus::Placeholder);
  EXPECT_EQ(row(2).clsid, L"{83900DFF-BE34-5E52-BD65-651E8854E7E4}");
  EXPECT_EQ(kCatalogue[777].status, CatalogueStatus::Placeholder);
  EXPECT_EQ(row(777).clsid, L"{51D2C360-7926-54A0-AF43-3E8EFACEEA13}");

  int placeholders = 0, given = 0;
  for (int i = 0; i < kCatalogueRows; ++i) {
    const std::wstring& c = row(i).clsid;
    if (kCatalogue[i].status == CatalogueStatus::Given) ++given;
    if (kCatalogue[i].status != CatalogueStatus::Placeholder) continue;
    ++placeholders;
    EXPECT_EQ(c[15], L'5') << "version digit, row " << i;
    EXPECT_NE(std::wstring(L"89AB").find(c[20]), std::wstring::npos) << "variant digit, row " << i;
    EXPECT_TRUE(std::none_of(c.begin(), c.end(), [](wchar_t ch) { return std::iswlower(static_cast<wint_t>(ch)); }));
  }
  EXPECT_EQ(placeholders, 475);
  EXPECT_EQ(given, 21);
}

// Rows the name lists leave as "a name containing a web domain" carry one.
TEST_F(Catalogue, WebDomainRowsNameTheirSite) {
  const int rows[] = {109, 205, 213, 214, 221, 222, 300, 341, 411, 420, 445,
                      521, 551, 552, 567, 597, 611, 621, 654, 682, 687, 777};
  for (int i : rows) {
    const std::wstring& n = row(i).name;
    const bool domain = n.find(L".com") != std::wstring::npos || n.find(L".net") != std::wstring::npos ||
                        n.find(L".cn") != std::wstring::npos;
    EXPECT_TRUE(domain) << "row " << i << ": " << toUtf8(n);
    EXPECT_EQ(kCatalogue[i].status, CatalogueStatus::Placeholder) << "row " << i;
  }
  EXPECT_EQ(row(551).name, row(552).name);
}

}  // namespace
}  // namespace trova::test
