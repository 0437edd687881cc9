// The export buttons' common part: the save dialog, then the file.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/shell.h"

namespace trova {

// Shows the save dialog (starting in the program's folder) and writes `lines`
// to the chosen file as a text file. Nothing when the user cancelled;
// otherwise whether the file was written, which a failure leaves untouched.
std::optional<FileResult> exportTextLines(Platform& platform, FileDialogSpec spec,
                                          const std::vector<std::wstring>& lines);

}  // namespace trova
