// The installed software page: the programs registered for uninstallation in
// the machine-wide Uninstall key. The user starts a program's own uninstaller
// or removes a stale registration.
#pragma once
#include <array>
#include <string>

#include "platform/registry.h"
#include "platform/shell.h"
#include "ui/controls.h"

namespace trova {

namespace software {
inline constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Column positions of ListView_rjxz. The alias column is hidden (width 0) and
// carries the registration's sub-key name.
enum Column { Name = 0, Version = 1, Uninstaller = 2, Alias = 3 };
// Column widths in pixels at 96 dots per inch, for a list of 489 by 281.
inline constexpr std::array<int, 4> kColumnWidths = {147, 96, 200, 0};
}  // namespace software

class SoftwarePage {
 public:
  SoftwarePage(Platform& platform, ListView& list) : platform_(platform), ListView_rjxz(list) {}

  // Empties the list and reads every registration that has a display name.
  void LoadUninstallList();
  void Command_rjxzxz_Click();  // "卸载"
  void Command_rjxzsc_Click();  // "仅仅删除信息"

 private:
  void Fail(const std::wstring& what, const std::wstring& why);

  Platform& platform_;
  ListView& ListView_rjxz;
};

}  // namespace trova
