// Start-up fill and apply of the immunity page against the in-memory registry,
// beside the bare registry calls they cannot avoid: one open and query per
// catalogue row for the fill, one create and write per row for the apply.
// The ratio shows what the page adds on top of the registry itself.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/form1.h"
#include "app/memory_control_set.h"
#include "immunity/cisid.h"
#include "immunity/immunity_page.h"
#include "immunity/kill_bit.h"
#include "platform/memory_platform.h"
#include "ui/memory_controls.h"

using namespace trova;

namespace {

constexpr int kRounds = 15;

// The median of kRounds runs, in milliseconds; `prepare` runs untimed before each.
double medianMs(const std::function<void()>& prepare, const std::function<void()>& run) {
  std::vector<double> ms;
  for (int i = 0; i < kRounds; ++i) {
    prepare();
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

struct Bench {
  MemoryPlatform mp;
  MemoryControlSet ui;
  Form1 form{mp.platform, ui};
  ImmunityPage& page = form.page<ImmunityPage>();
  std::array<MemoryListView*, 4> lists{&list(0), &list(1), &list(2), &list(3)};
  MemoryListView& list(int c) { return ui.listView(L"ListView_cjmy(" + std::to_wstring(c) + L")"); }
};

// Every third control immune, as on a machine that has been immunised before.
void seed(MemoryRegistry& reg) {
  for (int i = 0; i < kCatalogueRows; i += 3)
    reg.setDword(Hive::LocalMachine, killBitKeyPath(knownControls[static_cast<std::size_t>(i)].clsid),
                 kCompatibilityFlags, kKillBit);
}

void report(const char* what, double page, double bare) {
  std::printf("%-34s page %8.3f ms   bare registry %8.3f ms   ratio %5.2f\n", what, page, bare, page / bare);
}

}  // namespace

int main() {
  InitKnownControls();

  // Start-up fill against the bare opens and queries of the same keys.
  std::unique_ptr<Bench> p;
  const double fill = medianMs(
      [&] {
        p = std::make_unique<Bench>();
        seed(p->mp.registry);
      },
      [&] { p->page.FillImmunityLists(); });
  std::unique_ptr<MemoryRegistry> reg;
  // The bare calls: each catalogue row's key opened, and `use` on those there.
  const auto eachOpenedKey = [&](const auto& use) {
    for (int i = 0; i < kCatalogueRows; ++i) {
      KeyPtr key;
      if (reg->open(Hive::LocalMachine, killBitKeyPath(knownControls[static_cast<std::size_t>(i)].clsid), key) ==
          regerr::Ok)
        use(*key);
    }
  };
  // A page with every row's mark set to `on`, over a seeded registry or an empty one.
  const auto markedPage = [&](bool on, bool seeded) {
    p = std::make_unique<Bench>();
    if (seeded) seed(p->mp.registry);
    p->page.FillImmunityLists();
    for (auto* l : p->lists)
      for (int r = 0; r < l->rowCount(); ++r) l->setChecked(r, on);
  };
  const double bareRead = medianMs(
      [&] {
        reg = std::make_unique<MemoryRegistry>();
        seed(*reg);
      },
      [&] {
        eachOpenedKey([](RegKey& key) {
          RegValue v;
          key.queryValue(kCompatibilityFlags, v);
        });
      });
  report("start-up fill (782 rows)", fill, bareRead);

  // Apply with every row checked: the page creates each key and writes its value.
  const double apply = medianMs(
      [&] { markedPage(true, false); },
      [&] { p->page.Command_cjmy_Click(); });
  const double bareWrite = medianMs([&] { reg = std::make_unique<MemoryRegistry>(); },
                                    [&] {
                                      for (int i = 0; i < kCatalogueRows; ++i) {
                                        KeyPtr key;
                                        if (reg->create(Hive::LocalMachine,
                                                        killBitKeyPath(knownControls[static_cast<std::size_t>(i)].clsid),
                                                        key) == regerr::Ok)
                                          key->setValue(kCompatibilityFlags, RegValue::dword(kKillBit));
                                      }
                                    });
  report("apply, all checked (782 rows)", apply, bareWrite);
  // The same through the window's click routing: every change recorded in the history.
  const double recorded = medianMs(
      [&] { markedPage(true, false); },
      [&] { p->form.Click(L"Command_cjmy"); });
  report("same, recorded in the history", recorded, bareWrite);

  // Apply with nothing checked over a partly immunised registry: open, and delete where set.
  const double clear = medianMs(
      [&] { markedPage(false, true); },
      [&] { p->page.Command_cjmy_Click(); });
  const double bareDelete = medianMs(
      [&] {
        reg = std::make_unique<MemoryRegistry>();
        seed(*reg);
      },
      [&] { eachOpenedKey([](RegKey& key) { key.deleteValue(kCompatibilityFlags); }); });
  report("apply, none checked (782 rows)", clear, bareDelete);
  std::printf("registry opens per start-up fill: %d (one per catalogue row)\n", [] {
    Bench q;
    q.page.FillImmunityLists();
    return q.mp.registry.openCount();
  }());
  return 0;
}
