#include "platform/text_export.h"

namespace trova {

std::optional<FileResult> exportTextLines(Platform& platform, FileDialogSpec spec,
                                          const std::vector<std::wstring>& lines) {
  spec.initialFolder = platform.folders.programFolder();
  const auto path = platform.dialogs.saveFile(spec);
  if (!path || path->empty()) return std::nullopt;
  return writeTextLines(platform.files, *path, lines);
}

}  // namespace trova
