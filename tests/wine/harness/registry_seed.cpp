#include "harness/registry_seed.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "harness/ui_session.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace fs = std::filesystem;

static void writeFile(const std::wstring& path, const std::string& bytes, DWORD attributes) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream(fs::path(path), std::ios::binary) << bytes;
  if (attributes) SetFileAttributesW(path.c_str(), attributes);
}

RegistrySeed::~RegistrySeed() {
  for (auto u = undo_.rbegin(); u != undo_.rend(); ++u) {
    if (!u->root && !u->made.empty()) {
      // A program started from the folder may still be ending: try for a while.
      waitUntil([&] {
        for (const auto& name : filesIn(u->made, L"")) {
          SetFileAttributesW((u->made + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW((u->made + L"\\" + name).c_str());
        }
        return RemoveDirectoryW(u->made.c_str()) != FALSE;
      }, 5000);
    } else if (!u->root) {
      SetFileAttributesW(u->path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(u->path.c_str());
      if (u->before) writeFile(u->path, std::string(u->before->data.begin(), u->before->data.end()), u->before->type);
    } else if (!u->made.empty()) {
      RegDeleteTreeW(u->root, u->made.c_str());
      RegDeleteKeyW(u->root, u->made.c_str());
    } else if (u->before) {
      RegSetKeyValueW(u->root, u->path.c_str(), u->name.c_str(), u->before->type, u->before->data.data(),
                      static_cast<DWORD>(u->before->data.size()));
    } else {
      RegDeleteKeyValueW(u->root, u->path.c_str(), u->name.c_str());
    }
  }
}

void RegistrySeed::keep(HKEY root, const std::wstring& path, const std::wstring& name) {
  Undo u{root, path, name, {}, rawValue(root, path, name)};
  for (std::size_t at = 0; at != std::wstring::npos && u.made.empty();) {
    at = path.find(L'\\', at + 1);
    if (!exists(root, path.substr(0, at))) u.made = path.substr(0, at);
  }
  undo_.push_back(std::move(u));
}

void RegistrySeed::set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                       std::size_t size) {
  keep(root, path, name);
  if (RegSetKeyValueW(root, path.c_str(), name.c_str(), type, data, static_cast<DWORD>(size)) != ERROR_SUCCESS)
    throw std::runtime_error("cannot seed a registry value");
}

void RegistrySeed::key(HKEY root, const std::wstring& path) {
  keep(root, path, L"");
  HKEY made = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot seed a registry key");
  RegCloseKey(made);
}

void RegistrySeed::clear(HKEY root, const std::wstring& path) {
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyW(root, path.c_str());
  undo_.push_back(Undo{root, path, L"", path, {}});
}

void RegistrySeed::file(const std::wstring& path, const std::optional<std::string>& bytes, DWORD attributes) {
  Undo u{nullptr, path, L"", L"", {}};
  if (const DWORD old = GetFileAttributesW(path.c_str()); old != INVALID_FILE_ATTRIBUTES) {
    const std::string content = fileBytes(path);
    u.before = RawValue{old, std::vector<BYTE>(content.begin(), content.end())};
  }
  undo_.push_back(std::move(u));
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
  if (bytes) writeFile(path, *bytes, attributes);
}

std::wstring RegistrySeed::folder(const std::wstring& name) {
  const std::wstring path = (fs::temp_directory_path() / name).wstring();
  CreateDirectoryW(path.c_str(), nullptr);
  undo_.push_back(Undo{nullptr, path, L"", path, {}});
  return path;
}

bool RegistrySeed::exists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  const bool found = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (found) RegCloseKey(key);
  return found;
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

ToolOutput tool(const std::wstring& commandLine) {
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
  std::wstring line = commandLine;
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
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
  std::wistringstream lines(regQuery(q(key) + L" /v " + q(name) + L" " + view).text);
  for (std::wstring line; std::getline(lines, line);) {
    line.erase(0, line.find_first_not_of(L' '));
    if (line.ends_with(L'\r')) line.pop_back();
    if (line == name + L"    " + type + L"    " + data) return true;
  }
  return false;
}

DWORD regImport(const std::wstring& file, bool regedit) {
  return tool((regedit ? L"regedit.exe /s " : L"reg.exe import ") + q(file)).exitCode;
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

std::vector<std::wstring> changeSets() {
  const std::wstring folder = Win32Folders().localAppDataFolder() + L"\\Trova\\";
  std::vector<std::wstring> sets = filesIn(folder, L".reg");
  for (auto& set : sets) set.insert(0, folder);
  return sets;
}

}  // namespace trova::test
