#include "platform/text.h"

namespace trova {

namespace {
void appendUnit(std::vector<std::uint8_t>& out, std::uint16_t u) {
  out.push_back(static_cast<std::uint8_t>(u & 0xFF));
  out.push_back(static_cast<std::uint8_t>(u >> 8));
}

// Reads one code point from a wide string, combining surrogates on 16-bit wchar_t.
char32_t nextCodePoint(std::wstring_view s, std::size_t& i) {
  char32_t c = static_cast<char32_t>(s[i++]);
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0xD800 && c < 0xDC00 && i < s.size()) {
      char32_t lo = static_cast<char32_t>(s[i]);
      if (lo >= 0xDC00 && lo < 0xE000) {
        ++i;
        c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
      }
    }
  }
  return c;
}

void appendCodePoint(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(c));
}
}  // namespace

std::vector<std::uint8_t> toUtf16Bytes(std::wstring_view text, bool withTerminator) {
  std::vector<std::uint8_t> out;
  out.reserve((text.size() + 1) * 2);
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = nextCodePoint(text, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      appendUnit(out, static_cast<std::uint16_t>(0xD800 + (c >> 10)));
      appendUnit(out, static_cast<std::uint16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      appendUnit(out, static_cast<std::uint16_t>(c));
    }
  }
  if (withTerminator) appendUnit(out, 0);
  return out;
}

std::wstring fromUtf16Bytes(const std::uint8_t* data, std::size_t size) {
  std::wstring out;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    char32_t u = static_cast<char32_t>(data[i] | (data[i + 1] << 8));
    if (u == 0) break;
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < size) {
      char32_t lo = static_cast<char32_t>(data[i + 2] | (data[i + 3] << 8));
      if (lo >= 0xDC00 && lo < 0xE000) {
        appendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        i += 2;
        continue;
      }
    }
    appendCodePoint(out, u);
  }
  return out;
}

std::string toUtf8(std::wstring_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = nextCodePoint(text, i);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::wstring fromUtf8(std::string_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
      appendCodePoint(out, 0xFFFD);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      auto n = static_cast<unsigned char>(text[i + k]);
      if ((n & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (n & 0x3F);
    }
    if (!ok) {
      appendCodePoint(out, 0xFFFD);
      ++i;
      continue;
    }
    appendCodePoint(out, c);
    i += extra + 1;
  }
  return out;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    if (b >= 0xC2 && b <= 0xDF) extra = 1;
    else if (b >= 0xE0 && b <= 0xEF) extra = 2;
    else if (b >= 0xF0 && b <= 0xF4) extra = 3;
    else if (b >= 0x80) return false;
    if (i + extra >= text.size() && extra > 0) return false;
    char32_t c = b & (0x7F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(text[i + k]);
      if ((n & 0xC0) != 0x80) return false;
      c = (c << 6) | (n & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

wchar_t foldCase(wchar_t c) {
  // The scripts registry names and list texts are written in, mapped as Windows
  // upper-cases them, the same on every system: towupper depends on the C
  // library's locale and is ASCII-only in the "C" locale.
  const auto u = static_cast<std::uint32_t>(c);
  auto to = [](std::uint32_t v) { return static_cast<wchar_t>(v); };
  if (u < 0x80) return (u >= 'a' && u <= 'z') ? to(u - 0x20) : c;
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return to(u - 0x20);  // Latin-1
  if (u == 0xFF) return to(0x178);
  if (u >= 0x100 && u <= 0x17F) {  // Latin Extended-A: mostly upper/lower pairs
    if (u == 0x131) return to('I');
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u % 2 == 0) ? to(u - 1) : c;
    if (u == 0x130 || u == 0x138 || u == 0x149 || u == 0x17F) return c;
    return (u % 2 == 1) ? to(u - 1) : c;
  }
  if (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) return to(u - 0x20);  // Greek
  if (u == 0x3C2) return to(0x3A3);                                  // final sigma
  if (u == 0x3AC) return to(0x386);
  if (u >= 0x3AD && u <= 0x3AF) return to(u - 0x25);
  if (u == 0x3CC) return to(0x38C);
  if (u == 0x3CD || u == 0x3CE) return to(u - 0x3F);
  if (u >= 0x430 && u <= 0x44F) return to(u - 0x20);  // Cyrillic
  if (u >= 0x450 && u <= 0x45F) return to(u - 0x50);
  if (u >= 0xFF41 && u <= 0xFF5A) return to(u - 0x20);  // full-width Latin
  return c;
}

int compareNoCase(std::wstring_view a, std::wstring_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    wchar_t x = foldCase(a[i]), y = foldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}

}  // namespace trova
