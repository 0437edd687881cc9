// What the Wine benchmarks share: timing, medians, a page and its floor taking
// turns, the window's classes and message loop, and the files they write.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "win32/form1_window.h"

namespace trova::bench {

using Step = std::function<void()>;

inline double timeMs(const Step& run) {
  const auto t0 = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The page and the bare calls take turns, round by round, so that both meet
// the same load on a shared machine; `prepare` steps run untimed. A part of
// the bare time measured elsewhere (`bareExtra`) is added to every round's.
struct Figures {
  double page, bare, ratio;  // medians; the ratio is the median of the rounds' ratios
};

inline Figures compareRounds(int rounds, const Step& preparePage, const Step& page, const Step& prepareBare,
                             const Step& bare, double bareExtra = 0) {
  std::vector<double> pages, bares, ratios;
  for (int i = 0; i < rounds; ++i) {
    preparePage();
    pages.push_back(timeMs(page));
    prepareBare();
    bares.push_back(timeMs(bare) + bareExtra);
    ratios.push_back(pages.back() / bares.back());
  }
  return {median(pages), median(bares), median(ratios)};
}

inline double medianOfRounds(int rounds, const Step& prepare, const Step& run) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    prepare();
    ms.push_back(timeMs(run));
  }
  return median(ms);
}

// The common controls and the window's classes, once per program.
inline bool registerWindowClasses() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  return win32::registerForm1Classes(GetModuleHandleW(nullptr));
}

inline void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Paints what the user sees now, as the message loop would before the next input.
inline void paint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// ---- Files ------------------------------------------------------------------------

inline bool writeFile(const std::wstring& path, const std::string& bytes) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  return CloseHandle(h) && ok;
}

inline std::optional<std::string> readFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  const bool ok = bytes.empty() || ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(h);
  if (!ok) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

// The floor of a save that keeps the old file: copy it aside, write the new
// bytes beside it and move them over it, as a change history and a safe
// replace do.
inline bool copyWriteReplace(const std::wstring& path, const std::wstring& copy, const std::string& bytes) {
  if (!CopyFileW(path.c_str(), copy.c_str(), TRUE)) return false;
  const std::wstring temp = path + L".floor-tmp";
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && FlushFileBuffers(h);
  ok = CloseHandle(h) && ok;
  return ok && MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// The files a benchmark's saves add to the change history folder (each save
// keeps a copy of the file it replaced), removed again when it ends.
class NewHistoryFiles {
 public:
  explicit NewHistoryFiles(std::wstring folder) : folder_(std::move(folder)), before_(names()) {}
  ~NewHistoryFiles() {
    for (const auto& name : names())
      if (!before_.count(name)) DeleteFileW((folder_ + L"\\" + name).c_str());
  }
  NewHistoryFiles(const NewHistoryFiles&) = delete;
  NewHistoryFiles& operator=(const NewHistoryFiles&) = delete;

 private:
  std::set<std::wstring> names() const {
    std::set<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.insert(data.cFileName);
    while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
  }
  std::wstring folder_;
  std::set<std::wstring> before_;
};

}  // namespace trova::bench
