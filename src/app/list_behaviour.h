// What the window's lists have in common, built once: sorting by a clicked
// column, the right-click pop-up menu whose "查看详细信息" item looks the
// selected entry up on the web, and the "全选"/"全不选" buttons.
//
// A page gives one of its lists this behaviour with one call when it is built.
// The call routes by control name:
//   ColumnClick(name)        -> column sort (when sortable)
//   RightButtonUp(name)      -> pops up `menu` (when it has one)
//   Click(detailsItem)       -> details search on the selected row
// For example the startup list:
//
//   shareList(site, {.name = L"ListView_qdxm", .list = &ListView_qdxm,
//                    .menu = L"cd_qdxm", .detailsItem = L"cd_qdxmxxxx",
//                    .term = searchRowText});
//
// A list without a pop-up menu leaves `menu`, `detailsItem` and `term` empty;
// one that is not sorted sets `.sortable = false`.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/page.h"
#include "ui/controls.h"

namespace trova {

// The text the web search looks for, taken from a row of the list.
using SearchTerm = std::function<std::wstring(const ListView& list, int row)>;
std::wstring searchRowText(const ListView& list, int row);   // the row text (column 0)
std::wstring searchColumn1(const ListView& list, int row);   // column 1, e.g. "CISID"

// Which list an action works on when that depends on the moment, e.g. the list
// on the current tab; nullptr means none.
using ListChoice = std::function<ListView*()>;
// The list shown on the current tab of `tabs`: lists[t] for tab t.
ListChoice listOnCurrentTab(Tabs& tabs, std::vector<ListView*> lists);

struct SharedList {
  std::wstring name{};         // the list's control name, as window events carry it
  ListView* list = nullptr;    // the control itself
  std::wstring menu{};         // its pop-up menu; empty when it has none
  std::wstring detailsItem{};  // the menu's "查看详细信息" item
  SearchTerm term{};           // the search term of a row
  bool sortable = true;
  // The list "查看详细信息" reads its selected row from; the list itself when
  // empty. The immunity lists share one menu that acts on the current tab's list.
  ListChoice detailsList{};
};

// The web search the details look-up opens; the term is appended, escaped.
inline constexpr const wchar_t* kSearchAddress = L"https://www.baidu.com/s?ie=utf-8&tn=trova&word=";

// Percent-encodes the term's UTF-8 bytes, keeping only letters, digits and
// "-._~", so that no character of the term can change the address around it.
std::wstring percentEncode(const std::wstring& term);
std::wstring searchAddressFor(const std::wstring& term);

// The sort rule of a clicked header: the current sort column flips direction;
// another column becomes the sort column, ascending, with sorting on.
void sortByColumn(ListView& list, int column);
// Sets (全选) or clears (全不选) the check mark of every row.
void checkAllRows(ListView& list, bool on);

void shareList(PageSite& site, SharedList spec);
// Two buttons that check and clear every row of the chosen list.
void addSelectButtons(PageSite& site, const std::wstring& selectAll, const std::wstring& selectNone,
                      ListChoice list);
// Looks the selected row of `list` up on the web; no selection, no search.
void showDetails(Platform& platform, ListView* list, const SearchTerm& term);

}  // namespace trova
