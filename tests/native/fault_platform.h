// A platform that fails on purpose: the in-memory registry, files and shell
// behind wrappers that count every call that reads or changes something and
// fail the k-th with the error that call meets on Windows. What a failed call
// would have done does not happen, except that a file append that runs out of
// disk leaves half its bytes behind, as a write cut short does.
#pragma once
#include <string>

#include "platform/memory_platform.h"

namespace trova::test {

class FaultPlan {
 public:
  // Counting runs from arm() to disarm(); call `failAt` (from 1) fails, 0 none.
  void arm(long failAt) {
    counting_ = true;
    calls_ = 0;
    failAt_ = failAt;
    failed_.clear();
  }
  void disarm() { counting_ = false; }
  long calls() const { return calls_; }
  // The call that failed, as "setValue HKEY_…\…\Name", for the test's own messages.
  const std::wstring& failed() const { return failed_; }

  // Counts one call; true when it is the one to fail. `what` names it.
  template <typename Describe>
  bool fails(Describe what) {
    if (!counting_ || ++calls_ != failAt_) return false;
    failed_ = what();
    return true;
  }

 private:
  bool counting_ = false;
  long calls_ = 0, failAt_ = 0;
  std::wstring failed_;
};

class FaultyRegistry final : public Registry {
 public:
  FaultyRegistry(Registry& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
  RegStatus open(RegRoot root, std::wstring_view path, KeyPtr& out) override;
  RegStatus create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created = nullptr) override;

 private:
  Registry& inner_;
  FaultPlan& plan_;
};

class FaultyFiles final : public FileSystem {
 public:
  FaultyFiles(FileSystem& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
  // Whether a file is there and which files a folder holds have no failure of
  // their own to report, so they are passed on uncounted.
  bool exists(const std::wstring& path) override { return inner_.exists(path); }
  std::vector<std::wstring> list(const std::wstring& folder) override { return inner_.list(folder); }
  std::optional<std::string> read(const std::wstring& path, FileResult* why = nullptr) override;
  FileResult replace(const std::wstring& path, const std::string& bytes) override;
  FileResult move(const std::wstring& from, const std::wstring& to) override;
  FileResult copy(const std::wstring& from, const std::wstring& to) override;
  FileResult remove(const std::wstring& path) override;
  FileResult makeFolders(const std::wstring& path) override;
  std::unique_ptr<AppendFile> create(const std::wstring& path, FileResult* why = nullptr) override;

 private:
  FileSystem& inner_;
  FaultPlan& plan_;
};

class FaultyShell final : public Shell {
 public:
  FaultyShell(Shell& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}
  ShellResult open(const std::wstring& target) override;
  ShellResult start(const std::wstring& program, const std::wstring& arguments) override;
  std::wstring expandVariables(const std::wstring& text) override { return inner_.expandVariables(text); }

 private:
  Shell& inner_;
  FaultPlan& plan_;
};

// The in-memory platform and the faulty one over it.
struct FaultPlatform {
  MemoryPlatform inner;
  FaultPlan plan;
  FaultyRegistry registry{inner.registry, plan};
  FaultyFiles files{inner.files, plan};
  FaultyShell shell{inner.shell, plan};
  Platform platform{registry, files, shell, inner.dialogs, inner.folders};
};

}  // namespace trova::test
