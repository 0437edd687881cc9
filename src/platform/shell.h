// The shell, the standard dialogs and the special folders.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace trova {

struct ShellResult {
  bool ok = true;
  std::wstring reason;  // plain Chinese explanation when !ok
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a document, web address or mail link with its default program.
  virtual ShellResult open(const std::wstring& target) = 0;
  // Starts a program with a command-line argument string.
  virtual ShellResult start(const std::wstring& program, const std::wstring& arguments) = 0;
  // The text with its %VARIABLES% replaced by their values in the program's
  // environment; a name that is not set stays as written.
  virtual std::wstring expandVariables(const std::wstring& text) = 0;
};

enum class MessageStyle { Plain, Information };

struct FileDialogSpec {
  std::vector<std::pair<std::wstring, std::wstring>> filters;  // description, pattern
  std::wstring title;
  std::wstring defaultExtension;
  std::wstring initialFolder;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // An OK-only box; an empty title shows the program's title, "Trova".
  virtual void message(const std::wstring& text, const std::wstring& title, MessageStyle style) = 0;
  // A modal prompt: the typed text (which may be empty), or nothing when the
  // user cancelled.
  virtual std::optional<std::wstring> input(const std::wstring& prompt, const std::wstring& title,
                                            const std::wstring& initial) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::wstring> saveFile(const FileDialogSpec& spec) = 0;
  virtual std::optional<std::wstring> openFile(const FileDialogSpec& spec) = 0;
};

class Folders {
 public:
  virtual ~Folders() = default;
  virtual std::wstring programFolder() = 0;
  virtual std::wstring systemFolder() = 0;
  virtual std::wstring windowsFolder() = 0;
  // The user's local application data (%LOCALAPPDATA%).
  virtual std::wstring localAppDataFolder() = 0;
};

class Registry;
class FileSystem;

// Everything the pages reach outside the window, handed to each page.
struct Platform {
  Registry& registry;
  FileSystem& files;
  Shell& shell;
  Dialogs& dialogs;
  Folders& folders;
  // Files the user names (the exports): written as asked, not part of the
  // change history. Without one given, the same as `files`.
  FileSystem* userFiles = nullptr;
  FileSystem& exports() const { return userFiles ? *userFiles : files; }
};

inline const wchar_t* kProgramTitle = L"Trova";

}  // namespace trova
