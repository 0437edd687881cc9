#include "platform/memory_platform.h"

#include "platform/text.h"

namespace trova {

std::wstring MemoryFiles::key(const std::wstring& path) {
  std::wstring k;
  for (wchar_t c : path) k.push_back(c == L'/' ? L'\\' : foldCase(c));
  return k;
}

std::optional<std::string> MemoryFiles::read(const std::wstring& path, FileResult* why) {
  auto it = files.find(key(path));
  if (it == files.end()) {
    if (why) *why = FileResult::failure(L"文件不存在");
    return std::nullopt;
  }
  return it->second;
}

FileResult MemoryFiles::replace(const std::wstring& path, const std::string& bytes) {
  if (readOnly.count(key(path))) return FileResult::failure(L"拒绝访问");
  files[key(path)] = bytes;
  return {};
}

ShellResult RecordingShell::open(const std::wstring& target) {
  opened.push_back(target);
  if (fail) return {false, L"找不到打开它的程序"};
  return {};
}

ShellResult RecordingShell::start(const std::wstring& program, const std::wstring& arguments) {
  started.emplace_back(program, arguments);
  if (fail) return {false, L"系统找不到指定的文件"};
  return {};
}

std::wstring ScriptedDialogs::input(const std::wstring& prompt, const std::wstring& title,
                                    const std::wstring& initial) {
  prompts.push_back({prompt, title, initial});
  if (inputAnswers.empty()) return {};
  auto answer = inputAnswers.front();
  inputAnswers.pop_front();
  return answer;
}

std::optional<std::wstring> ScriptedDialogs::saveFile(const FileDialogSpec& spec) {
  fileDialogs.push_back(spec);
  if (fileAnswers.empty()) return std::nullopt;
  auto answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

std::optional<std::wstring> ScriptedDialogs::openFile(const FileDialogSpec& spec) {
  return saveFile(spec);
}

}  // namespace trova
