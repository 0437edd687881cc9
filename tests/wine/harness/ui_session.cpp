#include "harness/ui_session.h"

#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "platform/win32_platform.h"
#include "win32/controls.h"
#include "app/form1_design.h"
#include "win32/form1_window.h"

namespace trova::test {

struct UiSession::State {
  Win32Platform real;
  std::unique_ptr<Platform> platform;
  std::unique_ptr<win32::Form1Window> window;
  std::thread ui;
  std::atomic<HWND> hwnd{nullptr};
  std::atomic<bool> failed{false};
  DWORD uiThreadId = 0;
  HWND syncWindow = nullptr;  // a message-only window on the UI thread
  HANDLE synced = CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

namespace {
constexpr UINT kSyncMessage = WM_APP + 77;

// Reached through the posted-message queue, so it runs after every message
// posted before it, also while a modal box runs its own loop.
LRESULT CALLBACK syncProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kSyncMessage) {
    SetEvent(reinterpret_cast<HANDLE>(lp));
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}
}  // namespace

UiSession::UiSession() : UiSession(Options{}) {}

UiSession::UiSession(Options options) : state_(std::make_unique<State>()) {
  State& s = *state_;
  Shell& shell = options.shell ? *options.shell : static_cast<Shell&>(s.real.shell);
  s.platform = std::make_unique<Platform>(Platform{s.real.registry, s.real.files, shell, s.real.dialogs, s.real.folders});
  s.ui = std::thread([&s] {
    static bool registered = [] {
      INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
      InitCommonControlsEx(&icc);
      return win32::registerForm1Classes(GetModuleHandleW(nullptr));
    }();
    s.uiThreadId = GetCurrentThreadId();
    WNDCLASSW sync{};
    sync.lpfnWndProc = syncProc;
    sync.hInstance = GetModuleHandleW(nullptr);
    sync.lpszClassName = L"TrovaTestSync";
    RegisterClassW(&sync);
    s.syncWindow = CreateWindowExW(0, L"TrovaTestSync", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    s.window = std::make_unique<win32::Form1Window>(*s.platform, [&s](HWND owner) { s.real.dialogs.setOwner(owner); });
    HWND h = registered ? s.window->create(GetModuleHandleW(nullptr)) : nullptr;
    if (!h) {
      s.failed = true;
      return;
    }
    ShowWindow(h, SW_SHOW);
    UpdateWindow(h);
    s.hwnd = h;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(h, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    s.window.reset();
    DestroyWindow(s.syncWindow);
  });
  if (!waitUntil([&] { return s.hwnd.load() != nullptr || s.failed.load(); }, 30000) || s.failed) {
    if (s.ui.joinable()) s.ui.join();
    throw std::runtime_error("the main window did not start");
  }
}

UiSession::~UiSession() {
  State& s = *state_;
  // Close any box still open, then the window; the UI thread then leaves its loop.
  EnumThreadWindows(s.uiThreadId, [](HWND w, LPARAM) -> BOOL {
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, L"#32770") == 0) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }, 0);
  if (HWND h = s.hwnd.load()) PostMessageW(h, WM_CLOSE, 0, 0);
  if (s.ui.joinable()) s.ui.join();
  CloseHandle(s.synced);
}

HWND UiSession::window() const { return state_->hwnd.load(); }

HWND UiSession::control(const std::wstring& name) const {
  HWND h = state_->window->control(name);
  if (!h) throw std::runtime_error("no control of that name");
  return h;
}

void UiSession::sync() const {
  PostMessageW(state_->syncWindow, kSyncMessage, 0, reinterpret_cast<LPARAM>(state_->synced));
  WaitForSingleObject(state_->synced, 30000);
}

namespace {
void clickAt(HWND target, POINT pt, UINT down, UINT up, WPARAM keys) {
  LPARAM at = MAKELPARAM(pt.x, pt.y);
  PostMessageW(target, down, keys, at);
  PostMessageW(target, up, 0, at);
}

POINT centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
}  // namespace

void UiSession::pickTab(const std::wstring& tabs, int index) const {
  HWND t = control(tabs);
  RECT r{};
  SendMessageW(t, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  clickAt(t, centre(r), WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  sync();
}

void UiSession::press(const std::wstring& button) const {
  PostMessageW(control(button), BM_CLICK, 0, 0);
  sync();
}

void UiSession::menu(const std::wstring& name) const {
  for (const auto& m : menuBarDesign())
    if (m.name == name) PostMessageW(window(), WM_COMMAND, MAKEWPARAM(m.id, 0), 0);
  sync();
}

namespace {
bool isListBox(HWND list) {
  wchar_t cls[64] = {};
  GetClassNameW(list, cls, 64);
  return lstrcmpiW(cls, WC_LISTBOXW) == 0;
}

POINT rowPoint(HWND list, int row) {
  RECT r{};
  r.left = LVIR_LABEL;
  SendMessageW(list, isListBox(list) ? LB_GETITEMRECT : LVM_GETITEMRECT, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&r));
  return POINT{r.left + 4, (r.top + r.bottom) / 2};
}

// The rows of a list box, one cell each, as LB_GETTEXT gives them.
std::vector<std::vector<std::wstring>> listBoxRows(HWND box) {
  std::vector<std::vector<std::wstring>> out;
  const int count = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
  for (int r = 0; r < count; ++r) {
    const auto length = SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(r), 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(text.data()));
    text.resize(text.size() - 1);
    out.push_back({text});
  }
  return out;
}
}  // namespace

void UiSession::clickRow(const std::wstring& list, int row) const {
  HWND lv = control(list);
  clickAt(lv, rowPoint(lv, row), WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  sync();
}

void UiSession::rightClickRow(const std::wstring& list, int row) const {
  HWND lv = control(list);
  POINT pt = rowPoint(lv, row);
  // The pop-up menu opens where the mouse is, so put the mouse on the row.
  POINT onScreen = pt;
  ClientToScreen(lv, &onScreen);
  SetCursorPos(onScreen.x, onScreen.y);
  clickAt(lv, pt, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
  sync();
}

void UiSession::clickColumn(const std::wstring& list, int column) const {
  HWND header = reinterpret_cast<HWND>(SendMessageW(control(list), LVM_GETHEADER, 0, 0));
  RECT r{};
  SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
  clickAt(header, centre(r), WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  sync();
}

namespace {
// Reads a cell the way any other program would: for the virtual lists the
// control asks the window, so this checks what the user sees.
std::wstring itemText(HWND lv, int row, int column) {
  // The control cuts at the buffer size; grow until the text fits.
  for (int size = 256;; size *= 2) {
    std::wstring buf(static_cast<std::size_t>(size), L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = size;
    int n = static_cast<int>(SendMessageW(lv, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                          reinterpret_cast<LPARAM>(&item)));
    if (n < size - 1 || size >= (1 << 20)) {
      buf.resize(static_cast<std::size_t>(n > 0 ? n : 0));
      return buf;
    }
  }
}
}  // namespace

bool UiSession::clickCheckBox(const std::wstring& list, int row) const {
  HWND lv = control(list);
  SendMessageW(lv, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (!SendMessageW(lv, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) return false;
  for (int x = bounds.left; x < bounds.left + 48; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = POINT{x, (bounds.top + bounds.bottom) / 2};
    if (SendMessageW(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) != row) continue;
    if (!(hit.flags & LVHT_ONITEMSTATEICON)) continue;
    clickAt(lv, hit.pt, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
    sync();
    return true;
  }
  return false;
}

void UiSession::pickEntry(const std::wstring& combo, int index) const {
  // A pick in the drop-down list selects the entry and tells the owner.
  HWND c = control(combo);
  SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  sync();
}

void UiSession::type(const std::wstring& textBox, const std::wstring& text) const {
  SendMessageW(control(textBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  sync();
}

std::vector<std::vector<std::wstring>> UiSession::rows(const std::wstring& list) const {
  HWND lv = control(list);
  if (isListBox(lv)) return listBoxRows(lv);
  int count = static_cast<int>(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0));
  std::vector<std::vector<std::wstring>> out;
  for (int r = 0; r < count; ++r) out.push_back(row(list, r));
  return out;
}

std::vector<std::wstring> UiSession::row(const std::wstring& list, int index) const {
  HWND lv = control(list);
  HWND header = reinterpret_cast<HWND>(SendMessageW(lv, LVM_GETHEADER, 0, 0));
  int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  std::vector<std::wstring> cells;
  for (int c = 0; c < columns; ++c) cells.push_back(itemText(lv, index, c));
  return cells;
}

int UiSession::find(const std::wstring& list, const std::wstring& text) const {
  LVFINDINFOW what{};
  what.flags = LVFI_STRING;
  what.psz = text.c_str();
  return static_cast<int>(SendMessageW(control(list), LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(&what)));
}

std::wstring UiSession::header(const std::wstring& list, int column) const {
  wchar_t buf[512] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = 512;
  SendMessageW(control(list), LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
  return buf;
}

bool UiSession::checked(const std::wstring& list, int row) const {
  // The state image the control would draw: for a virtual list it asks the window.
  auto state = SendMessageW(control(list), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

UINT UiSession::checkState(const std::wstring& box) const {
  return static_cast<UINT>(SendMessageW(control(box), BM_GETCHECK, 0, 0));
}

std::wstring UiSession::comboText(const std::wstring& combo) const {
  HWND c = control(combo);
  const auto index = SendMessageW(c, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(SendMessageW(c, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
  SendMessageW(c, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(text.size() - 1);
  return text;
}

bool UiSession::pickEntry(const std::wstring& combo, const std::wstring& text) const {
  HWND c = control(combo);
  const auto index = SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) return false;
  SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  sync();
  return true;
}

std::wstring UiSession::text(const std::wstring& name) const { return win32::windowText(control(name)); }

bool UiSession::ticked(const std::wstring& checkBox) const {
  return SendMessageW(control(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int UiSession::selectedEntry(const std::wstring& combo) const {
  return static_cast<int>(SendMessageW(control(combo), CB_GETCURSEL, 0, 0));
}

bool UiSession::visible(const std::wstring& name) const { return IsWindowVisible(control(name)) != FALSE; }

bool UiSession::enabled(const std::wstring& name) const { return IsWindowEnabled(control(name)) != FALSE; }

namespace {
struct Search {
  DWORD pid;
  std::wstring title;
  HWND found = nullptr;
};

HWND findTopLevel(const std::wstring& title) {
  Search s{GetCurrentProcessId(), title};
  EnumWindows([](HWND w, LPARAM lp) -> BOOL {
    auto* search = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != search->pid || !IsWindowVisible(w)) return TRUE;
    if (win32::windowText(w) != search->title) return TRUE;
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, win32::Form1Window::kClassName) == 0) return TRUE;
    search->found = w;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&s));
  return s.found;
}
}  // namespace

HWND UiSession::waitForDialog(const std::wstring& title, int timeoutMs) const {
  HWND found = nullptr;
  waitUntil([&] { return (found = findTopLevel(title)) != nullptr; }, timeoutMs);
  return found;
}

bool UiSession::waitForNoDialog(const std::wstring& title, int timeoutMs) const {
  return waitUntil([&] { return findTopLevel(title) == nullptr; }, timeoutMs);
}

std::wstring UiSession::dialogText(HWND dialog) const {
  std::wstring text;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (lstrcmpiW(cls, L"Static") != 0) continue;
    std::wstring t = win32::windowText(child);
    if (t.empty()) continue;
    if (!text.empty()) text += L"\n";
    text += t;
  }
  return text;
}

void UiSession::answer(HWND dialog, int buttonId) const {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::wstring UiSession::answerBox(const std::wstring& title) const {
  HWND box = waitForDialog(title);
  if (!box) return L"(no box)";
  const std::wstring text = dialogText(box);
  answer(box, IDOK);
  waitUntil([&] { return !IsWindow(box); });
  sync();
  return text;
}

std::wstring UiSession::answerInput(const std::wstring& title, const std::wstring& typed, int buttonId) const {
  HWND box = waitForDialog(title);
  if (!box || !GetDlgItem(box, Win32Dialogs::kInputEditId)) return L"(no input box)";
  const std::wstring prompt = dialogText(box);
  SetDlgItemTextW(box, Win32Dialogs::kInputEditId, typed.c_str());
  answer(box, buttonId);
  waitUntil([&] { return !IsWindow(box); });
  sync();
  return prompt;
}

bool UiSession::capture(const std::wstring& path) const {
  RECT r{};
  GetWindowRect(window(), &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BOOL ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u), size = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
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

}  // namespace trova::test
