// A main window built from in-memory controls and platform, for page tests.
#pragma once
#include <gtest/gtest.h>

#include "app/form1.h"
#include "app/memory_control_set.h"
#include "platform/memory_platform.h"
#include "platform/text.h"

namespace trova::test {

using Cells = std::vector<std::wstring>;

struct FormFixture {
  MemoryPlatform mp;
  MemoryControlSet ui;
  Form1 form{mp.platform, ui};

  MemoryRegistry& reg() { return mp.registry; }
  // Start-up as the window runs it: the steps, then the window is on screen.
  void load() {
    form.Form_Load();
    form.ShowStartupNotices();
  }
  void pickTab(int n) {  // n counts from 1, as the tab strip's captions do
    ui.tabs(L"TabStrip_cjmy").setCurrent(n - 1);
    form.Click(L"TabStrip_cjmy");
  }
  Cells row(ListView& list, int r) {
    Cells cells;
    for (int c = 0; c < list.columnCount(); ++c) cells.push_back(list.cell(r, c));
    return cells;
  }
  Cells column(ListView& list, int c) {
    Cells cells;
    for (int r = 0; r < list.rowCount(); ++r) cells.push_back(list.cell(r, c));
    return cells;
  }
  Cells said() {  // the texts of the messages shown so far
    Cells texts;
    for (const auto& m : mp.dialogs.messages) texts.push_back(m.text);
    return texts;
  }
};

}  // namespace trova::test
