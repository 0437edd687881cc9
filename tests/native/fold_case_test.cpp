// Case-insensitive comparison as registry names and list texts need it.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace trova
