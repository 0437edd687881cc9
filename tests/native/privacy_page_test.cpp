// The privacy cleaning page: the trace list as start-up fills it, and "清理"
// against the in-memory registry: the keys it opens and the names it removes,
// in order, where the restart notice falls, what stays around each trace, and
// the closing message that names the traces a removal left in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/form1.h"
#include "app/memory_control_set.h"
#include "platform/memory_platform.h"
#include "privacy/privacy_page.h"

namespace trova::test {
namespace {

const std::wstring kTray = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
const std::wstring kNotice = L"清理XP隐藏不活动的图标痕迹后需重新启动系统才可生效";

// Every registry step and message box of a click, in the order they happen.
using Journal = std::vector<std::wstring>;

std::wstring step(const std::wstring& what, RegStatus s) {
  return s == regerr::Ok ? what : what + L" -> " + std::to_wstring(s);
}

class JournalKey final : public RegKey {
 public:
  JournalKey(KeyPtr inner, Journal& log) : inner_(std::move(inner)), log_(log) {}
  RegStatus openSubKey(std::wstring_view path, KeyPtr& out) override { return inner_->openSubKey(path, out); }
  RegStatus createSubKey(std::wstring_view path, KeyPtr& out, bool* created) override {
    log_.push_back(L"create " + std::wstring(path));
    return inner_->createSubKey(path, out, created);
  }
  RegStatus enumSubKey(std::uint32_t i, std::wstring& name) override { return inner_->enumSubKey(i, name); }
  RegStatus enumValue(std::uint32_t i, std::wstring& name) override { return inner_->enumValue(i, name); }
  RegStatus queryValue(std::wstring_view name, RegValue& out) override { return inner_->queryValue(name, out); }
  RegStatus setValue(std::wstring_view name, const RegValue& value) override {
    log_.push_back(L"set " + std::wstring(name));
    return inner_->setValue(name, value);
  }
  RegStatus deleteValue(std::wstring_view name) override {
    RegStatus s = inner_->deleteValue(name);
    log_.push_back(step(L"value " + std::wstring(name), s));
    return s;
  }
  RegStatus deleteSubKey(std::wstring_view name) override {
    RegStatus s = inner_->deleteSubKey(name);
    log_.push_back(step(L"key " + std::wstring(name), s));
    return s;
  }

 private:
  KeyPtr inner_;
  Journal& log_;
};

class JournalRegistry final : public Registry {
 public:
  JournalRegistry(Registry& inner, Journal& log) : inner_(inner), log_(log) {}
  RegStatus open(RegRoot root, std::wstring_view path, KeyPtr& out) override {
    RegStatus s = inner_.open(root, path, out);
    if (recording) log_.push_back(step(hive(root) + std::wstring(path), s));
    if (s == regerr::Ok && recording) out = std::make_unique<JournalKey>(std::move(out), log_);
    return s;
  }
  RegStatus create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created) override {
    if (recording) log_.push_back(L"create " + hive(root) + std::wstring(path));
    return inner_.create(root, path, out, created);
  }
  bool recording = false;  // start-up reads hundreds of kill-bits; only clicks are written down

 private:
  static std::wstring hive(RegRoot root) { return root.hive == Hive::CurrentUser ? L"HKCU\\" : L"other\\"; }
  Registry& inner_;
  Journal& log_;
};

std::wstring box(const std::wstring& text, MessageStyle style, const std::wstring& title = L"提示") {
  return L"box " + title + (style == MessageStyle::Information ? L" (i) " : L" ") + text;
}
std::wstring info(const std::wstring& text) { return box(text, MessageStyle::Information); }

class JournalDialogs final : public Dialogs {
 public:
  explicit JournalDialogs(Journal& log) : log_(log) {}
  void message(const std::wstring& text, const std::wstring& title, MessageStyle style) override {
    log_.push_back(box(text, style, title));
  }
  std::optional<std::wstring> input(const std::wstring&, const std::wstring&, const std::wstring&) override {
    return std::nullopt;
  }
  std::optional<std::wstring> saveFile(const FileDialogSpec&) override { return std::nullopt; }
  std::optional<std::wstring> openFile(const FileDialogSpec&) override { return std::nullopt; }

 private:
  Journal& log_;
};

// A key, or a value of a key when `value` is given.
struct Spot {
  std::wstring key, value{};
};

struct PrivacyCleaning : ::testing::Test {
  MemoryPlatform mp;
  Journal log;
  JournalRegistry registry{mp.registry, log};
  JournalDialogs dialogs{log};
  Platform platform{registry, mp.files, mp.shell, dialogs, mp.folders};
  MemoryControlSet ui;
  Form1 form{platform, ui};
  ListView& list = ui.listView(L"ListView_ysql");

  void SetUp() override {
    form.Form_Load();
    form.ShowStartupNotices();
    registry.recording = true;
  }
  void seed(const std::vector<Spot>& spots) {
    for (const auto& s : spots) {
      if (s.value.empty()) mp.registry.createKey(Hive::CurrentUser, s.key);
      else mp.registry.setText(Hive::CurrentUser, s.key, s.value, L"data of " + s.value);
    }
  }
  bool there(const Spot& s) {
    return s.value.empty() ? mp.registry.exists(Hive::CurrentUser, s.key)
                           : mp.registry.value(Hive::CurrentUser, s.key, s.value).has_value();
  }
  // Ticks the rows of these catalogue numbers (from 1), presses "清理" and
  // gives back what the click did.
  Journal clean(const std::vector<int>& rows) {
    for (int r : rows) list.setChecked(r - 1, true);
    log.clear();
    form.Click(L"Command_ysql");
    return log;
  }
  std::vector<bool> ticks() {
    std::vector<bool> out;
    for (int r = 0; r < list.rowCount(); ++r) out.push_back(list.checked(r));
    return out;
  }
};

TEST_F(PrivacyCleaning, StartUpListsEveryTraceOnceUntickedWithItsExactLabel) {
  ASSERT_EQ(list.rowCount(), 34);
  std::set<std::wstring> labels;
  for (int r = 0; r < list.rowCount(); ++r) {
    EXPECT_FALSE(list.checked(r));
    labels.insert(list.cell(r, 0));
  }
  EXPECT_EQ(labels.size(), 34u) << "each label names one trace";
  const std::vector<std::pair<int, std::wstring>> spotChecks = {
      {1, L"ACDSee打开的路径"},      {3, L"Canopus EDIUS 项目"},      {21, L"Windows 画图"},
      {22, L"Windows 写字板"},       {23, L"Windows运行历史记录"},    {28, L"XP隐藏不活动的图标痕迹"},
      {33, L"淘宝旺旺登陆名"},       {34, L"IE 存储的FTP帐号"},
  };
  for (const auto& [n, label] : spotChecks) EXPECT_EQ(list.cell(n - 1, 0), label) << "row " << n;

  // Neither a tab pick nor a clean refills the list: the marks stay where they were.
  ui.tabs(L"TabStrip_cjmy").setCurrent(2);
  form.Click(L"TabStrip_cjmy");
  clean({2, 28});
  std::vector<bool> expected(34, false);
  expected[1] = expected[27] = true;
  EXPECT_EQ(ticks(), expected);
  EXPECT_EQ(list.rowCount(), 34);
}

// The whole order of one click: rows top to bottom, groups in catalogue
// order, one open per group (never a create), names in order, and the notice
// exactly when row 28 is reached.
TEST_F(PrivacyCleaning, OneClickRunsTickedRowsGroupsAndNamesInOrder) {
  seed({{L"Software\\Adobe\\Acrobat Reader\\6.0\\AVGeneral\\cRecentFiles"},
        {L"Software\\Adobe\\Acrobat Reader\\7.0\\AVGeneral\\cRecentFiles"},
        {L"Software\\EmSoft\\EmEditor v3\\Recent Folder List"},
        {kTray, L"IconStreams"}, {kTray, L"PastIconsStream"},
        {L"Software\\Taobao\\WangWang\\淘宝旺旺"}});
  const Journal journal = clean({33, 11, 2, 8, 28});
  EXPECT_EQ(journal, (Journal{
                         L"HKCU\\Software\\Adobe\\Acrobat Reader\\5.0\\AVGeneral -> 2",
                         L"HKCU\\Software\\Adobe\\Acrobat Reader\\6.0\\AVGeneral",
                         L"key cRecentFiles",
                         L"HKCU\\Software\\Adobe\\Acrobat Reader\\7.0\\AVGeneral",
                         L"key cRecentFiles",
                         L"HKCU\\Software\\EmSoft\\EmEditor v3",
                         L"key Recent File List -> 2",
                         L"HKCU\\Software\\EmSoft\\EmEditor v3",
                         L"key Recent Folder List",
                         L"HKCU\\Software\\Headlight\\GetRight -> 2",
                         L"HKCU\\Software\\Headlight\\GetRight -> 2",
                         L"HKCU\\" + kTray,
                         L"value IconStreams",
                         L"value PastIconsStream",
                         info(kNotice),
                         L"HKCU\\Software\\Taobao\\WangWang",
                         L"key 淘宝旺旺",
                         info(L"清理完成!"),
                     }));

  // Again: the same removals find nothing, and that is no failure.
  const Journal again = clean({});
  EXPECT_EQ(std::count(again.begin(), again.end(), info(kNotice)), 1);
  EXPECT_EQ(again.back(), info(L"清理完成!"));
}

// What a trace takes away and what it leaves: sibling sub-keys, other values,
// the application keys themselves; and what the closing message names when a
// removal leaves the trace in place. A name that was not there is no failure,
// even in a key that refuses every change.
TEST_F(PrivacyCleaning, EachTraceRemovesItsOwnNamesAndNamesWhatStayed) {
  struct Case {
    const char* what;
    std::vector<int> rows;
    std::vector<Spot> gone, kept;
    std::vector<std::wstring> denied;  // keys the user may not change
    std::vector<std::wstring> boxes;
  };
  const std::wstring adobe = L"Software\\Adobe\\Acrobat Reader\\";
  const std::wstring winzip = L"Software\\Nico Mak Computing\\WinZip\\";
  const std::wstring notCleaned = std::wstring(L"清理完成!\n\n") + privacy::kNotCleaned + L"\n";
  const std::vector<Case> cases = {
      {"nothing ticked", {}, {}, {{L"Software\\ACD Systems\\ACDSee32\\HistPaths"}}, {}, {info(L"清理完成!")}},
      {"the Adobe versions that exist",
       {2},
       {{adobe + L"6.0\\AVGeneral\\cRecentFiles"}, {adobe + L"7.0\\AVGeneral\\cRecentFiles"}},
       {{adobe + L"7.0\\AVGeneral\\cRecentDirs"}, {adobe + L"7.0\\AVGeneral", L"bShowToolbar"}},
       {},
       {info(L"清理完成!")}},
      {"WinImage's whole key when it holds only values",
       {24},
       {{L"Software\\WinImage", L"LastFile"}, {L"Software\\WinImage"}},
       {{L"Software\\WinImageTools"}},
       {},
       {info(L"清理完成!")}},
      {"two sub-keys with sub-keys of their own: the trace is named once",
       {26},
       {{winzip + L"filemenu"}},
       {{winzip + L"extract\\Last"}, {winzip + L"select\\Last"}},
       {},
       {box(notCleaned + L"WinZIP的打开文件/解压路径/选择文件：" + describeFailure(regerr::KeyHasChildren),
            MessageStyle::Plain)}},
      {"no right to change: what is there stays, the tray key still gives its notice",
       {7, 28},
       {},
       {{L"Software\\ES-Computing\\EditPlus 2\\Recent File List"}, {kTray, L"BalloonTip"}},
       {L"Software\\ES-Computing", kTray},
       {info(kNotice), box(notCleaned + L"EditPlus的打开文件及文件夹：" + describeFailure(regerr::AccessDenied),
                           MessageStyle::Plain)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    seed(c.gone);
    seed(c.kept);
    for (const auto& key : c.denied) mp.registry.denyWrites(Hive::CurrentUser, key);
    Journal journal = clean(c.rows);
    for (const auto& spot : c.gone) EXPECT_FALSE(there(spot)) << "still there";
    for (const auto& spot : c.kept) EXPECT_TRUE(there(spot)) << "taken too";
    std::vector<std::wstring> boxes;
    for (const auto& line : journal) {
      if (line.rfind(L"box ", 0) == 0) boxes.push_back(line);
      EXPECT_EQ(line.rfind(L"create ", 0), std::wstring::npos) << "a clean never creates a key";
    }
    EXPECT_EQ(boxes, c.boxes);
    for (int r = 0; r < list.rowCount(); ++r) list.setChecked(r, false);
  }
  EXPECT_FALSE(there({adobe + L"5.0"})) << "a missing version is not made";
}

}  // namespace
}  // namespace trova::test
