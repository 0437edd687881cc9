// The controls of the main window: what each is, its caption, its parent and,
// for lists, its columns and their widths. The real window creates its
// controls from this table, the in-memory control set used by tests builds
// the same controls from it, and events are routed by these names, so the
// three cannot disagree. Where each control sits is the window's business
// (src/win32/form1_placement.cpp).
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace trova {

enum class Kind { Page, Tabs, List, CheckList, ListBox, Button, CheckBox, ThreeStateCheckBox, Edit, Combo, Label, Frame };

struct ControlDesign {
  std::wstring name;
  Kind kind;
  std::wstring caption;
  std::wstring parent;              // "" = the main window
  std::vector<std::wstring> items;  // tab captions, list column headers or combo entries
  std::vector<int> columnWidths;    // list columns, in pixels at 96 DPI
};

// Every control in creation order (a parent before its children).
const std::vector<ControlDesign>& form1Design();
// The control of that name, or null.
const ControlDesign* findDesign(std::wstring_view name);

// The inner page of tab `index` of a tab control, e.g. "SSTab_cjmy.2", and the
// page of main tab `index`, "Pictureframe(index)".
std::wstring innerPageName(const std::wstring& tabs, int index);
std::wstring mainPageName(int index);

// The caption of the tab whose page holds the control (the innermost one),
// e.g. "系统清理" for Command_ysql; empty for a control outside every page.
std::wstring pageCaptionOf(std::wstring_view control);

// Menu commands by name; the four pop-up menus each hold one item.
struct MenuDesign {
  std::wstring name;
  std::wstring caption;
  int id;
};
const std::vector<MenuDesign>& menuBarDesign();
struct PopupDesign {
  std::wstring menu;
  MenuDesign item;
};
const std::vector<PopupDesign>& popupDesign();

// The captions of the tabs and the column headers the design gives, shared by
// the window and the tests.
inline const std::vector<std::wstring> kImmunityTabs = {L"国内插件", L"国外插件", L"日常插件", L"用户自定义"};
inline const std::vector<std::wstring> kSettingsTabs = {L"浏览器设置", L"软件卸载", L"启动项目", L"系统清理",
                                                        L"系统关联"};
inline const std::vector<std::wstring> kImmunityColumns = {L"插件名称", L"CISID", L"状态"};

inline constexpr const wchar_t* kAboutText = L"Trova build 2007.05.04";
inline constexpr const wchar_t* kWebSite = L"https://trova.example.com/";
inline constexpr const wchar_t* kMailLink = L"mailto:support@trova.example.com";

}  // namespace trova
