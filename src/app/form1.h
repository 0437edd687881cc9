// The main window's behaviour without the window: start-up, the page switch
// and the menu commands. The pages are members; the start-up steps and page
// loaders are named hooks so that their order is fixed here and visible to tests.
#pragma once
#include <functional>

#include "addons/addon_page.h"
#include "app/form1_controls.h"
#include "platform/shell.h"

namespace trova {

class Form1 {
 public:
  Form1(Platform& platform, const Form1Controls& controls);

  // Window load: the start-up sequence.
  void Form_Load();
  // A tab of the main tab strip was picked; reads the pick from the strip.
  void TabStrip_cjmy_Click();
  void cd_gfwz_Click();
  void cd_lxwm_Click();
  void cd_gytrova_Click();

  // Start-up, in the order they run. The immunity lists read the catalogue, so it comes first.
  struct StartupSteps {
    std::function<void()> initKnownControls;
    std::function<void()> preselectBrowserBasics;
    std::function<void()> fillPolicyNames;
    std::function<void()> fillPrivacyNames;
    std::function<void()> fillImmunityLists;
    std::function<void()> loadUserEntries;
  } startup;

  // What a tab pick reloads. "系统设置" runs its five loaders in the order listed.
  struct PageLoaders {
    std::function<void()> fillAddons;
    std::function<void()> loadBrowserBasics;
    std::function<void()> loadPolicyStates;
    std::function<void()> loadUninstallList;
    std::function<void()> loadStartupList;
    std::function<void()> loadNetworkSwitches;
    std::function<void()> loadHosts;
  } loaders;

  AddonPage addons;

 private:
  void UpdateAddonHeader();

  Platform& platform_;
  Form1Controls c_;
};

}  // namespace trova
