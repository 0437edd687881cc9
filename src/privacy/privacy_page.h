// The "系统清理" tab: the check-box list of privacy traces with its
// "全选"/"全不选" buttons.
#pragma once
#include "app/page.h"

namespace trova {

class PrivacyPage final : public Page {
 public:
  explicit PrivacyPage(PageSite& site);

 private:
  ListView& ListView_ysql;
};

}  // namespace trova
