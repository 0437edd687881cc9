// The usage traces that applications keep under HKEY_CURRENT_USER: recent
// files, typed addresses, search terms, sign-in names. One table says both what
// the "系统清理" list shows and what "清理" removes for each of its rows.
#pragma once
#include <string>
#include <vector>

namespace trova {

// What a trace's names are in their keys.
enum class TraceNames {
  SubKeys,  // removed one key at a time, never as a tree
  Values,
};

// One key under HKEY_CURRENT_USER and the names to remove from it, in order.
struct TraceGroup {
  std::wstring key;
  std::vector<std::wstring> names;
};

struct Trace {
  std::wstring label;  // the row text, exactly as shown
  TraceNames names;
  std::vector<TraceGroup> groups;  // run in order
  // Shown after the removals when a key of the trace opened; empty for none.
  std::wstring notice{};
};

// The traces in list order.
const std::vector<Trace>& traceCatalogue();

}  // namespace trova
