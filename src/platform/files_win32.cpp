// Files on Windows. A replacement is written beside the target and moved over
// it in one step, so a failure at any point leaves the old file as it was.
#include <algorithm>
#include <atomic>

#include "platform/win32_platform.h"

namespace trova {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { close(); }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  BOOL close() {
    BOOL ok = TRUE;
    if (valid()) ok = CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

FileResult failure(DWORD code) { return FileResult::failure(describeSystemError(code)); }

// A name beside the target that no one else uses.
std::wstring temporaryName(const std::wstring& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  wchar_t suffix[64];
  swprintf(suffix, 64, L".%lx-%x-%x.trova-tmp", GetCurrentProcessId(), counter.fetch_add(1),
           attempt);
  return target + suffix;
}

bool writeAll(HANDLE file, const std::string& bytes, DWORD& error) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
      error = GetLastError();
      if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
      return false;
    }
    data += written;
    left -= written;
  }
  return true;
}

}  // namespace

bool Win32Files::exists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> Win32Files::read(const std::wstring& path, FileResult* why) {
  Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    if (why) *why = failure(GetLastError());
    return std::nullopt;
  }
  // Straight into the buffer, with a byte to spare: the file may be growing,
  // so it is read until a read gives nothing rather than to the size it had.
  LARGE_INTEGER size{};
  const bool sized = GetFileSizeEx(file.get(), &size) && size.QuadPart >= 0;
  std::string bytes(sized ? static_cast<std::size_t>(size.QuadPart) + 1 : 64 * 1024, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(used + 64 * 1024);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + used, want, &got, nullptr)) {
      if (why) *why = failure(GetLastError());
      return std::nullopt;
    }
    if (got == 0) break;
    used += got;
  }
  bytes.resize(used);
  return bytes;
}

FileResult Win32Files::replace(const std::wstring& path, const std::string& bytes) {
  const DWORD old = GetFileAttributesW(path.c_str());
  // Windows refuses to move a file over a read-only one; say so before writing
  // anything. (Wine would replace it, so the check is the program's own.)
  if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) &&
      !(old & FILE_ATTRIBUTE_DIRECTORY))
    return failure(ERROR_ACCESS_DENIED);

  std::wstring temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 16 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temp = temporaryName(path, attempt);
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  if (created == INVALID_HANDLE_VALUE) return failure(GetLastError());

  Handle file(created);
  DWORD error = ERROR_SUCCESS;
  bool ok = writeAll(file.get(), bytes, error);
  if (ok && !FlushFileBuffers(file.get())) {
    ok = false;
    error = GetLastError();
  }
  if (!file.close() && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
    // The new content takes the place of the old file, hidden or system as it was.
    SetFileAttributesW(temp.c_str(), old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  }
  if (ok && !MoveFileExW(temp.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
    return failure(error);
  }
  return {};
}

FileResult Win32Files::move(const std::wstring& from, const std::wstring& to) {
  // Without MOVEFILE_REPLACE_EXISTING an existing target is refused.
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
    return failure(GetLastError());
  return {};
}

FileResult Win32Files::copy(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) return failure(GetLastError());
  return {};
}

FileResult Win32Files::remove(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) return {};
  return failure(error);
}

FileResult Win32Files::makeFolders(const std::wstring& path) {
  // Each folder along the path, from the drive down; one that exists is fine.
  for (std::size_t at = path.find_first_of(L"\\/", 3);; at = path.find_first_of(L"\\/", at + 1)) {
    const std::wstring folder = path.substr(0, at);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
      const DWORD error = GetLastError();
      const DWORD attributes = GetFileAttributesW(folder.c_str());
      if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
          !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return failure(error);
    }
    if (at == std::wstring::npos) break;
  }
  return {};
}

std::vector<std::wstring> Win32Files::list(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(joinPath(folder, L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

namespace {
class Win32AppendFile final : public AppendFile {
 public:
  explicit Win32AppendFile(HANDLE file) : file_(file) {}
  FileResult append(const std::string& bytes) override {
    DWORD error = ERROR_SUCCESS;
    if (!writeAll(file_.get(), bytes, error)) return failure(error);
    return {};
  }

 private:
  Handle file_;
};
}  // namespace

std::unique_ptr<AppendFile> Win32Files::create(const std::wstring& path, FileResult* why) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (why) *why = failure(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32AppendFile>(file);
}

}  // namespace trova
