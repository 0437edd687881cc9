// The file formats on their own: registry files and the add-on log, written
// and read back.
#include <gtest/gtest.h>

#include "formats/addon_log.h"
#include "formats/reg_file.h"
#include "platform/text.h"

namespace trova {
namespace {

RegValue raw(RegType type, std::vector<std::uint8_t> bytes) { return RegValue{type, std::move(bytes)}; }

// Every kind of value comes back with its type and bytes, in both versions.
TEST(RegFile, EveryValueAndKeyRoundTrips) {
  const std::vector<RegFileKey> keys = {
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Trova Test\\[x]", false,
       {
           {L"", RegValue::text(L"默认 \"quoted\" \\ back")},
           {L"Plain", RegValue::text(L"C:\\Program Files\\x.exe /S")},
           {L"Expand", RegValue::text(L"%SystemRoot%\\x", RegType::ExpandSz)},
           {L"Flags", RegValue::dword(0x401)},
           {L"Multi", raw(RegType::MultiSz, toUtf16Bytes(std::wstring(L"a\0b\0", 4), true))},
           {L"Two lines", RegValue::text(L"one\r\ntwo")},
           {L"No terminator", raw(RegType::Sz, {'a', 0})},
           {L"Short dword", raw(RegType::Dword, {1, 2})},
           {L"Long binary", raw(RegType::Binary, std::vector<std::uint8_t>(100, 0xAB))},
           {L"Gone", std::nullopt},
           {L"na\"me\\", RegValue::dword(0)},
       }},
      {L"HKEY_CURRENT_USER\\Software\\Removed", true, {}},
      {L"HKEY_CLASSES_ROOT\\Empty", false, {}},
  };
  const std::vector<RegFileKey> ansiKeys = {keys[0]};  // characters GBK holds
  const struct {
    RegFileVersion version;
    const std::vector<RegFileKey>& keys;
  } cases[] = {{RegFileVersion::Version5, keys}, {RegFileVersion::Regedit4, ansiKeys}};
  for (const auto& c : cases) {
    const RegFileParse back = readRegFile(writeRegFile(c.keys, {c.version, L""}));
    EXPECT_EQ(back.error, L"") << "line " << back.errorLine;
    EXPECT_EQ(back.keys, c.keys);
  }
}

TEST(RegFile, Version5IsUtf16WithAByteOrderMarkAndCrLf) {
  const std::string bytes = writeRegFile({{L"HKEY_CURRENT_USER\\A", false, {{L"v", RegValue::dword(1)}}}}, {});
  const std::wstring expected =
      L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=dword:00000001\r\n\r\n";
  const auto units = toUtf16Bytes(expected, false);
  EXPECT_EQ(bytes, "\xFF\xFE" + std::string(units.begin(), units.end()));
}

TEST(RegFile, WhatIsNotARegistryFileIsRefusedWithItsLine) {
  const struct {
    std::string text;
    int line;
  } cases[] = {
      {"", 1},
      {"REGEDIT5\r\n", 1},
      {"REGEDIT4\r\n\"v\"=dword:1\r\n", 2},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n", 2},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=dword:123456789\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:1,zz\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v=\"x\"\r\n", 3},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:01,\\\r\n", 3},
  };
  for (const auto& c : cases) {
    const RegFileParse p = readRegFile(c.text);
    EXPECT_NE(p.error, L"") << c.text;
    EXPECT_EQ(p.errorLine, c.line) << c.text;
  }
}

TEST(AddonLog, ReadsBackWhatItWrote) {
  const std::vector<AddonLogEntry> entries = {
      {L"演示帮助对象", L"{1}", L"已启用", L"浏览器帮助项", L"C:\\a.dll"},
      {L"", L"缺省", L"已启用", L"浏览器右键菜单", L"未知"},
  };
  EXPECT_EQ(readAddonLog(writeAddonLog(entries)), entries);
  EXPECT_EQ(readAddonLog(writeAddonLog({})), std::vector<AddonLogEntry>{});
  EXPECT_EQ(readAddonLog("not a log\r\n"), std::nullopt);
}

}  // namespace
}  // namespace trova
