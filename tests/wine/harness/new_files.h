// Files a test makes, or makes the window make, in a folder: removed when the
// test ends, and the folder too when the test made it.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace trova::test {

class NewFiles {
 public:
  // Makes the folder when it is missing and notes the files it holds now.
  explicit NewFiles(std::wstring folder);
  ~NewFiles();
  NewFiles(const NewFiles&) = delete;
  NewFiles& operator=(const NewFiles&) = delete;

  const std::wstring& folder() const { return folder_; }
  std::wstring file(const std::wstring& name) const { return folder_ + L"\\" + name; }
  // The paths of the new files whose names end so, in name order (for change
  // sets, the order they were made in).
  std::vector<std::wstring> added(const std::wstring& ending) const;

 private:
  std::set<std::wstring> names() const;
  std::wstring folder_;
  bool made_;
  std::set<std::wstring> before_;
};

// Where the window keeps its change history: %LOCALAPPDATA%\Trova.
std::wstring historyFolder();
// A folder of the test's own under %TEMP% (not made here).
std::wstring scratchFolder(const std::wstring& name);

}  // namespace trova::test
