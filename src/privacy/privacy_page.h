// The "系统清理" tab: the fixed list of usage traces, each a check-box row,
// and "清理", which removes the ticked traces from HKEY_CURRENT_USER.
#pragma once
#include <string>
#include <vector>

#include "app/page.h"
#include "privacy/traces.h"
#include "ui/controls.h"

namespace trova {

namespace privacy {
inline constexpr const wchar_t* kDone = L"清理完成!";
inline constexpr const wchar_t* kNotCleaned = L"以下项目未能清理：";
}  // namespace privacy

class PrivacyPage final : public Page {
 public:
  explicit PrivacyPage(PageSite& site);

  // Start-up: one unticked row per trace, in catalogue order. Nothing is read
  // from the registry, and nothing refills the list afterwards.
  void FillPrivacyNames();
  // "清理": the ticked rows' traces in list order; the marks stay.
  void Command_ysql_Click();

 private:
  // Runs the trace's groups in order; adds a line for each removal that left
  // the trace in place.
  void Clean(const Trace& trace, std::vector<std::wstring>& notCleaned);

  Platform& platform_;
  ListView& ListView_ysql;
};

}  // namespace trova
