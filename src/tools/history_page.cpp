#include "tools/history_page.h"

#include <algorithm>

#include "formats/history_file.h"
#include "platform/files.h"
#include "platform/journal.h"
#include "platform/text.h"
#include "tools/undo.h"

namespace trova {

namespace {

// What a row of the change-set list is: its record file.
struct ChangeSetRow {
  std::wstring file;
};

constexpr std::size_t kMostPlacesNamed = 12;

void appendList(std::wstring& text, const std::wstring& title, const std::vector<std::wstring>& places) {
  if (places.empty()) return;
  text += L"\r\n\r\n" + title;
  for (std::size_t i = 0; i < places.size() && i < kMostPlacesNamed; ++i) text += L"\r\n" + places[i];
  if (places.size() > kMostPlacesNamed) text += L"\r\n……等" + std::to_wstring(places.size()) + L"处";
}

}  // namespace

HistoryPage::HistoryPage(PageSite& site)
    : platform_(site.platform),
      folder_(site.journal ? site.journal->folder() : std::wstring()),
      ListView_gjls(site.controls.listView(L"ListView_gjls")),
      ListView_gjgg(site.controls.listView(L"ListView_gjgg")) {
  site.onPick(PickStep::History, [this] { LoadHistory(); });
  site.onClick(L"Command_gjcx", [this] { Command_gjcx_Click(); });
  site.onClick(L"Command_gjdkwjj", [this] { Command_gjdkwjj_Click(); });
  site.routes.rowClick[L"ListView_gjls"] = [this](int row) { ListView_gjls_ItemClick(row); };
}

void HistoryPage::LoadHistory() {
  std::vector<std::wstring> files;
  for (auto& name : platform_.files.list(folder_))
    if (name.size() > 4 && equalsNoCase(std::wstring_view(name).substr(name.size() - 4), L".reg"))
      files.push_back(std::move(name));
  // The names begin with the time: the newest is the last in order.
  std::sort(files.rbegin(), files.rend());
  {
    ListFill fill(ListView_gjls);
    ListView_gjls.clear();
    for (const auto& name : files) {
      const auto bytes = platform_.files.read(joinPath(folder_, name));
      const auto record = bytes ? readHistory(*bytes) : std::nullopt;
      if (!record) continue;
      const std::size_t dot = record->label.find(L" · ");
      const std::wstring page = dot == std::wstring::npos ? record->label : record->label.substr(0, dot);
      const std::wstring action = dot == std::wstring::npos ? L"" : record->label.substr(dot + 3);
      ListView_gjls.addRow({record->time, page, action, std::to_wstring(record->places.size())}, false,
                           ChangeSetRow{name});
    }
  }
  ListView_gjgg.clear();
}

void HistoryPage::ListView_gjls_ItemClick(int row) {
  const ChangeSetRow* set = recordOf<ChangeSetRow>(ListView_gjls, row);
  ListFill fill(ListView_gjgg);
  ListView_gjgg.clear();
  if (!set) return;
  const auto bytes = platform_.files.read(joinPath(folder_, set->file));
  const auto record = bytes ? readHistory(*bytes) : std::nullopt;
  if (!record) return;
  for (const auto& p : record->places) {
    const std::wstring name = p.kind == HistoryPlace::Kind::Value ? (p.name.empty() ? L"(默认)" : p.name) : L"";
    ListView_gjgg.addRow({p.path, name, describeState(p, false), describeState(p, true)});
  }
}

void HistoryPage::Command_gjcx_Click() {
  const int row = ListView_gjls.selectedRow();
  const ChangeSetRow* set = recordOf<ChangeSetRow>(ListView_gjls, row);
  if (!set) return;
  FileResult why;
  const auto bytes = platform_.files.read(joinPath(folder_, set->file), &why);
  const auto record = bytes ? readHistory(*bytes) : std::nullopt;
  if (!record) {
    platform_.dialogs.message(L"无法读取这条更改记录: " + (bytes ? std::wstring(L"文件已损坏") : why.reason), L"提示",
                              MessageStyle::Plain);
    return;
  }
  const UndoReport report = undoChangeSet(platform_, folder_, *record);
  std::wstring text = L"已撤销“" + record->label + L"”(" + record->time + L"): 恢复了" +
                      std::to_wstring(report.restored) + L"处。";
  appendList(text, L"以下各处之后已被更改,未恢复:", report.changedSince);
  appendList(text, L"以下各处未能恢复:", report.failed);
  const bool whole = report.changedSince.empty() && report.failed.empty();
  platform_.dialogs.message(text, L"提示", whole ? MessageStyle::Information : MessageStyle::Plain);
  LoadHistory();
}

void HistoryPage::Command_gjdkwjj_Click() {
  // The folder is made when the first change is recorded; before that it is shown empty.
  if (FileResult made = platform_.files.makeFolders(folder_); !made) {
    platform_.dialogs.message(L"无法打开更改记录所在的文件夹 " + folder_ + L": " + made.reason, L"提示",
                              MessageStyle::Plain);
    return;
  }
  if (const ShellResult opened = platform_.shell.open(folder_); !opened.ok)
    platform_.dialogs.message(L"无法打开文件夹 " + folder_ + L": " + opened.reason, L"提示", MessageStyle::Plain);
}

}  // namespace trova
