#include "platform/journal.h"

#include <algorithm>
#include <optional>
#include <ctime>
#include <cwchar>

#include "formats/history_file.h"
#include "platform/text.h"

namespace trova {

namespace {

std::wstring join(const std::wstring& path, std::wstring_view sub) {
  if (path.empty()) return std::wstring(sub);
  if (sub.empty()) return path;
  return path + L"\\" + std::wstring(sub);
}

// "2026-12-07 10:30:05" -> "20261207-103005"
std::wstring idFromTime(const std::wstring& time) {
  std::wstring id;
  for (wchar_t c : time) {
    if (c >= L'0' && c <= L'9') id.push_back(c);
    if (id.size() == 8 && (c == L' ' || c == L'T')) id.push_back(L'-');
  }
  return id.empty() ? L"change" : id;
}

}  // namespace

std::wstring currentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  wchar_t text[32];
  std::wcsftime(text, 32, L"%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::wstring fullKeyName(const RegRoot& root, std::wstring_view path) {
  const std::wstring inView = pathIn64BitView(root, path);
  return inView.empty() ? rootName(root.hive) : rootName(root.hive) + L"\\" + inView;
}

// ---- ChangeJournal ----------------------------------------------------------------

namespace {
std::wstring foldedText(std::wstring_view s) {
  std::wstring out(s.size(), L'\0');
  for (std::size_t i = 0; i < s.size(); ++i) out[i] = foldCase(s[i]);
  return out;
}
}  // namespace

JournalKey::JournalKey(std::wstring name) : full(std::move(name)), folded(foldedText(full)) {}

ChangeJournal::ChangeJournal(FileSystem& files, std::wstring folder, std::function<std::wstring()> clock)
    : files_(files), folder_(std::move(folder)), clock_(std::move(clock)) {}

ChangeJournal::~ChangeJournal() {
  if (open_) end();
}

void ChangeJournal::begin(const std::wstring& label) {
  if (open_) end();
  open_ = true;
  started_ = changed_ = broken_ = false;
  label_ = label;
  failure_.clear();
  copies_.clear();
  keys_.clear();
  files_recorded_.clear();
}

void ChangeJournal::end() {
  if (!open_) return;
  open_ = false;
  record_.reset();
  if (!started_ || changed_) return;
  // Recorded, but nothing was changed after all: no entry.
  files_.remove(joinPath(folder_, id_ + L".reg"));
  for (const auto& copy : copies_) files_.remove(joinPath(folder_, copy));
}

bool ChangeJournal::start() {
  if (!open_) return true;
  if (broken_) return false;
  if (started_) return true;
  const auto refuse = [this](const std::wstring& why) {
    broken_ = true;
    failure_ = why;
    noteHistoryFailure(why);
    return false;
  };
  if (FileResult made = files_.makeFolders(folder_); !made) return refuse(made.reason);
  const std::wstring time = clock_();
  const std::wstring base = idFromTime(time);
  FileResult why;
  for (int n = 1; n < 1000 && !record_; ++n) {
    // The names sort as the sets were made, also within one second.
    wchar_t sequence[8];
    std::swprintf(sequence, 8, L"-%03d", n);
    id_ = base + sequence;
    why = {};
    record_ = files_.create(joinPath(folder_, id_ + L".reg"), &why);
    if (!record_ && !files_.exists(joinPath(folder_, id_ + L".reg"))) break;  // not a name clash
  }
  if (!record_) return refuse(why.reason.empty() ? std::wstring(L"无法创建记录文件") : why.reason);
  started_ = true;
  prune();
  return append(historyHeader(label_, time));
}

bool ChangeJournal::append(const std::string& bytes) {
  FileResult written = record_ ? record_->append(bytes) : FileResult::failure(L"无法创建记录文件");
  if (!written) {
    broken_ = true;
    failure_ = written.reason;
    noteHistoryFailure(failure_);
  }
  return static_cast<bool>(written);
}

void ChangeJournal::prune() {
  std::vector<std::wstring> sets;
  const auto names = files_.list(folder_);
  for (const auto& name : names)
    if (name.size() > 4 && equalsNoCase(std::wstring_view(name).substr(name.size() - 4), L".reg")) sets.push_back(name);
  if (sets.size() <= kKeptChangeSets) return;  // the set being started is among them
  std::sort(sets.begin(), sets.end());  // the names begin with the time
  for (std::size_t i = 0; i + kKeptChangeSets < sets.size(); ++i) {
    const std::wstring id = sets[i].substr(0, sets[i].size() - 4);
    if (equalsNoCase(id, id_)) continue;
    files_.remove(joinPath(folder_, sets[i]));
    for (const auto& name : names)
      if (name.rfind(id + L".", 0) == 0 && name != sets[i]) files_.remove(joinPath(folder_, name));
  }
}

bool ChangeJournal::valueChanging(const JournalKey& key, const std::wstring& name,
                                  const std::optional<RegValue>& before, const std::optional<RegValue>& after) {
  if (!open_) return true;
  if (!start()) return false;
  KeyState& k = state(key);
  if (k.created || !k.values.insert(foldedText(name)).second)
    return append(historyValueAfter(key.full, name, after));
  return append(historyValue(key.full, name, before, after));
}

bool ChangeJournal::keyCreating(const JournalKey& key) {
  if (!open_) return true;
  if (!start()) return false;
  KeyState& k = state(key);
  k.known = true;
  if (k.recorded) return append(historyKeyAfter(key.full, true));  // deleted earlier in this set
  k.recorded = k.created = true;
  return append(historyKeyCreated(key.full));
}

bool ChangeJournal::keyCreated(const JournalKey& key) {
  if (!open_) return true;
  KeyState& k = state(key);
  k.known = true;
  const std::string record = k.recorded ? historyKeyAfter(key.full, true) : historyKeyCreated(key.full);
  k.recorded = k.created = true;
  return append(record);
}

bool ChangeJournal::keyDeleting(const JournalKey& key, const std::vector<RegFileValue>& values) {
  if (!open_) return true;
  KeyState& k = state(key);
  // Deleting a key this set made puts it back as the record says it was, so
  // an action may take back its own key also when nothing more can be recorded.
  if (!start()) return k.created;
  if (k.recorded) return append(historyKeyAfter(key.full, false)) || k.created;
  k.recorded = true;
  // Values whose earlier state this set already holds keep that state.
  std::vector<RegFileValue> unrecorded;
  for (const auto& v : values)
    if (k.values.insert(foldedText(v.name)).second) unrecorded.push_back(v);
  return append(historyKeyDeleted(key.full, unrecorded));
}

bool ChangeJournal::fileChanging(const std::wstring& path, const std::optional<std::string>& before,
                                 const std::optional<std::string>& after) {
  if (!open_) return true;
  if (!start()) return false;
  const std::optional<FileDigest> digest = after ? std::optional<FileDigest>(digestOf(*after)) : std::nullopt;
  if (!files_recorded_.insert(foldedText(path)).second) return append(historyFile(path, L"", digest));
  std::wstring copy;
  if (before) {
    copy = id_ + L"." + std::to_wstring(copies_.size() + 1) + L".bak";
    FileResult why;
    auto out = files_.create(joinPath(folder_, copy), &why);
    if (out) why = out->append(*before);
    if (!out || !why) {
      out.reset();
      files_.remove(joinPath(folder_, copy));
      broken_ = true;
      failure_ = why.reason;
      noteHistoryFailure(failure_);
      return false;
    }
    copies_.push_back(copy);
  }
  return append(historyFile(path, copy, digest));
}

bool ChangeJournal::createdInSet(const JournalKey& key) const {
  if (!open_) return false;
  auto it = keys_.find(key.folded);
  return it != keys_.end() && it->second.created;
}

bool ChangeJournal::knownToExist(const JournalKey& key) const {
  if (!open_) return false;
  auto it = keys_.find(key.folded);
  return it != keys_.end() && it->second.known;
}

void ChangeJournal::noteExists(const JournalKey& key) {
  if (open_) state(key).known = true;
}

void ChangeJournal::noteGone(const JournalKey& key) {
  // The key and every key below it.
  for (auto& [name, k] : keys_)
    if (name.size() >= key.folded.size() && name.compare(0, key.folded.size(), key.folded) == 0 &&
        (name.size() == key.folded.size() || name[key.folded.size()] == L'\\'))
      k.known = false;
}

// ---- the registry -------------------------------------------------------------------

namespace {

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
  if (!journal.ready()) return regerr::HistoryUnavailable;
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
