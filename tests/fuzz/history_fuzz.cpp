// A change set as an action writes it, made from the fuzz bytes: the header,
// then any run of the pieces (a value changed, its state after, a key created,
// a key's state after, a key deleted with its values, a file replaced). It
// reads back as the places met, in the order first met, each with its first
// state before and its last state after. What the format cannot hold is left
// out of the input: a line feed in any text (it ends the line), and a key
// whose name is empty or starts with "-" (that marks a key that was not there).
#include <map>
#include <vector>

#include "formats/history_file.h"
#include "fuzz.h"
#include "platform/text.h"

using namespace trova;

namespace {

std::wstring line(FuzzedDataProvider& in, std::size_t most) {
  std::wstring s = fuzz::text(in, most);
  std::erase(s, L'\n');
  return s;
}

std::wstring keyName(FuzzedDataProvider& in) {
  // A few names, so that pieces meet the same place again, in another case.
  static const wchar_t* kKeys[] = {L"HKEY_CURRENT_USER\\Software\\A", L"hkey_current_user\\software\\a",
                                   L"HKEY_LOCAL_MACHINE\\SOFTWARE\\B"};
  std::wstring key = in.ConsumeBool() ? kKeys[in.ConsumeIntegralInRange(0, 2)] : line(in, 30);
  if (key.empty() || key[0] == L'-') key.insert(0, L"K");
  return key;
}

std::optional<RegValue> maybeValue(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? std::optional(fuzz::value(in)) : std::nullopt;
}

// The places the pieces speak of, as readHistory must give them back.
struct Expected {
  std::vector<HistoryPlace> places;
  std::map<std::wstring, std::size_t> index;

  HistoryPlace& at(HistoryPlace::Kind kind, const std::wstring& path, const std::wstring& name, bool* made = nullptr) {
    std::wstring id = std::to_wstring(static_cast<int>(kind));
    for (wchar_t c : path + L'\n' + name) id.push_back(foldCase(c));
    const auto [it, added] = index.emplace(id, places.size());
    if (added) {
      places.emplace_back().kind = kind;
      places.back().path = path;
      places.back().name = name;
    }
    if (made) *made = added;
    return places[it->second];
  }
  void keyAfter(const std::wstring& key, bool exists) {
    bool made = false;
    HistoryPlace& p = at(HistoryPlace::Kind::Key, key, L"", &made);
    if (made) p.keyBefore = true;
    p.keyAfter = exists;
    p.hasAfter = true;
    if (!exists)
      for (HistoryPlace& v : places)
        if (v.kind == HistoryPlace::Kind::Value && equalsNoCase(v.path, key)) {
          v.valueAfter.reset();
          v.hasAfter = true;
        }
  }
};

bool same(const HistoryPlace& a, const HistoryPlace& b) {
  return a.kind == b.kind && a.path == b.path && a.name == b.name && a.valueBefore == b.valueBefore &&
         a.valueAfter == b.valueAfter && a.keyBefore == b.keyBefore && a.keyAfter == b.keyAfter &&
         a.copyBefore == b.copyBefore && a.fileAfter == b.fileAfter && a.hasAfter == b.hasAfter;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::wstring label = line(in, 20), time = line(in, 20);
  std::string bytes = historyHeader(label, time);
  Expected expected;
  using Kind = HistoryPlace::Kind;
  for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n) {
    const std::wstring key = keyName(in);
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0: {
        const std::wstring name = line(in, 10);
        const auto before = maybeValue(in), after = maybeValue(in);
        bytes += historyValue(key, name, before, after);
        bool made = false;
        HistoryPlace& p = expected.at(Kind::Value, key, name, &made);
        if (made) p.valueBefore = before;
        p.valueAfter = after;
        p.hasAfter = true;
        break;
      }
      case 1: {
        const std::wstring name = line(in, 10);
        const auto after = maybeValue(in);
        bytes += historyValueAfter(key, name, after);
        HistoryPlace& p = expected.at(Kind::Value, key, name);
        p.valueAfter = after;
        p.hasAfter = true;
        break;
      }
      case 2:
        bytes += historyKeyCreated(key);
        expected.at(Kind::Key, key, L"");  // made here: not there before
        expected.keyAfter(key, true);
        break;
      case 3: {
        const bool exists = in.ConsumeBool();
        bytes += historyKeyAfter(key, exists);
        expected.keyAfter(key, exists);
        break;
      }
      case 4: {
        std::vector<RegFileValue> values;
        for (int v = in.ConsumeIntegralInRange(0, 3); v > 0; --v) values.push_back({line(in, 10), fuzz::value(in)});
        bytes += historyKeyDeleted(key, values);
        for (const RegFileValue& v : values) {
          bool made = false;
          HistoryPlace& p = expected.at(Kind::Value, key, v.name, &made);
          if (made) p.valueBefore = v.value;
        }
        expected.keyAfter(key, false);
        break;
      }
      default: {
        std::wstring copy = line(in, 20);
        if (copy == L"(不存在)") copy.clear();
        const auto after = in.ConsumeBool() ? std::optional(FileDigest{in.ConsumeIntegral<std::uint64_t>(),
                                                                       in.ConsumeIntegral<std::uint64_t>()})
                                            : std::nullopt;
        bytes += historyFile(key, copy, after);
        HistoryPlace& p = expected.at(Kind::File, key, L"");
        if (!p.hasAfter && p.copyBefore.empty()) p.copyBefore = copy;
        p.fileAfter = after;
        p.hasAfter = true;
      }
    }
  }

  const auto record = readHistory(bytes);
  FUZZ_CHECK(record);
  FUZZ_CHECK(record->label == label && record->time == time);
  FUZZ_CHECK(record->places.size() == expected.places.size());
  for (std::size_t i = 0; i < expected.places.size(); ++i) FUZZ_CHECK(same(record->places[i], expected.places[i]));
  return 0;
}
