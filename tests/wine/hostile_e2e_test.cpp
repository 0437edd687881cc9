// Hostile input through the real window under Wine: names and values at the
// limits Windows sets (a 255-character key name, a 16,383-character value name,
// a 1 MB string, a 32,767-character command line), names holding characters
// that registry files, command lines and environment strings treat specially
// or that the ANSI code page cannot hold, a hosts line of 100 KB and an
// Uninstall key of 5,000 sub-keys. Each page lists them, acts on them and
// exports them whole, or refuses with a message that says why: a list may
// shorten what it paints, never what it writes. Every step prints how long it
// took ("[ figure ]" lines) and fails when it takes longer than a few seconds.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "formats/hosts_file.h"
#include "harness/file_dialog.h"
#include "harness/new_files.h"
#include "harness/reg_query.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"

namespace trova::test {
namespace {

using Row = std::vector<std::wstring>;

// What a .reg file quotes or escapes ("), what splits a command line (tab,
// "), what names a variable (%), what REGEDIT4 and INI lines give a meaning
// (; =), and three characters the Chinese ANSI code page lacks, one of them
// outside the Basic Multilingual Plane.
const std::wstring kOdd = L"a\t%\";=ä한😀";
std::wstring padded(std::wstring head, std::size_t length, wchar_t fill) {
  head.resize(length, fill);
  return head;
}
const std::wstring kKeyName = padded(kOdd, 255, L'k');      // the longest key name
const std::wstring kValueName = padded(kOdd, 16383, L'v');  // the longest value name
const std::wstring kMegabyte = padded(kOdd, 524287, L'm');  // 1 MiB with its terminator
constexpr DWORD kFewSeconds = 10000;

// Runs one step and prints how long it took; longer than a few seconds is a hang.
void timed(const std::string& what, const std::function<void()>& step) {
  const DWORD start = GetTickCount();
  step();
  const DWORD ms = GetTickCount() - start;
  std::printf("[ figure ] %s: %lu ms\n", what.c_str(), static_cast<unsigned long>(ms));
  EXPECT_LT(ms, kFewSeconds) << what;
}

// Long texts are compared without printing them.
#define EXPECT_WHOLE(actual, expected) EXPECT_TRUE((actual) == (expected)) << #actual " is not " #expected " whole"

std::string bytesOf(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring decoded(const std::string& bytes, UINT codePage) {
  std::wstring out(bytes.size(), L'\0');
  out.resize(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                          out.data(), static_cast<int>(out.size()))));
  return out;
}

// A value's type and bytes, or nothing.
struct Raw {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const Raw&) const = default;
};
std::optional<Raw> rawValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  Raw v;
  DWORD size = 0;
  const DWORD any = RRF_RT_ANY | RRF_NOEXPAND;
  if (RegGetValueW(root, path.c_str(), name.c_str(), any, &v.type, nullptr, &size) != ERROR_SUCCESS) return {};
  v.data.resize(size);
  if (RegGetValueW(root, path.c_str(), name.c_str(), any, &v.type, v.data.data(), &size) != ERROR_SUCCESS) return {};
  v.data.resize(size);
  return v;
}
Raw textValue(const std::wstring& text, DWORD type = REG_SZ) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return {type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

int rowWhere(const std::vector<Row>& rows, std::size_t column, const std::wstring& text, std::size_t column2 = 0,
             const std::wstring& text2 = {}) {
  for (std::size_t r = 0; r < rows.size(); ++r)
    if (rows[r][column] == text && (text2.empty() || rows[r][column2] == text2)) return static_cast<int>(r);
  return -1;
}

// Scrolls the row into view and clicks it, as a user does before a button.
bool selectRow(const UiSession& ui, const std::wstring& list, int row) {
  SendMessageW(ui.control(list), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  ui.clickRow(list, row);
  return SendMessageW(ui.control(list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == row;
}

// "导出" through the save dialog to `path`; the text of the box that follows.
std::wstring exportTo(const UiSession& ui, const std::wstring& button, const std::wstring& path,
                      const std::string& figure) {
  ui.press(button);
  HWND dialog = ui.waitForDialog(L"导出");
  if (!dialog || !fileNameField(dialog)) return L"(no save dialog)";
  SetWindowTextW(fileNameField(dialog), path.c_str());
  std::wstring said;
  timed(figure, [&] {
    ui.answer(dialog, IDOK);
    said = ui.answerBox(L"提示");
  });
  return said;
}

void openSettings(const UiSession& ui, int innerTab, const std::string& figure) {
  timed(figure, [&] { ui.pickTab(L"TabStrip_cjmy", 2); });
  ui.pickTab(L"SSTab_xtsz", innerTab);
}

// ---- 插件管理 ----------------------------------------------------------------------

const std::wstring kBho = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
const std::wstring kExt32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\Extensions\\";
const std::wstring kBar = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
const std::wstring kMenu = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\";
const std::wstring kMark = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";

struct Addon {
  std::string label;
  Row row;  // name, identifier, state, type, file, as listed
  HKEY root;
  std::wstring key, value;  // the registration: a key, or a value of it
  bool markable;            // its identifier can name a key under Ext\Settings
};

TEST(HostileInput, AddOnsAtTheLimitsAreListedActedOnAndExportedWhole) {
  NewFiles history(historyFolder());
  NewFiles scratch(scratchFolder(L"trova-hostile"));
  RegistrySeed seed;
  const std::vector<Addon> addons = {
      {"helper object, 255-character identifier",
       {kOdd + L" 帮助", kKeyName, L"已启用", L"浏览器帮助项", L"C:\\" + kOdd + L"\\bho.dll"},
       HKEY_LOCAL_MACHINE, kBho + kKeyName, L"", true},
      {"32-bit extension, 1 MB name",
       {kMegabyte, kOdd, L"已启用", L"浏览器扩展项 (32位)", L"C:\\" + kOdd + L"\\ext.dll"},
       HKEY_LOCAL_MACHINE, kExt32 + kOdd, L"", true},
      {"toolbar, 16,383-character identifier",
       {kOdd + L" 工具", kValueName, L"已启用", L"浏览器工具项", L"文件没有找到"},
       HKEY_LOCAL_MACHINE, kBar, kValueName, false},
      {"context menu, 1 MB file", {kOdd, L"缺省", L"已启用", L"浏览器右键菜单", kMegabyte},
       HKEY_CURRENT_USER, kMenu + kOdd, L"", false},
  };
  const auto classOf = [&](const std::wstring& clsid, const Row& row) {
    seed.text(HKEY_CLASSES_ROOT, clsid, L"", row[0]);
    seed.text(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L"", row[4]);
  };
  for (const auto& a : addons) seed.along(a.root, a.key);
  seed.along(HKEY_CLASSES_ROOT, L"Wow6432Node\\CLSID\\" + kOdd);
  seed.key(HKEY_LOCAL_MACHINE, addons[0].key);
  classOf(L"CLSID\\" + kKeyName, addons[0].row);
  seed.key(HKEY_LOCAL_MACHINE, addons[1].key);
  classOf(L"Wow6432Node\\CLSID\\" + kOdd, addons[1].row);
  seed.keepValue(HKEY_LOCAL_MACHINE, kBar, kValueName);
  seed.replace(HKEY_LOCAL_MACHINE, kBar, kValueName, addons[2].row[0]);
  seed.text(HKEY_CURRENT_USER, addons[3].key, L"", kMegabyte);
  for (const auto& a : addons)
    if (a.markable) {
      seed.clear(HKEY_CURRENT_USER, kMark + a.row[1]);
      seed.along(HKEY_CURRENT_USER, kMark + a.row[1]);
    }

  UiSession ui;
  timed("插件管理: list the four", [&] { ui.pickTab(L"TabStrip_cjmy", 1); });
  const std::wstring list = L"ListView_cjgl";
  auto rows = ui.rows(list);
  const auto rowOf = [&](const Addon& a) { return rowWhere(rows, 1, a.row[1], 3, a.row[3]); };
  for (const auto& a : addons) {
    const int r = rowOf(a);
    ASSERT_GE(r, 0) << a.label << " is not listed";
    EXPECT_WHOLE(rows[static_cast<std::size_t>(r)], a.row) << a.label;
  }

  // "禁用": the mark under Ext\Settings, which the next load reads back, or a
  // plain refusal where the identifier is longer than a key name may be.
  for (const auto& a : addons) {
    if (a.row[3] == L"浏览器右键菜单") continue;  // no disabled state
    ASSERT_TRUE(selectRow(ui, list, rowOf(a)));
    if (!a.markable) {
      ui.press(L"Command_cjgljy");
      EXPECT_EQ(ui.answerBox(L"提示"), L"禁用失败!\n该插件的标识不能用作注册表项名称") << a.label;
      continue;
    }
    timed("插件管理: 禁用 " + a.label, [&] { ui.press(L"Command_cjgljy"); });
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kMark + a.row[1], L"Flags"), (Raw{REG_DWORD, {1, 0, 0, 0}})) << a.label;
  }
  ui.pickTab(L"TabStrip_cjmy", 0);
  ui.pickTab(L"TabStrip_cjmy", 1);
  rows = ui.rows(list);
  for (const auto& a : addons) {
    if (!a.markable) continue;
    const int r = rowOf(a);
    ASSERT_GE(r, 0) << a.label;
    EXPECT_EQ(rows[static_cast<std::size_t>(r)][2], L"已禁用") << a.label;
    ASSERT_TRUE(selectRow(ui, list, r));
    timed("插件管理: 启用 " + a.label, [&] { ui.press(L"Command_cjglqy"); });
    EXPECT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, kMark + a.row[1])) << a.label;
  }

  // "导出": the log holds every field whole, in a form that keeps every character.
  const std::wstring log = scratch.file(L"add-ons.txt");
  EXPECT_EQ(exportTo(ui, L"Command_cjgldc", log, "插件管理: 导出"), L"导出成功!");
  const std::string bytes = bytesOf(log);
  const bool utf8 = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
  const std::wstring text = decoded(utf8 ? bytes.substr(3) : bytes, utf8 ? CP_UTF8 : CP_ACP);
  for (const auto& a : addons) {
    const Row& r = a.row;
    EXPECT_NE(text.find(L"名称:" + r[0] + L"\r\ncisid:" + r[1] + L"\r\n状态:" + r[2] + L"\r\n类型:" + r[3] +
                        L"\r\n文件:" + r[4] + L"\r\n"),
              std::wstring::npos)
        << a.label << " is not in the log whole";
  }

  // "删除": the registration goes, whatever its names.
  rows = ui.rows(list);
  for (const auto& a : addons) {
    ASSERT_TRUE(selectRow(ui, list, rowOf(a)));
    timed("插件管理: 删除 " + a.label, [&] { ui.press(L"Command_cjglsc"); });
    EXPECT_EQ(ui.answerBox(L"提示"), L"删除成功!") << a.label;
    EXPECT_FALSE(a.value.empty() ? RegistrySeed::exists(a.root, a.key) : RegistrySeed::hasValue(a.root, a.key, a.value))
        << a.label;
    rows = ui.rows(list);
  }
}

// ---- 启动项目 ----------------------------------------------------------------------

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kRun32 = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RunEntry {
  std::string label;
  HKEY root;
  std::wstring key, name, location, command;
};

TEST(HostileInput, StartupEntriesAtTheLimitsAreDisabledEnabledAndDeletedWhole) {
  NewFiles history(historyFolder());
  RegistrySeed seed;
  const std::vector<RunEntry> entries = {
      {"16,383-character name, 32,767-character command", HKEY_CURRENT_USER, kRun, kValueName, L"HCUR",
       padded(L"\"C:\\" + kOdd + L"\\run.exe\" /x ", 32767, L'c')},
      {"odd name, 1 MB command", HKEY_CURRENT_USER, kRun, kOdd, L"HCUR", kMegabyte},
      {"255-character name, 32-bit view", HKEY_LOCAL_MACHINE, kRun32, kKeyName, L"HLMR32", kOdd},
  };
  for (const auto& e : entries) {
    seed.keepValue(e.root, e.key, e.name);
    seed.replace(e.root, e.key, e.name, e.command);
  }
  UiSession ui;
  openSettings(ui, 2, "系统设置: load with the entries");
  const std::wstring list = L"ListView_qdxm";
  for (const auto& e : entries) {
    const auto rows = ui.rows(list);
    const int r = rowWhere(rows, 0, e.name, 1, e.location);
    ASSERT_GE(r, 0) << e.label << " is not listed";
    EXPECT_WHOLE(rows[static_cast<std::size_t>(r)], (Row{e.name, e.location, L"已启用", e.command})) << e.label;
    ASSERT_TRUE(selectRow(ui, list, r));
    timed("启动项目: 禁用 " + e.label, [&] { ui.press(L"Command_qdxmjy"); });
    EXPECT_EQ(rawValue(e.root, e.key, e.name), textValue(L";" + e.command)) << e.label;
    timed("启动项目: 启用 " + e.label, [&] { ui.press(L"Command_qdxmqy"); });
    EXPECT_EQ(rawValue(e.root, e.key, e.name), textValue(e.command)) << e.label;
    timed("启动项目: 删除 " + e.label, [&] { ui.press(L"Command_qdxmsc"); });
    EXPECT_FALSE(RegistrySeed::hasValue(e.root, e.key, e.name)) << e.label;
    EXPECT_EQ(rowWhere(ui.rows(list), 0, e.name, 1, e.location), -1) << e.label;
  }
  EXPECT_FALSE(ui.waitForDialog(L"提示", 0)) << "every step succeeded, so none is reported";
}

// ---- 软件卸载 ----------------------------------------------------------------------

const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(HostileInput, AnUninstallKeyOfFiveThousandEntriesAndOddOnesStaysQuick) {
  NewFiles history(historyFolder());
  NewFiles scratch(scratchFolder(L"trova-hostile"));
  RegistrySeed seed;
  seed.along(HKEY_CURRENT_USER, kUninstall + L"x");
  for (int i = 0; i < 5000; ++i)
    seed.text(HKEY_CURRENT_USER, kUninstall + L"批量" + std::to_wstring(i), L"DisplayName", L"批量软件");
  // One started with arguments near the longest command line, one deleted.
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring uninstaller = scratch.file(L"record_args.exe"), record = scratch.file(L"record_args.txt");
  const std::wstring ownFolder = std::wstring(self).substr(0, std::wstring(self).find_last_of(L'\\'));
  ASSERT_TRUE(CopyFileW((ownFolder + L"\\record_args.exe").c_str(), uninstaller.c_str(), FALSE));
  const std::wstring arguments = padded(L"/x " + kOdd + L" ", 32000 - uninstaller.size(), L'u');
  const std::wstring started = kUninstall + kKeyName, deleted = L"Software\\Wow6432Node\\Microsoft\\Windows\\"
                                                                L"CurrentVersion\\Uninstall\\" + kOdd;
  seed.text(HKEY_CURRENT_USER, started, L"DisplayName", kOdd + L" 软件");
  seed.text(HKEY_CURRENT_USER, started, L"DisplayVersion", kOdd);
  seed.text(HKEY_CURRENT_USER, started, L"UninstallString", L"\"" + uninstaller + L"\" " + arguments);
  seed.text(HKEY_LOCAL_MACHINE, deleted, L"DisplayName", kMegabyte);
  seed.text(HKEY_LOCAL_MACHINE, deleted, L"UninstallString", kOdd);
  seed.text(HKEY_LOCAL_MACHINE, deleted, kValueName, kOdd);

  UiSession ui;
  openSettings(ui, 1, "系统设置: load with 5,000 uninstall entries");
  const std::wstring list = L"ListView_rjxz";
  EXPECT_GE(SendMessageW(ui.control(list), LVM_GETITEMCOUNT, 0, 0), 5002);
  int r = ui.find(list, kOdd + L" 软件");
  ASSERT_GE(r, 0);
  EXPECT_EQ(ui.row(list, r), (Row{kOdd + L" 软件", kOdd, L"\"" + uninstaller + L"\" " + arguments, kKeyName}));
  ASSERT_TRUE(selectRow(ui, list, r));
  timed("软件卸载: 卸载 with 32,000 characters of arguments", [&] { ui.press(L"Command_rjxzxz"); });
  EXPECT_FALSE(ui.waitForDialog(L"提示", 0)) << ui.answerBox(L"提示");
  std::string line;
  EXPECT_TRUE(waitUntil([&] { return !(line = bytesOf(record)).empty(); }, 30000)) << "the uninstaller did not run";
  const std::wstring got = decoded(line, CP_UTF8);
  EXPECT_TRUE(got.size() > arguments.size() && got.substr(got.size() - arguments.size()) == arguments)
      << "the uninstaller got " << got.size() << " characters, not the arguments whole";

  r = ui.find(list, kMegabyte);
  ASSERT_GE(r, 0);
  ASSERT_TRUE(selectRow(ui, list, r));
  timed("软件卸载: 删除 a registration with a 16,383-character value name", [&] { ui.press(L"Command_rjxzsc"); });
  EXPECT_FALSE(ui.waitForDialog(L"提示", 0)) << ui.answerBox(L"提示");
  EXPECT_FALSE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, deleted));
  EXPECT_EQ(ui.find(list, kMegabyte), -1);
}

// ---- 系统清理, then 工具 -----------------------------------------------------------

TEST(HostileInput, ATraceOfOddValuesIsCleanedThenUndoneAndItsSetImportsWhole) {
  NewFiles history(historyFolder());
  RegistrySeed seed;
  const std::wstring trace = L"Software\\WinRAR\\ArcHistory";  // row 25
  seed.clear(HKEY_CURRENT_USER, L"Software\\WinRAR");
  struct Value {
    std::wstring name;
    Raw raw;
  };
  const std::wstring multi = kOdd + std::wstring(1, L'\0') + L"二";
  const std::vector<Value> values = {
      {kValueName, textValue(kOdd)},
      {kOdd, textValue(kMegabyte)},
      {L"", textValue(L"%SystemRoot%\\" + kOdd, REG_EXPAND_SZ)},
      {L"多" + kOdd, textValue(multi + std::wstring(1, L'\0'), REG_MULTI_SZ)},
  };
  for (const auto& v : values)
    seed.text(HKEY_CURRENT_USER, trace, v.name,
              std::wstring(reinterpret_cast<const wchar_t*>(v.raw.data.data()), v.raw.data.size() / 2 - 1),
              v.raw.type);
  const auto expectAllBack = [&](const std::string& after) {
    for (const auto& v : values)
      EXPECT_TRUE(rawValue(HKEY_CURRENT_USER, trace, v.name) == v.raw) << v.name.size() << "-character name, " << after;
  };

  UiSession ui;
  openSettings(ui, 3, "系统设置: load");
  ASSERT_TRUE(ui.clickCheckBox(L"ListView_ysql", 24));
  timed("系统清理: 清理 a 1 MB value and a 16,383-character name", [&] { ui.press(L"Command_ysql"); });
  EXPECT_EQ(ui.answerBox(L"提示"), L"清理完成!");
  EXPECT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, trace));

  timed("工具: list the sets", [&] { ui.pickTab(L"TabStrip_cjmy", 4); });
  const auto sets = ui.rows(L"ListView_gjls");
  ASSERT_FALSE(sets.empty());
  EXPECT_EQ(sets[0][1] + L" · " + sets[0][2], L"系统清理 · 清理");
  timed("工具: show the set's places", [&] { ui.clickRow(L"ListView_gjls", 0); });
  std::set<std::wstring> shown;
  for (const auto& place : ui.rows(L"ListView_gjgg")) shown.insert(place[1]);
  for (const auto& v : values)
    EXPECT_TRUE(shown.count(v.name.empty() ? L"(默认)" : v.name)) << v.name.size() << "-character name not shown";
  timed("工具: 撤销", [&] { ui.press(L"Command_gjcx"); });
  EXPECT_EQ(ui.answerBox(L"提示").rfind(L"已撤销“系统清理 · 清理”", 0), 0u);
  expectAllBack("after the undo");

  // The clean's set, read by Windows' own tools into a registry without the key.
  ASSERT_FALSE(history.added(L".reg").empty());
  const std::wstring set = history.added(L".reg").front();
  for (const bool regedit : {true, false}) {
    RegDeleteTreeW(HKEY_CURRENT_USER, trace.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, trace.c_str());
    timed(regedit ? "regedit /s: the clean's set" : "reg import: the clean's set", [&] {
      EXPECT_EQ(regedit ? regeditImport(set) : regExe(L"import \"" + set + L"\"").exitCode, 0u);
    });
    expectAllBack(regedit ? "after regedit /s" : "after reg import");
  }
}

// ---- 用户自定义 --------------------------------------------------------------------

const std::wstring kCompat = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
const std::wstring kCompat32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";

TEST(HostileInput, AUserEntryWithOddCharactersGetsItsKillBitExportedAndSaved) {
  NewFiles history(historyFolder());
  NewFiles scratch(scratchFolder(L"trova-hostile"));
  RegistrySeed seed;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring userFile = std::wstring(self).substr(0, std::wstring(self).find_last_of(L'\\')) + L"\\cisid.dat";
  DeleteFileW(userFile.c_str());
  const std::wstring clsid = L"{a\t%\";=b}", name = L"怪名 %\";=\t";
  for (const auto& compat : {kCompat, kCompat32}) {
    seed.clear(HKEY_LOCAL_MACHINE, compat + clsid);
    seed.along(HKEY_LOCAL_MACHINE, compat + clsid);
  }
  {
    std::optional<UiSession> ui;
    timed("start-up (catalogue and kill-bits)", [&] { ui.emplace(); });
    const std::wstring list = L"ListView_cjmy(3)";
    ui->pickTab(L"SSTab_cjmy", 3);
    ui->answerBox(L"提示");  // cisid.dat will be made
    ui->press(L"Command_yhzdytj");
    ui->answerInput(L"添加自定义", kOdd);
    ui->answerInput(L"添加自定义", clsid);
    EXPECT_EQ(ui->answerBox(L"结果"), L"添加失败!\r\n插件名称或cisid中有系统代码页无法保存的字符。");
    ui->press(L"Command_yhzdytj");
    ui->answerInput(L"添加自定义", name);
    ui->answerInput(L"添加自定义", clsid);
    ASSERT_EQ(ui->rows(list), (std::vector<Row>{{name, clsid, L"未免疫"}}));

    ASSERT_TRUE(ui->clickCheckBox(list, 0));
    timed("插件免疫: 应 用", [&] { ui->press(L"Command_cjmy"); });
    EXPECT_EQ(ui->answerBox(L"成功"), L"应用更改成功!");
    for (const auto& compat : {kCompat, kCompat32})
      EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, compat + clsid, L"Compatibility Flags"), (Raw{REG_DWORD, {0, 4, 0, 0}}));

    const std::wstring file = scratch.file(L"kill-bits.reg");
    EXPECT_EQ(exportTo(*ui, L"Command_cjmydc", file, "插件免疫: 导出"), L"导出成功!");
    const std::wstring text = decoded(bytesOf(file), CP_ACP);
    for (const auto& compat : {kCompat, kCompat32})
      EXPECT_NE(text.find(L"[HKEY_LOCAL_MACHINE\\" + compat + clsid + L"]\r\n\"Compatibility Flags\"=dword:00000400\r\n"),
                std::wstring::npos);

    timed("用户自定义: 保存", [&] { ui->press(L"Command_yhzdybc"); });
    EXPECT_EQ(ui->answerBox(L"提示"), L"保存成功!");
    ASSERT_TRUE(selectRow(*ui, list, 0));
    timed("用户自定义: 删除", [&] { ui->press(L"Command_yhzdysc"); });
    for (const auto& compat : {kCompat, kCompat32}) EXPECT_FALSE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, compat + clsid));
  }
  // The saved entry comes back as it was typed.
  {
    UiSession restarted;
    EXPECT_EQ(restarted.rows(L"ListView_cjmy(3)"), (std::vector<Row>{{name, clsid, L"未免疫"}}));
  }
  DeleteFileW(userFile.c_str());
}

// ---- 网站免疫 ----------------------------------------------------------------------

TEST(HostileInput, AHostsLineOfOneHundredKilobytesIsKeptByteForByte) {
  NewFiles history(historyFolder());
  NewFiles scratch(scratchFolder(L"trova-hostile"));
  RegistrySeed seed;
  const std::wstring parameters = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  seed.keepValue(HKEY_LOCAL_MACHINE, parameters, L"DataBasePath");
  seed.replace(HKEY_LOCAL_MACHINE, parameters, L"DataBasePath", scratch.folder());
  const std::string longLine = "127.0.0.1 " + std::string(100 * 1024, 'a') + ".example # \xC3\xA4\xED\x95\x9C";
  const std::string original = longLine + "\r\n# a comment\r\n127.0.0.1\tshort.example\r\n";
  std::ofstream(scratch.file(L"hosts").c_str(), std::ios::binary) << original;

  UiSession ui;
  timed("网站免疫: load a 100 KB line", [&] { ui.pickTab(L"TabStrip_cjmy", 3); });
  const auto rows = ui.rows(L"List_wzmy");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_WHOLE(rows[0][0], decoded(longLine, CP_UTF8));
  ui.press(L"Command_wzmytj");
  ui.answerInput(L"添加", L"ad.example");
  ui.answerInput(L"添加", L"127.0.0.255");
  timed("网站免疫: 保存应用", [&] { ui.press(L"Command_wzmybc"); });
  EXPECT_EQ(ui.answerBox(L"提示").rfind(L"保存应用成功!", 0), 0u);
  std::string expected;
  for (const auto line : kHostsHeader) (expected += line) += "\r\n";
  expected += "\r\n" + longLine + "\r\n127.0.0.1\tshort.example\r\n127.0.0.255      ad.example\r\n";
  EXPECT_WHOLE(bytesOf(scratch.file(L"hosts")), expected);
  EXPECT_WHOLE(bytesOf(scratch.file(L"hosts.bak")), original);
}

}  // namespace
}  // namespace trova::test
