// The startup items page: the programs Windows starts at logon from the
// machine-wide and the per-user Run keys. A disabled entry stays where it is;
// its command line is made unusable by a leading ";".
#pragma once
#include <string>

#include "app/page.h"
#include "platform/registry.h"
#include "ui/controls.h"

namespace trova {

namespace startup {
inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\RUN";
inline constexpr const wchar_t* kMachine = L"HLMR";
inline constexpr const wchar_t* kMachine32 = L"HLMR32";  // the Run key 32-bit programs wrote
inline constexpr const wchar_t* kUser = L"HCUR";
inline constexpr const wchar_t* kEnabled = L"已启用";
inline constexpr const wchar_t* kDisabled = L"已禁用";
inline constexpr const wchar_t* kUnnamed = L"未命名";

// Column positions of ListView_qdxm.
enum Column { Name = 0, Location = 1, State = 2, Command = 3 };
}  // namespace startup

// What a row of the startup list is: the Run value it shows and its command.
struct StartupRow {
  RegRoot root;
  std::wstring name;
  std::wstring command;  // as stored, the ";" of a disabled entry included
};

class StartupPage final : public Page {
 public:
  explicit StartupPage(PageSite& site);

  // Empties the list and reads the Run keys again: the machine-wide ones of
  // both registry views first, then the current user's, which both share.
  void LoadStartupList();
  void Command_qdxmjy_Click();  // "禁用"
  void Command_qdxmqy_Click();  // "启用"
  void Command_qdxmsc_Click();  // "删除"
  void Command_qdxmtj_Click();  // "添加"

 private:
  void AddEntries(RegRoot root, const wchar_t* marker);
  // Writes `command` to the row's value; on success sets the row's state and
  // command, otherwise leaves the row as it was and says why.
  void Rewrite(int row, const StartupRow& entry, const std::wstring& command, const wchar_t* state,
               const wchar_t* action);
  void Fail(const std::wstring& what, const std::wstring& why);

  Platform& platform_;
  ListView& ListView_qdxm;
};

}  // namespace trova
