// The pages of the main window. Adding a page is adding one line here (and its
// controls to the design table): the tab strip, the page switch, the start-up
// and the event routing all read this table.
#include "addons/addon_page.h"
#include "app/page.h"
#include "hosts/hosts_page.h"
#include "immunity/immunity_page.h"
#include "privacy/privacy_page.h"
#include "settings/associations_page.h"
#include "settings/browser_page.h"
#include "software/software_page.h"
#include "startup/startup_page.h"
#include "tools/history_page.h"

namespace trova {

const std::vector<PageEntry>& pageTable() {
  static const std::vector<PageEntry> table = {
      {L"插件免疫", &buildPage<ImmunityPage>},
      {L"插件管理", &buildPage<AddonPage>},
      {L"系统设置", &buildPage<BrowserSettingsPage>},
      {L"系统设置", &buildPage<SoftwarePage>},
      {L"系统设置", &buildPage<StartupPage>},
      {L"系统设置", &buildPage<PrivacyPage>},
      {L"系统设置", &buildPage<AssociationsPage>},
      {L"网站免疫", &buildPage<HostsPage>},
      {L"工具", &buildPage<HistoryPage>},
  };
  return table;
}

const std::vector<std::wstring>& mainTabCaptions() {
  static const std::vector<std::wstring> captions = [] {
    std::vector<std::wstring> out;
    for (const auto& entry : pageTable())
      if (out.empty() || out.back() != entry.mainTab) out.push_back(entry.mainTab);
    return out;
  }();
  return captions;
}

}  // namespace trova
