#include "app/form1_design.h"

#include "app/page.h"
#include "settings/associations.h"
#include "settings/network.h"

namespace trova {

std::wstring innerPageName(const std::wstring& tabs, int index) {
  return tabs + L"." + std::to_wstring(index);
}

std::wstring mainPageName(int index) { return L"Pictureframe(" + std::to_wstring(index) + L")"; }

namespace {
std::vector<ControlDesign> build() {
  std::vector<ControlDesign> d;
  auto add = [&](std::wstring name, Kind kind, std::wstring caption, std::wstring parent,
                 std::vector<std::wstring> items = {}, std::vector<int> widths = {}) {
    d.push_back({std::move(name), kind, std::move(caption), std::move(parent), std::move(items),
                 std::move(widths)});
  };
  auto tabsWithPages = [&](const std::wstring& name, const std::wstring& parent,
                           const std::vector<std::wstring>& tabs) {
    add(name, Kind::Tabs, L"", parent, tabs);
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) add(innerPageName(name, i), Kind::Page, L"", parent);
  };

  add(L"TabStrip_cjmy", Kind::Tabs, L"", L"", mainTabCaptions());
  for (int i = 0; i < static_cast<int>(mainTabCaptions().size()); ++i) add(mainPageName(i), Kind::Page, L"", L"");

  // "插件免疫"
  tabsWithPages(L"SSTab_cjmy", L"Pictureframe(0)", kImmunityTabs);
  for (int i = 0; i < 4; ++i)
    add(L"ListView_cjmy(" + std::to_wstring(i) + L")", Kind::CheckList, L"", innerPageName(L"SSTab_cjmy", i),
        kImmunityColumns, {260, 290, 70});
  add(L"Command_yhzdytj", Kind::Button, L"添加", L"SSTab_cjmy.3");
  add(L"Command_yhzdysc", Kind::Button, L"删除", L"SSTab_cjmy.3");
  add(L"Command_yhzdybc", Kind::Button, L"保存", L"SSTab_cjmy.3");
  add(L"Command_cjmyqx", Kind::Button, L"全选", L"Pictureframe(0)");
  add(L"command_cjmyqbx", Kind::Button, L"全不选", L"Pictureframe(0)");
  add(L"Command_cjmydc", Kind::Button, L"导出", L"Pictureframe(0)");
  add(L"Command_cjmy", Kind::Button, L"应 用", L"Pictureframe(0)");

  // "插件管理"
  add(L"ListView_cjgl", Kind::List, L"", L"Pictureframe(1)", {L"插件名称", L"CISID", L"状态", L"类型", L"插件文件"},
      {150, 250, 60, 100, 230});
  add(L"Command_cjglsc", Kind::Button, L"删除", L"Pictureframe(1)");
  add(L"Command_cjgldc", Kind::Button, L"导出", L"Pictureframe(1)");
  add(L"Command_cjgljy", Kind::Button, L"禁用", L"Pictureframe(1)");
  add(L"Command_cjglqy", Kind::Button, L"启用", L"Pictureframe(1)");

  // "系统设置"
  tabsWithPages(L"SSTab_xtsz", L"Pictureframe(2)", kSettingsTabs);
  const std::wstring browser = innerPageName(L"SSTab_xtsz", 0);
  add(L"frame_xtszllqsz", Kind::Frame, L"常规", browser);
  add(L"Label_iebt", Kind::Label, L"IE标题:", browser);
  add(L"Check_iebt", Kind::CheckBox, L"自定义IE标题", browser);
  add(L"Text_iebt", Kind::Edit, L"", browser);
  add(L"Label_iesy", Kind::Label, L"IE首页:", browser);
  add(L"Combo_iesy", Kind::Combo, L"", browser, {L"使用空白页面", L"使用默认首页", L"使用谷歌个性", L"使用其他主页"});
  add(L"Text_iesy", Kind::Edit, L"", browser);
  add(L"Label_iessyq", Kind::Label, L"IE搜索引擎:", browser);
  const std::vector<std::wstring> searchEngines = {L"使用默认搜索引擎", L"使用百度搜索引擎", L"使用谷歌搜索引擎",
                                                   L"使用其他搜索引擎"};
  add(L"Combo_iessyq", Kind::Combo, L"", browser, searchEngines);
  add(L"Text_iessyq", Kind::Edit, L"", browser);
  add(L"Label_iesszsdz", Kind::Label, L"IE搜索助手/定制:", browser);
  add(L"Combo_iesszsdz", Kind::Combo, L"", browser, searchEngines);
  add(L"Text_iesszsdz", Kind::Edit, L"", browser);
  add(L"Label_iexzml", Kind::Label, L"IE下载目录:", browser);
  add(L"Text_iexzml", Kind::Edit, L"", browser);
  add(L"ListView_llqsz", Kind::CheckList, L"", browser, {L"项目", L"状态"}, {190, 110});
  add(L"Check_llqsz", Kind::CheckBox, L"禁止使用Internet选项", browser);
  add(L"Command_llqsz", Kind::Button, L"应用", browser);

  const std::wstring software = innerPageName(L"SSTab_xtsz", 1);
  // The alias column is hidden (width 0): it carries the registration's key name.
  add(L"ListView_rjxz", Kind::List, L"", software, {L"软件名称", L"版本号", L"卸载程序文件", L"别名"},
      {147, 96, 200, 0});
  add(L"Command_rjxzsc", Kind::Button, L"仅仅删除信息", software);
  add(L"Command_rjxzxz", Kind::Button, L"卸载", software);

  const std::wstring startup = innerPageName(L"SSTab_xtsz", 2);
  add(L"ListView_qdxm", Kind::List, L"", startup, {L"名称", L"位置", L"状态", L"文件路径"}, {167, 60, 60, 170});
  add(L"Command_qdxmtj", Kind::Button, L"添加", startup);
  add(L"Command_qdxmsc", Kind::Button, L"删除", startup);
  add(L"Command_qdxmjy", Kind::Button, L"禁用", startup);
  add(L"Command_qdxmqy", Kind::Button, L"启用", startup);

  const std::wstring cleaning = innerPageName(L"SSTab_xtsz", 3);
  add(L"ListView_ysql", Kind::CheckList, L"", cleaning, {L"清理项目"}, {300});
  add(L"Command_ysqlqbx", Kind::Button, L"全不选", cleaning);
  add(L"Command_ysqlqx", Kind::Button, L"全选", cleaning);
  add(L"Command_ysql", Kind::Button, L"清理", cleaning);

  const std::wstring associations = innerPageName(L"SSTab_xtsz", 4);
  add(L"Frame_wlsz", Kind::Frame, L"网络选项", associations);
  for (const auto& s : network::switches()) {
    add(s.checkBox, s.threeState ? Kind::ThreeStateCheckBox : Kind::CheckBox, s.caption, associations);
    if (s.combo) add(s.combo->name, Kind::Combo, L"", associations, network::comboTexts(*s.combo));
  }
  add(L"Frame_xtwjgl", Kind::Frame, L"文件关联", associations);
  for (const auto& r : associations::repairs()) add(r.checkBox, Kind::CheckBox, r.caption, associations);
  add(L"Command_xtglyy", Kind::Button, L"应用", associations);

  // "网站免疫"
  add(L"List_wzmy", Kind::ListBox, L"", L"Pictureframe(3)");
  add(L"Command_wzmybc", Kind::Button, L"保存应用", L"Pictureframe(3)");
  add(L"Command_wzmysc", Kind::Button, L"删除", L"Pictureframe(3)");
  add(L"Command_wzmytj", Kind::Button, L"添加", L"Pictureframe(3)");

  // "工具": the change history.
  add(L"ListView_gjls", Kind::List, L"", L"Pictureframe(4)", {L"时间", L"页面", L"操作", L"更改数"},
      {150, 110, 120, 60});
  add(L"ListView_gjgg", Kind::List, L"", L"Pictureframe(4)", {L"位置", L"名称", L"之前", L"之后"},
      {330, 130, 150, 150});
  add(L"Command_gjdkwjj", Kind::Button, L"打开文件夹", L"Pictureframe(4)");
  add(L"Command_gjcx", Kind::Button, L"撤销", L"Pictureframe(4)");
  return d;
}
}  // namespace

const std::vector<ControlDesign>& form1Design() {
  static const std::vector<ControlDesign> design = build();
  return design;
}

const ControlDesign* findDesign(std::wstring_view name) {
  for (const auto& d : form1Design())
    if (d.name == name) return &d;
  return nullptr;
}

std::wstring pageCaptionOf(std::wstring_view control) {
  // Pages are named after their tab control: "SSTab_xtsz.3" is tab 3 of
  // SSTab_xtsz, "Pictureframe(2)" tab 2 of the main tab strip.
  for (const ControlDesign* d = findDesign(control); d && !d->parent.empty(); d = findDesign(d->parent)) {
    const ControlDesign* page = findDesign(d->parent);
    if (!page || page->kind != Kind::Page) continue;
    const std::wstring& n = page->name;
    if (n.rfind(L"Pictureframe(", 0) == 0) {
      const std::size_t index = std::stoul(n.substr(13));
      return index < mainTabCaptions().size() ? mainTabCaptions()[index] : std::wstring();
    }
    const std::size_t dot = n.rfind(L'.');
    const ControlDesign* tabs = dot == std::wstring::npos ? nullptr : findDesign(n.substr(0, dot));
    const std::size_t index = tabs ? std::stoul(n.substr(dot + 1)) : 0;
    if (tabs && index < tabs->items.size()) return tabs->items[index];
  }
  return {};
}

const std::vector<MenuDesign>& menuBarDesign() {
  static const std::vector<MenuDesign> menus = {
      {L"cd_gfwz", L"官方网站", 100}, {L"cd_lxwm", L"联系我们", 101}, {L"cd_gytrova", L"关于Trova", 102}};
  return menus;
}

const std::vector<PopupDesign>& popupDesign() {
  static const std::vector<PopupDesign> popups = {
      {L"cd_cjmyyj", {L"cd_cjmyxxxx", L"查看详细信息", 110}},
      {L"cd_cjglyj", {L"cd_cjglxxxx", L"查看详细信息", 111}},
      {L"cd_rjxz", {L"cd_rjxzxxxx", L"查看详细信息", 112}},
      {L"cd_qdxm", {L"cd_qdxmxxxx", L"查看详细信息", 113}},
  };
  return popups;
}

}  // namespace trova
