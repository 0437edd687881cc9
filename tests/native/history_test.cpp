// The change history's record: a registry file of the states before, which an
// undo puts back; a change that cannot be recorded is refused.
#include <functional>

#include "page_test.h"
#include "platform/journal.h"

namespace trova::test {
namespace {

const RegRoot kUser = Hive::CurrentUser, kMachine = Hive::LocalMachine, kMachine32{Hive::LocalMachine, RegView::Bits32};

struct ChangeHistory : ::testing::Test {  // a journal over the in-memory registry, as the window runs one
  MemoryPlatform mp;
  int made = 0;  // the clock moves on with every set
  ChangeJournal journal{mp.files, L"C:\\h", [this] { return L"2026-12-07 " + std::to_wstring(100000 + made++); }};
  JournalingRegistry registry{mp.registry, journal};
  Platform platform{registry, mp.files, mp.shell, mp.dialogs, mp.folders};
  void action(const std::function<void()>& change) { journal.begin(L"页面 · 按钮"); change(); journal.end(); }
  KeyPtr key(RegRoot root, const std::wstring& path) { KeyPtr k; registry.create(root, path, k); return k; }
  std::string set(std::size_t n) { return std::next(mp.files.files.begin(), n)->second; }  // the folder holds only sets
  UndoReport undo(std::size_t n) {
    const HistoryRecord record = readHistory(set(n)).value();
    UndoReport r;
    action([&] { r = undoChangeSet(platform, L"C:\\h", record); });
    return r;
  }
  std::optional<RegValue> value(RegRoot root, const wchar_t* key, const wchar_t* name) { return mp.registry.value(root, key, name); }
};

TEST_F(ChangeHistory, ASetIsARegistryFileOfTheStatesBeforeAndItsUndoPutsThemBack) {
  mp.registry.createKey(kMachine, L"SOFTWARE\\Wow6432Node");
  mp.registry.setText(kMachine, L"SOFTWARE\\A", L"s", L"old");
  mp.registry.setText(kUser, L"Software\\Gone", L"a", L"1");
  action([&] {
    key(kMachine, L"SOFTWARE\\A")->setValue(L"s", RegValue::dword(1));
    key(kMachine, L"SOFTWARE\\A")->setValue(L"n", RegValue::text(L"new"));
    key(kMachine32, L"SOFTWARE\\New\\Deeper")->setValue(L"v", RegValue::dword(3));
    key(kUser, L"Software")->deleteSubKey(L"Gone");
  });
  const std::wstring a = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\A", n = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\New";
  EXPECT_EQ(set(0).substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(fromUtf16Text(set(0).substr(2)),
            L"Windows Registry Editor Version 5.00\r\n\r\n; Trova 更改记录\r\n; 操作: 页面 · 按钮\r\n; 时间: 2026-12-07 100000\r\n\r\n"
            L"[" + a + L"]\r\n\"s\"=\"old\"\r\n; 之后 [" + a + L"] \"s\"=dword:00000001\r\n\r\n"
            L"[" + a + L"]\r\n\"n\"=-\r\n; 之后 [" + a + L"] \"n\"=\"new\"\r\n\r\n"
            L"[-" + n + L"]\r\n; 之后 [" + n + L"]\r\n\r\n[-" + n + L"\\Deeper]\r\n; 之后 [" + n + L"\\Deeper]\r\n\r\n"
            L"; 之后 [" + n + L"\\Deeper] \"v\"=dword:00000003\r\n"
            L"[HKEY_CURRENT_USER\\Software\\Gone]\r\n\"a\"=\"1\"\r\n; 之后 [-HKEY_CURRENT_USER\\Software\\Gone]\r\n\r\n");
  EXPECT_TRUE(undo(0).changedSince.empty());
  EXPECT_EQ(value(kMachine, L"SOFTWARE\\A", L"s"), RegValue::text(L"old"));
  EXPECT_FALSE(value(kMachine, L"SOFTWARE\\A", L"n") || mp.registry.exists(kMachine32, L"SOFTWARE\\New"));
  EXPECT_EQ(value(kUser, L"Software\\Gone", L"a"), RegValue::text(L"1"));
}

TEST_F(ChangeHistory, OnlyRecordedChangesAreMadeAndAnUndoLeavesLaterOnes) {
  mp.registry.setDword(kUser, L"Software\\A", L"v", 1);
  mp.registry.denyWrites(kUser, L"Software\\Denied");
  action([&] { key(kUser, L"Software\\A")->setValue(L"v", RegValue::dword(1)); });
  action([&] { key(kUser, L"Software\\Denied\\B"); });
  EXPECT_TRUE(mp.files.files.empty()) << "a write that changes nothing, or only fails, is no change set";
  // A name with a line break cannot be written in the record: that change is refused.
  mp.registry.setDword(kUser, L"Software\\A", L"line\nbreak", 2);
  mp.registry.createKey(kUser, L"Software\\A\\key\rname");
  std::vector<RegStatus> refused;
  action([&] {
    KeyPtr a = key(kUser, L"Software\\A"), k;
    refused = {a->deleteValue(L"line\nbreak"), a->deleteSubKey(L"key\rname"), registry.create(kUser, L"Software\\new\nkey", k),
               a->setValue(L"v", RegValue::dword(2))};
  });
  EXPECT_EQ(refused, (std::vector<RegStatus>{regerr::HistoryUnavailable, regerr::HistoryUnavailable,
                                             regerr::HistoryUnavailable, regerr::Ok}));
  EXPECT_NE(describeFailure(refused[0]).find(L"换行符"), std::wstring::npos);
  EXPECT_TRUE(mp.registry.exists(kUser, L"Software\\A\\key\rname") && !mp.registry.exists(kUser, L"Software\\new\nkey"));
  action([&] { key(kUser, L"Software\\A")->setValue(L"v", RegValue::dword(3)); });
  EXPECT_EQ(undo(0).changedSince, std::vector<std::wstring>{L"HKEY_CURRENT_USER\\Software\\A\\v"});
  EXPECT_EQ(value(kUser, L"Software\\A", L"v"), RegValue::dword(3));
  for (std::uint32_t i = 0; i < 100; ++i)
    action([&] { key(kUser, L"Software\\A")->setValue(L"v", RegValue::dword(i)); });
  EXPECT_EQ(mp.files.files.size(), kKeptChangeSets) << "the newest are kept";
}

}  // namespace
}  // namespace trova::test
