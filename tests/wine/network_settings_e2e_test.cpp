// The "系统关联" tab through the real window under Wine: values seeded in
// Wine's registry are read back out of the check boxes and combo boxes, some
// are changed as a user changes them, "应用" is pressed, and what it wrote is
// checked with Wine's reg.exe. Every value the page can touch is put back as
// it was, the prefix's own open commands included.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/reg_query.h"
#include "harness/saved_values.h"
#include "harness/ui_session.h"

namespace trova::test {
namespace {

const std::wstring kServices = L"SYSTEM\\CurrentControlSet\\Services\\";
const std::wstring kInterfaces = kServices + L"Tcpip\\Parameters\\Interfaces";
const std::wstring kTcpip = kServices + L"Tcpip\\Parameters";
const std::wstring kMstcp = kServices + L"VXD\\MSTCP";
const std::wstring kNetBT = kServices + L"NetBT\\Parameters";
const std::wstring kServer = kServices + L"lanmanserver\\parameters";
const std::wstring kLsa = L"SYSTEM\\CurrentControlSet\\Control\\Lsa";
const std::wstring kInternet = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr int kSettingsTab = 2;      // "系统设置" on TabStrip_cjmy
constexpr int kAssociationsTab = 4;  // "系统关联" on SSTab_xtsz

// One value as reg.exe lists it, e.g. "MTU    REG_DWORD    0x5aa".
bool lists(const std::wstring& key, const std::wstring& name, const std::wstring& type, const std::wstring& data) {
  return regQuery(L"\"" + key + L"\" /v " + name).lists(name, type, data);
}
// A key's default value as reg.exe lists it (whose name it prints in the
// system's language), or "<none>".
std::wstring listedDefault(const std::wstring& key) {
  const std::wstring text = regQuery(L"\"" + key + L"\" /ve").text, marker = L"    REG_SZ    ";
  const std::size_t at = text.find(marker);
  if (at == std::wstring::npos) return L"<none>";
  const std::size_t start = at + marker.size();
  return text.substr(start, text.find_first_of(L"\r\n", start) - start);
}
bool absent(const std::wstring& key, const std::wstring& name) {
  return regQuery(L"\"" + key + L"\" /v " + name).exitCode == kRegNotFound;
}

const wchar_t* const kClasses[] = {L"exefile", L"comfile", L"txtfile", L"inifile", L"inffile",
                                   L"regfile", L"batfile", L"pifile",  L"scrfile"};

// What reg.exe lists in every key the page can write to.
std::vector<std::wstring> everyTarget() {
  std::vector<std::wstring> out;
  for (const wchar_t* c : kClasses) out.push_back(regQuery(L"HKCR\\" + std::wstring(c) + L"\\shell\\open\\command").text);
  for (const std::wstring& k : {kInterfaces, kTcpip, kMstcp, kNetBT, kLsa, kServer})
    out.push_back(regQuery(L"\"HKLM\\" + k + L"\"").text);
  out.push_back(regQuery(L"\"HKCU\\" + kInternet + L"\"").text);
  return out;
}

void journey() {
  SavedValues saved;
  for (const wchar_t* c : kClasses) saved.keep(HKEY_CLASSES_ROOT, std::wstring(c) + L"\\shell\\open\\command", L"");
  saved.text(HKEY_CLASSES_ROOT, L"batfile\\shell\\open\\command", L"", L"seeded.exe %1");
  saved.text(HKEY_CLASSES_ROOT, L"txtfile\\shell\\open\\command", L"", L"bogus.exe %1");
  saved.dword(HKEY_LOCAL_MACHINE, kInterfaces, L"MTU", 1450);
  saved.dword(HKEY_LOCAL_MACHINE, kTcpip, L"TCPWindowSize", 8192);
  saved.dword(HKEY_LOCAL_MACHINE, kTcpip, L"GlobalMaxTcpWindowSize", 8192);
  saved.dword(HKEY_LOCAL_MACHINE, kTcpip, L"DefaultTTL", 128);
  saved.clear(HKEY_LOCAL_MACHINE, kMstcp, L"MaxDupAcks");
  saved.dword(HKEY_LOCAL_MACHINE, kNetBT, L"SessionKeepAlive", 20);
  saved.dword(HKEY_LOCAL_MACHINE, kLsa, L"restrictanonymous", 0);
  saved.clear(HKEY_LOCAL_MACHINE, kServer, L"AutoShareServer");
  saved.dword(HKEY_LOCAL_MACHINE, kServer, L"AutoShareWks", 0);
  saved.dword(HKEY_CURRENT_USER, kInternet, L"MaxConnectionsPerServer", 5);
  saved.dword(HKEY_CURRENT_USER, kInternet, L"MaxConnectionsPer1_0Server", 6);

  UiSession ui;
  EXPECT_EQ(ui.checkState(L"Check_wlszyhsessionkeepalive"), static_cast<UINT>(BST_INDETERMINATE)) << "at start";
  ui.pickTab(L"TabStrip_cjmy", kSettingsTab);
  ui.pickTab(L"SSTab_xtsz", kAssociationsTab);
  ASSERT_TRUE(ui.visible(L"Check_wlszsyzdcsdy"));

  struct Shown {
    const wchar_t* box;
    UINT state;
    const wchar_t* combo;
    const wchar_t* text;
  };
  for (const Shown& s : {Shown{L"Check_wlszsyzdcsdy", BST_CHECKED, L"Combo_wlszzdcsdy", L"1450 (当前)"},
                         Shown{L"Check_wlszjstcpipwindowssize", BST_CHECKED, L"Combo_wlszjstcp", L"8192 (默认)"},
                         Shown{L"Check_wlsztcpipfzsm", BST_CHECKED, L"Combo_wlsztcpipfzsm", L"128"},
                         Shown{L"Check_wlszyhtcpmaxdupacks", BST_UNCHECKED, L"Combo_yhtcpmaxdupacks", L""},
                         Shown{L"Check_wlszyhsessionkeepalive", BST_INDETERMINATE, L"Combo_yhsessionkeepalive", L"20"},
                         Shown{L"Check_wlszxznmyhlj", BST_UNCHECKED, nullptr, nullptr},
                         Shown{L"Check_wlszjzzdgxserver", BST_UNCHECKED, nullptr, nullptr},
                         Shown{L"Check_wlszjzzdgxworks", BST_CHECKED, nullptr, nullptr},
                         Shown{L"Check_wlsziesyddljxz", BST_CHECKED, nullptr, nullptr}}) {
    SCOPED_TRACE(std::string(s.box, s.box + wcslen(s.box)));
    EXPECT_EQ(ui.checkState(s.box), s.state);
    if (s.combo) {
      EXPECT_EQ(ui.comboText(s.combo), s.text);
    }
  }

  // A tick selects the usual entry; the user then picks another.
  ui.press(L"Check_wlszyhtcpmaxdupacks");
  EXPECT_EQ(ui.comboText(L"Combo_yhtcpmaxdupacks"), L"1");
  ASSERT_TRUE(ui.pickEntry(L"Combo_yhtcpmaxdupacks", L"3"));
  ASSERT_TRUE(ui.pickEntry(L"Combo_wlsztcpipfzsm", L"64(推荐)"));
  ui.press(L"Check_wlszjzzdgxworks");
  ui.press(L"Check_wjgliniinf");
  ui.press(L"Check_wjglreg");
  ui.press(L"Command_xtglyy");
  HWND box = ui.waitForDialog(L"提示");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ui.dialogText(box), L"应用成功");
  ui.answer(box);
  ui.waitForNoDialog(L"提示");

  const std::wstring hklm = L"HKLM\\", hkcr = L"HKCR\\";
  EXPECT_TRUE(lists(hklm + kInterfaces, L"MTU", L"REG_DWORD", L"0x5aa")) << "1450 stays";
  EXPECT_TRUE(lists(hklm + kTcpip, L"TCPWindowSize", L"REG_DWORD", L"0x2000"));
  EXPECT_TRUE(lists(hklm + kTcpip, L"GlobalMaxTcpWindowSize", L"REG_DWORD", L"0x2000"));
  EXPECT_TRUE(lists(hklm + kTcpip, L"DefaultTTL", L"REG_DWORD", L"0x40"));
  EXPECT_TRUE(lists(hklm + kMstcp, L"MaxDupAcks", L"REG_DWORD", L"0x3"));
  EXPECT_TRUE(lists(hklm + kNetBT, L"SessionKeepAlive", L"REG_DWORD", L"0x14")) << "greyed: left alone";
  EXPECT_TRUE(lists(hklm + kLsa, L"restrictanonymous", L"REG_DWORD", L"0x0")) << "Windows' own 0 is kept";
  EXPECT_TRUE(absent(hklm + kServer, L"AutoShareWks"));
  EXPECT_TRUE(absent(hklm + kServer, L"AutoShareServer"));
  EXPECT_TRUE(lists(L"HKCU\\" + kInternet, L"MaxConnectionsPerServer", L"REG_DWORD", L"0x5"));

  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  for (const wchar_t* c : {L"txtfile", L"inifile", L"inffile"})
    EXPECT_EQ(listedDefault(hkcr + c + L"\\shell\\open\\command"), std::wstring(windows) + L"\\notepad.exe %1");
  EXPECT_EQ(listedDefault(hkcr + L"regfile\\shell\\open\\command"), L"regedit.exe \"%1\"");
  EXPECT_EQ(listedDefault(hkcr + L"batfile\\shell\\open\\command"), L"seeded.exe %1") << "not ticked, not touched";
}

TEST(NetworkSettingsWindow, ShowsTheStoredValuesAndAppliesWhatTheUserChanged) {
  const auto before = everyTarget();
  journey();
  EXPECT_EQ(everyTarget(), before) << "the prefix is left as it was found";
}

}  // namespace
}  // namespace trova::test
