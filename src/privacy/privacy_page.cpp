#include "privacy/privacy_page.h"

#include "app/list_behaviour.h"

namespace trova {

PrivacyPage::PrivacyPage(PageSite& site) : ListView_ysql(site.controls.listView(L"ListView_ysql")) {
  shareList(site, {.name = L"ListView_ysql", .list = &ListView_ysql, .sortable = false});
  addSelectButtons(site, L"Command_ysqlqx", L"Command_ysqlqbx", [this] { return &ListView_ysql; });
}

}  // namespace trova
