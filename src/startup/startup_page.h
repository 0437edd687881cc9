// The startup items page: the programs Windows starts at logon from the
// machine-wide and the per-user Run keys. A disabled entry stays where it is;
// its command line is made unusable by a leading ";".
#pragma once
#include <array>
#include <string>

#include "platform/registry.h"
#include "platform/shell.h"
#include "ui/controls.h"

namespace trova {

namespace startup {
inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\RUN";
inline constexpr const wchar_t* kMachine = L"HLMR";
inline constexpr const wchar_t* kUser = L"HCUR";
inline constexpr const wchar_t* kEnabled = L"已启用";
inline constexpr const wchar_t* kDisabled = L"已禁用";
inline constexpr const wchar_t* kUnnamed = L"未命名";

// Column positions of ListView_qdxm.
enum Column { Name = 0, Location = 1, State = 2, Command = 3 };
// Column widths in pixels at 96 dots per inch, for a list of 489 by 281.
inline constexpr std::array<int, 4> kColumnWidths = {167, 60, 60, 170};
}  // namespace startup

class StartupPage {
 public:
  StartupPage(Platform& platform, ListView& list) : platform_(platform), ListView_qdxm(list) {}

  // Empties the list and reads both Run keys again: machine-wide entries first.
  void LoadStartupList();
  void Command_qdxmjy_Click();  // "禁用"
  void Command_qdxmqy_Click();  // "启用"
  void Command_qdxmsc_Click();  // "删除"
  void Command_qdxmtj_Click();  // "添加"

 private:
  void AddEntries(Hive hive, const wchar_t* marker);
  // Writes `command` to the selected row's value; on success sets the row's
  // state and command, otherwise leaves the row as it was and says why.
  void Rewrite(int row, const std::wstring& command, const wchar_t* state, const wchar_t* action);
  void Fail(const std::wstring& what, const std::wstring& why);

  Platform& platform_;
  ListView& ListView_qdxm;
};

}  // namespace trova
