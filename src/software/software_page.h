// The installed software page: the programs registered for uninstallation in
// the machine-wide Uninstall key. The user starts a program's own uninstaller
// or removes a stale registration.
#pragma once
#include <string>

#include "app/page.h"
#include "platform/registry.h"
#include "ui/controls.h"

namespace trova {

namespace software {
inline constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Column positions of ListView_rjxz. The alias column is hidden (width 0).
enum Column { Name = 0, Version = 1, Uninstaller = 2, Alias = 3 };
}  // namespace software

// What a row of the software list is: the registration's key and its command.
struct SoftwareRow {
  std::wstring alias;      // the sub-key of the Uninstall key
  std::wstring uninstall;  // "UninstallString" as stored
};

class SoftwarePage final : public Page {
 public:
  explicit SoftwarePage(PageSite& site);

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
