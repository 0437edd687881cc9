// In-memory files, a recording shell, scripted dialogs and fixed folders, for tests.
#pragma once
#include <deque>
#include <map>
#include <set>

#include "platform/files.h"
#include "platform/memory_registry.h"
#include "platform/shell.h"

namespace trova {

class MemoryFiles final : public FileSystem {
 public:
  bool exists(const std::wstring& path) override { return files.count(key(path)) != 0; }
  std::optional<std::string> read(const std::wstring& path, FileResult* why) override;
  FileResult replace(const std::wstring& path, const std::string& bytes) override;
  FileResult move(const std::wstring& from, const std::wstring& to) override;
  FileResult copy(const std::wstring& from, const std::wstring& to) override;
  FileResult remove(const std::wstring& path) override;
  FileResult makeFolders(const std::wstring& path) override;
  std::vector<std::wstring> list(const std::wstring& folder) override;
  std::unique_ptr<AppendFile> create(const std::wstring& path, FileResult* why) override;

  // Paths whose writes fail, as a read-only folder or a locked file would, and
  // paths that are there but cannot be read.
  std::set<std::wstring> readOnly, unreadable;
  std::map<std::wstring, std::string> files;  // keyed by the case-folded path
  // Folders exist where a file lies or where makeFolders made one; a
  // folder in `readOnly` cannot be made or written into.
  std::set<std::wstring> folders;
  static std::wstring key(const std::wstring& path);
};

class RecordingShell final : public Shell {
 public:
  ShellResult open(const std::wstring& target) override;
  ShellResult start(const std::wstring& program, const std::wstring& arguments) override;
  std::wstring expandVariables(const std::wstring& text) override;
  std::vector<std::wstring> opened;
  std::map<std::wstring, std::wstring> variables;  // by upper-case name, e.g. L"PROGRAMFILES"
  std::vector<std::pair<std::wstring, std::wstring>> started;
  bool fail = false;  // when set, every call fails as if no program were found
};

class ScriptedDialogs final : public Dialogs {
 public:
  struct Message {
    std::wstring text, title;
    MessageStyle style;
  };
  struct Prompt {
    std::wstring prompt, title, initial;
  };
  void message(const std::wstring& text, const std::wstring& title, MessageStyle style) override {
    messages.push_back({text, title, style});
  }
  std::optional<std::wstring> input(const std::wstring& prompt, const std::wstring& title,
                                    const std::wstring& initial) override;
  std::optional<std::wstring> saveFile(const FileDialogSpec& spec) override;
  std::optional<std::wstring> openFile(const FileDialogSpec& spec) override;

  // Answers handed out in order (nothing = Cancel); an exhausted queue cancels.
  std::deque<std::optional<std::wstring>> inputAnswers;
  std::deque<std::optional<std::wstring>> fileAnswers;
  std::vector<Message> messages;
  std::vector<Prompt> prompts;
  std::vector<FileDialogSpec> fileDialogs;
};

class FixedFolders final : public Folders {
 public:
  std::wstring program = L"C:\\Trova", system = L"C:\\windows\\system32", windows = L"C:\\windows",
               localAppData = L"C:\\users\\user\\AppData\\Local";
  std::wstring programFolder() override { return program; }
  std::wstring systemFolder() override { return system; }
  std::wstring windowsFolder() override { return windows; }
  std::wstring localAppDataFolder() override { return localAppData; }
};

// One of each, wired into a Platform.
struct MemoryPlatform {
  MemoryRegistry registry;
  MemoryFiles files;
  RecordingShell shell;
  ScriptedDialogs dialogs;
  FixedFolders folders;
  Platform platform{registry, files, shell, dialogs, folders};
};

}  // namespace trova
