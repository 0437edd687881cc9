// What the fuzz targets share: a check that stops the run with the failed
// condition (libFuzzer then keeps the input), and texts and values made from
// the fuzz bytes for the targets that write before they read.
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry.h"

#define FUZZ_CHECK(cond)                                                           \
  do {                                                                             \
    if (!(cond)) {                                                                 \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                \
    }                                                                              \
  } while (0)

namespace trova::fuzz {

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A text of up to `most` pieces. Most are the characters and runs that matter
// to the formats (quotes, brackets, blanks, line ends, NUL, Chinese, a key and
// a value side by side); the rest are any code point. Here wchar_t holds whole
// code points, so a high and a low surrogate side by side would read back from
// UTF-16 as one character: the low one is left out, as it would be one
// character where wchar_t is 16 bits.
inline std::wstring text(FuzzedDataProvider& in, std::size_t most) {
  static constexpr std::wstring_view kMarked[] = {
      L"a", L"Z", L"9", L" ", L"\t", L"\\", L"\"", L"@", L"[", L"]", L"-", L"=", L";", L":", L",", L"%",
      L"?", L"\r", L"\n", std::wstring_view(L"\0", 1), L"中", L"防护", L"€", L"ÿ", L"] \"", L"] @", L"\"=",
      L"=-", L"[-", L"\r\n", L"; 之后 ", L"(不存在)", L"dword:", L"hex(7):00,"};
  constexpr std::size_t kCount = sizeof kMarked / sizeof kMarked[0];
  std::wstring out;
  for (std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, most); n > 0 && in.remaining_bytes() > 0; --n) {
    const std::uint8_t pick = in.ConsumeIntegral<std::uint8_t>();
    if (pick < kCount) {
      out += kMarked[pick];
      continue;
    }
    const auto c = static_cast<wchar_t>(pick < 0xF0 ? pick : in.ConsumeIntegralInRange<std::uint32_t>(1, 0x10FFFF));
    const bool afterHigh = !out.empty() && out.back() >= 0xD800 && out.back() < 0xDC00;
    if (!(afterHigh && c >= 0xDC00 && c < 0xE000)) out.push_back(c);
  }
  return out;
}

// A registry value of any type: a text as the API stores it, or raw bytes.
inline RegValue value(FuzzedDataProvider& in) {
  static constexpr RegType kTypes[] = {RegType::None, RegType::Sz,      RegType::ExpandSz, RegType::Binary,
                                       RegType::Dword, RegType::MultiSz, RegType::Qword};
  const std::uint8_t pick = in.ConsumeIntegral<std::uint8_t>();
  const RegType type = pick < 7 * 32 ? kTypes[pick % 7] : static_cast<RegType>(in.ConsumeIntegral<std::uint32_t>());
  if (in.ConsumeBool()) return RegValue::text(text(in, 40), type);
  const auto size = in.ConsumeIntegralInRange<std::size_t>(0, 200);
  return RegValue{type, in.ConsumeBytes<std::uint8_t>(size)};
}

}  // namespace trova::fuzz
