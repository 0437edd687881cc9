#include "app/form1.h"

#include "app/form1_layout.h"

namespace trova {

namespace {
void run(const std::function<void()>& step) {
  if (step) step();
}
}  // namespace

Form1::Form1(Platform& platform, const Form1Controls& controls)
    : addons(platform, *controls.ListView_cjgl), platform_(platform), c_(controls) {
  loaders.fillAddons = [this] { addons.FillAddonList(); };
  onClick[L"TabStrip_cjmy"] = [this] { TabStrip_cjmy_Click(); };
  onClick[L"cd_gfwz"] = [this] { cd_gfwz_Click(); };
  onClick[L"cd_lxwm"] = [this] { cd_lxwm_Click(); };
  onClick[L"cd_gytrova"] = [this] { cd_gytrova_Click(); };
}

void Form1::Click(const std::wstring& control) {
  if (auto it = onClick.find(control); it != onClick.end() && it->second) it->second();
}

void Form1::ColumnClick(const std::wstring& list, int column) {
  if (auto it = onColumnClick.find(list); it != onColumnClick.end() && it->second) it->second(column);
}

void Form1::RowClick(const std::wstring& list, int row) {
  if (auto it = onRowClick.find(list); it != onRowClick.end() && it->second) it->second(row);
}

void Form1::RightButtonUp(const std::wstring& list) {
  if (auto it = onRightButtonUp.find(list); it != onRightButtonUp.end() && it->second) it->second();
}

void Form1::Form_Load() {
  run(startup.initKnownControls);
  run(startup.preselectBrowserBasics);
  run(startup.fillPolicyNames);
  run(startup.fillPrivacyNames);
  run(startup.fillImmunityLists);
  run(startup.loadUserEntries);
}

void Form1::TabStrip_cjmy_Click() {
  const int n = c_.TabStrip_cjmy->current() + 1;
  for (auto* page : c_.Pictureframe) page->setVisible(false);
  c_.Pictureframe[static_cast<std::size_t>(n - 1)]->setVisible(true);

  if (n == 2) run(loaders.fillAddons);
  UpdateAddonHeader();
  if (n == 3) {
    run(loaders.loadBrowserBasics);
    run(loaders.loadPolicyStates);
    run(loaders.loadUninstallList);
    run(loaders.loadStartupList);
    run(loaders.loadNetworkSwitches);
  }
  if (n == 4) run(loaders.loadHosts);
  if (n == 5) platform_.dialogs.message(L"未完成", L"提示", MessageStyle::Plain);
}

void Form1::UpdateAddonHeader() {
  c_.ListView_cjgl->setHeader(
      0, L"插件名称,总" + std::to_wstring(c_.ListView_cjgl->rowCount()) + L"个");
}

void Form1::cd_gfwz_Click() { platform_.shell.open(kWebSite); }

void Form1::cd_lxwm_Click() { platform_.shell.open(kMailLink); }

void Form1::cd_gytrova_Click() { platform_.dialogs.message(kAboutText, kProgramTitle, MessageStyle::Plain); }

}  // namespace trova
