// Message boxes, the input box and the common file dialogs.
// <windows.h> (through the header) comes first: the others build on it.
#include "platform/win32_platform.h"

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

struct InputBox {
  std::wstring title;
  std::wstring prompt;
  std::wstring initial;
  std::wstring result;
};

// The dialog holds a prompt of up to four lines; a longer one makes it taller
// (up to most of the screen), the answer and the box moving down with it.
void fitPrompt(HWND dialog) {
  HWND label = GetDlgItem(dialog, IDC_INPUT_PROMPT);
  RECT r;
  GetWindowRect(label, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int length = GetWindowTextLengthW(label);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(label, text.data(), length + 1);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), length, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
  SelectObject(dc, old);
  ReleaseDC(label, dc);

  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  const int room = (monitor.rcWork.bottom - monitor.rcWork.top) * 3 / 5;
  const int grow = std::min(static_cast<int>(needed.bottom - needed.top), room) - height;
  if (grow <= 0) return;
  SetWindowPos(label, nullptr, 0, 0, width, height + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND edit = GetDlgItem(dialog, IDC_INPUT_EDIT);
  GetWindowRect(edit, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(edit, nullptr, r.left, r.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(dialog, &r);
  SetWindowPos(dialog, nullptr, r.left, std::max(static_cast<int>(monitor.rcWork.top), static_cast<int>(r.top) - grow / 2),
               r.right - r.left, r.bottom - r.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK inputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<InputBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      box = reinterpret_cast<InputBox*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, box->title.c_str());
      SetDlgItemTextW(dialog, IDC_INPUT_PROMPT, box->prompt.c_str());
      SetDlgItemTextW(dialog, IDC_INPUT_EDIT, box->initial.c_str());
      fitPrompt(dialog);
      // The default text is selected, so typing replaces it.
      HWND edit = GetDlgItem(dialog, IDC_INPUT_EDIT);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          HWND edit = GetDlgItem(dialog, IDC_INPUT_EDIT);
          int length = GetWindowTextLengthW(edit);
          std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
          length = GetWindowTextW(edit, text.data(), length + 1);
          text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
          if (box) box->result = std::move(text);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
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

std::optional<std::wstring> Win32Dialogs::input(const std::wstring& prompt, const std::wstring& title,
                                                const std::wstring& initial) {
  InputBox box{titleOrProgram(title), prompt, initial, {}};
  const INT_PTR answer = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INPUT), validOwner(owner_),
                                         inputBoxProc, reinterpret_cast<LPARAM>(&box));
  // A box that could not be shown counts as cancelled.
  if (answer != IDOK) return std::nullopt;
  return box.result;
}

std::optional<std::wstring> Win32Dialogs::saveFile(const FileDialogSpec& spec) {
  return fileDialog(owner_, spec, true);
}

std::optional<std::wstring> Win32Dialogs::openFile(const FileDialogSpec& spec) {
  return fileDialog(owner_, spec, false);
}

}  // namespace trova
