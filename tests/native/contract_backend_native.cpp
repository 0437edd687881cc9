// The registry contract suite runs natively against the in-memory registry.
#include "contract/registry_contract.h"
#include "platform/memory_registry.h"

namespace trova::test {
std::unique_ptr<Registry> makeRegistryUnderTest() { return std::make_unique<MemoryRegistry>(); }
}  // namespace trova::test
