#include "app/form1.h"

#include "app/form1_layout.h"
#include "immunity/cisid.h"

namespace trova {

namespace {
void run(const std::function<void()>& step) {
  if (step) step();
}
}  // namespace

Form1::Form1(Platform& platform, const Form1Controls& controls)
    : addons(platform, *controls.ListView_cjgl, *controls.Command_cjglqy, *controls.Command_cjgljy),
      lists(*this, platform, *controls.menus),
      software(platform, *controls.ListView_rjxz),
      startupItems(platform, *controls.ListView_qdxm),
      immunity(platform, controls.ListView_cjmy, *controls.SSTab_cjmy),
      platform_(platform),
      c_(controls) {
  // The window itself.
  onClick[L"TabStrip_cjmy"] = [this] { TabStrip_cjmy_Click(); };
  onClick[L"cd_gfwz"] = [this] { cd_gfwz_Click(); };
  onClick[L"cd_lxwm"] = [this] { cd_lxwm_Click(); };
  onClick[L"cd_gytrova"] = [this] { cd_gytrova_Click(); };
  RegisterSharedLists();

  // "插件免疫"
  startup.initKnownControls = [] { InitKnownControls(); };
  startup.fillImmunityLists = [this] { immunity.FillImmunityLists(); };
  startup.loadUserEntries = [this] { immunity.LoadUserEntries(); };
  onClick[L"Command_cjmy"] = [this] { immunity.Command_cjmy_Click(); };
  onClick[L"Command_cjmydc"] = [this] { immunity.Command_cjmydc_Click(); };
  onClick[L"SSTab_cjmy"] = [this] { immunity.SSTab_cjmy_Click(); };
  onClick[L"Command_yhzdytj"] = [this] { immunity.Command_yhzdytj_Click(); };
  onClick[L"Command_yhzdysc"] = [this] { immunity.Command_yhzdysc_Click(); };
  onClick[L"Command_yhzdybc"] = [this] { immunity.Command_yhzdybc_Click(); };

  // "插件管理"
  loaders.fillAddons = [this] { addons.FillAddonList(); };
  onClick[L"Command_cjgljy"] = [this] { addons.Command_cjgljy_Click(); };
  onClick[L"Command_cjglqy"] = [this] { addons.Command_cjglqy_Click(); };
  onClick[L"Command_cjglsc"] = [this] { addons.Command_cjglsc_Click(); };
  onClick[L"Command_cjgldc"] = [this] { addons.Command_cjgldc_Click(); };
  onRowClick[L"ListView_cjgl"] = [this](int row) { addons.ListView_cjgl_ItemClick(row); };

  // "系统设置": software and startup items.
  loaders.loadUninstallList = [this] { software.LoadUninstallList(); };
  loaders.loadStartupList = [this] { startupItems.LoadStartupList(); };
  onClick[L"Command_rjxzxz"] = [this] { software.Command_rjxzxz_Click(); };
  onClick[L"Command_rjxzsc"] = [this] { software.Command_rjxzsc_Click(); };
  onClick[L"Command_qdxmjy"] = [this] { startupItems.Command_qdxmjy_Click(); };
  onClick[L"Command_qdxmqy"] = [this] { startupItems.Command_qdxmqy_Click(); };
  onClick[L"Command_qdxmsc"] = [this] { startupItems.Command_qdxmsc_Click(); };
  onClick[L"Command_qdxmtj"] = [this] { startupItems.Command_qdxmtj_Click(); };
}

// Every list with shared behaviour is registered here, once.
void Form1::RegisterSharedLists() {
  lists.add({.name = L"ListView_cjgl", .list = c_.ListView_cjgl, .menu = L"cd_cjglyj",
             .detailsItem = L"cd_cjglxxxx", .term = AddonPage::DetailsSearchTerm});
  // Four lists, one per tab of SSTab_cjmy, share one menu that acts on the list in view.
  std::vector<ListView*> cjmy(c_.ListView_cjmy.begin(), c_.ListView_cjmy.end());
  const ListChoice immunityInView = c_.SSTab_cjmy ? listOnCurrentTab(*c_.SSTab_cjmy, cjmy) : ListChoice();
  for (std::size_t i = 0; i < cjmy.size(); ++i) {
    lists.add({.name = L"ListView_cjmy(" + std::to_wstring(i) + L")", .list = cjmy[i],
               .menu = L"cd_cjmyyj", .detailsItem = L"cd_cjmyxxxx", .term = searchColumn1,
               .detailsList = immunityInView});
  }
  if (immunityInView) lists.addSelectButtons(L"Command_cjmyqx", L"command_cjmyqbx", immunityInView);
  lists.add({.name = L"ListView_qdxm", .list = c_.ListView_qdxm, .menu = L"cd_qdxm",
             .detailsItem = L"cd_qdxmxxxx", .term = searchRowText});
  lists.add({.name = L"ListView_rjxz", .list = c_.ListView_rjxz, .menu = L"cd_rjxz",
             .detailsItem = L"cd_rjxzxxxx", .term = searchRowText});
  lists.add({.name = L"ListView_ysql", .list = c_.ListView_ysql, .sortable = false});
  lists.addSelectButtons(L"Command_ysqlqx", L"Command_ysqlqbx",
                         [list = c_.ListView_ysql] { return list; });
}

void Form1::Click(const std::wstring& control) {
  if (auto it = onClick.find(control); it != onClick.end() && it->second) it->second();
}

void Form1::ColumnClick(const std::wstring& list, int column) {
  if (auto it = onColumnClick.find(list); it != onColumnClick.end() && it->second) it->second(column);
}

void Form1::RowClick(const std::wstring& list, int row) {
  if (auto it = onRowClick.find(list); it != onRowClick.end() && it->second) it->second(row);
}

void Form1::RightButtonUp(const std::wstring& list) {
  if (auto it = onRightButtonUp.find(list); it != onRightButtonUp.end() && it->second) it->second();
}

void Form1::Form_Load() {
  run(startup.initKnownControls);
  run(startup.preselectBrowserBasics);
  run(startup.fillPolicyNames);
  run(startup.fillPrivacyNames);
  run(startup.fillImmunityLists);
  run(startup.loadUserEntries);
}

void Form1::TabStrip_cjmy_Click() {
  const int n = c_.TabStrip_cjmy->current() + 1;
  for (auto* page : c_.Pictureframe) page->setVisible(false);
  c_.Pictureframe[static_cast<std::size_t>(n - 1)]->setVisible(true);

  if (n == 2) run(loaders.fillAddons);
  UpdateAddonHeader();
  if (n == 3) {
    run(loaders.loadBrowserBasics);
    run(loaders.loadPolicyStates);
    run(loaders.loadUninstallList);
    run(loaders.loadStartupList);
    run(loaders.loadNetworkSwitches);
  }
  if (n == 4) run(loaders.loadHosts);
  if (n == 5) platform_.dialogs.message(L"未完成", L"提示", MessageStyle::Plain);
}

void Form1::UpdateAddonHeader() {
  c_.ListView_cjgl->setHeader(
      0, L"插件名称,总" + std::to_wstring(c_.ListView_cjgl->rowCount()) + L"个");
}

void Form1::cd_gfwz_Click() { platform_.shell.open(kWebSite); }

void Form1::cd_lxwm_Click() { platform_.shell.open(kMailLink); }

void Form1::cd_gytrova_Click() { platform_.dialogs.message(kAboutText, kProgramTitle, MessageStyle::Plain); }

}  // namespace trova
