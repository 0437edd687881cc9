// Case-insensitive comparison as registry names and list texts need it.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/text.h"

namespace trova {
namespace {

TEST(FoldCase, MatchesTheScriptsNamesAreWrittenIn) {
  EXPECT_TRUE(equalsNoCase(L"Software\\Microsoft", L"SOFTWARE\\microsoft"));
  EXPECT_TRUE(equalsNoCase(L"Ünïcödé çà", L"üNÏCÖDÉ ÇÀ"));           // Latin-1
  EXPECT_TRUE(equalsNoCase(L"Łódź Ślęża", L"łÓDŹ śLĘŻA"));          // Latin Extended-A
  EXPECT_TRUE(equalsNoCase(L"Ωμέγα ΣΊΓΜΑς", L"ωΜΈΓΑ σίγμαΣ"));      // Greek, final sigma
  EXPECT_TRUE(equalsNoCase(L"Привет ёж", L"пРИВЕТ ЁЖ"));            // Cyrillic
  EXPECT_TRUE(equalsNoCase(L"ＡＢＣ", L"ａｂｃ"));                  // full width
  EXPECT_FALSE(equalsNoCase(L"ß", L"SS"));                           // one character each way
  EXPECT_FALSE(equalsNoCase(L"中文", L"中午"));
  EXPECT_EQ(foldCase(L'×'), L'×');  // not a letter, between Latin-1 letters
  EXPECT_EQ(foldCase(L'÷'), L'÷');
}

TEST(FoldCase, OrdersLettersBeforeLaterLettersWhateverTheirCase) {
  EXPECT_LT(compareNoCase(L"alpha", L"Beta"), 0);
  EXPECT_GT(compareNoCase(L"Zeta", L"beta"), 0);
  EXPECT_LT(compareNoCase(L"ab", L"ABC"), 0);
  EXPECT_EQ(compareNoCase(L"Ωmega", L"ωMEGA"), 0);
}

// Bytes of unknown encoding, such as an exception's message: UTF-8 where
// they are valid UTF-8, else the ANSI code page, never widened byte by byte.
TEST(TextDecoding, Utf8WhereValidElseTheAnsiCodePage) {
  const struct {
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {"plain ASCII", L"plain ASCII"},
      {"\xE5\x86\x85\xE9\x83\xA8 error", L"内部 error"},  // UTF-8
      {"\xC4\xDA\xB2\xBF error", L"内部 error"},              // GBK
      {"\xC0\xAF", L"蜡"},                                        // an overlong "/" in UTF-8 is GBK
      {"\xED\xA0\x80", fromAnsi("\xED\xA0\x80")},               // a UTF-8 surrogate is not UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(fromUtf8OrAnsi(c.bytes), c.text) << c.bytes;
}

}  // namespace
}  // namespace trova
