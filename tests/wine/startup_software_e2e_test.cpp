// The startup items and installed software pages through the real window under
// Wine: entries seeded in Wine's registry are read back out of the real list
// views, the buttons are pressed as a user presses them, and what they wrote is
// checked in the registry, partly with Wine's own reg.exe. An uninstaller is a
// small program that records the command line it was started with.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "harness/file_dialog.h"
#include "harness/reg_query.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr int kSettingsTab = 2;  // "系统设置" on TabStrip_cjmy
constexpr int kSoftwareTab = 1;  // "软件卸载" on SSTab_xtsz
constexpr int kStartupTab = 2;   // "启动项目" on SSTab_xtsz

// For failure messages: gtest prints std::string as UTF-8.
std::string utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

// ---- Registry -------------------------------------------------------------------

// Takes the values out of a key for the test and puts them back afterwards, so
// a list shows exactly what the test seeded and the prefix is left as found.
class EmptiedKey {
 public:
  EmptiedKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      existed_ = true;
      for (DWORD i = 0;; ++i) {
        std::wstring name(16384, L'\0');
        DWORD nameLength = static_cast<DWORD>(name.size()), type = 0, size = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        name.resize(nameLength);
        std::vector<BYTE> data(size);
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
          saved_.push_back({name, type, std::move(data)});
      }
      RegCloseKey(key);
    }
    RegDeleteTreeW(root_, path_.c_str());
    RegDeleteKeyW(root_, path_.c_str());
    HKEY created = nullptr;
    if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) == ERROR_SUCCESS)
      RegCloseKey(created);
  }
  ~EmptiedKey() {
    RegDeleteTreeW(root_, path_.c_str());
    RegDeleteKeyW(root_, path_.c_str());
    if (!existed_) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    for (const auto& v : saved_)
      RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    RegCloseKey(key);
  }
  EmptiedKey(const EmptiedKey&) = delete;
  EmptiedKey& operator=(const EmptiedKey&) = delete;

 private:
  struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
  };
  HKEY root_;
  std::wstring path_;
  bool existed_ = false;
  std::vector<Value> saved_;
};

struct Stored {
  DWORD type = REG_NONE;
  std::wstring text;
  bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& v, std::ostream* os) {
  *os << (v.type == REG_EXPAND_SZ ? "REG_EXPAND_SZ " : v.type == REG_SZ ? "REG_SZ " : "type ") << utf8(v.text);
}

// A text value as stored (an expandable one not expanded), or nothing.
std::optional<Stored> stored(HKEY root, const std::wstring& path, const std::wstring& name) {
  DWORD type = 0, size = 0;
  const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  if (RegGetValueW(root, path.c_str(), name.c_str(), flags, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(root, path.c_str(), name.c_str(), flags, &type, text.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  text.resize(wcsnlen(text.c_str(), text.size()));
  return Stored{type, text};
}

// ---- Wine's reg.exe ---------------------------------------------------------------


// ---- Files ------------------------------------------------------------------------

std::wstring ownFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L'\\'));
}

// A folder of its own under %TEMP%, removed with what is in it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    // A program started from here may still be ending: try again for a while.
    waitUntil([this] { return removeFiles() && RemoveDirectoryW(path_.c_str()); }, 5000);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // Deletes the files in it; true when none is left.
  bool removeFiles() const {
    bool all = true;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return true;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        all = DeleteFileW((path_ + L"\\" + found.cFileName).c_str()) && all;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return all;
  }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

std::optional<std::string> readFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(f);
  return bytes;
}

std::wstring fromUtf8(const std::string& bytes) {
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

// ---- The window ---------------------------------------------------------------------

void openSettings(UiSession& ui, int innerTab) {
  ui.pickTab(L"TabStrip_cjmy", kSettingsTab);
  ui.pickTab(L"SSTab_xtsz", innerTab);
}

// A fresh pick of "系统设置" (a click on the tab already selected changes nothing).
void reloadSettings(UiSession& ui) {
  ui.pickTab(L"TabStrip_cjmy", 3);
  ui.pickTab(L"TabStrip_cjmy", kSettingsTab);
}

int rowWith(const UiSession& ui, const std::wstring& list, int column, const std::wstring& text) {
  const Rows rows = ui.rows(list);
  for (std::size_t r = 0; r < rows.size(); ++r)
    if (rows[r][static_cast<std::size_t>(column)] == text) return static_cast<int>(r);
  return -1;
}

int selectedRow(const UiSession& ui, const std::wstring& list) {
  return static_cast<int>(SendMessageW(ui.control(list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Clicks the row whose `column` shows `text`, as the mouse does, and makes sure
// the list took the click: the buttons act on the selected row.
void selectRowWith(const UiSession& ui, const std::wstring& list, int column, const std::wstring& text) {
  const int row = rowWith(ui, list, column, text);
  ASSERT_GE(row, 0) << "no row shows the text";
  ui.clickRow(list, row);
  ASSERT_EQ(selectedRow(ui, list), row);
}

// A visible top-level window of this process with this title that has a control
// of this id: the file dialog and the name prompt of "添加" share their title.
HWND waitForDialogWith(const std::wstring& title, int controlId, int timeoutMs = 15000) {
  struct Search {
    const std::wstring* title;
    int id;
    HWND found;
  };
  HWND found = nullptr;
  waitUntil(
      [&] {
        Search s{&title, controlId, nullptr};
        EnumWindows(
            [](HWND w, LPARAM lp) -> BOOL {
              auto* search = reinterpret_cast<Search*>(lp);
              DWORD pid = 0;
              GetWindowThreadProcessId(w, &pid);
              if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !GetDlgItem(w, search->id)) return TRUE;
              wchar_t text[256] = {};
              GetWindowTextW(w, text, 256);
              if (*search->title != text) return TRUE;
              search->found = w;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&s));
        return (found = s.found) != nullptr;
      },
      timeoutMs);
  return found;
}

std::wstring itemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::vector<int> columnWidths(const UiSession& ui, const std::wstring& list, int columns) {
  std::vector<int> widths;
  for (int c = 0; c < columns; ++c)
    widths.push_back(static_cast<int>(SendMessageW(ui.control(list), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0)));
  return widths;
}

// Widths given at 96 dots per inch, as the window shows them at its own DPI.
std::vector<int> scaled(std::vector<int> widths, HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  auto forWindow = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  UINT dpi = forWindow ? forWindow(window) : 0;
  if (dpi == 0) {
    HDC dc = GetDC(nullptr);
    dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
  }
  for (int& w : widths) w = MulDiv(w, static_cast<int>(dpi), 96);
  return widths;
}

// ---- Startup items --------------------------------------------------------------------

const std::wstring kAlpha = L"Alpha 演示";
const std::wstring kAlphaCommand = L"\"C:\\Program Files\\演示\\alpha.exe\" /min";
const std::wstring kBeta = L"Beta 已停用";
const std::wstring kBetaCommand = L";C:\\Demo\\beta.exe";
const std::wstring kUserFirst = L"Aa 用户项";  // sorts before every machine-wide name
const std::wstring kUserFirstCommand = L"%SystemRoot%\\system32\\notepad.exe /p";
const std::wstring kLong = L"Long";
const std::wstring kLongCommand = L"C:\\Demo\\long.exe " + std::wstring(3000, L'x');

// Both Run keys hold only what a test seeds: two machine-wide entries (one
// disabled) and two of the user's (one expandable, one longer than 2000 bytes).
struct RunKeys {
  EmptiedKey machine{HKEY_LOCAL_MACHINE, kRun};
  EmptiedKey machine32{HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node" + kRun.substr(8)};
  EmptiedKey user{HKEY_CURRENT_USER, kRun};
  RegistrySeed seed;
  RunKeys() {
    seed.text(HKEY_LOCAL_MACHINE, kRun, kAlpha, kAlphaCommand);
    seed.text(HKEY_LOCAL_MACHINE, kRun, kBeta, kBetaCommand);
    seed.text(HKEY_CURRENT_USER, kRun, kUserFirst, kUserFirstCommand, REG_EXPAND_SZ);
    seed.text(HKEY_CURRENT_USER, kRun, kLong, kLongCommand);
  }
};

TEST(StartupWindow, ListsBothRunKeysMachineWideFirstWithTheirStates) {
  RunKeys keys;
  UiSession ui;
  openSettings(ui, kStartupTab);
  EXPECT_TRUE(ui.visible(L"ListView_qdxm"));
  EXPECT_EQ(ui.rows(L"ListView_qdxm"), (Rows{
                                           {kAlpha, L"HLMR", L"已启用", kAlphaCommand},
                                           {kBeta, L"HLMR", L"已禁用", kBetaCommand},
                                           {kUserFirst, L"HCUR", L"已启用", kUserFirstCommand},
                                           {kLong, L"HCUR", L"已启用", kLongCommand},
                                       }));
  EXPECT_EQ((std::vector<std::wstring>{ui.header(L"ListView_qdxm", 0), ui.header(L"ListView_qdxm", 1),
                                       ui.header(L"ListView_qdxm", 2), ui.header(L"ListView_qdxm", 3)}),
            (std::vector<std::wstring>{L"名称", L"位置", L"状态", L"文件路径"}));
  EXPECT_EQ(columnWidths(ui, L"ListView_qdxm", 4), scaled({167, 60, 60, 170}, ui.window()));

  // Every pick of "系统设置" reads the keys again: a value added meanwhile shows,
  // a value removed meanwhile goes, and nothing is listed twice.
  keys.seed.text(HKEY_CURRENT_USER, kRun, L"Zz 后加", L"C:\\Demo\\later.exe");
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun.c_str(), kAlpha.c_str());
  // An entry a 32-bit installer wrote, in the 32-bit view's Run key.
  const std::wstring run32 = L"\"HKLM\\" + kRun + L"\"";
  ASSERT_EQ(regExe(L"add " + run32 + L" /v 三十二位 /d C:\\x86\\tray.exe /f /reg:32").exitCode, 0u);
  reloadSettings(ui);
  EXPECT_EQ(ui.rows(L"ListView_qdxm"), (Rows{
                                           {kBeta, L"HLMR", L"已禁用", kBetaCommand},
                                           {L"三十二位", L"HLMR32", L"已启用", L"C:\\x86\\tray.exe"},
                                           {kUserFirst, L"HCUR", L"已启用", kUserFirstCommand},
                                           {kLong, L"HCUR", L"已启用", kLongCommand},
                                           {L"Zz 后加", L"HCUR", L"已启用", L"C:\\Demo\\later.exe"},
                                       }));
  // It is disabled where it is.
  ui.clickRow(L"ListView_qdxm", 1);
  ui.press(L"Command_qdxmjy");
  EXPECT_TRUE(regQuery(run32 + L" /v 三十二位 /reg:32").lists(L"三十二位", L"REG_SZ", L";C:\\x86\\tray.exe"));
  EXPECT_EQ(regQuery(run32 + L" /v 三十二位 /reg:64").exitCode, kRegNotFound);
}

TEST(StartupWindow, DisableAndEnableAddAndTakeOffOneMarkKeepingTheValueType) {
  RunKeys keys;
  UiSession ui;
  openSettings(ui, kStartupTab);

  // Twice "禁用" on the expandable entry: two marks, still REG_EXPAND_SZ.
  selectRowWith(ui, L"ListView_qdxm", 0, kUserFirst);
  ui.press(L"Command_qdxmjy");
  ui.press(L"Command_qdxmjy");
  EXPECT_FALSE(ui.waitForDialog(L"提示", 0)) << "a write that succeeded reports nothing";
  const std::wstring twice = L";;" + kUserFirstCommand;
  EXPECT_EQ(stored(HKEY_CURRENT_USER, kRun, kUserFirst), (Stored{REG_EXPAND_SZ, twice}));
  const int row = rowWith(ui, L"ListView_qdxm", 0, kUserFirst);
  ASSERT_GE(row, 0);
  EXPECT_EQ(ui.rows(L"ListView_qdxm")[static_cast<std::size_t>(row)],
            (std::vector<std::wstring>{kUserFirst, L"HCUR", L"已禁用", twice}));
  // What Wine's own tool reads back: the same type and text.
  RegOutput query = regQuery(L"\"HKCU\\" + kRun + L"\" /v \"" + kUserFirst + L"\"");
  EXPECT_EQ(query.exitCode, 0u) << utf8(query.text);
  EXPECT_TRUE(query.lists(kUserFirst, L"REG_EXPAND_SZ", twice)) << "reg.exe printed a different value";

  // Each "启用" takes back one mark; the second leaves the original command line.
  ui.press(L"Command_qdxmqy");
  EXPECT_EQ(stored(HKEY_CURRENT_USER, kRun, kUserFirst), (Stored{REG_EXPAND_SZ, L";" + kUserFirstCommand}));
  ui.press(L"Command_qdxmqy");
  EXPECT_EQ(stored(HKEY_CURRENT_USER, kRun, kUserFirst), (Stored{REG_EXPAND_SZ, kUserFirstCommand}));
  query = regQuery(L"\"HKCU\\" + kRun + L"\" /v \"" + kUserFirst + L"\"");
  EXPECT_TRUE(query.lists(kUserFirst, L"REG_EXPAND_SZ", kUserFirstCommand));

  // The machine-wide entry that was seeded disabled.
  selectRowWith(ui, L"ListView_qdxm", 0, kBeta);
  ui.press(L"Command_qdxmqy");
  EXPECT_EQ(stored(HKEY_LOCAL_MACHINE, kRun, kBeta), (Stored{REG_SZ, L"C:\\Demo\\beta.exe"}));

  // A command line longer than 2000 bytes is written back whole.
  selectRowWith(ui, L"ListView_qdxm", 0, kLong);
  ui.press(L"Command_qdxmjy");
  EXPECT_EQ(stored(HKEY_CURRENT_USER, kRun, kLong), (Stored{REG_SZ, L";" + kLongCommand}));

  // The next load computes the states from the stored data.
  reloadSettings(ui);
  EXPECT_EQ(ui.rows(L"ListView_qdxm"), (Rows{
                                           {kAlpha, L"HLMR", L"已启用", kAlphaCommand},
                                           {kBeta, L"HLMR", L"已启用", L"C:\\Demo\\beta.exe"},
                                           {kUserFirst, L"HCUR", L"已启用", kUserFirstCommand},
                                           {kLong, L"HCUR", L"已禁用", L";" + kLongCommand},
                                       }));
}

TEST(StartupWindow, DeleteRemovesOnlyThatValue) {
  RunKeys keys;
  UiSession ui;
  openSettings(ui, kStartupTab);
  selectRowWith(ui, L"ListView_qdxm", 0, kAlpha);
  ui.press(L"Command_qdxmsc");
  EXPECT_EQ(rowWith(ui, L"ListView_qdxm", 0, kAlpha), -1);
  EXPECT_EQ(ui.rows(L"ListView_qdxm").size(), 3u);
  EXPECT_FALSE(RegistrySeed::hasValue(HKEY_LOCAL_MACHINE, kRun, kAlpha));
  RegOutput gone = regQuery(L"\"HKLM\\" + kRun + L"\" /v \"" + kAlpha + L"\"");
  EXPECT_NE(gone.exitCode, 0u) << "reg.exe still finds the deleted value";
  EXPECT_EQ(stored(HKEY_LOCAL_MACHINE, kRun, kBeta), (Stored{REG_SZ, kBetaCommand}));
  EXPECT_EQ(stored(HKEY_CURRENT_USER, kRun, kUserFirst), (Stored{REG_EXPAND_SZ, kUserFirstCommand}));

  // A user's entry with the same name as a machine-wide one is another value.
  keys.seed.text(HKEY_CURRENT_USER, kRun, kBeta, L"C:\\Demo\\mine.exe");
  reloadSettings(ui);
  selectRowWith(ui, L"ListView_qdxm", 3, L"C:\\Demo\\mine.exe");
  ui.press(L"Command_qdxmsc");
  EXPECT_FALSE(RegistrySeed::hasValue(HKEY_CURRENT_USER, kRun, kBeta));
  EXPECT_EQ(stored(HKEY_LOCAL_MACHINE, kRun, kBeta), (Stored{REG_SZ, kBetaCommand}));
  EXPECT_EQ(rowWith(ui, L"ListView_qdxm", 3, kBetaCommand), 0);
}


// "添加" as a user does it: the file dialog, then the name prompt.
void addStartupItem(UiSession& ui, const std::wstring& path, const std::wstring& name,
                    std::vector<std::wstring>* fileTypes = nullptr, std::wstring* folder = nullptr) {
  ui.press(L"Command_qdxmtj");
  HWND files = waitForDialogWith(L"添加", kFileTypeCombo);
  ASSERT_NE(files, nullptr) << "no file dialog titled 添加";
  if (fileTypes) {
    *fileTypes = trova::test::fileTypes(files);
    if (SendMessageW(GetDlgItem(files, kFileTypeCombo), CB_GETCURSEL, 0, 0) != 0)
      fileTypes->push_back(L"(not the first preselected)");
  }
  if (folder) {
    std::wstring buffer(MAX_PATH * 4, L'\0');
    LRESULT n = SendMessageW(files, CDM_GETFOLDERPATH, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(n > 0 ? wcsnlen(buffer.c_str(), buffer.size()) : 0);
    *folder = buffer;
  }
  HWND field = fileNameField(files);
  ASSERT_NE(field, nullptr) << "no file name field";
  SetWindowTextW(field, path.c_str());
  ui.answer(files, IDOK);

  HWND prompt = waitForDialogWith(L"添加", Win32Dialogs::kInputEditId);
  ASSERT_NE(prompt, nullptr) << "no name prompt titled 添加";
  EXPECT_EQ(itemText(prompt, Win32Dialogs::kInputPromptId), L"输入启动项名称:");
  if (name.empty()) {
    ui.answer(prompt, IDCANCEL);  // the same as an empty answer
  } else {
    SetDlgItemTextW(prompt, Win32Dialogs::kInputEditId, name.c_str());
    ui.answer(prompt, IDOK);
  }
  ASSERT_TRUE(ui.waitForNoDialog(L"添加"));
  ui.sync();
}

TEST(StartupWindow, AddPutsTheChosenFileIntoTheUsersRunKey) {
  RunKeys keys;
  ScratchFolder folder(L"Trova 添加 测试");
  const std::wstring program = folder.file(L"启动 演示.exe");
  CloseHandle(CreateFileW(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  // A profile need not have a Run key yet: it is created.
  RegDeleteTreeW(HKEY_CURRENT_USER, kRun.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, kRun.c_str());

  UiSession ui;
  openSettings(ui, kStartupTab);
  ASSERT_EQ(ui.rows(L"ListView_qdxm").size(), 2u);
  std::vector<std::wstring> types;
  std::wstring startFolder;
  ASSERT_NO_FATAL_FAILURE(addStartupItem(ui, program, L"我的 启动项", &types, &startFolder));
  EXPECT_EQ(types, (std::vector<std::wstring>{L"可执行文件 (*.exe)", L"批处理文件 (*.bat)"}));
  EXPECT_EQ(_wcsicmp(startFolder.c_str(), ownFolder().c_str()), 0)
      << "the dialog opens in the program's folder, not " << utf8(startFolder);
  EXPECT_FALSE(ui.waitForDialog(L"提示", 0));

  auto value = stored(HKEY_CURRENT_USER, kRun, L"我的 启动项");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(_wcsicmp(value->text.c_str(), program.c_str()), 0) << "the path as the dialog gave it, no quotes";
  Rows rows = ui.rows(L"ListView_qdxm");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], (std::vector<std::wstring>{L"我的 启动项", L"HCUR", L"已启用", value->text}));
  RegOutput query = regQuery(L"\"HKCU\\" + kRun + L"\" /v \"我的 启动项\"");
  EXPECT_TRUE(query.lists(L"我的 启动项", L"REG_SZ", value->text));

  // No name (the prompt cancelled) gives "未命名"; the same name again overwrites
  // the value, and the list shows both rows until the next load.
  ASSERT_NO_FATAL_FAILURE(addStartupItem(ui, program, L""));
  ASSERT_NO_FATAL_FAILURE(addStartupItem(ui, program, L""));
  EXPECT_EQ(stored(HKEY_CURRENT_USER, kRun, L"未命名"), (Stored{REG_SZ, value->text}));
  EXPECT_EQ(ui.rows(L"ListView_qdxm").size(), 5u);
  reloadSettings(ui);
  EXPECT_EQ(ui.rows(L"ListView_qdxm").size(), 4u);

  // Cancelling the file dialog adds nothing and asks for no name.
  ui.press(L"Command_qdxmtj");
  HWND files = waitForDialogWith(L"添加", kFileTypeCombo);
  ASSERT_NE(files, nullptr);
  ui.answer(files, IDCANCEL);
  ASSERT_TRUE(ui.waitForNoDialog(L"添加"));
  ui.sync();
  EXPECT_EQ(waitForDialogWith(L"添加", Win32Dialogs::kInputEditId, 300), nullptr);
  EXPECT_EQ(ui.rows(L"ListView_qdxm").size(), 4u);
}

// ---- Installed software ------------------------------------------------------------------

// Registrations under names of their own, removed again at the end whatever
// the test did with them. Rows of other registrations in the prefix are ignored.
const std::wstring kPrefix = L"TrovaE2E.";

struct Registrations : RegistrySeed {
  void add(const std::wstring& alias, const std::vector<std::pair<std::wstring, std::wstring>>& values) {
    clear(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + alias);
    key(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + alias);
    for (const auto& [name, data] : values) text(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + alias, name, data);
  }
};

Rows ownRows(const UiSession& ui) {
  Rows mine;
  for (auto& row : ui.rows(L"ListView_rjxz"))
    if (row[3].rfind(kPrefix, 0) == 0) mine.push_back(row);
  return mine;
}

TEST(SoftwareWindow, ListsRegistrationsThatHaveADisplayName) {
  Registrations reg;
  reg.add(kPrefix + L"1-Editor", {{L"DisplayName", L"演示编辑器"},
                                  {L"DisplayVersion", L"2.1"},
                                  {L"UninstallString", L"\"C:\\Program Files\\演示\\uninst.exe\" /S"}});
  reg.add(kPrefix + L"2-NoName", {{L"UninstallString", L"C:\\Demo\\orphan.exe"}});
  reg.add(kPrefix + L"3-NameOnly", {{L"DisplayName", L"只有名称"}});
  UiSession ui;
  openSettings(ui, kSoftwareTab);
  EXPECT_TRUE(ui.visible(L"ListView_rjxz"));
  EXPECT_EQ(ownRows(ui), (Rows{
                             {L"演示编辑器", L"2.1", L"\"C:\\Program Files\\演示\\uninst.exe\" /S", kPrefix + L"1-Editor"},
                             {L"只有名称", L"", L"", kPrefix + L"3-NameOnly"},
                         }));
  EXPECT_EQ(ui.header(L"ListView_rjxz", 3), L"别名");
  EXPECT_EQ(columnWidths(ui, L"ListView_rjxz", 4), scaled({147, 96, 200, 0}, ui.window()))
      << "the alias column is there but not shown";

  // Read again at every pick of "系统设置".
  reg.add(kPrefix + L"4-Later", {{L"DisplayName", L"后装的程序"}});
  reloadSettings(ui);
  EXPECT_EQ(ownRows(ui).size(), 3u);
  EXPECT_EQ(ownRows(ui).back(), (std::vector<std::wstring>{L"后装的程序", L"", L"", kPrefix + L"4-Later"}));
}

TEST(SoftwareWindow, RemoveEntryDeletesExactlyThatRegistration) {
  Registrations reg;
  reg.add(kPrefix + L"1-Stale", {{L"DisplayName", L"同名程序"}, {L"UninstallString", L"C:\\Demo\\stale.exe"}});
  reg.add(kPrefix + L"2-Kept", {{L"DisplayName", L"同名程序"}, {L"UninstallString", L"C:\\Demo\\kept.exe"}});
  reg.add(kPrefix + L"3-Nested", {{L"DisplayName", L"有子项的程序"}});
  reg.key(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + kPrefix + L"3-Nested\\Components");
  // The same program registered by a 32-bit installer too: a row of its own.
  const std::wstring both32 = L"Software\\Wow6432Node" + kUninstall.substr(8) + L"\\" + kPrefix + L"4-Both";
  reg.clear(HKEY_LOCAL_MACHINE, both32);
  reg.add(kPrefix + L"4-Both", {{L"DisplayName", L"两种视图"}, {L"DisplayVersion", L"64"}});
  ASSERT_EQ(regExe(L"add \"HKLM\\" + kUninstall + L"\\" + kPrefix + L"4-Both\" /v DisplayName /d 两种视图 /f /reg:32")
                .exitCode,
            0u);
  UiSession ui;
  openSettings(ui, kSoftwareTab);
  const Rows both = {{L"两种视图", L"64", L"", kPrefix + L"4-Both"}, {L"两种视图", L"", L"", kPrefix + L"4-Both"}};
  const Rows mine = ownRows(ui);
  ASSERT_GE(mine.size(), 2u);
  EXPECT_EQ(Rows(mine.end() - 2, mine.end()), both);
  // The 32-bit view's rows come after the 64-bit view's: the last one is it.
  const Rows shown = ui.rows(L"ListView_rjxz");
  int row32 = -1;
  for (int r = 0; r < static_cast<int>(shown.size()); ++r)
    if (shown[static_cast<std::size_t>(r)][3] == kPrefix + L"4-Both") row32 = r;
  ASSERT_GE(row32, 0);
  ASSERT_EQ(shown[static_cast<std::size_t>(row32)][1], L"");
  ui.clickRow(L"ListView_rjxz", row32);
  ui.press(L"Command_rjxzsc");
  const std::wstring bothKey = L"\"HKLM\\" + kUninstall + L"\\" + kPrefix + L"4-Both\"";
  EXPECT_EQ(regQuery(bothKey + L" /reg:32").exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(bothKey + L" /reg:64").exitCode, 0u) << "the 64-bit registration stays";
  selectRowWith(ui, L"ListView_rjxz", 3, kPrefix + L"4-Both");
  ui.press(L"Command_rjxzsc");

  // Two rows of the same name: the hidden alias decides which key goes.
  selectRowWith(ui, L"ListView_rjxz", 3, kPrefix + L"1-Stale");
  ui.press(L"Command_rjxzsc");
  EXPECT_FALSE(ui.waitForDialog(L"提示", 0));
  EXPECT_FALSE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + kPrefix + L"1-Stale"));
  RegOutput gone = regQuery(L"\"HKLM\\" + kUninstall + L"\\" + kPrefix + L"1-Stale\"");
  EXPECT_NE(gone.exitCode, 0u) << "reg.exe still finds the removed registration";
  EXPECT_TRUE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + kPrefix + L"2-Kept"));
  EXPECT_EQ(ownRows(ui), (Rows{
                             {L"同名程序", L"", L"C:\\Demo\\kept.exe", kPrefix + L"2-Kept"},
                             {L"有子项的程序", L"", L"", kPrefix + L"3-Nested"},
                         }));

  // A key with keys of its own is refused by the registry: the row stays and
  // the user is told why.
  selectRowWith(ui, L"ListView_rjxz", 3, kPrefix + L"3-Nested");
  ui.press(L"Command_rjxzsc");
  HWND box = ui.waitForDialog(L"提示");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ui.dialogText(box), L"无法删除“有子项的程序”的注册信息：它的注册表项下还有子项");
  ui.answer(box, IDOK);
  EXPECT_TRUE(ui.waitForNoDialog(L"提示"));
  EXPECT_TRUE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + kPrefix + L"3-Nested"));
  EXPECT_GE(rowWith(ui, L"ListView_rjxz", 3, kPrefix + L"3-Nested"), 0);
}

// The program and the arguments a started program was given, as it split them.
std::vector<std::wstring> argumentsOf(const std::wstring& commandLine) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &argc);
  if (!argv) return {};
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  return args;
}

// What follows the (quoted) program on a command line, as written.
std::wstring afterProgram(const std::wstring& commandLine) {
  std::size_t end = commandLine.empty() || commandLine.front() != L'"' ? commandLine.find(L' ')
                                                                      : commandLine.find(L'"', 1);
  if (end == std::wstring::npos) return {};
  std::wstring tail = commandLine.substr(end + 1);
  tail.erase(0, tail.find_first_not_of(L' '));
  return tail;
}

TEST(SoftwareWindow, UninstallStartsTheUninstallerWithItsArgumentsUnchanged) {
  // The uninstaller sits in a folder with blanks in its name, as under "Program Files".
  ScratchFolder folder(L"Trova 卸载 测试");
  const std::wstring uninstaller = folder.file(L"record_args.exe");
  ASSERT_TRUE(CopyFileW((ownFolder() + L"\\record_args.exe").c_str(), uninstaller.c_str(), FALSE))
      << "record_args.exe is built beside the tests";
  const std::wstring record = folder.file(L"record_args.txt");

  Registrations reg;
  // The usual form: the program quoted, then switches, one with a quoted blank.
  reg.add(kPrefix + L"1-Quoted", {{L"DisplayName", L"记录参数的卸载程序"},
                                  {L"UninstallString", L"\"" + uninstaller + L"\" /S /LOG=\"x y\""}});
  // Written without quotes although the path has blanks: found as Windows finds it.
  reg.add(kPrefix + L"2-Unquoted", {{L"DisplayName", L"不带引号的卸载程序"},
                                    {L"UninstallString", uninstaller + L" /X{6C1A7D51-0000-4A5B-9C7E-1234567890AB} /quiet"}});
  UiSession ui;
  openSettings(ui, kSoftwareTab);

  // Presses "卸载" on the row and returns the command line the uninstaller got.
  auto uninstall = [&](const std::wstring& alias) -> std::wstring {
    DeleteFileW(record.c_str());
    selectRowWith(ui, L"ListView_rjxz", 3, alias);
    ui.press(L"Command_rjxzxz");
    EXPECT_FALSE(ui.waitForDialog(L"提示", 0)) << "the start succeeded, so nothing is reported";
    EXPECT_EQ(rowWith(ui, L"ListView_rjxz", 3, alias), -1) << "the row goes once it started";
    // The page leaves the registration to the uninstaller.
    EXPECT_TRUE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + alias));
    std::optional<std::string> recorded;
    if (!waitUntil([&] { return (recorded = readFile(record)).has_value(); }, 30000)) {
      ADD_FAILURE() << "the uninstaller did not run";
      return {};
    }
    return fromUtf8(*recorded);
  };

  std::wstring line = uninstall(kPrefix + L"1-Quoted");
  std::vector<std::wstring> args = argumentsOf(line);
  ASSERT_EQ(args.size(), 3u) << utf8(line);
  EXPECT_EQ(_wcsicmp(args[0].c_str(), uninstaller.c_str()), 0) << utf8(args[0]);
  EXPECT_EQ(args[1], L"/S");
  EXPECT_EQ(args[2], L"/LOG=x y");
  EXPECT_EQ(afterProgram(line), L"/S /LOG=\"x y\"") << "the arguments arrive as they were stored";

  line = uninstall(kPrefix + L"2-Unquoted");
  args = argumentsOf(line);
  ASSERT_EQ(args.size(), 3u) << utf8(line);
  EXPECT_EQ(_wcsicmp(args[0].c_str(), uninstaller.c_str()), 0) << utf8(args[0]);
  EXPECT_EQ(args[1], L"/X{6C1A7D51-0000-4A5B-9C7E-1234567890AB}");
  EXPECT_EQ(args[2], L"/quiet");
}

TEST(SoftwareWindow, AnUninstallerThatCannotStartKeepsTheRowAndSaysWhy) {
  Registrations reg;
  reg.add(kPrefix + L"Missing", {{L"DisplayName", L"已删除的程序"},
                                 {L"UninstallString", L"\"C:\\没有这个目录\\uninst.exe\" /S"}});
  UiSession ui;
  openSettings(ui, kSoftwareTab);
  selectRowWith(ui, L"ListView_rjxz", 3, kPrefix + L"Missing");
  ui.press(L"Command_rjxzxz");
  HWND box = ui.waitForDialog(L"提示");
  ASSERT_NE(box, nullptr) << "a failed start is reported";
  const std::wstring text = ui.dialogText(box);
  EXPECT_EQ(text.rfind(L"无法卸载“已删除的程序”：卸载程序 C:\\没有这个目录\\uninst.exe 没有启动：", 0), 0u)
      << utf8(text);
  ui.answer(box, IDOK);
  EXPECT_TRUE(ui.waitForNoDialog(L"提示"));
  EXPECT_GE(rowWith(ui, L"ListView_rjxz", 3, kPrefix + L"Missing"), 0);
  EXPECT_TRUE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + kPrefix + L"Missing"));
}

}  // namespace
}  // namespace trova::test
