#include "harness/registry_seed.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "harness/ui_session.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace fs = std::filesystem;

namespace {
void removeFile(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}
void writeFile(const std::wstring& path, const std::string& bytes, DWORD attributes) {
  removeFile(path);
  std::ofstream(fs::path(path), std::ios::binary) << bytes;
  if (attributes) SetFileAttributesW(path.c_str(), attributes);
}
void deleteTree(HKEY root, const std::wstring& path) {
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyW(root, path.c_str());
}
}  // namespace

RegistrySeed::~RegistrySeed() {
  for (auto u = undo_.rbegin(); u != undo_.rend(); ++u) (*u)();
}

void RegistrySeed::keep(HKEY root, const std::wstring& path, const std::wstring& name) {
  std::wstring made;  // the outermost key the test will make, which goes whole
  for (std::size_t at = 0; at != std::wstring::npos && made.empty();)
    if (!exists(root, path.substr(0, at = path.find(L'\\', at + 1)))) made = path.substr(0, at);
  undo_.push_back([=, before = rawValue(root, path, name)] {
    if (!made.empty()) deleteTree(root, made);
    else if (!before) RegDeleteKeyValueW(root, path.c_str(), name.c_str());
    else RegSetKeyValueW(root, path.c_str(), name.c_str(), before->type, before->data.data(), static_cast<DWORD>(before->data.size()));
  });
}

void RegistrySeed::set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                       std::size_t size) {
  keep(root, path, name);
  if (RegSetKeyValueW(root, path.c_str(), name.c_str(), type, data, static_cast<DWORD>(size)) != ERROR_SUCCESS)
    throw std::runtime_error("cannot seed a registry value");
}

void RegistrySeed::clear(HKEY root, const std::wstring& path) {
  deleteTree(root, path);
  undo_.push_back([=] { deleteTree(root, path); });
}

void RegistrySeed::file(const std::wstring& path, const std::optional<std::string>& bytes, DWORD attributes) {
  const DWORD old = GetFileAttributesW(path.c_str());
  undo_.push_back([=, before = fileBytes(path)] {
    if (old == INVALID_FILE_ATTRIBUTES) removeFile(path);
    else writeFile(path, before, old);
  });
  removeFile(path);
  if (bytes) writeFile(path, *bytes, attributes);
}

std::wstring RegistrySeed::folder(const std::wstring& name) {
  const std::wstring path = (fs::temp_directory_path() / name).wstring();
  CreateDirectoryW(path.c_str(), nullptr);
  undo_.push_back([=] {
    waitUntil([&] {  // a program started from it may still be ending
      for (const auto& f : filesIn(path)) removeFile(path + L"\\" + f);
      return RemoveDirectoryW(path.c_str()) != FALSE;
    }, 5000);
  });
  return path;
}

bool RegistrySeed::exists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

std::optional<RawValue> rawValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  RawValue v;
  DWORD size = 0;
  const DWORD any = RRF_RT_ANY | RRF_NOEXPAND;
  if (RegGetValueW(root, path.c_str(), name.c_str(), any, &v.type, nullptr, &size) != ERROR_SUCCESS) return {};
  v.data.resize(size);
  if (RegGetValueW(root, path.c_str(), name.c_str(), any, &v.type, v.data.data(), &size) != ERROR_SUCCESS) return {};
  v.data.resize(size);
  return v;
}

RawValue textValue(const std::wstring& text, DWORD type) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return {type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

ToolOutput tool(std::wstring commandLine) {
  // Read until its end closes the pipe; redirected, Wine's tools write in the OEM code page (GBK here).
  ToolOutput out;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  HANDLE readEnd = nullptr;
  if (!CreatePipe(&readEnd, &si.hStdOutput, &inherit, 0)) return out;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  si.hStdError = si.hStdOutput;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(si.hStdOutput);
  std::string bytes;
  char chunk[4096];
  for (DWORD got = 0; started && ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0;) bytes.append(chunk, got);
  CloseHandle(readEnd);
  if (started && WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &out.exitCode);
  if (started) CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  out.text = decoded(bytes, GetOEMCP());
  return out;
}

bool regLists(const std::wstring& key, const std::wstring& name, const std::wstring& type, const std::wstring& data,
              const std::wstring& view) {
  const std::wstring line = L"\n    " + name + L"    " + type + L"    " + data + L"\r";
  return regQuery(q(key) + L" /v " + q(name) + L" " + view).text.find(line) != std::wstring::npos;
}

std::string fileBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string encoded(const std::wstring& text, UINT codePage) {
  std::string out(text.size() * 4, '\0');
  out.resize(static_cast<std::size_t>(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                                          out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

std::wstring decoded(const std::string& bytes, UINT codePage) {
  std::wstring out(bytes.size(), L'\0');
  out.resize(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                          out.data(), static_cast<int>(out.size()))));
  return out;
}

std::wstring programFolder() { return Win32Folders().programFolder(); }

std::vector<std::wstring> filesIn(const std::wstring& folder, const std::wstring& ending) {
  std::vector<std::wstring> found;
  std::error_code error;
  for (const auto& f : fs::directory_iterator(folder, error))
    if (f.path().wstring().ends_with(ending)) found.push_back(f.path().filename().wstring());
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace trova::test
