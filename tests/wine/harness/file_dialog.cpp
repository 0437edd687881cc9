#include "harness/file_dialog.h"

namespace trova::test {

HWND fileNameField(HWND dialog) {
  HWND field = GetDlgItem(dialog, kFileNameCombo);
  return field ? field : GetDlgItem(dialog, kFileNameEdit);
}

std::vector<std::wstring> fileTypes(HWND dialog) {
  std::vector<std::wstring> items;
  HWND combo = GetDlgItem(dialog, kFileTypeCombo);
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(item.size() - 1);
    items.push_back(item);
  }
  return items;
}

}  // namespace trova::test
