#include "app/form1.h"

#include <algorithm>
#include <stdexcept>

#include "app/form1_design.h"
#include "platform/files.h"

namespace trova {

Form1::Form1(Platform& platform, ControlSet& controls, std::function<std::wstring()> clock)
    : dialogs_(platform.dialogs),
      journal_(platform.files, joinPath(platform.folders.localAppDataFolder(), kProgramTitle), std::move(clock)),
      registry_(platform.registry, journal_),
      files_(platform.files, journal_),
      platform_{registry_, files_, platform.shell, dialogs_, platform.folders, &platform.exports()},
      controls_(controls) {
  routes_.click[L"TabStrip_cjmy"] = [this] { TabStrip_cjmy_Click(); };
  routes_.click[L"cd_gfwz"] = [this] { cd_gfwz_Click(); };
  routes_.click[L"cd_lxwm"] = [this] { cd_lxwm_Click(); };
  routes_.click[L"cd_gytrova"] = [this] { cd_gytrova_Click(); };

  const auto& tabs = mainTabCaptions();
  for (const PageEntry& entry : pageTable()) {
    if (!entry.build) continue;
    const auto at = std::find(tabs.begin(), tabs.end(), entry.mainTab);
    PageSite site{platform_, controls_, routes_, static_cast<int>(at - tabs.begin()), &journal_};
    pages_.push_back(entry.build(site));
  }
  // Steps of one kind keep the order in which their pages were built.
  std::stable_sort(routes_.startup.begin(), routes_.startup.end(),
                   [](const auto& a, const auto& b) { return a.step < b.step; });
  std::stable_sort(routes_.picks.begin(), routes_.picks.end(),
                   [](const auto& a, const auto& b) { return a.step < b.step; });
}

namespace {
// "插件免疫 · 应 用": the page and the caption of what was clicked.
std::wstring actionLabel(const std::wstring& control) {
  std::wstring caption = control;
  if (const ControlDesign* d = findDesign(control); d && !d->caption.empty()) caption = d->caption;
  for (const auto& m : menuBarDesign())
    if (m.name == control) caption = m.caption;
  const std::wstring page = pageCaptionOf(control);
  return page.empty() ? caption : page + L" · " + caption;
}

// The change set of one action ends however its handler does.
class ChangeSet {
 public:
  ChangeSet(ChangeJournal& journal, const std::wstring& label) : journal_(journal) { journal_.begin(label); }
  ~ChangeSet() { journal_.end(); }
  ChangeSet(const ChangeSet&) = delete;
  ChangeSet& operator=(const ChangeSet&) = delete;

 private:
  ChangeJournal& journal_;
};
}  // namespace

void Form1::Click(const std::wstring& control) {
  auto it = routes_.click.find(control);
  if (it == routes_.click.end() || !it->second) return;
  ChangeSet set(journal_, actionLabel(control));
  it->second();
}

void Form1::ColumnClick(const std::wstring& list, int column) {
  if (auto it = routes_.columnClick.find(list); it != routes_.columnClick.end() && it->second) it->second(column);
}

void Form1::RowClick(const std::wstring& list, int row) {
  if (auto it = routes_.rowClick.find(list); it != routes_.rowClick.end() && it->second) it->second(row);
}

void Form1::RightButtonUp(const std::wstring& list) {
  if (auto it = routes_.rightButtonUp.find(list); it != routes_.rightButtonUp.end() && it->second)
    it->second();
}

void Form1::Form_Load() {
  dialogs_.hold();
  for (const auto& s : routes_.startup) s.run();
}

void Form1::ShowStartupNotices() { dialogs_.release(); }

void Form1::TabStrip_cjmy_Click() {
  const int picked = controls_.tabs(L"TabStrip_cjmy").current();
  const int count = static_cast<int>(mainTabCaptions().size());
  if (picked < 0 || picked >= count) return;  // no tab selected
  for (int i = 0; i < count; ++i) controls_.panel(mainPageName(i)).setVisible(false);
  controls_.panel(mainPageName(picked)).setVisible(true);
  for (const auto& p : routes_.picks)
    if (p.mainTab == picked || p.mainTab == kEveryTab) p.run();
}

void Form1::cd_gfwz_Click() { platform_.shell.open(kWebSite); }

void Form1::cd_lxwm_Click() { platform_.shell.open(kMailLink); }

void Form1::cd_gytrova_Click() { platform_.dialogs.message(kAboutText, kProgramTitle, MessageStyle::Plain); }

}  // namespace trova
