// Under Wine the registry contract suite runs against the real registry.
#include "contract/registry_contract.h"
#include "platform/win32_platform.h"

namespace trova::test {
std::unique_ptr<Registry> makeRegistryUnderTest() { return std::make_unique<Win32Registry>(); }
}  // namespace trova::test
