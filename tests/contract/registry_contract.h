// The registry behaviour Trova relies on, checked against every backend: the
// in-memory one natively and the Win32 one under Wine. Each backend's suite
// provides the factory below. Tests work below kContractRoot in HKEY_CURRENT_USER
// and remove it again.
#pragma once
#include <memory>

#include "platform/registry.h"

namespace trova::test {
std::unique_ptr<Registry> makeRegistryUnderTest();
inline constexpr const wchar_t* kContractRoot = L"Software\\TrovaContractTest";
}  // namespace trova::test
