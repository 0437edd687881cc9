#include "harness/ui_session.h"

#include <commctrl.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/win32_platform.h"
#include "win32/controls.h"
#include "win32/form1_window.h"

namespace trova::test {

struct UiSession::State {
  Win32Platform real;
  std::unique_ptr<win32::Form1Window> window;
  std::thread ui;
  std::atomic<HWND> hwnd{nullptr};
  std::atomic<bool> started{false};
  DWORD uiThreadId = 0;
  HWND syncWindow = nullptr;  // a message-only window on the UI thread
  HANDLE synced = CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

namespace {
// A crash ends the program with an error code instead of a box no one closes.
[[maybe_unused]] const UINT kNoErrorBoxes =
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
constexpr UINT kSyncMessage = WM_APP + 77;

// Posted, so it runs after all posted before it, also inside a modal box's loop.
LRESULT CALLBACK syncProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kSyncMessage) return DefWindowProcW(hwnd, msg, wp, lp);
  SetEvent(reinterpret_cast<HANDLE>(lp));
  return 0;
}

std::wstring className(HWND w) {
  wchar_t cls[64] = {};
  return std::wstring(cls, static_cast<std::size_t>(GetClassNameW(w, cls, 64)));
}
bool isListBox(HWND list) { return className(list) == WC_LISTBOXW; }
template <typename T>
LRESULT send(HWND to, UINT msg, WPARAM wp, T* lp) {
  return SendMessageW(to, msg, wp, reinterpret_cast<LPARAM>(lp));
}
HWND headerOf(HWND list) { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)); }
// The middle of a tab or a column header.
POINT centre(HWND control, UINT getRect, int index) {
  RECT r{};
  send(control, getRect, static_cast<WPARAM>(index), &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Where a click lands on a row, scrolled into view first.
POINT rowPoint(HWND list, int row) {
  RECT r{LVIR_LABEL, 0, 0, 0};
  const bool box = isListBox(list);
  SendMessageW(list, box ? LB_SETTOPINDEX : LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), 0);
  send(list, box ? LB_GETITEMRECT : LVM_GETITEMRECT, static_cast<WPARAM>(row), &r);
  return POINT{r.left + 4, (r.top + r.bottom) / 2};
}

// A cell as another program reads it (a virtual list asks the window); the
// control cuts at the buffer's size, so it grows until the text fits.
std::wstring itemText(HWND list, int row, int column) {
  if (isListBox(list)) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(send(list, LB_GETTEXT, static_cast<WPARAM>(row), text.data())));
    return text;
  }
  for (int size = 256;; size *= 2) {
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = size;
    const auto n = static_cast<std::size_t>(send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), &item));
    if (n + 1 < static_cast<std::size_t>(size)) return text.substr(0, n);
  }
}

// A box's static texts, one per line.
std::wstring dialogText(HWND dialog) {
  std::wstring text;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring t = win32::windowText(child);
    if (lstrcmpiW(className(child).c_str(), L"Static") == 0 && !t.empty()) text += (text.empty() ? L"" : L"\n") + t;
  }
  return text;
}
}  // namespace

UiSession::UiSession() : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.ui = std::thread([&s] {
    const HINSTANCE self = GetModuleHandleW(nullptr);
    static const bool registered = [self] {
      INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
      InitCommonControlsEx(&icc);
      WNDCLASSW sync{0, syncProc, 0, 0, self, nullptr, nullptr, nullptr, nullptr, L"TrovaTestSync"};
      return RegisterClassW(&sync) && win32::registerForm1Classes(self);
    }();
    s.uiThreadId = GetCurrentThreadId();
    s.syncWindow = CreateWindowExW(0, L"TrovaTestSync", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, self, nullptr);
    s.window = std::make_unique<win32::Form1Window>(s.real.platform, [&s](HWND owner) { s.real.dialogs.setOwner(owner); });
    if (HWND h = registered ? s.window->create(self) : nullptr) {
      ShowWindow(h, SW_SHOW);
      UpdateWindow(h);
      s.hwnd = h;
    }
    s.started = true;
    for (MSG msg; s.hwnd && GetMessageW(&msg, nullptr, 0, 0) > 0;) {
      if (IsDialogMessageW(s.hwnd, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    s.window.reset();
  });
  if (!waitUntil([&] { return s.started.load(); }, 30000) || !s.hwnd) {
    if (s.ui.joinable()) s.ui.join();
    throw std::runtime_error("the main window did not start");
  }
}

UiSession::~UiSession() {
  State& s = *state_;
  // Any box still open is cancelled, then the window closed: the UI thread leaves its loop.
  EnumThreadWindows(s.uiThreadId, [](HWND w, LPARAM) -> BOOL {
    if (className(w) == L"#32770") PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }, 0);
  PostMessageW(s.hwnd.load(), WM_CLOSE, 0, 0);
  if (s.ui.joinable()) s.ui.join();
  CloseHandle(s.synced);
}

HWND UiSession::window() const { return state_->hwnd.load(); }

HWND UiSession::control(const std::wstring& name) const {
  if (HWND h = state_->window->control(name)) return h;
  throw std::runtime_error("no control of that name");
}

void UiSession::sync() const {
  PostMessageW(state_->syncWindow, kSyncMessage, 0, reinterpret_cast<LPARAM>(state_->synced));
  WaitForSingleObject(state_->synced, 30000);
}

void UiSession::click(HWND target, POINT at) const {
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  sync();
}

void UiSession::pickTab(const std::wstring& tabs, int index) const {
  click(control(tabs), centre(control(tabs), TCM_GETITEMRECT, index));
}

void UiSession::press(const std::wstring& button) const {
  PostMessageW(control(button), BM_CLICK, 0, 0);
  sync();
}

void UiSession::clickRow(const std::wstring& list, int row) const { click(control(list), rowPoint(control(list), row)); }

bool UiSession::clickCheckBox(const std::wstring& list, int row) const {
  HWND lv = control(list);
  const POINT label = rowPoint(lv, row);
  for (int x = 0; x < label.x + 48; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, label.y};
    if (send(lv, LVM_HITTEST, 0, &hit) == row && (hit.flags & LVHT_ONITEMSTATEICON)) return click(lv, hit.pt), true;
  }
  return false;
}

void UiSession::clickColumn(const std::wstring& list, int column) const {
  click(headerOf(control(list)), centre(headerOf(control(list)), HDM_GETITEMRECT, column));
}

bool UiSession::pickEntry(const std::wstring& combo, const std::wstring& text) const {
  HWND c = control(combo);
  const auto index = send(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text.c_str());
  if (index == CB_ERR) return false;
  // A pick in the drop-down list selects the entry and tells the owner.
  SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  sync();
  return true;
}

void UiSession::key(const std::wstring& name, WPARAM virtualKey) const {
  PostMessageW(control(name), WM_KEYDOWN, virtualKey, 0);
  PostMessageW(control(name), WM_KEYUP, virtualKey, 0xC0000001);
  sync();
}

Rows UiSession::rows(const std::wstring& list) const {
  HWND lv = control(list);
  const bool box = isListBox(lv);
  Rows out(static_cast<std::size_t>(SendMessageW(lv, box ? LB_GETCOUNT : LVM_GETITEMCOUNT, 0, 0)),
           Row(box ? 1 : static_cast<std::size_t>(SendMessageW(headerOf(lv), HDM_GETITEMCOUNT, 0, 0))));
  for (std::size_t r = 0; r < out.size(); ++r)
    for (std::size_t c = 0; c < out[r].size(); ++c) out[r][c] = itemText(lv, static_cast<int>(r), static_cast<int>(c));
  return out;
}

int UiSession::rowWith(const std::wstring& list, int column, const std::wstring& text) const {
  const Rows all = rows(list);
  for (std::size_t r = 0; r < all.size(); ++r)
    if (all[r][static_cast<std::size_t>(column)] == text) return static_cast<int>(r);
  return -1;
}

bool UiSession::checked(const std::wstring& list, int row) const {
  // The state image the control would draw (a virtual list asks the window).
  return SendMessageW(control(list), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) ==
         INDEXTOSTATEIMAGEMASK(2);
}

std::wstring UiSession::text(const std::wstring& name) const { return win32::windowText(control(name)); }

HWND UiSession::waitForDialog(const std::wstring& title, int timeoutMs, int withControl) const {
  HWND found = nullptr;  // boxes and common dialogs are of the dialog class; the main window is not
  waitUntil([&] {
    while ((found = FindWindowExW(nullptr, found, L"#32770", title.c_str())))
      if (IsWindowVisible(found) && (!withControl || GetDlgItem(found, withControl))) return true;
    return false;
  }, timeoutMs);
  return found;
}

void UiSession::answer(HWND dialog, int buttonId) const {
  if (!dialog) return;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
  waitUntil([&] { return !IsWindow(dialog); });
  sync();
}

std::wstring UiSession::answerBox(const std::wstring& title, const std::optional<std::wstring>& typed, int buttonId) const {
  HWND box = waitForDialog(title, 10000, typed ? Win32Dialogs::kInputEditId : 0);
  const std::wstring text = box ? dialogText(box) : L"(no box)";
  if (box && typed) SetDlgItemTextW(box, Win32Dialogs::kInputEditId, typed->c_str());
  answer(box, buttonId);
  return text;
}

bool UiSession::answerFile(const std::wstring& title, const std::wstring& path) const {
  // Both styles have the filter list (cmb1); the name is in cmb13 (Explorer style) or edt1.
  HWND dialog = waitForDialog(title, 15000, 0x470);
  sync();
  HWND field = GetDlgItem(dialog, 0x47C) ? GetDlgItem(dialog, 0x47C) : GetDlgItem(dialog, 0x480);
  SetWindowTextW(field, path.c_str());
  answer(dialog);
  return field != nullptr;
}

}  // namespace trova::test
