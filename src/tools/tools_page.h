// The "工具" page. It has nothing to offer yet: a pick of its tab says so.
#pragma once
#include "app/page.h"

namespace trova {

class ToolsPage final : public Page {
 public:
  explicit ToolsPage(PageSite& site);

 private:
  Platform& platform_;
};

}  // namespace trova
