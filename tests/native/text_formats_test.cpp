// Stored command lines as Windows splits them, case folding, text decoding, and registry files.
#include <gtest/gtest.h>

#include "formats/reg_file.h"
#include "platform/codepage.h"
#include "platform/command_line.h"
#include "platform/text.h"

namespace trova {
namespace {

TEST(SplitCommandLine, ProgramAndArgumentsAsWindowsFindsThem) {
  const std::wstring files = LR"(|C:\P F\X\u.exe|C:\P F\setup.exe|D:\a.exe|D:\a b.exe|)";
  const std::wstring cases[][3] = {
      {LR"(  "C:\a b\u.exe"  /a  "b c" )", LR"(C:\a b\u.exe)", LR"(/a  "b c" )"},
      {LR"("C:\a b\u.exe"/S)", LR"(C:\a b\u.exe)", L"/S"},   // the closing quote ends it
      {LR"("C:\a b\u.exe /S)", LR"(C:\a b\u.exe /S)", L""},  // none: the rest of the line
      {L" rundll32.exe\tx.dll,y 1 ", L"rundll32.exe", L"x.dll,y 1 "}, {L"\"\"", L"", L""}, {L"   ", L"", L""},
      {LR"(C:\P F\X\u.exe /S)", LR"(C:\P F\X\u.exe)", L"/S"},             // unquoted, with blanks
      {LR"(C:\P F\setup -x y)", LR"(C:\P F\setup.exe)", L"-x y"},         // ".exe" tried
      {LR"(D:\a b c)", LR"(D:\a.exe)", L"b c"},                           // the shortest run naming a file
      {LR"(C:\Gone Away\u.exe /S)", LR"(C:\Gone)", LR"(Away\u.exe /S)"},  // none: the first blank
  };
  for (const auto& [line, program, arguments] : cases)
    EXPECT_EQ(splitCommandLine(line, [&](const std::wstring& p) { return files.find(L"|" + p + L"|") != files.npos; }),
              std::pair(program, arguments)) << line;
}

TEST(Text, CaseFoldsInTheScriptsOfNamesAndBytesReadAsUtf8ElseAnsi) {
  EXPECT_TRUE(equalsNoCase(L"Software\\Ünïcödé Łódź", L"SOFTWARE\\üNÏCÖDÉ łÓDŹ"));  // Latin-1, Extended-A
  EXPECT_TRUE(equalsNoCase(L"ΣΊΓΜΑς Привет ёж ＡＢＣ", L"σίγμαΣ пРИВЕТ ЁЖ ａｂｃ"));  // Greek, Cyrillic, full width
  EXPECT_FALSE(equalsNoCase(L"ß", L"SS") || equalsNoCase(L"中文", L"中午") || equalsNoCase(L"×", L"÷"));
  EXPECT_EQ(fromUtf8OrAnsi("\xE5\x86\x85\xE9\x83\xA8") + fromUtf8OrAnsi("\xC4\xDA\xB2\xBF"), L"内部内部") << "UTF-8, GBK";
  EXPECT_EQ(fromUtf8OrAnsi(std::string_view("a\xE5\x86\x85", 3)), fromAnsi("a\xE5\x86")) << "a sequence cut at the end";
}

// Every kind of value comes back with its type and bytes.
TEST(RegFile, EveryValueAndKeyRoundTrips) {
  const auto raw = [](RegType type, std::vector<std::uint8_t> bytes) { return RegValue{type, std::move(bytes)}; };
  const std::vector<RegFileKey> keys = {
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Trova Test\\[x]", false,
       {{L"", RegValue::text(L"默认 \"quoted\" \\ back")}, {L"Flags", RegValue::dword(0x401)},
        {L"Expand", RegValue::text(L"%SystemRoot%\\x", RegType::ExpandSz)}, {L"Two lines", RegValue::text(L"1\r\n2")},
        {L"Multi", raw(RegType::MultiSz, toUtf16Bytes(std::wstring(L"a\0b\0", 4), true))},
        {L"No terminator", raw(RegType::Sz, {'a', 0})}, {L"Short dword", raw(RegType::Dword, {1, 2})},
        {L"Long binary", raw(RegType::Binary, std::vector<std::uint8_t>(100, 0xAB))}, {L"Gone", std::nullopt},
        {L"na\"me\\", RegValue::dword(0)}}},
      {L"HKEY_CURRENT_USER\\Software\\Removed", true, {}},
  };
  const RegFileParse back = readRegFile(writeRegFile(keys, {}));
  EXPECT_EQ(back.error, L"") << "line " << back.errorLine;
  EXPECT_EQ(back.keys, keys);
  EXPECT_EQ(readRegFile("REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:1,zz").errorLine, 3) << "refused with its line";
}

}  // namespace
}  // namespace trova
