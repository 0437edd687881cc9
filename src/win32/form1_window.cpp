#include "win32/form1_window.h"

#include <commctrl.h>

#include <exception>

#include "app/form1_design.h"
#include "platform/codepage.h"
#include "platform/dpi_win32.h"
#include "win32/control_set.h"
#include "win32/controls.h"
#include "win32/resource.h"

namespace trova::win32 {

namespace {
constexpr const wchar_t* kPanelClass = L"TrovaPanel";
constexpr int kFirstControlId = 1000;
constexpr UINT_PTR kTabStripSubclassId = 0x7473;  // "ts"
// Posted to the window once it is first shown: the moment to show what
// start-up found.
constexpr UINT kStartupNoticesMessage = WM_APP + 2;

// Pages and frames pass their children's notifications on to the main window,
// where one place routes them to the page logic.
LRESULT CALLBACK panelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      return SendMessageW(GetAncestor(hwnd, GA_ROOT), msg, wp, lp);
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

// A group box draws only its line and caption, and the page under it clips
// its children, so nobody paints the inside of a frame: it would keep what was
// drawn there before (controls that moved on a resize, another tab's page).
// The frame fills its inside itself; the controls on it lie above it.
constexpr UINT_PTR kFrameSubclassId = 0x6672;  // "fr"
LRESULT CALLBACK frameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, frameProc, id);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

class Win32PopupMenus final : public PopupMenus {
 public:
  Win32PopupMenus(HWND owner, const std::map<std::wstring, HMENU>& menus, std::function<void(const std::wstring&)> chosen)
      : owner_(owner), menus_(menus), chosen_(std::move(chosen)) {}
  void popup(const std::wstring& menu) override {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return;
    POINT pt{};
    GetCursorPos(&pt);
    // Without the owner in front, the menu would stay open when the user clicks elsewhere.
    SetForegroundWindow(owner_);
    int cmd = TrackPopupMenu(it->second, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, pt.x, pt.y, 0, owner_, nullptr);
    PostMessageW(owner_, WM_NULL, 0, 0);
    if (cmd == 0) return;
    for (const auto& p : popupDesign())
      if (p.item.id == cmd) chosen_(p.item.name);
  }

 private:
  HWND owner_;
  const std::map<std::wstring, HMENU>& menus_;
  std::function<void(const std::wstring&)> chosen_;
};

}  // namespace

bool registerForm1Classes(HINSTANCE instance) {
  WNDCLASSEXW main{};
  main.cbSize = sizeof(main);
  main.lpfnWndProc = &Form1Window::windowProc;
  main.hInstance = instance;
  main.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TROVA));
  main.hIconSm = main.hIcon;
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = Form1Window::kClassName;
  WNDCLASSEXW panel = main;
  panel.lpfnWndProc = panelProc;
  panel.hIcon = panel.hIconSm = nullptr;
  panel.lpszClassName = kPanelClass;
  return RegisterClassExW(&main) != 0 && RegisterClassExW(&panel) != 0;
}

Form1Window::Form1Window(Platform& platform, std::function<void(HWND)> ownerChanged)
    : platform_(platform), ownerChanged_(std::move(ownerChanged)) {}

Form1Window::~Form1Window() {
  if (hwnd_) DestroyWindow(hwnd_);
  for (auto& [name, menu] : popups_) DestroyMenu(menu);
  if (font_) DeleteObject(font_);
  if (banner_) DeleteObject(banner_);
}

HWND Form1Window::control(const std::wstring& name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

Win32ListView* Form1Window::list(const std::wstring& name) const {
  return controlSet_ ? controlSet_->listOf(control(name)) : nullptr;
}

HWND Form1Window::create(HINSTANCE instance) {
  instance_ = instance;
  UINT dpi = systemDpi();
  RECT r{0, 0, scaleForDpi(800, dpi), scaleForDpi(600, dpi)};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
  CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, kProgramTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                  instance, this);
  if (!hwnd_) return nullptr;
  if (ownerChanged_) ownerChanged_(hwnd_);
  buildLogic();
  form_->Form_Load();
  // The first tab is the selected one at start, so its page is the one shown.
  const int pages = static_cast<int>(mainTabCaptions().size());
  for (int i = 0; i < pages; ++i) ShowWindow(control(mainPageName(i)), i == 0 ? SW_SHOW : SW_HIDE);
  return hwnd_;
}

LRESULT CALLBACK Form1Window::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  // A C++ exception must not unwind through the system's code.
  try {
    return self->handle(msg, wp, lp);
  } catch (const std::exception& e) {
    MessageBoxW(hwnd, (L"内部错误: " + fromUtf8OrAnsi(e.what())).c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxW(hwnd, L"内部错误", kProgramTitle, MB_OK | MB_ICONERROR);
  }
  return 0;
}

LRESULT Form1Window::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      dpi_ = windowDpi(hwnd_);
      banner_ = static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
      createControls();
      createMenus();
      applyFont();
      layout();
      return 0;
    case WM_SIZE:
      layout();
      return 0;
    case WM_GETMINMAXINFO: {
      RECT r{0, 0, scaleForDpi(kMinClientWidth, dpi_), scaleForDpi(kMinClientHeight, dpi_)};
      AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      applyFont();
      auto* r = reinterpret_cast<RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      layout();
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      paintBanner(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_SHOWWINDOW:
      // Notices of the start-up come with the window, owned by it, once.
      if (wp && !noticesShown_) {
        noticesShown_ = true;
        PostMessageW(hwnd_, kStartupNoticesMessage, 0, 0);
      }
      return DefWindowProcW(hwnd_, msg, wp, lp);
    case kStartupNoticesMessage:
      if (form_) form_->ShowStartupNotices();
      return 0;
    case WM_COMMAND:
      onCommand(wp, lp);
      return 0;
    case WM_NOTIFY:
      return onNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_MEASUREITEM:
      // Asked once, as the list box is made; the wrapper follows later font changes.
      reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = static_cast<UINT>(Win32ListBox::rowHeight(font_));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      Win32ListBox* box = controlSet_ ? controlSet_->listBoxOf(item->hwndItem) : nullptr;
      if (!box) return FALSE;
      box->draw(*item);
      return TRUE;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

void Form1Window::createControls() {
  int id = kFirstControlId;
  std::vector<HWND> underneath;  // tab controls and frames: the controls on them must stay above
  for (const auto& d : form1Design()) {
    HWND parent = d.parent.empty() ? hwnd_ : control(d.parent);
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (d.kind) {
      case Kind::Page:
        cls = kPanelClass;
        style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        exStyle = WS_EX_CONTROLPARENT;
        break;
      case Kind::Tabs: cls = WC_TABCONTROLW; style |= WS_TABSTOP; break;
      case Kind::List:
      case Kind::CheckList:
        cls = WC_LISTVIEWW;
        style |= WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_OWNERDATA;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case Kind::ListBox:
        cls = WC_LISTBOXW;
        // Owner data: the wrapper holds the rows and draws those in view.
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_NODATA | LBS_OWNERDRAWFIXED;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case Kind::Button: cls = WC_BUTTONW; style |= WS_TABSTOP | BS_PUSHBUTTON; break;
      case Kind::CheckBox: cls = WC_BUTTONW; style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
      case Kind::ThreeStateCheckBox: cls = WC_BUTTONW; style |= WS_TABSTOP | BS_AUTO3STATE; break;
      case Kind::Edit: cls = WC_EDITW; style |= WS_TABSTOP | ES_AUTOHSCROLL; exStyle = WS_EX_CLIENTEDGE; break;
      case Kind::Combo: cls = WC_COMBOBOXW; style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST; break;
      case Kind::Label: cls = WC_STATICW; style |= SS_LEFT | SS_CENTERIMAGE; break;
      case Kind::Frame: cls = WC_BUTTONW; style |= BS_GROUPBOX; break;
    }
    HWND h = CreateWindowExW(exStyle, cls, d.caption.c_str(), style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    controls_[d.name] = h;
    namesById_[id] = d.name;
    namesByHwnd_[h] = d.name;
    ++id;
    if (d.kind == Kind::Frame) {
      underneath.push_back(h);
      SetWindowSubclass(h, frameProc, kFrameSubclassId, 0);
    }
    if (d.name == L"TabStrip_cjmy") SetWindowSubclass(h, &Form1Window::tabStripProc, kTabStripSubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (d.kind == Kind::Tabs) {
      underneath.push_back(h);
      for (int i = 0; i < static_cast<int>(d.items.size()); ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(d.items[static_cast<std::size_t>(i)].c_str());
        SendMessageW(h, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      }
    }
    if (d.kind == Kind::List || d.kind == Kind::CheckList) {
      DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
      if (d.kind == Kind::CheckList) ex |= LVS_EX_CHECKBOXES;
      SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
      for (int c = 0; c < static_cast<int>(d.items.size()); ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = const_cast<wchar_t*>(d.items[static_cast<std::size_t>(c)].c_str());
        col.cx = scaleForDpi(d.columnWidths.at(static_cast<std::size_t>(c)), dpi_);
        SendMessageW(h, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
      }
    }
  }
  // Tab controls and frames lie under the pages and controls that stand on them.
  for (HWND t : underneath) SetWindowPos(t, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  showInnerPage(L"SSTab_cjmy", 0);
  showInnerPage(L"SSTab_xtsz", 0);
}

void Form1Window::createMenus() {
  HMENU bar = CreateMenu();
  for (const auto& m : menuBarDesign()) AppendMenuW(bar, MF_STRING, static_cast<UINT_PTR>(m.id), m.caption.c_str());
  SetMenu(hwnd_, bar);
  for (const auto& p : popupDesign()) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(p.item.id), p.item.caption.c_str());
    popups_[p.menu] = menu;
  }
}

void Form1Window::buildLogic() {
  menus_ = std::make_unique<Win32PopupMenus>(hwnd_, popups_, [this](const std::wstring& item) { form_->Click(item); });
  controlSet_ = std::make_unique<Win32ControlSet>([this](const std::wstring& name) { return control(name); },
                                                  [this](const std::wstring& tabs, int i) { showInnerPage(tabs, i); },
                                                  *menus_);
  form_ = std::make_unique<Form1>(platform_, *controlSet_);
}

// A click on the main tab already shown is a pick too: it reloads that page.
// The control itself reports only changes (TCN_SELCHANGE), so a press of the
// mouse on the current tab is found here, by hit-testing where it landed; a
// press anywhere else on the strip is not a pick.
LRESULT CALLBACK Form1Window::tabStripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
  auto* self = reinterpret_cast<Form1Window*>(ref);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TCHITTESTINFO hit{};
      hit.pt = POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      const int tab = static_cast<int>(SendMessageW(hwnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      const bool repick = tab >= 0 && tab == static_cast<int>(SendMessageW(hwnd, TCM_GETCURSEL, 0, 0));
      // The control handles the press first (focus), as it does before it
      // reports a change; then the shown page reloads.
      const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
      if (repick && self->form_) self->form_->Click(L"TabStrip_cjmy");
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Form1Window::tabStripProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void Form1Window::applyFont() {
  HFONT old = font_;
  font_ = messageFont(dpi_);
  for (const auto& [name, h] : controls_) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  if (old) DeleteObject(old);
  // Column widths follow the DPI too.
  for (const auto& d : form1Design()) {
    if (d.kind != Kind::List && d.kind != Kind::CheckList) continue;
    for (std::size_t c = 0; c < d.columnWidths.size(); ++c)
      SendMessageW(control(d.name), LVM_SETCOLUMNWIDTH, c, scaleForDpi(d.columnWidths[c], dpi_));
  }
}

void Form1Window::place(const std::wstring& name, int x, int y, int w, int h) {
  MoveWindow(control(name), scaleForDpi(x, dpi_), scaleForDpi(y, dpi_), scaleForDpi(w, dpi_), scaleForDpi(h, dpi_), TRUE);
}

void Form1Window::showInnerPage(const std::wstring& tabs, int index) {
  for (int i = 0;; ++i) {
    HWND page = control(innerPageName(tabs, i));
    if (!page) break;
    ShowWindow(page, i == index ? SW_SHOW : SW_HIDE);
  }
}

void Form1Window::paintBanner(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  int height = scaleForDpi(kBannerHeight, dpi_);
  if (!banner_) return;
  BITMAP bm{};
  GetObjectW(banner_, sizeof(bm), &bm);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, banner_);
  SetStretchBltMode(dc, HALFTONE);
  StretchBlt(dc, 0, 0, client.right, height, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void Form1Window::onCommand(WPARAM wp, LPARAM lp) {
  const int id = LOWORD(wp);
  const int code = HIWORD(wp);
  if (lp == 0) {  // a menu command
    for (const auto& m : menuBarDesign())
      if (m.id == id) form_->Click(m.name);
    return;
  }
  auto it = namesById_.find(id);
  if (it == namesById_.end() || !form_) return;
  if (code == BN_CLICKED || code == CBN_SELCHANGE) form_->Click(it->second);
}

LRESULT Form1Window::onNotify(NMHDR* hdr) {
  // Virtual lists ask their wrapper for what they paint.
  if (Win32ListView* list = controlSet_ ? controlSet_->listOf(hdr->hwndFrom) : nullptr) {
    switch (hdr->code) {
      case LVN_GETDISPINFOW: list->answer(*reinterpret_cast<NMLVDISPINFOW*>(hdr)); return 0;
      case LVN_ODFINDITEMW: return list->find(*reinterpret_cast<NMLVFINDITEMW*>(hdr));
      case NM_CUSTOMDRAW: return list->customDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
      default: break;
    }
  }
  auto it = namesByHwnd_.find(hdr->hwndFrom);
  if (it == namesByHwnd_.end() || !form_) return 0;
  const std::wstring& name = it->second;
  switch (hdr->code) {
    case TCN_SELCHANGE: {
      // A pick by mouse or keyboard.
      int current = static_cast<int>(SendMessageW(hdr->hwndFrom, TCM_GETCURSEL, 0, 0));
      if (name != L"TabStrip_cjmy") showInnerPage(name, current);
      form_->Click(name);
      return 0;
    }
    case LVN_COLUMNCLICK:
      form_->ColumnClick(name, reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
      return 0;
    case NM_CLICK: {
      if (!controlSet_->listOf(hdr->hwndFrom)) return 0;  // only list views carry a row
      int row = reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem;
      if (row >= 0) form_->RowClick(name, row);
      return 0;
    }
    case NM_RCLICK:
      form_->RightButtonUp(name);
      return 0;
    default:
      return 0;
  }
}

}  // namespace trova::win32
