// The "浏览器设置" tab: the browser's basic settings in the frame "常规" and the
// Internet Options restrictions beside it, written together by its "应用".
#pragma once
#include "app/page.h"
#include "settings/browser_basics.h"

namespace trova {

class BrowserSettingsPage final : public Page {
 public:
  explicit BrowserSettingsPage(PageSite& site);

  // Start-up: the three combo boxes take their first presets (this fills only
  // the text boxes), and the restriction list gets its rows.
  void PreselectBrowserBasics();
  void FillPolicyNames();
  // On each pick of "系统设置": what the registry holds now.
  void LoadBrowserBasics();
  void LoadPolicyStates();

  void Combo_iesy_Click();
  void Combo_iessyq_Click();
  void Combo_iesszsdz_Click();
  void Check_iebt_Click();
  void Check_llqsz_Click();
  void Command_llqsz_Click();  // "应用": the basics, then the switches, then one message

 private:
  // Shows a stored address as stored, in the entry that recognises it.
  static void ShowStored(const PresetChoice& presets, ComboBox& combo, TextBox& text, const std::wstring& stored);
  // The preset of the picked entry; the last entry leaves the text to the user.
  static void FillPreset(const PresetChoice& presets, const ComboBox& combo, TextBox& text);

  Platform& platform_;
  CheckBox& Check_iebt;
  TextBox& Text_iebt;
  ComboBox& Combo_iesy;
  TextBox& Text_iesy;
  ComboBox& Combo_iessyq;
  TextBox& Text_iessyq;
  ComboBox& Combo_iesszsdz;
  TextBox& Text_iesszsdz;
  TextBox& Text_iexzml;
  ListView& ListView_llqsz;
  CheckBox& Check_llqsz;
};

}  // namespace trova
