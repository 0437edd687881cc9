// Where each control sits for the window's current size. Numbers are at 96 DPI;
// lists and tab controls take the room the window gives them, buttons keep
// their size along the bottom edge.
#include <windows.h>
#include <commctrl.h>

#include "platform/dpi_win32.h"
#include "app/form1_design.h"
#include "app/page.h"
#include "settings/associations.h"
#include "settings/network.h"
#include "win32/form1_window.h"

namespace trova::win32 {

namespace {
constexpr int kMargin = 6;
constexpr int kButtonW = 80;
constexpr int kButtonH = 26;
constexpr int kGap = 8;
constexpr int kRow = kButtonH + 2 * kMargin;  // a button row under a list
}  // namespace

void Form1Window::layout() {
  if (controls_.empty()) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int W = MulDiv(client.right, 96, static_cast<int>(dpi_));
  const int H = MulDiv(client.bottom, 96, static_cast<int>(dpi_));

  place(L"TabStrip_cjmy", 4, kBannerHeight + 4, W - 8, H - kBannerHeight - 8);

  // A page's size in 96-DPI units, from the tab control's display area.
  auto pageArea = [&](const std::wstring& tabs, const std::wstring& parentOfPages, auto&& pageNames) {
    RECT r;
    HWND t = control(tabs);
    GetWindowRect(t, &r);
    MapWindowPoints(nullptr, GetParent(t), reinterpret_cast<POINT*>(&r), 2);
    SendMessageW(t, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    for (const auto& page : pageNames)
      MoveWindow(control(page), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    (void)parentOfPages;
    return SIZE{MulDiv(r.right - r.left, 96, static_cast<int>(dpi_)), MulDiv(r.bottom - r.top, 96, static_cast<int>(dpi_))};
  };
  auto pagesOf = [](const std::wstring& tabs, int n) {
    std::vector<std::wstring> names;
    for (int i = 0; i < n; ++i) names.push_back(innerPageName(tabs, i));
    return names;
  };
  // Buttons in a row ending at the right edge, the last name rightmost.
  auto buttonsRight = [&](std::initializer_list<const wchar_t*> names, int right, int y, int width = kButtonW) {
    int x = right - static_cast<int>(names.size()) * (width + kGap) + kGap;
    for (const wchar_t* n : names) {
      place(n, x, y, width, kButtonH);
      x += width + kGap;
    }
  };

  std::vector<std::wstring> mainPages;
  for (int i = 0; i < static_cast<int>(mainTabCaptions().size()); ++i) mainPages.push_back(mainPageName(i));
  SIZE page = pageArea(L"TabStrip_cjmy", L"", mainPages);
  const int pw = page.cx, ph = page.cy;

  // "插件免疫": the inner tabs over everything but a bottom row of buttons.
  place(L"SSTab_cjmy", kMargin, kMargin, pw - 2 * kMargin, ph - kMargin - kRow);
  SIZE inner = pageArea(L"SSTab_cjmy", L"Pictureframe(0)", pagesOf(L"SSTab_cjmy", 4));
  for (int i = 0; i < 3; ++i)
    place(L"ListView_cjmy(" + std::to_wstring(i) + L")", kMargin, kMargin, inner.cx - 2 * kMargin, inner.cy - 2 * kMargin);
  place(L"ListView_cjmy(3)", kMargin, kMargin, inner.cx - 2 * kMargin, inner.cy - kMargin - kRow);
  buttonsRight({L"Command_yhzdytj", L"Command_yhzdysc", L"Command_yhzdybc"}, inner.cx - kMargin, inner.cy - kRow + kMargin);
  place(L"Command_cjmyqx", kMargin, ph - kRow + kMargin, kButtonW, kButtonH);
  place(L"command_cjmyqbx", kMargin + kButtonW + kGap, ph - kRow + kMargin, kButtonW, kButtonH);
  buttonsRight({L"Command_cjmydc", L"Command_cjmy"}, pw - kMargin, ph - kRow + kMargin);

  // "插件管理"
  place(L"ListView_cjgl", kMargin, kMargin, pw - 2 * kMargin, ph - kMargin - kRow);
  buttonsRight({L"Command_cjglsc", L"Command_cjgldc", L"Command_cjgljy", L"Command_cjglqy"}, pw - kMargin, ph - kRow + kMargin);

  // "系统设置"
  place(L"SSTab_xtsz", kMargin, kMargin, pw - 2 * kMargin, ph - 2 * kMargin);
  SIZE s = pageArea(L"SSTab_xtsz", L"Pictureframe(2)", pagesOf(L"SSTab_xtsz", 5));
  const int sw = s.cx, sh = s.cy;

  // Browser settings: the "常规" frame on the left, the policy switches on the right.
  const int frameW = (sw - 3 * kMargin) * 58 / 100;
  const int rowH = 32, labelW = 104, pickW = 128;
  const int frameH = 24 + 5 * rowH;
  place(L"frame_xtszllqsz", kMargin, kMargin, frameW, frameH);
  const wchar_t* labels[] = {L"Label_iebt", L"Label_iesy", L"Label_iessyq", L"Label_iesszsdz", L"Label_iexzml"};
  const wchar_t* picks[] = {L"Check_iebt", L"Combo_iesy", L"Combo_iessyq", L"Combo_iesszsdz", nullptr};
  const wchar_t* texts[] = {L"Text_iebt", L"Text_iesy", L"Text_iessyq", L"Text_iesszsdz", L"Text_iexzml"};
  for (int i = 0; i < 5; ++i) {
    int y = kMargin + 22 + i * rowH;
    int x = kMargin + 10;
    place(labels[i], x, y, labelW, 24);
    x += labelW + 4;
    int textX = x;
    if (picks[i]) {
      bool combo = i > 0;
      place(picks[i], x, y, pickW, combo ? 240 : 24);  // a drop-down list's height includes its list
      textX = x + pickW + 6;
    }
    place(texts[i], textX, y, kMargin + frameW - 10 - textX, 24);
  }
  const int rightX = 2 * kMargin + frameW, rightW = sw - rightX - kMargin;
  place(L"ListView_llqsz", rightX, kMargin + 6, rightW, sh - 2 * kMargin - 6 - kRow - 28);
  place(L"Check_llqsz", rightX, sh - kRow - 28, rightW, 24);
  buttonsRight({L"Command_llqsz"}, sw - kMargin, sh - kRow + kMargin);

  place(L"ListView_rjxz", kMargin, kMargin, sw - 2 * kMargin, sh - kMargin - kRow);
  buttonsRight({L"Command_rjxzsc", L"Command_rjxzxz"}, sw - kMargin, sh - kRow + kMargin, 100);

  place(L"ListView_qdxm", kMargin, kMargin, sw - 2 * kMargin, sh - kMargin - kRow);
  buttonsRight({L"Command_qdxmtj", L"Command_qdxmsc", L"Command_qdxmjy", L"Command_qdxmqy"}, sw - kMargin, sh - kRow + kMargin);

  place(L"ListView_ysql", kMargin, kMargin, sw - 2 * kMargin, sh - kMargin - kRow);
  buttonsRight({L"Command_ysqlqbx", L"Command_ysqlqx", L"Command_ysql"}, sw - kMargin, sh - kRow + kMargin);

  // System associations: the network switches, most with a combo box of
  // numbers, on the left; the association repairs on the right.
  const int netW = (sw - 3 * kMargin) * 60 / 100, fixX = 2 * kMargin + netW, fixW = sw - fixX - kMargin;
  const int switchRow = 30, switchW = 168;
  place(L"Frame_wlsz", kMargin, kMargin, netW, sh - kMargin - kRow);
  int y = kMargin + 22;
  for (const auto& net : network::switches()) {
    const int x = kMargin + 10, comboX = x + switchW + 6;
    place(net.checkBox, x, y, net.combo ? switchW : netW - 20, 24);
    if (net.combo) place(net.combo->name, comboX, y, kMargin + netW - 10 - comboX, 240);
    y += switchRow;
  }
  place(L"Frame_xtwjgl", fixX, kMargin, fixW, sh - kMargin - kRow);
  y = kMargin + 22;
  for (const auto& repair : associations::repairs()) {
    place(repair.checkBox, fixX + 10, y, fixW - 20, 24);
    y += switchRow;
  }
  buttonsRight({L"Command_xtglyy"}, sw - kMargin, sh - kRow + kMargin);

  // "网站免疫"
  place(L"List_wzmy", kMargin, kMargin, pw - 2 * kMargin, ph - kMargin - kRow);
  buttonsRight({L"Command_wzmybc", L"Command_wzmysc", L"Command_wzmytj"}, pw - kMargin, ph - kRow + kMargin);

  // "工具": the change sets above, the changes of the selected one below.
  const int setsH = (ph - kMargin - kRow) * 2 / 5;
  place(L"ListView_gjls", kMargin, kMargin, pw - 2 * kMargin, setsH - kMargin);
  place(L"ListView_gjgg", kMargin, kMargin + setsH, pw - 2 * kMargin, ph - 2 * kMargin - kRow - setsH);
  buttonsRight({L"Command_gjdkwjj", L"Command_gjcx"}, pw - kMargin, ph - kRow + kMargin, 100);

  RECT banner{0, 0, client.right, scaleForDpi(kBannerHeight, dpi_)};
  InvalidateRect(hwnd_, &banner, FALSE);
}

}  // namespace trova::win32
