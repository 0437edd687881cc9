#include "fault_platform.h"

#include "formats/reg_file.h"

namespace trova::test {

namespace {

// Reads and changes alike fail as a key opened without the right to them does.
constexpr RegStatus kRefused = regerr::AccessDenied;
const std::wstring kDenied = L"拒绝访问";
const std::wstring kNotFound = L"文件不存在";
const std::wstring kDiskFull = L"磁盘空间不足";
const std::wstring kInUse = L"文件正被其他程序使用";

std::wstring join(const std::wstring& path, std::wstring_view sub) {
  return path.empty() ? std::wstring(sub) : path + L"\\" + std::wstring(sub);
}

class FaultyKey final : public RegKey {
 public:
  FaultyKey(KeyPtr inner, std::wstring path, FaultPlan& plan)
      : inner_(std::move(inner)), path_(std::move(path)), plan_(plan) {}

  RegStatus openSubKey(std::wstring_view path, KeyPtr& out) override {
    out.reset();
    if (fails(L"openSubKey", path)) return kRefused;
    return wrap(inner_->openSubKey(path, out), join(path_, path), out);
  }
  RegStatus createSubKey(std::wstring_view path, KeyPtr& out, bool* created = nullptr) override {
    out.reset();
    if (created) *created = false;
    if (fails(L"createSubKey", path)) return kRefused;
    return wrap(inner_->createSubKey(path, out, created), join(path_, path), out);
  }
  RegStatus enumSubKey(std::uint32_t index, std::wstring& name) override {
    return fails(L"enumSubKey", std::to_wstring(index)) ? kRefused : inner_->enumSubKey(index, name);
  }
  RegStatus enumValue(std::uint32_t index, std::wstring& name) override {
    return fails(L"enumValue", std::to_wstring(index)) ? kRefused : inner_->enumValue(index, name);
  }
  RegStatus queryValue(std::wstring_view name, RegValue& out) override {
    return fails(L"queryValue", name) ? kRefused : inner_->queryValue(name, out);
  }
  RegStatus setValue(std::wstring_view name, const RegValue& value) override {
    return fails(L"setValue", name) ? kRefused : inner_->setValue(name, value);
  }
  RegStatus deleteValue(std::wstring_view name) override {
    return fails(L"deleteValue", name) ? kRefused : inner_->deleteValue(name);
  }
  RegStatus deleteSubKey(std::wstring_view name) override {
    return fails(L"deleteSubKey", name) ? kRefused : inner_->deleteSubKey(name);
  }

  // Wraps a key the inner registry handed out, so that its calls count too.
  static RegStatus wrap(RegStatus status, std::wstring path, KeyPtr& out, FaultPlan& plan) {
    if (status == regerr::Ok) out = std::make_unique<FaultyKey>(std::move(out), std::move(path), plan);
    return status;
  }

 private:
  bool fails(const wchar_t* call, std::wstring_view what) {
    return plan_.fails([&] { return std::wstring(call) + L" " + path_ + L" : " + std::wstring(what); });
  }
  RegStatus wrap(RegStatus status, std::wstring path, KeyPtr& out) { return wrap(status, std::move(path), out, plan_); }

  KeyPtr inner_;
  std::wstring path_;
  FaultPlan& plan_;
};

std::wstring fullName(RegRoot root, std::wstring_view path) {
  return rootName(root.hive) + (root.view == RegView::Bits32 ? L"(32)" : L"") + L"\\" + std::wstring(path);
}

// A write cut short by a full disk: the first half of it is on the disk.
class FaultyAppendFile final : public AppendFile {
 public:
  FaultyAppendFile(std::unique_ptr<AppendFile> inner, std::wstring path, FaultPlan& plan)
      : inner_(std::move(inner)), path_(std::move(path)), plan_(plan) {}
  FileResult append(const std::string& bytes) override {
    if (!plan_.fails([&] { return L"append " + path_; })) return inner_->append(bytes);
    inner_->append(bytes.substr(0, bytes.size() / 2));
    return FileResult::failure(kDiskFull);
  }

 private:
  std::unique_ptr<AppendFile> inner_;
  std::wstring path_;
  FaultPlan& plan_;
};

}  // namespace

RegStatus FaultyRegistry::open(RegRoot root, std::wstring_view path, KeyPtr& out) {
  out.reset();
  if (plan_.fails([&] { return L"open " + fullName(root, path); })) return kRefused;
  return FaultyKey::wrap(inner_.open(root, path, out), fullName(root, path), out, plan_);
}

RegStatus FaultyRegistry::create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created) {
  out.reset();
  if (created) *created = false;
  if (plan_.fails([&] { return L"create " + fullName(root, path); })) return kRefused;
  return FaultyKey::wrap(inner_.create(root, path, out, created), fullName(root, path), out, plan_);
}

std::optional<std::string> FaultyFiles::read(const std::wstring& path, FileResult* why) {
  if (!plan_.fails([&] { return L"read " + path; })) return inner_.read(path, why);
  if (why) *why = FileResult::failure(kNotFound);
  return std::nullopt;
}

FileResult FaultyFiles::replace(const std::wstring& path, const std::string& bytes) {
  // A file that is there is held open by some other program; a new one may not be made.
  if (plan_.fails([&] { return L"replace " + path; }))
    return FileResult::failure(inner_.exists(path) ? kInUse : kDenied);
  return inner_.replace(path, bytes);
}

FileResult FaultyFiles::move(const std::wstring& from, const std::wstring& to) {
  if (plan_.fails([&] { return L"move " + from + L" -> " + to; })) return FileResult::failure(kInUse);
  return inner_.move(from, to);
}

FileResult FaultyFiles::copy(const std::wstring& from, const std::wstring& to) {
  if (plan_.fails([&] { return L"copy " + from + L" -> " + to; })) return FileResult::failure(kInUse);
  return inner_.copy(from, to);
}

FileResult FaultyFiles::remove(const std::wstring& path) {
  if (plan_.fails([&] { return L"remove " + path; })) return FileResult::failure(kDenied);
  return inner_.remove(path);
}

FileResult FaultyFiles::makeFolders(const std::wstring& path) {
  if (plan_.fails([&] { return L"makeFolders " + path; })) return FileResult::failure(kDenied);
  return inner_.makeFolders(path);
}

std::unique_ptr<AppendFile> FaultyFiles::create(const std::wstring& path, FileResult* why) {
  if (plan_.fails([&] { return L"create " + path; })) {
    if (why) *why = FileResult::failure(kDenied);
    return nullptr;
  }
  auto file = inner_.create(path, why);
  if (!file) return nullptr;
  return std::make_unique<FaultyAppendFile>(std::move(file), path, plan_);
}

ShellResult FaultyShell::open(const std::wstring& target) {
  if (plan_.fails([&] { return L"shell open " + target; })) return {false, L"找不到打开它的程序"};
  return inner_.open(target);
}

ShellResult FaultyShell::start(const std::wstring& program, const std::wstring& arguments) {
  if (plan_.fails([&] { return L"shell start " + program; })) return {false, L"系统找不到指定的文件"};
  return inner_.start(program, arguments);
}

}  // namespace trova::test
