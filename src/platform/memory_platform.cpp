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
  if (it == files.end() || unreadable.count(key(path))) {
    if (why) *why = FileResult::failure(it == files.end() ? L"文件不存在" : L"拒绝访问");
    return std::nullopt;
  }
  return it->second;
}

FileResult MemoryFiles::replace(const std::wstring& path, const std::string& bytes) {
  if (readOnly.count(key(path))) return FileResult::failure(L"拒绝访问");
  files[key(path)] = bytes;
  return {};
}

FileResult MemoryFiles::move(const std::wstring& from, const std::wstring& to) {
  if (FileResult copied = copy(from, to); !copied) return copied;
  if (readOnly.count(key(from))) {
    files.erase(key(to));
    return FileResult::failure(L"拒绝访问");
  }
  files.erase(key(from));
  return {};
}

FileResult MemoryFiles::copy(const std::wstring& from, const std::wstring& to) {
  auto it = files.find(key(from));
  if (it == files.end()) return FileResult::failure(L"文件不存在");
  if (files.count(key(to))) return FileResult::failure(L"文件已存在");
  if (readOnly.count(key(to))) return FileResult::failure(L"拒绝访问");
  files[key(to)] = it->second;
  return {};
}

FileResult MemoryFiles::remove(const std::wstring& path) {
  if (readOnly.count(key(path))) return FileResult::failure(L"拒绝访问");
  files.erase(key(path));
  return {};
}

FileResult MemoryFiles::makeFolders(const std::wstring& path) {
  std::wstring k = key(path);
  while (!k.empty() && k.back() == L'\\') k.pop_back();
  for (std::size_t at = k.find(L'\\'); ; at = k.find(L'\\', at + 1)) {
    const std::wstring folder = at == std::wstring::npos ? k : k.substr(0, at);
    if (readOnly.count(folder) && !folders.count(folder)) return FileResult::failure(L"拒绝访问");
    folders.insert(folder);
    if (at == std::wstring::npos) break;
  }
  return {};
}

std::vector<std::wstring> MemoryFiles::list(const std::wstring& folder) {
  std::wstring prefix = key(folder);
  if (prefix.empty() || prefix.back() != L'\\') prefix.push_back(L'\\');
  std::vector<std::wstring> names;
  for (const auto& [path, bytes] : files)
    if (path.rfind(prefix, 0) == 0 && path.find(L'\\', prefix.size()) == std::wstring::npos)
      names.push_back(path.substr(prefix.size()));
  return names;
}

namespace {
class MemoryAppendFile final : public AppendFile {
 public:
  MemoryAppendFile(MemoryFiles& files, std::wstring key) : files_(files), key_(std::move(key)) {}
  FileResult append(const std::string& bytes) override {
    if (files_.readOnly.count(key_)) return FileResult::failure(L"磁盘空间不足");
    files_.files[key_] += bytes;
    return {};
  }

 private:
  MemoryFiles& files_;
  std::wstring key_;
};
}  // namespace

std::unique_ptr<AppendFile> MemoryFiles::create(const std::wstring& path, FileResult* why) {
  const std::wstring k = key(path);
  const std::size_t slash = k.rfind(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? L"" : k.substr(0, slash);
  FileResult problem;
  if (files.count(k)) problem = FileResult::failure(L"文件已存在");
  else if (readOnly.count(k) || readOnly.count(folder)) problem = FileResult::failure(L"拒绝访问");
  else if (!folder.empty() && !folders.count(folder)) problem = FileResult::failure(L"路径无效");
  if (!problem) {
    if (why) *why = problem;
    return nullptr;
  }
  files[k];
  return std::make_unique<MemoryAppendFile>(*this, k);
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

std::wstring RecordingShell::expandVariables(const std::wstring& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find(L'%', i);
    const std::size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring::npos) break;
    std::wstring name;
    for (wchar_t c : text.substr(open + 1, close - open - 1)) name.push_back(foldCase(c));
    auto it = variables.find(name);
    out += text.substr(i, open - i);
    if (it != variables.end()) {
      out += it->second;
      i = close + 1;
    } else {
      out += text.substr(open, close - open);  // not set: kept, and its closing % may open the next
      i = close;
    }
  }
  return out + text.substr(i);
}

std::optional<std::wstring> ScriptedDialogs::input(const std::wstring& prompt, const std::wstring& title,
                                                   const std::wstring& initial) {
  prompts.push_back({prompt, title, initial});
  if (inputAnswers.empty()) return std::nullopt;
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
