// The registry contract suite runs against every backend; each suite provides this factory.
#pragma once
#include "platform/registry.h"

namespace trova::test {
std::unique_ptr<Registry> makeRegistryUnderTest();
}  // namespace trova::test
