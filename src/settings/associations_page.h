// The "系统关联" tab: the file-association repairs and the network switches,
// applied together by "应用". The repairs are never read back (they only put
// known commands in place); the network switches are read on every pick of
// "系统设置" and show what is stored, so that an apply pressed for one of
// them leaves the others as they are.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "app/page.h"
#include "settings/apply_report.h"
#include "settings/associations.h"
#include "settings/network.h"

namespace trova {

class AssociationsPage final : public Page {
 public:
  explicit AssociationsPage(PageSite& site);

  // Each box shows whether its value is stored and each combo box the
  // stored number.
  void LoadNetworkSwitches();
  void Command_xtglyy_Click();  // "应用": the repairs, then the network switches, then one message

 private:
  struct NetworkRow {
    const network::Switch* spec;
    CheckBox* box;
    ComboBox* combo;                     // null for a switch without a number
    std::optional<std::uint32_t> extra;  // a stored number the combo box shows beyond its entries
    // Something is stored that the box cannot show (another number, or not a
    // number): the apply leaves it alone until the user clicks the box.
    bool keepStored = false;
  };
  struct RepairRow {
    const associations::Repair* spec;
    CheckBox* box;
  };

  void NetworkCheck_Click(NetworkRow& row);
  // What a tick does to the combo box, whoever made it: selects the usual entry.
  void TickRule(NetworkRow& row);
  void SetBox(NetworkRow& row, CheckState state);
  void LoadSwitch(NetworkRow& row);
  void ShowNumber(NetworkRow& row, std::optional<std::uint32_t> stored);
  void RepairAssociations(ApplyReport& report);
  void ApplyNetwork(ApplyReport& report);

  Platform& platform_;
  std::vector<NetworkRow> network_;
  std::vector<RepairRow> repairs_;
};

}  // namespace trova
