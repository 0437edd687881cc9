// The user-defined tab: entries the user adds by CLSID, kept in cisid.dat.
#include <string>
#include <vector>

#include "immunity/cisid_file.h"
#include "immunity/immunity_page.h"
#include "immunity/immunity_texts.h"
#include "immunity/kill_bit.h"
#include "platform/files.h"

namespace trova {

using namespace immunity_text;

namespace {
constexpr int kUserList = category::UserDefined;
constexpr const wchar_t* kAddTitle = L"添加自定义";
constexpr const wchar_t* kResultTitle = L"结果";
constexpr const wchar_t* kAddFailed = L"添加失败!";
}  // namespace

std::wstring ImmunityPage::userFilePath() const {
  return joinPath(platform_.folders.programFolder(), kUserFileName);
}

void ImmunityPage::refreshUserHeader() {
  notImmuneCount[kUserList] = countNotImmune(kUserList);
  UpdateListHeader(kUserList, notImmuneCount[kUserList]);
}

void ImmunityPage::LoadUserEntries() {
  const std::wstring path = userFilePath();
  if (!platform_.files.exists(path)) return;
  FileResult why;
  const auto bytes = platform_.files.read(path, &why);
  if (!bytes) {
    // Said at once: a later save would otherwise replace entries the user never saw.
    platform_.dialogs.message(L"无法读取自定义插件文件 " + path + L": " + why.reason, kNotice,
                              MessageStyle::Plain);
    return;
  }
  const UserRecords records = decodeUserRecords(*bytes);
  ListView& list = *ListView_cjmy[kUserList];
  {
    ListFill fill(list);
    for (const KnownControl& e : records.entries) {
      const bool immune = ReadImmunityState(e.clsid);
      list.addRow({e.name, e.clsid, immune ? kImmune : kNotImmune}, immune);
    }
  }
  // With no entry the tab keeps its plain caption, as before any entry was read.
  if (!records.entries.empty()) refreshUserHeader();
  if (records.damaged > 0) {
    platform_.dialogs.message(L"自定义插件文件 cisid.dat 中有" + std::to_wstring(records.damaged) +
                                  L"条记录已损坏，未能读出。再次保存自定义插件时，这些记录将不再保留。",
                              kNotice, MessageStyle::Plain);
  }
}

void ImmunityPage::SSTab_cjmy_Click() {
  if (SSTab_cjmy.current() != kUserList) return;
  if (platform_.files.exists(userFilePath())) return;
  platform_.dialogs.message(L"trova将会在程序所在目录创建一个cisid.dat文件以保存自定义插件数据", kNotice,
                            MessageStyle::Plain);
}

void ImmunityPage::Command_yhzdytj_Click() {
  std::wstring name = platform_.dialogs.input(L"请输入插件名称:", kAddTitle, L"");
  if (name.empty()) name = L"未命名";
  const std::wstring clsid = platform_.dialogs.input(
      L"请输入插件cisid:\r\n例如:{00000000-0000-0000-0000-000000000000}", kAddTitle, L"");

  // Only the braces are tested, as typed; a backslash would make the text a
  // path to some other key below ActiveX Compatibility.
  const bool braced = !clsid.empty() && (clsid.front() == L'{' || clsid.back() == L'}');
  if (!braced || !usableAsKeyName(clsid)) {
    platform_.dialogs.message(kAddFailed, kResultTitle, MessageStyle::Plain);
    return;
  }
  // cisid.dat must be able to give the entry back exactly as it is listed.
  if (!fitsUserRecord(name, clsid)) {
    platform_.dialogs.message(
        std::wstring(kAddFailed) + L"\r\n插件名称和cisid太长：两者合计最多" +
            std::to_wstring(kUserRecordTextRoom) + L"字节（一个汉字占2字节），现为" +
            std::to_wstring(userRecordTextBytes(name, clsid)) + L"字节。",
        kResultTitle, MessageStyle::Plain);
    return;
  }
  if (!survivesAnsi(name) || !survivesAnsi(clsid)) {
    platform_.dialogs.message(
        std::wstring(kAddFailed) + L"\r\n插件名称或cisid中有系统代码页无法保存的字符。", kResultTitle,
        MessageStyle::Plain);
    return;
  }

  // The state goes in with the row, so a list sorted by any column puts it in its place.
  const bool immune = ReadImmunityState(clsid);
  ListView_cjmy[kUserList]->addRow({name, clsid, immune ? kImmune : kNotImmune}, immune);
  refreshUserHeader();
}

void ImmunityPage::Command_yhzdysc_Click() {
  ListView& list = *ListView_cjmy[kUserList];
  const int row = list.selectedRow();
  if (row < 0 || row >= list.rowCount()) return;
  const std::wstring clsid = list.cell(row, 1);

  RegStatus failure = regerr::Ok;
  if (usableAsKeyName(clsid)) {
    KeyPtr key;
    RegStatus s = platform_.registry.open(Hive::LocalMachine, kActiveXCompatibilityKey, key);
    if (s == regerr::Ok) s = key->deleteSubKey(clsid);
    if (s != regerr::Ok && s != regerr::FileNotFound) failure = s;  // a missing key is no error
  }
  list.removeRow(row);
  refreshUserHeader();
  if (failure != regerr::Ok) {
    // The row is gone from the list, but the kill-bit is not gone from the registry.
    platform_.dialogs.message(L"已从列表中删除，但注册表中该插件的免疫设置未能删除: " + describeFailure(failure),
                              kNotice, MessageStyle::Plain);
  }
}

void ImmunityPage::Command_yhzdybc_Click() {
  const ListView& list = *ListView_cjmy[kUserList];
  std::vector<KnownControl> entries;
  entries.reserve(static_cast<std::size_t>(list.rowCount()));
  for (int r = 0; r < list.rowCount(); ++r)
    entries.push_back({category::UserDefined, list.cell(r, 0), list.cell(r, 1)});

  // Exactly the listed rows: nothing left over from an earlier, longer list,
  // and an empty list leaves an empty file so deleted entries stay deleted.
  const auto bytes = encodeUserRecords(entries);
  if (!bytes) {
    platform_.dialogs.message(L"保存失败: 有插件名称和cisid太长，无法写入cisid.dat。", kNotice,
                              MessageStyle::Plain);
    return;
  }
  const FileResult written = platform_.files.replace(userFilePath(), *bytes);
  if (!written) {
    platform_.dialogs.message(L"保存失败: " + written.reason, kNotice, MessageStyle::Plain);
    return;
  }
  platform_.dialogs.message(L"保存成功!", kNotice, MessageStyle::Plain);
}

}  // namespace trova
