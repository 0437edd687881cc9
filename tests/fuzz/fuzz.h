// What the fuzz targets share: the entry point, which hands each input to the
// target's trova::fuzz::target; a check that stops the run (libFuzzer then keeps
// the input); and texts and values made from the fuzz bytes.
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/registry.h"

#define FUZZ_CHECK(cond) \
  ((cond) ? void() : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond), std::abort()))

namespace trova::fuzz {

void target(const std::uint8_t* data, std::size_t size);  // what one input must do, each target's own

inline std::string_view bytesOf(const std::uint8_t* d, std::size_t n) { return {reinterpret_cast<const char*>(d), n}; }

// A text of up to `most` pieces: mostly the characters and runs that matter to
// the formats, the rest any code point. A low surrogate right after a high one
// is left out (read back from UTF-16 the two would be one character), and so
// are line feeds when `oneLine`.
inline std::wstring text(FuzzedDataProvider& in, std::size_t most, bool oneLine = false) {
  static constexpr std::wstring_view kMarked[] = {
      L"a", L"Z", L"9", L" ", L"\t", L"\\", L"\"", L"@", L"[", L"]", L"-", L"=", L";", L":", L",", L"%",
      L"?", L"\r", L"\n", std::wstring_view(L"\0", 1), L"中", L"防护", L"€", L"ÿ", L"] \"", L"] @", L"\"=",
      L"=-", L"[-", L"\r\n", L"; 之后 ", L"(不存在)", L"dword:", L"hex(7):00,"};
  std::wstring out;
  for (std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, most); n > 0 && in.remaining_bytes() > 0; --n) {
    const std::uint8_t pick = in.ConsumeIntegral<std::uint8_t>();
    if (pick < std::size(kMarked)) {
      out += kMarked[pick];
      continue;
    }
    const auto c = static_cast<wchar_t>(pick < 0xF0 ? pick : in.ConsumeIntegralInRange<std::uint32_t>(1, 0x10FFFF));
    if (out.empty() || out.back() < 0xD800 || out.back() >= 0xDC00 || c < 0xDC00 || c >= 0xE000) out.push_back(c);
  }
  if (oneLine) std::erase(out, L'\n');
  return out;
}

// A registry value of any type: a text as the API stores it, or raw bytes.
inline RegValue value(FuzzedDataProvider& in) {
  static constexpr RegType kTypes[] = {RegType::None, RegType::Sz,      RegType::ExpandSz, RegType::Binary,
                                       RegType::Dword, RegType::MultiSz, RegType::Qword};
  const std::uint8_t pick = in.ConsumeIntegral<std::uint8_t>();
  const RegType type = pick < 7 * 32 ? kTypes[pick % 7] : static_cast<RegType>(in.ConsumeIntegral<std::uint32_t>());
  if (in.ConsumeBool()) return RegValue::text(text(in, 40), type);
  return RegValue{type, in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 200))};
}

}  // namespace trova::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  trova::fuzz::target(data, size);
  return 0;
}
