// The main window's behaviour without the window: start-up, the page switch
// and the menu commands. The pages are members; the start-up steps and page
// loaders are named hooks so that their order is fixed here and visible to tests.
#pragma once
#include <functional>
#include <map>
#include <string>

#include "addons/addon_page.h"
#include "app/form1_controls.h"
#include "app/list_behaviour.h"
#include "immunity/immunity_page.h"
#include "platform/shell.h"
#include "software/software_page.h"
#include "startup/startup_page.h"

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

  // Events from the window, routed by control name. Pages register their
  // handlers in the constructor; an event nobody handles does nothing.
  //   Click: buttons, check boxes, menu items, a tab control's tab change,
  //          a combo box's selection change.
  //   ColumnClick: a list's column header (column from 0).
  //   RowClick: a list row was clicked with the left button.
  //   RightButtonUp: the right mouse button was released over a list.
  void Click(const std::wstring& control);
  void ColumnClick(const std::wstring& list, int column);
  void RowClick(const std::wstring& list, int row);
  void RightButtonUp(const std::wstring& list);

  std::map<std::wstring, std::function<void()>> onClick;
  std::map<std::wstring, std::function<void(int)>> onColumnClick;
  std::map<std::wstring, std::function<void(int)>> onRowClick;
  std::map<std::wstring, std::function<void()>> onRightButtonUp;

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
  // Sorting, pop-up menus, details search and select all/none of the lists.
  ListBehaviour lists;
  SoftwarePage software;
  StartupPage startupItems;
  // "插件免疫": the catalogue and user-defined immunity lists.
  ImmunityPage immunity;

 private:
  void UpdateAddonHeader();
  void RegisterSharedLists();

  Platform& platform_;
  Form1Controls c_;
};

}  // namespace trova
