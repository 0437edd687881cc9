// The change history's recorder. The registry and the file system the pages
// see are these decorators: every registry write, value delete, key delete and
// key creation, and every file replace, move, copy and removal, first records
// the state it is about to change, in the change set of the user action under
// way (one button press or menu command). Without a record there is no change:
// when the record cannot be written, the change is refused as failed.
//
// A change set is one registry file in the history folder (see
// formats/history_file.h), written piece by piece before each change, plus a
// copy of every file it replaced. A set that changed nothing leaves nothing.
// The newest kKeptChangeSets sets are kept; older ones go when a new one starts.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <string>
#include <vector>

#include "formats/reg_file.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace trova {

inline constexpr std::size_t kKeptChangeSets = 100;

// A key as the journal knows it: its full name ("HKEY_…\\…", the 64-bit view's
// spelling) and that name case-folded, both made once per opened key.
struct JournalKey {
  std::wstring full, folded;
  explicit JournalKey(std::wstring name);
};

class ChangeJournal {
 public:
  // `files` is the real file system (the history is not itself recorded);
  // `folder` the history folder; `clock` gives the time as "YYYY-MM-DD hh:mm:ss".
  ChangeJournal(FileSystem& files, std::wstring folder, std::function<std::wstring()> clock);
  ~ChangeJournal();
  ChangeJournal(const ChangeJournal&) = delete;
  ChangeJournal& operator=(const ChangeJournal&) = delete;

  // One user action. Changes outside begin/end are not recorded.
  void begin(const std::wstring& label);
  void end();
  bool recording() const { return open_; }
  // Starts the set's record if it has none yet; false when it cannot be written.
  bool ready() { return start(); }
  const std::wstring& folder() const { return folder_; }
  // Why the last record could not be written (for the user).
  const std::wstring& failure() const { return failure_; }

  // ---- what the decorators call before a change. Each returns false when the
  // record could not be written: the change must not happen then.
  bool valueChanging(const JournalKey& key, const std::wstring& name, const std::optional<RegValue>& before,
                     const std::optional<RegValue>& after);
  // False (with the reason noted) when a name cannot be recorded: the change
  // must not happen then, though the set stays usable.
  bool recordable(std::wstring_view keyName, std::wstring_view valueName = {});
  // A key a creation is about to make (a parent along the path).
  bool keyCreating(const JournalKey& key);
  // A key a creation just made, which only the system could tell; false when
  // its record could not be written (the key must go again then).
  bool keyCreated(const JournalKey& key);
  bool keyDeleting(const JournalKey& key, const std::vector<RegFileValue>& values);
  bool fileChanging(const std::wstring& path, const std::optional<std::string>& before,
                    const std::optional<std::string>& after);
  // A change was made (so the set is worth keeping).
  void changed() { changed_ = true; }

  // What the set under way knows of a key: made by it (its values had none
  // before), or known to exist (its parents need no look).
  bool createdInSet(const JournalKey& key) const;
  bool knownToExist(const JournalKey& key) const;
  void noteExists(const JournalKey& key);
  void noteGone(const JournalKey& key);

 private:
  struct KeyState {
    bool known = false;     // exists, as far as this set saw
    bool created = false;   // made by this set: its values held nothing before
    bool recorded = false;  // its existence before this set is in the record
    std::unordered_set<std::wstring> values;  // case-folded names recorded
  };
  bool start();
  // Writes the record of a key made just now, with `bytes` after it.
  bool append(const std::string& bytes);
  void prune();
  KeyState& state(const JournalKey& key) { return keys_[key.folded]; }

  FileSystem& files_;
  std::wstring folder_;
  std::function<std::wstring()> clock_;
  bool open_ = false, started_ = false, changed_ = false, broken_ = false;
  std::wstring label_, id_, failure_;
  std::unique_ptr<AppendFile> record_;
  std::vector<std::wstring> copies_;
  std::unordered_map<std::wstring, KeyState> keys_;
  std::unordered_set<std::wstring> files_recorded_;
};

// The registry through the journal.
class JournalingRegistry final : public Registry {
 public:
  JournalingRegistry(Registry& inner, ChangeJournal& journal) : inner_(inner), journal_(journal) {}
  RegStatus open(RegRoot root, std::wstring_view path, KeyPtr& out) override;
  RegStatus create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created = nullptr) override;

 private:
  Registry& inner_;
  ChangeJournal& journal_;
};

// The file system through the journal.
class JournalingFiles final : public FileSystem {
 public:
  JournalingFiles(FileSystem& inner, ChangeJournal& journal) : inner_(inner), journal_(journal) {}
  bool exists(const std::wstring& path) override { return inner_.exists(path); }
  std::optional<std::string> read(const std::wstring& path, FileResult* why = nullptr) override {
    return inner_.read(path, why);
  }
  FileResult replace(const std::wstring& path, const std::string& bytes) override;
  FileResult move(const std::wstring& from, const std::wstring& to) override;
  FileResult copy(const std::wstring& from, const std::wstring& to) override;
  FileResult remove(const std::wstring& path) override;
  FileResult makeFolders(const std::wstring& path) override { return inner_.makeFolders(path); }
  std::vector<std::wstring> list(const std::wstring& folder) override { return inner_.list(folder); }
  std::unique_ptr<AppendFile> create(const std::wstring& path, FileResult* why = nullptr) override;

 private:
  // Records what `path` holds now and will hold after; false (with `why`) when it cannot.
  bool record(const std::wstring& path, const std::optional<std::string>& after, FileResult& why);
  FileSystem& inner_;
  ChangeJournal& journal_;
};

// The local time now, as the history writes it: "2026-12-07 10:30:05".
std::wstring currentLocalTime();

// The full name of a key as registry files and the history write it: the root's
// name and the path as the 64-bit view sees it.
std::wstring fullKeyName(const RegRoot& root, std::wstring_view path);

}  // namespace trova
