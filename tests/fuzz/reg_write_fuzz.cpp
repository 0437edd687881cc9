// What Trova writes as a registry file, made from the fuzz bytes: keys, values
// of every type, both versions, both separators, and the kill-bit export. It
// reads back as the same keys and values. What the format cannot hold is left
// out of the input: a line feed in a key's or a value's name (it ends the
// line), a kept key whose name starts with "-" (that marks a deleted key), and
// for REGEDIT4, which is written in the ANSI code page, texts the code page
// does not hold.
#include <vector>

#include "formats/cisid_file.h"
#include "formats/reg_file.h"
#include "fuzz.h"

using namespace trova;

namespace {

bool ansiText(const RegValue& v) {
  if (v.type != RegType::Sz && v.type != RegType::ExpandSz && v.type != RegType::MultiSz) return true;
  if (v.data.size() % 2 != 0) return false;
  std::wstring piece;
  for (std::size_t i = 0; i < v.data.size(); i += 2) {
    const auto unit = static_cast<wchar_t>(v.data[i] | (v.data[i + 1] << 8));
    if (unit != 0) piece.push_back(unit);
    if (unit == 0 || i + 2 == v.data.size()) {
      if (!survivesAnsi(piece)) return false;
      piece.clear();
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
    if (!key.remove && key.path[0] == L'-') continue;
    keys.push_back(std::move(key));
  }
  const RegFileParse back = readRegFile(writeRegFile(keys, layout));
  FUZZ_CHECK(back.error.empty());
  FUZZ_CHECK(back.keys == keys);

  const RegFileParse exported = readRegFile(writeKillBitExport(killBits));
  FUZZ_CHECK(exported.error.empty() && exported.keys.size() == killBits.size());
  for (std::size_t i = 0; i < killBits.size(); ++i)
    FUZZ_CHECK(exported.keys[i] == (RegFileKey{L"HKEY_LOCAL_MACHINE\\" + killBits[i], false,
                                               {{L"Compatibility Flags", RegValue::dword(0x400)}}}));
  return 0;
}
