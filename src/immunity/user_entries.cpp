// The user-defined tab: entries the user adds by CLSID, kept in cisid.dat.
#include <string>
#include <vector>

#include "formats/cisid_file.h"
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
    // Said at once, and the next save keeps the file aside: it would otherwise
    // replace entries the user never saw.
    userFileUnread_ = true;
    platform_.dialogs.message(L"无法读取自定义插件文件 " + path + L": " + why.reason +
                                  L"\r\n下次保存时，原文件将先复制为 cisid.dat.bak 保留。",
                              kNotice, MessageStyle::Plain);
    return;
  }
  const UserRecords records = decodeUserRecords(*bytes);
  ListView& list = *ListView_cjmy[kUserList];
  {
    ListFill fill(list);
    for (const KnownControl& e : records.entries) addRow(kUserList, e.name, ImmunityRow{e.clsid, false});
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
  // A cancelled name prompt still leads to the CLSID prompt, as an empty answer does.
  std::wstring name = platform_.dialogs.input(L"请输入插件名称:", kAddTitle, L"").value_or(L"");
  if (name.empty()) name = L"未命名";
  const std::wstring clsid =
      platform_.dialogs.input(L"请输入插件cisid:\r\n例如:{00000000-0000-0000-0000-000000000000}", kAddTitle, L"")
          .value_or(L"");

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
  addRow(kUserList, name, ImmunityRow{clsid, false});
  refreshUserHeader();
}

void ImmunityPage::Command_yhzdysc_Click() {
  ListView& list = *ListView_cjmy[kUserList];
  const int row = list.selectedRow();
  const ImmunityRow* entry = recordOf<ImmunityRow>(list, row);
  if (!entry) return;
  // Only Trova's kill-bit goes: the control's other flags stay, and its key
  // goes only when nothing else is left in it.
  RegStatus failure = regerr::Ok;
  if (usableAsKeyName(entry->clsid)) failure = removeKillBit(platform_.registry, entry->clsid);
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
  const std::wstring path = userFilePath();
  std::wstring keptAs;
  if (userFileUnread_ && platform_.files.exists(path)) {
    // The file could not be read at start-up, so the list does not hold what
    // it held: a copy is kept instead of replacing it blind. A copy, not a
    // move, so that a save that then fails leaves the file where it was.
    for (int n = 1; n < 100 && keptAs.empty(); ++n) {
      const std::wstring aside = path + L".bak" + (n == 1 ? L"" : std::to_wstring(n));
      if (platform_.files.exists(aside)) continue;
      const FileResult copied = platform_.files.copy(path, aside);
      if (!copied) {
        platform_.dialogs.message(L"保存失败: 无法读取的原文件未能复制保留: " + copied.reason, kNotice,
                                  MessageStyle::Plain);
        return;
      }
      keptAs = aside;
    }
    if (keptAs.empty()) {
      platform_.dialogs.message(L"保存失败: 无法读取的原文件没有可以复制保留的名称。", kNotice, MessageStyle::Plain);
      return;
    }
    userFileUnread_ = false;
  }
  const std::wstring kept = keptAs.empty() ? L"" : L"\r\n无法读取的原文件已复制为 " + keptAs + L" 保留。";
  const FileResult written = platform_.files.replace(path, *bytes);
  if (!written) {
    platform_.dialogs.message(L"保存失败: " + written.reason + kept, kNotice, MessageStyle::Plain);
    return;
  }
  platform_.dialogs.message(L"保存成功!" + kept, kNotice, MessageStyle::Plain);
}

}  // namespace trova
