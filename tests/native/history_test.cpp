// The change history: every kind of change recorded and undone exactly, later
// changes left alone, nothing recorded means nothing changed, and the "工具"
// page that lists and undoes change sets.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "formats/history_file.h"
#include "platform/journal.h"
#include "platform/text.h"
#include "support/form_fixture.h"
#include "tools/undo.h"

namespace trova::test {
namespace {

const std::wstring kFolder = L"C:\\users\\user\\AppData\\Local\\Trova";

// Everything the registry holds, key by key, as the interface shows it.
using Snapshot = std::map<std::wstring, std::map<std::wstring, RegValue>>;
void walk(RegKey& key, const std::wstring& path, Snapshot& out) {
  auto& values = out[path];
  std::wstring name;
  for (std::uint32_t i = 0; key.enumValue(i, name) == regerr::Ok; ++i) {
    RegValue v;
    if (key.queryValue(name, v) == regerr::Ok) values[name] = v;
  }
  for (std::uint32_t i = 0; key.enumSubKey(i, name) == regerr::Ok; ++i) {
    KeyPtr sub;
    if (key.openSubKey(name, sub) == regerr::Ok) walk(*sub, path + L"\\" + name, out);
  }
}
Snapshot snapshot(Registry& reg) {
  Snapshot s;
  for (Hive h : {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine}) {
    KeyPtr root;
    if (reg.open(h, L"", root) == regerr::Ok) walk(*root, rootName(h), s);
  }
  return s;
}

// A journal over the in-memory platform, as the window runs one.
struct Journaled {
  MemoryPlatform mp;
  int second = 0;
  ChangeJournal journal{mp.files, kFolder, [this] { return L"2026-12-07 10:00:" + std::to_wstring(10 + second++); }};
  JournalingRegistry registry{mp.registry, journal};
  JournalingFiles files{mp.files, journal};
  Platform platform{registry, files, mp.shell, mp.dialogs, mp.folders};

  // What every 64-bit Windows has.
  Journaled() { mp.registry.createKey(Hive::LocalMachine, L"SOFTWARE\\Wow6432Node"); }

  void action(const std::wstring& label, const std::function<void()>& change) {
    journal.begin(label);
    change();
    journal.end();
  }
  std::vector<std::wstring> sets() {
    std::vector<std::wstring> names;
    for (auto& n : mp.files.list(kFolder))
      if (equalsNoCase(std::wstring_view(n).substr(n.size() - 4), L".reg")) names.push_back(n);
    std::sort(names.begin(), names.end());
    return names;
  }
  HistoryRecord last() {
    const auto names = sets();
    EXPECT_FALSE(names.empty());
    auto record = readHistory(mp.files.files[MemoryFiles::key(kFolder + L"\\" + names.back())]);
    EXPECT_TRUE(record.has_value());
    return record.value_or(HistoryRecord{});
  }
  UndoReport undoLast() {
    const HistoryRecord record = last();
    UndoReport report;
    action(L"工具 · 撤销", [&] { report = undoChangeSet(platform, kFolder, record); });
    return report;
  }
  KeyPtr make(RegRoot root, const std::wstring& path) {
    KeyPtr key;
    EXPECT_EQ(registry.create(root, path, key), regerr::Ok);
    return key;
  }
};

const RegRoot kMachine32{Hive::LocalMachine, RegView::Bits32};

// Each kind of change, undone: the registry and the files are exactly as before.
TEST(ChangeHistory, EveryKindOfChangeIsUndoneExactly) {
  struct Case {
    const char* what;
    std::function<void(Journaled&)> seed, change;
  };
  const std::vector<Case> cases = {
      {"a value written, replaced and deleted, in both views",
       [](Journaled& j) {
         j.mp.registry.setText(Hive::LocalMachine, L"SOFTWARE\\A", L"s", L"old");
         j.mp.registry.setDword(kMachine32, L"SOFTWARE\\A", L"d", 7);
         j.mp.registry.setText(Hive::CurrentUser, L"Software\\A", L"gone", L"x", RegType::ExpandSz);
       },
       [](Journaled& j) {
         j.make(Hive::LocalMachine, L"SOFTWARE\\A")->setValue(L"s", RegValue::dword(1));
         j.make(Hive::LocalMachine, L"SOFTWARE\\A")->setValue(L"new", RegValue{RegType::Binary, {0, 1, 2}});
         auto k32 = j.make(kMachine32, L"SOFTWARE\\A");
         k32->setValue(L"d", RegValue::dword(8));
         k32->setValue(L"d", RegValue::dword(9));  // twice: the first state is the one kept
         j.make(Hive::CurrentUser, L"Software\\A")->deleteValue(L"gone");
       }},
      {"keys made along a path, with values",
       [](Journaled&) {},
       [](Journaled& j) {
         j.make(Hive::CurrentUser, L"Software\\New\\Deeper\\Deepest")->setValue(L"", RegValue::text(L"默认"));
         j.make(kMachine32, L"SOFTWARE\\New32")->setValue(L"v", RegValue::dword(1));
       }},
      {"keys deleted, with the values they held, one made again",
       [](Journaled& j) {
         j.mp.registry.setText(Hive::CurrentUser, L"Software\\Old\\Leaf", L"a", L"1");
         j.mp.registry.setDword(Hive::CurrentUser, L"Software\\Old\\Leaf", L"b", 2);
         j.mp.registry.setText(Hive::CurrentUser, L"Software\\Old\\Again", L"c", L"3");
       },
       [](Journaled& j) {
         auto old = j.make(Hive::CurrentUser, L"Software\\Old");
         old->deleteSubKey(L"Leaf");
         old->deleteSubKey(L"Again");
         KeyPtr again;
         old->createSubKey(L"Again", again);
         again->setValue(L"other", RegValue::text(L"new"));
       }},
      {"files replaced, made, moved aside and copied",
       [](Journaled& j) {
         j.mp.files.files[MemoryFiles::key(L"C:\\x\\hosts")] = "127.0.0.1 a\r\n";
         j.mp.files.files[MemoryFiles::key(L"C:\\x\\cisid.dat")] = std::string("\x03\x00", 2);
       },
       [](Journaled& j) {
         j.files.copy(L"C:\\x\\hosts", L"C:\\x\\hosts.bak");
         j.files.replace(L"C:\\x\\hosts", "# new\r\n");
         j.files.move(L"C:\\x\\cisid.dat", L"C:\\x\\cisid.dat.bak");
         j.files.replace(L"C:\\x\\cisid.dat", "");
         j.files.replace(L"C:\\x\\made", "bytes");
       }},
  };
  for (const auto& c : cases) {
    Journaled j;
    c.seed(j);
    const Snapshot before = snapshot(j.mp.registry);
    auto files = j.mp.files.files;
    j.action(L"页面 · 按钮", [&] { c.change(j); });
    const Snapshot after = snapshot(j.mp.registry);
    ASSERT_EQ(j.sets().size(), 1u) << c.what;
    const UndoReport report = j.undoLast();
    EXPECT_TRUE(report.changedSince.empty() && report.failed.empty()) << c.what;
    EXPECT_EQ(snapshot(j.mp.registry), before) << c.what;
    for (const auto& [path, bytes] : j.mp.files.files) {
      if (path.rfind(MemoryFiles::key(kFolder), 0) == 0) continue;  // the history itself
      EXPECT_EQ(files[path], bytes) << c.what;
    }
    for (const auto& [path, bytes] : files) EXPECT_TRUE(j.mp.files.files.count(path)) << c.what;
    // The undo is a change set of its own: undoing it puts the change back.
    ASSERT_EQ(j.sets().size(), 2u) << c.what;
    j.undoLast();
    EXPECT_EQ(snapshot(j.mp.registry), after) << c.what;
  }
}

TEST(ChangeHistory, UndoingAnOlderSetLeavesWhatALaterOneChanged) {
  Journaled j;
  j.mp.registry.setDword(Hive::CurrentUser, L"Software\\A", L"v", 1);
  j.action(L"a", [&] { j.make(Hive::CurrentUser, L"Software\\A")->setValue(L"v", RegValue::dword(2)); });
  const HistoryRecord first = j.last();
  j.action(L"b", [&] { j.make(Hive::CurrentUser, L"Software\\A")->setValue(L"v", RegValue::dword(3)); });
  UndoReport report;
  j.action(L"undo", [&] { report = undoChangeSet(j.platform, kFolder, first); });
  EXPECT_EQ(j.mp.registry.value(Hive::CurrentUser, L"Software\\A", L"v"), RegValue::dword(3));
  EXPECT_EQ(report.changedSince, std::vector<std::wstring>{L"HKEY_CURRENT_USER\\Software\\A\\v"});
}

TEST(ChangeHistory, NothingChangedLeavesNoEntryAndNoRecordMeansNoChange) {
  Journaled j;
  j.mp.registry.setDword(Hive::CurrentUser, L"Software\\A", L"v", 1);
  j.action(L"same", [&] { j.make(Hive::CurrentUser, L"Software\\A")->setValue(L"v", RegValue::dword(1)); });
  j.mp.registry.denyWrites(Hive::CurrentUser, L"Software\\Denied");
  j.action(L"refused", [&] { j.make(Hive::CurrentUser, L"Software\\Denied")->setValue(L"w", RegValue::dword(1)); });
  EXPECT_TRUE(j.sets().empty()) << "a write that changes nothing, or only fails, is no change set";

  // The history folder cannot be written: nothing is changed, and the reason is told.
  j.mp.files.readOnly.insert(MemoryFiles::key(kFolder));
  RegStatus s = regerr::Ok;
  KeyPtr a;
  ASSERT_EQ(j.registry.open(Hive::CurrentUser, L"Software\\A", a), regerr::Ok);
  j.action(L"unrecorded", [&] { s = a->setValue(L"v", RegValue::dword(5)); });
  EXPECT_EQ(s, regerr::HistoryUnavailable);
  EXPECT_EQ(j.mp.registry.value(Hive::CurrentUser, L"Software\\A", L"v"), RegValue::dword(1));
  EXPECT_NE(describeFailure(s).find(L"拒绝访问"), std::wstring::npos);
  KeyPtr made;
  j.action(L"unrecorded", [&] { s = j.registry.create(Hive::CurrentUser, L"Software\\B\\C", made); });
  EXPECT_EQ(s, regerr::HistoryUnavailable);
  EXPECT_FALSE(j.mp.registry.exists(Hive::CurrentUser, L"Software\\B"));
  j.mp.files.readOnly.clear();

  // A name with a line break cannot be written into the record: that change is
  // refused, while the rest of the action is recorded and undone as usual.
  j.mp.registry.setDword(Hive::CurrentUser, L"Software\\A", L"line\nbreak", 2);
  j.mp.registry.createKey(Hive::CurrentUser, L"Software\\A\\key\rname");
  RegStatus value = regerr::Ok, key = regerr::Ok, create = regerr::Ok;
  j.action(L"names", [&] {
    value = a->deleteValue(L"line\nbreak");
    key = a->deleteSubKey(L"key\rname");
    create = j.registry.create(Hive::CurrentUser, L"Software\\new\nkey", made);
    a->setValue(L"v", RegValue::dword(3));
  });
  EXPECT_EQ(value, regerr::HistoryUnavailable);
  EXPECT_EQ(key, regerr::HistoryUnavailable);
  EXPECT_EQ(create, regerr::HistoryUnavailable);
  EXPECT_NE(describeFailure(value).find(L"换行符"), std::wstring::npos);
  EXPECT_TRUE(j.mp.registry.value(Hive::CurrentUser, L"Software\\A", L"line\nbreak").has_value());
  EXPECT_TRUE(j.mp.registry.exists(Hive::CurrentUser, L"Software\\A\\key\rname"));
  EXPECT_FALSE(j.mp.registry.exists(Hive::CurrentUser, L"Software\\new\nkey"));
  ASSERT_EQ(j.sets().size(), 1u);
  j.undoLast();
  EXPECT_EQ(j.mp.registry.value(Hive::CurrentUser, L"Software\\A", L"v"), RegValue::dword(1));
}

TEST(ChangeHistory, KeepsTheNewestHundredSets) {
  Journaled j;
  for (int i = 0; i < 103; ++i)
    j.action(L"n", [&] { j.make(Hive::CurrentUser, L"Software\\A")->setValue(L"v", RegValue::dword(i)); });
  const auto names = j.sets();
  ASSERT_EQ(names.size(), kKeptChangeSets);
  EXPECT_EQ(j.last().places.size(), 1u);
}

// Through the window: an action is one change set, labelled with its page and
// button; "工具" lists the sets newest first, shows one's changes and undoes it.
TEST(HistoryPage, ListsShowsAndUndoesTheWindowsActions) {
  FormFixture f;
  f.load();
  ListView& sets = f.ui.listView(L"ListView_gjls");
  ListView& changes = f.ui.listView(L"ListView_gjgg");
  f.reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Tray", L"C:\\t.exe");
  f.pickTab(3);
  f.ui.listView(L"ListView_qdxm").selectRow(0);
  f.form.Click(L"Command_qdxmjy");
  f.form.Click(L"Command_qdxmsc");
  f.pickTab(5);
  ASSERT_EQ(sets.rowCount(), 2);
  EXPECT_EQ(sets.cell(0, 1), L"启动项目");
  EXPECT_EQ(sets.cell(0, 2), L"删除") << "newest first";
  EXPECT_EQ(sets.cell(1, 2), L"禁用");
  EXPECT_EQ(sets.cell(1, 3), L"1");
  f.form.RowClick(L"ListView_gjls", 1);
  ASSERT_EQ(changes.rowCount(), 1);
  EXPECT_EQ((std::vector<std::wstring>{changes.cell(0, 1), changes.cell(0, 2), changes.cell(0, 3)}),
            (std::vector<std::wstring>{L"Tray", L"C:\\t.exe", L";C:\\t.exe"}));

  sets.selectRow(0);  // the delete
  f.form.Click(L"Command_gjcx");
  EXPECT_EQ(f.reg().value(Hive::CurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Tray"),
            RegValue::text(L";C:\\t.exe"));
  EXPECT_EQ(f.mp.dialogs.messages.back().style, MessageStyle::Information);
  ASSERT_EQ(sets.rowCount(), 3) << "the undo is a change set of its own";
  EXPECT_EQ(sets.cell(0, 1) + L" · " + sets.cell(0, 2), L"工具 · 撤销");

  f.form.Click(L"Command_gjdkwjj");
  EXPECT_EQ(f.mp.shell.opened.back(), kFolder);
}

}  // namespace
}  // namespace trova::test
