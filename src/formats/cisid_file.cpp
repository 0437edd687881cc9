#include "formats/cisid_file.h"

#include <cstdint>

#include "platform/codepage.h"

namespace trova {

namespace {

void put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

std::uint16_t get16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

std::size_t userRecordTextBytes(const std::wstring& name, const std::wstring& clsid) {
  return toAnsi(name).size() + toAnsi(clsid).size();
}

bool fitsUserRecord(const std::wstring& name, const std::wstring& clsid) {
  return userRecordTextBytes(name, clsid) <= kUserRecordTextRoom;
}

bool survivesAnsi(const std::wstring& text) { return fromAnsi(toAnsi(text)) == text; }

std::optional<std::string> encodeUserRecord(const KnownControl& entry) {
  const std::string name = toAnsi(entry.name), clsid = toAnsi(entry.clsid);
  if (name.size() + clsid.size() > kUserRecordTextRoom) return std::nullopt;
  std::string out;
  out.reserve(kUserRecordSize);
  put16(out, static_cast<std::uint16_t>(entry.category));
  put16(out, static_cast<std::uint16_t>(name.size()));
  out += name;
  put16(out, static_cast<std::uint16_t>(clsid.size()));
  out += clsid;
  out.resize(kUserRecordSize, '\0');
  return out;
}

std::optional<std::string> encodeUserRecords(const std::vector<KnownControl>& entries) {
  std::string out;
  out.reserve(entries.size() * kUserRecordSize);
  for (const auto& e : entries) {
    auto record = encodeUserRecord(e);
    if (!record) return std::nullopt;
    out += *record;
  }
  return out;
}

UserRecords decodeUserRecords(std::string_view bytes) {
  UserRecords result;
  for (std::size_t start = 0; start < bytes.size(); start += kUserRecordSize) {
    const std::string_view rec = bytes.substr(start, kUserRecordSize);
    if (rec.size() < 2) {
      ++result.damaged;
      continue;
    }
    if (static_cast<std::int16_t>(get16(rec, 0)) != category::UserDefined) continue;
    if (rec.size() < 4) {
      ++result.damaged;
      continue;
    }
    const std::size_t l1 = get16(rec, 2);
    if (4 + l1 + 2 > rec.size()) {
      ++result.damaged;
      continue;
    }
    const std::size_t l2 = get16(rec, 4 + l1);
    if (6 + l1 + l2 > rec.size()) {
      ++result.damaged;
      continue;
    }
    KnownControl entry{category::UserDefined, fromAnsi(rec.substr(4, l1)), fromAnsi(rec.substr(6 + l1, l2))};
    // The CLSID names a registry key: empty, or with a backslash that would make
    // it a path to some other key, it is of no use.
    if (entry.clsid.empty() || entry.clsid.find(L'\\') != std::wstring::npos) {
      ++result.damaged;
      continue;
    }
    result.entries.push_back(std::move(entry));
  }
  return result;
}

}  // namespace trova
