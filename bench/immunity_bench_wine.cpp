// The immunity page under Wine, on the real window's list views and Wine's
// registry: the start-up fill and one apply, each beside the bare registry
// calls it cannot avoid (open and query every catalogue key; create and write
// every key). Under Wine every registry call is a round trip to the wineserver,
// so the ratio shows what the page adds on top of that.
//
// Run it in a prefix of its own (scripts/bench.sh does): it writes and then
// deletes the catalogue's keys under ActiveX Compatibility.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"
#include "bench_support.h"
#include "app/memory_control_set.h"
#include "immunity/cisid.h"
#include "immunity/immunity_page.h"
#include "immunity/kill_bit.h"
#include "platform/memory_platform.h"
#include "platform/win32_platform.h"
#include "ui/memory_controls.h"
#include "win32/controls.h"
#include "win32/form1_window.h"

using namespace trova;
using namespace trova::bench;

namespace {

constexpr int kRounds = 15;

Figures compare(const Step& preparePage, const Step& page, const Step& prepareBare, const Step& bare) {
  return compareRounds(kRounds, preparePage, page, prepareBare, bare);
}

double medianMs(const Step& prepare, const Step& run) { return medianOfRounds(kRounds, prepare, run); }

// One control's key in one registry view.
struct Key {
  std::wstring path;  // relative to HKEY_LOCAL_MACHINE
  REGSAM view;        // KEY_WOW64_64KEY or KEY_WOW64_32KEY
};

// The catalogue's keys in both views, in catalogue order (the eight shared
// CLSIDs twice, as the page meets them), each control's 64-bit key first.
std::vector<Key> catalogueKeys() {
  std::vector<Key> keys;
  for (int i = 0; i < kCatalogueRows; ++i)
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
      keys.push_back({killBitKeyPath(knownControls[static_cast<std::size_t>(i)].clsid), view});
  return keys;
}

const DWORD kKillBitValue = kKillBit;

void deleteKeys(const std::vector<Key>& keys) {
  for (const auto& k : keys) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, k.path.c_str(), k.view, 0);
}

void setKillBit(const Key& k) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, k.path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | k.view, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, kCompatibilityFlags, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kKillBitValue),
                 sizeof(kKillBitValue));
  RegCloseKey(key);
}

// Every third control immune (in both views), as on a machine that has been immunised before.
void seedEveryThird(const std::vector<Key>& keys) {
  deleteKeys(keys);
  for (std::size_t i = 0; i < keys.size(); i += 6) {
    setKillBit(keys[i]);
    setKillBit(keys[i + 1]);
  }
}

// Rows whose key is one of those seeded (rows that share a CLSID share the key).
int immuneRows(const std::vector<Key>& keys) {
  std::set<std::wstring> seeded;
  const auto folded = [](std::wstring k) {
    CharUpperBuffW(k.data(), static_cast<DWORD>(k.size()));
    return k;
  };
  for (std::size_t i = 0; i < keys.size(); i += 6) seeded.insert(folded(keys[i].path));
  int rows = 0;
  for (std::size_t i = 0; i < keys.size(); i += 2) rows += seeded.count(folded(keys[i].path)) > 0;
  return rows;
}

// ---- The bare registry calls ----------------------------------------------------

void bareOpenQuery(const std::vector<Key>& keys) {
  for (const auto& k : keys) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, k.path.c_str(), 0, KEY_QUERY_VALUE | k.view, &key) != ERROR_SUCCESS) continue;
    DWORD value = 0, size = sizeof(value), type = 0;
    RegQueryValueExW(key, kCompatibilityFlags, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
  }
}

void bareCreateWrite(const std::vector<Key>& keys, bool query) {
  for (const auto& k : keys) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, k.path.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | k.view,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
      continue;
    if (query) {
      DWORD value = 0, size = sizeof(value), type = 0;
      RegQueryValueExW(key, kCompatibilityFlags, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    }
    RegSetValueExW(key, kCompatibilityFlags, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kKillBitValue),
                   sizeof(kKillBitValue));
    RegCloseKey(key);
  }
}

// ---- The window -------------------------------------------------------------------

// The real platform with boxes that answer at once: apply ends with a message.
struct BenchPlatform {
  Win32Platform real;
  ScriptedDialogs dialogs;
  Platform platform{real.registry, real.files, real.shell, dialogs, real.folders};
};

std::wstring listName(int c) { return L"ListView_cjmy(" + std::to_wstring(c) + L")"; }

int rowsOf(win32::Form1Window& w) {
  int n = 0;
  for (int c = 0; c < 3; ++c) n += static_cast<int>(SendMessageW(w.control(listName(c)), LVM_GETITEMCOUNT, 0, 0));
  return n;
}

void checkEveryRow(win32::Form1Window& w) {
  for (int c = 0; c < 3; ++c) {
    win32::Win32ListView& list = *w.list(listName(c));
    for (int r = 0; r < list.rowCount(); ++r) list.setChecked(r, true);
  }
}

void report(const char* what, const Figures& f, const char* bareWhat) {
  std::printf("%-34s %7.1f ms   %-20s %7.1f ms   %5.2f\n", what, f.page, bareWhat, f.bare, f.ratio);
}

bool fail(const char* why) {
  std::fprintf(stderr, "immunity_bench_wine: %s\n", why);
  return false;
}

bool run() {
  if (!registerWindowClasses()) return fail("cannot register the window classes");
  InitKnownControls();
  const auto keys = catalogueKeys();
  std::vector<std::wstring> clsids;
  for (int i = 0; i < kCatalogueRows; ++i) clsids.push_back(knownControls[static_cast<std::size_t>(i)].clsid);
  BenchPlatform bp;

  // What the user waits for at start: the window, its whole start-up and its first paint.
  seedEveryThird(keys);
  std::unique_ptr<win32::Form1Window> window;
  const double startup = medianMs(
      [&] {
        window.reset();
        pump();
        window = std::make_unique<win32::Form1Window>(bp.platform);
      },
      [&] {
        HWND h = window->create(GetModuleHandleW(nullptr));
        ShowWindow(h, SW_SHOW);
        paint(h);
      });
  if (!window->hwnd() || rowsOf(*window) != kCatalogueRows) return fail("the window did not fill its lists");
  pump();
  HWND main = window->hwnd();
  ImmunityPage& page = window->form().page<ImmunityPage>();
  const auto emptyLists = [&] {
    for (int c = 0; c < 3; ++c) SendMessageW(window->control(listName(c)), LVM_DELETEALLITEMS, 0, 0);
    paint(main);
  };

  // The start-up fill on the shown window's lists, emptied before each round,
  // until the list in view is painted.
  const Figures fill = compare(emptyLists,
                               [&] {
                                 page.FillImmunityLists();
                                 paint(main);
                               },
                               [] {}, [&] { bareOpenQuery(keys); });
  if (page.notImmuneCount[0] + page.notImmuneCount[1] + page.notImmuneCount[2] != kCatalogueRows - immuneRows(keys))
    return fail("the fill did not read the kill-bits seeded");
  // As at the real start-up, where the lists are filled before the window is
  // shown: no scroll bars to redraw and nothing to paint yet.
  const Figures hiddenFill = compare(
      [&] {
        emptyLists();
        ShowWindow(main, SW_HIDE);
        pump();
      },
      [&] { page.FillImmunityLists(); },
      [&] {
        ShowWindow(main, SW_SHOW);
        paint(main);
      },
      [&] { bareOpenQuery(keys); });
  const Figures readCalls = compare([] {}, [&] { for (const auto& id : clsids) hasKillBit(bp.real.registry, id); },
                                    [] {}, [&] { bareOpenQuery(keys); });

  // One apply with every row checked, until painted: first on keys that do
  // not exist yet, then again over the keys it wrote. Apply keeps a value's
  // other bits, so on a key that exists it reads the value before writing.
  bp.dialogs.messages.clear();
  // Through the window's click routing, as a press of "应 用" runs it: the
  // change history records every change of it.
  const auto applyOnce = [&] {
    window->form().Click(L"Command_cjmy");
    paint(main);
  };
  const auto newKeys = [&] {
    deleteKeys(keys);
    checkEveryRow(*window);
    paint(main);
  };
  const auto removeKeys = [&] { deleteKeys(keys); };
  const Figures applyNew = compare(newKeys, applyOnce, removeKeys, [&] { bareCreateWrite(keys, false); });
  const Figures applyAgain = compare([] {}, applyOnce, [] {}, [&] { bareCreateWrite(keys, true); });
  const Figures applyAgainBlind = compare([] {}, applyOnce, [] {}, [&] { bareCreateWrite(keys, false); });
  for (const auto& m : bp.dialogs.messages)
    if (m.text != L"应用更改成功!") return fail("an apply did not succeed");
  for (const Key& k : {keys[keys.size() - 2], keys.back()}) {
    HKEY key = nullptr;
    DWORD value = 0, size = sizeof(value);
    const bool written =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, k.path.c_str(), 0, KEY_QUERY_VALUE | k.view, &key) == ERROR_SUCCESS &&
        RegQueryValueExW(key, kCompatibilityFlags, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS &&
        value == kKillBit;
    if (key) RegCloseKey(key);
    if (!written) return fail("the apply wrote no kill-bit in both views");
  }
  const auto writeAll = [&] {
    for (const auto& id : clsids) writeKillBit(bp.real.registry, id, true);
  };
  const Figures writeNewCalls = compare(removeKeys, writeAll, removeKeys, [&] { bareCreateWrite(keys, false); });
  const Figures writeAgainCalls = compare([] {}, writeAll, [] {}, [&] { bareCreateWrite(keys, true); });

  // The rest is the list views and their painting: the same page on the same
  // list views over an in-memory registry.
  MemoryPlatform memory;
  for (std::size_t i = 0; i < keys.size(); i += 6)
    for (RegView view : registryViews())
      memory.registry.setDword({Hive::LocalMachine, view}, keys[i].path, kCompatibilityFlags, kKillBit);
  // The window's own list wrappers: a virtual list view gets its rows from them.
  std::vector<win32::Win32ListView*> views;
  for (int c = 0; c < 4; ++c) views.push_back(window->list(listName(c)));
  // In-memory controls but for the four immunity lists, which are the window's.
  struct ListsOnly final : ControlSet {
    MemoryControlSet rest;
    std::vector<win32::Win32ListView*> views;
    ListView& listView(std::wstring_view name) override {
      for (int c = 0; c < 4; ++c)
        if (name == listName(c)) return *views[static_cast<std::size_t>(c)];
      return rest.listView(name);
    }
    ListBox& listBox(std::wstring_view n) override { return rest.listBox(n); }
    ComboBox& comboBox(std::wstring_view n) override { return rest.comboBox(n); }
    CheckBox& checkBox(std::wstring_view n) override { return rest.checkBox(n); }
    TextBox& textBox(std::wstring_view n) override { return rest.textBox(n); }
    Button& button(std::wstring_view n) override { return rest.button(n); }
    Tabs& tabs(std::wstring_view n) override { return rest.tabs(n); }
    Panel& panel(std::wstring_view n) override { return rest.panel(n); }
    PopupMenus& menus() override { return rest.menus(); }
  } windowLists;
  windowLists.views = views;
  Form1 listsForm(memory.platform, windowLists);
  ImmunityPage& listsOnly = listsForm.page<ImmunityPage>();
  const double fillLists = medianMs(emptyLists, [&] {
    listsOnly.FillImmunityLists();
    paint(main);
  });
  checkEveryRow(*window);
  const double applyLists = medianMs([] {}, [&] {
    listsOnly.Command_cjmy_Click();
    paint(main);
  });
  // What of that is not the list views: the same page on in-memory lists.
  MemoryControlSet plain;
  Form1 plainForm(memory.platform, plain);
  ImmunityPage& noControls = plainForm.page<ImmunityPage>();
  const double fillPlain = medianMs([] {}, [&] { noControls.FillImmunityLists(); });
  for (int c = 0; c < 4; ++c) {
    ListView& l = plain.listView(listName(c));
    for (int r = 0; r < l.rowCount(); ++r) l.setChecked(r, true);
  }
  const double applyPlain = medianMs([] {}, [&] { noControls.Command_cjmy_Click(); });
  // And a repaint of the window with the immunity list in view.
  const double repaint = medianMs([&] { RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN); },
                                  [&] { paint(main); });
  const double repaintList = medianMs(
      [&] { RedrawWindow(window->control(listName(0)), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE); },
      [&] { paint(main); });
  // A new row count alone: the control updates and redraws its scroll bars.
  HWND first = window->control(listName(0));
  const double countOnly = medianMs([&] { SendMessageW(first, LVM_SETITEMCOUNT, 0, 0); },
                                    [&] { SendMessageW(first, LVM_SETITEMCOUNT, 260, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL); });

  deleteKeys(keys);
  window.reset();
  pump();

  std::set<std::wstring> distinct;
  for (std::size_t i = 0; i < keys.size(); i += 2) distinct.insert(keys[i].path);
  std::printf("Immunity page under Wine: %d catalogue rows (%zu keys in each of the two registry views),\n"
              "medians of %d rounds; the page and\n"
              "the bare registry calls take turns, the ratio is the median of the rounds' ratios.\n\n",
              kCatalogueRows, distinct.size(), kRounds);
  std::printf("%-34s %10s   %-20s %10s   %5s\n", "", "page", "bare registry calls", "", "ratio");
  std::printf("%-34s %7.1f ms   (create, whole start-up, first paint)\n", "window start-up", startup);
  report("start-up fill, every third immune", fill, "open+query");
  report("same, window not yet shown", hiddenFill, "open+query");
  report("apply all checked, new keys", applyNew, "create+write");
  report("apply all checked, keys present", applyAgain, "create+query+write");
  report("", applyAgainBlind, "create+write");
  std::printf("\nThe page's registry calls alone, against the bare calls: reading %.2f, writing new keys %.2f,\n"
              "writing present keys %.2f. The rest is the list views and their painting: the same page\n"
              "on the same list views over an in-memory registry takes %.1f ms to fill, %.1f ms to apply.\n",
              readCalls.ratio, writeNewCalls.ratio, writeAgainCalls.ratio, fillLists, applyLists);
  std::printf("Of those, the page on in-memory lists takes %.1f ms to fill, %.1f ms to apply; a repaint of\n"
              "the whole window with the list in view takes %.1f ms, of the list alone %.1f ms; giving\n"
              "the list in view its row count (from none to 260) takes %.1f ms.\n",
              fillPlain, applyPlain, repaint, repaintList, countOnly);
  return true;
}

}  // namespace

int wmain() { return run() ? 0 : 1; }
