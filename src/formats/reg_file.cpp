#include "formats/reg_file.h"

#include <cstdio>
#include <cwctype>

#include "platform/codepage.h"
#include "platform/text.h"

namespace trova {

namespace {

constexpr const wchar_t* kHeader4 = L"REGEDIT4";
constexpr const wchar_t* kHeader5 = L"Windows Registry Editor Version 5.00";
constexpr std::size_t kWrapColumn = 76;  // where the registry editor breaks a hex list

bool isStringType(RegType t) { return t == RegType::Sz || t == RegType::ExpandSz || t == RegType::MultiSz; }

std::wstring quoted(std::wstring_view text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') out.push_back(L'\\');
    out.push_back(c);
  }
  out.push_back(L'"');
  return out;
}

// The bytes a version 4 file stands for: string types in the ANSI code page,
// each NUL-separated piece converted on its own, everything else as it is.
std::vector<std::uint8_t> ansiBytesOf(const RegValue& v) {
  if (!isStringType(v.type)) return v.data;
  std::vector<std::uint8_t> out;
  std::wstring piece;
  auto flush = [&] {
    const std::string a = toAnsi(piece);
    out.insert(out.end(), a.begin(), a.end());
    piece.clear();
  };
  for (std::size_t i = 0; i + 1 < v.data.size(); i += 2) {
    const wchar_t unit = static_cast<wchar_t>(v.data[i] | (v.data[i + 1] << 8));
    if (unit == 0) {
      flush();
      out.push_back(0);
    } else {
      piece.push_back(unit);
    }
  }
  flush();
  return out;
}

std::vector<std::uint8_t> utf16FromAnsiBytes(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> out;
  std::string piece;
  auto flush = [&] {
    const auto units = toUtf16Bytes(fromAnsi(piece), false);
    out.insert(out.end(), units.begin(), units.end());
    piece.clear();
  };
  for (std::uint8_t b : bytes) {
    if (b == 0) {
      flush();
      out.push_back(0);
      out.push_back(0);
    } else {
      piece.push_back(static_cast<char>(b));
    }
  }
  flush();
  return out;
}

// A REG_SZ that a quoted string gives back byte for byte.
bool quotable(const RegValue& v, RegFileVersion version) {
  if (v.type != RegType::Sz) return false;
  const std::wstring text = v.asText();
  if (text.find_first_of(L"\r\n") != std::wstring::npos) return false;
  if (RegValue::text(text).data != v.data) return false;
  return version == RegFileVersion::Version5 || fromAnsi(toAnsi(text)) == text;
}

std::wstring hexList(std::wstring line, const std::vector<std::uint8_t>& bytes, std::vector<std::wstring>& out,
                     bool wrap) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    line.push_back(kDigits[bytes[i] >> 4]);
    line.push_back(kDigits[bytes[i] & 0x0F]);
    if (i + 1 == bytes.size()) break;
    line.push_back(L',');
    if (wrap && line.size() >= kWrapColumn) {
      out.push_back(line + L"\\");
      line = L"  ";
    }
  }
  return line;
}

void writeValue(const RegFileValue& v, RegFileVersion version, std::vector<std::wstring>& out, bool wrap = true) {
  std::wstring line = v.name.empty() ? std::wstring(L"@") : quoted(v.name);
  line += L'=';
  if (!v.value) {
    out.push_back(line + L"-");
    return;
  }
  const RegValue& value = *v.value;
  if (quotable(value, version)) {
    out.push_back(line + quoted(value.asText()));
    return;
  }
  if (value.type == RegType::Dword && value.data.size() == 4) {
    wchar_t digits[16];
    std::swprintf(digits, 16, L"dword:%08x", static_cast<unsigned>(*value.asDword()));
    out.push_back(line + digits);
    return;
  }
  if (value.type == RegType::Binary) {
    line += L"hex:";
  } else {
    wchar_t type[24];
    std::swprintf(type, 24, L"hex(%x):", static_cast<unsigned>(value.type));
    line += type;
  }
  const auto bytes = version == RegFileVersion::Regedit4 ? ansiBytesOf(value) : value.data;
  out.push_back(hexList(std::move(line), bytes, out, wrap));
}

std::string encode(const std::vector<std::wstring>& lines, RegFileVersion version) {
  if (version == RegFileVersion::Regedit4) {
    std::string out;
    for (const auto& l : lines) out += toAnsi(l) + "\r\n";
    return out;
  }
  std::string out = "\xFF\xFE";
  for (const auto& l : lines) {
    const auto units = toUtf16Bytes(l + L"\r\n", false);
    out.append(units.begin(), units.end());
  }
  return out;
}

// ---- reading ------------------------------------------------------------------

struct Reader {
  std::vector<std::wstring> lines;
  std::size_t at = 0;
  RegFileVersion version = RegFileVersion::Version5;
  RegFileParse result;

  std::size_t statement = 0;  // the line the key or value being read starts on

  bool fail(const std::wstring& why) {
    result.error = why;
    result.errorLine = static_cast<int>(statement) + 1;
    return false;
  }

  static std::size_t skipBlanks(const std::wstring& s, std::size_t i) {
    while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
    return i;
  }

  // A quoted text from `i` (at the opening quote); `i` ends after the closing one.
  bool readQuoted(const std::wstring& s, std::size_t& i, std::wstring& out) {
    ++i;
    while (i < s.size() && s[i] != L'"') {
      if (s[i] == L'\\' && i + 1 < s.size()) ++i;
      out.push_back(s[i++]);
    }
    if (i >= s.size()) return fail(L"引号没有闭合");
    ++i;
    return true;
  }

  bool readHex(std::wstring rest, std::vector<std::uint8_t>& bytes) {
    // Continuation lines: a line ending in a backslash goes on on the next line.
    for (;;) {
      std::size_t end = rest.find_last_not_of(L" \t");
      if (end == std::wstring::npos || rest[end] != L'\\') break;
      rest.erase(end);
      if (++at >= lines.size()) return fail(L"数据在文件末尾中断");
      rest += lines[at];
    }
    std::size_t i = 0;
    while (true) {
      i = skipBlanks(rest, i);
      if (i >= rest.size()) break;
      unsigned value = 0;
      int digits = 0;
      while (i < rest.size() && std::iswxdigit(rest[i]) && digits < 2) {
        const wchar_t c = rest[i++];
        value = value * 16 + static_cast<unsigned>(c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10);
        ++digits;
      }
      if (digits == 0) return fail(L"十六进制数据有误");
      bytes.push_back(static_cast<std::uint8_t>(value));
      i = skipBlanks(rest, i);
      if (i >= rest.size()) break;
      if (rest[i] != L',') return fail(L"十六进制数据有误");
      i = skipBlanks(rest, i + 1);
      if (i >= rest.size()) return fail(L"十六进制数据在逗号后中断");
    }
    return true;
  }

  bool readValueLine(const std::wstring& line) {
    if (result.keys.empty()) return fail(L"值前面没有注册表项");
    RegFileValue v;
    if (!readValue(line, v)) return false;
    result.keys.back().values.push_back(std::move(v));
    return true;
  }

  bool readValue(const std::wstring& line, RegFileValue& v) {
    std::size_t i = skipBlanks(line, 0);
    if (line[i] == L'@') {
      ++i;
    } else if (!readQuoted(line, i, v.name)) {
      return false;
    }
    i = skipBlanks(line, i);
    if (i >= line.size() || line[i] != L'=') return fail(L"缺少等号");
    i = skipBlanks(line, i + 1);
    const std::wstring data = line.substr(i);
    if (data.rfind(L"-", 0) == 0 && skipBlanks(data, 1) == data.size()) {
      // deletion: no value
    } else if (!data.empty() && data[0] == L'"') {
      std::wstring text;
      std::size_t j = 0;
      if (!readQuoted(data, j, text)) return false;
      v.value = RegValue::text(text);
    } else if (data.rfind(L"dword:", 0) == 0) {
      const std::wstring digits = data.substr(6);
      if (digits.empty() || digits.size() > 8 ||
          digits.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
        return fail(L"dword 数据有误");
      v.value = RegValue::dword(static_cast<std::uint32_t>(std::wcstoul(digits.c_str(), nullptr, 16)));
    } else if (data.rfind(L"hex", 0) == 0) {
      RegType type = RegType::Binary;
      std::size_t colon = 3;
      if (data.size() > 3 && data[3] == L'(') {
        const std::size_t close = data.find(L')', 4);
        if (close == std::wstring::npos || close == 4 || close > 12) return fail(L"数据类型有误");
        const std::wstring t = data.substr(4, close - 4);
        if (t.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos) return fail(L"数据类型有误");
        type = static_cast<RegType>(std::wcstoul(t.c_str(), nullptr, 16));
        colon = close + 1;
      }
      if (colon >= data.size() || data[colon] != L':') return fail(L"数据类型有误");
      RegValue value{type, {}};
      if (!readHex(data.substr(colon + 1), value.data)) return false;
      if (version == RegFileVersion::Regedit4 && isStringType(type)) value.data = utf16FromAnsiBytes(value.data);
      v.value = std::move(value);
    } else {
      return fail(L"无法识别的数据");
    }
    return true;
  }

  bool run() {
    // The header is the first line that is not empty.
    while (at < lines.size() && skipBlanks(lines[at], 0) == lines[at].size()) ++at;
    if (at >= lines.size()) return fail(L"文件是空的");
    statement = at;
    const std::wstring& header = lines[at];
    if (header == kHeader4) {
      version = RegFileVersion::Regedit4;
    } else if (header == kHeader5) {
      version = RegFileVersion::Version5;
    } else {
      return fail(L"不是注册表文件");
    }
    for (++at; at < lines.size(); ++at) {
      statement = at;
      const std::wstring& line = lines[at];
      const std::size_t i = skipBlanks(line, 0);
      if (i == line.size() || line[i] == L';') continue;
      if (line[i] == L'[') {
        const std::size_t close = line.rfind(L']');
        if (close == std::wstring::npos || close <= i + 1) return fail(L"注册表项的方括号没有闭合");
        RegFileKey key;
        key.remove = line[i + 1] == L'-';
        key.path = line.substr(i + 1 + (key.remove ? 1 : 0), close - i - 1 - (key.remove ? 1 : 0));
        if (key.path.empty()) return fail(L"注册表项没有名称");
        result.keys.push_back(std::move(key));
      } else if (line[i] == L'@' || line[i] == L'"') {
        if (!readValueLine(line)) return false;
      } else {
        return fail(L"无法识别的行");
      }
    }
    return true;
  }
};

}  // namespace

std::wstring fromUtf16Text(std::string_view bytes) {
  std::wstring out;
  // fromUtf16Bytes stops at a NUL; a file may hold one anywhere, so decode runs.
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == 0 && bytes[i + 1] == 0) {
      out += fromUtf16Bytes(reinterpret_cast<const std::uint8_t*>(bytes.data()) + start, i - start);
      out.push_back(L'\0');
      start = i + 2;
    }
  }
  const std::size_t even = bytes.size() - (bytes.size() - start) % 2;
  if (even > start) out += fromUtf16Bytes(reinterpret_cast<const std::uint8_t*>(bytes.data()) + start, even - start);
  return out;
}

std::wstring rootName(Hive hive) {
  switch (hive) {
    case Hive::ClassesRoot: return L"HKEY_CLASSES_ROOT";
    case Hive::CurrentUser: return L"HKEY_CURRENT_USER";
    case Hive::LocalMachine: return L"HKEY_LOCAL_MACHINE";
  }
  return {};
}

std::string writeRegFile(const std::vector<RegFileKey>& keys, const RegFileLayout& layout) {
  std::vector<std::wstring> lines = {layout.version == RegFileVersion::Regedit4 ? kHeader4 : kHeader5,
                                     layout.separator};
  for (const auto& key : keys) {
    lines.push_back(L"[" + std::wstring(key.remove ? L"-" : L"") + key.path + L"]");
    if (!key.remove)
      for (const auto& v : key.values) writeValue(v, layout.version, lines);
    lines.push_back(layout.separator);
  }
  return encode(lines, layout.version);
}

RegFileParse readRegFile(std::string_view bytes) {
  Reader reader;
  std::wstring text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text = fromUtf16Text(bytes.substr(2));
  } else {
    text = fromAnsi(bytes);
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    reader.lines.push_back(std::move(line));
    start = end + 1;
  }
  reader.run();
  return std::move(reader.result);
}

std::wstring regValueText(const RegFileValue& value, RegFileVersion version, bool wrap) {
  std::vector<std::wstring> lines;
  writeValue(value, version, lines, wrap);
  std::wstring text;
  for (const auto& l : lines) text += (text.empty() ? L"" : L"\r\n") + l;
  return text;
}

std::optional<RegFileValue> parseRegValueText(const std::wstring& line, RegFileVersion version) {
  const std::size_t start = line.find_first_not_of(L" \t");
  if (start == std::wstring::npos || (line[start] != L'@' && line[start] != L'"')) return std::nullopt;
  Reader reader;
  reader.version = version;
  reader.lines = {line};
  RegFileValue v;
  if (!reader.readValue(line, v)) return std::nullopt;
  return v;
}

std::string writeKillBitExport(const std::vector<std::wstring>& keyPaths) {
  std::vector<RegFileKey> keys;
  keys.reserve(keyPaths.size());
  for (const auto& path : keyPaths)
    keys.push_back({rootName(Hive::LocalMachine) + L"\\" + path, false,
                    {{L"Compatibility Flags", RegValue::dword(0x400)}}});
  return writeRegFile(keys, {RegFileVersion::Regedit4, L" "});
}

}  // namespace trova
