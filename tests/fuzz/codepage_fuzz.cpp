// Text of unknown encoding: any bytes, read in the ANSI code page, as UTF-8 or
// as either. Valid UTF-8 and UTF-16 (as registry strings hold it) round-trip
// exactly; UTF-16 with a lone surrogate is the only text whose UTF-8 is invalid.
#include "fuzz.h"
#include "platform/codepage.h"
#include "platform/text.h"

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::bytesOf(data, size);
  const std::wstring ansi = fromAnsi(bytes);
  if (ansi.find(L'\uFFFD') == std::wstring::npos) FUZZ_CHECK(toAnsi(ansi) == bytes);
  const bool utf8 = isValidUtf8(bytes);
  FUZZ_CHECK(fromUtf8OrAnsi(bytes) == (utf8 ? fromUtf8(bytes) : ansi));
  FUZZ_CHECK(!utf8 || toUtf8(fromUtf8(bytes)) == bytes);
  const std::wstring units = fromUtf16Bytes(data, size);
  const auto back = toUtf16Bytes(units, false);
  FUZZ_CHECK(back.size() <= size && std::equal(back.begin(), back.end(), data));
  const bool lone = std::any_of(units.begin(), units.end(), [](wchar_t c) { return c >= 0xD800 && c < 0xE000; });
  const std::string encoded = toUtf8(units);
  FUZZ_CHECK(isValidUtf8(encoded) == !lone && fromUtf8(encoded) == units);
  toAnsi(units);
}
