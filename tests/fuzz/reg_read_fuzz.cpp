// A registry file or a change set as found on disk: any bytes. A file that
// reads is written again (as version 5, which holds any text) and reads back
// as the same keys and values; a deleted key is written without values.
#include "formats/history_file.h"
#include "formats/reg_file.h"
#include "fuzz.h"

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::bytesOf(data, size);
  readHistory(bytes);
  RegFileParse read = readRegFile(bytes);
  if (!read.error.empty()) return;
  for (RegFileKey& key : read.keys)
    if (key.remove) key.values.clear();
  const RegFileParse back = readRegFile(writeRegFile(read.keys, {}));
  FUZZ_CHECK(back.error.empty() && back.keys == read.keys);
}
