#include "platform/journal.h"

#include <algorithm>
#include <optional>
#include <ctime>
#include <cwchar>

#include "formats/history_file.h"
#include "platform/text.h"

namespace trova {

namespace {

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

bool ChangeJournal::recordable(std::wstring_view keyName, std::wstring_view valueName) {
  // A registry file holds one name per line: a name with a line break in it
  // cannot be written so that it reads back, and so cannot be undone.
  if (keyName.find_first_of(L"\r\n") == std::wstring_view::npos &&
      valueName.find_first_of(L"\r\n") == std::wstring_view::npos)
    return true;
  failure_ = L"名称中含有换行符，记录中写不下";
  noteHistoryFailure(failure_);
  return false;
}

bool ChangeJournal::valueChanging(const JournalKey& key, const std::wstring& name,
                                  const std::optional<RegValue>& before, const std::optional<RegValue>& after) {
  if (!open_) return true;
  if (!recordable(key.full, name) || !start()) return false;
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
  if (!recordable(key.full)) return false;
  for (const auto& v : values)
    if (!recordable({}, v.name)) return false;
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

}  // namespace trova
