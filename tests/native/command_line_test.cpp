// Splitting stored command lines into the program and its arguments.
#include <gtest/gtest.h>

#include <set>

#include "platform/command_line.h"

namespace trova {
namespace {

using Split = std::pair<std::wstring, std::wstring>;

TEST(SplitCommandLine, QuotedProgramKeepsItsSpaces) {
  EXPECT_EQ(splitCommandLine(LR"("C:\Program Files\X\uninst.exe" /S)"),
            (Split{LR"(C:\Program Files\X\uninst.exe)", L"/S"}));
  EXPECT_EQ(splitCommandLine(LR"("C:\Program Files\X\uninst.exe")"),
            (Split{LR"(C:\Program Files\X\uninst.exe)", L""}));
  // The program ends at its closing quote even with no blank after it.
  EXPECT_EQ(splitCommandLine(LR"("C:\a b\u.exe"/S)"), (Split{LR"(C:\a b\u.exe)", L"/S"}));
  // No closing quote: the rest of the line is the program.
  EXPECT_EQ(splitCommandLine(LR"("C:\a b\u.exe /S)"), (Split{LR"(C:\a b\u.exe /S)", L""}));
}

TEST(SplitCommandLine, UnquotedProgramEndsAtTheFirstBlank) {
  EXPECT_EQ(splitCommandLine(L"MsiExec.exe /X{11111111-2222-3333-4444-555555555555}"),
            (Split{L"MsiExec.exe", L"/X{11111111-2222-3333-4444-555555555555}"}));
  EXPECT_EQ(splitCommandLine(L"rundll32.exe\tsetupapi.dll,InstallHinfSection x 132 a.inf"),
            (Split{L"rundll32.exe", L"setupapi.dll,InstallHinfSection x 132 a.inf"}));
  EXPECT_EQ(splitCommandLine(LR"(C:\Tools\u.exe)"), (Split{LR"(C:\Tools\u.exe)", L""}));
}

TEST(SplitCommandLine, BlanksAroundTheProgramAreSkippedAndArgumentsKeptAsWritten) {
  EXPECT_EQ(splitCommandLine(LR"(   "C:\x y\u.exe"    /a  "b c"  )"),
            (Split{LR"(C:\x y\u.exe)", LR"(/a  "b c"  )"}));
  EXPECT_EQ(splitCommandLine(L"  u.exe   -q"), (Split{L"u.exe", L"-q"}));
  EXPECT_EQ(splitCommandLine(L""), (Split{L"", L""}));
  EXPECT_EQ(splitCommandLine(L"   "), (Split{L"", L""}));
  EXPECT_EQ(splitCommandLine(L"\"\""), (Split{L"", L""}));
}

TEST(SplitCommandLine, UnquotedPathWithSpacesIsFoundAsCreateProcessFindsIt) {
  std::set<std::wstring> files{LR"(C:\Program Files\X\uninst.exe)", LR"(C:\Program Files\Y\setup.exe)"};
  auto exists = [&](const std::wstring& p) { return files.count(p) != 0; };
  EXPECT_EQ(splitCommandLine(LR"(C:\Program Files\X\uninst.exe /S)", exists),
            (Split{LR"(C:\Program Files\X\uninst.exe)", L"/S"}));
  EXPECT_EQ(splitCommandLine(LR"(C:\Program Files\X\uninst.exe)", exists),
            (Split{LR"(C:\Program Files\X\uninst.exe)", L""}));
  // ".exe" is tried when the words have no extension, as CreateProcess does.
  EXPECT_EQ(splitCommandLine(LR"(C:\Program Files\Y\setup -remove now)", exists),
            (Split{LR"(C:\Program Files\Y\setup.exe)", L"-remove now"}));
  // The shortest run that names a file wins: a file "C:\Program.exe" would.
  files.insert(LR"(C:\Program.exe)");
  EXPECT_EQ(splitCommandLine(LR"(C:\Program Files\X\uninst.exe /S)", exists),
            (Split{LR"(C:\Program.exe)", LR"(Files\X\uninst.exe /S)"}));
}

TEST(SplitCommandLine, WithoutAMatchingFileTheFirstBlankEndsTheProgram) {
  auto none = [](const std::wstring&) { return false; };
  EXPECT_EQ(splitCommandLine(LR"(C:\Gone Away\u.exe /S)", none),
            (Split{LR"(C:\Gone)", LR"(Away\u.exe /S)"}));
  // A quoted program is never searched for.
  int asked = 0;
  auto counting = [&](const std::wstring&) { ++asked; return true; };
  EXPECT_EQ(splitCommandLine(LR"("C:\a b\u.exe" /S)", counting), (Split{LR"(C:\a b\u.exe)", L"/S"}));
  EXPECT_EQ(asked, 0);
}

}  // namespace
}  // namespace trova
