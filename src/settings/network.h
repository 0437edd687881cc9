// The network switches of the "系统关联" tab: nine well-known TCP/IP, NetBIOS,
// sharing and browser connection values, each set while its box is ticked
// and removed while it is not. Five take their number from a combo box whose
// entries are this table's own: the number of the picked entry is written,
// never read back out of its text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace trova {

namespace network {

struct ComboEntry {
  const wchar_t* text;
  std::uint32_t number;
};

struct NumberCombo {
  const wchar_t* name;
  std::vector<ComboEntry> entries;
  int tickSelects;  // the entry a tick of the box selects (from 0)
};

// A value written while the box is ticked: either the combo box's number or a
// fixed one.
struct TickedValue {
  const wchar_t* name;
  std::optional<std::uint32_t> fixed;  // none: the combo box's number
};

struct Switch {
  const wchar_t* checkBox;
  const wchar_t* caption;
  const NumberCombo* combo;  // null for a switch without a number
  Hive hive;
  const wchar_t* key;
  std::vector<TickedValue> values;  // written in this order; the first tells whether the switch is set
  // The NetBIOS keep-alive is never removed: its box has a third, greyed
  // state that means "leave the stored value alone".
  bool threeState = false;
};

// The nine switches in the order they are loaded and applied.
const std::vector<Switch>& switches();
const Switch* findSwitch(const std::wstring& checkBox);

// What the combo box of a switch offers after a load: the table's entries and,
// when the stored number is none of theirs, one more that stands for it.
struct ComboChoice {
  std::optional<std::uint32_t> extra;  // the stored number no entry has
  int selected = -1;
};
// Where the combo box stands for a stored number.
ComboChoice choiceFor(const NumberCombo& combo, std::uint32_t stored);
// The texts a combo box shows: its entries, then the extra one, e.g. "1450 (当前)".
std::vector<std::wstring> comboTexts(const NumberCombo& combo, std::optional<std::uint32_t> extra = std::nullopt);
// The number of entry `index` as comboTexts(combo, extra) lists them; none
// when no entry is selected.
std::optional<std::uint32_t> numberAt(const NumberCombo& combo, std::optional<std::uint32_t> extra, int index);

}  // namespace network

}  // namespace trova
