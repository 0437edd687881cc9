#include "restrictions/policy_switches.h"

namespace trova {

using namespace policy;

const std::array<PolicySwitch, 26> kPolicySwitches = {{
    {L"禁止使用 常规页", L"GeneralTab", true},
    {L"禁止使用 ...主页", L"HomePage", false},
    {L"禁止使用 ...缓冲", L"Cache", false},
    {L"禁止使用 ...历史", L"History", false},
    {L"禁止使用 ...颜色", L"Colors", false},
    {L"禁止使用 ...链接", L"Links", false},
    {L"禁止使用 ...语言", L"Languages", false},
    {L"禁止使用 ...辅助功能", L"Accessibility", false},
    {L"禁止使用 隐私页", L"PrivacyTab", true},
    {L"禁止使用 内容页", L"ContentTab", true},
    {L"禁止使用 ...分级审查", L"Rating", false},
    {L"禁止使用 ...个人证书", L"Certificates", false},
    {L"禁止使用 ...保存密码", L"FormSuggestPasswords", false},
    {L"禁止使用 ...配置文件", L"Profiles", false},
    {L"禁止使用 安全页", L"SecurityTab", true},
    {L"禁止使用 连接页", L"ConnectionsTab", true},
    {L"禁止使用 ...连接向导", L"ConnwizAdminLock", false},
    {L"禁止使用 ...连接设置", L"ConnectionSettings", false},
    {L"禁止使用 ...代理", L"Proxy", false},
    {L"禁止使用 程序页", L"ProgramsTab", true},
    {L"禁止使用 ...Internet相关打开的程序", L"Messaging", false},
    {L"禁止使用 ...日历，地址本", L"CalendarContact", false},
    {L"禁止使用 ...检查Internet Explorer是否默认浏览器", L"Check_If_Default", false},
    {L"禁止使用 高级页", L"AdvancedTab", true},
    {L"禁止使用 ...修改设置", L"Advanced", false},
    {L"禁止使用 ...恢复高级页的默认设置", L"ResetWebSettings", false},
}};

namespace {
// Only the number 1 blocks, as the program itself writes it: a REG_DWORD.
bool isBlocked(RegKey& key, const PolicySwitch& s) {
  RegValue v;
  return key.queryValue(s.valueName, v) == regerr::Ok && v.type == RegType::Dword && v.asDword() == 1u;
}

void showState(ListView& list, int row, const wchar_t* state, bool ticked) {
  list.setCell(row, State, state);
  list.setChecked(row, ticked);
}

bool anyTicked(const ListView& list) {
  for (int r = 0; r < list.rowCount(); ++r)
    if (list.checked(r)) return true;
  return false;
}
}  // namespace

void fillPolicyNames(ListView& list) {
  ListFill fill(list);
  list.clear();
  for (const PolicySwitch& s : kPolicySwitches) list.addRow({s.label, L""}, false, &s);
}

void loadPolicyStates(Registry& registry, ListView& list) {
  ListFill fill(list);
  KeyPtr key;
  const bool open = registry.open(Hive::CurrentUser, kPolicyKey, key) == regerr::Ok;
  // No policy key means no policy was ever set, as long as the browser is
  // there (its own per-user key).
  const wchar_t* absent = keyExists(registry, Hive::CurrentUser, browser::kBrowserKey) ? kNotBlocked : kUnsupported;
  for (int r = 0; r < list.rowCount(); ++r) {
    const PolicySwitch* const* s = recordOf<const PolicySwitch*>(list, r);
    if (!s) continue;
    const bool blocked = open && isBlocked(*key, **s);
    showState(list, r, blocked ? kBlocked : open ? kNotBlocked : absent, blocked);
  }
}

void tickWholePages(ListView& list, bool on) {
  for (int r = 0; r < list.rowCount(); ++r) {
    const PolicySwitch* const* s = recordOf<const PolicySwitch*>(list, r);
    if (s && (*s)->wholePage) list.setChecked(r, on);
  }
}

void applyPolicySwitches(Registry& registry, ListView& list, ApplyReport& report) {
  KeyPtr key;
  if (const RegStatus opened = registry.open(Hive::CurrentUser, kPolicyKey, key); opened != regerr::Ok) {
    // A key that is there but cannot be opened may hold policies to lift.
    if (opened != regerr::FileNotFound) return void(report.note(opened, L"Internet选项限制"));
    // Nothing to lift where no policy is set; a key is made only to block.
    if (!anyTicked(list)) return;
    KeyPtr browserKey;
    const RegStatus browser = registry.open(Hive::CurrentUser, browser::kBrowserKey, browserKey);
    if (browser == regerr::FileNotFound) return report.fail(L"Internet选项限制", kUnsupported);
    if (!report.note(browser, L"Internet选项限制")) return;
    if (!report.note(registry.create(Hive::CurrentUser, kPolicyKey, key), L"Internet选项限制")) return;
  }
  ListFill fill(list);
  for (int r = 0; r < list.rowCount(); ++r) {
    const PolicySwitch* const* s = recordOf<const PolicySwitch*>(list, r);
    if (!s) continue;
    const bool wanted = list.checked(r);
    const bool written = report.note(writeIfChanged(*key, (*s)->valueName, RegValue::dword(wanted ? 1 : 0)),
                                     (*s)->label);
    // A row that could not be written shows what is still there; its tick
    // mark keeps what the user asked for, so the next press tries again.
    const bool blocked = written ? wanted : isBlocked(*key, **s);
    list.setCell(r, State, blocked ? kBlocked : kNotBlocked);
  }
}

}  // namespace trova
