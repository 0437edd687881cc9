// An in-memory registry for tests. It behaves like Windows where Trova relies on
// it: key and value names compare without regard to case, sub-keys enumerate in
// sorted order and values in creation order, creating a key creates the keys along
// its path, and a key with sub-keys cannot be deleted.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace trova {

class MemoryRegistry final : public Registry {
 public:
  struct Node;
  MemoryRegistry();
  ~MemoryRegistry() override;

  // The 32-bit view's own trees are where Windows keeps them in the 64-bit
  // view (SOFTWARE\Wow6432Node, Wow6432Node\CLSID), so the two views see
  // each other's keys exactly as on Windows.
  RegStatus open(RegRoot root, std::wstring_view path, KeyPtr& out) override;
  RegStatus create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created = nullptr) override;

  // Test conveniences: write through the same rules as a program would.
  void setText(RegRoot root, std::wstring_view path, std::wstring_view name, std::wstring_view text,
               RegType type = RegType::Sz);
  void setDword(RegRoot root, std::wstring_view path, std::wstring_view name, std::uint32_t v);
  void createKey(RegRoot root, std::wstring_view path);
  bool exists(RegRoot root, std::wstring_view path);
  std::optional<RegValue> value(RegRoot root, std::wstring_view path, std::wstring_view name);

  // Makes every change below `path` (key creation, writes, deletes) fail with
  // AccessDenied, as Windows does for a standard user under HKEY_LOCAL_MACHINE.
  void denyWrites(RegRoot root, std::wstring_view path = L"");
  // Counts opens and creates, so tests can see how much a page reads.
  int openCount() const { return opens_; }

 private:
  std::shared_ptr<Node> root(Hive hive);
  std::map<Hive, std::shared_ptr<Node>> roots_;
  int opens_ = 0;
  friend class MemoryKey;
};

}  // namespace trova
