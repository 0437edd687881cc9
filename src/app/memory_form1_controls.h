// A complete set of in-memory controls for the main window, for tests.
#pragma once
#include "app/form1_controls.h"
#include "app/form1_layout.h"
#include "ui/memory_controls.h"

namespace trova {

struct MemoryForm1Controls {
  MemoryPopupMenus menus;
  MemoryTabs TabStrip_cjmy;
  std::array<MemoryPanel, 5> Pictureframe;
  MemoryTabs SSTab_cjmy;
  std::array<MemoryListView, 4> ListView_cjmy{
      MemoryListView(kImmunityColumns), MemoryListView(kImmunityColumns),
      MemoryListView(kImmunityColumns), MemoryListView(kImmunityColumns)};
  MemoryListView ListView_cjgl{kAddonColumns};
  MemoryButton Command_cjgljy, Command_cjglqy;
  MemoryTabs SSTab_xtsz;
  MemoryListView ListView_llqsz{kPolicyColumns};
  MemoryCheckBox Check_llqsz, Check_iebt;
  MemoryTextBox Text_iebt, Text_iesy, Text_iessyq, Text_iesszsdz, Text_iexzml;
  MemoryComboBox Combo_iesy, Combo_iessyq, Combo_iesszsdz;
  MemoryListView ListView_rjxz{kSoftwareColumns};
  MemoryListView ListView_qdxm{kStartupColumns};
  MemoryListView ListView_ysql{kPrivacyColumns};
  MemoryListBox List_wzmy;

  Form1Controls controls() {
    Form1Controls c;
    c.menus = &menus;
    c.TabStrip_cjmy = &TabStrip_cjmy;
    for (std::size_t i = 0; i < Pictureframe.size(); ++i) c.Pictureframe[i] = &Pictureframe[i];
    c.SSTab_cjmy = &SSTab_cjmy;
    for (std::size_t i = 0; i < ListView_cjmy.size(); ++i) c.ListView_cjmy[i] = &ListView_cjmy[i];
    c.ListView_cjgl = &ListView_cjgl;
    c.Command_cjgljy = &Command_cjgljy;
    c.Command_cjglqy = &Command_cjglqy;
    c.SSTab_xtsz = &SSTab_xtsz;
    c.ListView_llqsz = &ListView_llqsz;
    c.Check_llqsz = &Check_llqsz;
    c.Check_iebt = &Check_iebt;
    c.Text_iebt = &Text_iebt;
    c.Text_iesy = &Text_iesy;
    c.Text_iessyq = &Text_iessyq;
    c.Text_iesszsdz = &Text_iesszsdz;
    c.Text_iexzml = &Text_iexzml;
    c.Combo_iesy = &Combo_iesy;
    c.Combo_iessyq = &Combo_iessyq;
    c.Combo_iesszsdz = &Combo_iesszsdz;
    c.ListView_rjxz = &ListView_rjxz;
    c.ListView_qdxm = &ListView_qdxm;
    c.ListView_ysql = &ListView_ysql;
    c.List_wzmy = &List_wzmy;
    return c;
  }
};

}  // namespace trova
