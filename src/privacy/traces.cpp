#include "privacy/traces.h"

namespace trova {

namespace {
constexpr TraceNames Keys = TraceNames::SubKeys;
constexpr TraceNames Values = TraceNames::Values;
}  // namespace

// One line per trace, in list order: its label, what its names are, then its
// groups, each a key and the names removed from it. Labels keep their exact
// spacing ("Windows 画图" has a blank, "Windows运行历史记录" has none).
// Entries 8 and 11 name the same key twice on purpose: one open per sub-key.
// Entry 24 removes WinImage's whole settings key, which Windows allows only
// while it has no sub-keys of its own.
const std::vector<Trace>& traceCatalogue() {
  static const std::vector<Trace> catalogue = {
      /*  1 */ {L"ACDSee打开的路径", Keys,
                {{L"Software\\ACD Systems\\ACDSee32", {L"HistPaths"}},
                 {L"Software\\ACD Systems\\ACDSee", {L"HistPaths"}}}},
      /*  2 */ {L"Adobe Reader 5/6/7的打开文件", Keys,
                {{L"Software\\Adobe\\Acrobat Reader\\5.0\\AVGeneral", {L"cRecentFiles"}},
                 {L"Software\\Adobe\\Acrobat Reader\\6.0\\AVGeneral", {L"cRecentFiles"}},
                 {L"Software\\Adobe\\Acrobat Reader\\7.0\\AVGeneral", {L"cRecentFiles"}}}},
      /*  3 */ {L"Canopus EDIUS 项目", Keys, {{L"Software\\Canopus\\EDIUS\\3.00\\App\\Data", {L"EDIUS"}}}},
      /*  4 */ {L"CuteFTP 5/6/7的历史访问FTP站点", Keys,
                {{L"Software\\GlobalSCAPE\\CuteFTP 7 Professional", {L"Recent"}},
                 {L"Software\\GlobalSCAPE\\CuteFTP 6 Professional", {L"Recent"}},
                 {L"Software\\GlobalSCAPE\\CuteFTP 5 Professional", {L"Recent"}}}},
      /*  5 */ {L"Download Accelerator的下载记录", Keys,
                {{L"Software\\SpeedBit\\Download Accelerator", {L"HistoryCombo"}}}},
      /*  6 */ {L"EBay易趣工具条", Keys, {{L"Software\\eBay\\eBayToolbar", {L"RecentSearches", L"History"}}}},
      /*  7 */ {L"EditPlus的打开文件及文件夹", Keys,
                {{L"Software\\ES-Computing\\EditPlus 2", {L"Recent File List", L"Recent Dir List"}}}},
      /*  8 */ {L"EmEditor的打开文件及文件夹", Keys,
                {{L"Software\\EmSoft\\EmEditor v3", {L"Recent File List"}},
                 {L"Software\\EmSoft\\EmEditor v3", {L"Recent Folder List"}}}},
      /*  9 */ {L"Excel 2000/XP/2003打开的文件", Keys,
                {{L"Software\\Microsoft\\Office\\9.0\\Excel", {L"Recent Files"}},
                 {L"Software\\Microsoft\\Office\\10.0\\Excel", {L"Recent Files"}},
                 {L"Software\\Microsoft\\Office\\11.0\\Excel", {L"Recent Files"}}}},
      /* 10 */ {L"Foxit Reader的打开文件", Keys, {{L"Software\\Foxit Software\\Foxit Reader", {L"Recent File List"}}}},
      /* 11 */ {L"GetRight的下载记录", Keys,
                {{L"Software\\Headlight\\GetRight", {L"MRU"}},
                 {L"Software\\Headlight\\GetRight", {L"TypedURLs"}}}},
      /* 12 */ {L"Google工具条的搜索记录", Keys, {{L"Software\\Google\\NavClient\\1.1", {L"History"}}}},
      /* 13 */ {L"Google桌面搜索的搜索记录", Keys, {{L"Software\\Google\\Deskbar", {L"termhistory", L"urlhistory"}}}},
      /* 14 */ {L"HyperSnap-DX的保存文件", Keys,
                {{L"Software\\Hyperionics\\HyperSnap-DX v.5\\HyperSnap-DX", {L"Recent File List"}}}},
      /* 15 */ {L"ICQ工具条", Keys, {{L"Software\\ICQToolbar\\IEToolbar", {L"Historysearch"}}}},
      /* 16 */ {L"Msn Messenger登陆名", Keys, {{L"Software\\Microsoft\\MSNMessenger", {L"User.NET Messenger Service"}}}},
      /* 17 */ {L"Msn Toolbar的搜索记录", Keys, {{L"Software\\Microsoft\\MSN Apps", {L"MSN Toolbar"}}}},
      /* 18 */ {L"NetTransport网络传送带的保存路径", Keys, {{L"Software\\Xi\\NetTransport 2\\Default", {L"Dir List"}}}},
      /* 19 */ {L"Realplayer/Realone的打开文件", Keys,
                {{L"Software\\RealNetworks\\RealPlayer\\6.0\\Preferences",
                  {L"MostRecentClips", L"MostRecentClips1", L"MostRecentClips2", L"MostRecentClips3",
                   L"MostRecentClips4", L"MostRecentClips5", L"MostRecentClips6", L"MostRecentClips7",
                   L"MostRecentClips8"}}}},
      /* 20 */ {L"VB 5/6", Keys,
                {{L"Software\\Microsoft\\Visual Basic\\5.0", {L"RecentFiles"}},
                 {L"Software\\Microsoft\\Visual Basic\\6.0", {L"RecentFiles"}}}},
      /* 21 */ {L"Windows 画图", Keys,
                {{L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint", {L"Recent File List"}}}},
      /* 22 */ {L"Windows 写字板", Keys,
                {{L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad", {L"Recent File"}}}},
      /* 23 */ {L"Windows运行历史记录", Keys,
                {{L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", {L"RunMRU"}}}},
      /* 24 */ {L"WinImage打开的文件", Keys, {{L"Software", {L"WinImage"}}}},
      /* 25 */ {L"WinRAR的打开文件/解压路径", Keys,
                {{L"Software\\WinRAR", {L"ArcHistory"}},
                 {L"Software\\WinRAR\\DialogEditHistory", {L"ExtrPath"}}}},
      /* 26 */ {L"WinZIP的打开文件/解压路径/选择文件", Keys,
                {{L"Software\\Nico Mak Computing\\WinZip", {L"extract", L"filemenu", L"select"}}}},
      /* 27 */ {L"WPS Office打开的文件", Keys, {{L"Software\\Kingsoft\\WPSOffice", {L"Recent File List"}}}},
      /* 28 */ {L"XP隐藏不活动的图标痕迹", Values,
                {{L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify",
                  {L"IconStreams", L"PastIconsStream"}}},
                L"清理XP隐藏不活动的图标痕迹后需重新启动系统才可生效"},
      /* 29 */ {L"Yahoo! Player的打开文件", Keys, {{L"Software\\yahoo\\YPlayer", {L"Recent URLs"}}}},
      /* 30 */ {L"Yahoo!即时通讯登陆名", Keys, {{L"Software\\yahoo", {L"Pager"}}}},
      /* 31 */ {L"YiSou一搜的搜索记录", Keys, {{L"Software\\YiSou", {L"YiSouURL"}}}},
      /* 32 */ {L"超级兔子桌面搜索精灵的搜索记录", Keys, {{L"Software\\Super Rabbit\\DesktopSearch", {L"Keyword"}}}},
      /* 33 */ {L"淘宝旺旺登陆名", Keys, {{L"Software\\Taobao\\WangWang", {L"淘宝旺旺"}}}},
      /* 34 */ {L"IE 存储的FTP帐号", Keys, {{L"Software\\Microsoft\\Ftp", {L"Accounts"}}}},
  };
  return catalogue;
}

}  // namespace trova
