// The hosts file and the website immunity page: which lines are entries and
// that they come back byte for byte, the header, where the file is, and saves
// that fail without harm.
#include <gtest/gtest.h>

#include "fault_runner.h"
#include "formats/hosts_file.h"
#include "hosts/hosts_page.h"
#include "platform/codepage.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const ByteLines& lines) {
  Lines out;
  for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines[i]);
  return out;
}

ByteLines byteLines(const Lines& lines) {
  ByteLines out;
  for (const auto& l : lines) out.push_back(l);
  return out;
}

// The header as a hosts file shows it, line by line.
const std::string kHeader =
    "# Copyright (c) 1993-1999 Microsoft Corp.\r\n"
    "#\r\n"
    "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.\r\n"
    "#\r\n"
    "# This file contains the mappings of IP addresses to host names. Each\r\n"
    "# entry should be kept on an individual line. The IP address should\r\n"
    "# be placed in the first column followed by the corresponding host name.\r\n"
    "# The IP address and the host name should be separated by at least one\r\n"
    "# space.\r\n"
    "#\r\n"
    "# Additionally, comments (such as these) may be inserted on individual\r\n"
    "# lines or following the machine name denoted by a '#' symbol.\r\n"
    "#\r\n"
    "# For example:\r\n"
    "#\r\n"
    "#      102.54.94.97     rhino.acme.com          # source server\r\n"
    "#       38.25.63.10     x.acme.com              # x client host\r\n"
    "\r\n";

const std::string kUtf8Line = "127.0.0.1 \xE4\xBE\x8B\xE5\xAD\x90.com";  // 例子.com in UTF-8
const std::string kGbkLine = "127.0.0.1 \xC0\xFD\xD7\xD3.com";           // the same in GBK
const std::string kNeitherLine = "0.0.0.0 \xFF\x80\xFE bad";             // neither UTF-8 nor GBK

TEST(HostsFile, EntriesAreTheLinesThatAreNeitherEmptyNorCommentsWithTheirBytes) {
  const struct {
    std::string file;
    Lines entries;
  } cases[] = {
      {"", {}},
      {"# only\r\n\r\n#comments\r\n\r\n", {}},
      {"a b\r\nc d\r\n", {"a b", "c d"}},
      {"a b\nc d\n", {"a b", "c d"}},
      {"a b\r\nc d", {"a b", "c d"}},
      {"\xEF\xBB\xBF# a comment first\r\n1.2.3.4 x\r\n", {"1.2.3.4 x"}},
      {"\xEF\xBB\xBF" "1.2.3.4 x\r\n", {"1.2.3.4 x"}},
      {"1.2.3.4 x # trailing\r\n  # spaced\r\n\t1.2.3.4\ty  \r\n", {"1.2.3.4 x # trailing", "  # spaced", "\t1.2.3.4\ty  "}},
      {"\r\n\n\r\r\n", {"\r"}},
      {kUtf8Line + "\r\n" + kGbkLine + "\n" + kNeitherLine + "\r\n" + std::string("a\0b", 3),
       {kUtf8Line, kGbkLine, kNeitherLine, std::string("a\0b", 3)}},
  };
  for (const auto& c : cases) EXPECT_EQ(linesOf(readHostsEntries(c.file)), c.entries) << c.file;
}

TEST(HostsFile, AFileIsTheHeaderAnEmptyLineAndTheEntriesAndReadsBackAsTheEntries) {
  EXPECT_EQ(writeHostsFile({}), kHeader);
  const Lines entries = {kUtf8Line, kGbkLine, kNeitherLine, "\t1.2.3.4\ty  ", "1.2.3.4 x # trailing"};
  const std::string file = writeHostsFile(byteLines(entries));
  std::string expected = kHeader;
  for (const auto& e : entries) expected += e + "\r\n";
  EXPECT_EQ(file, expected);
  EXPECT_EQ(linesOf(readHostsEntries(file)), entries) << "the header is not read as entries";
  EXPECT_EQ(writeHostsFile(readHostsEntries(file)), file) << "saving again repeats nothing";

  ByteLines edited = readHostsEntries("a 1\r\nb 2\r\n# c\r\nd 4\r\ne 5\ng 6\r\nh 7\r\ni 8\r\nj 9");
  edited.erase(6);
  edited.erase(1);
  edited.push_back("k 10");
  EXPECT_EQ(writeHostsFile(edited), kHeader + "a 1\r\nd 4\r\ne 5\r\ng 6\r\nh 7\r\nj 9\r\nk 10\r\n");
}

// Lines 16 and 17 are example mappings in fixed columns (counted from 1).
TEST(HostsFile, TheExampleMappingsKeepTheirColumns) {
  const std::pair<std::size_t, std::string> examples[] = {{15, "# source server"}, {16, "# x client host"}};
  for (const auto& [index, comment] : examples) {
    const std::string_view line = kHostsHeader[index];
    ASSERT_EQ(line.size(), 63u) << line;
    EXPECT_EQ(line[0], '#');
    const std::size_t address = line.find_first_not_of(' ', 1);
    EXPECT_EQ(line.find(' ', address), 19u) << "the address ends in column 19: " << line;
    EXPECT_EQ(line.find_first_not_of("0123456789.", address), 19u) << line;
    EXPECT_EQ(line.find_first_not_of(' ', 19), 24u) << "the name starts in column 25: " << line;
    EXPECT_EQ(line.substr(48), comment);
    EXPECT_EQ(line.find_first_not_of(' ', line.find(' ', 24)), 48u) << line;
  }
}

TEST(HostsFile, AnAddedLineIsInTheAnsiCodePageOrNotAtAll) {
  EXPECT_EQ(hostsEntry(L"127.0.0.1", L"例子.com"), "127.0.0.1      " + kGbkLine.substr(10));
  EXPECT_EQ(hostsEntry(L"127.0.0.1", L"snow\u2603.com"), std::nullopt) << "GBK has no snowman";
  EXPECT_EQ(hostsEntry(L"127.0.0.1", L"a.com\r\n0.0.0.0 b.com"), std::nullopt);
  EXPECT_EQ(hostsEntry(L"#127.0.0.1", L"a.com"), std::nullopt) << "a comment, which reading skips";
}

// ---- The page ------------------------------------------------------------------

const std::wstring kSystemHosts = L"C:\\windows\\system32\\drivers\\etc\\hosts";
const std::wstring kSystemBackup = L"C:\\windows\\system32\\drivers\\etc\\hosts.bak";

struct HostsFixture {
  FormFixture f;
  ListBox& list() { return f.ui.listBox(L"List_wzmy"); }
  std::string& file(const std::wstring& path) { return f.mp.files.files[MemoryFiles::key(path)]; }
  bool has(const std::wstring& path) { return f.mp.files.exists(path); }
  std::vector<std::wstring> shown() {
    std::vector<std::wstring> out;
    for (int r = 0; r < list().count(); ++r) out.push_back(rowText(list().row(r)));
    return out;
  }
  const std::vector<ScriptedDialogs::Message>& messages() { return f.mp.dialogs.messages; }
  void add(std::optional<std::wstring> site, std::optional<std::wstring> address) {
    f.mp.dialogs.inputAnswers = {site, address};
    f.form.Click(L"Command_wzmytj");
  }
};

TEST(HostsPage, EntriesAddedAndDeletedAreSavedUnderTheHeaderAndTheOldFileIsKeptOnce) {
  HostsFixture t;
  const std::string original = "\xEF\xBB\xBF# mine\r\n" + kUtf8Line + "\r\n\r\n#disabled.example\n" + kGbkLine +
                               "\n1.1.1.1 gone.example\n" + kNeitherLine;
  t.file(kSystemHosts) = original;
  t.f.pickTab(4);
  EXPECT_EQ(t.shown(), (std::vector<std::wstring>{L"127.0.0.1 例子.com", L"127.0.0.1 例子.com", L"1.1.1.1 gone.example",
                                                fromAnsi(kNeitherLine)}));

  t.f.form.Click(L"Command_wzmysc");
  EXPECT_EQ(t.list().count(), 4) << "nothing selected, nothing deleted";
  t.list().select(2);
  t.f.form.Click(L"Command_wzmysc");
  t.add(L"ad.example.com", L"127.0.0.255");
  t.add(L"track.example.com", std::nullopt);
  t.add(L"", L"1.2.3.4");
  t.add(std::nullopt, std::nullopt);
  ASSERT_EQ(t.f.mp.dialogs.prompts.size(), 6u) << "an empty site asks for no address";
  EXPECT_EQ(t.f.mp.dialogs.prompts[1].prompt, L"输入IP地址,如需屏蔽,输入127.0.0.255");
  EXPECT_EQ(t.f.mp.dialogs.prompts[1].initial, L"127.0.0.255");
  EXPECT_EQ(t.f.mp.dialogs.prompts[1].title, L"添加");
  ASSERT_EQ(t.messages().size(), 2u);
  for (const auto& m : t.messages()) {
    EXPECT_EQ(m.text, L"添加失败");
    EXPECT_EQ(m.title, L"") << "the program's title";
    EXPECT_EQ(m.style, MessageStyle::Plain);
  }
  EXPECT_EQ(t.file(kSystemHosts), original) << "only a save writes";

  t.f.form.Click(L"Command_wzmybc");
  const std::string saved = kHeader + kUtf8Line + "\r\n" + kGbkLine + "\r\n" + kNeitherLine + "\r\n" +
                            "127.0.0.255      ad.example.com\r\n      track.example.com\r\n";
  EXPECT_EQ(t.file(kSystemHosts), saved);
  EXPECT_EQ(t.file(kSystemBackup), original);
  ASSERT_EQ(t.messages().size(), 3u);
  EXPECT_EQ(t.messages()[2].text, L"保存应用成功!\r\n原hosts文件已备份为 " + kSystemBackup);
  EXPECT_EQ(t.messages()[2].title, L"提示");
  EXPECT_EQ(t.messages()[2].style, MessageStyle::Information);

  // A pick drops what was not saved; the backup is made once only.
  t.add(L"unsaved.example.com", L"0.0.0.0");
  t.f.pickTab(4);
  EXPECT_EQ(t.list().count(), 5);
  t.f.form.Click(L"Command_wzmybc");
  EXPECT_EQ(t.file(kSystemHosts), saved);
  EXPECT_EQ(t.file(kSystemBackup), original);
  EXPECT_EQ(t.messages().back().text, L"保存应用成功!");
}

TEST(HostsPage, TheFileIsTheOneWindowsReads) {
  const std::wstring named = L"D:\\net\\etc\\hosts";
  const struct {
    const char* what;
    std::optional<RegType> dataBasePath;
    bool namedFile;
    std::wstring used;
    std::string entry;  // what the file used holds
  } cases[] = {
      {"an expandable DataBasePath", RegType::ExpandSz, true, named, "2.2.2.2 named"},
      {"a plain DataBasePath with no file there yet", RegType::Sz, false, named, ""},
      {"the system folder's file", std::nullopt, false, kSystemHosts, "1.1.1.1 system"},
  };
  for (const auto& c : cases) {
    HostsFixture t;
    t.f.mp.shell.variables[L"NETROOT"] = L"D:\\net";
    if (c.dataBasePath)
      t.f.reg().setText(Hive::LocalMachine, hosts::kTcpipParameters, hosts::kDataBasePath, L"%NetRoot%\\etc",
                        *c.dataBasePath);
    t.file(kSystemHosts) = "1.1.1.1 system\r\n";
    if (c.namedFile) t.file(named) = "2.2.2.2 named\r\n";
    t.f.pickTab(4);
    EXPECT_EQ(t.shown(), c.entry.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{fromAnsi(c.entry)})
        << c.what;
    t.add(L"new.example", L"3.3.3.3");
    t.f.form.Click(L"Command_wzmybc");
    EXPECT_EQ(t.file(c.used), kHeader + (c.entry.empty() ? "" : c.entry + "\r\n") + "3.3.3.3      new.example\r\n")
        << c.what;
    if (c.used != kSystemHosts) {
      EXPECT_EQ(t.file(kSystemHosts), "1.1.1.1 system\r\n") << c.what;
    }
  }
  // Without either, the Windows folder's file, made by the save.
  HostsFixture t;
  t.f.pickTab(4);
  t.f.form.Click(L"Command_wzmybc");
  EXPECT_EQ(t.file(L"C:\\windows\\hosts"), kHeader);
  EXPECT_FALSE(t.has(kSystemHosts));
  EXPECT_EQ(t.messages().back().text, L"保存应用成功!") << "nothing to back up";
}

TEST(HostsPage, ASaveThatCannotBeDoneLeavesTheFileWholeAndSaysWhy) {
  const std::string original = "1.1.1.1 keep.example\r\n";
  const struct {
    const char* what;
    std::wstring readOnly, unreadable;
    std::wstring said;
  } cases[] = {
      {"no rights to the file", kSystemHosts, L"", L"保存失败：无法写入 " + kSystemHosts + L"：拒绝访问"},
      {"no room for the backup", kSystemBackup, L"", L"保存失败：没能把原文件备份为 " + kSystemBackup + L"：拒绝访问"},
      {"a file that could not be read", L"", kSystemHosts, L"保存失败：hosts文件 " + kSystemHosts + L" 没能读出"},
  };
  for (const auto& c : cases) {
    HostsFixture t;
    t.file(kSystemHosts) = original;
    if (!c.readOnly.empty()) t.f.mp.files.readOnly.insert(MemoryFiles::key(c.readOnly));
    if (!c.unreadable.empty()) t.f.mp.files.unreadable.insert(MemoryFiles::key(c.unreadable));
    t.f.pickTab(4);
    t.add(L"new.example", L"0.0.0.0");
    t.f.form.Click(L"Command_wzmybc");
    EXPECT_EQ(t.file(kSystemHosts), original) << c.what;
    ASSERT_FALSE(t.messages().empty()) << c.what;
    const auto& said = t.messages().back();
    EXPECT_EQ(said.text.substr(0, c.said.size()), c.said) << c.what;
    EXPECT_EQ(said.style, MessageStyle::Plain) << c.what;
    for (const auto& m : t.messages()) EXPECT_EQ(m.text.find(L"成功"), std::wstring::npos) << c.what;
  }
}

// DataBasePath may name the file Windows reads; when it cannot be read at the
// load, no hosts file is saved over, wherever it is.
TEST(HostsPage, AFolderThatCouldNotBeLookedUpIsNotSavedOver) {
  Scene s;
  s.reg().setText(Hive::LocalMachine, hosts::kTcpipParameters, hosts::kDataBasePath, L"D:\\etc");
  s.files().files[MemoryFiles::key(L"D:\\etc\\hosts")] = "1.1.1.1 keep.example\r\n";
  const auto files = s.files().files;
  s.open(5);
  s.fp.plan.arm(1);  // the load's first call: the key that holds DataBasePath
  s.pickTab(4);
  s.fp.plan.disarm();
  ASSERT_EQ(s.dialogs().messages.size(), 1u);
  EXPECT_NE(s.dialogs().messages[0].text.find(hosts::kDataBasePath), std::wstring::npos);
  s.form.Click(L"Command_wzmybc");
  EXPECT_EQ(s.files().files, files);
  EXPECT_EQ(s.dialogs().messages.back().text.rfind(L"保存失败", 0), 0u);
}

}  // namespace
}  // namespace trova::test
