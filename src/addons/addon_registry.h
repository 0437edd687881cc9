// Where the browser keeps its add-ons, and the labels the add-on list shows.
#pragma once

namespace trova::addons {

inline constexpr const wchar_t* kHelperObjectsKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
inline constexpr const wchar_t* kExtensionsKey = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
inline constexpr const wchar_t* kToolbarKey = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
inline constexpr const wchar_t* kMenuExtKey = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
inline constexpr const wchar_t* kSettingsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";

inline constexpr const wchar_t* kTypeHelper = L"浏览器帮助项";
inline constexpr const wchar_t* kTypeExtension = L"浏览器扩展项";
inline constexpr const wchar_t* kTypeToolbar = L"浏览器工具项";
inline constexpr const wchar_t* kTypeContextMenu = L"浏览器右键菜单";
// Added to the type of an add-on the 32-bit browser loads.
inline constexpr const wchar_t* kOf32BitView = L" (32位)";

inline constexpr const wchar_t* kEnabled = L"已启用";
inline constexpr const wchar_t* kDisabled = L"已禁用";
inline constexpr const wchar_t* kUnknown = L"未知";
inline constexpr const wchar_t* kFileNotFound = L"文件没有找到";
inline constexpr const wchar_t* kDefaultId = L"缺省";

// Column positions of the add-on list.
enum Column { Name = 0, Id = 1, State = 2, Type = 3, File = 4 };

}  // namespace trova::addons
