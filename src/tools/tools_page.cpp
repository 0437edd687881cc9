#include "tools/tools_page.h"

namespace trova {

ToolsPage::ToolsPage(PageSite& site) : platform_(site.platform) {
  site.onPick(PickStep::History, [this] { platform_.dialogs.message(L"未完成", L"提示", MessageStyle::Plain); });
}

}  // namespace trova
