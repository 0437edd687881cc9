// The main window's behaviour without the window: start-up, the page switch,
// the menu commands and the routing of control events to the pages. The pages
// come from the page table; their start-up steps and tab-pick loaders run in
// the orders fixed by StartupStep and PickStep.
#pragma once
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/held_dialogs.h"
#include "app/page.h"
#include "platform/journal.h"
#include "platform/shell.h"
#include "ui/control_set.h"

namespace trova {

class Form1 {
 public:
  // Changes are recorded in the history folder under the user's local
  // application data; `clock` gives the time each change set is stamped with.
  Form1(Platform& platform, ControlSet& controls, std::function<std::wstring()> clock = currentLocalTime);

  // Window load: the start-up sequence. Notices it finds wait for
  // ShowStartupNotices, which the window calls once it is on screen.
  void Form_Load();
  void ShowStartupNotices();
  // A tab of the main tab strip was picked; reads the pick from the strip.
  void TabStrip_cjmy_Click();
  void cd_gfwz_Click();
  void cd_lxwm_Click();
  void cd_gytrova_Click();

  // Events from the window, routed by control name (see Routes). A click is
  // one user action: what its handler changes is one change set of the history.
  void Click(const std::wstring& control);
  void ColumnClick(const std::wstring& list, int column);
  void RowClick(const std::wstring& list, int row);
  void RightButtonUp(const std::wstring& list);

  const Routes& routes() const { return routes_; }
  const ChangeJournal& journal() const { return journal_; }

  // The page of that class, built from the page table.
  template <typename P>
  P& page() {
    for (auto& p : pages_)
      if (auto* found = dynamic_cast<P*>(p.get())) return *found;
    throw std::logic_error("that page is not in the page table");
  }

 private:
  HeldDialogs dialogs_;
  ChangeJournal journal_;
  JournalingRegistry registry_;
  JournalingFiles files_;
  // What the pages reach outside the window: the platform, its registry and
  // files through the change history, its dialogs held back during start-up.
  Platform platform_;
  ControlSet& controls_;
  Routes routes_;
  std::vector<std::unique_ptr<Page>> pages_;
};

}  // namespace trova
