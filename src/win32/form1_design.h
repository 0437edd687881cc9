// The controls of the main window: what each is, its caption and where it sits.
// Names are the ones page logic and tests use; numbers are at 96 DPI.
#pragma once
#include <string>
#include <vector>

namespace trova::win32 {

enum class Kind { Page, Tabs, List, CheckList, ListBox, Button, CheckBox, ThreeStateCheckBox, Edit, Combo, Label, Frame };

struct ControlDesign {
  std::wstring name;
  Kind kind;
  std::wstring caption;
  std::wstring parent;                // "" = the main window
  std::vector<std::wstring> items;    // tab captions or list column headers
  std::vector<int> columnWidths;      // list columns at 96 DPI
};

// Every control in creation order (a parent before its children).
const std::vector<ControlDesign>& form1Design();

// The inner page of tab `index` of a tab control, e.g. "SSTab_cjmy.2".
std::wstring innerPageName(const std::wstring& tabs, int index);

// Menu commands by name; the four pop-up menus each hold one item.
struct MenuDesign {
  std::wstring name;
  std::wstring caption;
  int id;
};
const std::vector<MenuDesign>& menuBarDesign();
struct PopupDesign {
  std::wstring menu;
  MenuDesign item;
};
const std::vector<PopupDesign>& popupDesign();

inline constexpr int kMinClientWidth = 700;
inline constexpr int kMinClientHeight = 540;
inline constexpr int kBannerHeight = 64;

}  // namespace trova::win32
