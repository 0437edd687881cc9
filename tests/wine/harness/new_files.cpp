#include "harness/new_files.h"

#include <shlobj.h>

#include "harness/ui_session.h"

namespace trova::test {

NewFiles::NewFiles(std::wstring folder)
    : folder_(std::move(folder)), made_(CreateDirectoryW(folder_.c_str(), nullptr) != FALSE), before_(names()) {}

NewFiles::~NewFiles() {
  // A program started from the folder may still be ending: try for a while.
  waitUntil([this] {
    for (const auto& name : names())
      if (!before_.count(name)) DeleteFileW(file(name).c_str());
    return !made_ || RemoveDirectoryW(folder_.c_str());
  }, 5000);
}

std::vector<std::wstring> NewFiles::added(const std::wstring& ending) const {
  std::vector<std::wstring> found;
  for (const auto& name : names())
    if (!before_.count(name) && name.size() > ending.size() && name.ends_with(ending)) found.push_back(file(name));
  return found;
}

std::set<std::wstring> NewFiles::names() const {
  std::set<std::wstring> found;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(file(L"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.insert(data.cFileName);
  while (FindNextFileW(search, &data));
  FindClose(search);
  return found;
}

std::wstring historyFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\Trova";
}

std::wstring scratchFolder(const std::wstring& name) {
  wchar_t path[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, path);
  return std::wstring(path) + name + L"-" + std::to_wstring(GetCurrentProcessId());
}

}  // namespace trova::test
