// The "浏览器设置" tab through the real window under Wine: values seeded in
// Wine's registry (the search assistant differently in the two views) are
// read back out of the controls, some are changed as a user changes them, and
// what "应用" wrote is checked with Wine's own reg.exe in each view.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/reg_query.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "restrictions/policy_switches.h"

namespace trova::test {
namespace {

constexpr int kSettingsTab = 2;  // "系统设置" on TabStrip_cjmy; its first inner tab is "浏览器设置"
const std::wstring kMain = L"Software\\Microsoft\\Internet Explorer\\Main";
const std::wstring kBrowser = L"Software\\Microsoft\\Internet Explorer";
const std::wstring kSearch64 = L"SOFTWARE\\Microsoft\\Internet Explorer\\Search";
const std::wstring kSearch32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\Search";
const std::wstring kPolicies = policy::kPolicyKey;

const std::wstring kPersonalPage = L"http://www.google.com/ig?hl=zh-CN";
const std::wstring kOwnSearch = L"http://search.example.org/?q=";
const std::wstring kPartnerSearch = L"http://www.baidu.com/s?tn=partner";
const std::wstring kDefaultHome = L"http://go.microsoft.com/fwlink/?LinkId=69157";

// reg.exe's line for one value, in the view given ("/reg:32" or "/reg:64").
bool regHas(const std::wstring& key, const std::wstring& name, const std::wstring& type, const std::wstring& data,
            const std::wstring& view = L"") {
  const RegOutput out = regQuery(L"\"" + key + L"\" /v \"" + name + L"\" " + view);
  return out.exitCode == 0 && out.lists(name, type, data);
}

int rowOf(const wchar_t* valueName) {
  for (std::size_t r = 0; r < kPolicySwitches.size(); ++r)
    if (std::wstring(kPolicySwitches[r].valueName) == valueName) return static_cast<int>(r);
  return -1;
}

TEST(BrowserSettingsWindow, ShowsTheStoredSettingsAndAppliesTheChangedOnes) {
  ASSERT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, kPolicies)) << "the prefix sets no policy of its own";
  RegistrySeed seed;
  seed.replace(HKEY_CURRENT_USER, kMain, L"Window Title", L"演示浏览器");
  seed.replace(HKEY_CURRENT_USER, kMain, L"Start Page", kPersonalPage);
  seed.replace(HKEY_CURRENT_USER, kMain, L"Search Page", kOwnSearch);
  seed.replace(HKEY_CURRENT_USER, kBrowser, L"Download Directory", L"C:\\下载");
  seed.replace(HKEY_LOCAL_MACHINE, kSearch64, L"SearchAssistant", kPartnerSearch);
  seed.replace(HKEY_LOCAL_MACHINE, kSearch32, L"SearchAssistant", L"http://old32.example.org/");
  for (const std::wstring& key : {kSearch64, kSearch32}) seed.keepValue(HKEY_LOCAL_MACHINE, key, L"CustomizeSearch");
  seed.replace(HKEY_CURRENT_USER, kPolicies, L"ContentTab", 1);
  seed.replace(HKEY_CURRENT_USER, kPolicies, L"History", 2);
  for (const PolicySwitch& s : kPolicySwitches) seed.keepValue(HKEY_CURRENT_USER, kPolicies, s.valueName);

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kSettingsTab);
  ASSERT_TRUE(ui.visible(L"ListView_llqsz"));

  // What is stored, as stored: the combo boxes name the site, the text boxes
  // keep the text; the search assistant is the 64-bit view's.
  EXPECT_TRUE(ui.ticked(L"Check_iebt"));
  EXPECT_TRUE(ui.enabled(L"Text_iebt"));
  EXPECT_EQ(ui.text(L"Text_iebt"), L"演示浏览器");
  EXPECT_EQ(ui.selectedEntry(L"Combo_iesy"), 2);
  EXPECT_EQ(ui.text(L"Combo_iesy"), L"使用谷歌个性");
  EXPECT_EQ(ui.text(L"Text_iesy"), kPersonalPage);
  EXPECT_EQ(ui.selectedEntry(L"Combo_iessyq"), 3);
  EXPECT_EQ(ui.text(L"Text_iessyq"), kOwnSearch);
  EXPECT_EQ(ui.text(L"Text_iexzml"), L"C:\\下载");
  EXPECT_EQ(ui.selectedEntry(L"Combo_iesszsdz"), 1);
  EXPECT_EQ(ui.text(L"Text_iesszsdz"), kPartnerSearch);

  // The restrictions: each row's state, and a tick on exactly the blocked one.
  const auto rows = ui.rows(L"ListView_llqsz");
  ASSERT_EQ(rows.size(), kPolicySwitches.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const bool blocked = static_cast<int>(r) == rowOf(L"ContentTab");
    EXPECT_EQ(rows[r], (std::vector<std::wstring>{kPolicySwitches[r].label, blocked ? L"已屏蔽" : L"未屏蔽"})) << r;
    EXPECT_EQ(ui.checked(L"ListView_llqsz", static_cast<int>(r)), blocked) << r;
  }

  // The user picks the default home page, drops the title, types a folder,
  // blocks every whole page with the box and the proxy settings by hand.
  ui.pickEntry(L"Combo_iesy", 1);
  EXPECT_EQ(ui.text(L"Text_iesy"), kDefaultHome);
  ui.press(L"Check_iebt");
  EXPECT_FALSE(ui.enabled(L"Text_iebt"));
  ui.type(L"Text_iexzml", L"D:\\新下载");
  ui.press(L"Check_llqsz");
  ASSERT_TRUE(ui.clickCheckBox(L"ListView_llqsz", rowOf(L"Proxy")));
  for (const wchar_t* name : {L"GeneralTab", L"ContentTab", L"AdvancedTab", L"Proxy"})
    EXPECT_TRUE(ui.checked(L"ListView_llqsz", rowOf(name))) << name;

  ui.press(L"Command_llqsz");
  HWND box = ui.waitForDialog(L"提示");
  ASSERT_TRUE(box);
  EXPECT_EQ(ui.dialogText(box), L"应用成功,重新启动浏览器后生效!");
  ui.answer(box);
  ASSERT_TRUE(ui.waitForNoDialog(L"提示"));

  const std::wstring main = L"HKCU\\" + kMain;
  EXPECT_EQ(regQuery(L"\"" + main + L"\" /v \"Window Title\"").exitCode, kRegNotFound);
  EXPECT_TRUE(regHas(main, L"Start Page", L"REG_SZ", kDefaultHome));
  EXPECT_TRUE(regHas(main, L"Search Page", L"REG_SZ", kOwnSearch)) << "an address of no preset stays";
  EXPECT_TRUE(regHas(L"HKCU\\" + kBrowser, L"Download Directory", L"REG_SZ", L"D:\\新下载"));
  for (const wchar_t* view : {L"/reg:64", L"/reg:32"}) {
    for (const wchar_t* name : {L"SearchAssistant", L"CustomizeSearch"})
      EXPECT_TRUE(regHas(L"HKLM\\" + kSearch64, name, L"REG_SZ", kPartnerSearch, view)) << view;
  }
  const std::wstring policies = L"HKCU\\" + kPolicies;
  for (const wchar_t* name : {L"GeneralTab", L"ContentTab", L"ProgramsTab", L"Proxy"})
    EXPECT_TRUE(regHas(policies, name, L"REG_DWORD", L"0x1")) << name;
  for (const wchar_t* name : {L"History", L"HomePage"})
    EXPECT_TRUE(regHas(policies, name, L"REG_DWORD", L"0x0")) << name;
  EXPECT_EQ(ui.rows(L"ListView_llqsz")[static_cast<std::size_t>(rowOf(L"Proxy"))][1], L"已屏蔽");
}

}  // namespace
}  // namespace trova::test
