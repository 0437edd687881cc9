// The immunity page in the real window under Wine: check marks clicked in the
// real list views and applied to Wine's registry (read back with reg.exe too),
// the export written through Wine's own save dialog, and user-defined entries
// added through the input boxes, saved and found again after a restart.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "harness/file_dialog.h"
#include "harness/reg_query.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "immunity/cisid.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;
const std::wstring kCompat = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
const std::wstring kFlags = L"Compatibility Flags";

std::wstring listName(int c) { return L"ListView_cjmy(" + std::to_wstring(c) + L")"; }
std::wstring keyOf(const std::wstring& clsid) { return kCompat + L"\\" + clsid; }
// The 32-bit browser's key, as the 64-bit view names it.
std::wstring key32Of(const std::wstring& clsid) {
  return L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\" + clsid;
}

// The flags as reg.exe reads them in one view ("/reg:64" or "/reg:32").
std::optional<DWORD> flagsOf(const std::wstring& clsid, const std::wstring& view = L"/reg:64") {
  const RegOutput out = regQuery(L"\"HKLM\\" + keyOf(clsid) + L"\" /v \"Compatibility Flags\" " + view);
  const std::size_t at = out.text.find(L"REG_DWORD    0x");
  if (out.exitCode != 0 || at == std::wstring::npos) return std::nullopt;
  return static_cast<DWORD>(std::wcstoul(out.text.c_str() + at + 15, nullptr, 16));
}

// Both browsers' flags of a control, as reg.exe reads them.
std::pair<std::optional<DWORD>, std::optional<DWORD>> flagsOfBoth(const std::wstring& clsid) {
  return {flagsOf(clsid, L"/reg:64"), flagsOf(clsid, L"/reg:32")};
}

std::wstring fromCodePage(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string toCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string readBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring programFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return folderOf(path);
}

// cisid.dat beside the program is the window's own file: gone before and after each test.
struct UserFile {
  const std::wstring path = programFolder() + L"\\cisid.dat";
  UserFile() { DeleteFileW(path.c_str()); }
  ~UserFile() { DeleteFileW(path.c_str()); }
};

// Rows whose CLSID no other row of the four lists shares: with a shared one,
// the row applied later would decide what stays in the registry.
std::vector<int> rowsWithOwnClsid(const std::vector<Rows>& lists, int c) {
  std::map<std::wstring, int> uses;
  for (const auto& l : lists)
    for (const auto& r : l) ++uses[r[1]];
  std::vector<int> out;
  for (int r = 0; r < static_cast<int>(lists[static_cast<std::size_t>(c)].size()); ++r)
    if (uses[lists[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)][1]] == 1) out.push_back(r);
  return out;
}

std::vector<Rows> allLists(const UiSession& ui) {
  std::vector<Rows> lists;
  for (int c = 0; c < 4; ++c) lists.push_back(ui.rows(listName(c)));
  return lists;
}

std::wstring expectedHeader(const Rows& rows) {
  const auto notImmune = std::count_if(rows.begin(), rows.end(), [](const auto& r) { return r[2] == L"未免疫"; });
  return L"插件名称 (未免疫" + std::to_wstring(notImmune) + L"项,总" + std::to_wstring(rows.size()) + L"项)";
}

// Answers the box of this title with OK after checking its text.
void expectBox(const UiSession& ui, const std::wstring& title, const std::wstring& text) {
  HWND box = ui.waitForDialog(title);
  ASSERT_NE(box, nullptr) << "no box titled " << std::string(title.begin(), title.end());
  EXPECT_EQ(ui.dialogText(box), text);
  ui.answer(box, IDOK);
  EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
}

// Types into the next input box titled "添加自定义" and presses OK (or Cancel);
// gives back its prompt.
std::wstring answerInput(const UiSession& ui, const std::wstring& typed, int button = IDOK) {
  HWND box = ui.waitForDialog(L"添加自定义");
  if (!box) {
    ADD_FAILURE() << "no input box";
    return {};
  }
  const std::wstring prompt = ui.dialogText(box);
  SetWindowTextW(GetDlgItem(box, Win32Dialogs::kInputEditId), typed.c_str());
  ui.answer(box, button);
  EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
  ui.sync();
  return prompt;
}

TEST(ImmunityWindow, ListsTheCatalogueWithCountsInTheirHeaders) {
  UserFile noUserFile;
  UiSession ui;
  const auto lists = allLists(ui);
  const std::size_t sizes[] = {110, 497, 175, 0};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(lists[static_cast<std::size_t>(c)].size(), sizes[c]) << c;
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(ui.header(listName(c), 0), expectedHeader(lists[static_cast<std::size_t>(c)])) << c;
    for (int r = 0; r < static_cast<int>(lists[static_cast<std::size_t>(c)].size()); ++r) {
      const auto& row = lists[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)];
      ASSERT_EQ(ui.checked(listName(c), r), row[2] == L"已免疫") << c << " " << r;
    }
  }
  EXPECT_EQ(ui.header(listName(3), 0), L"插件名称") << "no cisid.dat: the user list keeps its plain caption";

  // A stand-in CLSID is drawn grey, a real one in the window's text colour:
  // ask the window what colour it gives each while the list paints.
  auto colourOf = [&](int c, int row, int column) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = ui.control(listName(c));
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    draw.iSubItem = column;
    SendMessageW(ui.window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    return draw.clrText;
  };
  std::array<int, 3> next{};
  std::array<int, 2> seen{};  // placeholders, real CLSIDs
  for (int i = 0; i < kCatalogueRows && (seen[0] < 3 || seen[1] < 3); ++i) {
    const int c = kCatalogue[i].category, row = next[static_cast<std::size_t>(c)]++;
    const bool placeholder = kCatalogue[i].status == CatalogueStatus::Placeholder;
    ++seen[placeholder ? 0 : 1];
    EXPECT_EQ(colourOf(c, row, 1), GetSysColor(placeholder ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT)) << i;
    EXPECT_EQ(colourOf(c, row, 0), GetSysColor(COLOR_WINDOWTEXT)) << i;
  }
}

// A notice that start-up finds (here a damaged cisid.dat) comes with the
// window: shown once the window is on screen, owned by it, without an icon.
TEST(ImmunityWindow, AStartUpNoticeComesWithTheWindow) {
  UserFile file;
  std::ofstream(file.path.c_str(), std::ios::binary) << std::string("\x03\x00\x7F", 3);
  UiSession ui;
  HWND box = ui.waitForDialog(L"提示");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GetWindow(box, GW_OWNER), ui.window());
  EXPECT_TRUE(IsWindowVisible(ui.window()));
  EXPECT_NE(ui.dialogText(box).find(L"1条记录已损坏"), std::wstring::npos);
  ui.answer(box, IDOK);
}

TEST(ImmunityWindow, ClickedCheckMarksAreAppliedToTheRegistry) {
  UserFile noUserFile;
  RegistrySeed seed;
  std::vector<std::wstring> picked;  // three foreign rows that the user checks
  std::wstring unblocked;            // a domestic row, blocked with another bit beside the kill-bit
  std::vector<int> pickedRows;
  int unblockedRow = -1;
  {
    // The rows come from the window itself; their keys start out absent.
    UiSession probe;
    const auto lists = allLists(probe);
    const auto foreign = rowsWithOwnClsid(lists, 1);
    const auto domestic = rowsWithOwnClsid(lists, 0);
    ASSERT_GE(foreign.size(), 300u);
    ASSERT_FALSE(domestic.empty());
    pickedRows = {foreign[0], foreign[7], foreign[299]};  // the last lies far below the visible rows
    for (int r : pickedRows) picked.push_back(lists[1][static_cast<std::size_t>(r)][1]);
    unblockedRow = domestic[2];
    unblocked = lists[0][static_cast<std::size_t>(unblockedRow)][1];
  }
  for (const auto& clsid : picked) {
    seed.clear(HKEY_LOCAL_MACHINE, keyOf(clsid));
    seed.clear(HKEY_LOCAL_MACHINE, key32Of(clsid));
  }
  seed.clear(HKEY_LOCAL_MACHINE, keyOf(unblocked));
  seed.clear(HKEY_LOCAL_MACHINE, key32Of(unblocked));
  // Blocked for both browsers, the 32-bit one's written as a 32-bit installer would.
  seed.dword(HKEY_LOCAL_MACHINE, keyOf(unblocked), kFlags, 0x401);
  ASSERT_EQ(regExe(L"add \"HKLM\\" + keyOf(unblocked) + L"\" /v \"Compatibility Flags\" /t REG_DWORD /d 0x401 /f /reg:32")
                .exitCode,
            0u);

  UiSession ui;
  // 0x401 has the kill-bit, so the row starts checked and immune.
  ASSERT_TRUE(ui.checked(listName(0), unblockedRow));
  EXPECT_EQ(ui.rows(listName(0))[static_cast<std::size_t>(unblockedRow)][2], L"已免疫");
  const std::wstring headerBefore = ui.header(listName(0), 0);

  ASSERT_TRUE(ui.clickCheckBox(listName(0), unblockedRow)) << "no check box under the mouse";
  EXPECT_FALSE(ui.checked(listName(0), unblockedRow)) << "a click on the check box clears the mark";
  ui.pickTab(L"SSTab_cjmy", 1);
  for (int r : pickedRows) {
    ASSERT_FALSE(ui.checked(listName(1), r));
    ASSERT_TRUE(ui.clickCheckBox(listName(1), r)) << "row " << r;
    EXPECT_TRUE(ui.checked(listName(1), r)) << "row " << r;
  }

  ui.press(L"Command_cjmy");
  expectBox(ui, L"成功", L"应用更改成功!");

  using Both = std::pair<std::optional<DWORD>, std::optional<DWORD>>;
  for (const auto& clsid : picked)
    EXPECT_EQ(flagsOfBoth(clsid), Both(0x400, 0x400)) << "both browsers: " << std::string(clsid.begin(), clsid.end());
  EXPECT_EQ(flagsOfBoth(unblocked), Both(0x001, 0x001)) << "clearing the kill-bit keeps the value's other bit";
  const auto foreign = ui.rows(listName(1));
  for (int r : pickedRows) EXPECT_EQ(foreign[static_cast<std::size_t>(r)][2], L"已免疫");
  EXPECT_EQ(ui.rows(listName(0))[static_cast<std::size_t>(unblockedRow)][2], L"未免疫");
  EXPECT_EQ(ui.header(listName(0), 0), headerBefore) << "apply leaves the header as it was";

  // Unchecked again and applied: the kill-bit goes, the value with it, the key stays.
  ui.clickCheckBox(listName(1), pickedRows[1]);
  ASSERT_FALSE(ui.checked(listName(1), pickedRows[1]));
  ui.press(L"Command_cjmy");
  expectBox(ui, L"成功", L"应用更改成功!");
  EXPECT_EQ(flagsOfBoth(picked[1]), Both(std::nullopt, std::nullopt));
  EXPECT_TRUE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, keyOf(picked[1])));
  EXPECT_TRUE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, key32Of(picked[1])));
  EXPECT_EQ(ui.rows(listName(1))[static_cast<std::size_t>(pickedRows[1])][2], L"未免疫");
}

// Where the export goes: the path named by TROVA_IMMUNITY_EXPORT, which the
// import check (immunity_import.sh) sets and then reads; otherwise a
// temporary file removed at the end.
struct ExportFile {
  std::wstring path;
  bool keep = false;
  ExportFile() {
    if (const wchar_t* given = _wgetenv(L"TROVA_IMMUNITY_EXPORT"); given && *given) {
      path = given;
      keep = true;
    } else {
      wchar_t temp[MAX_PATH + 1] = {};
      GetTempPathW(MAX_PATH + 1, temp);
      path = std::wstring(temp) + L"trova-immunity-" + std::to_wstring(GetCurrentProcessId()) + L".reg";
    }
    DeleteFileW(path.c_str());
  }
  ~ExportFile() {
    if (!keep) DeleteFileW(path.c_str());
  }
};

// One record of cisid.dat, written here byte by byte.
std::string userRecord(const std::wstring& name, const std::wstring& clsid) {
  const std::string n = toCodePage(name, 936), id = toCodePage(clsid, 936);
  std::string r = {'\x03', '\x00', static_cast<char>(n.size()), '\x00'};
  r += n;
  r += {static_cast<char>(id.size()), '\x00'};
  r += id;
  r.resize(128, '\0');
  return r;
}

TEST(ImmunityExport, WritesEveryListedControlThroughTheSaveDialog) {
  UserFile userFile;
  {
    std::ofstream out(userFile.path.c_str(), std::ios::binary);
    // The second CLSID holds what a registry file or a command line reads
    // specially: the import check (immunity_import.sh) finds its key by name.
    out << userRecord(L"演示用户控件", L"{33333333-AAAA-4BBB-8CCC-000000000001}")
        << userRecord(L"Second demo", L"{33333333-AAAA-4BBB-8CCC-000000000002 %\";=\t}");
  }
  ExportFile file;
  UiSession ui;
  const auto lists = allLists(ui);
  ASSERT_EQ(lists[3].size(), 2u);

  ui.press(L"Command_cjmydc");
  HWND dialog = ui.waitForDialog(L"导出");
  ASSERT_NE(dialog, nullptr) << "no save dialog titled 导出";
  HWND name = fileNameField(dialog);
  ASSERT_NE(name, nullptr);
  SetWindowTextW(name, file.path.c_str());
  ui.answer(dialog, IDOK);
  expectBox(ui, L"提示", L"导出成功!");

  // Two header lines, then for every row of the four lists in order, checked
  // or not, three lines for each browser's key; ANSI, CR LF, the last line a
  // single space.
  const std::wstring text = fromCodePage(readBytes(file.path), CP_ACP);
  std::wstring expected = L"REGEDIT4\r\n \r\n";
  std::size_t rows = 0;
  for (const auto& list : lists)
    for (const auto& row : list) {
      for (const auto& key : {keyOf(row[1]), key32Of(row[1])})
        expected += L"[HKEY_LOCAL_MACHINE\\" + key + L"]\r\n\"Compatibility Flags\"=dword:00000400\r\n \r\n";
      ++rows;
    }
  EXPECT_EQ(rows, 782u + 2u);
  EXPECT_TRUE(text == expected) << "the export differs from the rows listed; it has " << text.size()
                                << " characters, " << expected.size() << " expected";
}

TEST(ImmunityWindow, UserEntriesAddedAndSavedComeBackAfterARestart) {
  UserFile userFile;
  RegistrySeed seed;
  const std::wstring blocked = L"{22222222-AAAA-4BBB-8CCC-000000000001}";
  const std::wstring open = L"{22222222-AAAA-4BBB-8CCC-000000000002}";
  seed.clear(HKEY_LOCAL_MACHINE, keyOf(open));
  seed.clear(HKEY_LOCAL_MACHINE, key32Of(open));
  seed.dword(HKEY_LOCAL_MACHINE, keyOf(blocked), kFlags, 0x400);
  seed.dword(HKEY_LOCAL_MACHINE, key32Of(blocked), kFlags, 0x400);
  const Rows added = {{L"演示控件甲", blocked, L"已免疫"}, {L"未命名", open, L"未免疫"}};
  const std::wstring header = L"插件名称 (未免疫1项,总2项)";
  {
    UiSession ui;
    ui.pickTab(L"SSTab_cjmy", 3);
    expectBox(ui, L"提示", L"trova将会在程序所在目录创建一个cisid.dat文件以保存自定义插件数据");

    ui.press(L"Command_yhzdytj");
    EXPECT_EQ(answerInput(ui, L"演示控件甲"), L"请输入插件名称:");
    EXPECT_EQ(answerInput(ui, blocked), L"请输入插件cisid:\r\n例如:{00000000-0000-0000-0000-000000000000}");
    ui.press(L"Command_yhzdytj");
    answerInput(ui, L"typed, then cancelled", IDCANCEL);
    answerInput(ui, open);
    // Neither brace: refused, nothing added.
    ui.press(L"Command_yhzdytj");
    answerInput(ui, L"坏的");
    answerInput(ui, L"ABC");
    expectBox(ui, L"结果", L"添加失败!");

    EXPECT_EQ(ui.rows(listName(3)), added);
    EXPECT_TRUE(ui.checked(listName(3), 0));
    EXPECT_FALSE(ui.checked(listName(3), 1));
    EXPECT_EQ(ui.header(listName(3), 0), header);
    EXPECT_EQ(GetFileAttributesW(userFile.path.c_str()), INVALID_FILE_ATTRIBUTES) << "adding writes no file";

    ui.press(L"Command_yhzdybc");
    expectBox(ui, L"提示", L"保存成功!");
  }
  const std::string bytes = readBytes(userFile.path);
  ASSERT_EQ(bytes.size(), 256u);
  EXPECT_EQ(bytes.substr(0, 4 + 10), std::string("\x03\x00\x0a\x00", 4) + toCodePage(L"演示控件甲", 936));

  UiSession restarted;
  EXPECT_EQ(restarted.rows(listName(3)), added);
  EXPECT_TRUE(restarted.checked(listName(3), 0));
  EXPECT_FALSE(restarted.checked(listName(3), 1));
  EXPECT_EQ(restarted.header(listName(3), 0), header);
  restarted.pickTab(L"SSTab_cjmy", 3);
  EXPECT_EQ(restarted.waitForDialog(L"提示", 1000), nullptr) << "no notice once the file exists";
}

}  // namespace
}  // namespace trova::test
