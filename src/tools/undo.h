// Undoing one change set of the history: every place the set changed that
// still holds what the set left goes back to what it held before; a place
// changed since is left as it is and named. The undo goes through the
// platform like any action, so it is itself a change set that can be undone.
#pragma once
#include <string>
#include <vector>

#include "formats/history_file.h"
#include "platform/shell.h"

namespace trova {

struct UndoReport {
  int restored = 0;
  std::vector<std::wstring> changedSince;  // places that hold something else now
  std::vector<std::wstring> failed;        // places that could not be put back, with the reason
};

// `folder` holds the set's copies of replaced files.
UndoReport undoChangeSet(Platform& platform, const std::wstring& folder, const HistoryRecord& record);

// A place as the user reads it: the key and value, or the file.
std::wstring describePlace(const HistoryPlace& place);
// What a place held, as the history page shows it ("之前"/"之后").
std::wstring describeState(const HistoryPlace& place, bool after);

}  // namespace trova
