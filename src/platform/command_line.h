// Splitting a stored command line (an uninstaller's, a startup entry's) into the
// program to start and its arguments, as Windows reads the first argument.
#pragma once
#include <functional>
#include <string>
#include <utility>

namespace trova {

// {program, arguments}. A quoted program runs to the closing quote (spaces
// included; without a closing quote, to the end); an unquoted one ends at the
// first space or tab. Leading blanks are skipped, and so are the blanks between
// the program and its arguments; the arguments are otherwise kept as written.
//   "C:\Program Files\X\uninst.exe" /S -> {C:\Program Files\X\uninst.exe, /S}
//   MsiExec.exe /X{GUID}               -> {MsiExec.exe, /X{GUID}}
std::pair<std::wstring, std::wstring> splitCommandLine(const std::wstring& line);

// The same, but an unquoted program path with spaces in it is found the way
// CreateProcess finds it: the shortest run of words that names an existing file
// (with ".exe" added when the run has no extension) is the program.
//   C:\Program Files\X\uninst.exe /S   -> {C:\Program Files\X\uninst.exe, /S}
// When no run names a file, the program ends at the first blank as above.
std::pair<std::wstring, std::wstring> splitCommandLine(
    const std::wstring& line, const std::function<bool(const std::wstring&)>& fileExists);

}  // namespace trova
