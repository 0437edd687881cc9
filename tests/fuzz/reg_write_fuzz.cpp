// Registry files as Trova writes them, made from the fuzz bytes: keys, values of
// every type, both versions and separators, and the kill-bit export. They read
// back as the same keys and values. Left out is what the format cannot hold: a
// line feed in a name, a kept key named "-…" (a deleted key), and for REGEDIT4
// (in the ANSI code page) texts the code page does not hold.
#include "formats/cisid_file.h"
#include "formats/reg_file.h"
#include "fuzz.h"

namespace trova {
// A value REGEDIT4 writes back exactly: not a text, or UTF-16 code units the code page holds.
bool ansiText(const RegValue& v) {
  if (v.type != RegType::Sz && v.type != RegType::ExpandSz && v.type != RegType::MultiSz) return true;
  std::wstring units;
  for (std::size_t i = 0; i + 1 < v.data.size(); i += 2) units.push_back(static_cast<wchar_t>(v.data[i] | (v.data[i + 1] << 8)));
  return v.data.size() % 2 == 0 && survivesAnsi(units);
}
}  // namespace trova

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const bool v4 = in.ConsumeBool();
  const RegFileLayout layout{v4 ? RegFileVersion::Regedit4 : RegFileVersion::Version5, in.ConsumeBool() ? L" " : L""};
  const auto fits = [v4](const std::wstring& s) { return s.find(L'\n') == std::wstring::npos && (!v4 || survivesAnsi(s)); };
  std::vector<RegFileKey> keys;
  std::vector<std::wstring> killBits;
  for (int k = in.ConsumeIntegralInRange(0, 4); k > 0; --k) {
    RegFileKey key{fuzz::text(in, 30), in.ConsumeBool(), {}};
    for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) {
      RegFileValue v{fuzz::text(in, 20), std::nullopt};
      if (in.ConsumeBool()) v.value = fuzz::value(in);
      if (fits(v.name) && !key.remove && (!v4 || !v.value || ansiText(*v.value))) key.values.push_back(std::move(v));
    }
    if (key.path.empty() || !fits(key.path)) continue;
    if (survivesAnsi(key.path)) killBits.push_back(key.path);
    if (key.remove || key.path[0] != L'-') keys.push_back(std::move(key));
  }
  const RegFileParse back = readRegFile(writeRegFile(keys, layout));
  FUZZ_CHECK(back.error.empty() && back.keys == keys);
  std::vector<RegFileKey> marked;
  for (const auto& k : killBits) marked.push_back({L"HKEY_LOCAL_MACHINE\\" + k, false, {{L"Compatibility Flags", RegValue::dword(0x400)}}});
  const RegFileParse exported = readRegFile(writeKillBitExport(killBits));
  FUZZ_CHECK(exported.error.empty() && exported.keys == marked);
}
