#include "ui/control_set.h"

#include <stdexcept>

#include "platform/text.h"

namespace trova {

void NamedControls::throwMissing(std::wstring_view name) {
  throw std::logic_error("no control " + toUtf8(name) + " of that kind");
}

}  // namespace trova
