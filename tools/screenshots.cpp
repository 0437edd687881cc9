// Saves a picture of every page and inner tab of the real window:
//   trova_screenshots.exe <folder>
// Each page is picked the way a user would, so the pictures show what a user sees.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "platform/win32_platform.h"

namespace {

// Saves the window as it is on screen to a 24-bit BMP file.
bool capture(HWND window, const std::wstring& path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(bi.bmiHeader), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  const BOOL ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) && GdiFlush();
  const DWORD size = ((static_cast<DWORD>(w) * 3 + 3) & ~3u) * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof(fh) + sizeof(bi.bmiHeader)};
  fh.bfSize = fh.bfOffBits + size;
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
  out.write(static_cast<const char*>(bits), size);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok && out.good();
}

// The hosts page holding a merged block list of 250,000 lines, scrolled to
// its middle with a row there selected; the prefix's hosts file is put back.
template <typename Shot>
void hostsOf250000Lines(const trova::test::UiSession& ui, const Shot& shot) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring hosts = std::wstring(system) + L"\\drivers\\etc\\hosts";
  trova::Win32Files files;
  const std::optional<std::string> original = files.read(hosts);
  std::string big = "# A merged block list\r\n";
  char line[96];
  for (int i = 1; i < 250000; ++i)
    big.append(line, static_cast<std::size_t>(std::snprintf(line, sizeof line, "0.0.0.0\tads-%06d.tracker%02d.example.com\r\n", i, i % 97)));
  if (!files.replace(hosts, big)) return;
  ui.pickTab(L"TabStrip_cjmy", 3);  // the page shown: a click on its tab reloads it
  HWND box = ui.control(L"List_wzmy");
  const auto middle = SendMessageW(box, LB_GETCOUNT, 0, 0) / 2;
  SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(middle), 0);
  SendMessageW(box, LB_SETTOPINDEX, static_cast<WPARAM>(middle - 10), 0);
  shot(L"4-hosts-250000");
  if (original) files.replace(hosts, *original);
  ui.pickTab(L"TabStrip_cjmy", 3);
}

}  // namespace

namespace {

// "清理" with three rows ticked over traces seeded for the pictures (and gone
// afterwards): the restart notice, the closing message naming the WinImage
// key that keeps a key of its own, and the tab after the clean, marks kept.
template <typename Shot>
void shotCleaning(const trova::test::UiSession& ui, Shot& shot) {
  using trova::test::RegistrySeed;
  const std::wstring tray = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
  const std::wstring roots[] = {L"Software\\ACD Systems", L"Software\\WinImage", tray};
  for (const auto& root : roots)
    if (RegistrySeed::exists(HKEY_CURRENT_USER, root)) return;  // not ours to clean
  RegistrySeed seed;
  for (const auto& root : roots) seed.clear(HKEY_CURRENT_USER, root);  // removed when the pictures are taken
  seed.text(HKEY_CURRENT_USER, L"Software\\ACD Systems\\ACDSee32\\HistPaths", L"0", L"C:\\Photos");
  seed.text(HKEY_CURRENT_USER, L"Software\\WinImage\\Settings", L"LastFile", L"C:\\disk.ima");
  seed.text(HKEY_CURRENT_USER, tray, L"IconStreams", L"trace");
  ui.pickTab(L"SSTab_xtsz", 3);
  for (int row : {0, 23, 27}) ui.clickCheckBox(L"ListView_ysql", row);
  ui.press(L"Command_ysql");
  for (const wchar_t* name : {L"3-cleaning-notice", L"3-cleaning-done"}) {
    HWND box = ui.waitForDialog(L"提示");
    if (!box) return;
    shot(name);
    ui.answer(box);
  }
  shot(L"3-cleaning-after");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: trova_screenshots <folder>\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  trova::test::UiSession ui;
  SetWindowPos(ui.window(), nullptr, 0, 0, 900, 680, SWP_NOZORDER);
  int failures = 0;
  auto shot = [&](const std::wstring& name) {
    ui.sync();
    RedrawWindow(ui.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ui.sync();
    Sleep(300);  // let the X server catch up with the last paint before reading it back
    if (!capture(ui.window(), folder + L"\\" + name + L".bmp")) ++failures;
  };
  shot(L"1-immunity");
  for (int t = 1; t < 4; ++t) {
    ui.pickTab(L"SSTab_cjmy", t);
    // Opening the user-defined tab may show a notice; close it before the picture.
    if (ui.waitForDialog(L"提示", t == 3 ? 1500 : 0)) ui.answerBox(L"提示");
    shot(L"1-immunity-tab" + std::to_wstring(t));
  }
  // The two input boxes of "添加", then its refusal of an empty CLSID.
  ui.press(L"Command_yhzdytj");
  for (int box = 1; box <= 2; ++box) {
    HWND input = ui.waitForDialog(L"添加自定义");
    if (!input) break;
    shot(L"1-immunity-input" + std::to_wstring(box));
    ui.answer(input, IDCANCEL);
  }
  if (ui.waitForDialog(L"结果")) ui.answerBox(L"结果");
  ui.pickTab(L"TabStrip_cjmy", 1);
  ui.clickRow(L"ListView_cjgl", 0);
  shot(L"2-addons");
  // A context-menu entry greys "启用" and "禁用"; its pop-up menu offers the details.
  const auto addonRows = ui.rows(L"ListView_cjgl");
  for (int r = 0; r < static_cast<int>(addonRows.size()); ++r) {
    if (addonRows[static_cast<std::size_t>(r)][3] != L"浏览器右键菜单") continue;
    ui.clickRow(L"ListView_cjgl", r);
    shot(L"2-addons-greyed");
    // The pop-up menu opens where the mouse is: the mouse goes to the row, then a right click.
    HWND list = ui.control(L"ListView_cjgl");
    RECT cell{LVIR_LABEL, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&cell));
    POINT at{cell.left + 4, (cell.top + cell.bottom) / 2}, onScreen = at;
    ClientToScreen(list, &onScreen);
    SetCursorPos(onScreen.x, onScreen.y);
    PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    HWND menu = nullptr;
    trova::test::waitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr && IsWindowVisible(menu); }, 3000);
    shot(L"2-addons-popup");
    if (menu) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ui.sync();
    break;
  }
  ui.pickTab(L"TabStrip_cjmy", 2);
  for (int t = 0; t < 5; ++t) {
    ui.pickTab(L"SSTab_xtsz", t);
    shot(L"3-settings-tab" + std::to_wstring(t));
  }
  shotCleaning(ui, shot);
  // A startup entry disabled and enabled again: two more change sets for 工具.
  ui.pickTab(L"SSTab_xtsz", 2);
  if (!ui.rows(L"ListView_qdxm").empty()) {
    ui.clickRow(L"ListView_qdxm", 0);
    ui.press(L"Command_qdxmjy");
    ui.press(L"Command_qdxmqy");
  }
  // "系统关联" at the smallest size the window allows, where the network
  // switches have the least room.
  SetWindowPos(ui.window(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOMOVE);
  shot(L"3-settings-tab4-smallest");
  SetWindowPos(ui.window(), nullptr, 0, 0, 900, 680, SWP_NOZORDER | SWP_NOMOVE);
  ui.pickTab(L"TabStrip_cjmy", 3);
  shot(L"4-hosts");
  hostsOf250000Lines(ui, shot);
  ui.pickTab(L"TabStrip_cjmy", 4);
  ui.clickRow(L"ListView_gjls", 0);
  shot(L"5-tools");
  return failures == 0 ? 0 : 1;
}
