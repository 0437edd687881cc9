#include "app/held_dialogs.h"

namespace trova {

void HeldDialogs::message(const std::wstring& text, const std::wstring& title, MessageStyle style) {
  if (holding_) {
    held_.push_back({text, title, style});
    return;
  }
  real_.message(text, title, style);
}

void HeldDialogs::release() {
  holding_ = false;
  std::vector<Held> held;
  held.swap(held_);
  for (const auto& h : held) real_.message(h.text, h.title, h.style);
}

}  // namespace trova
