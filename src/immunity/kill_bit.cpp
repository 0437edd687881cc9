#include "immunity/kill_bit.h"

#include <optional>

namespace trova {

namespace {

// The value, or nothing when there is none; a failed read is returned, and
// then nothing is written: the other bits would be lost, or a set bit missed.
RegStatus readFlags(RegKey& key, std::optional<RegValue>& out) {
  out.reset();
  RegValue v;
  const RegStatus s = key.queryValue(kCompatibilityFlags, v);
  if (s == regerr::Ok) out = std::move(v);
  return s == regerr::FileNotFound ? regerr::Ok : s;
}

// The number in the first four bytes of the value, little-endian; a shorter
// value counts with zeros after its bytes, as a zeroed buffer would read it.
std::uint32_t flagsOf(const RegValue& v) {
  std::uint32_t n = 0;
  for (std::size_t i = 0; i < 4 && i < v.data.size(); ++i) n |= static_cast<std::uint32_t>(v.data[i]) << (8 * i);
  return n;
}

// Only a DWORD carries bits worth keeping; any other type is replaced.
std::uint32_t keptBits(const RegValue& v) {
  return v.type == RegType::Dword && v.data.size() == 4 ? flagsOf(v) & ~kKillBit : 0;
}

}  // namespace

bool usableAsKeyName(std::wstring_view clsid) {
  return !clsid.empty() && clsid.find(L'\\') == std::wstring_view::npos;
}

std::wstring killBitKeyPath(const std::wstring& clsid) {
  return std::wstring(kActiveXCompatibilityKey) + L"\\" + clsid;
}

namespace {

bool hasKillBitIn(Registry& registry, RegView view, const std::wstring& clsid) {
  KeyPtr key;
  if (registry.open({Hive::LocalMachine, view}, killBitKeyPath(clsid), key) != regerr::Ok) return false;
  std::optional<RegValue> v;
  return readFlags(*key, v) == regerr::Ok && v && (flagsOf(*v) & kKillBit) != 0;
}

RegStatus writeKillBitIn(Registry& registry, RegView view, const std::wstring& clsid, bool immune) {
  const RegRoot machine{Hive::LocalMachine, view};
  KeyPtr key;
  if (immune) {
    bool created = false;
    if (RegStatus s = registry.create(machine, killBitKeyPath(clsid), key, &created); s != regerr::Ok) return s;
    // A key made just now holds no value: one registry call fewer per new key.
    std::optional<RegValue> old;
    if (RegStatus unread = created ? regerr::Ok : readFlags(*key, old); unread != regerr::Ok) return unread;
    return key->setValue(kCompatibilityFlags, RegValue::dword(kKillBit | (old ? keptBits(*old) : 0)));
  }

  RegStatus s = registry.open(machine, killBitKeyPath(clsid), key);
  if (s == regerr::FileNotFound) return regerr::Ok;  // no key, no kill-bit
  if (s != regerr::Ok) return s;
  std::optional<RegValue> old;
  if (RegStatus unread = readFlags(*key, old); unread != regerr::Ok) return unread;
  if (!old || (flagsOf(*old) & kKillBit) == 0) return regerr::Ok;  // nothing to clear
  std::uint32_t rest = keptBits(*old);
  if (rest == 0) return key->deleteValue(kCompatibilityFlags);
  return key->setValue(kCompatibilityFlags, RegValue::dword(rest));
}

RegStatus removeKillBitIn(Registry& registry, RegView view, const std::wstring& clsid) {
  if (RegStatus s = writeKillBitIn(registry, view, clsid, false); s != regerr::Ok) return s;
  const RegRoot machine{Hive::LocalMachine, view};
  KeyPtr key;
  RegStatus s = registry.open(machine, killBitKeyPath(clsid), key);
  if (s == regerr::FileNotFound) return regerr::Ok;
  if (s != regerr::Ok) return s;
  // Only a key seen to be empty goes; one that cannot be looked into is a failure.
  const RegStatus look = lookIntoKey(*key);
  if (look == regerr::Ok) return regerr::Ok;  // something else is kept in it
  if (look != regerr::NoMoreItems) return look;
  key.reset();
  KeyPtr parent;
  s = registry.open(machine, kActiveXCompatibilityKey, parent);
  if (s == regerr::Ok) s = parent->deleteSubKey(clsid);
  return s == regerr::FileNotFound ? regerr::Ok : s;
}

// Runs `change` in every view and gives back the first failure.
template <typename Change>
RegStatus inEveryView(Change change) {
  RegStatus first = regerr::Ok;
  for (RegView view : registryViews()) {
    const RegStatus s = change(view);
    if (first == regerr::Ok) first = s;
  }
  return first;
}

}  // namespace

bool hasKillBit(Registry& registry, const std::wstring& clsid) {
  if (!usableAsKeyName(clsid)) return false;
  for (RegView view : registryViews())
    if (!hasKillBitIn(registry, view, clsid)) return false;
  return true;
}

RegStatus writeKillBit(Registry& registry, const std::wstring& clsid, bool immune) {
  if (!usableAsKeyName(clsid)) return regerr::InvalidParameter;
  return inEveryView([&](RegView view) { return writeKillBitIn(registry, view, clsid, immune); });
}

RegStatus removeKillBit(Registry& registry, const std::wstring& clsid) {
  if (!usableAsKeyName(clsid)) return regerr::InvalidParameter;
  return inEveryView([&](RegView view) { return removeKillBitIn(registry, view, clsid); });
}

std::vector<std::wstring> killBitKeyPathsOfEveryView(const std::wstring& clsid) {
  std::vector<std::wstring> paths;
  for (RegView view : registryViews()) paths.push_back(pathIn64BitView({Hive::LocalMachine, view}, killBitKeyPath(clsid)));
  return paths;
}

}  // namespace trova
