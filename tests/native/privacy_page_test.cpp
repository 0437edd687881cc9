// The privacy cleaning page: what "清理" removes, in which order, what it
// leaves and says; and the "工具" page that lists the clean and undoes it.
#include "page_test.h"
#include "privacy/privacy_page.h"

namespace trova::test {
namespace {

const std::wstring kTray = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
const std::wstring kNotice = L"清理XP隐藏不活动的图标痕迹后需重新启动系统才可生效", kDone = L"清理完成!";

struct Privacy : PageTest {
  Privacy() { load(); }
  // A spot is a key, or "key|value".
  bool there(const std::wstring& s, bool make = false) {
    const auto bar = s.find(L'|');
    const std::wstring key = s.substr(0, bar), name = bar == s.npos ? L"" : s.substr(bar + 1);
    if (make) bar == s.npos ? reg().createKey(Hive::CurrentUser, key) : reg().setDword(Hive::CurrentUser, key, name, 1);
    return bar == s.npos ? reg().exists(Hive::CurrentUser, key) : reg().value(Hive::CurrentUser, key, name).has_value();
  }
  std::wstring clean(const std::vector<int>& rows) {  // numbered from 1
    ListView& list = ui.listView(L"ListView_ysql");
    for (int r = 0; r < list.rowCount(); ++r) list.setChecked(r, std::count(rows.begin(), rows.end(), r + 1));
    return click(L"Command_ysql");
  }
};

// Rows top to bottom, groups and names in list order; keys opened, never made;
// a name not there passed over. The clean is one change set, and undone whole.
TEST_F(Privacy, TickedTracesAreRemovedInOrderAndCanBeUndone) {
  const std::wstring adobe = L"Software\\Adobe\\Acrobat Reader\\", em = L"Software\\EmSoft\\EmEditor v3\\";
  const std::vector<std::wstring> spots = {adobe + L"6.0\\AVGeneral\\cRecentFiles", adobe + L"7.0\\AVGeneral\\cRecentFiles",
                                           em + L"Recent File List", em + L"Recent Folder List", kTray + L"|IconStreams",
                                           kTray + L"|PastIconsStream", L"Software\\Taobao\\WangWang\\淘宝旺旺"};
  std::vector<std::wstring> removed;
  for (const auto& spot : spots) {
    there(spot, true);
    removed.push_back(L"HKEY_CURRENT_USER\\" + spot);
    std::replace(removed.back().begin(), removed.back().end(), L'|', L'\\');
  }
  EXPECT_EQ(clean({33, 11, 2, 8, 28}), kNotice + L" | " + kDone);
  EXPECT_FALSE(there(adobe + L"5.0") || there(L"Software\\Headlight"));
  pickTab(5);
  ListView& sets = ui.listView(L"ListView_gjls");
  ASSERT_EQ(sets.rowCount(), 1);
  EXPECT_EQ(row(sets, 0), (std::vector<std::wstring>{sets.cell(0, 0), L"系统清理", L"清理", L"7"}));
  EXPECT_EQ(changes(), removed);
  sets.selectRow(0);
  EXPECT_EQ(click(L"Command_gjcx").rfind(L"已撤销“系统清理 · 清理”", 0), 0u);
  for (const auto& spot : spots) EXPECT_TRUE(there(spot)) << spot;
  EXPECT_EQ(sets.cell(0, 1) + L" · " + sets.cell(0, 2), L"工具 · 撤销") << "a set of its own";
}

// What a trace leaves, and the closing message: what stayed and why.
TEST_F(Privacy, EachTraceTakesOnlyItsNamesAndTheMessageNamesWhatStayed) {
  const std::wstring zip = L"Software\\Nico Mak Computing\\WinZip\\";
  const std::wstring failed = L"(!) " + kDone + L"\n\n" + privacy::kNotCleaned + L"\n";
  const struct {
    std::vector<int> rows;
    std::vector<std::wstring> gone, kept, denied;
    std::wstring said;
  } cases[] = {
      {{28}, {}, {}, {}, kDone},  // no tray key, no notice
      {{24}, {L"Software\\WinImage|LastFile", L"Software\\WinImage"}, {L"Software\\WinImageTools"}, {}, kDone},
      {{26}, {zip + L"filemenu"}, {zip + L"extract\\Last", zip + L"select\\Last", zip + L"|x"}, {},
       failed + L"WinZIP的打开文件/解压路径/选择文件：" + describeFailure(regerr::KeyHasChildren)},
      {{7, 28}, {}, {L"Software\\ES-Computing\\EditPlus 2\\Recent File List", kTray + L"|BalloonTip"},
       {L"Software\\ES-Computing", kTray},
       kNotice + L" | " + failed + L"EditPlus的打开文件及文件夹：" + describeFailure(regerr::AccessDenied)},
  };
  for (const auto& c : cases) {
    for (const auto& s : c.gone) there(s, true);
    for (const auto& s : c.kept) there(s, true);
    for (const auto& key : c.denied) reg().denyWrites(Hive::CurrentUser, key);
    EXPECT_EQ(clean(c.rows), c.said);
    for (const auto& s : c.gone) EXPECT_FALSE(there(s)) << s;
    for (const auto& s : c.kept) EXPECT_TRUE(there(s)) << s;
  }
}

}  // namespace
}  // namespace trova::test
