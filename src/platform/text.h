// Text helpers shared by every layer: UTF-16 conversion for registry data,
// case-insensitive comparison as the registry does it, number formatting.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trova {

// Windows stores registry strings as UTF-16LE; wchar_t is 16 bits there and
// 32 bits on Linux, so conversions go through explicit code units.
std::vector<std::uint8_t> toUtf16Bytes(std::wstring_view text, bool withTerminator);
// Decodes UTF-16LE bytes and stops at the first NUL code unit; an odd last byte is dropped.
std::wstring fromUtf16Bytes(const std::uint8_t* data, std::size_t size);
std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view text);
// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view text);

// Upper-cases one character the way key and value names are compared.
wchar_t foldCase(wchar_t c);
bool equalsNoCase(std::wstring_view a, std::wstring_view b);
int compareNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace trova
