// The website immunity page under Wine with a hosts file of 250,000 lines,
// then of 1,000,000, on the real window: the load (from the click on the tab until the list has
// painted its rows), "删除" of a row near the top and "保存应用", each beside
// the bare floor measured in the same run (the ratio is the median of the
// rounds' ratios):
//   load  read the file with ReadFile and split it into lines, plus what the
//         page takes to load an empty hosts file (the page switch and paint);
//   save  write the new bytes to a file beside it with WriteFile, move it over
//         the hosts file, and copy the old file once, as a change history does.
// The page and its floor take turns, round by round. Not a test: nothing here
// passes or fails on speed.
//
// Run it in a prefix of its own (scripts/bench.sh does): it replaces the
// prefix's hosts file for the time it runs.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "bench_support.h"
#include "formats/hosts_file.h"
#include "hosts/hosts_page.h"
#include "platform/memory_platform.h"
#include "platform/win32_platform.h"
#include "win32/controls.h"
#include "win32/form1_window.h"

using namespace trova;
using namespace trova::bench;

namespace {

constexpr int kRounds = 5;
constexpr int kSizes[] = {250000, 1000000};  // lines of the hosts file
constexpr int kHostsTab = 3;

// A block list as they are published: a few comment lines, then one mapping
// per line, with a comment now and then.
std::string blockList(int lineCount) {
  std::string text = "# A merged block list for the benchmark\r\n# Updated: today\r\n\r\n";
  char line[96];
  for (int i = 3; i < lineCount; ++i) {
    const int n = i % 1000 == 0 ? std::snprintf(line, sizeof line, "# section %d\r\n", i / 1000)
                                : std::snprintf(line, sizeof line, "0.0.0.0 ads-%06d.tracker%02d.example.com\r\n", i, i % 97);
    text.append(line, static_cast<std::size_t>(n));
  }
  return text;
}

// ---- The floors ---------------------------------------------------------------------

std::size_t readAndSplit(const std::wstring& path) {
  const auto bytes = readFile(path);
  std::vector<std::string_view> lines;
  if (!bytes) return 0;
  const std::string_view text = *bytes;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines.size();
}

// ---- The window -----------------------------------------------------------------------

// The real platform with boxes that answer at once: a save ends with a message.
struct BenchPlatform {
  Win32Platform real;
  ScriptedDialogs dialogs;
  Platform platform{real.registry, real.files, real.shell, dialogs, real.folders};
};

// A left click on a tab of the main strip, as the mouse gives it.
void clickTab(HWND strip, int tab) {
  RECT r{};
  SendMessageW(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(strip, WM_LBUTTONUP, 0, at);
}

std::size_t workingSet(bool peak) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

bool fail(const char* why) {
  std::fprintf(stderr, "hosts_bench_wine: %s\n", why);
  return false;
}

void report(const char* what, const Figures& f, const char* floorWhat, const char* target) {
  std::printf("%-30s %8.1f ms   %-34s %8.1f ms   %5.2f   %s\n", what, f.page, floorWhat, f.bare, f.ratio, target);
}

bool run(int lineCount) {
  BenchPlatform bp;
  // The file the page uses: the prefix's own, where "DataBasePath" points.
  const std::wstring etc = bp.real.folders.systemFolder() + L"\\drivers\\etc";
  const std::wstring hostsFile = etc + L"\\hosts", backup = etc + L"\\hosts.bak", copy = etc + L"\\hosts.floor-copy";
  const std::optional<std::string> original = readFile(hostsFile);
  const NewHistoryFiles history(bp.real.folders.localAppDataFolder() + L"\\Trova");
  const bool hadBackup = GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES;

  win32::Form1Window window(bp.platform);
  HWND main = window.create(GetModuleHandleW(nullptr));
  if (!main) return fail("the window did not start");
  ShowWindow(main, SW_SHOW);
  paint(main);
  pump();
  HWND strip = window.control(L"TabStrip_cjmy");
  HWND box = window.control(L"List_wzmy");
  const auto awayFromTheTab = [&] {
    clickTab(strip, 0);
    paint(main);
    pump();
  };
  const auto loadByClick = [&] {
    clickTab(strip, kHostsTab);
    paint(main);
  };

  // The empty file first: what the page switch and paint cost without lines.
  // One untimed load before each measure: the first paint of a page in a
  // fresh prefix also fills the font caches.
  if (!writeFile(hostsFile, "")) return fail("cannot write the hosts file");
  loadByClick();
  const Figures empty = compareRounds(kRounds, awayFromTheTab, loadByClick, [] {}, [&] { readAndSplit(hostsFile); });
  const std::size_t emptySet = workingSet(false);
  std::size_t fileSize = 0;
  {
    const std::string big = blockList(lineCount);
    fileSize = big.size();
    if (!writeFile(hostsFile, big)) return fail("cannot write the hosts file");
  }
  awayFromTheTab();
  loadByClick();
  std::size_t lines = 0;
  const Figures load = compareRounds(kRounds, awayFromTheTab, loadByClick, [] {},
                                     [&] { lines = readAndSplit(hostsFile); }, empty.page);
  const int rows = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
  if (rows != lineCount - 3 - (lineCount - 1) / 1000 || lines != static_cast<std::size_t>(lineCount))
    return fail("the list does not hold the file's entries");
  const std::size_t loadedSet = workingSet(false);

  // "删除" of the eleventh row, until painted.
  const double removal = medianOfRounds(
      kRounds,
      [&] {
        SendMessageW(box, LB_SETCURSEL, 10, 0);
        paint(main);
      },
      [&] {
        SendMessageW(window.control(L"Command_wzmysc"), BM_CLICK, 0, 0);
        paint(main);
      });
  if (SendMessageW(box, LB_GETCOUNT, 0, 0) != rows - kRounds) return fail("the deletes did not remove rows");

  // "保存应用": first as the first save, which keeps the old file as
  // hosts.bak, then as a later one. The floor writes the bytes the page wrote.
  HWND save = window.control(L"Command_wzmybc");
  const auto saveOnce = [&] {
    SendMessageW(save, BM_CLICK, 0, 0);
    paint(main);
  };
  const auto noBackup = [&] { DeleteFileW(backup.c_str()); };
  const auto noCopy = [&] { DeleteFileW(copy.c_str()); };
  noBackup();
  saveOnce();
  const std::optional<std::string> saved = readFile(hostsFile);
  if (!saved || saved->size() < fileSize / 2) return fail("the save wrote no file");
  const auto floorSave = [&] {
    if (!copyWriteReplace(hostsFile, copy, *saved)) fail("the floor's save failed");
  };
  const Figures firstSave = compareRounds(kRounds, noBackup, saveOnce, noCopy, floorSave);
  const Figures laterSave = compareRounds(kRounds, [] {}, saveOnce, noCopy, floorSave);
  for (const auto& m : bp.dialogs.messages)
    if (m.text.rfind(hosts::kSaved, 0) != 0) return fail("a save did not succeed");
  const std::size_t peakSet = workingSet(true);

  // Where the page's time goes: its steps on their own, outside the window.
  std::vector<double> readMs, parseMs, buildMs, replaceMs;
  for (int i = 0; i < kRounds; ++i) {
    std::optional<std::string> bytes;
    readMs.push_back(timeMs([&] { bytes = bp.real.files.read(hostsFile); }));
    ByteLines entries;
    parseMs.push_back(timeMs([&] { entries = readHostsEntries(std::move(*bytes)); }));
    std::string out;
    buildMs.push_back(timeMs([&] { out = writeHostsFile(entries); }));
    replaceMs.push_back(timeMs([&] { bp.real.files.replace(hostsFile, out); }));
  }

  // The prefix as it was.
  if (original) writeFile(hostsFile, *original);
  else DeleteFileW(hostsFile.c_str());
  if (!hadBackup) noBackup();
  noCopy();

  std::printf("Website immunity page under Wine: a hosts file of %d lines (%zu bytes), %d entries;\n"
              "medians of %d rounds, the page and its floor taking turns.\n\n",
              lineCount, fileSize, rows, kRounds);
  std::printf("%-30s %11s   %-34s %11s   %5s   %s\n", "", "page", "floor", "", "ratio", "target");
  report("load (tab click to painted)", load, "ReadFile+split + empty-file load", "within 1.5x");
  std::printf("%-30s %8.1f ms   %-34s %8.1f ms\n", "  of an empty file", empty.page, "  ReadFile+split alone",
              load.bare - empty.page);
  std::printf("%-30s %8.1f ms   %-34s %11s   %5s   %s\n", "delete a row near the top", removal, "", "", "",
              "under 20 ms");
  report("save, first (makes hosts.bak)", firstSave, "copy + WriteFile + replace", "within 1.5x");
  report("save, later", laterSave, "copy + WriteFile + replace", "within 1.5x");
  std::printf("\nThe page's steps alone: reading the file %.1f ms, finding the entries %.1f ms, building the\n"
              "new file %.1f ms, replacing the file %.1f ms.\n",
              median(readMs), median(parseMs), median(buildMs), median(replaceMs));
  std::printf("Working set: %.1f MB with an empty hosts file, %.1f MB with this one loaded, peak %.1f MB\n"
              "(target: under 100 MB).\n",
              emptySet / 1048576.0, loadedSet / 1048576.0, peakSet / 1048576.0);
  return true;
}

}  // namespace

int wmain() {
  if (!registerWindowClasses()) {
    fail("cannot register the window classes");
    return 1;
  }
  for (int lines : kSizes) {
    if (!run(lines)) return 1;
    std::printf("\n");
  }
  return 0;
}
