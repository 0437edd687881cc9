#include "settings/browser_basics.h"

namespace trova {

using namespace browser;

namespace {
constexpr std::wstring_view kWebScheme = L"http://";

std::wstring readValue(Registry& registry, RegRoot root, const wchar_t* path, std::wstring_view name) {
  KeyPtr key;
  if (registry.open(root, path, key) != regerr::Ok) return {};
  return readText(*key, name);
}

// The sub-key `sub` ("" = the browser's key itself) of the browser's key at `root`.
RegStatus openForWriting(Registry& registry, RegRoot root, std::wstring_view sub, KeyPtr& out) {
  KeyPtr browserKey;
  if (RegStatus s = registry.open(root, kBrowserKey, browserKey); s != regerr::Ok) return s;
  if (sub.empty()) {
    out = std::move(browserKey);
    return regerr::Ok;
  }
  return browserKey->createSubKey(sub, out);
}

std::wstring viewName(RegView view) { return view == RegView::Bits64 ? L"（64 位）" : L"（32 位）"; }
}  // namespace

std::wstring_view recognitionPrefix(std::wstring_view address) {
  if (address.substr(0, kWebScheme.size()) != kWebScheme) return address;
  return address.substr(0, address.find(L'/', kWebScheme.size()));
}

int recogniseEntry(const PresetChoice& choice, std::wstring_view stored) {
  for (int i = 0; i < kOwnAddressEntry; ++i)
    if (stored.starts_with(recognitionPrefix(choice.addresses[static_cast<std::size_t>(i)]))) return i;
  return kOwnAddressEntry;
}

BrowserBasics readBrowserBasics(Registry& registry) {
  BrowserBasics b;
  KeyPtr main;
  if (registry.open(Hive::CurrentUser, kMainKey, main) == regerr::Ok) {
    RegValue title;
    if (main->queryValue(L"Window Title", title) == regerr::Ok) b.title = title.asText();
    b.startPage = readText(*main, L"Start Page");
    b.searchPage = readText(*main, L"Search Page");
  }
  b.downloadFolder = readValue(registry, Hive::CurrentUser, kBrowserKey, L"Download Directory");
  b.searchAssistant = readValue(registry, {Hive::LocalMachine, RegView::Bits64}, kSearchKey, L"SearchAssistant");
  return b;
}

void writeBrowserBasics(Registry& registry, const BrowserBasics& b, ApplyReport& report) {
  KeyPtr main;
  if (RegStatus s = openForWriting(registry, Hive::CurrentUser, L"Main", main); s != regerr::Ok) {
    if (b.title) report.note(s, L"IE标题");
    else report.noteDelete(s, L"IE标题");  // nothing there to delete
    report.note(s, L"IE首页");
    report.note(s, L"IE搜索引擎");
  } else {
    if (b.title) {
      report.note(writeIfChanged(*main, L"Window Title", RegValue::text(*b.title)), L"IE标题");
    } else {
      report.noteDelete(main->deleteValue(L"Window Title"), L"IE标题");
    }
    report.note(writeIfChanged(*main, L"Start Page", RegValue::text(b.startPage)), L"IE首页");
    report.note(writeIfChanged(*main, L"Search Page", RegValue::text(b.searchPage)), L"IE搜索引擎");
  }

  KeyPtr browserKey;
  RegStatus s = openForWriting(registry, Hive::CurrentUser, L"", browserKey);
  if (s == regerr::Ok) s = writeIfChanged(*browserKey, L"Download Directory", RegValue::text(b.downloadFolder));
  report.note(s, L"IE下载目录");

  for (RegView view : registryViews()) {
    KeyPtr search;
    s = openForWriting(registry, {Hive::LocalMachine, view}, L"Search", search);
    if (s == regerr::Ok) s = writeIfChanged(*search, L"SearchAssistant", RegValue::text(b.searchAssistant));
    if (s == regerr::Ok) s = writeIfChanged(*search, L"CustomizeSearch", RegValue::text(b.searchAssistant));
    report.note(s, L"IE搜索助手/定制" + viewName(view));
  }
}

}  // namespace trova
