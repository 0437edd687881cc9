// A window over the faulty platform, on the machine a 64-bit Windows is.
#pragma once
#include <stdexcept>

#include "app/form1.h"
#include "app/memory_control_set.h"
#include "fault_platform.h"
#include "platform/text.h"

namespace trova::test {

struct Scene {
  FaultPlatform fp;
  MemoryControlSet ui;
  Form1 form{fp.platform, ui, [] { return std::wstring(L"2026-12-07 10:30:05"); }};

  Scene() { reg().createKey(Hive::LocalMachine, L"SOFTWARE\\Wow6432Node"); }
  MemoryRegistry& reg() { return fp.inner.registry; }
  MemoryFiles& files() { return fp.inner.files; }
  ScriptedDialogs& dialogs() { return fp.inner.dialogs; }
  // Start-up, then the main tab `tab` (from 1) picked. The catalogue and its 782
  // rows only for the immunity page, the one that reads them: they take most of the time.
  void open(int tab) {
    for (const auto& step : form.routes().startup)
      if (tab == 1 || (step.step != StartupStep::KnownControls && step.step != StartupStep::ImmunityLists)) step.run();
    pickTab(tab);
  }
  void pickTab(int tab) {
    ui.tabs(L"TabStrip_cjmy").setCurrent(tab - 1);
    form.Click(L"TabStrip_cjmy");
  }
  // The row of the list whose column reads `text`; a set-up that names no row throws.
  int row(const std::wstring& list, int column, const std::wstring& text) {
    ListView& l = ui.listView(list);
    for (int r = 0; r < l.rowCount(); ++r)
      if (l.cell(r, column) == text) return r;
    throw std::logic_error("the set-up names a row that is not listed: " + toUtf8(text));
  }
  void select(const std::wstring& list, int column, const std::wstring& text) {
    ui.listView(list).selectRow(row(list, column, text));
  }
  void tick(const std::wstring& list, int column, const std::wstring& text, bool on = true) {
    ui.listView(list).setChecked(row(list, column, text), on);
  }
};

}  // namespace trova::test
