// The "工具" page: the change history. A list of the change sets every page's
// actions left (newest first), the changes of the one selected, "撤销" to put
// back what it changed, and "打开文件夹" to show where the history is kept.
#pragma once
#include <string>

#include "app/page.h"
#include "ui/controls.h"

namespace trova {

class HistoryPage final : public Page {
 public:
  explicit HistoryPage(PageSite& site);

  // Reads the history folder again (every pick of the tab).
  void LoadHistory();
  // A change set was clicked: its changes below.
  void ListView_gjls_ItemClick(int row);
  void Command_gjcx_Click();     // "撤销"
  void Command_gjdkwjj_Click();  // "打开文件夹"

 private:
  Platform& platform_;
  std::wstring folder_;
  ListView& ListView_gjls;
  ListView& ListView_gjgg;
};

}  // namespace trova
