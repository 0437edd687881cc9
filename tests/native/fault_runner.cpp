#include "fault_runner.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <optional>
#include <set>
#include <stdexcept>

#include "formats/history_file.h"
#include "formats/reg_file.h"
#include "platform/text.h"
#include "tools/undo.h"

namespace trova::test {

namespace {

std::wstring folded(std::wstring s) {
  for (wchar_t& c : s) c = foldCase(c);
  return s;
}

// ---- what the machine holds --------------------------------------------------------

struct Held {
  Place place;
  std::string state;
};
using Snapshot = std::map<std::wstring, Held>;  // by place, case-folded

// `id` is the path case-folded.
void walk(RegKey& key, const std::wstring& path, const std::wstring& id, Snapshot& out) {
  out[L"K" + id] = {{Place::Kind::Key, path, L""}, ""};
  std::wstring name;
  for (std::uint32_t i = 0; key.enumValue(i, name) == regerr::Ok; ++i) {
    RegValue v;
    if (key.queryValue(name, v) != regerr::Ok) continue;
    out[L"V" + id + L"\n" + folded(name)] = {
        {Place::Kind::Value, path, name},
        std::to_string(static_cast<int>(v.type)) + ":" + std::string(v.data.begin(), v.data.end())};
  }
  for (std::uint32_t i = 0; key.enumSubKey(i, name) == regerr::Ok; ++i) {
    KeyPtr sub;
    if (key.openSubKey(name, sub) == regerr::Ok) walk(*sub, path + L"\\" + name, id + L"\\" + folded(name), out);
  }
}

// The registry, the files outside the history folder and the programs started.
Snapshot snapshot(Scene& s) {
  Snapshot out;
  for (Hive h : {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine}) {
    KeyPtr root;
    if (s.reg().open(h, L"", root) == regerr::Ok) walk(*root, rootName(h), folded(rootName(h)), out);
  }
  const std::wstring history = folded(s.form.journal().folder()) + L"\\";
  for (const auto& [path, bytes] : s.files().files)
    if (path.rfind(history, 0) != 0) out[L"F" + path] = {{Place::Kind::File, path, L""}, bytes};
  const auto& started = s.fp.inner.shell.started;
  for (std::size_t i = 0; i < started.size(); ++i)
    out[L"P" + std::to_wstring(i)] = {{Place::Kind::Program, started[i].first + L" " + started[i].second, L""}, "started"};
  return out;
}

const Held* find(const Snapshot& s, const std::wstring& id) {
  auto it = s.find(id);
  return it == s.end() ? nullptr : &it->second;
}

bool sameState(const Held* a, const Held* b) { return a == b || (a && b && a->state == b->state); }

bool sameSnapshot(const Snapshot& a, const Snapshot& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const auto& x, const auto& y) { return x.first == y.first && x.second.state == y.second.state; });
}

std::set<std::wstring> places(const std::vector<const Snapshot*>& all) {
  std::set<std::wstring> ids;
  for (const Snapshot* s : all)
    for (const auto& entry : *s) ids.insert(entry.first);
  return ids;
}

// The places whose state differs; programs started count only when asked for.
std::vector<std::wstring> differences(const Snapshot& a, const Snapshot& b, bool programs) {
  std::vector<std::wstring> ids;
  for (const auto& id : places({&a, &b}))
    if ((programs || id[0] != L'P') && !sameState(find(a, id), find(b, id))) ids.push_back(id);
  return ids;
}

// ---- one run -----------------------------------------------------------------------

struct Run {
  Snapshot before, after;
  std::wstring text;  // every message the action showed
  long calls = 0;
  std::wstring failedCall, thrown, undoProblem;
};

// Undoes the change set the run recorded, through the plain platform, and
// says what is not back as it was before the run.
std::wstring undoRecorded(Scene& s, const std::vector<std::wstring>& earlierSets, const Snapshot& before) {
  const std::wstring folder = s.form.journal().folder();
  std::vector<std::wstring> sets;
  for (const auto& name : s.files().list(folder))
    if (name.size() > 4 && equalsNoCase(name.substr(name.size() - 4), L".reg") &&
        std::find(earlierSets.begin(), earlierSets.end(), name) == earlierSets.end())
      sets.push_back(name);
  if (sets.empty()) return L"changed, but nothing was recorded";
  std::sort(sets.rbegin(), sets.rend());
  Platform plain{s.reg(), s.files(), s.fp.inner.shell, s.dialogs(), s.fp.inner.folders};
  for (const auto& name : sets) {
    const auto bytes = s.files().read(joinPath(folder, name), nullptr);
    const auto record = bytes ? readHistory(*bytes) : std::nullopt;
    if (!record) return L"the change set " + name + L" cannot be read";
    const UndoReport report = undoChangeSet(plain, folder, *record);
    if (!report.failed.empty() || !report.changedSince.empty()) return L"the change set " + name + L" does not undo";
  }
  const auto left = differences(before, snapshot(s), false);
  return left.empty() ? std::wstring() : L"the undo leaves " + left.front().substr(1);
}

Run runOnce(const Action& action, long failAt) {
  Scene s;
  action.setUp(s);
  Run r;
  r.before = snapshot(s);
  const std::vector<std::wstring> earlierSets = s.files().list(s.form.journal().folder());
  const std::size_t shown = s.dialogs().messages.size();
  s.fp.plan.arm(failAt);
  try {
    s.form.Click(action.control);
  } catch (const std::exception& e) {
    r.thrown = fromUtf8(e.what());
  } catch (...) {
    r.thrown = L"an exception";
  }
  s.fp.plan.disarm();
  r.calls = s.fp.plan.calls();
  r.failedCall = s.fp.plan.failed();
  for (std::size_t i = shown; i < s.dialogs().messages.size(); ++i) r.text += s.dialogs().messages[i].text + L"\n";
  r.after = snapshot(s);
  if (action.recorded && !differences(r.before, r.after, false).empty())
    r.undoProblem = undoRecorded(s, earlierSets, r.before);
  return r;
}

// ---- what the message says ----------------------------------------------------------

bool claimsSuccess(const std::wstring& text) {
  if (text.empty()) return true;  // an action that speaks up only when it fails
  if (text.find(L"成功") != std::wstring::npos) return true;
  if (text.find(L"清理完成!") != std::wstring::npos && text.find(L"未能清理") == std::wstring::npos) return true;
  return text.find(L"已撤销") != std::wstring::npos && text.find(L"未恢复") == std::wstring::npos &&
         text.find(L"未能恢复") == std::wstring::npos;
}

// The largest N of "等N项" / "等 N 项" / "等N处": the places a message counts without naming.
long countedWithoutNames(const std::wstring& text) {
  long most = 0;
  for (std::size_t at = text.find(L"等"); at != std::wstring::npos; at = text.find(L"等", at + 1)) {
    std::size_t i = at + 1;
    while (i < text.size() && text[i] == L' ') ++i;
    long n = 0;
    bool digits = false;
    for (; i < text.size() && std::iswdigit(text[i]); ++i, digits = true) n = n * 10 + (text[i] - L'0');
    if (digits) most = std::max(most, n);
  }
  return most;
}

// Whether the text holds the name, or one of the names "a|b" offers.
bool namedIn(const std::wstring& text, const std::wstring& names) {
  for (std::size_t start = 0;;) {
    const std::size_t bar = names.find(L'|', start);
    if (containsNoCase(text, names.substr(start, bar - start))) return true;
    if (bar == std::wstring::npos) return false;
    start = bar + 1;
  }
}

enum class Verdict { Sound, FalseSuccess, Unaccounted };

// Holds a run to the rules against the run without a failure; `why` says what broke one.
Verdict judge(const Action& action, const Run& clean, const Run& r, std::wstring& why) {
  if (!r.thrown.empty()) {
    why = L"threw " + r.thrown;
    return Verdict::Unaccounted;
  }
  std::vector<Place> stillBefore;
  bool someDone = false;
  for (const auto& id : places({&clean.before, &clean.after, &r.after})) {
    const Held* s0 = find(clean.before, id);
    const Held* s1 = find(clean.after, id);
    const Held* now = find(r.after, id);
    if (sameState(s0, s1)) {
      if (!sameState(now, s0)) {
        why = L"changed outside the action: " + id.substr(1);
        return Verdict::Unaccounted;
      }
    } else if (sameState(now, s0)) {
      stillBefore.push_back((s0 ? s0 : s1)->place);
    } else if (sameState(now, s1)) {
      someDone = true;
    } else {
      why = L"neither as before nor as meant: " + id.substr(1);
      return Verdict::Unaccounted;
    }
  }
  if (claimsSuccess(r.text) && !stillBefore.empty()) {
    why = L"success claimed, but unchanged: " + stillBefore.front().path + L" " + stillBefore.front().name;
    return Verdict::FalseSuccess;
  }
  const bool saysNothing = !action.nothingDone.empty() && r.text.find(action.nothingDone) != std::wstring::npos;
  if (saysNothing && someDone) {
    why = L"says nothing was changed, but something was";
    return Verdict::Unaccounted;
  }
  if (!saysNothing && !stillBefore.empty()) {
    std::set<std::wstring> unnamed;
    for (const Place& p : stillBefore)
      if (const std::wstring n = action.name(p); !namedIn(r.text, n)) unnamed.insert(n.substr(n.rfind(L'|') + 1));
    if (!unnamed.empty() && countedWithoutNames(r.text) < static_cast<long>(unnamed.size())) {
      why = L"not named: " + *unnamed.begin();
      return Verdict::Unaccounted;
    }
  }
  if (!r.undoProblem.empty()) {
    why = r.undoProblem;
    return Verdict::Unaccounted;
  }
  return Verdict::Sound;
}

std::vector<long> injectionPoints(long n) {
  std::vector<long> points;
  if (n <= 300) {
    for (long k = 1; k <= n; ++k) points.push_back(k);
    return points;
  }
  for (long k = 1; k <= 100; ++k) points.push_back(k);
  const long middle = n - 200;  // calls 101 … n-100
  for (long i = 0; i < 100; ++i) points.push_back(101 + i * middle / 100);
  for (long k = n - 99; k <= n; ++k) points.push_back(k);
  return points;
}

}  // namespace

Scene::Scene() { reg().createKey(Hive::LocalMachine, L"SOFTWARE\\Wow6432Node"); }

void Scene::open(int tab) {
  // The start-up; the catalogue and its 782 rows only when the immunity page
  // is the one used, as no other page reads them and they take most of the time.
  for (const auto& step : form.routes().startup)
    if (tab == 1 || (step.step != StartupStep::KnownControls && step.step != StartupStep::ImmunityLists)) step.run();
  pickTab(tab);
}

void Scene::pickTab(int tab) {
  ui.tabs(L"TabStrip_cjmy").setCurrent(tab - 1);
  form.Click(L"TabStrip_cjmy");
}

int Scene::row(const std::wstring& list, int column, const std::wstring& text) {
  ListView& l = ui.listView(list);
  for (int r = 0; r < l.rowCount(); ++r)
    if (l.cell(r, column) == text) return r;
  throw std::logic_error("the set-up names a row that is not listed: " + toUtf8(text));
}

void Scene::select(const std::wstring& list, int column, const std::wstring& text) {
  ui.listView(list).selectRow(row(list, column, text));
}

void Scene::tick(const std::wstring& list, int column, const std::wstring& text, bool on) {
  ui.listView(list).setChecked(row(list, column, text), on);
}

bool containsNoCase(const std::wstring& text, const std::wstring& part) {
  return folded(text).find(folded(part)) != std::wstring::npos;
}

void runAction(const Action& action, Figure& figure) {
  const Run clean = runOnce(action, 0);
  const std::string label = toUtf8(action.label);
  if (!clean.thrown.empty() || !claimsSuccess(clean.text) || !clean.undoProblem.empty())
    throw std::logic_error(label + ": the run without a failure does not succeed: " +
                           toUtf8(clean.thrown + clean.text + clean.undoProblem));
  const std::size_t targets = differences(clean.before, clean.after, true).size();
  if ((targets > 0) != action.changes) throw std::logic_error(label + ": the set-up changes what it should not");

  const std::vector<long> points = injectionPoints(clean.calls);
  ++figure.actions;
  figure.points += static_cast<long>(points.size());
  std::printf("  %s: %ld calls, %zu tried, %zu targets\n", label.c_str(), clean.calls, points.size(), targets);
  for (long k : points) {
    const Run r = runOnce(action, k);
    if (!sameSnapshot(r.before, clean.before))
      throw std::logic_error(label + ": the set-up is not the same from run to run");
    std::wstring why;
    const Verdict v = judge(action, clean, r, why);
    if (v == Verdict::Sound) continue;
    (v == Verdict::FalseSuccess ? figure.falseSuccesses : figure.unaccounted) += 1;
    std::wstring text = r.text;
    std::replace(text.begin(), text.end(), L'\n', L' ');
    std::replace(text.begin(), text.end(), L'\r', L' ');
    figure.findings.push_back(action.label + L" k=" + std::to_wstring(k) + L" [" + r.failedCall + L"] " + why +
                              L" | " + text);
  }
}

}  // namespace trova::test
