// 插件免疫: the catalogue, kill-bit states, apply and export in both views, and the user's entries in cisid.dat.
#include "formats/cisid_file.h"
#include "immunity/cisid.h"
#include "immunity/immunity_page.h"
#include "immunity/kill_bit.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using Flags = std::optional<std::uint32_t>;
const std::wstring kUserFile = L"C:\\Trova\\cisid.dat";

// A record as the program writes it: category, both texts with their lengths, zero filler.
std::string record(const std::string& name, const std::string& clsid, char category = 3) {
  std::string r = std::string{category, 0, char(name.size()), 0} + name + char(clsid.size()) + '\0' + clsid;
  return r + std::string(128 - r.size(), '\0');
}

struct Immunity : ::testing::Test, FormFixture {
  ListView& list(int c) { return ui.listView(L"ListView_cjmy(" + std::to_wstring(c) + L")"); }
  void setFlags(const std::wstring& clsid, Flags in64, Flags in32) {
    if (in64) reg().setDword(Hive::LocalMachine, killBitKeyPath(clsid), kCompatibilityFlags, *in64);
    if (in32) reg().setDword({Hive::LocalMachine, RegView::Bits32}, killBitKeyPath(clsid), kCompatibilityFlags, *in32);
  }
  Flags flags(const std::wstring& clsid, RegView view) {
    auto v = reg().value({Hive::LocalMachine, view}, killBitKeyPath(clsid), kCompatibilityFlags);
    return v ? Flags(v->asDword()) : std::nullopt;
  }
  void add(const std::wstring& name, const std::wstring& clsid) {
    mp.dialogs.inputAnswers = {name, clsid};
    form.Click(L"Command_yhzdytj");
  }
  std::string& file() { return mp.files.files[MemoryFiles::key(kUserFile)]; }
};

TEST_F(Immunity, StartUpListsTheCatalogueWithEachRowsStateAndTheUserEntries) {
  // The first rows of list 0: immune means the kill-bit in both views, whatever other bits say.
  const std::pair<Flags, Flags> flagsByRow[] = {{0x400, 0x400}, {0x401, 0x401}, {1, 1}, {0x400, {}}, {{}, 0x400}};
  for (int i = 0; i < 5; ++i) setFlags(kCatalogue[175 + i].clsid, flagsByRow[i].first, flagsByRow[i].second);
  setFlags(L"{1}", 0x400, 0x400);
  file() = record("u", "{1}");
  load();
  const Cells states = column(list(0), 2);
  EXPECT_EQ(Cells(states.begin(), states.begin() + 5), (Cells{L"已免疫", L"已免疫", L"未免疫", L"未免疫", L"未免疫"}));
  EXPECT_TRUE(list(0).checked(1) && !list(0).checked(3));
  EXPECT_EQ(list(0).header(0), L"插件名称 (未免疫108项,总110项)");
  EXPECT_EQ(list(1).header(0), L"插件名称 (未免疫497项,总497项)");
  EXPECT_EQ(row(list(3), 0), (Cells{L"u", L"{1}", L"已免疫"}));
  EXPECT_EQ(list(3).header(0), L"插件名称 (未免疫0项,总1项)");
  // Stand-in CLSIDs are grey and never drift: a kill-bit set by one build must be found by the next.
  EXPECT_EQ(list(2).cell(2, 1), L"{83900DFF-BE34-5E52-BD65-651E8854E7E4}");
  EXPECT_EQ(list(1).cell(492, 1), L"{51D2C360-7926-54A0-AF43-3E8EFACEEA13}");
  for (int i = 0, next[3] = {}; i < kCatalogueRows; ++i) {
    const int c = kCatalogue[i].category;
    EXPECT_EQ(list(c).cellGrey(next[c]++, 1), kCatalogue[i].status == CatalogueStatus::Placeholder) << i;
  }
}

// Each row of the four lists, in both views: the kill-bit set or cleared, other bits kept, an empty value removed.
TEST_F(Immunity, ApplyAndExportWriteTheKillBitInBothViewsAndARefusalNamesTheControls) {
  const struct { int list; const wchar_t* clsid; Flags before64, before32; bool checked; Flags after; } cases[] = {
      {0, L"{1}", {}, {}, true, 0x400}, {1, L"{2}", 0x401, 0x401, false, 1}, {2, L"{3}", 0x400, 0x400, false, {}},
      {3, L"{4}", 1, 1, true, 0x401}, {0, L"{5}", {}, 0x400, false, {}}, {0, L"{6}", {}, {}, false, {}}};
  std::vector<int> at;
  for (const auto& c : cases) {
    setFlags(c.clsid, c.before64, c.before32);
    at.push_back(list(c.list).addRow({L"n", c.clsid, L"?"}, c.checked, ImmunityRow{c.clsid}));
  }
  form.Click(L"Command_cjmy");
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.clsid));
    for (RegView view : registryViews()) EXPECT_EQ(flags(c.clsid, view), c.after);
    EXPECT_EQ(list(c.list).cell(at[&c - cases], 2), c.checked ? L"已免疫" : L"未免疫");
  }
  EXPECT_TRUE(reg().exists(Hive::LocalMachine, killBitKeyPath(L"{3}"))) << "the key stays";
  EXPECT_FALSE(reg().exists(Hive::LocalMachine, killBitKeyPath(L"{6}"))) << "none is made to clear a bit";
  mp.dialogs.fileAnswers = {L"C:\\k.reg"};
  form.Click(L"Command_cjmydc");  // every row of every list, checked or not, in both views
  std::string expected = "REGEDIT4\r\n \r\n";
  for (std::string id : {"{1}", "{5}", "{6}", "{2}", "{3}", "{4}"})
    for (std::string wow : {"", "Wow6432Node\\"})
      expected += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\" + wow + "Microsoft\\Internet Explorer\\ActiveX Compatibility\\" +
                  id + "]\r\n\"Compatibility Flags\"=dword:00000400\r\n \r\n";
  EXPECT_EQ(mp.files.files[MemoryFiles::key(L"C:\\k.reg")], expected);
  EXPECT_EQ(said(), (Cells{L"应用更改成功!", L"导出成功!"}));
  // A standard user: the controls that needed a write are named, none that did not.
  for (RegView view : registryViews()) reg().denyWrites({Hive::LocalMachine, view}, kActiveXCompatibilityKey);
  list(0).addRow({L"甲", L"{7}", L"?"}, true, ImmunityRow{L"{7}"});
  form.Click(L"Command_cjmy");
  EXPECT_EQ(list(0).cell(3, 2), L"未免疫");
  const std::wstring refused = said().back();
  EXPECT_TRUE(refused.find(L"甲 {7}") != refused.npos && refused.find(L"{6}") == refused.npos) << toUtf8(refused);
  EXPECT_NE(refused.find(describeFailure(regerr::AccessDenied)), refused.npos);
}

TEST(CisidFile, ARecordHolds122BytesOfTextAndDamagedOnesAreCounted) {
  EXPECT_TRUE(encodeUserRecord({3, std::wstring(84, L'a'), std::wstring(38, L'c')}));
  EXPECT_FALSE(encodeUserRecord({3, std::wstring(85, L'a'), std::wstring(38, L'c')}));
  const std::string good = record("ok", "{1}");
  const struct { std::string bytes; std::size_t entries; int damaged; } cases[] = {
      {good + record("c", "{2}", 2) + std::string(128, '\0'), 1, 0},  // other categories keep their place
      {good + good.substr(0, 11), 2, 0},                              // the last may end after its CLSID
      {good + good.substr(0, 10), 1, 1},                              // but not a byte before
      {good.substr(0, 2) + char(200) + good.substr(3) + good, 1, 1},  // a name past the record's end
      {good.substr(0, 6) + char(123) + good.substr(7) + good, 1, 1},  // a CLSID past it
      {record("p", "{1}\\..\\x") + record("e", ""), 0, 2}, {good + "\x03", 1, 1}};
  for (const auto& c : cases) {
    const auto r = decodeUserRecords(c.bytes);
    EXPECT_EQ(std::pair(r.entries.size(), r.damaged), std::pair(c.entries, c.damaged)) << &c - cases;
  }
}

// Only the braces are tested, as typed; a backslash would make it a path.
TEST_F(Immunity, AddKeepsWhatIsTypedWhenTheFileCanGiveItBack) {
  const std::wstring clsid38 = L"{A}" + std::wstring(35, L'0');
  const struct { std::wstring name, clsid; bool accepted; } cases[] = {
      {L"", L"{ABC", true}, {L"b", L"ABC}", true}, {L"c", L"ABC", false}, {L"d", L"", false}, {L"e", L"{A\\B}", false},
      {std::wstring(42, L'汉'), clsid38, true}, {std::wstring(43, L'汉'), clsid38, false},  // 122 bytes fit, 124 do not
      {L"\U0001F600", L"{B}", false}};  // nor what GBK cannot hold
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.name + c.clsid));
    mp.dialogs.messages.clear();
    const int before = list(3).rowCount();
    add(c.name, c.clsid);
    ASSERT_EQ(list(3).rowCount(), before + c.accepted);
    ASSERT_EQ(said().size(), c.accepted ? 0u : 1u);
    EXPECT_EQ(c.accepted ? list(3).cell(before, 1) : said()[0].substr(0, 5), c.accepted ? c.clsid : L"添加失败!");
  }
  EXPECT_EQ(list(3).cell(0, 0), L"未命名");
  EXPECT_EQ(list(3).header(0), L"插件名称 (未免疫3项,总3项)");
  EXPECT_FALSE(mp.files.exists(kUserFile)) << "the file changes only on save";
}

// While there is no cisid.dat the user tab says one will be made; a save writes exactly the rows.
TEST_F(Immunity, DeleteClearsOnlyTheKillBitAndSaveWritesExactlyTheRows) {
  for (int t : {0, 3, 3}) {
    ui.tabs(L"SSTab_cjmy").setCurrent(t);
    form.Click(L"SSTab_cjmy");
  }
  setFlags(L"{B}", 0x401, 0x401);
  const std::pair<const wchar_t*, const wchar_t*> entries[] = {{L"网易泡泡", L"{A}"}, {L"b", L"{B}"}, {L"c", L"{C}"}};
  for (auto [name, clsid] : entries) add(name, clsid);
  list(3).selectRow(1);
  form.Click(L"Command_yhzdysc");
  for (RegView view : registryViews()) EXPECT_EQ(flags(L"{B}", view), 1u);
  form.Click(L"Command_yhzdybc");
  form.Click(L"SSTab_cjmy");
  EXPECT_EQ(file(), record("\xCD\xF8\xD2\xD7\xC5\xDD\xC5\xDD", "{A}") + record("c", "{C}"));
  const std::wstring notice = L"trova将会在程序所在目录创建一个cisid.dat文件以保存自定义插件数据";
  EXPECT_EQ(said(), (Cells{notice, notice, L"保存成功!"}));
  FormFixture next;  // the next start shows them again
  next.mp.files.files = mp.files.files;
  next.load();
  EXPECT_EQ(next.column(next.ui.listView(L"ListView_cjmy(3)"), 0), (Cells{L"网易泡泡", L"c"}));
}

// A cisid.dat that cannot be read at start-up is kept aside before a save replaces it.
TEST_F(Immunity, AnUnreadableFileIsKeptAsideBeforeASave) {
  file() = record("old", "{1}");
  mp.files.unreadable.insert(MemoryFiles::key(kUserFile));
  load();
  mp.files.unreadable.clear();
  form.Click(L"Command_yhzdybc");
  EXPECT_EQ(mp.files.files[MemoryFiles::key(kUserFile + L".bak")], record("old", "{1}"));
  EXPECT_EQ(file(), "");
}

}  // namespace
}  // namespace trova::test
