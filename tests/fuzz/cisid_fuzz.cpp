// cisid.dat as found beside the program: any bytes. Every record loads or is
// counted as damaged (or is of another category), and an entry the code page
// holds is written back to one record that loads as the same entry.
#include "formats/cisid_file.h"
#include "fuzz.h"

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  const UserRecords read = decodeUserRecords(fuzz::bytesOf(data, size));
  FUZZ_CHECK(read.entries.size() + read.damaged <= (size + kUserRecordSize - 1) / kUserRecordSize);
  for (const KnownControl& e : read.entries) {
    FUZZ_CHECK(e.category == category::UserDefined && !e.clsid.empty());
    if (!survivesAnsi(e.name) || !survivesAnsi(e.clsid)) continue;
    const auto record = encodeUserRecord(e);
    FUZZ_CHECK(record && record->size() == kUserRecordSize);
    const UserRecords back = decodeUserRecords(*record);
    FUZZ_CHECK(back.damaged == 0 && back.entries.size() == 1 && back.entries[0].name == e.name &&
               back.entries[0].clsid == e.clsid);
  }
}
