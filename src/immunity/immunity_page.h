// The add-on immunity page: four check-box lists, one per tab of SSTab_cjmy
// (domestic, foreign, everyday from the catalogue; user-defined from
// cisid.dat), whose check marks say which controls get the kill-bit. The lists
// themselves are the page's data: apply, export and save read their rows.
#pragma once
#include <array>
#include <string>

#include "app/page.h"
#include "ui/controls.h"

namespace trova {

// What a row of an immunity list is: the control's CLSID, and whether that
// CLSID is only the catalogue's stand-in for an unknown one (its cell is grey).
struct ImmunityRow {
  std::wstring clsid;
  bool placeholder = false;
};

class ImmunityPage final : public Page {
 public:
  explicit ImmunityPage(PageSite& site);

  // Start-up, after InitKnownControls: every catalogue row into the list of its
  // category with its state read from the registry, one key opened per row.
  void FillImmunityLists();
  // Start-up, last step: the user-defined entries from cisid.dat, if it exists.
  void LoadUserEntries();

  // Immune when the control's kill-bit is set.
  bool ReadImmunityState(const std::wstring& clsid);
  // Check mark and status text of one row.
  void SetRowState(ListView& list, int row, bool immune);
  // "插件名称 (未免疫N项,总M项)" above list c, M being its row count.
  void UpdateListHeader(int c, int notImmune);

  // "应 用": every row of the four lists gets the kill-bit its check mark asks for.
  void Command_cjmy_Click();
  // "导出": every listed control as a REGEDIT4 file that sets its kill-bit.
  void Command_cjmydc_Click();
  // A tab of SSTab_cjmy was picked.
  void SSTab_cjmy_Click();
  // "添加", "删除", "保存" on the user-defined tab.
  void Command_yhzdytj_Click();
  void Command_yhzdysc_Click();
  void Command_yhzdybc_Click();

  // Rows read as not immune while each list was last filled, added to or deleted from.
  std::array<int, 4> notImmuneCount{};

 private:
  std::wstring userFilePath() const;
  int countNotImmune(int c) const;
  void refreshUserHeader();
  int addRow(int c, const std::wstring& name, const ImmunityRow& row);

  Platform& platform_;
  std::array<ListView*, 4> ListView_cjmy;
  Tabs& SSTab_cjmy;
  // cisid.dat was there at start-up but could not be read: the next save
  // keeps it aside before replacing it.
  bool userFileUnread_ = false;
};

}  // namespace trova
