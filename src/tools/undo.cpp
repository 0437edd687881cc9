#include "tools/undo.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/registry.h"

namespace trova {

namespace {

constexpr const wchar_t* kAbsent = L"(不存在)";
constexpr const wchar_t* kChanged = L"\x1";  // restore(): not as the set left it after all

// "HKEY_LOCAL_MACHINE\SOFTWARE\X" -> the root and the path (as the 64-bit view
// names it: a 32-bit view's key lies under Wow6432Node there).
bool splitKey(const std::wstring& full, Hive& hive, std::wstring& path) {
  const std::size_t slash = full.find(L'\\');
  const std::wstring root = full.substr(0, slash);
  path = slash == std::wstring::npos ? L"" : full.substr(slash + 1);
  for (Hive h : {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine}) {
    if (root == rootName(h)) {
      hive = h;
      return true;
    }
  }
  return false;
}

struct Place {
  const HistoryPlace* recorded;
  Hive hive = Hive::CurrentUser;
  std::wstring path;
};

// Unread: the place could not be looked at, so it is neither put back nor
// counted as back.
enum class Now { AsBefore, AsAfter, Other, Unread };

// Only "not found" means absent; any other failure leaves the state unknown.
bool absentOrFailed(RegStatus s, std::wstring& why) {
  if (s != regerr::FileNotFound) why = L"无法读取: " + describeFailure(s);
  return s == regerr::FileNotFound;
}

class Undo {
 public:
  Undo(Platform& platform, const std::wstring& folder) : p_(platform), folder_(folder) {}

  // What the place holds now; `why` says why it could not be read.
  Now compare(const Place& at, std::wstring& why) {
    const HistoryPlace& r = *at.recorded;
    switch (r.kind) {
      case HistoryPlace::Kind::Value: {
        std::optional<RegValue> now;
        KeyPtr key;
        RegStatus s = p_.registry.open(at.hive, at.path, key);
        if (s == regerr::Ok) {
          RegValue v;
          s = key->queryValue(r.name, v);
          if (s == regerr::Ok) now = v;
        }
        if (s != regerr::Ok && !absentOrFailed(s, why)) return Now::Unread;
        return now == r.valueBefore ? Now::AsBefore : r.hasAfter && now == r.valueAfter ? Now::AsAfter : Now::Other;
      }
      case HistoryPlace::Kind::Key: {
        KeyPtr key;
        const RegStatus s = p_.registry.open(at.hive, at.path, key);
        if (s != regerr::Ok && !absentOrFailed(s, why)) return Now::Unread;
        const bool now = s == regerr::Ok;
        return now == r.keyBefore ? Now::AsBefore : r.hasAfter && now == r.keyAfter ? Now::AsAfter : Now::Other;
      }
      case HistoryPlace::Kind::File: {
        std::optional<FileDigest> now;
        if (p_.files.exists(r.path)) {
          FileResult unread;
          const auto bytes = p_.files.read(r.path, &unread);
          if (!bytes) {
            why = L"无法读取: " + unread.reason;
            return Now::Unread;
          }
          now = digestOf(*bytes);
        }
        if (r.hasAfter && now == r.fileAfter) return Now::AsAfter;
        if (r.copyBefore.empty()) return now ? Now::Other : Now::AsBefore;
        // A file the set did not get to replace after all still holds its copy's bytes.
        const auto copy = now ? p_.files.read(joinPath(folder_, r.copyBefore)) : std::nullopt;
        return copy && digestOf(*copy) == now ? Now::AsBefore : Now::Other;
      }
    }
    return Now::Other;
  }

  // Puts the place back: "" when done, the reason when it cannot, kChanged
  // when the place turns out not to be as the set left it.
  std::wstring restore(const Place& at) {
    const HistoryPlace& r = *at.recorded;
    switch (r.kind) {
      case HistoryPlace::Kind::Value: {
        KeyPtr key;
        if (r.valueBefore) {
          if (RegStatus s = p_.registry.create(at.hive, at.path, key); s != regerr::Ok) return describeFailure(s);
          if (RegStatus s = key->setValue(r.name, *r.valueBefore); s != regerr::Ok) return describeFailure(s);
          return {};
        }
        RegStatus s = p_.registry.open(at.hive, at.path, key);
        if (s == regerr::Ok) s = key->deleteValue(r.name);
        return s == regerr::Ok || s == regerr::FileNotFound ? std::wstring() : describeFailure(s);
      }
      case HistoryPlace::Kind::Key: {
        KeyPtr key;
        if (r.keyBefore) {
          const RegStatus s = p_.registry.create(at.hive, at.path, key);
          return s == regerr::Ok ? std::wstring() : describeFailure(s);
        }
        // A key the set made goes only when nothing but what the set put in it was there.
        if (RegStatus s = p_.registry.open(at.hive, at.path, key); s == regerr::Ok) {
          s = lookIntoKey(*key);
          if (s == regerr::Ok) return kChanged;
          if (s != regerr::NoMoreItems) return describeFailure(s);
        } else if (s != regerr::FileNotFound) {
          return describeFailure(s);
        }
        key.reset();
        const std::size_t slash = at.path.rfind(L'\\');
        KeyPtr parent;
        RegStatus s = p_.registry.open(at.hive, at.path.substr(0, slash == std::wstring::npos ? 0 : slash), parent);
        if (s == regerr::Ok) s = parent->deleteSubKey(at.path.substr(slash == std::wstring::npos ? 0 : slash + 1));
        return s == regerr::Ok || s == regerr::FileNotFound ? std::wstring() : describeFailure(s);
      }
      case HistoryPlace::Kind::File: {
        if (r.copyBefore.empty()) {
          const FileResult gone = p_.files.remove(r.path);
          return gone ? std::wstring() : gone.reason;
        }
        FileResult why;
        const auto bytes = p_.files.read(joinPath(folder_, r.copyBefore), &why);
        if (!bytes) return L"记录中的文件副本无法读取: " + why.reason;
        const FileResult put = p_.files.replace(r.path, *bytes);
        return put ? std::wstring() : put.reason;
      }
    }
    return {};
  }

 private:
  Platform& p_;
  const std::wstring& folder_;
};

std::wstring valueText(const std::optional<RegValue>& v) {
  if (!v) return kAbsent;
  if (v->isText()) return v->asText();
  if (v->type == RegType::Dword && v->data.size() == 4) {
    wchar_t text[40];
    std::swprintf(text, 40, L"0x%08x (%u)", static_cast<unsigned>(*v->asDword()), static_cast<unsigned>(*v->asDword()));
    return text;
  }
  std::wstring hex;
  for (std::size_t i = 0; i < v->data.size() && i < 32; ++i) {
    wchar_t b[4];
    std::swprintf(b, 4, L"%02x", static_cast<unsigned>(v->data[i]));
    hex += (i ? L" " : L"") + std::wstring(b);
  }
  return v->data.size() > 32 ? hex + L" …" : hex;
}

}  // namespace

std::wstring describePlace(const HistoryPlace& place) {
  if (place.kind != HistoryPlace::Kind::Value) return place.path;
  return place.path + L"\\" + (place.name.empty() ? L"(默认)" : place.name);
}

std::wstring describeState(const HistoryPlace& place, bool after) {
  if (after && !place.hasAfter) return L"(未知)";
  switch (place.kind) {
    case HistoryPlace::Kind::Value: return valueText(after ? place.valueAfter : place.valueBefore);
    case HistoryPlace::Kind::Key: return (after ? place.keyAfter : place.keyBefore) ? L"(项)" : kAbsent;
    case HistoryPlace::Kind::File:
      if (after) return place.fileAfter ? std::to_wstring(place.fileAfter->size) + L" 字节" : kAbsent;
      return place.copyBefore.empty() ? kAbsent : L"副本 " + place.copyBefore;
  }
  return {};
}

UndoReport undoChangeSet(Platform& platform, const std::wstring& folder, const HistoryRecord& record) {
  UndoReport report;
  Undo undo(platform, folder);
  std::vector<Place> places;
  for (const auto& r : record.places) {
    Place p{&r, Hive::CurrentUser, {}};
    if (r.kind != HistoryPlace::Kind::File && !splitKey(r.path, p.hive, p.path)) {
      report.failed.push_back(describePlace(r) + L": 无法识别的注册表根项");
      continue;
    }
    places.push_back(std::move(p));
  }
  // Look first, then put back: what a later action changed stays as it is.
  std::vector<const Place*> toRestore;
  for (const auto& p : places) {
    std::wstring why;
    switch (undo.compare(p, why)) {
      case Now::AsBefore: ++report.restored; break;  // nothing left to do
      case Now::AsAfter: toRestore.push_back(&p); break;
      case Now::Other: report.changedSince.push_back(describePlace(*p.recorded)); break;
      case Now::Unread: report.failed.push_back(describePlace(*p.recorded) + L": " + why); break;
    }
  }
  // The last change first: values before the key made for them, a key
  // deleted before the values it held.
  for (auto it = toRestore.rbegin(); it != toRestore.rend(); ++it) {
    const std::wstring why = undo.restore(**it);
    if (why.empty()) ++report.restored;
    else if (why == kChanged) report.changedSince.push_back(describePlace(*(*it)->recorded));
    else report.failed.push_back(describePlace(*(*it)->recorded) + L": " + why);
  }
  return report;
}

}  // namespace trova
