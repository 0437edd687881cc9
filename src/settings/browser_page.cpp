#include "settings/browser_page.h"

#include "restrictions/policy_switches.h"

namespace trova {

namespace {
constexpr int kBaiduEntry = 1;
}  // namespace

BrowserSettingsPage::BrowserSettingsPage(PageSite& site)
    : platform_(site.platform),
      Check_iebt(site.controls.checkBox(L"Check_iebt")),
      Text_iebt(site.controls.textBox(L"Text_iebt")),
      Combo_iesy(site.controls.comboBox(L"Combo_iesy")),
      Text_iesy(site.controls.textBox(L"Text_iesy")),
      Combo_iessyq(site.controls.comboBox(L"Combo_iessyq")),
      Text_iessyq(site.controls.textBox(L"Text_iessyq")),
      Combo_iesszsdz(site.controls.comboBox(L"Combo_iesszsdz")),
      Text_iesszsdz(site.controls.textBox(L"Text_iesszsdz")),
      Text_iexzml(site.controls.textBox(L"Text_iexzml")),
      ListView_llqsz(site.controls.listView(L"ListView_llqsz")),
      Check_llqsz(site.controls.checkBox(L"Check_llqsz")) {
  site.onStartup(StartupStep::PreselectBrowserBasics, [this] { PreselectBrowserBasics(); });
  site.onStartup(StartupStep::PolicyNames, [this] { FillPolicyNames(); });
  site.onPick(PickStep::BrowserBasics, [this] { LoadBrowserBasics(); });
  site.onPick(PickStep::PolicyStates, [this] { LoadPolicyStates(); });
  site.onClick(L"Combo_iesy", [this] { Combo_iesy_Click(); });
  site.onClick(L"Combo_iessyq", [this] { Combo_iessyq_Click(); });
  site.onClick(L"Combo_iesszsdz", [this] { Combo_iesszsdz_Click(); });
  site.onClick(L"Check_iebt", [this] { Check_iebt_Click(); });
  site.onClick(L"Check_llqsz", [this] { Check_llqsz_Click(); });
  site.onClick(L"Command_llqsz", [this] { Command_llqsz_Click(); });
}

void BrowserSettingsPage::PreselectBrowserBasics() {
  Combo_iesy.select(0);
  Combo_iesy_Click();
  Combo_iessyq.select(kBaiduEntry);
  Combo_iessyq_Click();
  Combo_iesszsdz.select(kBaiduEntry);
  Combo_iesszsdz_Click();
  Check_iebt_Click();
}

void BrowserSettingsPage::FillPolicyNames() { fillPolicyNames(ListView_llqsz); }

void BrowserSettingsPage::LoadBrowserBasics() {
  const BrowserBasics stored = readBrowserBasics(platform_.registry);
  if (stored.title) Text_iebt.setText(*stored.title);
  Check_iebt.setState(stored.title ? CheckState::Checked : CheckState::Unchecked);
  Check_iebt_Click();
  ShowStored(kHomePagePresets, Combo_iesy, Text_iesy, stored.startPage);
  ShowStored(kSearchPagePresets, Combo_iessyq, Text_iessyq, stored.searchPage);
  Text_iexzml.setText(stored.downloadFolder);
  ShowStored(kSearchAssistantPresets, Combo_iesszsdz, Text_iesszsdz, stored.searchAssistant);
}

void BrowserSettingsPage::LoadPolicyStates() { loadPolicyStates(platform_.registry, ListView_llqsz); }

void BrowserSettingsPage::ShowStored(const PresetChoice& presets, ComboBox& combo, TextBox& text,
                                     const std::wstring& stored) {
  // A recognised address stays as it is: "应用" must not turn a regional or
  // personalised page of the same site into the preset.
  combo.select(recogniseEntry(presets, stored));
  text.setText(stored);
}

void BrowserSettingsPage::FillPreset(const PresetChoice& presets, const ComboBox& combo, TextBox& text) {
  const int entry = combo.selected();
  if (entry >= 0 && entry < kOwnAddressEntry)
    text.setText(std::wstring(presets.addresses[static_cast<std::size_t>(entry)]));
}

void BrowserSettingsPage::Combo_iesy_Click() { FillPreset(kHomePagePresets, Combo_iesy, Text_iesy); }

void BrowserSettingsPage::Combo_iessyq_Click() { FillPreset(kSearchPagePresets, Combo_iessyq, Text_iessyq); }

void BrowserSettingsPage::Combo_iesszsdz_Click() {
  FillPreset(kSearchAssistantPresets, Combo_iesszsdz, Text_iesszsdz);
}

void BrowserSettingsPage::Check_iebt_Click() { Text_iebt.setEnabled(Check_iebt.state() == CheckState::Checked); }

void BrowserSettingsPage::Check_llqsz_Click() {
  tickWholePages(ListView_llqsz, Check_llqsz.state() == CheckState::Checked);
}

void BrowserSettingsPage::Command_llqsz_Click() {
  BrowserBasics wanted;
  if (Check_iebt.state() == CheckState::Checked) wanted.title = Text_iebt.text();
  wanted.startPage = Text_iesy.text();
  wanted.searchPage = Text_iessyq.text();
  wanted.downloadFolder = Text_iexzml.text();
  wanted.searchAssistant = Text_iesszsdz.text();

  ApplyReport report;
  writeBrowserBasics(platform_.registry, wanted, report);
  applyPolicySwitches(platform_.registry, ListView_llqsz, report);
  if (report.succeeded()) {
    platform_.dialogs.message(L"应用成功,重新启动浏览器后生效!", L"提示", MessageStyle::Information);
  } else {
    platform_.dialogs.message(report.failureText() +
                                  L"\r\nInternet选项的状态显示的是注册表中现在的内容;"
                                  L"未列出的设置已应用,重新启动浏览器后生效。",
                              L"提示", MessageStyle::Plain);
  }
}

}  // namespace trova
