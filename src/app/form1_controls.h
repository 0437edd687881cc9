// Every control of the main window that page logic reads or changes, by the
// name the window gives it. The Win32 layer fills this with real controls,
// tests with in-memory ones.
#pragma once
#include <array>

#include "ui/controls.h"

namespace trova {

struct Form1Controls {
  PopupMenus* menus = nullptr;
  Tabs* TabStrip_cjmy = nullptr;
  std::array<Panel*, 5> Pictureframe{};

  // "插件免疫"
  Tabs* SSTab_cjmy = nullptr;
  std::array<ListView*, 4> ListView_cjmy{};

  // "插件管理"
  ListView* ListView_cjgl = nullptr;
  Button* Command_cjgljy = nullptr;
  Button* Command_cjglqy = nullptr;

  // "系统设置"
  Tabs* SSTab_xtsz = nullptr;
  ListView* ListView_llqsz = nullptr;
  CheckBox* Check_llqsz = nullptr;
  CheckBox* Check_iebt = nullptr;
  TextBox* Text_iebt = nullptr;
  TextBox* Text_iesy = nullptr;
  TextBox* Text_iessyq = nullptr;
  TextBox* Text_iesszsdz = nullptr;
  TextBox* Text_iexzml = nullptr;
  ComboBox* Combo_iesy = nullptr;
  ComboBox* Combo_iessyq = nullptr;
  ComboBox* Combo_iesszsdz = nullptr;
  ListView* ListView_rjxz = nullptr;
  ListView* ListView_qdxm = nullptr;
  ListView* ListView_ysql = nullptr;

  // "网站免疫"
  ListBox* List_wzmy = nullptr;
};

}  // namespace trova
