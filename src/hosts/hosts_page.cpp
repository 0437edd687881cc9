#include "hosts/hosts_page.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "formats/hosts_file.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace trova {

using namespace hosts;

namespace {
constexpr const wchar_t* kNotice = L"提示";
constexpr const wchar_t* kAddTitle = L"添加";
constexpr const wchar_t* kAddFailed = L"添加失败";
}  // namespace

HostsPage::HostsPage(PageSite& site) : platform_(site.platform), List_wzmy(site.controls.listBox(L"List_wzmy")) {
  site.onPick(PickStep::Hosts, [this] { LoadHosts(); });
  site.onClick(L"Command_wzmytj", [this] { Command_wzmytj_Click(); });
  site.onClick(L"Command_wzmysc", [this] { Command_wzmysc_Click(); });
  site.onClick(L"Command_wzmybc", [this] { Command_wzmybc_Click(); });
}

std::optional<std::wstring> HostsPage::HostsFolder(std::wstring& why) {
  KeyPtr parameters;
  RegStatus s = platform_.registry.open(Hive::LocalMachine, kTcpipParameters, parameters);
  if (s == regerr::Ok) {
    RegValue folder;
    // Expanded whichever text type holds it: unexpanded, a path with
    // %SystemRoot% in it names no folder.
    s = parameters->queryValue(kDataBasePath, folder);
    if (s == regerr::Ok && folder.isText()) {
      std::wstring expanded = platform_.shell.expandVariables(folder.asText());
      if (!expanded.empty()) return expanded;
    }
  }
  // Only a setting that is not there means the usual folder: one that cannot
  // be read may name another, and the file there is the one Windows reads.
  if (s != regerr::Ok && s != regerr::FileNotFound) {
    why = L"无法读取hosts文件所在的文件夹(" + std::wstring(kDataBasePath) + L")：" + describeFailure(s);
    return std::nullopt;
  }
  // A hidden or system hosts file counts: it is the one Windows reads.
  std::wstring etc = joinPath(platform_.folders.systemFolder(), L"drivers\\etc");
  if (platform_.files.exists(joinPath(etc, kHostsFileName))) return etc;
  return platform_.folders.windowsFolder();
}

void HostsPage::LoadHosts() {
  // Emptied first, so the old rows are gone before the new ones are read.
  List_wzmy.setRows({});
  unread_.reset();
  std::wstring where;
  const std::optional<std::wstring> folder = HostsFolder(where);
  if (!folder) {
    unread_ = L"";  // wherever it is, its entries are not in the list
    platform_.dialogs.message(where, kNotice, MessageStyle::Plain);
    return;
  }
  const std::wstring path = joinPath(*folder, kHostsFileName);
  if (!platform_.files.exists(path)) return;
  FileResult why;
  try {
    if (std::optional<std::string> bytes = platform_.files.read(path, &why)) {
      List_wzmy.setRows(readHostsEntries(std::move(*bytes)));
      return;
    }
  } catch (const std::bad_alloc&) {
    why = FileResult::failure(L"文件太大");
  } catch (const std::length_error&) {
    why = FileResult::failure(L"文件太大");
  }
  unread_ = path;
  platform_.dialogs.message(L"无法读取hosts文件 " + path + L"：" + why.reason, kNotice, MessageStyle::Plain);
}

void HostsPage::Command_wzmytj_Click() {
  const std::wstring site = platform_.dialogs.input(L"输入网站地址,如www.example.com", kAddTitle, L"").value_or(L"");
  if (site.empty()) {
    platform_.dialogs.message(kAddFailed, L"", MessageStyle::Plain);
    return;
  }
  // A cancelled address is an empty one: the line then starts with the gap.
  const std::wstring address =
      platform_.dialogs.input(L"输入IP地址,如需屏蔽,输入127.0.0.255", kAddTitle, L"127.0.0.255").value_or(L"");
  const std::optional<std::string> line = hostsEntry(address, site);
  if (!line) {
    platform_.dialogs.message(std::wstring(kAddFailed) +
                                  L"\r\n网站地址或IP地址中有换行或系统代码页无法保存的字符，"
                                  L"或IP地址以#开头(那样是一行注释)。",
                              L"", MessageStyle::Plain);
    return;
  }
  List_wzmy.add(*line);
}

void HostsPage::Command_wzmysc_Click() {
  const int row = List_wzmy.selected();
  if (row >= 0) List_wzmy.remove(row);
}

void HostsPage::Command_wzmybc_Click() {
  const auto fail = [&](const std::wstring& why) {
    platform_.dialogs.message(L"保存失败：" + why, kNotice, MessageStyle::Plain);
  };
  std::wstring where;
  const std::optional<std::wstring> found = HostsFolder(where);
  if (!found) return fail(where + L"\r\n原文件没有改动。");
  const std::wstring& folder = *found;
  const std::wstring path = joinPath(folder, kHostsFileName);
  if (unread_ && (unread_->empty() || (equalsNoCase(*unread_, path) && platform_.files.exists(path))))
    return fail(L"hosts文件 " + path + L" 没能读出，保存会丢掉其中的内容。\r\n原文件没有改动；可以读取后，请重新打开本页再保存。");

  // The file as it was before Trova first replaced it stays beside it, once.
  std::wstring kept;
  const std::wstring backup = joinPath(folder, kHostsBackupName);
  if (platform_.files.exists(path) && !platform_.files.exists(backup)) {
    if (FileResult copied = platform_.files.copy(path, backup); !copied)
      return fail(L"没能把原文件备份为 " + backup + L"：" + copied.reason + L"\r\n原文件没有改动。");
    kept = L"\r\n原hosts文件已备份为 " + backup;
  }
  if (FileResult written = platform_.files.replace(path, writeHostsFile(List_wzmy.rows())); !written)
    return fail(L"无法写入 " + path + L"：" + written.reason + L"\r\n原文件没有改动。" + kept);
  platform_.dialogs.message(kSaved + kept, kNotice, MessageStyle::Information);
}

}  // namespace trova
