// The kill-bit of an ActiveX control: the 0x400 bit of the DWORD value
// "Compatibility Flags" under HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet
// Explorer\ActiveX Compatibility\{CLSID}. The browser refuses to load a control
// whose value has that bit set, whatever its other bits say, so that is the test
// here too, and changing the kill-bit leaves the other bits alone.
//
// The 32-bit and the 64-bit browser each read the key in their own registry
// view, so a control is blocked only when both views carry the bit, and every
// change is made in both.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace trova {

inline constexpr const wchar_t* kActiveXCompatibilityKey =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
inline constexpr const wchar_t* kCompatibilityFlags = L"Compatibility Flags";
inline constexpr std::uint32_t kKillBit = 0x400;

// A CLSID text may name a key of its own below ActiveX Compatibility: it is not
// empty and holds no backslash, which would make it a path to some other key.
bool usableAsKeyName(std::wstring_view clsid);

// The control's key, relative to HKEY_LOCAL_MACHINE.
std::wstring killBitKeyPath(const std::wstring& clsid);

// Immune when, in every view, the key opens and its "Compatibility Flags" has
// the 0x400 bit. The value's first four bytes count as the number, whatever
// type it has.
bool hasKillBit(Registry& registry, const std::wstring& clsid);

// Sets (immune) or clears the kill-bit in every view, with one open or create
// of the key per view. Setting keeps the value's other bits and makes it a
// DWORD; clearing deletes the value only when no other bit remains and leaves
// the key in place. Returns Ok, or the first failure of the open, create,
// write or delete (the other view is still written).
RegStatus writeKillBit(Registry& registry, const std::wstring& clsid, bool immune);

// Clears the kill-bit as writeKillBit does and then deletes the control's key
// when nothing is left in it (no value, no sub-key), in every view. A missing
// key is no error.
RegStatus removeKillBit(Registry& registry, const std::wstring& clsid);

// The keys a registry file sets to immunise the control in both browsers,
// relative to HKEY_LOCAL_MACHINE as the 64-bit view names them.
std::vector<std::wstring> killBitKeyPathsOfEveryView(const std::wstring& clsid);

}  // namespace trova
