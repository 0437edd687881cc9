// The Internet Options restrictions: per-user policy values that hide or lock
// pages of the browser's Internet Options dialog, shown as the rows of a
// check-box list whose tick marks say what the user wants and whose state
// column says what the registry holds.
#pragma once
#include <array>

#include "platform/registry.h"
#include "settings/apply_report.h"
#include "settings/browser_basics.h"
#include "ui/controls.h"

namespace trova {

namespace policy {
// Exists only once some policy was set; created by the apply when needed.
inline constexpr const wchar_t* kPolicyKey = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";

inline constexpr const wchar_t* kBlocked = L"已屏蔽";
inline constexpr const wchar_t* kNotBlocked = L"未屏蔽";
inline constexpr const wchar_t* kUnsupported = L"不支持的浏览器版本";

enum Column { Label = 0, State = 1 };
}  // namespace policy

struct PolicySwitch {
  const wchar_t* label;      // the row's text; "..." marks a part of the page above it
  const wchar_t* valueName;  // a REG_DWORD in the policy key: 1 blocks
  bool wholePage;            // ticked and unticked together by "禁止使用Internet选项"
};

extern const std::array<PolicySwitch, 26> kPolicySwitches;

// Adds one unticked row per switch, in table order, with an empty state.
void fillPolicyNames(ListView& list);
// Sets each row's state from the registry and ticks exactly the blocked rows.
void loadPolicyStates(Registry& registry, ListView& list);
// Ticks or unticks the whole-page rows; the other rows keep their marks.
void tickWholePages(ListView& list, bool on);
// Writes every switch from its row's tick mark (1 ticked, 0 not), creating the
// policy key when a ticked row needs it; each row's state then says what the
// registry holds. Failures are noted in `report`.
void applyPolicySwitches(Registry& registry, ListView& list, ApplyReport& report);

}  // namespace trova
