#include "immunity/immunity_page.h"

#include <vector>

#include "app/export_file.h"
#include "app/list_behaviour.h"
#include "formats/reg_file.h"
#include "immunity/cisid.h"
#include "immunity/immunity_texts.h"
#include "immunity/kill_bit.h"
#include "settings/apply_report.h"

namespace trova {

using namespace immunity_text;

namespace {
constexpr int kStatusColumn = 2;
constexpr int kClsidColumn = 1;
constexpr int kCatalogueLists = 3;  // domestic, foreign, everyday; the fourth is the user's

std::array<ListView*, 4> immunityLists(ControlSet& controls) {
  std::array<ListView*, 4> lists{};
  for (std::size_t i = 0; i < lists.size(); ++i)
    lists[i] = &controls.listView(L"ListView_cjmy(" + std::to_wstring(i) + L")");
  return lists;
}

std::wstring clsidOf(const ListView& list, int row) {
  const ImmunityRow* r = recordOf<ImmunityRow>(list, row);
  return r ? r->clsid : std::wstring();
}
}  // namespace

ImmunityPage::ImmunityPage(PageSite& site)
    : platform_(site.platform),
      ListView_cjmy(immunityLists(site.controls)),
      SSTab_cjmy(site.controls.tabs(L"SSTab_cjmy")) {
  site.onStartup(StartupStep::KnownControls, [] { InitKnownControls(); });
  site.onStartup(StartupStep::ImmunityLists, [this] { FillImmunityLists(); });
  site.onStartup(StartupStep::UserEntries, [this] { LoadUserEntries(); });
  site.onClick(L"Command_cjmy", [this] { Command_cjmy_Click(); });
  site.onClick(L"Command_cjmydc", [this] { Command_cjmydc_Click(); });
  site.onClick(L"SSTab_cjmy", [this] { SSTab_cjmy_Click(); });
  site.onClick(L"Command_yhzdytj", [this] { Command_yhzdytj_Click(); });
  site.onClick(L"Command_yhzdysc", [this] { Command_yhzdysc_Click(); });
  site.onClick(L"Command_yhzdybc", [this] { Command_yhzdybc_Click(); });

  // Four lists, one per tab of SSTab_cjmy, share one menu that acts on the list in view.
  std::vector<ListView*> lists(ListView_cjmy.begin(), ListView_cjmy.end());
  const ListChoice inView = listOnCurrentTab(SSTab_cjmy, lists);
  for (std::size_t i = 0; i < lists.size(); ++i) {
    shareList(site, {.name = L"ListView_cjmy(" + std::to_wstring(i) + L")", .list = lists[i],
                     .menu = L"cd_cjmyyj", .detailsItem = L"cd_cjmyxxxx",
                     .term = [](const ListView& list, int row) { return clsidOf(list, row); },
                     .detailsList = inView});
  }
  addSelectButtons(site, L"Command_cjmyqx", L"command_cjmyqbx", inView);
}

int ImmunityPage::addRow(int c, const std::wstring& name, const ImmunityRow& row) {
  ListView& list = *ListView_cjmy[static_cast<std::size_t>(c)];
  const bool immune = ReadImmunityState(row.clsid);
  const int at = list.addRow({name, row.clsid, immune ? kImmune : kNotImmune}, immune, row);
  // A stand-in CLSID looks like what it is, so an immunised list does not
  // pass for a list of blocked controls.
  if (row.placeholder) list.setCellGrey(at, kClsidColumn, true);
  return at;
}

bool ImmunityPage::ReadImmunityState(const std::wstring& clsid) {
  return hasKillBit(platform_.registry, clsid);
}

void ImmunityPage::SetRowState(ListView& list, int row, bool immune) {
  list.setChecked(row, immune);
  list.setCell(row, kStatusColumn, immune ? kImmune : kNotImmune);
}

void ImmunityPage::UpdateListHeader(int c, int notImmune) {
  ListView& list = *ListView_cjmy[static_cast<std::size_t>(c)];
  list.setHeader(0, L"插件名称 (未免疫" + std::to_wstring(notImmune) + L"项,总" +
                        std::to_wstring(list.rowCount()) + L"项)");
}

int ImmunityPage::countNotImmune(int c) const {
  const ListView& list = *ListView_cjmy[static_cast<std::size_t>(c)];
  int n = 0;
  for (int r = 0; r < list.rowCount(); ++r)
    if (list.cell(r, kStatusColumn) == kNotImmune) ++n;
  return n;
}

void ImmunityPage::FillImmunityLists() {
  {
    // Redraw stays off while the 782 rows go in; the three lists fill side by
    // side because the catalogue's blocks do not follow the lists' order.
    ListFill domestic(*ListView_cjmy[0]), foreign(*ListView_cjmy[1]), everyday(*ListView_cjmy[2]);
    for (int c = 0; c < kCatalogueLists; ++c) {
      ListView_cjmy[static_cast<std::size_t>(c)]->clear();
      notImmuneCount[static_cast<std::size_t>(c)] = 0;
    }
    for (int i = 0; i < kCatalogueRows; ++i) {
      const KnownControl& k = knownControls[static_cast<std::size_t>(i)];
      if (k.category < 0 || k.category >= kCatalogueLists) continue;
      const ImmunityRow row{k.clsid, kCatalogue[i].status == CatalogueStatus::Placeholder};
      ListView& list = *ListView_cjmy[static_cast<std::size_t>(k.category)];
      const int at = addRow(k.category, k.name, row);
      if (!list.checked(at)) ++notImmuneCount[static_cast<std::size_t>(k.category)];
    }
  }
  // Written once per list: the text after the last row is the same as after every row.
  for (int c = 0; c < kCatalogueLists; ++c) UpdateListHeader(c, notImmuneCount[static_cast<std::size_t>(c)]);
}

void ImmunityPage::Command_cjmy_Click() {
  ApplyReport report;
  for (ListView* list : ListView_cjmy) {
    ListFill fill(*list);
    for (int r = 0; r < list->rowCount(); ++r) {
      const std::wstring clsid = clsidOf(*list, r);
      const bool wanted = list->checked(r);
      // Named with its CLSID: the catalogue has several controls of one name.
      const bool written = report.note(writeKillBit(platform_.registry, clsid, wanted), list->cell(r, 0) + L" " + clsid);
      // The row shows what the registry really holds, not what was asked for.
      const bool nowImmune = written ? wanted : ReadImmunityState(clsid);
      list->setCell(r, kStatusColumn, nowImmune ? kImmune : kNotImmune);
    }
  }
  if (report.succeeded()) {
    platform_.dialogs.message(L"应用更改成功!", L"成功", MessageStyle::Information);
    return;
  }
  platform_.dialogs.message(report.failureText() + L"\r\n这些项的状态显示的是注册表中的实际状态。", kNotice,
                            MessageStyle::Plain);
}

void ImmunityPage::Command_cjmydc_Click() {
  std::vector<std::wstring> keys;
  for (ListView* list : ListView_cjmy)
    for (int r = 0; r < list->rowCount(); ++r)
      for (auto& path : killBitKeyPathsOfEveryView(clsidOf(*list, r))) keys.push_back(std::move(path));
  FileDialogSpec spec;
  spec.filters = {{L"注册表文件 (*.reg)", L"*.reg"}};
  spec.title = L"导出";
  spec.defaultExtension = L"reg";
  const auto written = exportFile(platform_, spec, writeKillBitExport(keys));
  if (!written) return;  // cancelled
  if (*written) {
    platform_.dialogs.message(L"导出成功!", kNotice, MessageStyle::Information);
  } else {
    platform_.dialogs.message(L"导出失败: " + written->reason, kNotice, MessageStyle::Plain);
  }
}

}  // namespace trova
