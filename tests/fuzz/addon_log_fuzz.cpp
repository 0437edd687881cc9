// The add-on log as found on disk: any bytes. A log that reads is written back
// to one that reads as the same entries, when the code page holds their texts.
#include "formats/addon_log.h"
#include "formats/cisid_file.h"
#include "fuzz.h"

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  const auto entries = readAddonLog(fuzz::bytesOf(data, size));
  if (!entries) return;
  for (const auto& e : *entries)
    for (const std::wstring* field : {&e.name, &e.id, &e.state, &e.type, &e.file})
      if (!survivesAnsi(*field)) return;
  FUZZ_CHECK(readAddonLog(writeAddonLog(*entries)) == entries);
}
