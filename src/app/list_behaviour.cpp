#include "app/list_behaviour.h"

#include "platform/text.h"

namespace trova {

std::wstring searchRowText(const ListView& list, int row) { return list.cell(row, 0); }

std::wstring searchColumn1(const ListView& list, int row) { return list.cell(row, 1); }

ListChoice listOnCurrentTab(Tabs& tabs, std::vector<ListView*> lists) {
  return [&tabs, lists = std::move(lists)]() -> ListView* {
    const int t = tabs.current();
    if (t < 0 || static_cast<std::size_t>(t) >= lists.size()) return nullptr;
    return lists[static_cast<std::size_t>(t)];
  };
}

std::wstring percentEncode(const std::wstring& term) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::wstring out;
  for (unsigned char b : toUtf8(term)) {
    const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                       b == '-' || b == '.' || b == '_' || b == '~';
    if (plain) {
      out.push_back(static_cast<wchar_t>(b));
    } else {
      out.push_back(L'%');
      out.push_back(static_cast<wchar_t>(kHex[b >> 4]));
      out.push_back(static_cast<wchar_t>(kHex[b & 0x0F]));
    }
  }
  return out;
}

std::wstring searchAddressFor(const std::wstring& term) { return kSearchAddress + percentEncode(term); }

void sortByColumn(ListView& list, int column) {
  if (column < 0 || column >= list.columnCount()) return;
  SortSettings s = list.sort();
  if (column == s.column) {
    s.descending = !s.descending;
  } else {
    s.column = column;
    s.descending = false;
    s.enabled = true;
  }
  list.setSort(s);
}

void checkAllRows(ListView& list, bool on) {
  for (int r = 0; r < list.rowCount(); ++r) list.setChecked(r, on);
}

void shareList(PageSite& site, SharedList spec) {
  ListView* list = spec.list;
  if (!list) return;
  if (spec.sortable) {
    // No column counts as the sort column until one is clicked, so the first
    // click on any header, "名称" included, sorts by it.
    SortSettings start = list->sort();
    if (!start.enabled) {
      start.column = -1;
      list->setSort(start);
    }
    site.routes.columnClick[spec.name] = [list](int column) { sortByColumn(*list, column); };
  }
  if (!spec.menu.empty()) {
    site.routes.rightButtonUp[spec.name] = [&menus = site.controls.menus(), menu = spec.menu] { menus.popup(menu); };
  }
  if (!spec.detailsItem.empty() && spec.term) {
    ListChoice target = spec.detailsList ? spec.detailsList : ListChoice([list] { return list; });
    site.onClick(spec.detailsItem, [&platform = site.platform, target, term = spec.term] {
      showDetails(platform, target(), term);
    });
  }
}

void addSelectButtons(PageSite& site, const std::wstring& selectAll, const std::wstring& selectNone,
                      ListChoice list) {
  site.onClick(selectAll, [list] {
    if (ListView* l = list()) checkAllRows(*l, true);
  });
  site.onClick(selectNone, [list] {
    if (ListView* l = list()) checkAllRows(*l, false);
  });
}

void showDetails(Platform& platform, ListView* list, const SearchTerm& term) {
  if (!list) return;
  const int row = list->selectedRow();
  if (row < 0 || row >= list->rowCount()) return;
  // Nothing to tell the user if no browser is registered: the shell's answer is not shown.
  platform.shell.open(searchAddressFor(term(*list, row)));
}

}  // namespace trova
