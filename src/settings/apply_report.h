// What one press of an "应用" button could not change. The press goes on with
// the other settings after a failure and then says once what failed and why,
// so that a success message is shown only when every change was made.
#pragma once
#include <string>
#include <vector>

#include "platform/registry.h"

namespace trova {

class ApplyReport {
 public:
  // Notes the result of a change to the setting called `what`; true when it
  // was made.
  bool note(RegStatus status, const std::wstring& what);
  // The same for a delete: a value or key that is already absent is deleted.
  bool noteDelete(RegStatus status, const std::wstring& what);
  // A failure that has no registry code, with its own reason.
  void fail(const std::wstring& what, const std::wstring& why);
  // One value, named in the message by its key and name: set unless it already
  // holds `value` (its key and the key's parents made when missing), or
  // removed when it is there (the key never made).
  void write(Registry& registry, RegRoot root, const std::wstring& key, const std::wstring& name,
             const RegValue& value);
  void remove(Registry& registry, RegRoot root, const std::wstring& key, const std::wstring& name);
  bool succeeded() const { return failures_.empty(); }
  // One text for the message box: each reason once, after the settings it
  // kept from being changed.
  std::wstring failureText() const;

 private:
  struct Failure {
    std::wstring what, why;
  };
  std::vector<Failure> failures_;
};

// Writes `value` unless the value already holds exactly that (type and data):
// a setting the user left alone is not rewritten, so it cannot fail either.
RegStatus writeIfChanged(RegKey& key, std::wstring_view name, const RegValue& value);

}  // namespace trova
