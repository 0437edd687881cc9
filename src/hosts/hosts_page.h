// The website immunity page: the mapping lines of the hosts file in a list
// box, where the user adds and deletes entries and then writes the list back
// under a fixed header. Every line keeps the bytes it was read with.
#pragma once
#include <optional>
#include <string>

#include "app/page.h"
#include "ui/controls.h"

namespace trova {

namespace hosts {
// Where Windows may be told to look for the hosts file instead of its own folder.
inline constexpr const wchar_t* kTcpipParameters = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr const wchar_t* kDataBasePath = L"DataBasePath";
inline constexpr const wchar_t* kSaved = L"保存应用成功!";
}  // namespace hosts

class HostsPage final : public Page {
 public:
  explicit HostsPage(PageSite& site);

  // Empties the list and reads the hosts file into it again.
  void LoadHosts();
  void Command_wzmytj_Click();  // "添加"
  void Command_wzmysc_Click();  // "删除"
  void Command_wzmybc_Click();  // "保存应用"

 private:
  // The folder of the hosts file Windows reads: the one "DataBasePath" names,
  // else the system folder's drivers\etc when a hosts file is there, else the
  // Windows folder. Found afresh for every load and save; nothing (and `why`)
  // when "DataBasePath" is there but cannot be read.
  std::optional<std::wstring> HostsFolder(std::wstring& why);

  Platform& platform_;
  ListBox& List_wzmy;
  // A hosts file that was there but could not be read (empty: one whose
  // folder could not be found): the list does not hold its entries, so saving
  // over it would lose them.
  std::optional<std::wstring> unread_;
};

}  // namespace trova
