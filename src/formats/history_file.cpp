#include "formats/history_file.h"

#include <cstdio>
#include <map>
#include <set>

#include "platform/text.h"

namespace trova {

namespace {

constexpr const wchar_t* kAfter = L"; 之后 ";
constexpr const wchar_t* kBefore = L"; 之前 ";
constexpr const wchar_t* kFile = L"; 文件 ";
constexpr const wchar_t* kLabel = L"; 操作: ";
constexpr const wchar_t* kTime = L"; 时间: ";
constexpr const wchar_t* kAbsent = L"(不存在)";

// UTF-16 LE without a terminator. Every change of an action passes here, so
// the bytes go straight into the string.
std::string utf16(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto unit = [&out](char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
  };
  for (wchar_t c : text) {
    const auto u = static_cast<char32_t>(c);
    if (u >= 0x10000 && u <= 0x10FFFF) {  // only where wchar_t holds whole code points
      unit(0xD800 + ((u - 0x10000) >> 10));
      unit(0xDC00 + ((u - 0x10000) & 0x3FF));
    } else {
      unit(u);
    }
  }
  return out;
}

std::wstring valueText(const std::wstring& name, const std::optional<RegValue>& value, bool wrap) {
  return regValueText({name, value}, RegFileVersion::Version5, wrap);
}

std::wstring digestText(const std::optional<FileDigest>& d) {
  if (!d) return kAbsent;
  wchar_t text[64];
  std::swprintf(text, 64, L"%llu %016llx", static_cast<unsigned long long>(d->size),
                static_cast<unsigned long long>(d->hash));
  return text;
}

bool startsWith(const std::wstring& s, const wchar_t* prefix) { return s.rfind(prefix, 0) == 0; }

// Places by what they are, in the order first met.
class Places {
 public:
  HistoryPlace& key(const std::wstring& path) { return get(HistoryPlace::Kind::Key, path, L""); }
  HistoryPlace& value(const std::wstring& key, const std::wstring& name) {
    return get(HistoryPlace::Kind::Value, key, name);
  }
  HistoryPlace& file(const std::wstring& path) { return get(HistoryPlace::Kind::File, path, L""); }
  bool has(HistoryPlace::Kind kind, const std::wstring& path, const std::wstring& name) const {
    return index_.count(id(kind, path, name)) != 0;
  }
  // Every value place of a key: a deleted key takes its values with it.
  void valuesGone(const std::wstring& key) {
    for (auto& p : places_)
      if (p.kind == HistoryPlace::Kind::Value && equalsNoCase(p.path, key)) {
        p.valueAfter.reset();
        p.hasAfter = true;
      }
  }
  std::vector<HistoryPlace> take() { return std::move(places_); }

 private:
  static std::wstring id(HistoryPlace::Kind kind, const std::wstring& path, const std::wstring& name) {
    std::wstring folded;
    for (wchar_t c : path + L"\n" + name) folded.push_back(foldCase(c));
    return std::to_wstring(static_cast<int>(kind)) + folded;
  }
  HistoryPlace& get(HistoryPlace::Kind kind, const std::wstring& path, const std::wstring& name) {
    auto [it, added] = index_.emplace(id(kind, path, name), places_.size());
    if (added) {
      HistoryPlace p;
      p.kind = kind;
      p.path = path;
      p.name = name;
      places_.push_back(std::move(p));
    }
    return places_[it->second];
  }
  std::vector<HistoryPlace> places_;
  std::map<std::wstring, std::size_t> index_;
};

}  // namespace

FileDigest digestOf(std::string_view bytes) {
  // Eight bytes at a time: a hosts file of ten megabytes is hashed on every
  // save, so the loop must not cost what writing the file does. It tells a
  // file the action left from one changed since, no more.
  std::uint64_t hash = 0xcbf29ce484222325ull ^ bytes.size();
  const auto mix = [&hash](std::uint64_t word) {
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 29;
  };
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word = 0;
    for (int b = 7; b >= 0; --b) word = (word << 8) | static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(b)]);
    mix(word);
  }
  std::uint64_t tail = 0;
  for (std::size_t b = bytes.size(); b > i; --b) tail = (tail << 8) | static_cast<unsigned char>(bytes[b - 1]);
  mix(tail);
  return {bytes.size(), hash};
}

std::string historyHeader(const std::wstring& label, const std::wstring& time) {
  return "\xFF\xFE" + utf16(L"Windows Registry Editor Version 5.00\r\n\r\n; Trova 更改记录\r\n" +
                            std::wstring(kLabel) + label + L"\r\n" + kTime + time + L"\r\n\r\n");
}

std::string historyValue(const std::wstring& key, const std::wstring& name, const std::optional<RegValue>& before,
                         const std::optional<RegValue>& after) {
  return utf16(L"[" + key + L"]\r\n" + valueText(name, before, true) + L"\r\n" + kAfter + L"[" + key + L"] " +
               valueText(name, after, false) + L"\r\n\r\n");
}

std::string historyValueAfter(const std::wstring& key, const std::wstring& name,
                              const std::optional<RegValue>& after) {
  return utf16(kAfter + (L"[" + key + L"] ") + valueText(name, after, false) + L"\r\n");
}

std::string historyKeyCreated(const std::wstring& key) {
  return utf16(L"[-" + key + L"]\r\n" + kAfter + L"[" + key + L"]\r\n\r\n");
}

std::string historyKeyAfter(const std::wstring& key, bool exists) {
  return utf16(kAfter + std::wstring(exists ? L"[" : L"[-") + key + L"]\r\n");
}

std::string historyKeyDeleted(const std::wstring& key, const std::vector<RegFileValue>& values) {
  std::wstring text = L"[" + key + L"]\r\n";
  for (const auto& v : values) text += regValueText(v, RegFileVersion::Version5, true) + L"\r\n";
  return utf16(text + kAfter + L"[-" + key + L"]\r\n\r\n");
}

std::string historyFile(const std::wstring& path, const std::wstring& copyBefore,
                        const std::optional<FileDigest>& after) {
  return utf16(kFile + path + L"\r\n" + kBefore + (copyBefore.empty() ? std::wstring(kAbsent) : copyBefore) +
               L"\r\n" + kAfter + digestText(after) + L"\r\n\r\n");
}

namespace {
// The record up to its last whole line. It is written piece by piece, every
// piece ending with a line end, so a write the disk cut short leaves part of a
// line (or a line that a backslash continues) after the record.
std::string_view wholeLines(std::string_view bytes) {
  std::size_t end = bytes.size() - bytes.size() % 2;
  const auto lineEndAt = [&](std::size_t at) { return bytes[at - 2] == '\n' && bytes[at - 1] == '\0'; };
  while (end > 2 && !lineEndAt(end)) end -= 2;
  // A line ending in a backslash goes on in the next one, which is cut off.
  while (end > 6 && bytes[end - 6] == '\\' && bytes[end - 5] == '\0') {
    end -= 2;
    while (end > 2 && !lineEndAt(end)) end -= 2;
  }
  return bytes.substr(0, end);
}
}  // namespace

std::optional<HistoryRecord> readHistory(std::string_view bytes) {
  bytes = wholeLines(bytes);
  const RegFileParse regedit = readRegFile(bytes);
  if (!regedit.error.empty() || bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF) return std::nullopt;
  const std::wstring text = fromUtf16Text(bytes.substr(2));
  std::vector<std::wstring> lines;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    // A long hex list goes on after a backslash: one line again.
    if (!lines.empty() && !lines.back().empty() && lines.back().back() == L'\\' && !startsWith(lines.back(), L";")) {
      lines.back().pop_back();
      lines.back() += line.substr(line.find_first_not_of(L" \t") == std::wstring::npos ? line.size()
                                                                                     : line.find_first_not_of(L" \t"));
    } else {
      lines.push_back(std::move(line));
    }
    start = end + 1;
  }

  HistoryRecord record;
  Places places;
  std::wstring key, file;  // the block being read
  std::set<std::wstring> filesWithBefore;
  for (const std::wstring& line : lines) {
    if (startsWith(line, kLabel)) {
      record.label = line.substr(std::wcslen(kLabel));
    } else if (startsWith(line, kTime)) {
      record.time = line.substr(std::wcslen(kTime));
    } else if (startsWith(line, kFile)) {
      file = line.substr(std::wcslen(kFile));
      places.file(file);
    } else if (startsWith(line, kBefore) && !file.empty()) {
      HistoryPlace& p = places.file(file);
      filesWithBefore.insert(file);
      const std::wstring copy = line.substr(std::wcslen(kBefore));
      if (!p.hasAfter && p.copyBefore.empty()) p.copyBefore = copy == kAbsent ? L"" : copy;
    } else if (startsWith(line, kAfter)) {
      const std::wstring rest = line.substr(std::wcslen(kAfter));
      if (!startsWith(rest, L"[")) {
        if (file.empty()) return std::nullopt;
        HistoryPlace& p = places.file(file);
        p.hasAfter = true;
        p.fileAfter.reset();
        unsigned long long size = 0, hash = 0;
        if (rest != kAbsent) {
          if (std::swscanf(rest.c_str(), L"%llu %llx", &size, &hash) != 2) return std::nullopt;
          p.fileAfter = FileDigest{size, hash};
        }
        continue;
      }
      // "[key]", "[-key]", or "[key] value". A key's name may hold "] \"", so
      // the split is the first that gives back the value exactly as written; a
      // value never ends in "]".
      const bool gone = startsWith(rest, L"[-");
      const std::size_t from = gone ? 2 : 1;
      if (rest.back() != L']') {
        std::optional<RegFileValue> v;
        std::size_t close = rest.find(L"] ", from);
        for (; close != std::wstring::npos; close = rest.find(L"] ", close + 1)) {
          const std::wstring written = rest.substr(close + 2);
          v = parseRegValueText(written, RegFileVersion::Version5);
          if (v && regValueText(*v, RegFileVersion::Version5, false) == written) break;
        }
        if (close == std::wstring::npos) return std::nullopt;
        HistoryPlace& p = places.value(rest.substr(from, close - from), v->name);
        p.valueAfter = v->value;
        p.hasAfter = true;
      } else {
        const std::wstring path = rest.substr(from, rest.size() - 1 - from);
        const bool known = places.has(HistoryPlace::Kind::Key, path, L"");
        HistoryPlace& p = places.key(path);
        if (!known) p.keyBefore = true;  // met first here: it was there before
        p.keyAfter = !gone;
        p.hasAfter = true;
        if (gone) places.valuesGone(path);
      }
    } else if (startsWith(line, L"[")) {
      file.clear();
      const bool created = startsWith(line, L"[-");
      key = line.substr(created ? 2 : 1, line.size() - (created ? 3 : 2));
      if (created && !places.has(HistoryPlace::Kind::Key, key, L"")) places.key(key).keyBefore = false;
    } else if (startsWith(line, L"\"") || startsWith(line, L"@")) {
      const auto v = parseRegValueText(line, RegFileVersion::Version5);
      if (!v || key.empty()) return std::nullopt;
      if (!places.has(HistoryPlace::Kind::Value, key, v->name)) places.value(key, v->name).valueBefore = v->value;
    }
  }
  record.places = places.take();
  // A file whose record was cut short before it said what the file held: the
  // change was refused then, so there is nothing to put back.
  std::erase_if(record.places, [&](const HistoryPlace& p) {
    return p.kind == HistoryPlace::Kind::File && !filesWithBefore.count(p.path);
  });
  return record;
}

}  // namespace trova
