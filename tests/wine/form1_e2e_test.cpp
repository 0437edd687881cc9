// The real window under Wine: seeded add-ons read back out of the real list
// view, the header count, the pages a tab pick shows, and the message boxes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "app/form1_design.h"

namespace trova::test {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;
const std::wstring kBho = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kExt = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const std::wstring kBar = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
const std::wstring kMenu = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
const std::wstring kSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";

struct AddonSeed : RegistrySeed {
  AddonSeed() {
    for (const auto& k : {kBho, kExt, kBar}) clear(HKEY_LOCAL_MACHINE, k);
    clear(HKEY_CURRENT_USER, kMenu);
    clear(HKEY_CURRENT_USER, kSettings);
    const std::wstring helper = L"{11111111-AAAA-4BBB-8CCC-000000000001}";
    const std::wstring noServer = L"{11111111-AAAA-4BBB-8CCC-000000000002}";
    const std::wstring ext = L"{11111111-AAAA-4BBB-8CCC-000000000003}";
    classKey(helper, L"演示帮助对象", L"C:\\Demo\\helper.dll");
    text(HKEY_CLASSES_ROOT, L"CLSID\\" + noServer, L"", L"没有服务器的类");
    classKey(ext, L"Research ☃", L"C:\\Demo\\ext.dll");
    key(HKEY_LOCAL_MACHINE, kBho + L"\\" + helper);
    key(HKEY_LOCAL_MACHINE, kBho + L"\\" + noServer);
    key(HKEY_LOCAL_MACHINE, kExt + L"\\" + ext);
    dword(HKEY_CURRENT_USER, kSettings + L"\\" + ext, L"Flags", 1);
    text(HKEY_LOCAL_MACHINE, kBar, L"{11111111-AAAA-4BBB-8CCC-000000000004}", L"");
    text(HKEY_CURRENT_USER, kMenu + L"\\用演示下载器下载", L"", L"C:\\Demo\\menu.htm");
  }
  void classKey(const std::wstring& id, const std::wstring& name, const std::wstring& file) {
    text(HKEY_CLASSES_ROOT, L"CLSID\\" + id, L"", name);
    text(HKEY_CLASSES_ROOT, L"CLSID\\" + id + L"\\InprocServer32", L"", file);
  }
};

TEST(Form1Window, ListsTheSeededAddonsWithStatesAndCount) {
  AddonSeed seed;
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 1);
  EXPECT_TRUE(ui.visible(L"Pictureframe(1)"));
  EXPECT_EQ(ui.rows(L"ListView_cjgl"),
            (Rows{
                {L"演示帮助对象", L"{11111111-AAAA-4BBB-8CCC-000000000001}", L"已启用", L"浏览器帮助项", L"C:\\Demo\\helper.dll"},
                {L"Research ☃", L"{11111111-AAAA-4BBB-8CCC-000000000003}", L"已禁用", L"浏览器扩展项", L"C:\\Demo\\ext.dll"},
                {L"未知", L"{11111111-AAAA-4BBB-8CCC-000000000004}", L"已启用", L"浏览器工具项", L"文件没有找到"},
                {L"用演示下载器下载", L"缺省", L"已启用", L"浏览器右键菜单", L"C:\\Demo\\menu.htm"},
            }));
  EXPECT_EQ(ui.header(L"ListView_cjgl", 0), L"插件名称,总4个");

  // Another pick lists every add-on once, not twice.
  ui.pickTab(L"TabStrip_cjmy", 3);
  ui.pickTab(L"TabStrip_cjmy", 1);
  EXPECT_EQ(ui.rows(L"ListView_cjgl").size(), 4u);
}

TEST(Form1Window, PickingTheShownTabAgainReloadsIt) {
  AddonSeed seed;
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 1);
  ASSERT_EQ(ui.rows(L"ListView_cjgl").size(), 4u);
  seed.text(HKEY_LOCAL_MACHINE, kBar, L"{11111111-AAAA-4BBB-8CCC-000000000005}", L"新工具栏");
  ui.pickTab(L"TabStrip_cjmy", 1);  // the same tab, clicked again
  EXPECT_EQ(ui.rows(L"ListView_cjgl").size(), 5u) << "a click on the shown tab reloads its page";
  EXPECT_EQ(ui.header(L"ListView_cjgl", 0), L"插件名称,总5个");
}

// A pick is a click on a tab, the shown one included; a click beside the tabs
// is none, and neither a pick by keyboard nor a button released elsewhere
// swallows the next click. Each pick of "插件管理" reloads its list, so a toolbar
// added before the click shows whether the click was a pick.
TEST(Form1Window, EveryClickOnATabIsAPickAndNothingElseIs) {
  AddonSeed seed;
  UiSession ui;
  HWND strip = ui.control(L"TabStrip_cjmy");
  int added = 0;
  const auto addToolbar = [&] {
    seed.text(HKEY_LOCAL_MACHINE, kBar, L"{22222222-AAAA-4BBB-8CCC-00000000000" + std::to_wstring(added++) + L"}",
              L"计数");
  };
  const auto listed = [&] { return ui.rows(L"ListView_cjgl").size(); };
  RECT tab{}, last{};
  SendMessageW(strip, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
  SendMessageW(strip, TCM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&last));
  const LPARAM onTab = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  ui.pickTab(L"TabStrip_cjmy", 1);
  const std::size_t first = listed();

  // The button goes down on the shown tab and comes up elsewhere.
  addToolbar();
  PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, onTab);
  ui.sync();
  EXPECT_EQ(listed(), first + 1) << "pressed on the shown tab";
  addToolbar();
  ui.pickTab(L"TabStrip_cjmy", 1);
  EXPECT_EQ(listed(), first + 2) << "clicked again after the button came up elsewhere";

  // Beside the last tab there is no tab to pick.
  addToolbar();
  const LPARAM beside = MAKELPARAM(last.right + 40, (last.top + last.bottom) / 2);
  PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, beside);
  PostMessageW(strip, WM_LBUTTONUP, 0, beside);
  ui.sync();
  EXPECT_EQ(listed(), first + 2) << "a click beside the tabs reloads nothing";

  // By keyboard: away and back, then a click on it.
  PostMessageW(strip, WM_KEYDOWN, VK_LEFT, 0);
  PostMessageW(strip, WM_KEYDOWN, VK_RIGHT, 0);
  ui.sync();
  EXPECT_EQ(listed(), first + 3) << "picked by keyboard";
  addToolbar();
  ui.pickTab(L"TabStrip_cjmy", 1);
  EXPECT_EQ(listed(), first + 4) << "clicked after a keyboard pick";
}

TEST(Form1Window, ATabPickShowsOnlyItsPageAndRewritesTheCount) {
  UiSession ui;
  EXPECT_TRUE(ui.visible(L"Pictureframe(0)")) << "the first page is shown at start";
  for (int tab : {2, 3, 0}) {
    ui.pickTab(L"TabStrip_cjmy", tab);
    for (int page = 0; page < 5; ++page)
      EXPECT_EQ(ui.visible(L"Pictureframe(" + std::to_wstring(page) + L")"), page == tab) << tab << " " << page;
    EXPECT_EQ(ui.header(L"ListView_cjgl", 0), L"插件名称,总0个");
  }
}

TEST(Form1Window, AboutBoxNamesTheBuild) {
  UiSession ui;
  ui.menu(L"cd_gytrova");
  HWND box = ui.waitForDialog(L"Trova");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ui.dialogText(box), L"Trova build 2007.05.04");
  ui.answer(box, IDOK);
  EXPECT_TRUE(ui.waitForNoDialog(L"Trova"));
}

TEST(Form1Window, InnerTabsShowTheirOwnPage) {
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  for (int tab : {2, 4, 0}) {
    ui.pickTab(L"SSTab_xtsz", tab);
    for (int page = 0; page < 5; ++page)
      EXPECT_EQ(ui.visible(innerPageName(L"SSTab_xtsz", page)), page == tab);
  }
}

// Nothing overlaps: on every page, no two sibling controls share pixels
// (a frame and what stands inside it excepted), and each lies inside its
// parent, at the smallest window size and at a large one.
TEST(Form1Window, ControlsNeitherOverlapNorLeaveTheirParent) {
  UiSession ui;
  for (SIZE size : {SIZE{100, 100}, SIZE{1200, 900}}) {
    SetWindowPos(ui.window(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    ui.sync();
    const auto& design = form1Design();
    auto rectIn = [&](const ControlDesign& d) {
      RECT r;
      HWND h = ui.control(d.name);
      GetWindowRect(h, &r);
      MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
      if (d.kind == Kind::Combo) r.bottom = r.top + 24;  // its drop-down list is not laid out
      return r;
    };
    for (std::size_t i = 0; i < design.size(); ++i) {
      const auto& a = design[i];
      if (a.kind == Kind::Page) continue;
      RECT ra = rectIn(a), parent;
      GetClientRect(GetParent(ui.control(a.name)), &parent);
      EXPECT_TRUE(ra.left >= 0 && ra.top >= 0 && ra.right <= parent.right && ra.bottom <= parent.bottom)
          << std::string(a.name.begin(), a.name.end()) << " leaves its parent";
      if (a.kind == Kind::Frame || a.kind == Kind::Tabs) continue;
      for (std::size_t j = i + 1; j < design.size(); ++j) {
        const auto& b = design[j];
        if (b.parent != a.parent || b.kind == Kind::Frame || b.kind == Kind::Tabs || b.kind == Kind::Page) continue;
        RECT rb = rectIn(b), overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &ra, &rb))
            << std::string(a.name.begin(), a.name.end()) << " overlaps " << std::string(b.name.begin(), b.name.end());
      }
    }
  }
}

// The page under a frame clips its children, so a frame paints its own
// inside; otherwise whatever was drawn there before (a control that moved on
// a resize, another tab's page) would stay on screen.
TEST(Form1Window, FramesPaintTheirInside) {
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 4);
  HWND frame = ui.control(L"Frame_xtwjgl");
  RECT r;
  GetClientRect(frame, &r);
  const RECT stale{r.right - 30, r.bottom - 30, r.right - 6, r.bottom - 6};  // no control stands there
  HDC dc = GetDC(frame);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &stale, red);
  DeleteObject(red);
  ReleaseDC(frame, dc);
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  ui.sync();
  dc = GetDC(frame);
  const COLORREF shown = GetPixel(dc, stale.left + 10, stale.top + 10);
  ReleaseDC(frame, dc);
  EXPECT_EQ(shown, GetSysColor(COLOR_BTNFACE));
}

}  // namespace
}  // namespace trova::test
