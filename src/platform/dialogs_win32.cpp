// Message boxes, the input box and the common file dialogs.
// <windows.h> (through the header) comes first: the others build on it.
#include "platform/win32_platform.h"
#include "platform/dpi_win32.h"

#include <commdlg.h>
#include <objbase.h>

#include <algorithm>
#include <vector>

namespace trova {

namespace {

std::wstring titleOrProgram(const std::wstring& title) {
  return title.empty() ? std::wstring(kProgramTitle) : title;
}

HWND validOwner(HWND owner) { return owner && IsWindow(owner) ? owner : nullptr; }

// ---- The input box ------------------------------------------------------------

// Built in memory from a dialog template, so the program needs no resource for
// it. The template only names the controls; WM_INITDIALOG lays them out in the
// message font, sized for the prompt.
class TemplateWriter {
 public:
  void word(WORD w) { data_.push_back(w); }
  void dword(DWORD d) {
    word(LOWORD(d));
    word(HIWORD(d));
  }
  void text(const std::wstring& s) {
    for (wchar_t c : s) word(static_cast<WORD>(c));
    word(0);
  }
  void alignDword() {
    if (data_.size() % 2) word(0);
  }
  void item(DWORD style, DWORD exStyle, WORD id, WORD classAtom, const std::wstring& caption) {
    alignDword();
    dword(style | WS_CHILD | WS_VISIBLE);
    dword(exStyle);
    for (int i = 0; i < 4; ++i) word(0);  // x, y, cx, cy: set when laid out
    word(id);
    word(0xFFFF);
    word(classAtom);
    text(caption);
    word(0);  // no creation data
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  std::vector<WORD> data_;  // WORD-aligned storage, as the template needs
};

constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

struct InputBox {
  std::wstring prompt;
  std::wstring initial;
  std::wstring result;
  HFONT font = nullptr;
};

// Sizes in dialog units of the message font, the way a dialog resource is laid out.
struct Units {
  int baseX = 6, baseY = 13;
  int x(int dlu) const { return MulDiv(dlu, baseX, 4); }
  int y(int dlu) const { return MulDiv(dlu, baseY, 8); }
};

Units unitsOf(HDC dc) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SIZE size{};
  static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPoint32W(dc, kAlphabet, 52, &size);
  Units u;
  u.baseX = size.cx > 0 ? (size.cx / 26 + 1) / 2 : 6;
  u.baseY = tm.tmHeight > 0 ? tm.tmHeight : 13;
  return u;
}

void layOutInputBox(HWND dialog, InputBox& box) {
  const UINT dpi = windowDpi(dialog);
  box.font = messageFont(dpi);
  for (int id : {Win32Dialogs::kInputPromptId, Win32Dialogs::kInputEditId,
                 Win32Dialogs::kInputOkId, Win32Dialogs::kInputCancelId})
    SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);

  HDC dc = GetDC(dialog);
  HGDIOBJ previous = SelectObject(dc, box.font);
  const Units u = unitsOf(dc);
  const int margin = u.x(7), gap = u.y(4);
  const int buttonW = u.x(50), buttonH = u.y(14);
  const int clientW = u.x(280);
  const int promptW = clientW - 3 * margin - buttonW;

  // As tall as the prompt needs (it may have several lines), but at least as
  // tall as the two buttons beside it and at most most of the screen.
  RECT text{0, 0, promptW, 0};
  DrawTextW(dc, box.prompt.c_str(), static_cast<int>(box.prompt.size()), &text,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
  SelectObject(dc, previous);
  ReleaseDC(dialog, dc);

  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  int promptH = text.bottom - text.top;
  promptH = std::max(promptH, 2 * buttonH + gap);
  promptH = std::min(promptH, static_cast<int>((work.bottom - work.top) * 3 / 5));

  const int editH = std::max(u.y(12), u.baseY + u.y(4));
  const int editY = margin + promptH + gap;
  const int clientH = editY + editH + margin;

  MoveWindow(GetDlgItem(dialog, Win32Dialogs::kInputPromptId), margin, margin, promptW, promptH, FALSE);
  MoveWindow(GetDlgItem(dialog, Win32Dialogs::kInputOkId), clientW - margin - buttonW, margin,
             buttonW, buttonH, FALSE);
  MoveWindow(GetDlgItem(dialog, Win32Dialogs::kInputCancelId), clientW - margin - buttonW,
             margin + buttonH + gap, buttonW, buttonH, FALSE);
  MoveWindow(GetDlgItem(dialog, Win32Dialogs::kInputEditId), margin, editY, clientW - 2 * margin,
             editH, FALSE);

  // Window size from the client size, then centred on the owner (or the screen).
  RECT outer{0, 0, clientW, clientH};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  RECT around = work;
  if (HWND owner = GetWindow(dialog, GW_OWNER); owner && IsWindowVisible(owner) && !IsIconic(owner))
    GetWindowRect(owner, &around);
  int x = around.left + ((around.right - around.left) - width) / 2;
  int y = around.top + ((around.bottom - around.top) - height) / 2;
  x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
  y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
  SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK inputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<InputBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      box = reinterpret_cast<InputBox*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetDlgItemTextW(dialog, Win32Dialogs::kInputPromptId, box->prompt.c_str());
      SetDlgItemTextW(dialog, Win32Dialogs::kInputEditId, box->initial.c_str());
      layOutInputBox(dialog, *box);
      // The default text is selected, so typing replaces it.
      HWND edit = GetDlgItem(dialog, Win32Dialogs::kInputEditId);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          HWND edit = GetDlgItem(dialog, Win32Dialogs::kInputEditId);
          int length = GetWindowTextLengthW(edit);
          std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
          length = GetWindowTextW(edit, text.data(), length + 1);
          text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
          if (box) box->result = std::move(text);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          if (box) box->result.clear();
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// ---- File dialogs ---------------------------------------------------------------

std::optional<std::wstring> fileDialog(HWND owner, const FileDialogSpec& spec, bool save) {
  // "description\0pattern\0...\0\0"
  std::wstring filter;
  for (const auto& [description, pattern] : spec.filters) {
    filter += description;
    filter.push_back(L'\0');
    filter += pattern;
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');

  std::wstring extension = spec.defaultExtension;
  if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);

  // Room for any path the system allows, not only MAX_PATH.
  std::vector<wchar_t> file(32768, L'\0');

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = validOwner(owner);
  ofn.hInstance = GetModuleHandleW(nullptr);
  ofn.lpstrFilter = spec.filters.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = spec.initialFolder.empty() ? nullptr : spec.initialFolder.c_str();
  ofn.lpstrTitle = spec.title.empty() ? nullptr : spec.title.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // No overwrite prompt on save: choosing an existing file means replacing it.
  // The folder stays the program's own whatever the user browses to.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
              (save ? 0 : OFN_FILEMUSTEXIST);

  // The dialog hosts shell views, which need COM on this thread.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (SUCCEEDED(com)) CoUninitialize();
  if (!chosen || file[0] == L'\0') return std::nullopt;
  return std::wstring(file.data());
}

}  // namespace

void Win32Dialogs::message(const std::wstring& text, const std::wstring& title, MessageStyle style) {
  UINT type = MB_OK | (style == MessageStyle::Information ? MB_ICONINFORMATION : 0);
  MessageBoxW(validOwner(owner_), text.c_str(), titleOrProgram(title).c_str(), type);
}

std::wstring Win32Dialogs::input(const std::wstring& prompt, const std::wstring& title,
                                 const std::wstring& initial) {
  TemplateWriter t;
  t.dword(DS_MODALFRAME | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  t.dword(0);
  t.word(4);  // controls
  for (int i = 0; i < 4; ++i) t.word(0);  // x, y, cx, cy: set when laid out
  t.word(0);  // no menu
  t.word(0);  // the standard dialog class
  t.text(titleOrProgram(title));
  t.item(SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, kInputPromptId, kStaticClass, L"");
  t.item(ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, kInputEditId, kEditClass, L"");
  t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 0, kInputOkId, kButtonClass, L"确定");
  t.item(BS_PUSHBUTTON | WS_TABSTOP, 0, kInputCancelId, kButtonClass, L"取消");

  InputBox box{prompt, initial, {}, nullptr};
  INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), validOwner(owner_),
                                           inputBoxProc, reinterpret_cast<LPARAM>(&box));
  if (box.font) DeleteObject(box.font);
  // A box that could not be shown counts as cancelled.
  return answer == IDOK ? box.result : std::wstring();
}

std::optional<std::wstring> Win32Dialogs::saveFile(const FileDialogSpec& spec) {
  return fileDialog(owner_, spec, true);
}

std::optional<std::wstring> Win32Dialogs::openFile(const FileDialogSpec& spec) {
  return fileDialog(owner_, spec, false);
}

}  // namespace trova
