#include "platform/codepage.h"

#include "platform/text.h"

namespace trova {

std::wstring fromUtf8OrAnsi(std::string_view bytes) {
  return isValidUtf8(bytes) ? fromUtf8(bytes) : fromAnsi(bytes);
}

}  // namespace trova
