// Runs one action of the window again and again, each time with one more of
// its calls failing, and holds every run to what the user is told:
//   - no success is claimed (a message of success, or silence from an action
//     that only speaks up when it fails) unless every target was changed;
//   - every target holds what it held before or what the action meant it to;
//     one still as before is named in the message, or the message says that
//     nothing was changed (and then nothing was);
//   - nothing else changed, nothing threw, and the change set the history
//     recorded takes everything back.
// The targets are the places a run without a failure changes.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/memory_control_set.h"
#include "fault_platform.h"

namespace trova::test {

// A window over the faulty platform, with the machine a 64-bit Windows is.
struct Scene {
  FaultPlatform fp;
  MemoryControlSet ui;
  Form1 form{fp.platform, ui, [] { return std::wstring(L"2026-12-07 10:30:05"); }};

  Scene();
  MemoryRegistry& reg() { return fp.inner.registry; }
  MemoryFiles& files() { return fp.inner.files; }
  ScriptedDialogs& dialogs() { return fp.inner.dialogs; }
  // Start-up, then the main tab `tab` (from 1) picked.
  void open(int tab);
  void pickTab(int tab);
  // The row of the list whose column reads `text`; a set-up that names no row throws.
  int row(const std::wstring& list, int column, const std::wstring& text);
  void select(const std::wstring& list, int column, const std::wstring& text);
  void tick(const std::wstring& list, int column, const std::wstring& text, bool on = true);
};

// One place an action may change.
struct Place {
  enum class Kind { Key, Value, File, Program };
  Kind kind;
  std::wstring path;  // a key's full name, a file's path, or the program started
  std::wstring name;  // a value's name
};

struct Action {
  std::wstring label;    // what the printout calls it
  std::wstring control;  // what is clicked
  std::function<void(Scene&)> setUp;
  // The words by which the message names a target that was left as it was
  // ("a|b": either will do, and "b" is what a count such as "等 7 项" counts).
  std::function<std::wstring(const Place&)> name;
  // Text of a message that says nothing was changed; empty when there is none.
  std::wstring nothingDone{};
  bool recorded = true;  // what it changes goes to the history (exports and programs started do not)
  bool changes = true;   // false: it only changes the window (the disk is written by another button)
};

struct Figure {
  int actions = 0;
  long points = 0, falseSuccesses = 0, unaccounted = 0;
  std::vector<std::wstring> findings;  // one line per faulty run
};

// Runs the action without a failure and then once per injection point:
// every call when there are at most 300, else the first 100, the last 100
// and 100 spread between.
void runAction(const Action& action, Figure& figure);

bool containsNoCase(const std::wstring& text, const std::wstring& part);

}  // namespace trova::test
