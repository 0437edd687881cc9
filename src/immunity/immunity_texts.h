// Captions and messages of the immunity page, shared by its two source files.
#pragma once

namespace trova::immunity_text {

inline constexpr const wchar_t* kImmune = L"已免疫";
inline constexpr const wchar_t* kNotImmune = L"未免疫";
inline constexpr const wchar_t* kNotice = L"提示";

}  // namespace trova::immunity_text
