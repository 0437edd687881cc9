#include "settings/associations.h"

namespace trova::associations {

const std::vector<Repair>& repairs() {
  static const std::vector<Repair> table = {
      {L"Check_wjglexe", L"恢复.EXE/.COM文件关联", {L"exefile", L"comfile"}, Opener::Itself},
      {L"Check_wjgliniinf", L"恢复.TXT/.INI/.INF文件关联", {L"txtfile", L"inifile", L"inffile"}, Opener::Notepad},
      {L"Check_wjglreg", L"恢复.REG文件关联/解锁注册表编辑器", {L"regfile"}, Opener::Regedit},
      {L"Check_wjglbat", L"恢复.BAT/.PIF/.SCR文件关联", {L"batfile", L"pifile", L"scrfile"}, Opener::Itself},
  };
  return table;
}

std::wstring openCommand(Opener opener, const std::wstring& windowsFolder) {
  switch (opener) {
    case Opener::Itself: return L"\"%1\" %*";
    case Opener::Notepad: {
      // A folder at a drive's root comes with its backslash ("D:\").
      std::wstring folder = windowsFolder;
      if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
      return folder + L"\\notepad.exe %1";
    }
    case Opener::Regedit: return L"regedit.exe \"%1\"";
  }
  return {};
}

std::wstring commandKey(const std::wstring& fileClass) { return fileClass + L"\\shell\\open\\command"; }

}  // namespace trova::associations
