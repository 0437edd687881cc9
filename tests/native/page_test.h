// A main window for page tests, and what its actions changed as the history
// recorded it.
#pragma once
#include <gtest/gtest.h>

#include <set>

#include "formats/history_file.h"
#include "support/form_fixture.h"
#include "tools/undo.h"

namespace trova::test {

struct PageTest : ::testing::Test, FormFixture {
  // Clicks a control; gives back the messages it showed, plain ones marked "(!) ".
  std::wstring click(const std::wstring& control) {
    mp.dialogs.messages.clear();
    form.Click(control);
    std::wstring said;
    for (const auto& m : mp.dialogs.messages)
      said += (said.empty() ? L"" : L" | ") + std::wstring(m.style == MessageStyle::Plain ? L"(!) " : L"") + m.text;
    return said;
  }
  // The places the change sets made since the last call changed, in order.
  std::vector<std::wstring> changes() {
    const std::wstring folder = MemoryFiles::key(form.journal().folder() + L"\\");
    std::vector<std::wstring> out;
    for (const auto& [path, bytes] : mp.files.files)  // by name, so by time
      if (const auto set = path.starts_with(folder) && seen.insert(path).second ? readHistory(bytes) : std::nullopt)
        for (const auto& p : set->places) out.push_back(describePlace(p));
    return out;
  }
  std::set<std::wstring> seen;  // the change sets already looked at
};

}  // namespace trova::test
