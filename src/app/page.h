// How a page hooks into the main window. A page is a class in its own folder
// that holds its controls by their design names and, when it is built, tells
// the window what to run at start-up, what a pick of its tab reloads and which
// of its methods handle which control's events. The pages themselves are
// listed once, in the page table (app/page_table.cpp).
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/journal.h"
#include "platform/shell.h"
#include "ui/control_set.h"

namespace trova {

// The start-up steps, in the order they run: the catalogue comes first because
// the immunity lists read it, and the user's own entries come last.
enum class StartupStep { KnownControls, PreselectBrowserBasics, PolicyNames, PrivacyNames, ImmunityLists, UserEntries };

// What a pick of a main tab runs, in this order, for the pages on the picked
// tab; a step registered for every tab runs whichever tab is picked.
// "系统设置" reloads its five inner tabs in the order of these steps.
enum class PickStep {
  AddonList, AddonHeader,
  BrowserBasics, PolicyStates, UninstallList, StartupList, NetworkSwitches,
  Hosts,
  History,
};
inline constexpr int kEveryTab = -1;

// Everything the window routes, by control name. An event nobody handles does
// nothing; a test holds these names to the design table.
struct Routes {
  struct Startup {
    StartupStep step;
    std::function<void()> run;
  };
  struct Pick {
    PickStep step;
    int mainTab;  // index of the main tab, or kEveryTab
    std::function<void()> run;
  };
  std::vector<Startup> startup;
  std::vector<Pick> picks;
  // Buttons, check boxes, menu items, a tab control's tab change, a combo box's pick.
  std::map<std::wstring, std::function<void()>> click;
  // A list's column header (column from 0); a list row clicked with the left button.
  std::map<std::wstring, std::function<void(int)>> columnClick, rowClick;
  // The right mouse button released over a list.
  std::map<std::wstring, std::function<void()>> rightButtonUp;
};

// What a page is built with.
struct PageSite {
  Platform& platform;
  ControlSet& controls;
  Routes& routes;
  int mainTab;  // the main tab the page is on, from the page table
  ChangeJournal* journal = nullptr;  // the change history (the "工具" page reads it)

  void onStartup(StartupStep step, std::function<void()> run) { routes.startup.push_back({step, std::move(run)}); }
  void onPick(PickStep step, std::function<void()> run) { routes.picks.push_back({step, mainTab, std::move(run)}); }
  void onEveryPick(PickStep step, std::function<void()> run) {
    routes.picks.push_back({step, kEveryTab, std::move(run)});
  }
  void onClick(const std::wstring& control, std::function<void()> run) { routes.click[control] = std::move(run); }
};

class Page {
 public:
  virtual ~Page() = default;
};

// One entry of the page table.
struct PageEntry {
  std::wstring mainTab;  // the caption of the main tab the page is on
  std::unique_ptr<Page> (*build)(PageSite&);  // null while the page is not built yet
};

template <typename P>
std::unique_ptr<Page> buildPage(PageSite& site) {
  return std::make_unique<P>(site);
}

// The pages, main tab by main tab, in the order of the tab strip.
const std::vector<PageEntry>& pageTable();
// The captions of the main tabs, in order: the distinct tabs of the page table.
const std::vector<std::wstring>& mainTabCaptions();

}  // namespace trova
