// The registry and the file system as the pages see them: each change first
// recorded in the change journal, and refused when it cannot be.
#include <optional>

#include "platform/journal.h"
#include "platform/text.h"

namespace trova {

namespace {

std::wstring join(const std::wstring& path, std::wstring_view sub) {
  if (path.empty()) return std::wstring(sub);
  if (sub.empty()) return path;
  return path + L"\\" + std::wstring(sub);
}

// ---- the registry -------------------------------------------------------------------

class JournalingKey final : public RegKey {
 public:
  JournalingKey(Registry& innerRegistry, ChangeJournal& journal, RegRoot root, std::wstring path, KeyPtr inner)
      : registry_(innerRegistry), journal_(journal), root_(root), path_(std::move(path)), inner_(std::move(inner)) {}

  RegStatus openSubKey(std::wstring_view path, KeyPtr& out) override;
  RegStatus createSubKey(std::wstring_view path, KeyPtr& out, bool* created = nullptr) override;
  RegStatus enumSubKey(std::uint32_t index, std::wstring& name) override { return inner_->enumSubKey(index, name); }
  RegStatus enumValue(std::uint32_t index, std::wstring& name) override { return inner_->enumValue(index, name); }
  RegStatus queryValue(std::wstring_view name, RegValue& out) override;
  RegStatus setValue(std::wstring_view name, const RegValue& value) override;
  RegStatus deleteValue(std::wstring_view name) override;
  RegStatus deleteSubKey(std::wstring_view name) override;

 private:
  // What the value holds now (nothing: absent): read once, then as this key
  // last saw or set it. A failed read is returned, and nothing may be changed
  // then: the record would say the value was not there.
  RegStatus current(std::wstring_view name, std::optional<RegValue>& out);
  // The key's name, made when first needed: most keys are only read.
  const JournalKey& keyName() {
    if (!name_) name_.emplace(fullKeyName(root_, path_));
    return *name_;
  }

  Registry& registry_;
  ChangeJournal& journal_;
  RegRoot root_;
  std::wstring path_;
  std::optional<JournalKey> name_;
  KeyPtr inner_;
  std::unordered_map<std::wstring, std::optional<RegValue>> seen_;  // by case-folded name
};

std::wstring foldedName(std::wstring_view name) {
  std::wstring out(name.size(), L'\0');
  for (std::size_t i = 0; i < name.size(); ++i) out[i] = foldCase(name[i]);
  return out;
}

// Opens or creates `path` (below `root`); `innerCreate` makes it. Keys the
// creation will make along the path are recorded before it; the last key, which
// the system alone can tell to be new, with the set's next record.
template <typename Create, typename Open>
RegStatus createRecorded(Registry& registry, ChangeJournal& journal, RegRoot root, const std::wstring& path,
                         const std::wstring& base, Create innerCreate, Open innerOpen, KeyPtr& out, bool* created) {
  out.reset();
  if (created) *created = false;
  if (!journal.recording()) {
    KeyPtr inner;
    const RegStatus s = innerCreate(inner, created);
    if (s == regerr::Ok) out = std::make_unique<JournalingKey>(registry, journal, root, path, std::move(inner));
    return s;
  }
  // The parents to be made: from the nearest one known to exist down.
  std::vector<std::wstring> missing;
  std::wstring parent = path;
  while (parent.size() > base.size()) {
    const std::size_t slash = parent.rfind(L'\\');
    if (slash == std::wstring::npos || slash < base.size()) break;
    parent.erase(slash);
    if (parent.size() <= base.size()) break;
    const JournalKey name(fullKeyName(root, parent));
    if (journal.knownToExist(name)) break;
    const RegStatus probe = innerOpen(parent);
    if (probe == regerr::Ok) {
      journal.noteExists(name);
      break;
    }
    // A key that may be there must not be recorded as made by this set: its
    // undo would delete it.
    if (probe != regerr::FileNotFound) return probe;
    missing.push_back(parent);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!journal.keyCreating(JournalKey(fullKeyName(root, *it)))) return regerr::HistoryUnavailable;
  // The record must be writable before anything is made.
  if (!journal.recordable(fullKeyName(root, path)) || !journal.ready()) return regerr::HistoryUnavailable;
  KeyPtr inner;
  bool made = false;
  const RegStatus s = innerCreate(inner, &made);
  if (s != regerr::Ok) return s;
  if (!missing.empty()) journal.changed();
  auto key = std::make_unique<JournalingKey>(registry, journal, root, path, std::move(inner));
  const JournalKey name(fullKeyName(root, path));
  if (made) {
    // Recorded before the key is handed out, as every change is: the action
    // may end (and say what it did) right after this. A key whose record
    // cannot be written goes again.
    if (!journal.keyCreated(name)) {
      key.reset();
      const std::size_t slash = path.rfind(L'\\');
      KeyPtr parentKey;
      if (registry.open(root, path.substr(0, slash == std::wstring::npos ? 0 : slash), parentKey) == regerr::Ok)
        parentKey->deleteSubKey(path.substr(slash == std::wstring::npos ? 0 : slash + 1));
      return regerr::HistoryUnavailable;
    }
    journal.changed();
  } else {
    journal.noteExists(name);
  }
  if (created) *created = made;
  out = std::move(key);
  return regerr::Ok;
}

RegStatus JournalingKey::openSubKey(std::wstring_view path, KeyPtr& out) {
  out.reset();
  KeyPtr inner;
  const RegStatus s = inner_->openSubKey(path, inner);
  if (s != regerr::Ok) return s;
  auto key = std::make_unique<JournalingKey>(registry_, journal_, root_, join(path_, path), std::move(inner));
  if (journal_.recording()) journal_.noteExists(key->keyName());
  out = std::move(key);
  return regerr::Ok;
}

RegStatus JournalingKey::createSubKey(std::wstring_view path, KeyPtr& out, bool* created) {
  return createRecorded(
      registry_, journal_, root_, join(path_, path), path_,
      [&](KeyPtr& inner, bool* made) { return inner_->createSubKey(path, inner, made); },
      [&](const std::wstring& prefix) {
        KeyPtr probe;
        return inner_->openSubKey(std::wstring_view(prefix).substr(path_.empty() ? 0 : path_.size() + 1), probe);
      },
      out, created);
}

RegStatus JournalingKey::queryValue(std::wstring_view name, RegValue& out) {
  const RegStatus s = inner_->queryValue(name, out);
  if (!journal_.recording()) return s;
  if (s == regerr::Ok) seen_[foldedName(name)] = out;
  else if (s == regerr::FileNotFound) seen_[foldedName(name)] = std::nullopt;
  return s;
}

RegStatus JournalingKey::current(std::wstring_view name, std::optional<RegValue>& out) {
  out.reset();
  if (journal_.createdInSet(keyName())) return regerr::Ok;  // a key made in this set held nothing
  if (auto it = seen_.find(foldedName(name)); it != seen_.end()) {
    out = it->second;
    return regerr::Ok;
  }
  RegValue v;
  const RegStatus s = queryValue(name, v);
  if (s == regerr::Ok) out = std::move(v);
  return s == regerr::FileNotFound ? regerr::Ok : s;
}

RegStatus JournalingKey::setValue(std::wstring_view name, const RegValue& value) {
  if (!journal_.recording()) return inner_->setValue(name, value);
  std::optional<RegValue> before;
  if (const RegStatus unread = current(name, before); unread != regerr::Ok) return unread;
  if (before == value) return regerr::Ok;  // the same type and bytes: no change
  if (!journal_.valueChanging(keyName(), std::wstring(name), before, value)) return regerr::HistoryUnavailable;
  const RegStatus s = inner_->setValue(name, value);
  if (s == regerr::Ok) {
    seen_[foldedName(name)] = value;
    journal_.changed();
  }
  return s;
}

RegStatus JournalingKey::deleteValue(std::wstring_view name) {
  if (!journal_.recording()) return inner_->deleteValue(name);
  std::optional<RegValue> before;
  if (const RegStatus unread = current(name, before); unread != regerr::Ok) return unread;
  if (!before) return inner_->deleteValue(name);  // nothing to delete, nothing to record
  if (!journal_.valueChanging(keyName(), std::wstring(name), before, std::nullopt)) return regerr::HistoryUnavailable;
  const RegStatus s = inner_->deleteValue(name);
  if (s == regerr::Ok) {
    seen_[foldedName(name)] = std::nullopt;
    journal_.changed();
  }
  return s;
}

RegStatus JournalingKey::deleteSubKey(std::wstring_view name) {
  if (!journal_.recording() || name.empty()) return inner_->deleteSubKey(name);
  const JournalKey child(fullKeyName(root_, join(path_, name)));
  std::vector<RegFileValue> values;
  if (!journal_.createdInSet(child)) {
    // Everything the key holds goes into the record, or nothing is deleted.
    KeyPtr doomed;
    RegStatus s = inner_->openSubKey(name, doomed);
    if (s == regerr::FileNotFound) return inner_->deleteSubKey(name);  // nothing there to record
    if (s != regerr::Ok) return s;
    std::wstring n;
    // A key with keys of its own is refused anyway; nothing to record then.
    if (doomed->enumSubKey(0, n) == regerr::Ok) return inner_->deleteSubKey(name);
    std::uint32_t i = 0;
    for (; (s = doomed->enumValue(i, n)) == regerr::Ok; ++i) {
      RegValue v;
      const RegStatus unread = doomed->queryValue(n, v);
      if (unread == regerr::Ok) values.push_back({n, v});
      else if (unread != regerr::FileNotFound) return unread;  // gone meanwhile: nothing to keep
    }
    if (s != regerr::NoMoreItems) return s;
  }
  if (!journal_.keyDeleting(child, values)) return regerr::HistoryUnavailable;
  const RegStatus s = inner_->deleteSubKey(name);
  if (s == regerr::Ok) {
    journal_.changed();
    journal_.noteGone(child);
  }
  return s;
}

}  // namespace

RegStatus JournalingRegistry::open(RegRoot root, std::wstring_view path, KeyPtr& out) {
  out.reset();
  KeyPtr inner;
  const RegStatus s = inner_.open(root, path, inner);
  if (s != regerr::Ok) return s;
  auto key = std::make_unique<JournalingKey>(inner_, journal_, root, std::wstring(path), std::move(inner));
  if (journal_.recording()) journal_.noteExists(JournalKey(fullKeyName(root, path)));
  out = std::move(key);
  return regerr::Ok;
}

RegStatus JournalingRegistry::create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created) {
  return createRecorded(
      inner_, journal_, root, std::wstring(path), L"",
      [&](KeyPtr& inner, bool* made) { return inner_.create(root, path, inner, made); },
      [&](const std::wstring& prefix) {
        KeyPtr probe;
        return inner_.open(root, prefix, probe);
      },
      out, created);
}

// ---- files --------------------------------------------------------------------------

bool JournalingFiles::record(const std::wstring& path, const std::optional<std::string>& after, FileResult& why) {
  std::optional<std::string> before;
  if (inner_.exists(path)) {
    FileResult unread;
    before = inner_.read(path, &unread);
    if (!before) {
      why = FileResult::failure(L"无法读取原文件以备撤销: " + unread.reason);
      return false;
    }
  }
  if (!journal_.fileChanging(path, before, after)) {
    why = FileResult::failure(L"无法写入更改记录: " + journal_.failure());
    return false;
  }
  return true;
}

FileResult JournalingFiles::replace(const std::wstring& path, const std::string& bytes) {
  if (!journal_.recording()) return inner_.replace(path, bytes);
  FileResult why;
  if (!record(path, bytes, why)) return why;
  FileResult done = inner_.replace(path, bytes);
  if (done) journal_.changed();
  return done;
}

FileResult JournalingFiles::move(const std::wstring& from, const std::wstring& to) {
  if (!journal_.recording()) return inner_.move(from, to);
  FileResult why;
  const auto bytes = inner_.read(from, &why);
  if (!bytes) return why;
  if (!record(to, bytes, why) || !record(from, std::nullopt, why)) return why;
  FileResult done = inner_.move(from, to);
  if (done) journal_.changed();
  return done;
}

FileResult JournalingFiles::copy(const std::wstring& from, const std::wstring& to) {
  if (!journal_.recording()) return inner_.copy(from, to);
  FileResult why;
  const auto bytes = inner_.read(from, &why);
  if (!bytes) return why;
  if (!record(to, bytes, why)) return why;
  FileResult done = inner_.copy(from, to);
  if (done) journal_.changed();
  return done;
}

FileResult JournalingFiles::remove(const std::wstring& path) {
  if (!journal_.recording() || !inner_.exists(path)) return inner_.remove(path);
  FileResult why;
  if (!record(path, std::nullopt, why)) return why;
  FileResult done = inner_.remove(path);
  if (done) journal_.changed();
  return done;
}

std::unique_ptr<AppendFile> JournalingFiles::create(const std::wstring& path, FileResult* why) {
  // Only the history itself writes this way, through the real file system.
  return inner_.create(path, why);
}

}  // namespace trova
