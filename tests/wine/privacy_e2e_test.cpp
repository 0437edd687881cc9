// The privacy cleaning tab in the real window under Wine: traces of several
// applications seeded in Wine's registry, rows ticked with the mouse, "清理"
// pressed, the restart notice answered where it comes, and Wine's own reg.exe
// asked afterwards what is gone and what is still there.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness/reg_query.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"

namespace trova::test {
namespace {

const std::wstring kList = L"ListView_ysql";
const std::wstring kTray = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
constexpr int kSettingsTab = 2;  // "系统设置" on TabStrip_cjmy
constexpr int kCleaningTab = 3;  // "系统清理" on SSTab_xtsz

// Whether a message box shows an icon beside its text.
bool showsIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON || !IsWindowVisible(child)) continue;
    if (SendMessageW(child, STM_GETICON, 0, 0)) return true;
  }
  return false;
}

// A seeded key, or a value of it, and whether the clean must take it.
struct Spot {
  std::wstring key, value;
  bool gone;
};

bool present(const Spot& s) {
  return s.value.empty() ? RegistrySeed::exists(HKEY_CURRENT_USER, s.key)
                         : RegistrySeed::hasValue(HKEY_CURRENT_USER, s.key, s.value);
}

TEST(PrivacyCleaningWindow, TickedTracesGoAndEverythingAroundThemStays) {
  // The applications' own keys must be the test's alone: made here, removed at the end.
  RegistrySeed seed;
  for (const std::wstring root : {L"Software\\ACD Systems", L"Software\\ES-Computing", L"Software\\WinImage",
                                  L"Software\\yahoo", L"Software\\Taobao", kTray.c_str()}) {
    ASSERT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, root)) << root << " was there before the test";
    seed.clear(HKEY_CURRENT_USER, root);
  }
  const std::vector<Spot> spots = {
      {L"Software\\ACD Systems\\ACDSee32\\HistPaths", L"", true},              // row 1
      {L"Software\\ACD Systems\\ACDSee32\\Options", L"", false},
      {L"Software\\ES-Computing\\EditPlus 2\\Recent File List", L"", false},  // row 7, not ticked
      {L"Software\\WinImage\\Settings", L"", false},                          // row 24: has a sub-key
      {kTray, L"IconStreams", true},                                          // row 28
      {kTray, L"PastIconsStream", true},
      {kTray, L"BalloonTips", false},
      {L"Software\\yahoo\\YPlayer\\Recent URLs", L"", false},                 // row 29, not ticked
      {L"Software\\yahoo\\Pager", L"", true},                                 // row 30
      {L"Software\\Taobao\\WangWang\\淘宝旺旺", L"", true},                    // row 33
      {L"Software\\Taobao\\WangWang\\Options", L"", false},
  };
  for (const auto& s : spots) seed.text(HKEY_CURRENT_USER, s.key, s.value.empty() ? L"Last" : s.value, L"trace");
  const std::vector<int> ticked = {0, 23, 27, 29, 32};

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kSettingsTab);
  ui.pickTab(L"SSTab_xtsz", kCleaningTab);
  const auto rows = ui.rows(kList);
  ASSERT_EQ(rows.size(), 34u);
  EXPECT_EQ(rows[27][0], L"XP隐藏不活动的图标痕迹");
  EXPECT_EQ(rows[32][0], L"淘宝旺旺登陆名");
  for (int r : ticked) {
    ASSERT_TRUE(ui.clickCheckBox(kList, r)) << "no check box under the mouse on row " << r;
    ASSERT_TRUE(ui.checked(kList, r));
  }

  ui.press(L"Command_ysql");
  HWND notice = ui.waitForDialog(L"提示");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(ui.dialogText(notice), L"清理XP隐藏不活动的图标痕迹后需重新启动系统才可生效");
  EXPECT_TRUE(showsIcon(notice));
  // The notice waits at row 28: the rows above it are done, those below not yet.
  EXPECT_FALSE(present(spots[0]));
  EXPECT_FALSE(present(spots[4]));
  EXPECT_TRUE(present(spots[8])) << "row 30 ran before the notice";
  EXPECT_TRUE(present(spots[9])) << "row 33 ran before the notice";
  ui.answer(notice);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(notice); }));

  // The WinImage key holds a key of its own, so it stays, and the message says so.
  HWND done = ui.waitForDialog(L"提示");
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(ui.dialogText(done), L"清理完成!\n\n以下项目未能清理：\nWinImage打开的文件：它的注册表项下还有子项");
  EXPECT_FALSE(showsIcon(done)) << "a failure is not shown as a success";
  ui.answer(done);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(done); }));

  // What a user at the command line sees.
  for (const auto& s : spots) {
    const std::wstring what = L"\"HKCU\\" + s.key + L"\"" + (s.value.empty() ? L"" : L" /v " + s.value);
    const RegOutput out = regQuery(what);
    EXPECT_EQ(out.exitCode, s.gone ? kRegNotFound : 0u) << what << "\n" << out.text;
  }
  for (const auto* app : {L"Software\\ACD Systems\\ACDSee32", L"Software\\WinImage", L"Software\\yahoo",
                          L"Software\\Taobao\\WangWang"})
    EXPECT_EQ(regQuery(L"\"HKCU\\" + std::wstring(app) + L"\"").exitCode, 0u) << app << " itself stays";

  for (int r = 0; r < 34; ++r)
    EXPECT_EQ(ui.checked(kList, r), std::find(ticked.begin(), ticked.end(), r) != ticked.end()) << "row " << r;

  // The clean is one change set: "撤销" on 工具 brings every removed trace back.
  ui.pickTab(L"TabStrip_cjmy", 4);
  ASSERT_FALSE(ui.rows(L"ListView_gjls").empty());
  EXPECT_EQ(ui.rows(L"ListView_gjls")[0][1] + L" · " + ui.rows(L"ListView_gjls")[0][2], L"系统清理 · 清理");
  ui.clickRow(L"ListView_gjls", 0);
  ui.press(L"Command_gjcx");
  HWND undone = ui.waitForDialog(L"提示");
  ASSERT_NE(undone, nullptr);
  EXPECT_EQ(ui.dialogText(undone).rfind(L"已撤销“系统清理 · 清理”", 0), 0u) << ui.dialogText(undone);
  ui.answer(undone);
  for (const auto& s : spots) {
    const std::wstring what = L"\"HKCU\\" + s.key + L"\"" + (s.value.empty() ? L"" : L" /v " + s.value);
    EXPECT_EQ(regQuery(what).exitCode, 0u) << what << " is back";
  }
}

}  // namespace
}  // namespace trova::test
