#include "ui/controls.h"

#include <cstdint>

#include "platform/codepage.h"
#include "platform/text.h"

namespace trova {

namespace {
// Where a character sorts: ASCII punctuation, then digits, then letters (case
// ignored), then everything else by its code.
std::uint32_t sortKey(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(foldCase(c));
  if (u >= 'A' && u <= 'Z') return 0x300000 + u;
  if (u >= '0' && u <= '9') return 0x200000 + u;
  if (u < 0x80) return 0x100000 + u;
  return 0x400000 + u;
}
}  // namespace

int compareListText(const std::wstring& a, const std::wstring& b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t x = sortKey(a[i]), y = sortKey(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool rowGoesBefore(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b,
                   const SortSettings& sort, TextOrder order) {
  static const std::wstring empty;
  const auto c = static_cast<std::size_t>(sort.column);
  const std::wstring& x = sort.column >= 0 && c < a.size() ? a[c] : empty;
  const std::wstring& y = sort.column >= 0 && c < b.size() ? b[c] : empty;
  const int r = order(x, y);
  return sort.descending ? r > 0 : r < 0;
}

std::wstring rowText(std::string_view row) { return fromUtf8OrAnsi(row); }

}  // namespace trova
