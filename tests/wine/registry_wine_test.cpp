// What only the Win32 registry backend can get wrong: handle ownership, and
// data other programs store differently from Trova.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32_platform.h"

namespace trova::test {
namespace {

const wchar_t* kScratch = L"Software\\TrovaWin32KeyTest";

struct ScratchKey {
  ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }
  ~ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch); }
};

bool handleIsOpen(HKEY key) {
  DWORD subKeys = 0;
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(Win32Key, MovingHandsTheOpenHandleOnAndClosesItOnce) {
  ScratchKey scratch;
  Win32Registry reg;
  KeyPtr created;
  ASSERT_EQ(reg.create(Hive::CurrentUser, kScratch, created), regerr::Ok);
  auto& first = dynamic_cast<Win32Key&>(*created);
  const HKEY raw = first.handle();
  ASSERT_TRUE(handleIsOpen(raw));

  Win32Key moved(std::move(first));
  EXPECT_EQ(first.handle(), nullptr);
  EXPECT_EQ(moved.handle(), raw);
  created.reset();  // the moved-from key must not close the handle
  ASSERT_TRUE(handleIsOpen(raw));
  EXPECT_EQ(moved.setValue(L"v", RegValue::dword(5)), regerr::Ok);

  Win32Key assigned(nullptr);
  assigned = std::move(moved);
  EXPECT_EQ(assigned.handle(), raw);
  RegValue v;
  EXPECT_EQ(assigned.queryValue(L"v", v), regerr::Ok);
  EXPECT_EQ(v.asDword(), 5u);
}

TEST(Win32Key, DestroyingAKeyClosesItsHandle) {
  ScratchKey scratch;
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &raw, nullptr),
            ERROR_SUCCESS);
  { Win32Key key(raw); }
  EXPECT_FALSE(handleIsOpen(raw));
}

TEST(Win32Key, TheRootItselfIsNeverClosed) {
  Win32Registry reg;
  {
    KeyPtr root;
    ASSERT_EQ(reg.open(Hive::CurrentUser, L"", root), regerr::Ok);
    Win32Key predefined(HKEY_CURRENT_USER);
  }
  EXPECT_TRUE(keyExists(reg, Hive::CurrentUser, L"Software"));
  EXPECT_TRUE(handleIsOpen(HKEY_CURRENT_USER));
}

TEST(Win32Key, ReadsTextsOtherProgramsStoredWithoutTheirEndingNul) {
  ScratchKey scratch;
  Win32Registry reg;
  KeyPtr key;
  ASSERT_EQ(reg.create(Hive::CurrentUser, kScratch, key), regerr::Ok);
  const HKEY raw = dynamic_cast<Win32Key&>(*key).handle();
  const wchar_t text[] = L"no terminator";
  ASSERT_EQ(RegSetValueExW(raw, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>((sizeof text) - sizeof(wchar_t))),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(raw, L"empty", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(readText(*key, L"bare"), L"no terminator");
  RegValue v;
  EXPECT_EQ(key->queryValue(L"empty", v), regerr::Ok);
  EXPECT_TRUE(v.data.empty());
  EXPECT_EQ(v.asText(), L"");
}

TEST(Win32Key, NamesLongerThanTheOldBuffersAreEnumeratedWhole) {
  ScratchKey scratch;
  Win32Registry reg;
  KeyPtr key;
  ASSERT_EQ(reg.create(Hive::CurrentUser, kScratch, key), regerr::Ok);
  const std::wstring longValue(3000, L'值');  // beyond a 2000-byte name buffer
  const std::wstring longKey(255, L'k');      // the longest key name there is
  ASSERT_EQ(key->setValue(longValue, RegValue::dword(1)), regerr::Ok);
  KeyPtr sub;
  ASSERT_EQ(key->createSubKey(longKey, sub), regerr::Ok);
  std::wstring name;
  ASSERT_EQ(key->enumValue(0, name), regerr::Ok);
  EXPECT_EQ(name, longValue);
  ASSERT_EQ(key->enumSubKey(0, name), regerr::Ok);
  EXPECT_EQ(name, longKey);
}

}  // namespace
}  // namespace trova::test
