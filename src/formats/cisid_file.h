// The file cisid.dat beside the program: the user-defined immunity entries as
// fixed records of 128 bytes, one KnownControl each, texts in the ANSI code page:
//   category (int16 LE, always 3) | L1 (uint16 LE) | name (L1 bytes)
//   | L2 (uint16 LE) | clsid (L2 bytes) | filler to 128 bytes (ignored)
// No header, no count, no end marker; the last record may end right after its CLSID.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "immunity/cisid.h"

namespace trova {

inline constexpr std::size_t kUserRecordSize = 128;
// What is left of a record for the two texts after the three 2-byte fields.
inline constexpr std::size_t kUserRecordTextRoom = kUserRecordSize - 6;
inline constexpr const wchar_t* kUserFileName = L"cisid.dat";

// The bytes the name and the CLSID take together in a record.
std::size_t userRecordTextBytes(const std::wstring& name, const std::wstring& clsid);
// True when both texts fit one record together.
bool fitsUserRecord(const std::wstring& name, const std::wstring& clsid);
// True when the ANSI code page holds every character of the text, so that it
// reads back from the file exactly as it was written.
bool survivesAnsi(const std::wstring& text);

// One whole record with zero filler, or nothing when the entry does not fit.
std::optional<std::string> encodeUserRecord(const KnownControl& entry);
// The records of all entries, in order (empty for no entries), or nothing when
// one of them does not fit a record.
std::optional<std::string> encodeUserRecords(const std::vector<KnownControl>& entries);

struct UserRecords {
  std::vector<KnownControl> entries;  // the sound records of category 3, in file order
  int damaged = 0;  // records whose lengths run past the record or the file, or whose CLSID is unusable
};

// Reads every record; records of another category are skipped without notice,
// damaged ones are skipped and counted, and the records after them still load.
UserRecords decodeUserRecords(std::string_view bytes);

}  // namespace trova
