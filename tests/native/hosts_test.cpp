// The website immunity page and the hosts file: entries kept byte for byte
// under the header, "添加" and "删除", and which file is saved.
#include "hosts/hosts_page.h"
#include "page_test.h"
#include "platform/codepage.h"

namespace trova::test {
namespace {

const std::string kHeader =
    "# Copyright (c) 1993-1999 Microsoft Corp.\r\n#\r\n"
    "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.\r\n#\r\n"
    "# This file contains the mappings of IP addresses to host names. Each\r\n"
    "# entry should be kept on an individual line. The IP address should\r\n"
    "# be placed in the first column followed by the corresponding host name.\r\n"
    "# The IP address and the host name should be separated by at least one\r\n# space.\r\n#\r\n"
    "# Additionally, comments (such as these) may be inserted on individual\r\n"
    "# lines or following the machine name denoted by a '#' symbol.\r\n#\r\n# For example:\r\n#\r\n"
    "#      102.54.94.97     rhino.acme.com          # source server\r\n"
    "#       38.25.63.10     x.acme.com              # x client host\r\n\r\n";
const std::wstring kEtc = L"C:\\windows\\system32\\drivers\\etc\\";
using HostsPage = PageTest;

TEST_F(HostsPage, EntriesAreKeptByteForByteAddedDeletedAndSavedUnderTheHeader) {
  // Entries: the lines neither empty nor starting with "#", in any encoding,
  // after a UTF-8 byte-order mark, ending in CR LF, LF or nothing.
  const std::string kept = "127.0.0.1 \xE4\xBE\x8B\xE5\xAD\x90.com\r\n  # spaced\r\n\t1.2.3.4\ty  # x\r\n\r\r\n"
                           "0.0.0.0 \xFF\x80\xFE\r\n" + std::string("a\0b", 3);
  const std::string original = "\xEF\xBB\xBF# mine\r\n1.1.1.1 gone\n\r\n#off\r\n" + kept;
  auto& hosts = mp.files.files[MemoryFiles::key(kEtc + L"hosts")];
  hosts = original;
  pickTab(4);
  ListBox& list = ui.listBox(L"List_wzmy");
  ASSERT_EQ(list.count(), 7);
  EXPECT_EQ(rowText(list.row(1)), L"127.0.0.1 例子.com");
  click(L"Command_wzmysc");  // nothing selected, nothing deleted
  list.select(0);
  click(L"Command_wzmysc");
  const auto add = [&](std::optional<std::wstring> site, std::optional<std::wstring> address) {
    mp.dialogs.inputAnswers = {site, address};
    return click(L"Command_wzmytj");
  };
  add(L"例子.com", L"127.0.0.255");
  add(L"track.example", std::nullopt);  // a cancelled address is an empty one
  EXPECT_EQ(mp.dialogs.prompts[1].initial, L"127.0.0.255");
  for (auto [site, address] : {std::pair{L"", L"1"}, {L"x", L"#1"}, {L"snow\u2603", L"1"}, {L"a\r\nb", L"1"}})
    EXPECT_EQ(add(site, address).rfind(L"(!) 添加失败", 0), 0u) << site;
  EXPECT_EQ(mp.dialogs.prompts.size(), 11u) << "an empty site asks for no address";
  EXPECT_EQ(hosts, original) << "only a save writes";

  EXPECT_EQ(click(L"Command_wzmybc"), L"保存应用成功!\r\n原hosts文件已备份为 " + kEtc + L"hosts.bak");
  const std::string saved = kHeader + kept + "\r\n127.0.0.255      \xC0\xFD\xD7\xD3.com\r\n      track.example\r\n";
  EXPECT_EQ(hosts, saved) << "in the ANSI code page";
  add(L"unsaved", L"0.0.0.0");
  pickTab(4);  // reads the saved file again, without what was not saved
  EXPECT_EQ(click(L"Command_wzmybc"), L"保存应用成功!");
  EXPECT_EQ(hosts, saved);
  EXPECT_EQ(mp.files.files[MemoryFiles::key(kEtc + L"hosts.bak")], original) << "the backup is made once";
}

// The file saved is the one Windows reads; one that could not be read at the
// load is not saved over.
TEST_F(HostsPage, TheFileSavedIsTheOneWindowsReads) {
  const std::wstring named = L"D:\\net\\etc\\hosts", none;
  const struct {
    std::optional<RegType> type;
    std::vector<std::wstring> there;
    std::wstring used;
  } cases[] = {{RegType::ExpandSz, {kEtc + L"hosts"}, named}, {std::nullopt, {kEtc + L"hosts", named}, kEtc + L"hosts"},
               {std::nullopt, {}, L"C:\\windows\\hosts"}, {RegType::Sz, {named}, none}};
  for (const auto& c : cases) {
    FormFixture g;
    auto& files = g.mp.files.files;
    g.mp.shell.variables[L"NETROOT"] = L"D:\\net";
    if (c.type) g.reg().setText(Hive::LocalMachine, hosts::kTcpipParameters, hosts::kDataBasePath, L"%NetRoot%\\etc", *c.type);
    for (const auto& path : c.there) files[MemoryFiles::key(path)] = "1.1.1.1 " + toAnsi(path) + "\r\n";
    if (c.used.empty()) g.mp.files.unreadable.insert(MemoryFiles::key(named));
    auto expected = files;
    const std::wstring used = MemoryFiles::key(c.used);
    if (expected.count(used)) expected[MemoryFiles::key(c.used + L".bak")] = expected[used];
    if (!c.used.empty()) expected[used] = kHeader + expected[used];
    g.pickTab(4);
    g.form.Click(L"Command_wzmybc");
    std::erase_if(files, [&](const auto& f) { return f.first.starts_with(MemoryFiles::key(g.form.journal().folder())); });
    EXPECT_EQ(files, expected) << c.used;
  }
}

}  // namespace
}  // namespace trova::test
