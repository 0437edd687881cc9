// The real boxes: shown on this thread while a second thread plays the user,
// finding the box by its title and pressing its buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "harness/file_dialog.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace {

constexpr DWORD kTimeoutMs = 15000;

std::wstring textOf(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  length = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

// Plays the user from a second thread while the test's thread shows a box.
// If the box never appears, or the user's part fails, every box of the test's
// thread is closed so the test fails instead of hanging.
class User {
 public:
  using Part = std::function<void(HWND box)>;
  User(std::wstring title, Part part)
      : title_(std::move(title)), part_(std::move(part)), boxThread_(GetCurrentThreadId()) {
    thread_ = std::thread([this] { run(); });
  }
  ~User() { finish(); }
  void finish() {
    if (thread_.joinable()) thread_.join();
  }
  bool sawBox() const { return found_; }

 private:
  // The box: a visible dialog window of the test's thread with this title.
  HWND findBox() const {
    struct Search {
      const std::wstring* title;
      HWND found;
    } search{&title_, nullptr};
    EnumThreadWindows(
        boxThread_,
        [](HWND hwnd, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          wchar_t cls[32] = {};
          GetClassNameW(hwnd, cls, 32);
          if (IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770" && textOf(hwnd) == *s->title) {
            s->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  void run() {
    // A condition wait: look again until the box is there or time is up.
    DWORD start = GetTickCount();
    HWND box = nullptr;
    while (!(box = findBox()) && GetTickCount() - start < kTimeoutMs) Sleep(10);
    if (box) {
      found_ = true;
      part_(box);
      return;
    }
    ADD_FAILURE() << "no box with the expected title appeared";
    EnumThreadWindows(
        boxThread_,
        [](HWND hwnd, LPARAM) -> BOOL {
          PostMessageW(hwnd, WM_CLOSE, 0, 0);
          return TRUE;
        },
        0);
  }

  std::wstring title_;
  Part part_;
  DWORD boxThread_;
  std::atomic<bool> found_{false};
  std::thread thread_;
};

void click(HWND box, int id) { SendMessageW(GetDlgItem(box, id), BM_CLICK, 0, 0); }

TEST(Win32InputBox, ReturnsWhatTheUserTypedOnOk) {
  Win32Dialogs dialogs;
  std::wstring prompt, initial;
  bool hasFont = false;
  User user(L"添加免疫项", [&](HWND box) {
    prompt = textOf(GetDlgItem(box, Win32Dialogs::kInputPromptId));
    HWND edit = GetDlgItem(box, Win32Dialogs::kInputEditId);
    initial = textOf(edit);
    hasFont = SendMessageW(edit, WM_GETFONT, 0, 0) != 0;
    SetWindowTextW(edit, L"{11111111-2222-3333-4444-555555555555} 控件");
    click(box, Win32Dialogs::kInputOkId);
  });
  std::optional<std::wstring> answer = dialogs.input(L"请输入控件的 CLSID:", L"添加免疫项", L"{默认}");
  user.finish();
  EXPECT_TRUE(user.sawBox());
  EXPECT_EQ(answer, L"{11111111-2222-3333-4444-555555555555} 控件");
  EXPECT_EQ(prompt, L"请输入控件的 CLSID:");
  EXPECT_EQ(initial, L"{默认}");
  EXPECT_TRUE(hasFont) << "the dialog's shell font, which has Chinese glyphs";
}

TEST(Win32InputBox, OkWithTheDefaultTextUntouchedReturnsIt) {
  Win32Dialogs dialogs;
  User user(L"名称", [](HWND box) { click(box, Win32Dialogs::kInputOkId); });
  EXPECT_EQ(dialogs.input(L"名称:", L"名称", L"新建项"), L"新建项");
}

TEST(Win32InputBox, CancelAndClosingReturnNothingAndOkOnAnEmptyBoxAnEmptyText) {
  Win32Dialogs dialogs;
  {
    User user(L"取消测试", [](HWND box) {
      SetWindowTextW(GetDlgItem(box, Win32Dialogs::kInputEditId), L"typed, then cancelled");
      click(box, Win32Dialogs::kInputCancelId);
    });
    EXPECT_EQ(dialogs.input(L"?", L"取消测试", L"default"), std::nullopt);
  }
  {
    User user(L"关闭测试", [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); });
    EXPECT_EQ(dialogs.input(L"?", L"关闭测试", L"default"), std::nullopt);
  }
  {
    User user(L"空白测试", [](HWND box) { click(box, Win32Dialogs::kInputOkId); });
    EXPECT_EQ(dialogs.input(L"?", L"空白测试", L""), std::wstring()) << "an empty answer is not a cancel";
  }
}

TEST(Win32InputBox, AnEmptyTitleShowsTheProgramsTitle) {
  Win32Dialogs dialogs;
  User user(L"Trova", [](HWND box) { click(box, Win32Dialogs::kInputOkId); });
  EXPECT_EQ(dialogs.input(L"prompt", L"", L"x"), L"x");
  user.finish();
  EXPECT_TRUE(user.sawBox());
}

TEST(Win32InputBox, GrowsToShowAPromptOfSeveralLines) {
  Win32Dialogs dialogs;
  struct Shape {
    int promptHeight = 0, boxHeight = 0, lineHeight = 0;
  };
  auto measure = [&](const std::wstring& prompt) {
    Shape shape;
    User user(L"多行", [&](HWND box) {
      HWND label = GetDlgItem(box, Win32Dialogs::kInputPromptId);
      RECT r;
      GetWindowRect(label, &r);
      shape.promptHeight = r.bottom - r.top;
      GetWindowRect(box, &r);
      shape.boxHeight = r.bottom - r.top;
      HDC dc = GetDC(label);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      SelectObject(dc, old);
      ReleaseDC(label, dc);
      shape.lineHeight = tm.tmHeight;
      click(box, Win32Dialogs::kInputCancelId);
    });
    dialogs.input(prompt, L"多行", L"");
    return shape;
  };
  Shape one = measure(L"一行");
  Shape seven = measure(L"第一行\r\n第二行\r\n第三行\r\n第四行\r\n第五行\r\n第六行\r\n第七行");
  ASSERT_GT(seven.lineHeight, 0);
  EXPECT_GE(seven.promptHeight, 7 * seven.lineHeight) << "every line of the prompt is visible";
  EXPECT_GT(seven.boxHeight, one.boxHeight);
}

TEST(Win32MessageBox, ShowsTheTextUnderTheGivenOrTheProgramsTitle) {
  Win32Dialogs dialogs;
  for (const std::wstring title : {L"提示", L""}) {
    std::wstring shown;
    const std::wstring expectedTitle = title.empty() ? L"Trova" : title;
    User user(expectedTitle, [&](HWND box) {
      // The text is in one of the box's static controls.
      EnumChildWindows(
          box,
          [](HWND child, LPARAM lp) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(child, cls, 32);
            if (_wcsicmp(cls, L"Static") == 0) {
              auto t = textOf(child);
              if (!t.empty()) *reinterpret_cast<std::wstring*>(lp) += t;
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&shown));
      click(box, IDOK);
    });
    dialogs.message(L"删除成功!", title, MessageStyle::Information);
    user.finish();
    EXPECT_TRUE(user.sawBox()) << "title " << (title.empty() ? "(empty)" : "提示");
    EXPECT_EQ(shown, L"删除成功!");
  }
}

// ---- File dialogs ------------------------------------------------------------


void typeFileName(HWND box, const std::wstring& name) {
  HWND field = fileNameField(box);
  ASSERT_NE(field, nullptr) << "no file name field";
  SetWindowTextW(field, name.c_str());
}


std::wstring scratchFolder() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring dir = std::wstring(temp) + L"trova-dialogs-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

TEST(Win32FileDialogs, SaveOffersTheFiltersAndAddsTheDefaultExtension) {
  Win32Dialogs dialogs;
  const std::wstring dir = scratchFolder();
  FileDialogSpec spec{{{L"文本文件 (*.txt)", L"*.txt"}, {L"所有文件 (*.*)", L"*.*"}},
                      L"导出插件列表", L".txt", dir};
  std::vector<std::wstring> types;
  User user(L"导出插件列表", [&](HWND box) {
    types = fileTypes(box);
    typeFileName(box, L"插件列表");
    click(box, IDOK);
  });
  auto chosen = dialogs.saveFile(spec);
  user.finish();
  EXPECT_EQ(types, (std::vector<std::wstring>{L"文本文件 (*.txt)", L"所有文件 (*.*)"}));
  ASSERT_TRUE(chosen.has_value());
  EXPECT_TRUE(_wcsicmp(chosen->c_str(), (dir + L"\\插件列表.txt").c_str()) == 0);
  RemoveDirectoryW(dir.c_str());
}

TEST(Win32FileDialogs, OpenReturnsTheChosenFileAndCancelReturnsNothing) {
  Win32Dialogs dialogs;
  const std::wstring dir = scratchFolder();
  const std::wstring file = dir + L"\\启动项.exe";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  FileDialogSpec spec{{{L"程序 (*.exe)", L"*.exe"}}, L"添加启动项", L"", dir};
  {
    User user(L"添加启动项", [&](HWND box) {
      typeFileName(box, L"启动项.exe");
      click(box, IDOK);
    });
    auto chosen = dialogs.openFile(spec);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(_wcsicmp(chosen->c_str(), file.c_str()) == 0);
  }
  {
    User user(L"添加启动项", [&](HWND box) { click(box, IDCANCEL); });
    EXPECT_EQ(dialogs.openFile(spec), std::nullopt);
  }
  DeleteFileW(file.c_str());
  RemoveDirectoryW(dir.c_str());
}

}  // namespace
}  // namespace trova::test
