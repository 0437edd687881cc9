#include "ui/controls.h"

#include "platform/text.h"

namespace trova {

int compareListText(const std::wstring& a, const std::wstring& b) { return compareNoCase(a, b); }

bool rowGoesBefore(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b,
                   const SortSettings& sort) {
  static const std::wstring empty;
  const auto c = static_cast<std::size_t>(sort.column);
  const std::wstring& x = sort.column >= 0 && c < a.size() ? a[c] : empty;
  const std::wstring& y = sort.column >= 0 && c < b.size() ? b[c] : empty;
  const int r = compareListText(x, y);
  return sort.descending ? r > 0 : r < 0;
}

}  // namespace trova
