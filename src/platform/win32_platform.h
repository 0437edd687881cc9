// The real platform on Windows: the wide-character registry, files, shell,
// standard dialogs and folders. Only the window layer and the Wine tests include
// this header; page logic sees the interfaces alone.
#pragma once
#include <windows.h>

#include <string>

#include "platform/dialog_ids.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace trova {

// An open registry key. It closes its handle exactly once, when destroyed;
// it can be moved but not copied. A predefined root handle is never closed.
class Win32Key final : public RegKey {
 public:
  // `view` is the KEY_WOW64_* flag the key was opened with; its sub-keys and
  // deletes stay in that view.
  explicit Win32Key(HKEY handle, REGSAM view = 0) noexcept : handle_(handle), view_(view) {}
  Win32Key(Win32Key&& other) noexcept : RegKey(), view_(other.view_) { handle_ = other.release(); }
  Win32Key& operator=(Win32Key&& other) noexcept;
  ~Win32Key() override;

  HKEY handle() const noexcept { return handle_; }
  // Gives up ownership: the caller closes the handle.
  HKEY release() noexcept;

  RegStatus openSubKey(std::wstring_view path, KeyPtr& out) override;
  RegStatus createSubKey(std::wstring_view path, KeyPtr& out, bool* created = nullptr) override;
  RegStatus enumSubKey(std::uint32_t index, std::wstring& name) override;
  RegStatus enumValue(std::uint32_t index, std::wstring& name) override;
  RegStatus queryValue(std::wstring_view name, RegValue& out) override;
  RegStatus setValue(std::wstring_view name, const RegValue& value) override;
  RegStatus deleteValue(std::wstring_view name) override;
  RegStatus deleteSubKey(std::wstring_view name) override;

 private:
  HKEY handle_ = nullptr;
  REGSAM view_ = 0;
};

// Opens keys with the widest access the user is granted, as the old ANSI calls
// did: a standard user can still read HKEY_LOCAL_MACHINE, and a write there fails
// with AccessDenied instead of the open failing.
class Win32Registry final : public Registry {
 public:
  RegStatus open(RegRoot root, std::wstring_view path, KeyPtr& out) override;
  RegStatus create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created = nullptr) override;
  static HKEY rootOf(Hive hive) noexcept;
  static REGSAM viewFlag(RegView view) noexcept;
};

class Win32Files final : public FileSystem {
 public:
  bool exists(const std::wstring& path) override;
  std::optional<std::string> read(const std::wstring& path, FileResult* why = nullptr) override;
  FileResult replace(const std::wstring& path, const std::string& bytes) override;
  FileResult move(const std::wstring& from, const std::wstring& to) override;
  FileResult copy(const std::wstring& from, const std::wstring& to) override;
  FileResult remove(const std::wstring& path) override;
  FileResult makeFolders(const std::wstring& path) override;
  std::vector<std::wstring> list(const std::wstring& folder) override;
  std::unique_ptr<AppendFile> create(const std::wstring& path, FileResult* why = nullptr) override;
};

class Win32Shell final : public Shell {
 public:
  ShellResult open(const std::wstring& target) override;
  ShellResult start(const std::wstring& program, const std::wstring& arguments) override;
  std::wstring expandVariables(const std::wstring& text) override;
};

class Win32Dialogs final : public Dialogs {
 public:
  // Control identifiers of the input box (a dialog of trova.rc), so tests and
  // tools can find them.
  static constexpr int kInputPromptId = IDC_INPUT_PROMPT;
  static constexpr int kInputEditId = IDC_INPUT_EDIT;
  static constexpr int kInputOkId = IDOK;
  static constexpr int kInputCancelId = IDCANCEL;

  // The window the boxes are modal to; none until the main window exists.
  void setOwner(HWND owner) noexcept { owner_ = owner; }
  HWND owner() const noexcept { return owner_; }

  void message(const std::wstring& text, const std::wstring& title, MessageStyle style) override;
  std::optional<std::wstring> input(const std::wstring& prompt, const std::wstring& title,
                                    const std::wstring& initial) override;
  std::optional<std::wstring> saveFile(const FileDialogSpec& spec) override;
  std::optional<std::wstring> openFile(const FileDialogSpec& spec) override;

 private:
  HWND owner_ = nullptr;
};

class Win32Folders final : public Folders {
 public:
  // The folder of the running program, without a trailing backslash except at
  // a drive's root ("C:\").
  std::wstring programFolder() override;
  std::wstring systemFolder() override;
  std::wstring windowsFolder() override;
  std::wstring localAppDataFolder() override;
};

// A plain Chinese explanation of a Windows error code: the common ones in the
// program's own words, the rest in the system's.
std::wstring describeSystemError(DWORD code);

// One of each, wired into a Platform.
struct Win32Platform {
  Win32Registry registry;
  Win32Files files;
  Win32Shell shell;
  Win32Dialogs dialogs;
  Win32Folders folders;
  Platform platform{registry, files, shell, dialogs, folders};
};

}  // namespace trova
