// A change set made from the fuzz bytes: the header, then any run of pieces as
// actions write them. It reads back as the places met, in the order first met,
// each with its first state before and its last state after. Left out is what
// the format cannot hold: a line feed in a text, a key named "" or "-…".
#include <tuple>

#include "formats/history_file.h"
#include "fuzz.h"
#include "platform/text.h"

namespace trova {
using Kind = HistoryPlace::Kind;

std::optional<RegValue> maybeValue(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? std::optional(fuzz::value(in)) : std::nullopt;
}

auto fields(const HistoryPlace& p) {
  return std::tie(p.kind, p.path, p.name, p.valueBefore, p.valueAfter, p.keyBefore, p.keyAfter, p.copyBefore,
                  p.fileAfter, p.hasAfter);
}
}  // namespace trova

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::wstring label = fuzz::text(in, 20, true), time = fuzz::text(in, 20, true);
  std::string bytes = historyHeader(label, time);
  std::vector<HistoryPlace> expected;  // as readHistory must give them back
  // The place, made when first met (every piece gives it a state after) and given its state before by `first`.
  const auto met = [&](Kind kind, const std::wstring& path, const std::wstring& name, auto first) -> HistoryPlace& {
    for (HistoryPlace& p : expected)
      if (p.kind == kind && equalsNoCase(p.path, path) && equalsNoCase(p.name, name)) return p;
    HistoryPlace& p = expected.emplace_back();
    std::tie(p.kind, p.path, p.name, p.hasAfter) = std::tuple(kind, path, name, true);
    first(p);
    return p;
  };
  const auto keyAfter = [&](const std::wstring& key, bool exists) {
    met(Kind::Key, key, L"", [](HistoryPlace& p) { p.keyBefore = true; }).keyAfter = exists;
    for (HistoryPlace& v : expected)
      if (!exists && v.kind == Kind::Value && equalsNoCase(v.path, key)) v.valueAfter.reset();
  };
  // A few key names, so that pieces meet the same place again, in another case.
  static const wchar_t* kKeys[] = {L"HKEY_CURRENT_USER\\Software\\A", L"hkey_current_user\\software\\a",
                                   L"HKEY_LOCAL_MACHINE\\SOFTWARE\\B"};
  for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n) {
    std::wstring key = in.ConsumeBool() ? kKeys[in.ConsumeIntegralInRange(0, 2)] : fuzz::text(in, 30, true);
    if (key.empty() || key[0] == L'-') key.insert(0, L"K");
    switch (const int piece = in.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1: {
        const std::wstring name = fuzz::text(in, 10, true);
        const auto before = piece == 0 ? maybeValue(in) : std::nullopt, after = maybeValue(in);
        bytes += piece == 0 ? historyValue(key, name, before, after) : historyValueAfter(key, name, after);
        met(Kind::Value, key, name, [&](HistoryPlace& p) { p.valueBefore = before; }).valueAfter = after;
        break;
      }
      case 2:
        bytes += historyKeyCreated(key);
        met(Kind::Key, key, L"", [](HistoryPlace&) {});  // made here: not there before
        keyAfter(key, true);
        break;
      case 3: {
        const bool exists = in.ConsumeBool();
        bytes += historyKeyAfter(key, exists);
        keyAfter(key, exists);
        break;
      }
      case 4: {
        std::vector<RegFileValue> values;
        for (int v = in.ConsumeIntegralInRange(0, 3); v > 0; --v) values.push_back({fuzz::text(in, 10, true), fuzz::value(in)});
        bytes += historyKeyDeleted(key, values);
        for (const RegFileValue& v : values) met(Kind::Value, key, v.name, [&](HistoryPlace& p) { p.valueBefore = v.value; });
        keyAfter(key, false);
        break;
      }
      default: {
        std::wstring copy = fuzz::text(in, 20, true);
        if (copy == L"(不存在)") copy.clear();
        const auto after = in.ConsumeBool() ? std::optional(FileDigest{in.ConsumeIntegral<std::uint64_t>(),
                                                                       in.ConsumeIntegral<std::uint64_t>()})
                                            : std::nullopt;
        bytes += historyFile(key, copy, after);
        met(Kind::File, key, L"", [&](HistoryPlace& p) { p.copyBefore = copy; }).fileAfter = after;
      }
    }
  }
  const auto record = readHistory(bytes);
  FUZZ_CHECK(record && record->label == label && record->time == time);
  FUZZ_CHECK(record->places.size() == expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) FUZZ_CHECK(fields(record->places[i]) == fields(expected[i]));
}
