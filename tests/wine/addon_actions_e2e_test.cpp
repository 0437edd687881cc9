// The add-on page end to end: seeded add-ons in Wine's real registry, the real
// window driven as a user would, and the results read back from outside the
// program — the registry through reg.exe, the export file byte for byte, the
// web look-up through a shell that records what it was asked to open.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "app/list_behaviour.h"
#include "harness/file_dialog.h"
#include "harness/reg_query.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"

namespace trova::test {
namespace {

const std::wstring kBho = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kExt = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const std::wstring kBar = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
const std::wstring kMenu = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
const std::wstring kSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";

// Identifiers chosen so that the order the list is filled in (helpers,
// extensions, toolbars, context menus) is not their sorted order.
const std::wstring kHelperId = L"{11111111-AAAA-4BBB-8CCC-000000000002}";
const std::wstring kExtId = L"{11111111-AAAA-4BBB-8CCC-000000000001}";
const std::wstring kBarId = L"{11111111-AAAA-4BBB-8CCC-000000000003}";
const std::wstring kOtherBarId = L"{11111111-AAAA-4BBB-8CCC-000000000009}";
const std::wstring kMenuText = L"用演示下载器下载";
const std::wstring kHelper32Id = L"{11111111-AAAA-4BBB-8CCC-000000000032}";

// Where the 64-bit view shows a key of the 32-bit view.
std::wstring wow(const std::wstring& softwarePath) { return L"SOFTWARE\\Wow6432Node" + softwarePath.substr(8); }

const std::wstring kList = L"ListView_cjgl";
const std::wstring kDisable = L"Command_cjgljy";
const std::wstring kEnable = L"Command_cjglqy";
const std::wstring kDelete = L"Command_cjglsc";
const std::wstring kExport = L"Command_cjgldc";
enum { kAddonTab = 1 };
enum Column { Name = 0, Id = 1, State = 2, Type = 3, File = 4 };

// Every test starts from the four add-on places and the disabled marks empty,
// and leaves them (and the classes it registered) removed.
struct AddonSeed : RegistrySeed {
  AddonSeed() {
    for (const auto& k : {kBho, kExt, kBar}) {
      clear(HKEY_LOCAL_MACHINE, k);
      clear(HKEY_LOCAL_MACHINE, wow(k));
    }
    clear(HKEY_CURRENT_USER, kMenu);
    clear(HKEY_CURRENT_USER, kSettings);
  }
  void classKey(const std::wstring& id, const std::wstring& name, const std::wstring& file) {
    text(HKEY_CLASSES_ROOT, L"CLSID\\" + id, L"", name);
    text(HKEY_CLASSES_ROOT, L"CLSID\\" + id + L"\\InprocServer32", L"", file);
  }
  void helper() {
    classKey(kHelperId, L"演示帮助对象", L"C:\\Demo\\helper.dll");
    key(HKEY_LOCAL_MACHINE, kBho + L"\\" + kHelperId);
  }
  void extension() {
    classKey(kExtId, L"Research Bar", L"C:\\Demo\\ext.dll");
    key(HKEY_LOCAL_MACHINE, kExt + L"\\" + kExtId);
  }
  void toolbar(const std::wstring& id = kBarId, const std::wstring& name = L"") {
    text(HKEY_LOCAL_MACHINE, kBar, id, name);
  }
  // A helper object of the 32-bit browser, written as a 32-bit installer would.
  void helper32() {
    clear(HKEY_CLASSES_ROOT, L"Wow6432Node\\CLSID\\" + kHelper32Id);
    const std::wstring cls = L"\"HKCR\\CLSID\\" + kHelper32Id;
    for (const std::wstring& args : {L"add " + cls + L"\" /ve /d 演示32位帮助对象 /f /reg:32",
                                     L"add " + cls + L"\\InprocServer32\" /ve /d C:\\Demo\\x86.dll /f /reg:32",
                                     L"add \"HKLM\\" + kBho + L"\\" + kHelper32Id + L"\" /f /reg:32"})
      if (regExe(args).exitCode != 0) throw std::runtime_error("reg add failed");
  }
  void menu(const std::wstring& menuText = kMenuText) {
    text(HKEY_CURRENT_USER, kMenu + L"\\" + menuText, L"", L"C:\\Demo\\menu.htm");
  }
  // A disabled mark written by someone else: Flags = 0 and a value of its own.
  void foreignMark(const std::wstring& id) {
    dword(HKEY_CURRENT_USER, kSettings + L"\\" + id, L"Flags", 0);
    text(HKEY_CURRENT_USER, kSettings + L"\\" + id, L"Version", L"*");
  }
};

// Shell calls arrive on the window's thread while the test thread reads them.
class RecordingShell final : public Shell {
 public:
  ShellResult open(const std::wstring& target) override {
    std::lock_guard<std::mutex> lock(mutex_);
    opened_.push_back(target);
    return {};
  }
  ShellResult start(const std::wstring& program, const std::wstring& arguments) override {
    std::lock_guard<std::mutex> lock(mutex_);
    started_.push_back(program + L" " + arguments);
    return {};
  }
  std::wstring expandVariables(const std::wstring& text) override { return text; }
  std::vector<std::wstring> opened() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opened_;
  }
  std::vector<std::wstring> started() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return started_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> opened_;
  std::vector<std::wstring> started_;
};

std::string narrow(const std::wstring& s) {
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

std::vector<std::wstring> linesOf(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wstringstream in(text);
  for (std::wstring line; std::getline(in, line);) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<std::wstring> wordsOf(const std::wstring& line) {
  std::vector<std::wstring> words;
  std::wstringstream in(line);
  for (std::wstring w; in >> w;) words.push_back(w);
  return words;
}

// The sub-keys reg.exe lists under a key (their last path element), or the
// failure when the key cannot be read.
std::vector<std::wstring> subKeysByReg(const std::wstring& root, const std::wstring& path) {
  const std::wstring full = root + L"\\" + path;
  RegOutput r = regQuery(quoted(full));
  EXPECT_EQ(r.exitCode, 0u) << "reg query " << narrow(full) << "\n" << narrow(r.text);
  std::vector<std::wstring> names;
  for (const auto& line : linesOf(r.text))
    if (line.size() > full.size() + 1 && _wcsnicmp(line.c_str(), (full + L"\\").c_str(), full.size() + 1) == 0)
      names.push_back(line.substr(full.size() + 1));
  return names;
}

bool contains(const std::vector<std::wstring>& v, const std::wstring& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// ---- the window -----------------------------------------------------------------

using Rows = std::vector<std::vector<std::wstring>>;

int rowWhere(const UiSession& ui, int column, const std::wstring& text) {
  const Rows rows = ui.rows(kList);
  for (std::size_t r = 0; r < rows.size(); ++r)
    if (rows[r][static_cast<std::size_t>(column)] == text) return static_cast<int>(r);
  return -1;
}

std::vector<std::wstring> column(const UiSession& ui, int c) {
  std::vector<std::wstring> out;
  for (const auto& row : ui.rows(kList)) out.push_back(row[static_cast<std::size_t>(c)]);
  return out;
}

// Presses "删除" and answers the box it shows; returns the box's text.
std::wstring deleteSelected(const UiSession& ui) {
  ui.press(kDelete);
  HWND box = ui.waitForDialog(L"提示");
  if (!box) return L"(no box)";
  std::wstring text = ui.dialogText(box);
  ui.answer(box, IDOK);
  EXPECT_TRUE(ui.waitForNoDialog(L"提示"));
  ui.sync();
  return text;
}

// The visible pop-up menu of this process ("#32768"), or null after the time limit.
HWND waitForPopupMenu(int timeoutMs = 10000) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        EnumWindows(
            [](HWND w, LPARAM lp) -> BOOL {
              DWORD pid = 0;
              GetWindowThreadProcessId(w, &pid);
              wchar_t cls[16] = {};
              GetClassNameW(w, cls, 16);
              if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || lstrcmpW(cls, L"#32768") != 0) return TRUE;
              *reinterpret_cast<HWND*>(lp) = w;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

// Right-clicks a row and chooses the pop-up menu's one item by keyboard, as the
// menu's own loop reads it: down to the item, then Enter.
void chooseDetails(const UiSession& ui, int row) {
  ui.rightClickRow(kList, row);
  HWND menu = waitForPopupMenu();
  ASSERT_NE(menu, nullptr) << "no pop-up menu after a right click";
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYUP, VK_DOWN, 0xC0000001);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(menu, WM_KEYUP, VK_RETURN, 0xC0000001);
  EXPECT_TRUE(waitUntil([] { return waitForPopupMenu(0) == nullptr; })) << "the pop-up menu stayed open";
  ui.sync();
}

// ---- disable, enable, delete -------------------------------------------------------

TEST(AddonActionsWindow, DisableWritesTheMarkAndEnableRemovesIt) {
  AddonSeed seed;
  seed.helper();
  seed.extension();
  seed.foreignMark(kExtId);
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  const std::wstring helperMark = L"HKCU\\" + kSettings + L"\\" + kHelperId;

  int row = rowWhere(ui, Id, kHelperId);
  ASSERT_GE(row, 0);
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(row)][State], L"已启用");
  EXPECT_EQ(regQuery(quoted(helperMark)).exitCode, kRegNotFound) << "no mark before 禁用";
  ui.clickRow(kList, row);
  ui.press(kDisable);
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(row)][State], L"已禁用");
  RegOutput flags = regQuery(quoted(helperMark) + L" /v Flags");
  ASSERT_EQ(flags.exitCode, 0u) << narrow(flags.text);
  bool sawFlags = false;
  for (const auto& line : linesOf(flags.text))
    if (wordsOf(line) == std::vector<std::wstring>{L"Flags", L"REG_DWORD", L"0x1"}) sawFlags = true;
  EXPECT_TRUE(sawFlags) << narrow(flags.text);

  ui.press(kEnable);
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(row)][State], L"已启用");
  EXPECT_EQ(regQuery(quoted(helperMark)).exitCode, kRegNotFound) << "the mark is gone after 启用";
  EXPECT_FALSE(contains(subKeysByReg(L"HKEY_CURRENT_USER", kSettings), kHelperId));

  // A mark someone else wrote: 禁用 sets Flags to 1 again and keeps the key's
  // other values; 启用 removes the whole key.
  row = rowWhere(ui, Id, kExtId);
  ASSERT_GE(row, 0);
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(row)][State], L"已禁用");
  ui.clickRow(kList, row);
  ui.press(kDisable);
  DWORD value = 0, size = sizeof(value);
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (kSettings + L"\\" + kExtId).c_str(), L"Flags", RRF_RT_REG_DWORD,
                         nullptr, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
  EXPECT_TRUE(RegistrySeed::hasValue(HKEY_CURRENT_USER, kSettings + L"\\" + kExtId, L"Version"));
  ui.press(kEnable);
  EXPECT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, kSettings + L"\\" + kExtId));
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(row)][State], L"已启用");

  // The next pick of the tab reads the states back from the registry.
  ui.clickRow(kList, rowWhere(ui, Id, kHelperId));
  ui.press(kDisable);
  ui.pickTab(L"TabStrip_cjmy", 3);
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(rowWhere(ui, Id, kHelperId))][State], L"已禁用");
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(rowWhere(ui, Id, kExtId))][State], L"已启用");
}

TEST(AddonActionsWindow, DeleteRemovesEachKindFromItsOwnPlace) {
  AddonSeed seed;
  seed.helper();
  seed.extension();
  seed.toolbar();
  seed.toolbar(kOtherBarId, L"另一个工具栏");
  seed.menu();
  seed.helper32();
  seed.dword(HKEY_CURRENT_USER, kSettings + L"\\" + kHelperId, L"Flags", 1);
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  ASSERT_EQ(ui.rows(kList).size(), 6u);
  ASSERT_TRUE(contains(subKeysByReg(L"HKEY_LOCAL_MACHINE", kBho), kHelperId));
  ASSERT_TRUE(contains(subKeysByReg(L"HKEY_CURRENT_USER", kMenu), kMenuText)) << "reg.exe lists the Chinese key name";

  // A helper object: its sub-key under Browser Helper Objects goes; its class
  // registration and its disabled mark stay.
  ui.clickRow(kList, rowWhere(ui, Id, kHelperId));
  EXPECT_EQ(deleteSelected(ui), L"删除成功!");
  EXPECT_EQ(rowWhere(ui, Id, kHelperId), -1);
  EXPECT_FALSE(contains(subKeysByReg(L"HKEY_LOCAL_MACHINE", kBho), kHelperId));
  EXPECT_TRUE(RegistrySeed::exists(HKEY_CLASSES_ROOT, L"CLSID\\" + kHelperId + L"\\InprocServer32"));
  EXPECT_TRUE(RegistrySeed::exists(HKEY_CURRENT_USER, kSettings + L"\\" + kHelperId));

  // The 32-bit browser's helper object goes from its own view.
  const int row32 = rowWhere(ui, Id, kHelper32Id);
  ASSERT_GE(row32, 0);
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(row32)][Type], L"浏览器帮助项 (32位)");
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(row32)][Name], L"演示32位帮助对象");
  ui.clickRow(kList, row32);
  EXPECT_EQ(deleteSelected(ui), L"删除成功!");
  EXPECT_EQ(regQuery(quoted(L"HKLM\\" + kBho + L"\\" + kHelper32Id) + L" /reg:32").exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(quoted(L"HKCR\\CLSID\\" + kHelper32Id) + L" /reg:32").exitCode, 0u) << "its class stays";

  // A toolbar: only its value under Toolbar goes.
  ui.clickRow(kList, rowWhere(ui, Id, kBarId));
  EXPECT_EQ(deleteSelected(ui), L"删除成功!");
  EXPECT_EQ(rowWhere(ui, Id, kBarId), -1);
  const std::wstring toolbar = quoted(L"HKLM\\" + kBar);
  EXPECT_EQ(regQuery(toolbar + L" /v " + kBarId).exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(toolbar + L" /v " + kOtherBarId).exitCode, 0u);

  // A context-menu entry: the sub-key named by its menu text goes.
  ui.clickRow(kList, rowWhere(ui, Name, kMenuText));
  EXPECT_EQ(deleteSelected(ui), L"删除成功!");
  EXPECT_EQ(rowWhere(ui, Name, kMenuText), -1);
  EXPECT_FALSE(contains(subKeysByReg(L"HKEY_CURRENT_USER", kMenu), kMenuText));

  // The count in the header waits for the next pick of the tab, which finds
  // only what is left.
  EXPECT_EQ(ui.header(kList, 0), L"插件名称,总6个");
  ui.pickTab(L"TabStrip_cjmy", 3);
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  EXPECT_EQ(column(ui, Id), (std::vector<std::wstring>{kExtId, kOtherBarId}));
  EXPECT_EQ(ui.header(kList, 0), L"插件名称,总2个");
}

TEST(AddonActionsWindow, WithNoRowSelectedTheButtonsDoNothing) {
  AddonSeed seed;
  seed.helper();
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  ASSERT_EQ(ui.rows(kList).size(), 1u);
  ui.press(kDisable);
  ui.press(kDelete);
  EXPECT_EQ(ui.waitForDialog(L"提示", 300), nullptr);
  EXPECT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, kSettings + L"\\" + kHelperId));
  EXPECT_TRUE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, kBho + L"\\" + kHelperId));
  EXPECT_EQ(ui.rows(kList).size(), 1u);
}

// ---- export -------------------------------------------------------------------------


std::wstring scratchFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring dir = std::wstring(temp) + L"trova-addon-export-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

std::string readBytes(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "(missing)";
  std::string bytes;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof(buf), &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(f);
  return bytes;
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(f);
}


// The export log of the three seeded rows, spelled out in GBK bytes. Adjacent
// literals keep a hex escape from running into the text after it.
std::string expectedLog() {
  const std::string crlf = "\r\n";
  const std::string name = "\xC3\xFB\xB3\xC6:";         // 名称:
  const std::string state = "\xD7\xB4\xCC\xAC:";        // 状态:
  const std::string type = "\xC0\xE0\xD0\xCD:";         // 类型:
  const std::string file = "\xCE\xC4\xBC\xFE:";         // 文件:
  const std::string enabled = "\xD2\xD1\xC6\xF4\xD3\xC3";   // 已启用
  const std::string disabled = "\xD2\xD1\xBD\xFB\xD3\xC3";  // 已禁用
  std::string log;
  log += "Trova" "\xC8\xD5\xD6\xBE\xCE\xC4\xBC\xFE" + crlf;  // Trova日志文件
  log += " " + crlf;
  // 演示帮助对象, a helper object
  log += name + "\xD1\xDD\xCA\xBE\xB0\xEF\xD6\xFA\xB6\xD4\xCF\xF3" + crlf;
  log += "cisid:{11111111-AAAA-4BBB-8CCC-000000000002}" + crlf;
  log += state + enabled + crlf;
  log += type + "\xE4\xAF\xC0\xC0\xC6\xF7\xB0\xEF\xD6\xFA\xCF\xEE" + crlf;  // 浏览器帮助项
  log += file + "C:\\Demo\\helper.dll" + crlf;
  log += " " + crlf;
  // a toolbar without a name (未知), disabled by a mark
  log += name + "\xCE\xB4\xD6\xAA" + crlf;
  log += "cisid:{11111111-AAAA-4BBB-8CCC-000000000003}" + crlf;
  log += state + disabled + crlf;
  log += type + "\xE4\xAF\xC0\xC0\xC6\xF7\xB9\xA4\xBE\xDF\xCF\xEE" + crlf;           // 浏览器工具项
  log += file + "\xCE\xC4\xBC\xFE\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD" + crlf;            // 文件没有找到
  log += " " + crlf;
  // 用演示下载器下载, a context-menu entry (缺省)
  log += name + "\xD3\xC3\xD1\xDD\xCA\xBE\xCF\xC2\xD4\xD8\xC6\xF7\xCF\xC2\xD4\xD8" + crlf;
  log += "cisid:" "\xC8\xB1\xCA\xA1" + crlf;
  log += state + enabled + crlf;
  log += type + "\xE4\xAF\xC0\xC0\xC6\xF7\xD3\xD2\xBC\xFC\xB2\xCB\xB5\xA5" + crlf;  // 浏览器右键菜单
  log += file + "C:\\Demo\\menu.htm" + crlf;
  log += " " + crlf;
  return log;
}

TEST(AddonActionsWindow, ExportWritesTheListAsGbkTextToTheChosenFile) {
  AddonSeed seed;
  seed.helper();
  seed.toolbar();
  seed.dword(HKEY_CURRENT_USER, kSettings + L"\\" + kBarId, L"Flags", 1);
  seed.menu();
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  ASSERT_EQ(ui.rows(kList).size(), 3u);

  const std::wstring dir = scratchFolder();
  const std::wstring path = dir + L"\\插件日志.txt";
  // A longer file of that name is there already: the export replaces it whole.
  writeBytes(path, std::string(4096, 'x'));

  ui.press(kExport);
  HWND dialog = ui.waitForDialog(L"导出");
  ASSERT_NE(dialog, nullptr) << "no save dialog titled 导出";
  ui.sync();  // whatever the dialog posted itself while starting is done
  EXPECT_EQ(fileTypes(dialog), std::vector<std::wstring>{L"文本文件 (*.txt)"});
  wchar_t folder[MAX_PATH] = {}, program[MAX_PATH] = {};
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  *wcsrchr(program, L'\\') = L'\0';
  EXPECT_EQ(_wcsicmp(folder, program), 0) << "it opens in the program's folder, not " << narrow(folder);
  HWND field = fileNameField(dialog);
  ASSERT_NE(field, nullptr) << "no file name field";
  // Typed without its extension: the dialog adds "txt".
  const std::wstring typed = dir + L"\\插件日志";
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  ui.answer(dialog, IDOK);
  EXPECT_TRUE(ui.waitForNoDialog(L"导出"));

  HWND box = ui.waitForDialog(L"提示");
  ASSERT_NE(box, nullptr) << "no message after the export";
  EXPECT_EQ(ui.dialogText(box), L"导出成功!");
  ui.answer(box, IDOK);
  EXPECT_TRUE(ui.waitForNoDialog(L"提示"));

  const std::string written = readBytes(path);
  EXPECT_EQ(written, expectedLog());
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 20) << "two head lines and six per row";
  EXPECT_EQ(GetFileAttributesW(typed.c_str()), INVALID_FILE_ATTRIBUTES) << "no file without the extension";
  DeleteFileW(path.c_str());
  RemoveDirectoryW(dir.c_str());
}

TEST(AddonActionsWindow, CancellingTheExportWritesNothingAndSaysNothing) {
  AddonSeed seed;
  seed.helper();
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  const std::wstring dir = scratchFolder();
  const std::wstring path = dir + L"\\取消.txt";

  ui.press(kExport);
  HWND dialog = ui.waitForDialog(L"导出");
  ASSERT_NE(dialog, nullptr);
  ui.sync();
  HWND field = fileNameField(dialog);
  ASSERT_NE(field, nullptr);
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  ui.answer(dialog, IDCANCEL);
  EXPECT_TRUE(ui.waitForNoDialog(L"导出"));
  // The handler has returned once the window answers again; a box would be up by then.
  ui.sync();
  EXPECT_EQ(ui.waitForDialog(L"提示", 300), nullptr);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveDirectoryW(dir.c_str());
}

// ---- sorting, greying, details ------------------------------------------------------

TEST(ListBehaviourWindow, HeaderClicksSortAscendingThenFlipAndSurviveARefill) {
  AddonSeed seed;
  seed.helper();
  seed.extension();
  seed.toolbar();
  seed.menu();
  seed.dword(HKEY_CURRENT_USER, kSettings + L"\\" + kExtId, L"Flags", 1);
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  using Ids = std::vector<std::wstring>;
  const Ids ascending{kExtId, kHelperId, kBarId, L"缺省"};
  const Ids descending(ascending.rbegin(), ascending.rend());
  ASSERT_EQ(column(ui, Id), (Ids{kHelperId, kExtId, kBarId, L"缺省"})) << "filled in source order";

  ui.clickColumn(kList, Id);
  EXPECT_EQ(column(ui, Id), ascending) << "a first click sorts ascending";
  ui.clickColumn(kList, Id);
  EXPECT_EQ(column(ui, Id), descending) << "the same column again flips";
  ui.clickColumn(kList, Id);
  EXPECT_EQ(column(ui, Id), ascending) << "and a third click flips back";

  // Another column sorts ascending; clicked again, descending; and the next
  // column is ascending again, whatever the direction was before.
  // Chinese sorts by pinyin in a zh_CN locale: 已禁用 (jin) before 已启用 (qi),
  // although 启 has the lower character code.
  ui.clickColumn(kList, State);
  EXPECT_EQ(column(ui, State), (Ids{L"已禁用", L"已启用", L"已启用", L"已启用"}));
  ui.clickColumn(kList, State);
  EXPECT_EQ(column(ui, State), (Ids{L"已启用", L"已启用", L"已启用", L"已禁用"}));
  ui.clickColumn(kList, Id);
  EXPECT_EQ(column(ui, Id), ascending);
  // Whole rows move, not single cells.
  EXPECT_EQ(ui.rows(kList)[0], (std::vector<std::wstring>{L"Research Bar", kExtId, L"已禁用", L"浏览器扩展项",
                                                           L"C:\\Demo\\ext.dll"}));

  // The sort stays with the list: a refill comes back sorted.
  ui.clickColumn(kList, Id);
  ui.pickTab(L"TabStrip_cjmy", 3);
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  EXPECT_EQ(column(ui, Id), descending);
}

TEST(ListBehaviourWindow, RowClicksGreyEnableAndDisableForContextMenuEntries) {
  AddonSeed seed;
  seed.helper();
  seed.menu();
  // Some other add-on really is named "缺省"; its mark must stay as it is.
  seed.dword(HKEY_CURRENT_USER, kSettings + L"\\缺省", L"Flags", 0);
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  const int menuRow = rowWhere(ui, Type, L"浏览器右键菜单");
  const int helperRow = rowWhere(ui, Type, L"浏览器帮助项");
  ASSERT_GE(menuRow, 0);
  ASSERT_GE(helperRow, 0);
  EXPECT_TRUE(ui.enabled(kEnable));
  EXPECT_TRUE(ui.enabled(kDisable));

  ui.clickRow(kList, menuRow);
  EXPECT_FALSE(ui.enabled(kEnable));
  EXPECT_FALSE(ui.enabled(kDisable));
  EXPECT_TRUE(ui.enabled(kDelete));
  EXPECT_TRUE(ui.enabled(kExport));

  // Only a row click changes them: a refill of the list leaves them greyed.
  ui.pickTab(L"TabStrip_cjmy", 3);
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  EXPECT_FALSE(ui.enabled(kEnable));
  EXPECT_FALSE(ui.enabled(kDisable));

  ui.clickRow(kList, helperRow);
  EXPECT_TRUE(ui.enabled(kEnable));
  EXPECT_TRUE(ui.enabled(kDisable));

  // Moving to the context-menu entry by keyboard is no row click, so the
  // buttons stay enabled; pressing "禁用" then must not write a mark named "缺省".
  ASSERT_EQ(menuRow, helperRow + 1) << "helpers are listed before context-menu entries";
  PostMessageW(ui.control(kList), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(ui.control(kList), WM_KEYUP, VK_DOWN, 0xC0000001);
  ui.sync();
  ASSERT_EQ(ui.rows(kList)[static_cast<std::size_t>(menuRow)][Name], kMenuText);
  ASSERT_TRUE(waitUntil([&] {
    return SendMessageW(ui.control(kList), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == menuRow;
  }, 3000)) << "the down key did not move the selection";
  EXPECT_TRUE(ui.enabled(kDisable));
  const std::wstring defaultMark = kSettings + L"\\缺省";
  ui.press(kDisable);
  DWORD flags = 7, size = sizeof(flags);
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, defaultMark.c_str(), L"Flags", RRF_RT_REG_DWORD, nullptr, &flags, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(flags, 0u) << "禁用 wrote to the mark of an add-on named 缺省";
  EXPECT_EQ(ui.rows(kList)[static_cast<std::size_t>(menuRow)][State], L"已启用");
  ui.press(kEnable);
  EXPECT_TRUE(RegistrySeed::exists(HKEY_CURRENT_USER, defaultMark)) << "启用 removed the mark of an add-on named 缺省";
  EXPECT_EQ(ui.waitForDialog(L"提示", 300), nullptr);
}

TEST(ListBehaviourWindow, ViewDetailsOpensAnEscapedSearchForTheRightClickedRow) {
  AddonSeed seed;
  seed.helper();
  const std::wstring tricky = L"下载 & 保存 #1%";
  seed.menu(tricky);
  RecordingShell shell;
  UiSession ui(UiSession::Options{.shell = &shell});
  ui.pickTab(L"TabStrip_cjmy", kAddonTab);
  const int helperRow = rowWhere(ui, Id, kHelperId);
  const int menuRow = rowWhere(ui, Name, tricky);
  ASSERT_GE(helperRow, 0);
  ASSERT_GE(menuRow, 0);

  // A helper object is looked up by its class identifier.
  chooseDetails(ui, helperRow);
  ASSERT_TRUE(waitUntil([&] { return shell.opened().size() == 1; }));
  EXPECT_EQ(shell.opened()[0], std::wstring(kSearchAddress) + L"%7B11111111-AAAA-4BBB-8CCC-000000000002%7D");

  // A context-menu entry by its menu text, not by "缺省"; the right click picks
  // the row, and the text is escaped so it cannot change the address.
  chooseDetails(ui, menuRow);
  ASSERT_TRUE(waitUntil([&] { return shell.opened().size() == 2; }));
  EXPECT_EQ(shell.opened()[1],
            std::wstring(kSearchAddress) + L"%E4%B8%8B%E8%BD%BD%20%26%20%E4%BF%9D%E5%AD%98%20%231%25");
  EXPECT_TRUE(shell.started().empty());

  // Closing the menu without choosing looks nothing up.
  ui.rightClickRow(kList, helperRow);
  HWND menu = waitForPopupMenu();
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(waitUntil([] { return waitForPopupMenu(0) == nullptr; }));
  ui.sync();
  EXPECT_EQ(shell.opened().size(), 2u);
}

}  // namespace
}  // namespace trova::test
