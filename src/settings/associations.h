// The file-association repairs of the "系统关联" tab: each ticked switch puts
// back the shell's open command of a group of file classes, so that programs,
// scripts, text and registry files open as Windows meant them to. Only the
// default value of each class's shell\open\command key is written.
#pragma once
#include <string>
#include <vector>

namespace trova::associations {

// What a class's open command starts.
enum class Opener {
  Itself,   // the file is the program: "%1" %*
  Notepad,  // the Windows folder's notepad.exe
  Regedit,  // the registry editor imports the file
};

struct Repair {
  const wchar_t* checkBox;
  const wchar_t* caption;
  std::vector<const wchar_t*> classes;  // under HKEY_CLASSES_ROOT, in the order written
  Opener opener;
};

const std::vector<Repair>& repairs();

// The open command's text. "%1" and "%*" are the shell's placeholders for the
// file and its further arguments and stay as they are.
std::wstring openCommand(Opener opener, const std::wstring& windowsFolder);
// Where a class's open command lives: "<class>\shell\open\command".
std::wstring commandKey(const std::wstring& fileClass);

}  // namespace trova::associations
