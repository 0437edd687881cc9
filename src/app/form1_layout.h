// Captions and list columns of the main window, shared by the real window and
// the tests so the two cannot disagree.
#pragma once
#include <string>
#include <vector>

namespace trova {

inline const std::vector<std::wstring> kMainTabs = {L"插件免疫", L"插件管理", L"系统设置", L"网站免疫",
                                                    L"工具"};
inline const std::vector<std::wstring> kImmunityTabs = {L"国内插件", L"国外插件", L"日常插件",
                                                        L"用户自定义"};
inline const std::vector<std::wstring> kSettingsTabs = {L"浏览器设置", L"软件卸载", L"启动项目",
                                                        L"系统清理", L"系统关联"};

inline const std::vector<std::wstring> kImmunityColumns = {L"插件名称", L"CISID", L"状态"};
inline const std::vector<std::wstring> kAddonColumns = {L"插件名称", L"CISID", L"状态", L"类型",
                                                        L"插件文件"};
inline const std::vector<std::wstring> kPolicyColumns = {L"项目", L"状态"};
inline const std::vector<std::wstring> kSoftwareColumns = {L"软件名称", L"版本号", L"卸载程序文件",
                                                           L"别名"};
inline const std::vector<std::wstring> kStartupColumns = {L"名称", L"位置", L"状态", L"文件路径"};
inline const std::vector<std::wstring> kPrivacyColumns = {L"清理项目"};

inline const wchar_t* kAboutText = L"Trova build 2007.05.04";
inline const wchar_t* kWebSite = L"https://trova.example.com/";
inline const wchar_t* kMailLink = L"mailto:support@trova.example.com";

}  // namespace trova
