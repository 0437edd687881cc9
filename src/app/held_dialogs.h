// The dialogs as the pages see them. Notices found while the window is being
// built (a damaged cisid.dat, say) are held back and shown once the window is
// on screen, owned by it, instead of appearing before it.
#pragma once
#include <vector>

#include "platform/shell.h"

namespace trova {

class HeldDialogs final : public Dialogs {
 public:
  explicit HeldDialogs(Dialogs& real) : real_(real) {}

  void hold() { holding_ = true; }
  // Shows what was held, in order, and passes everything on from now on.
  void release();

  void message(const std::wstring& text, const std::wstring& title, MessageStyle style) override;
  std::optional<std::wstring> input(const std::wstring& prompt, const std::wstring& title,
                                    const std::wstring& initial) override {
    return real_.input(prompt, title, initial);
  }
  std::optional<std::wstring> saveFile(const FileDialogSpec& spec) override { return real_.saveFile(spec); }
  std::optional<std::wstring> openFile(const FileDialogSpec& spec) override { return real_.openFile(spec); }

 private:
  struct Held {
    std::wstring text, title;
    MessageStyle style;
  };
  Dialogs& real_;
  bool holding_ = false;
  std::vector<Held> held_;
};

}  // namespace trova
