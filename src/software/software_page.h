// The installed software page: the programs registered for uninstallation in
// the machine-wide Uninstall key of both registry views (32-bit installers
// write theirs in the 32-bit view) and in the current user's (per-user
// installs). The user starts a program's own uninstaller or removes a stale
// registration.
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
  RegRoot root;            // whose Uninstall key holds it
  std::wstring alias;      // the sub-key of the Uninstall key
  std::wstring uninstall;  // "UninstallString" as stored
};

class SoftwarePage final : public Page {
 public:
  explicit SoftwarePage(PageSite& site);

  // Empties the list and reads every registration that has a display name:
  // the machine's of each view, then the current user's. A program registered
  // in both views is listed once per registration.
  void LoadUninstallList();
  void Command_rjxzxz_Click();  // "卸载"
  void Command_rjxzsc_Click();  // "仅仅删除信息"

 private:
  void AddRegistrations(RegRoot root);
  void Fail(const std::wstring& what, const std::wstring& why);

  Platform& platform_;
  ListView& ListView_rjxz;
};

}  // namespace trova
