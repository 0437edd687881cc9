// The parts of Wine's common open/save dialog that tests fill in and read.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace trova::test {

constexpr int kFileTypeCombo = 0x470;  // cmb1: the filter list
constexpr int kFileNameCombo = 0x47C;  // cmb13: the file name (Explorer style)
constexpr int kFileNameEdit = 0x480;   // edt1: the file name (older style)

// The file-name field of either style of dialog, or null.
HWND fileNameField(HWND dialog);
// The captions of the filter list, in order.
std::vector<std::wstring> fileTypes(HWND dialog);

}  // namespace trova::test
