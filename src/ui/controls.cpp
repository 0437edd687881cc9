#include "ui/controls.h"

#include "platform/text.h"

namespace trova {

int compareListText(const std::wstring& a, const std::wstring& b) { return compareNoCase(a, b); }

}  // namespace trova
