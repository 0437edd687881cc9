// What Trova relies on from the registry, run against every backend: natively
// against the in-memory registry and under Wine against the real one. Where the
// two could differ without harm (the order values enumerate in), the contract
// asks only for what both promise.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "contract/registry_contract.h"
#include "platform/registry.h"

namespace trova::test {
namespace {

std::vector<std::wstring> subKeys(RegKey& key) {
  std::vector<std::wstring> names;
  std::wstring name;
  for (std::uint32_t i = 0; key.enumSubKey(i, name) == regerr::Ok; ++i) {
    names.push_back(name);
    if (i > 10000) break;  // an enumeration that never ends is a failure, not a hang
  }
  return names;
}

std::vector<std::wstring> valueNames(RegKey& key) {
  std::vector<std::wstring> names;
  std::wstring name;
  for (std::uint32_t i = 0; key.enumValue(i, name) == regerr::Ok; ++i) {
    names.push_back(name);
    if (i > 10000) break;
  }
  return names;
}

// Removes `name` below `parent` with everything in it, through the interface
// alone (which deletes one key at a time).
void deleteTree(RegKey& parent, const std::wstring& name) {
  KeyPtr key;
  if (parent.openSubKey(name, key) != regerr::Ok) return;
  for (const auto& child : subKeys(*key)) deleteTree(*key, child);
  key.reset();
  parent.deleteSubKey(name);
}

// Each test works in its own key below kContractRoot, removed again afterwards,
// even when the test fails half-way.
class ScratchKey {
 public:
  ScratchKey(Registry& reg, const std::wstring& name) : reg_(reg), name_(name) {
    KeyPtr root;
    if (reg_.open(Hive::CurrentUser, kContractRoot, root) == regerr::Ok)
      deleteTree(*root, name_);  // left over from an interrupted run
    root.reset();
    // From the hive down, so a suite running at the same time that removes the
    // emptied root cannot pull it away between two steps.
    reg_.create(Hive::CurrentUser, path(), key_);
  }
  ~ScratchKey() {
    key_.reset();
    KeyPtr root;
    if (reg_.open(Hive::CurrentUser, kContractRoot, root) != regerr::Ok) return;
    deleteTree(*root, name_);
    bool empty = subKeys(*root).empty();
    root.reset();
    if (empty) {
      KeyPtr software;
      if (reg_.open(Hive::CurrentUser, L"Software", software) == regerr::Ok)
        software->deleteSubKey(L"TrovaContractTest");
    }
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  RegKey* get() const { return key_.get(); }
  // The scratch key's path below HKEY_CURRENT_USER.
  std::wstring path() const { return std::wstring(kContractRoot) + L"\\" + name_; }

 private:
  Registry& reg_;
  std::wstring name_;
  KeyPtr key_;
};

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string id = std::string(info->test_suite_name()) + "." + info->name();
    scratch_ = std::make_unique<ScratchKey>(*reg_, std::wstring(id.begin(), id.end()));
    ASSERT_NE(scratch_->get(), nullptr) << "cannot create the scratch key";
  }
  void TearDown() override { scratch_.reset(); }

  RegKey& base() { return *scratch_->get(); }
  std::wstring path(const std::wstring& below = L"") const {
    return below.empty() ? scratch_->path() : scratch_->path() + L"\\" + below;
  }
  KeyPtr create(const std::wstring& below) {
    KeyPtr key;
    EXPECT_EQ(base().createSubKey(below, key), regerr::Ok) << "create " << ascii(below);
    return key;
  }
  bool exists(const std::wstring& below) {
    KeyPtr key;
    return base().openSubKey(below, key) == regerr::Ok;
  }
  static std::string ascii(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  }

  std::unique_ptr<Registry> reg_ = makeRegistryUnderTest();
  std::unique_ptr<ScratchKey> scratch_;
};

// ---- Opening and creating keys ----------------------------------------------

class RegistryContractKeys : public RegistryContract {};

TEST_F(RegistryContractKeys, OpenNeverCreates) {
  KeyPtr key = create(L"present");
  EXPECT_NE(reg_->open(Hive::CurrentUser, path(L"missing\\deeper"), key), regerr::Ok);
  EXPECT_EQ(key, nullptr) << "a failed open leaves no key in hand";
  key = create(L"present");
  EXPECT_NE(base().openSubKey(L"missing", key), regerr::Ok);
  EXPECT_EQ(key, nullptr);
  EXPECT_NE(base().openSubKey(L"present\\missing", key), regerr::Ok);
  EXPECT_EQ(subKeys(base()), std::vector<std::wstring>{L"present"}) << "a failed open created a key";
  EXPECT_FALSE(keyExists(*reg_, Hive::CurrentUser, path(L"missing")));
}

TEST_F(RegistryContractKeys, CreateMakesEveryKeyAlongThePath) {
  KeyPtr leaf;
  ASSERT_EQ(reg_->create(Hive::CurrentUser, path(L"a\\b\\c"), leaf), regerr::Ok);
  ASSERT_NE(leaf, nullptr);
  EXPECT_TRUE(exists(L"a"));
  EXPECT_TRUE(exists(L"a\\b"));
  EXPECT_TRUE(exists(L"a\\b\\c"));
  EXPECT_EQ(subKeys(base()), std::vector<std::wstring>{L"a"});

  // Creating a key that exists opens it, with what it already holds.
  ASSERT_EQ(leaf->setValue(L"kept", RegValue::dword(7)), regerr::Ok);
  KeyPtr again;
  ASSERT_EQ(base().createSubKey(L"a\\b\\c", again), regerr::Ok);
  RegValue v;
  ASSERT_EQ(again->queryValue(L"kept", v), regerr::Ok);
  EXPECT_EQ(v.asDword(), 7u);
}

TEST_F(RegistryContractKeys, CreateTellsWhetherItMadeTheKey) {
  KeyPtr key;
  bool created = false;
  ASSERT_EQ(reg_->create(Hive::CurrentUser, path(L"new\\leaf"), key, &created), regerr::Ok);
  EXPECT_TRUE(created);
  created = true;
  ASSERT_EQ(reg_->create(Hive::CurrentUser, path(L"new\\leaf"), key, &created), regerr::Ok);
  EXPECT_FALSE(created) << "the second create opens the key";
  created = true;
  ASSERT_EQ(base().createSubKey(L"NEW", key, &created), regerr::Ok);
  EXPECT_FALSE(created) << "in any letter case";
  ASSERT_EQ(base().createSubKey(L"new\\other", key, &created), regerr::Ok);
  EXPECT_TRUE(created) << "a new key below one that was there";
}

TEST_F(RegistryContractKeys, AnOpenKeyOpensAndCreatesBelowItself) {
  KeyPtr a = create(L"a");
  KeyPtr b;
  ASSERT_EQ(a->createSubKey(L"b", b), regerr::Ok);
  KeyPtr viaParent;
  EXPECT_EQ(a->openSubKey(L"b", viaParent), regerr::Ok);
  KeyPtr viaRoot;
  EXPECT_EQ(reg_->open(Hive::CurrentUser, path(L"a\\b"), viaRoot), regerr::Ok);
  // A write through one handle is seen through another.
  ASSERT_EQ(viaParent->setValue(L"x", RegValue::text(L"shared")), regerr::Ok);
  EXPECT_EQ(readText(*viaRoot, L"x"), L"shared");
}

TEST_F(RegistryContractKeys, KeyNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  create(L"MixedCase");
  KeyPtr upper;
  ASSERT_EQ(base().openSubKey(L"MIXEDCASE", upper), regerr::Ok);
  KeyPtr lower;
  ASSERT_EQ(base().createSubKey(L"mixedcase", lower), regerr::Ok);
  ASSERT_EQ(lower->setValue(L"v", RegValue::text(L"same key")), regerr::Ok);
  EXPECT_EQ(readText(*upper, L"v"), L"same key");
  EXPECT_EQ(subKeys(base()), std::vector<std::wstring>{L"MixedCase"});
  EXPECT_TRUE(keyExists(*reg_, Hive::CurrentUser, path(L"mIxEdCaSe")));
}

TEST_F(RegistryContractKeys, SubKeysEnumerateInSortedOrderThenStop) {
  // Letters and digits only: how characters between 'Z' and 'a' ('_', '[')
  // sort differs between Windows (upper-case order) and Wine (lower-case order).
  for (const wchar_t* name : {L"zeta", L"Alpha", L"beta", L"Gamma", L"a1", L"B2", L"10", L"9"})
    create(name);
  EXPECT_EQ(subKeys(base()), (std::vector<std::wstring>{L"10", L"9", L"a1", L"Alpha", L"B2",
                                                         L"beta", L"Gamma", L"zeta"}));
  std::wstring name = L"untouched";
  EXPECT_NE(base().enumSubKey(8, name), regerr::Ok);
  EXPECT_NE(base().enumSubKey(1000, name), regerr::Ok);
}

TEST_F(RegistryContractKeys, AnEmptyKeyEnumeratesNothing) {
  std::wstring name;
  EXPECT_NE(base().enumSubKey(0, name), regerr::Ok);
  EXPECT_NE(base().enumValue(0, name), regerr::Ok);
}

// ---- Values --------------------------------------------------------------------

class RegistryContractValues : public RegistryContract {};

TEST_F(RegistryContractValues, TypedValuesRoundTrip) {
  ASSERT_EQ(base().setValue(L"sz", RegValue::text(L"C:\\Demo\\a b.dll")), regerr::Ok);
  ASSERT_EQ(base().setValue(L"expand", RegValue::text(L"%SystemRoot%\\x.exe", RegType::ExpandSz)),
            regerr::Ok);
  ASSERT_EQ(base().setValue(L"dword", RegValue::dword(0x12345678)), regerr::Ok);
  const std::vector<std::uint8_t> bytes{0x00, 0xFF, 0x10, 0x00, 0x7F};
  ASSERT_EQ(base().setValue(L"binary", RegValue{RegType::Binary, bytes}), regerr::Ok);

  RegValue v;
  ASSERT_EQ(base().queryValue(L"sz", v), regerr::Ok);
  EXPECT_EQ(v.type, RegType::Sz);
  EXPECT_EQ(v.asText(), L"C:\\Demo\\a b.dll");

  ASSERT_EQ(base().queryValue(L"expand", v), regerr::Ok);
  EXPECT_EQ(v.type, RegType::ExpandSz) << "an expandable text must stay expandable";
  EXPECT_EQ(v.asText(), L"%SystemRoot%\\x.exe") << "the registry must not expand it";

  ASSERT_EQ(base().queryValue(L"dword", v), regerr::Ok);
  EXPECT_EQ(v.type, RegType::Dword);
  EXPECT_EQ(v.data, (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12})) << "least significant first";
  EXPECT_EQ(v.asDword(), 0x12345678u);

  ASSERT_EQ(base().queryValue(L"binary", v), regerr::Ok);
  EXPECT_EQ(v.type, RegType::Binary);
  EXPECT_EQ(v.data, bytes);
}

TEST_F(RegistryContractValues, WritingAgainReplacesDataAndType) {
  ASSERT_EQ(base().setValue(L"v", RegValue::text(L"a much longer first text")), regerr::Ok);
  ASSERT_EQ(base().setValue(L"v", RegValue::text(L"short")), regerr::Ok);
  EXPECT_EQ(readText(base(), L"v"), L"short");
  ASSERT_EQ(base().setValue(L"v", RegValue::dword(1)), regerr::Ok);
  RegValue v;
  ASSERT_EQ(base().queryValue(L"v", v), regerr::Ok);
  EXPECT_EQ(v.type, RegType::Dword);
  EXPECT_EQ(valueNames(base()).size(), 1u);
}

TEST_F(RegistryContractValues, TheEmptyNameIsTheDefaultValue) {
  RegValue v;
  EXPECT_NE(base().queryValue(L"", v), regerr::Ok) << "a new key has no default value";
  EXPECT_EQ(readDefault(base(), L""), L"");

  KeyPtr child = create(L"child");
  ASSERT_EQ(child->setValue(L"", RegValue::text(L"默认值")), regerr::Ok);
  EXPECT_EQ(readDefault(base(), L"child"), L"默认值");
  EXPECT_EQ(readDefault(*child, L""), L"默认值");
  EXPECT_EQ(readText(*child, L""), L"默认值");
  EXPECT_EQ(readDefault(base(), L"no such child"), L"");
}

TEST_F(RegistryContractValues, ALongTextIsReadWhole) {
  // Longer than the 2000-byte buffers such values were once read into.
  std::wstring text;
  for (int i = 0; text.size() < 5000; ++i) text += L"段落" + std::to_wstring(i) + L";";
  ASSERT_EQ(base().setValue(L"long", RegValue::text(text)), regerr::Ok);
  RegValue v;
  ASSERT_EQ(base().queryValue(L"long", v), regerr::Ok);
  EXPECT_EQ(v.data.size(), (text.size() + 1) * 2);
  EXPECT_EQ(v.asText(), text);
  EXPECT_EQ(readText(base(), L"long"), text);

  ASSERT_EQ(base().setValue(L"", RegValue::text(text)), regerr::Ok);
  EXPECT_EQ(readDefault(base(), L""), text);
}

TEST_F(RegistryContractValues, ValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  ASSERT_EQ(base().setValue(L"MiXed", RegValue::text(L"first")), regerr::Ok);
  ASSERT_EQ(base().setValue(L"MIXED", RegValue::text(L"second")), regerr::Ok);
  EXPECT_EQ(valueNames(base()), std::vector<std::wstring>{L"MiXed"});
  EXPECT_EQ(readText(base(), L"mixed"), L"second");
  EXPECT_EQ(base().deleteValue(L"mIxEd"), regerr::Ok);
  EXPECT_TRUE(valueNames(base()).empty());
}

TEST_F(RegistryContractValues, EveryValueEnumeratesOnceThenStop) {
  // Windows gives creation order and Wine sorted order; Trova relies on neither.
  const std::vector<std::wstring> names{L"zz", L"AA", L"mm", L"", L"Run 1"};
  for (const auto& n : names) ASSERT_EQ(base().setValue(n, RegValue::dword(1)), regerr::Ok);
  auto found = valueNames(base());
  EXPECT_EQ(found.size(), names.size());
  EXPECT_EQ(std::set<std::wstring>(found.begin(), found.end()),
            std::set<std::wstring>(names.begin(), names.end()));
  std::wstring name;
  EXPECT_NE(base().enumValue(static_cast<std::uint32_t>(names.size()), name), regerr::Ok);
}

TEST_F(RegistryContractValues, LongValueNamesEnumerateWhole) {
  // Toolbar and Run entries are named by their values; a long name must come
  // back whole, not cut at a first buffer's size.
  const std::wstring longName = std::wstring(300, L'v') + L"尾";
  const std::wstring longer = std::wstring(2000, L'w') + L"end";
  ASSERT_EQ(base().setValue(longName, RegValue::dword(1)), regerr::Ok);
  ASSERT_EQ(base().setValue(longer, RegValue::dword(2)), regerr::Ok);
  auto found = valueNames(base());
  EXPECT_EQ(std::set<std::wstring>(found.begin(), found.end()), (std::set<std::wstring>{longName, longer}));
}

TEST_F(RegistryContractValues, AMissingValueIsAFailure) {
  RegValue v;
  EXPECT_NE(base().queryValue(L"absent", v), regerr::Ok);
  EXPECT_EQ(readText(base(), L"absent"), L"");
}

// ---- Names outside the ANSI code page ------------------------------------------

class RegistryContractNames : public RegistryContract {};

const std::vector<std::wstring>& foreignNames() {
  static const std::vector<std::wstring> names{
      L"Ωμέγα",            // the accented έ is not in GBK
      L"snow \u2603 man",  // snowman, not in GBK
      L"grin \U0001F600",  // emoji: a surrogate pair in UTF-16
      L"混合 Ünïcödé ☃",   // Chinese mixed with characters GBK lacks
  };
  return names;
}

TEST_F(RegistryContractNames, KeysOutsideTheCodePageAreFoundEnumeratedAndDeleted) {
  for (const auto& n : foreignNames()) {
    KeyPtr key = create(n);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->setValue(L"", RegValue::text(n)), regerr::Ok);
  }
  auto listed = subKeys(base());
  EXPECT_EQ(std::set<std::wstring>(listed.begin(), listed.end()),
            std::set<std::wstring>(foreignNames().begin(), foreignNames().end()));
  for (const auto& n : foreignNames()) {
    EXPECT_EQ(readDefault(base(), n), n);
    EXPECT_EQ(base().deleteSubKey(n), regerr::Ok) << ascii(n);
    EXPECT_FALSE(exists(n));
  }
  EXPECT_TRUE(subKeys(base()).empty());
}

TEST_F(RegistryContractNames, ValuesOutsideTheCodePageAreFoundEnumeratedAndDeleted) {
  for (const auto& n : foreignNames()) ASSERT_EQ(base().setValue(n, RegValue::text(n)), regerr::Ok);
  auto listed = valueNames(base());
  EXPECT_EQ(std::set<std::wstring>(listed.begin(), listed.end()),
            std::set<std::wstring>(foreignNames().begin(), foreignNames().end()));
  for (const auto& n : foreignNames()) {
    EXPECT_EQ(readText(base(), n), n);
    EXPECT_EQ(base().deleteValue(n), regerr::Ok) << ascii(n);
  }
  EXPECT_TRUE(valueNames(base()).empty());
}

TEST_F(RegistryContractNames, GreekNamesIgnoreCase) {
  create(L"Ωμέγα");
  EXPECT_TRUE(exists(L"ωΜΈΓΑ"));
  ASSERT_EQ(base().setValue(L"Σίγμα", RegValue::dword(2)), regerr::Ok);
  RegValue v;
  EXPECT_EQ(base().queryValue(L"σΊΓΜΑ", v), regerr::Ok);
}

// ---- Deleting --------------------------------------------------------------------

class RegistryContractDelete : public RegistryContract {};

TEST_F(RegistryContractDelete, AKeyWithSubKeysIsRefusedAndNothingIsRemoved) {
  KeyPtr child = create(L"parent\\child");
  ASSERT_EQ(child->setValue(L"v", RegValue::text(L"kept")), regerr::Ok);
  KeyPtr parent;
  ASSERT_EQ(base().openSubKey(L"parent", parent), regerr::Ok);
  ASSERT_EQ(parent->setValue(L"p", RegValue::dword(1)), regerr::Ok);
  parent.reset();
  child.reset();

  EXPECT_EQ(base().deleteSubKey(L"parent"), regerr::KeyHasChildren) << "not \"access denied\"";
  EXPECT_TRUE(exists(L"parent"));
  EXPECT_TRUE(exists(L"parent\\child"));
  ASSERT_EQ(base().openSubKey(L"parent\\child", child), regerr::Ok);
  EXPECT_EQ(readText(*child, L"v"), L"kept");
  ASSERT_EQ(base().openSubKey(L"parent", parent), regerr::Ok);
  RegValue v;
  EXPECT_EQ(parent->queryValue(L"p", v), regerr::Ok);
}

TEST_F(RegistryContractDelete, DeletingRemovesThatOneKeyOnly) {
  create(L"a\\b");
  create(L"a\\c");
  create(L"sibling");
  EXPECT_EQ(base().deleteSubKey(L"a\\b"), regerr::Ok) << "a path names the last key in it";
  EXPECT_FALSE(exists(L"a\\b"));
  EXPECT_TRUE(exists(L"a\\c"));
  EXPECT_EQ(base().deleteSubKey(L"A\\C"), regerr::Ok);
  EXPECT_EQ(base().deleteSubKey(L"a"), regerr::Ok) << "empty now, so it can go";
  EXPECT_EQ(subKeys(base()), std::vector<std::wstring>{L"sibling"});
}

TEST_F(RegistryContractDelete, DeletingWhatIsMissingFails) {
  EXPECT_NE(base().deleteSubKey(L"never there"), regerr::Ok);
  EXPECT_NE(base().deleteValue(L"never there"), regerr::Ok);
  create(L"once");
  ASSERT_EQ(base().deleteSubKey(L"once"), regerr::Ok);
  EXPECT_NE(base().deleteSubKey(L"once"), regerr::Ok);
  ASSERT_EQ(base().setValue(L"once", RegValue::dword(1)), regerr::Ok);
  ASSERT_EQ(base().deleteValue(L"once"), regerr::Ok);
  EXPECT_NE(base().deleteValue(L"once"), regerr::Ok);
}

TEST_F(RegistryContractDelete, AHandleToADeletedKeyFailsWithoutHarm) {
  KeyPtr doomed = create(L"doomed");
  ASSERT_EQ(doomed->setValue(L"v", RegValue::dword(1)), regerr::Ok);
  ASSERT_EQ(base().deleteSubKey(L"doomed"), regerr::Ok);

  RegValue v;
  std::wstring name;
  KeyPtr below;
  EXPECT_NE(doomed->queryValue(L"v", v), regerr::Ok);
  EXPECT_NE(doomed->setValue(L"w", RegValue::dword(2)), regerr::Ok);
  EXPECT_NE(doomed->enumValue(0, name), regerr::Ok);
  EXPECT_NE(doomed->enumSubKey(0, name), regerr::Ok);
  EXPECT_NE(doomed->openSubKey(L"", below), regerr::Ok);
  EXPECT_NE(doomed->createSubKey(L"revived", below), regerr::Ok);
  EXPECT_EQ(below, nullptr);
  doomed.reset();  // closing it is harmless too
  EXPECT_FALSE(exists(L"doomed"));
  EXPECT_TRUE(subKeys(base()).empty());
}


// ---- The two views -----------------------------------------------------------

// Keys of each view below HKEY_LOCAL_MACHINE\SOFTWARE and HKEY_CLASSES_ROOT\CLSID,
// and a shared one below HKEY_CURRENT_USER\Software; all removed again.
class RegistryContractViews : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kKey = L"TrovaContractViews";
  struct Place {
    Hive hive;
    std::wstring parent;
  };
  const std::vector<Place> places_ = {
      {Hive::LocalMachine, L"SOFTWARE"}, {Hive::ClassesRoot, L"CLSID"}, {Hive::CurrentUser, L"Software"}};
  void clean() {
    for (const auto& p : places_) {
      for (RegView v : registryViews()) {
        KeyPtr parent;
        if (reg_->open({p.hive, v}, p.parent, parent) == regerr::Ok) deleteTree(*parent, kKey);
      }
    }
  }
  void SetUp() override { clean(); }
  void TearDown() override { clean(); }
  KeyPtr make(RegRoot root, const std::wstring& path, const std::wstring& value) {
    KeyPtr key;
    EXPECT_EQ(reg_->create(root, path, key), regerr::Ok);
    if (key) {
      EXPECT_EQ(key->setValue(L"v", RegValue::text(value)), regerr::Ok);
    }
    return key;
  }
  std::wstring read(RegRoot root, const std::wstring& path) {
    KeyPtr key;
    if (reg_->open(root, path, key) != regerr::Ok) return L"(missing)";
    return readText(*key, L"v");
  }
  std::unique_ptr<Registry> reg_ = makeRegistryUnderTest();
};

TEST_F(RegistryContractViews, EachViewHasItsOwnSoftwareAndClassesAndSharesTheRest) {
  const RegRoot hklm32{Hive::LocalMachine, RegView::Bits32}, hkcr32{Hive::ClassesRoot, RegView::Bits32};
  const std::wstring soft = std::wstring(L"SOFTWARE\\") + kKey, cls = std::wstring(L"CLSID\\") + kKey;
  make(hklm32, soft + L"\\Only32", L"32");
  make(Hive::LocalMachine, soft + L"\\Both", L"64");
  make(hklm32, soft + L"\\Both", L"32");
  make(hkcr32, cls, L"class 32");

  EXPECT_EQ(read(hklm32, soft + L"\\Only32"), L"32");
  EXPECT_EQ(read(Hive::LocalMachine, soft + L"\\Only32"), L"(missing)");
  EXPECT_EQ(read(Hive::LocalMachine, std::wstring(L"SOFTWARE\\Wow6432Node\\") + kKey + L"\\Only32"), L"32")
      << "the 64-bit view sees the 32-bit one under Wow6432Node";
  EXPECT_EQ(read(Hive::LocalMachine, soft + L"\\Both"), L"64");
  EXPECT_EQ(read(hklm32, soft + L"\\Both"), L"32");
  EXPECT_EQ(read(Hive::ClassesRoot, cls), L"(missing)");
  EXPECT_EQ(read(Hive::ClassesRoot, std::wstring(L"Wow6432Node\\CLSID\\") + kKey), L"class 32");

  // Each view enumerates its own keys; deleting in one leaves the other's.
  KeyPtr list32;
  ASSERT_EQ(reg_->open(hklm32, soft, list32), regerr::Ok);
  EXPECT_EQ(subKeys(*list32), (std::vector<std::wstring>{L"Both", L"Only32"}));
  EXPECT_EQ(list32->deleteSubKey(L"Both"), regerr::Ok);
  EXPECT_EQ(read(hklm32, soft + L"\\Both"), L"(missing)");
  EXPECT_EQ(read(Hive::LocalMachine, soft + L"\\Both"), L"64");

  // HKEY_CURRENT_USER\Software is one tree for both.
  make({Hive::CurrentUser, RegView::Bits32}, std::wstring(L"Software\\") + kKey, L"shared");
  EXPECT_EQ(read(Hive::CurrentUser, std::wstring(L"Software\\") + kKey), L"shared");
}

}  // namespace
}  // namespace trova::test
