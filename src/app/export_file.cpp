#include "app/export_file.h"

namespace trova {

std::optional<FileResult> exportFile(Platform& platform, FileDialogSpec spec, const std::string& bytes) {
  spec.initialFolder = platform.folders.programFolder();
  const auto path = platform.dialogs.saveFile(spec);
  if (!path || path->empty()) return std::nullopt;
  return platform.exports().replace(*path, bytes);
}

}  // namespace trova
