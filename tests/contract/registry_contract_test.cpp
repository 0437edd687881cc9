// What Trova relies on from the registry, run against every backend: natively
// against the in-memory registry and under Wine against the real one. Where the
// two could differ without harm (the order values enumerate in), the contract
// asks only for what both promise.
#include <gtest/gtest.h>

#include <set>

#ifdef _WIN32
#include "platform/win32_platform.h"
using RegistryUnderTest = trova::Win32Registry;  // under Wine, the real registry
#else
#include "platform/memory_registry.h"
using RegistryUnderTest = trova::MemoryRegistry;
#endif

namespace trova::test {
namespace {

using Names = std::vector<std::wstring>;
using NameSet = std::set<std::wstring>;

// Sub-key (or value) names; an enumeration that never ends is a failure, not a hang.
Names names(RegKey& key, bool values = false) {
  Names out;
  for (std::wstring n; out.size() < 10000;) {
    const auto i = static_cast<std::uint32_t>(out.size());
    if ((values ? key.enumValue(i, n) : key.enumSubKey(i, n)) != regerr::Ok) break;
    out.push_back(n);
  }
  return out;
}
NameSet sorted(const Names& n) { return {n.begin(), n.end()}; }

// Removes `name` below `parent` with everything in it, one key at a time.
void deleteTree(RegKey& parent, const std::wstring& name) {
  KeyPtr key;
  if (parent.openSubKey(name, key) != regerr::Ok) return;
  for (const auto& child : names(*key)) deleteTree(*key, child);
  key.reset();
  parent.deleteSubKey(name);
}

constexpr const wchar_t* kRoot = L"Software\\TrovaContractTest";

// Each test works in its own key HKCU\Software\TrovaContractTest\<test>,
// removed again afterwards, even when the test fails half-way.
class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string id = std::string(info->test_suite_name()) + "." + info->name();
    name_.assign(id.begin(), id.end());
    cleanUp();  // left over from an interrupted run
    // From the hive down in one call, so a suite running at the same time that
    // removes the emptied root cannot pull it away between two steps.
    ASSERT_EQ(reg_->create(Hive::CurrentUser, path(), base_), regerr::Ok) << "cannot create the scratch key";
  }
  void TearDown() override {
    base_.reset();
    cleanUp();
    KeyPtr software;
    if (reg_->open(Hive::CurrentUser, L"Software", software) == regerr::Ok)
      software->deleteSubKey(L"TrovaContractTest");  // refused while another test's key is in it
  }
  void cleanUp() {
    KeyPtr root;
    if (reg_->open(Hive::CurrentUser, kRoot, root) == regerr::Ok) deleteTree(*root, name_);
  }

  RegKey& base() { return *base_; }
  std::wstring path(const std::wstring& below = L"") const {
    return std::wstring(kRoot) + L"\\" + name_ + (below.empty() ? L"" : L"\\" + below);
  }
  KeyPtr create(const std::wstring& below) {
    KeyPtr key;
    EXPECT_EQ(base().createSubKey(below, key), regerr::Ok) << "create " << below;
    return key;
  }
  bool exists(const std::wstring& below) { return keyExists(*reg_, Hive::CurrentUser, path(below)); }
  RegStatus set(const std::wstring& name, const RegValue& v) { return base().setValue(name, v); }
  RegValue query(RegKey& key, const std::wstring& name, bool found = true) {
    RegValue v;
    EXPECT_EQ(key.queryValue(name, v) == regerr::Ok, found) << "query " << name;
    return v;
  }

  std::unique_ptr<Registry> reg_ = std::make_unique<RegistryUnderTest>();
  std::wstring name_;
  KeyPtr base_;
};

class RegistryContractKeys : public RegistryContract {};

TEST_F(RegistryContractKeys, OpenNeverCreates) {
  KeyPtr key = create(L"present");
  EXPECT_NE(reg_->open(Hive::CurrentUser, path(L"missing\\deeper"), key), regerr::Ok);
  EXPECT_EQ(key, nullptr) << "a failed open leaves no key in hand";
  key = create(L"present");
  EXPECT_NE(base().openSubKey(L"missing", key), regerr::Ok);
  EXPECT_EQ(key, nullptr);
  EXPECT_NE(base().openSubKey(L"present\\missing", key), regerr::Ok);
  EXPECT_EQ(names(base()), Names{L"present"}) << "a failed open created a key";
}

TEST_F(RegistryContractKeys, CreateMakesEveryKeyAlongThePathAndTellsWhetherItDid) {
  KeyPtr leaf, again;
  bool created = false;
  ASSERT_EQ(reg_->create(Hive::CurrentUser, path(L"a\\b\\c"), leaf, &created), regerr::Ok);
  ASSERT_NE(leaf, nullptr);
  EXPECT_TRUE(created);
  for (const wchar_t* p : {L"a", L"a\\b", L"a\\b\\c"}) EXPECT_TRUE(exists(p)) << p;
  EXPECT_EQ(names(base()), Names{L"a"});

  // Creating a key that exists (in any letter case) opens it, with what it holds.
  ASSERT_EQ(leaf->setValue(L"kept", RegValue::dword(7)), regerr::Ok);
  ASSERT_EQ(reg_->create(Hive::CurrentUser, path(L"a\\b\\c"), again, &created), regerr::Ok);
  EXPECT_FALSE(created) << "the second create opens the key";
  EXPECT_EQ(query(*again, L"kept").asDword(), 7u);
  created = true;
  ASSERT_EQ(base().createSubKey(L"A\\B", again, &created), regerr::Ok);
  EXPECT_FALSE(created) << "in any letter case";
  ASSERT_EQ(base().createSubKey(L"a\\b\\other", again, &created), regerr::Ok);
  EXPECT_TRUE(created) << "a new key below one that was there";
}

// Key and value names, Greek ones included, ignore case and keep their first
// spelling; a write through one handle is seen through another.
TEST_F(RegistryContractKeys, NamesIgnoreCase) {
  for (const auto& [first, other] :
       {std::pair{L"MixedCase", L"mIXEDcASE"}, {L"Ωμέγα", L"ωΜΈΓΑ"}, {L"Σίγμα", L"σΊΓΜΑ"}}) {
    KeyPtr key = create(first), same;
    ASSERT_EQ(base().createSubKey(other, same), regerr::Ok) << other;
    ASSERT_EQ(key->setValue(first, RegValue::text(L"first")), regerr::Ok);
    ASSERT_EQ(same->setValue(other, RegValue::text(L"second")), regerr::Ok);
    EXPECT_EQ(names(*key, true), Names{first});
    EXPECT_EQ(readText(*key, first), L"second");
    EXPECT_EQ(key->deleteValue(other), regerr::Ok);
    EXPECT_TRUE(names(*same, true).empty());
    EXPECT_TRUE(keyExists(*reg_, Hive::CurrentUser, path(other)));
  }
  EXPECT_EQ(names(base()), (Names{L"MixedCase", L"Σίγμα", L"Ωμέγα"}));
}

TEST_F(RegistryContractKeys, SubKeysEnumerateInSortedOrderThenStop) {
  std::wstring name = L"untouched";
  EXPECT_NE(base().enumSubKey(0, name), regerr::Ok) << "an empty key enumerates nothing";
  EXPECT_NE(base().enumValue(0, name), regerr::Ok);
  // Letters and digits only: how characters between 'Z' and 'a' ('_', '[')
  // sort differs between Windows (upper-case order) and Wine (lower-case order).
  for (const wchar_t* n : {L"zeta", L"Alpha", L"beta", L"Gamma", L"a1", L"B2", L"10", L"9"}) create(n);
  EXPECT_EQ(names(base()), (Names{L"10", L"9", L"a1", L"Alpha", L"B2", L"beta", L"Gamma", L"zeta"}));
  EXPECT_NE(base().enumSubKey(8, name), regerr::Ok);
  EXPECT_NE(base().enumSubKey(1000, name), regerr::Ok);
}

class RegistryContractValues : public RegistryContract {};

TEST_F(RegistryContractValues, TypedValuesKeepTypeAndBytesAndEnumerateOnce) {
  const std::vector<std::uint8_t> bytes{0x00, 0xFF, 0x10, 0x00, 0x7F};
  const struct { const wchar_t* name; RegValue value; } cases[] = {
      {L"sz", RegValue::text(L"C:\\Demo\\a b.dll")},
      // An expandable text stays expandable, and the registry does not expand it.
      {L"expand", RegValue::text(L"%SystemRoot%\\x.exe", RegType::ExpandSz)},
      {L"dword", RegValue::dword(0x12345678)},
      {L"binary", RegValue{RegType::Binary, bytes}},
      {L"", RegValue::text(L"默认值")},
  };
  const std::size_t n = std::size(cases);
  for (const auto& c : cases) ASSERT_EQ(set(c.name, c.value), regerr::Ok) << c.name;
  for (const auto& c : cases) EXPECT_EQ(query(base(), c.name), c.value) << c.name;
  EXPECT_EQ(query(base(), L"dword").data, (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}))
      << "least significant first";
  // Writing again replaces data (longer or shorter) and type.
  for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(set(cases[i].name, cases[(i + 1) % n].value), regerr::Ok);
  for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(query(base(), cases[i].name), cases[(i + 1) % n].value);
  // Each value is enumerated once, in an order Trova does not rely on (Windows
  // gives creation order, Wine sorted order), and then no more.
  const Names found = names(base(), true);
  EXPECT_EQ(found.size(), n);
  EXPECT_EQ(sorted(found), (NameSet{L"", L"binary", L"dword", L"expand", L"sz"}));
  std::wstring name;
  EXPECT_NE(base().enumValue(static_cast<std::uint32_t>(n), name), regerr::Ok);
  query(base(), L"absent", false);
  EXPECT_EQ(readDefault(base(), L"no such child"), L"");
}

TEST_F(RegistryContractValues, LongTextsAndLongNamesComeBackWhole) {
  // Longer than the 2000-byte buffers such values were once read into.
  std::wstring text;
  for (int i = 0; text.size() < 5000; ++i) text += L"段落" + std::to_wstring(i) + L";";
  ASSERT_EQ(set(L"long", RegValue::text(text)), regerr::Ok);
  EXPECT_EQ(query(base(), L"long").data.size(), (text.size() + 1) * 2);
  EXPECT_EQ(readText(base(), L"long"), text);
  ASSERT_EQ(set(L"", RegValue::text(text)), regerr::Ok);
  EXPECT_EQ(readDefault(base(), L""), text);

  // Toolbar and Run entries are named by their values: a long name comes back
  // whole, not cut at a first buffer's size.
  KeyPtr named = create(L"named");
  const std::wstring longName = std::wstring(300, L'v') + L"尾", longer = std::wstring(2000, L'w') + L"end";
  ASSERT_EQ(named->setValue(longName, RegValue::dword(1)), regerr::Ok);
  ASSERT_EQ(named->setValue(longer, RegValue::dword(2)), regerr::Ok);
  EXPECT_EQ(sorted(names(*named, true)), (NameSet{longName, longer}));
}

class RegistryContractNames : public RegistryContract {};

TEST_F(RegistryContractNames, KeysAndValuesOutsideTheCodePageAreFoundEnumeratedAndDeleted) {
  const Names foreign{
      L"Ωμέγα",            // the accented έ is not in GBK
      L"snow \u2603 man",  // snowman, not in GBK
      L"grin \U0001F600",  // emoji: a surrogate pair in UTF-16
      L"混合 Ünïcödé ☃",   // Chinese mixed with characters GBK lacks
  };
  for (const auto& n : foreign) {
    KeyPtr key = create(n);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->setValue(L"", RegValue::text(n)), regerr::Ok);
    ASSERT_EQ(set(n, RegValue::text(n)), regerr::Ok);
  }
  EXPECT_EQ(sorted(names(base())), NameSet(foreign.begin(), foreign.end()));
  EXPECT_EQ(sorted(names(base(), true)), NameSet(foreign.begin(), foreign.end()));
  for (const auto& n : foreign) {
    EXPECT_EQ(readDefault(base(), n), n);
    EXPECT_EQ(readText(base(), n), n);
    EXPECT_EQ(base().deleteSubKey(n), regerr::Ok) << n;
    EXPECT_EQ(base().deleteValue(n), regerr::Ok) << n;
    EXPECT_FALSE(exists(n));
  }
  EXPECT_TRUE(names(base()).empty());
  EXPECT_TRUE(names(base(), true).empty());
}

class RegistryContractDelete : public RegistryContract {};

TEST_F(RegistryContractDelete, AKeyWithSubKeysIsRefusedAndNothingIsRemoved) {
  KeyPtr child = create(L"parent\\child"), parent = create(L"parent");
  ASSERT_EQ(child->setValue(L"v", RegValue::text(L"kept")), regerr::Ok);
  ASSERT_EQ(parent->setValue(L"p", RegValue::dword(1)), regerr::Ok);
  parent.reset(), child.reset();

  EXPECT_EQ(base().deleteSubKey(L"parent"), regerr::KeyHasChildren) << "not \"access denied\"";
  ASSERT_EQ(base().openSubKey(L"parent\\child", child), regerr::Ok);
  EXPECT_EQ(readText(*child, L"v"), L"kept");
  ASSERT_EQ(base().openSubKey(L"parent", parent), regerr::Ok);
  EXPECT_EQ(query(*parent, L"p"), RegValue::dword(1));
}

TEST_F(RegistryContractDelete, DeletingRemovesThatOneKeyOnlyAndNothingMissing) {
  for (const wchar_t* k : {L"a\\b", L"a\\c", L"sibling"}) create(k);
  EXPECT_EQ(base().deleteSubKey(L"a\\b"), regerr::Ok) << "a path names the last key in it";
  EXPECT_FALSE(exists(L"a\\b"));
  EXPECT_TRUE(exists(L"a\\c"));
  EXPECT_EQ(base().deleteSubKey(L"A\\C"), regerr::Ok);
  EXPECT_EQ(base().deleteSubKey(L"a"), regerr::Ok) << "empty now, so it can go";
  EXPECT_EQ(names(base()), Names{L"sibling"});
  // Deleting what is missing, or was deleted already, fails.
  EXPECT_NE(base().deleteSubKey(L"a"), regerr::Ok);
  EXPECT_NE(base().deleteSubKey(L"never there"), regerr::Ok);
  EXPECT_NE(base().deleteValue(L"never there"), regerr::Ok);
  ASSERT_EQ(set(L"once", RegValue::dword(1)), regerr::Ok);
  ASSERT_EQ(base().deleteValue(L"once"), regerr::Ok);
  EXPECT_NE(base().deleteValue(L"once"), regerr::Ok);
}

// HKLM\SOFTWARE and HKCR\CLSID have a tree of their own in each view; HKCU\Software
// is shared. The keys are made below each, and removed again.
class RegistryContractViews : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kKey = L"TrovaContractViews";
  void clean() {
    const std::pair<Hive, const wchar_t*> parents[] = {
        {Hive::LocalMachine, L"SOFTWARE"}, {Hive::ClassesRoot, L"CLSID"}, {Hive::CurrentUser, L"Software"}};
    for (const auto& [hive, parent] : parents)
      for (RegView v : registryViews()) {
        KeyPtr key;
        if (reg_->open({hive, v}, parent, key) == regerr::Ok) deleteTree(*key, kKey);
      }
  }
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  void make(RegRoot root, const std::wstring& path, const std::wstring& value) {
    KeyPtr key;
    ASSERT_EQ(reg_->create(root, path, key), regerr::Ok);
    EXPECT_EQ(key->setValue(L"v", RegValue::text(value)), regerr::Ok);
  }
  std::wstring read(RegRoot root, const std::wstring& path) {
    KeyPtr key;
    return reg_->open(root, path, key) == regerr::Ok ? readText(*key, L"v") : L"(missing)";
  }
  std::unique_ptr<Registry> reg_ = std::make_unique<RegistryUnderTest>();
};

TEST_F(RegistryContractViews, EachViewHasItsOwnSoftwareAndClassesAndSharesTheRest) {
  const RegRoot hklm{Hive::LocalMachine}, hklm32{Hive::LocalMachine, RegView::Bits32};
  const RegRoot hkcr{Hive::ClassesRoot}, hkcr32{Hive::ClassesRoot, RegView::Bits32};
  const std::wstring soft = std::wstring(L"SOFTWARE\\") + kKey, cls = std::wstring(L"CLSID\\") + kKey;
  const std::wstring user = std::wstring(L"Software\\") + kKey;
  make(hklm32, soft + L"\\Only32", L"32");
  make(hklm, soft + L"\\Both", L"64");
  make(hklm32, soft + L"\\Both", L"32");
  make(hkcr32, cls, L"class 32");
  make({Hive::CurrentUser, RegView::Bits32}, user, L"shared");

  const struct { RegRoot root; std::wstring path, expected; } reads[] = {
      {hklm32, soft + L"\\Only32", L"32"},
      {hklm, soft + L"\\Only32", L"(missing)"},
      // The 64-bit view sees the 32-bit one under Wow6432Node.
      {hklm, std::wstring(L"SOFTWARE\\Wow6432Node\\") + kKey + L"\\Only32", L"32"},
      {hklm, soft + L"\\Both", L"64"},
      {hklm32, soft + L"\\Both", L"32"},
      {hkcr, cls, L"(missing)"},
      {hkcr, std::wstring(L"Wow6432Node\\CLSID\\") + kKey, L"class 32"},
      {Hive::CurrentUser, user, L"shared"},
  };
  for (const auto& r : reads) EXPECT_EQ(read(r.root, r.path), r.expected) << r.path;

  // Each view enumerates its own keys; deleting in one leaves the other's.
  KeyPtr list32;
  ASSERT_EQ(reg_->open(hklm32, soft, list32), regerr::Ok);
  EXPECT_EQ(names(*list32), (Names{L"Both", L"Only32"}));
  EXPECT_EQ(list32->deleteSubKey(L"Both"), regerr::Ok);
  EXPECT_EQ(read(hklm32, soft + L"\\Both"), L"(missing)");
  EXPECT_EQ(read(hklm, soft + L"\\Both"), L"64");
}

}  // namespace
}  // namespace trova::test
