// A platform that fails on purpose: the in-memory registry, files and shell
// behind wrappers that count every call that reads or changes something and
// fail the k-th with the error that call meets on Windows. A failed call does
// nothing, except that an append cut short by a full disk leaves half its bytes.
#pragma once
#include "platform/memory_platform.h"

namespace trova::test {

struct FaultPlan {
  bool counting = false;
  long calls = 0, failAt = 0;
  const wchar_t* failed = L"";  // the call that failed
  // Counting runs from arm() to disarm(); call `k` (from 1) fails, 0 none.
  void arm(long k) { *this = {true, 0, k}; }
  void disarm() { counting = false; }
};

struct Counted {
  FaultPlan& plan;
  // Counts one call; true when it is the one to fail.
  bool fails(const wchar_t* call) {
    if (!plan.counting || ++plan.calls != plan.failAt) return false;
    plan.failed = call;
    return true;
  }
};

// Reads and changes alike fail as on a key opened without the right to them.
constexpr RegStatus kNo = regerr::AccessDenied;

struct FaultyKey final : RegKey, Counted {
  KeyPtr in;
  FaultyKey(KeyPtr key, FaultPlan& fp) : Counted{fp}, in(std::move(key)) {}
  // Wraps a key the inner registry handed out, so that its calls count too.
  static RegStatus wrap(RegStatus s, KeyPtr& out, FaultPlan& fp) {
    if (s == regerr::Ok) out = std::make_unique<FaultyKey>(std::move(out), fp);
    return s;
  }
  RegStatus openSubKey(std::wstring_view p, KeyPtr& out) override {
    out.reset();
    return fails(L"openSubKey") ? kNo : wrap(in->openSubKey(p, out), out, plan);
  }
  RegStatus createSubKey(std::wstring_view p, KeyPtr& out, bool* made = nullptr) override {
    out.reset();
    if (made) *made = false;
    return fails(L"createSubKey") ? kNo : wrap(in->createSubKey(p, out, made), out, plan);
  }
  RegStatus enumSubKey(std::uint32_t i, std::wstring& n) override { return fails(L"enumSubKey") ? kNo : in->enumSubKey(i, n); }
  RegStatus enumValue(std::uint32_t i, std::wstring& n) override { return fails(L"enumValue") ? kNo : in->enumValue(i, n); }
  RegStatus queryValue(std::wstring_view n, RegValue& v) override { return fails(L"queryValue") ? kNo : in->queryValue(n, v); }
  RegStatus setValue(std::wstring_view n, const RegValue& v) override { return fails(L"setValue") ? kNo : in->setValue(n, v); }
  RegStatus deleteValue(std::wstring_view n) override { return fails(L"deleteValue") ? kNo : in->deleteValue(n); }
  RegStatus deleteSubKey(std::wstring_view n) override { return fails(L"deleteSubKey") ? kNo : in->deleteSubKey(n); }
};

struct FaultyRegistry final : Registry, Counted {
  Registry& in;
  FaultyRegistry(Registry& inner, FaultPlan& fp) : Counted{fp}, in(inner) {}
  RegStatus open(RegRoot root, std::wstring_view p, KeyPtr& out) override {
    out.reset();
    return fails(L"open") ? kNo : FaultyKey::wrap(in.open(root, p, out), out, plan);
  }
  RegStatus create(RegRoot root, std::wstring_view p, KeyPtr& out, bool* made = nullptr) override {
    out.reset();
    if (made) *made = false;
    return fails(L"create") ? kNo : FaultyKey::wrap(in.create(root, p, out, made), out, plan);
  }
};

// A file that is there is held open by another program; a new one may not be made.
struct FaultyFiles final : FileSystem, Counted {
  FileSystem& in;
  FaultyFiles(FileSystem& inner, FaultPlan& fp) : Counted{fp}, in(inner) {}
  static FileResult no(const wchar_t* why) { return FileResult::failure(why); }
  // Whether a file is there and what a folder holds have no failure of their own: uncounted.
  bool exists(const std::wstring& p) override { return in.exists(p); }
  std::vector<std::wstring> list(const std::wstring& folder) override { return in.list(folder); }
  std::optional<std::string> read(const std::wstring& p, FileResult* why = nullptr) override {
    if (!fails(L"read")) return in.read(p, why);
    if (why) *why = no(L"文件不存在");
    return std::nullopt;
  }
  FileResult replace(const std::wstring& p, const std::string& bytes) override {
    return fails(L"replace") ? no(in.exists(p) ? L"文件正被其他程序使用" : L"拒绝访问") : in.replace(p, bytes);
  }
  FileResult move(const std::wstring& a, const std::wstring& b) override {
    return fails(L"move") ? no(L"文件正被其他程序使用") : in.move(a, b);
  }
  FileResult copy(const std::wstring& a, const std::wstring& b) override {
    return fails(L"copy") ? no(L"文件正被其他程序使用") : in.copy(a, b);
  }
  FileResult remove(const std::wstring& p) override { return fails(L"remove") ? no(L"拒绝访问") : in.remove(p); }
  FileResult makeFolders(const std::wstring& p) override {
    return fails(L"makeFolders") ? no(L"拒绝访问") : in.makeFolders(p);
  }
  std::unique_ptr<AppendFile> create(const std::wstring& p, FileResult* why = nullptr) override {
    if (fails(L"create")) {
      if (why) *why = no(L"拒绝访问");
      return nullptr;
    }
    auto file = in.create(p, why);
    return file ? std::make_unique<Append>(std::move(file), plan) : nullptr;
  }
  // A write cut short by a full disk: the first half of it is on the disk.
  struct Append final : AppendFile, Counted {
    std::unique_ptr<AppendFile> in;
    Append(std::unique_ptr<AppendFile> file, FaultPlan& fp) : Counted{fp}, in(std::move(file)) {}
    FileResult append(const std::string& bytes) override {
      if (!fails(L"append")) return in->append(bytes);
      in->append(bytes.substr(0, bytes.size() / 2));
      return no(L"磁盘空间不足");
    }
  };
};

struct FaultyShell final : Shell, Counted {
  Shell& in;
  FaultyShell(Shell& inner, FaultPlan& fp) : Counted{fp}, in(inner) {}
  ShellResult open(const std::wstring& t) override {
    return fails(L"open") ? ShellResult{false, L"找不到打开它的程序"} : in.open(t);
  }
  ShellResult start(const std::wstring& program, const std::wstring& args) override {
    return fails(L"start") ? ShellResult{false, L"系统找不到指定的文件"} : in.start(program, args);
  }
  std::wstring expandVariables(const std::wstring& text) override { return in.expandVariables(text); }
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
