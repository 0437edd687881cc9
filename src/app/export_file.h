// The export buttons' common part: the save dialog, then the file.
#pragma once
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/shell.h"

namespace trova {

// Shows the save dialog (starting in the program's folder) and writes `bytes`
// to the chosen file. Nothing when the user cancelled; otherwise whether the
// file was written, which a failure leaves untouched.
std::optional<FileResult> exportFile(Platform& platform, FileDialogSpec spec, const std::string& bytes);

}  // namespace trova
