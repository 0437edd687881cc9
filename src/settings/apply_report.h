// One press of an "应用" button makes many registry changes; the user gets one
// message about all of them. A change that is already in place (the value
// holds what would be written, or a value to remove is not there) is no
// change and cannot fail.
#pragma once
#include <string>
#include <vector>

#include "platform/registry.h"

namespace trova {

class ApplyReport {
 public:
  explicit ApplyReport(Registry& registry) : registry_(registry) {}

  // Sets the value (`name` "" = the default value), creating the key and its
  // parents when missing; a value that already holds `value` is left alone.
  void write(Hive hive, const std::wstring& key, const std::wstring& name, const RegValue& value);
  // Removes the value when it is there; the key is never created.
  void remove(Hive hive, const std::wstring& key, const std::wstring& name);

  bool succeeded() const { return failures_.empty(); }
  // `success` when every change was made, otherwise each failure and its reason.
  std::wstring message(const std::wstring& success) const;

 private:
  void fail(const wchar_t* action, Hive hive, const std::wstring& key, const std::wstring& name, RegStatus why);

  Registry& registry_;
  std::vector<std::wstring> failures_;
};

}  // namespace trova
