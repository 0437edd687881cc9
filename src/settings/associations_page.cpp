#include "settings/associations_page.h"

namespace trova {

AssociationsPage::AssociationsPage(PageSite& site) : platform_(site.platform) {
  ControlSet& controls = site.controls;
  for (const auto& s : network::switches())
    network_.push_back({&s, &controls.checkBox(s.checkBox), s.combo ? &controls.comboBox(s.combo->name) : nullptr, {}});
  for (const auto& r : associations::repairs()) repairs_.push_back({&r, &controls.checkBox(r.checkBox)});

  // Until the first load the NetBIOS keep-alive is left alone.
  for (auto& row : network_)
    if (row.spec->threeState) row.box->setState(CheckState::Grayed);

  site.onPick(PickStep::NetworkSwitches, [this] { LoadNetworkSwitches(); });
  site.onClick(L"Command_xtglyy", [this] { Command_xtglyy_Click(); });
  for (auto& row : network_) site.onClick(row.spec->checkBox, [this, &row] { NetworkCheck_Click(row); });
}

void AssociationsPage::NetworkCheck_Click(NetworkRow& row) {
  row.keepStored = false;
  TickRule(row);
}

void AssociationsPage::TickRule(NetworkRow& row) {
  if (row.combo && row.box->state() == CheckState::Checked) row.combo->select(row.spec->combo->tickSelects);
}

void AssociationsPage::SetBox(NetworkRow& row, CheckState state) {
  if (row.box->state() == state) return;
  row.box->setState(state);
  TickRule(row);
}

void AssociationsPage::LoadNetworkSwitches() {
  for (auto& row : network_) LoadSwitch(row);
}

void AssociationsPage::LoadSwitch(NetworkRow& row) {
  const network::Switch& s = *row.spec;
  // The stored values, in the switch's order; missing ones stay empty.
  std::vector<std::optional<RegValue>> stored(s.values.size());
  KeyPtr key;
  if (platform_.registry.open(s.hive, s.key, key) == regerr::Ok)
    for (std::size_t i = 0; i < s.values.size(); ++i)
      if (RegValue v; key->queryValue(s.values[i].name, v) == regerr::Ok) stored[i] = std::move(v);

  row.keepStored = false;
  if (!stored.front()) {
    SetBox(row, CheckState::Unchecked);
    return ShowNumber(row, std::nullopt);
  }
  auto number = [](const std::optional<RegValue>& v) {
    return v && v->type == RegType::Dword ? v->asDword() : std::nullopt;
  };
  // The box can show the values only as a tick writes them: each a number,
  // the fixed ones their own, the others the one the combo box shows.
  const std::optional<std::uint32_t> picked = number(stored.front());
  bool shown = picked.has_value();
  for (std::size_t i = 0; i < s.values.size(); ++i)
    shown = shown && number(stored[i]) == (s.values[i].fixed ? s.values[i].fixed : picked);
  if (!shown) {
    SetBox(row, CheckState::Unchecked);
    row.keepStored = true;
    return ShowNumber(row, std::nullopt);
  }
  SetBox(row, s.threeState ? CheckState::Grayed : CheckState::Checked);
  ShowNumber(row, picked);
}

void AssociationsPage::ShowNumber(NetworkRow& row, std::optional<std::uint32_t> stored) {
  if (!row.combo) return;
  const network::NumberCombo& combo = *row.spec->combo;
  int selected = row.combo->selected();
  std::optional<std::uint32_t> extra;
  if (stored) {
    const network::ComboChoice choice = network::choiceFor(combo, *stored);
    extra = choice.extra;
    selected = choice.selected;
  } else if (selected >= static_cast<int>(combo.entries.size())) {
    selected = -1;  // the extra entry goes with the number it stood for
  }
  if (extra != row.extra) {
    row.combo->setItems(network::comboTexts(combo, extra));
    row.extra = extra;
  }
  row.combo->select(selected);
}

void AssociationsPage::Command_xtglyy_Click() {
  ApplyReport report;
  RepairAssociations(report);
  ApplyNetwork(report);
  if (report.succeeded())
    platform_.dialogs.message(L"应用成功", L"提示", MessageStyle::Information);
  else
    platform_.dialogs.message(report.failureText(), L"提示", MessageStyle::Plain);
}

void AssociationsPage::RepairAssociations(ApplyReport& report) {
  for (const auto& row : repairs_) {
    if (row.box->state() != CheckState::Checked) continue;
    const auto command = RegValue::text(associations::openCommand(row.spec->opener, platform_.folders.windowsFolder()));
    for (const wchar_t* fileClass : row.spec->classes)
      report.write(platform_.registry, Hive::ClassesRoot, associations::commandKey(fileClass), L"", command);
  }
}

void AssociationsPage::ApplyNetwork(ApplyReport& report) {
  for (const auto& row : network_) {
    const network::Switch& s = *row.spec;
    if (row.box->state() == CheckState::Checked) {
      std::optional<std::uint32_t> picked;
      if (row.combo) picked = network::numberAt(*s.combo, row.extra, row.combo->selected());
      for (const auto& v : s.values) {
        const std::optional<std::uint32_t> number = v.fixed ? v.fixed : picked;
        if (number) report.write(platform_.registry, s.hive, s.key, v.name, RegValue::dword(*number));  // a tick always selects an entry
      }
    } else if (!s.threeState && !row.keepStored) {
      for (const auto& v : s.values) report.remove(platform_.registry, s.hive, s.key, v.name);
    }
  }
}

}  // namespace trova
