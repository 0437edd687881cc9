// The browser's basic settings: window title, home page, search page, search
// assistant and download folder, as the registry holds them, and the preset
// addresses the page offers for three of them.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "settings/apply_report.h"

namespace trova {

namespace browser {
// The browser's own key, per user and per machine: it is there when the
// browser is. The settings live in it and in its sub-keys.
inline constexpr const wchar_t* kBrowserKey = L"Software\\Microsoft\\Internet Explorer";
// Per user: title, home page and search page; the download folder one key up.
inline constexpr const wchar_t* kMainKey = L"SOFTWARE\\Microsoft\\Internet Explorer\\Main";
// Per machine, and in each registry view: the browser of either bitness reads its own.
inline constexpr const wchar_t* kSearchKey = L"SOFTWARE\\Microsoft\\Internet Explorer\\Search";

inline constexpr const wchar_t* kBlankPage = L"about:blank";
inline constexpr const wchar_t* kDefaultHomePage = L"http://go.microsoft.com/fwlink/?LinkId=69157";
inline constexpr const wchar_t* kGooglePersonal = L"http://www.google.com/ig";
inline constexpr const wchar_t* kDefaultSearch = L"http://www.microsoft.com/isapi/redir.dll?prd=ie&ar=iesearch";
inline constexpr const wchar_t* kBaiduSearch = L"http://www.baidu.com/s?tn=trova";
inline constexpr const wchar_t* kGoogleSearch = L"http://www.google.com/";
// The browser puts the user's language tag in place of the braced word.
inline constexpr const wchar_t* kDefaultAssistant = L"http://ie.search.msn.com/{SUB_RFC1766}/srchasst/srchcust.htm";
}  // namespace browser

// The entries of one of the three preset combo boxes. Entries 0 to 2 fill the
// text box beside it with their address; the last entry leaves the text box
// to the user.
struct PresetChoice {
  std::array<std::wstring_view, 3> addresses;
};
inline constexpr int kOwnAddressEntry = 3;

inline constexpr PresetChoice kHomePagePresets{
    {browser::kBlankPage, browser::kDefaultHomePage, browser::kGooglePersonal}};
inline constexpr PresetChoice kSearchPagePresets{
    {browser::kDefaultSearch, browser::kBaiduSearch, browser::kGoogleSearch}};
inline constexpr PresetChoice kSearchAssistantPresets{
    {browser::kDefaultAssistant, browser::kBaiduSearch, browser::kGoogleSearch}};

// What a stored address is recognised by: a web address by its scheme and
// host (the text before the slash that begins its path), anything else by
// its whole text.
std::wstring_view recognitionPrefix(std::wstring_view address);
// The entry whose prefix begins `stored` (compared case-sensitively, entries
// in order), or kOwnAddressEntry when none does.
int recogniseEntry(const PresetChoice& choice, std::wstring_view stored);

struct BrowserBasics {
  std::optional<std::wstring> title;  // none: the browser shows its own title
  std::wstring startPage, searchPage, downloadFolder;
  std::wstring searchAssistant;  // read from the 64-bit view, written to both
};

// What is stored; a value that cannot be read is empty (the title: none).
BrowserBasics readBrowserBasics(Registry& registry);
// Writes every setting; a title of none deletes the stored one. The sub-keys
// are made when missing, the browser's own key never: where it is missing the
// browser is not there to read the settings, and that is a failure. Each
// failure is noted in `report`.
void writeBrowserBasics(Registry& registry, const BrowserBasics& basics, ApplyReport& report);

}  // namespace trova
