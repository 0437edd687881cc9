// A window over a platform that fails on purpose, on the machine a 64-bit Windows is: the in-memory
// registry, files and shell behind wrappers that count every call that reads or changes something and
// fail the k-th with the error that call meets on Windows. A failed call does nothing, except that an
// append cut short by a full disk leaves half its bytes.
#pragma once
#include <stdexcept>

#include "app/form1.h"
#include "app/memory_control_set.h"
#include "platform/memory_platform.h"
#include "platform/text.h"

namespace trova::test {

// Counting runs from arm() to disarm(); call `k` (from 1) fails, 0 none.
struct FaultPlan {
  bool counting = false;
  long calls = 0, failAt = 0;
  const wchar_t* failed = L"";  // the call that failed
  void arm(long k) { *this = {true, 0, k}; }
  void disarm() { counting = false; }
  // Counts one call; true when it is the one to fail.
  bool fails(const wchar_t* call) {
    if (!counting || ++calls != failAt) return false;
    failed = call;
    return true;
  }
};

// Reads and changes alike fail as on a key opened without the right to them.
constexpr RegStatus kNo = regerr::AccessDenied;
constexpr const wchar_t *kBusy = L"文件正被其他程序使用", *kDenied = L"拒绝访问";
// A wrapper of `in` as a `Base`: of an object it owns (a key, a file) or of one it is handed.
template <class Base, class Inner = Base> struct Faulty : Base {
  std::unique_ptr<Inner> owned;
  Inner& in;
  FaultPlan& plan;
  Faulty(Inner& inner, FaultPlan& fp) : in(inner), plan(fp) {}
  Faulty(std::unique_ptr<Inner> inner, FaultPlan& fp) : owned(std::move(inner)), in(*owned), plan(fp) {}
};
// The call to `in` by that name, or, when the plan makes it fail, `failure`.
#define TROVA_FAIL_OR(call, failure, ...) (plan.fails(L## #call) ? (failure) : in.call(__VA_ARGS__))
struct FaultyKey final : Faulty<RegKey> {
  using Faulty::Faulty;
  // The key opened or created, wrapped so that its calls count too; a failure leaves none.
  static RegStatus wrap(RegStatus s, KeyPtr& out, FaultPlan& plan, bool* made = nullptr) {
    if (s != regerr::Ok && made) *made = false;
    out = s == regerr::Ok ? std::make_unique<FaultyKey>(std::move(out), plan) : nullptr;
    return s;
  }
  RegStatus openSubKey(std::wstring_view p, KeyPtr& out) override {
    return wrap(TROVA_FAIL_OR(openSubKey, kNo, p, out), out, plan);
  }
  RegStatus createSubKey(std::wstring_view p, KeyPtr& out, bool* made = nullptr) override {
    return wrap(TROVA_FAIL_OR(createSubKey, kNo, p, out, made), out, plan, made);
  }
  RegStatus enumSubKey(std::uint32_t i, std::wstring& n) override { return TROVA_FAIL_OR(enumSubKey, kNo, i, n); }
  RegStatus enumValue(std::uint32_t i, std::wstring& n) override { return TROVA_FAIL_OR(enumValue, kNo, i, n); }
  RegStatus queryValue(std::wstring_view n, RegValue& v) override { return TROVA_FAIL_OR(queryValue, kNo, n, v); }
  RegStatus setValue(std::wstring_view n, const RegValue& v) override { return TROVA_FAIL_OR(setValue, kNo, n, v); }
  RegStatus deleteValue(std::wstring_view n) override { return TROVA_FAIL_OR(deleteValue, kNo, n); }
  RegStatus deleteSubKey(std::wstring_view n) override { return TROVA_FAIL_OR(deleteSubKey, kNo, n); }
};
struct FaultyRegistry final : Faulty<Registry> {
  using Faulty::Faulty;
  RegStatus open(RegRoot root, std::wstring_view p, KeyPtr& out) override {
    return FaultyKey::wrap(TROVA_FAIL_OR(open, kNo, root, p, out), out, plan);
  }
  RegStatus create(RegRoot root, std::wstring_view p, KeyPtr& out, bool* made = nullptr) override {
    return FaultyKey::wrap(TROVA_FAIL_OR(create, kNo, root, p, out, made), out, plan, made);
  }
};

// A file that is there is held open by another program; a new one may not be made. Whether a file is
// there and what a folder holds have no failure of their own: uncounted.
struct FaultyFiles final : Faulty<FileSystem> {
  using Faulty::Faulty;
  static FileResult no(const wchar_t* why) { return FileResult::failure(why); }
  bool exists(const std::wstring& p) override { return in.exists(p); }
  std::vector<std::wstring> list(const std::wstring& folder) override { return in.list(folder); }
  std::optional<std::string> read(const std::wstring& p, FileResult* why = nullptr) override {
    if (!plan.fails(L"read")) return in.read(p, why);
    if (why) *why = no(L"文件不存在");
    return std::nullopt;
  }
  FileResult replace(const std::wstring& p, const std::string& bytes) override {
    return TROVA_FAIL_OR(replace, no(in.exists(p) ? kBusy : kDenied), p, bytes);
  }
  FileResult move(const std::wstring& a, const std::wstring& b) override { return TROVA_FAIL_OR(move, no(kBusy), a, b); }
  FileResult copy(const std::wstring& a, const std::wstring& b) override { return TROVA_FAIL_OR(copy, no(kBusy), a, b); }
  FileResult remove(const std::wstring& p) override { return TROVA_FAIL_OR(remove, no(kDenied), p); }
  FileResult makeFolders(const std::wstring& p) override { return TROVA_FAIL_OR(makeFolders, no(kDenied), p); }
  // A write cut short by a full disk: the first half of it is on the disk.
  struct Append final : Faulty<AppendFile> {
    using Faulty::Faulty;
    FileResult append(const std::string& bytes) override {
      if (!plan.fails(L"append")) return in.append(bytes);
      in.append(bytes.substr(0, bytes.size() / 2));
      return no(L"磁盘空间不足");
    }
  };
  std::unique_ptr<AppendFile> create(const std::wstring& p, FileResult* why = nullptr) override {
    if (plan.fails(L"create")) {
      if (why) *why = no(kDenied);
      return nullptr;
    }
    auto file = in.create(p, why);
    return file ? std::make_unique<Append>(std::move(file), plan) : nullptr;
  }
};
struct FaultyShell final : Faulty<Shell> {
  using Faulty::Faulty;
  static ShellResult no(const wchar_t* why) { return {false, why}; }
  ShellResult open(const std::wstring& t) override { return TROVA_FAIL_OR(open, no(L"找不到打开它的程序"), t); }
  ShellResult start(const std::wstring& program, const std::wstring& args) override {
    return TROVA_FAIL_OR(start, no(L"系统找不到指定的文件"), program, args);
  }
  std::wstring expandVariables(const std::wstring& text) override { return in.expandVariables(text); }
};
#undef TROVA_FAIL_OR

struct FaultPlatform {
  MemoryPlatform inner;
  FaultPlan plan;
  FaultyRegistry registry{inner.registry, plan};
  FaultyFiles files{inner.files, plan};
  FaultyShell shell{inner.shell, plan};
  Platform platform{registry, files, shell, inner.dialogs, inner.folders};
};
struct Scene {
  FaultPlatform fp;
  MemoryControlSet ui;
  Form1 form{fp.platform, ui, [] { return std::wstring(L"2026-12-07 10:30:05"); }};

  Scene() { reg().createKey(Hive::LocalMachine, L"SOFTWARE\\Wow6432Node"); }
  MemoryRegistry& reg() { return fp.inner.registry; }
  MemoryFiles& files() { return fp.inner.files; }
  ScriptedDialogs& dialogs() { return fp.inner.dialogs; }
  // Start-up, then the main tab `tab` (from 1) picked; the catalogue and its 782 rows, which take most
  // of the time, only for the immunity page, the one that reads them.
  void open(int tab) {
    for (const auto& step : form.routes().startup)
      if (tab == 1 || (step.step != StartupStep::KnownControls && step.step != StartupStep::ImmunityLists)) step.run();
    pickTab(tab);
  }
  void pickTab(int tab) {
    ui.tabs(L"TabStrip_cjmy").setCurrent(tab - 1);
    form.Click(L"TabStrip_cjmy");
  }
  // The row of the list whose column reads `text`; a set-up that names no row throws.
  int row(const std::wstring& list, int column, const std::wstring& text) {
    ListView& l = ui.listView(list);
    for (int r = 0; r < l.rowCount(); ++r)
      if (l.cell(r, column) == text) return r;
    throw std::logic_error("the set-up names a row that is not listed: " + toUtf8(text));
  }
  void select(const std::wstring& list, int column, const std::wstring& text) {
    ui.listView(list).selectRow(row(list, column, text));
  }
  void tick(const std::wstring& list, int column, const std::wstring& text, bool on = true) {
    ui.listView(list).setChecked(row(list, column, text), on);
  }
};

}  // namespace trova::test
