// The user-defined immunity entries under Wine with a cisid.dat of 10 MB
// (81,920 records of 128 bytes) beside the program, on the real window:
//   start-up  the window's whole start-up with the file, beside the same
//             start-up without it plus its floor: reading the file and
//             trying each entry's kill-bit key;
//   save      "保存" (through the window's click routing, so the change
//             history keeps a copy of the old file), beside copying the old
//             file aside and writing the new one over it.
// Every entry must be listed and the saved file must be the one read, byte for
// byte. Not a test: nothing here passes or fails on speed.
//
// Run it in a prefix of its own (scripts/bench.sh does): it writes cisid.dat
// beside itself for the time it runs.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "formats/cisid_file.h"
#include "immunity/kill_bit.h"
#include "platform/memory_platform.h"
#include "platform/win32_platform.h"
#include "win32/form1_window.h"

using namespace trova;
using namespace trova::bench;

namespace {

constexpr int kRounds = 3;
constexpr int kRecords = 10 * 1024 * 1024 / static_cast<int>(kUserRecordSize);

std::string bigUserFile() {
  std::vector<KnownControl> entries;
  entries.reserve(kRecords);
  wchar_t clsid[48];
  for (int i = 0; i < kRecords; ++i) {
    std::swprintf(clsid, 48, L"{55555555-AAAA-4BBB-8CCC-%012d}", i);
    entries.push_back({category::UserDefined, L"自定义控件 " + std::to_wstring(i), clsid});
  }
  return encodeUserRecords(entries).value_or(std::string());
}

// The floor of the start-up's part for the file: read it and try every
// entry's key in the 64-bit view (none has one here, so the other view need
// not be asked).
void readAndOpen(const std::wstring& path) {
  const auto bytes = readFile(path);
  if (!bytes) return;
  for (const KnownControl& e : decodeUserRecords(*bytes).entries) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, killBitKeyPath(e.clsid).c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                      &key) == ERROR_SUCCESS)
      RegCloseKey(key);
  }
}

bool fail(const char* why) {
  std::fprintf(stderr, "cisid_bench_wine: %s\n", why);
  return false;
}

bool run() {
  if (!registerWindowClasses()) return fail("cannot register the window classes");
  Win32Platform real;
  ScriptedDialogs dialogs;  // boxes answered at once
  Platform platform{real.registry, real.files, real.shell, dialogs, real.folders};
  const std::wstring userFile = real.folders.programFolder() + L"\\cisid.dat", aside = userFile + L".floor-copy";
  const NewHistoryFiles history(real.folders.localAppDataFolder() + L"\\Trova");
  const std::optional<std::string> original = readFile(userFile);
  const std::string big = bigUserFile();
  if (big.size() != static_cast<std::size_t>(kRecords) * kUserRecordSize) return fail("the records do not fit");

  std::unique_ptr<win32::Form1Window> window;
  const auto startUp = [&] {
    HWND h = window->create(GetModuleHandleW(nullptr));
    ShowWindow(h, SW_SHOW);
    paint(h);
  };
  const auto fresh = [&] {
    window.reset();
    pump();
    window = std::make_unique<win32::Form1Window>(platform);
  };
  DeleteFileW(userFile.c_str());
  const double without = medianOfRounds(kRounds, fresh, startUp);
  if (!writeFile(userFile, big)) return fail("cannot write cisid.dat");
  const Figures with = compareRounds(kRounds, fresh, startUp, [] {}, [&] { readAndOpen(userFile); }, without);
  const auto listed = SendMessageW(window->control(L"ListView_cjmy(3)"), LVM_GETITEMCOUNT, 0, 0);
  if (listed != kRecords) return fail("the window does not list every entry");

  dialogs.messages.clear();
  const Figures save = compareRounds(
      kRounds, [] {},
      [&] {
        window->form().Click(L"Command_yhzdybc");
        paint(window->hwnd());
      },
      [&] { DeleteFileW(aside.c_str()); }, [&] { copyWriteReplace(userFile, aside, big); });
  for (const auto& m : dialogs.messages)
    if (m.text != L"保存成功!") return fail("a save did not succeed");
  if (readFile(userFile) != big) return fail("the saved file is not the one read");

  window.reset();
  pump();
  DeleteFileW(aside.c_str());
  if (original) writeFile(userFile, *original);
  else DeleteFileW(userFile.c_str());

  std::printf("User-defined immunity entries under Wine: cisid.dat of %zu bytes, %d entries, all listed\n"
              "and saved back byte for byte; medians of %d rounds, the page and its floor taking turns.\n\n",
              big.size(), kRecords, kRounds);
  std::printf("%-30s %10s   %-44s %10s   %5s\n", "", "page", "floor", "", "ratio");
  std::printf("%-30s %7.1f ms   %-44s %7.1f ms   %5.2f\n", "start-up with the file", with.page,
              "start-up without it + read + open each key", with.bare, with.ratio);
  std::printf("%-30s %7.1f ms\n", "  start-up without it", without);
  std::printf("%-30s %7.1f ms   %-44s %7.1f ms   %5.2f\n", "保存 (history keeps a copy)", save.page,
              "copy + WriteFile + replace", save.bare, save.ratio);
  return true;
}

}  // namespace

int wmain() { return run() ? 0 : 1; }
