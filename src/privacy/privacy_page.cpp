#include "privacy/privacy_page.h"

#include <algorithm>

#include "app/list_behaviour.h"
#include "platform/registry.h"

namespace trova {

using namespace privacy;

namespace {

// What a row is: its trace in the catalogue.
using TraceRow = const Trace*;

// Whether a name whose removal failed is still in its key. Only a plain
// "not found" proves it gone: a key opened without the right to delete may
// answer "access denied" for a name it does not even have.
bool stillThere(RegKey& key, TraceNames kind, const std::wstring& name) {
  if (kind == TraceNames::Values) {
    RegValue ignored;
    return key.queryValue(name, ignored) != regerr::FileNotFound;
  }
  KeyPtr sub;
  return key.openSubKey(name, sub) != regerr::FileNotFound;
}

}  // namespace

PrivacyPage::PrivacyPage(PageSite& site)
    : platform_(site.platform), ListView_ysql(site.controls.listView(L"ListView_ysql")) {
  site.onStartup(StartupStep::PrivacyNames, [this] { FillPrivacyNames(); });
  site.onClick(L"Command_ysql", [this] { Command_ysql_Click(); });
  shareList(site, {.name = L"ListView_ysql", .list = &ListView_ysql, .sortable = false});
  addSelectButtons(site, L"Command_ysqlqx", L"Command_ysqlqbx", [this] { return &ListView_ysql; });
}

void PrivacyPage::FillPrivacyNames() {
  ListFill fill(ListView_ysql);
  for (const Trace& trace : traceCatalogue()) ListView_ysql.addRow({trace.label}, false, TraceRow{&trace});
}

void PrivacyPage::Command_ysql_Click() {
  std::vector<std::wstring> notCleaned;
  const int rows = ListView_ysql.rowCount();
  for (int row = 0; row < rows; ++row) {
    if (!ListView_ysql.checked(row)) continue;
    if (const TraceRow* trace = recordOf<TraceRow>(ListView_ysql, row)) Clean(**trace, notCleaned);
  }
  if (notCleaned.empty()) return platform_.dialogs.message(kDone, L"提示", MessageStyle::Information);
  std::wstring text = std::wstring(kDone) + L"\n\n" + kNotCleaned;
  for (const auto& line : notCleaned) text += L"\n" + line;
  platform_.dialogs.message(text, L"提示", MessageStyle::Plain);
}

void PrivacyPage::Clean(const Trace& trace, std::vector<std::wstring>& notCleaned) {
  auto fail = [&](RegStatus status) {
    std::wstring line = trace.label + L"：" + describeFailure(status);
    if (std::find(notCleaned.begin(), notCleaned.end(), line) == notCleaned.end()) notCleaned.push_back(line);
  };
  bool opened = false;
  for (const TraceGroup& group : trace.groups) {
    // Opened, never created: an application that is not installed leaves no key to clean.
    KeyPtr key;
    if (RegStatus s = platform_.registry.open(Hive::CurrentUser, group.key, key); s != regerr::Ok) {
      if (s != regerr::FileNotFound) fail(s);
      continue;
    }
    opened = true;
    for (const std::wstring& name : group.names) {
      // One key at a time: a sub-key that holds keys of its own is refused, not torn out.
      const RegStatus s = trace.names == TraceNames::Values ? key->deleteValue(name) : key->deleteSubKey(name);
      if (s != regerr::Ok && stillThere(*key, trace.names, name)) fail(s);
    }
  }
  if (opened && !trace.notice.empty()) platform_.dialogs.message(trace.notice, L"提示", MessageStyle::Information);
}

}  // namespace trova
