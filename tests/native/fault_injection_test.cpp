// Every action that changes something on a page, run once to count its registry, file and shell calls,
// then with each of them failing in turn. The targets: what the run without a failure changes. No run
// claims success (a message of success, or silence from an action that speaks only on failure) unless
// every target changed; each target holds what it held before or what was meant, and one as before is
// named in the message, unless that says nothing changed (and then nothing did); nothing else changes,
// nothing throws, and the change set the history recorded takes everything back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <regex>
#include <set>

#include "addons/addon_registry.h"
#include "fault_runner.h"
#include "formats/cisid_file.h"
#include "formats/history_file.h"
#include "immunity/kill_bit.h"
#include "privacy/traces.h"
#include "restrictions/policy_switches.h"
#include "settings/browser_basics.h"
#include "software/software_page.h"
#include "startup/startup_page.h"
#include "tools/undo.h"

namespace trova::test {
namespace {

// The state of every place by its kind and where it is, case-folded: "K" a key,
// "V" a value as "key\nname", "F" a file, "P" the n-th program started.
using Snapshot = std::map<std::wstring, std::string>;
using Names = std::vector<std::wstring>;

struct Action {
  std::wstring label, control;  // what the printout calls it, what is clicked
  std::function<void(Scene&)> setUp;
  // The words naming a target left as it was, given where it is: any will do; "等 7 项" counts the last.
  std::function<Names(const std::wstring&)> name;
  std::wstring nothingDone{};  // a message that says nothing was changed, if there is one
  bool recorded = true;        // what it changes goes to the history (not exports and programs started)
};

std::wstring folded(std::wstring s) {
  std::ranges::transform(s, s.begin(), foldCase);
  return s;
}
bool containsNoCase(const std::wstring& text, const std::wstring& part) {
  return folded(text).find(folded(part)) != std::wstring::npos;
}

void walk(RegKey& key, const std::wstring& id, Snapshot& out) {
  out[L"K" + id];
  std::wstring name;
  RegValue v;
  for (std::uint32_t i = 0; key.enumValue(i, name) == regerr::Ok; ++i)
    if (key.queryValue(name, v) == regerr::Ok)
      out[L"V" + id + L"\n" + folded(name)] = std::to_string(int(v.type)) + ":" + std::string(v.data.begin(), v.data.end());
  KeyPtr sub;
  for (std::uint32_t i = 0; key.enumSubKey(i, name) == regerr::Ok; ++i)
    if (key.openSubKey(name, sub) == regerr::Ok) walk(*sub, id + L"\\" + folded(name), out);
}
// The registry, the files outside the history folder and the programs started.
Snapshot snapshot(Scene& s) {
  Snapshot out;
  for (Hive h : {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine})
    if (KeyPtr root; s.reg().open(h, L"", root) == regerr::Ok) walk(*root, folded(rootName(h)), out);
  const std::wstring history = folded(s.form.journal().folder()) + L"\\";
  for (const auto& [path, bytes] : s.files().files)
    if (!path.starts_with(history)) out[L"F" + path] = bytes;
  for (std::size_t i = 0; i < s.fp.inner.shell.started.size(); ++i) out[L"P" + std::to_wstring(i)] = "started";
  return out;
}
std::optional<std::string> state(const Snapshot& s, const std::wstring& id) {
  return s.contains(id) ? std::optional(s.at(id)) : std::nullopt;
}
// The places whose state differs; programs started count only when asked for.
std::set<std::wstring> differences(const Snapshot& a, const Snapshot& b, bool programs = true) {
  std::set<std::wstring> out;
  for (const Snapshot* s : {&a, &b})
    for (const auto& [id, _] : *s)
      if ((programs || id[0] != L'P') && state(a, id) != state(b, id)) out.insert(id);
  return out;
}

struct Run {
  Snapshot before, after{};
  std::wstring text{}, problem{};  // every message the action showed; what it threw, or what its undo left
  FaultPlan plan{};                // its calls, and the one that failed
};
// Undoes the change sets the run recorded, newest first, through the plain platform, and says what is
// not back as it was before the run.
std::wstring undoRecorded(Scene& s, const std::vector<std::wstring>& earlier, const Snapshot& before) {
  const std::wstring folder = s.form.journal().folder();
  std::vector<std::wstring> sets;
  for (const auto& name : s.files().list(folder))
    if (name.size() > 4 && equalsNoCase(name.substr(name.size() - 4), L".reg") && !std::ranges::count(earlier, name))
      sets.push_back(name);
  if (sets.empty()) return L"changed, but nothing was recorded";
  std::ranges::sort(sets, std::greater{});
  for (const auto& name : sets) {
    const auto bytes = s.files().read(joinPath(folder, name), nullptr);
    const auto record = bytes ? readHistory(*bytes) : std::nullopt;
    if (!record) return L"the change set " + name + L" cannot be read";
    const UndoReport report = undoChangeSet(s.fp.inner.platform, folder, *record);
    if (!report.failed.empty() || !report.changedSince.empty()) return L"the change set " + name + L" does not undo";
  }
  const auto left = differences(before, snapshot(s), false);
  return left.empty() ? L"" : L"the undo leaves " + left.begin()->substr(1);
}
Run runOnce(const Action& action, long failAt) {
  Scene s;
  action.setUp(s);
  Run r{snapshot(s)};
  const auto earlier = s.files().list(s.form.journal().folder());
  const std::size_t shown = s.dialogs().messages.size();
  s.fp.plan.arm(failAt);
  try {
    s.form.Click(action.control);
  } catch (const std::exception& e) {
    r.problem = L"threw " + fromUtf8(e.what());
  }
  s.fp.plan.disarm();
  r.plan = s.fp.plan;
  for (std::size_t i = shown; i < s.dialogs().messages.size(); ++i) r.text += s.dialogs().messages[i].text + L"\n";
  r.after = snapshot(s);
  if (r.problem.empty() && action.recorded && !differences(r.before, r.after, false).empty())
    r.problem = undoRecorded(s, earlier, r.before);
  return r;
}
bool claimsSuccess(const std::wstring& text) {
  const auto has = [&](const wchar_t* words) { return text.find(words) != std::wstring::npos; };
  return text.empty() || has(L"成功") || (has(L"清理完成!") && !has(L"未能清理")) ||
         (has(L"已撤销") && !has(L"未恢复") && !has(L"未能恢复"));
}
// The largest N of "等N项", "等 N 项" or "等N处": the places a message counts without naming.
long countedWithoutNames(const std::wstring& text) {
  static const std::wregex counted(L"等 *([0-9]+)");
  long most = 0;
  for (std::wsregex_iterator it(text.begin(), text.end(), counted), end; it != end; ++it)
    most = std::max(most, std::stol((*it)[1].str()));
  return most;
}

enum Count { Actions, Points, FalseSuccesses, Unaccounted };
using Figure = std::array<long, 4>;  // what a page's runs come to
void print(const std::string& what, const Figure& f) {
  std::printf("%s: %ld actions x %ld injection points, %ld false successes, %ld states not accounted for\n",
              what.c_str(), f[Actions], f[Points], f[FalseSuccesses], f[Unaccounted]);
}
// Holds a run to the rules against the run without a failure: the count a broken one adds to, and why.
std::pair<Count, std::wstring> judge(const Action& action, const Run& clean, const Run& r) {
  if (!r.problem.empty()) return {Unaccounted, r.problem};
  const auto targets = differences(clean.before, clean.after), changed = differences(clean.before, r.after);
  for (const auto& id : changed)
    if (!targets.count(id)) return {Unaccounted, L"changed outside the action: " + id};
    else if (state(r.after, id) != state(clean.after, id)) return {Unaccounted, L"neither as before nor as meant: " + id};
  std::vector<std::wstring> stillBefore;  // where they are
  for (const auto& id : targets)
    if (!changed.count(id)) stillBefore.push_back(id.substr(1));
  const bool someDone = !changed.empty();
  if (claimsSuccess(r.text) && !stillBefore.empty())
    return {FalseSuccesses, L"success claimed, but unchanged: " + stillBefore[0]};
  const bool saysNothing = !action.nothingDone.empty() && r.text.find(action.nothingDone) != std::wstring::npos;
  if (saysNothing && someDone) return {Unaccounted, L"says nothing was changed, but something was"};
  const auto named = [&](const std::wstring& n) { return containsNoCase(r.text, n); };
  std::set<std::wstring> unnamed;
  for (const auto& where : stillBefore)
    if (const Names n = action.name(where); !saysNothing && std::ranges::none_of(n, named)) unnamed.insert(n.back());
  if (!unnamed.empty() && countedWithoutNames(r.text) < static_cast<long>(unnamed.size()))
    return {Unaccounted, L"not named: " + *unnamed.begin()};
  return {};
}
// Runs the action without a failure and then once per injection point: every call when there are at
// most 300, else the first 100, the last 100 and 100 between. Prints what broke a rule (the first 40
// times on a page, or every time with TROVA_FAULTS_ALL set).
void runAction(const Action& action, Figure& figure) {
  const Run clean = runOnce(action, 0);
  const std::string label = toUtf8(action.label);
  const std::size_t targets = differences(clean.before, clean.after).size();
  if (!clean.problem.empty() || !claimsSuccess(clean.text) || targets == 0)
    throw std::logic_error(label + ": the run without a failure fails or does nothing: " + toUtf8(clean.problem + clean.text));
  const long n = clean.plan.calls, tried = std::min(n, 300L);
  ++figure[Actions];
  figure[Points] += tried;
  std::printf("  %s: %ld calls, %ld tried, %zu targets\n", label.c_str(), n, tried, targets);
  for (long i = 0; i < tried; ++i) {
    const long k = n <= 300 || i < 100 ? i + 1 : i >= 200 ? n - 299 + i : 101 + (i - 100) * (n - 200) / 100;
    const Run r = runOnce(action, k);
    if (!differences(r.before, clean.before).empty()) throw std::logic_error(label + ": the set-up differs from run to run");
    const auto [count, why] = judge(action, clean, r);
    if (why.empty()) continue;
    if (figure[FalseSuccesses] + figure[Unaccounted] < 40 || std::getenv("TROVA_FAULTS_ALL"))
      std::printf("    %s k=%ld [%s] %s | %s\n", label.c_str(), k, toUtf8(r.plan.failed).c_str(), toUtf8(why).c_str(),
                  toUtf8(r.text).c_str());
    ++figure[count];
  }
}

// ---- the actions, page by page -------------------------------------------------------------------------
constexpr Hive HKCU = Hive::CurrentUser, HKLM = Hive::LocalMachine, HKCR = Hive::ClassesRoot;
const RegRoot HKLM32{HKLM, RegView::Bits32}, HKCR32{HKCR, RegView::Bits32};
const std::wstring kTcpip = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::wstring kEtc = L"C:\\windows\\system32\\drivers\\etc";

// Names: the same words wherever the place; the key of a value; the undo's "key\name" of a value.
auto saying(std::wstring words) { return [words](const std::wstring&) { return Names{words}; }; }
Names keyName(const std::wstring& where) { return {where.substr(0, where.find(L'\n'))}; }
Names undoName(std::wstring where) {
  if (where.ends_with(L'\n')) where += L"(默认)";
  std::ranges::replace(where, L'\n', L'\\');
  return {where};
}
// An export of the page `open` shows to the file `to`.
Action exportTo(std::wstring control, std::function<void(Scene&)> open, std::wstring to) {
  return {L"导出", control, [=](Scene& s) { open(s); s.dialogs().fileAnswers = {to}; }, saying(L"导出失败"), L"导出失败", false};
}

// 插件免疫: controls with the kill-bit flags they hold in the 64- and 32-bit view and whether they get ticked:
// the apply makes a key, clears a bit from a value that goes and from one that keeps others, sets a view's.
struct Control { int list; const wchar_t *name, *clsid; std::uint32_t flags64, flags32; bool ticked; };
const Control kChosen[] = {
    {2, L"AutoCAD 2002 AcPreview 控件", L"{F281A59C-7B65-11D3-8617-0010830243BD}", 0x400, 0x400, false},
    {2, L"Citrix ICA Client", L"{238F6F83-B8B4-11CF-8771-00A024541EE3}", 0x401, 0, true},
    {2, L"Java Plug-in 1.3.1_09", L"{CAFEEFAC-0013-0001-0009-ABCDEFFEDCBA}", 0, 0, true},
    {1, L"I-Lookup", L"{19A447BA-9C2E-4864-93F5-A0645229771E}", 0x401, 0x401, false}};
void setFlags(Scene& s, const std::wstring& clsid, std::uint32_t flags64, std::uint32_t flags32) {
  for (const auto& [root, flags] : {std::pair{RegRoot(HKLM), flags64}, {HKLM32, flags32}})
    if (flags) s.reg().setDword(root, killBitKeyPath(clsid), kCompatibilityFlags, flags);
}
void immunityChoices(Scene& s) {
  for (const Control& c : kChosen) setFlags(s, c.clsid, c.flags64, c.flags32);
  s.open(1);
  // The catalogue's lists cut to their first rows and these, so that every call of the apply is tried.
  for (int c = 0; c < 3; ++c) {
    ListView& list = s.ui.listView(L"ListView_cjmy(" + std::to_wstring(c) + L")");
    for (int r = list.rowCount() - 1; r >= 3; --r)
      if (std::ranges::none_of(kChosen, [&](const Control& k) { return list.cell(r, 1) == k.clsid; })) list.removeRow(r);
  }
  for (const Control& c : kChosen) s.tick(L"ListView_cjmy(" + std::to_wstring(c.list) + L")", 1, c.clsid, c.ticked);
}
Names controlName(const std::wstring& where) {
  for (const Control& c : kChosen)
    if (containsNoCase(where, c.clsid)) return {c.name};
  return {where};
}
// Two user entries in cisid.dat, the first immune with one more flag in the 32-bit view; `unread`:
// cisid.dat cannot be read at start-up; `added`: one more typed in, else the first selected.
auto userEntries(bool unread, bool added) {
  return [=](Scene& s) {
    const std::wstring file = MemoryFiles::key(L"C:\\Trova\\cisid.dat"), a = L"{A0000000-0000-0000-0000-00000000000A}";
    s.files().files[file] = *encodeUserRecords({{3, L"广告条", a}, {3, L"弹窗", L"{A0000000-0000-0000-0000-00000000000B}"}});
    setFlags(s, a, 0x400, 0x401);
    if (unread) s.files().unreadable.insert(file);
    s.open(1);
    s.files().unreadable.clear();
    if (!added) return s.ui.listView(L"ListView_cjmy(3)").selectRow(0);
    s.dialogs().inputAnswers = {L"新插件", L"{A0000000-0000-0000-0000-00000000000C}"};
    s.form.Click(L"Command_yhzdytj");
  };
}

// 插件管理: helper objects in both views, a disabled browser extension, a toolbar, a context menu entry.
void addonsSeen(Scene& s, const std::wstring& row = L"", int column = addons::Id) {
  auto& r = s.reg();
  const auto add = [&](RegRoot root, RegRoot at, const wchar_t* list, const std::wstring& id, const std::wstring& name) {
    r.setText(root, L"CLSID\\" + id, L"", name);
    r.setText(root, L"CLSID\\" + id + L"\\InprocServer32", L"", L"C:\\Addons\\" + name + L".dll");
    r.createKey(at, list + (L"\\" + id));
  };
  add(HKCR, HKLM, addons::kHelperObjectsKey, L"{B0000000-0000-0000-0000-000000000001}", L"Helper");
  add(HKCR32, HKLM32, addons::kHelperObjectsKey, L"{B0000000-0000-0000-0000-000000000032}", L"Helper32");
  add(HKCR, HKLM, addons::kExtensionsKey, L"{E0000000-0000-0000-0000-000000000001}", L"Research");
  r.setText(HKLM, addons::kToolbarKey, L"{70000000-0000-0000-0000-000000000001}", L"Search Bar");
  const std::wstring menu = std::wstring(addons::kMenuExtKey) + L"\\导出到 Excel";
  r.setText(HKCU, menu, L"", L"C:\\Office\\EXCEL.EXE/3000");
  r.setText(HKCU, menu, L"Contexts", L"1");
  const std::wstring settings = std::wstring(addons::kSettingsKey) + L"\\{E0000000-0000-0000-0000-000000000001}";
  r.setDword(HKCU, settings, L"Flags", 1);
  r.setText(HKCU, settings, L"Version", L"*");
  s.open(2);
  if (!row.empty()) s.select(L"ListView_cjgl", column, row);
}
Action addonAction(std::wstring label, std::wstring control, std::wstring row, std::wstring failed, int column = addons::Id) {
  return {label, control, [=](Scene& s) { addonsSeen(s, row, column); }, saying(failed), failed};
}

// 浏览器设置: every basic set anew; the two policies set lifted, or set where none were.
auto browserSettings(bool policiesSet) {
  return [=](Scene& s) {
    auto& r = s.reg();
    for (const auto& [name, on] : {std::pair{L"GeneralTab", 1u}, {L"Proxy", 0u}})
      if (policiesSet) r.setDword(HKCU, policy::kPolicyKey, name, on);
    r.setText(HKCU, browser::kMainKey, L"Start Page", L"http://www.example.com/");
    r.setText(HKCU, browser::kMainKey, L"Search Page", browser::kDefaultSearch);
    r.setText(HKCU, browser::kBrowserKey, L"Download Directory", L"C:\\Downloads");
    for (RegRoot root : {RegRoot(HKLM), HKLM32})
      for (const wchar_t* name : {L"SearchAssistant", L"CustomizeSearch"})
        r.setText(root, browser::kSearchKey, name, browser::kDefaultAssistant);
    s.open(3);
    s.ui.checkBox(L"Check_iebt").setState(CheckState::Checked);
    s.form.Click(L"Check_iebt");
    s.ui.textBox(L"Text_iebt").setText(L"我的浏览器");
    s.ui.textBox(L"Text_iexzml").setText(L"D:\\下载");
    for (const auto& [combo, item] : {std::pair{L"Combo_iesy", 0}, {L"Combo_iesszsdz", 1}}) {
      s.ui.comboBox(combo).select(item);
      s.form.Click(combo);
    }
    for (const wchar_t* row : {L"禁止使用 常规页", L"禁止使用 ...代理"})
      s.tick(L"ListView_llqsz", policy::Label, row, !policiesSet);
  };
}
Names browserSetting(const std::wstring& where) {
  const std::wstring value = where.substr(std::min(where.find(L'\n'), where.size() - 1) + 1);  // "" for a key
  for (const auto& [name, label] : {std::pair{L"Window Title", L"IE标题"}, {L"Start Page", L"IE首页"},
                                    {L"Search Page", L"IE搜索引擎"}, {L"Download Directory", L"IE下载目录"}})
    if (equalsNoCase(value, name)) return {label};
  if (equalsNoCase(value, L"SearchAssistant") || equalsNoCase(value, L"CustomizeSearch"))
    return {containsNoCase(where, L"Wow6432Node") ? L"IE搜索助手/定制（32 位）" : L"IE搜索助手/定制（64 位）"};
  // A switch is named by its row, or all of them by their key.
  for (const PolicySwitch& sw : kPolicySwitches)
    if (!value.empty() && equalsNoCase(value, sw.valueName)) return {sw.label, L"Internet选项限制"};
  return {L"Internet选项限制"};
}

void installedPhotoTool(Scene& s) {
  const std::wstring key = std::wstring(software::kUninstallKey) + L"\\PhotoTool";
  s.reg().setText(HKLM, key, L"DisplayName", L"Photo Tool");
  s.reg().setText(HKLM, key, L"DisplayVersion", L"2.1");
  s.reg().setText(HKLM, key, L"UninstallString", L"\"C:\\Program Files\\Photo\\uninst.exe\" /S");
  s.reg().setDword(HKLM, key, L"NoModify", 1);
  s.reg().setText(HKLM32, std::wstring(software::kUninstallKey) + L"\\Old", L"DisplayName", L"Old Tool");
  s.open(3);
  s.select(L"ListView_rjxz", software::Name, L"Photo Tool");
}

// 启动项目: an entry in each Run key (the user's only when `userRunKey`), `row` selected.
Action startupAction(std::wstring label, std::wstring control, std::wstring row, bool userRunKey = true) {
  const auto setUp = [=](Scene& s) {
    s.reg().setText(HKLM, startup::kRunKey, L"Vendor", L"C:\\Vendor\\agent.exe /tray");
    s.reg().setText(HKLM32, startup::kRunKey, L"Updater", L";C:\\Old\\update.exe");
    if (userRunKey) s.reg().setText(HKCU, startup::kRunKey, L"Chat", L"%ProgramFiles%\\Chat\\chat.exe", RegType::ExpandSz);
    s.open(3);
    if (!row.empty()) s.select(L"ListView_qdxm", startup::Name, row);
    s.dialogs().fileAnswers = {L"C:\\Tools\\tool.exe"};  // for 添加
    s.dialogs().inputAnswers = {L"Tool"};
  };
  return {label, control, setUp, saying(L"“" + (row.empty() ? L"Tool" : row) + L"”")};
}

// 系统清理: the traces named (every one when none is) ticked and left by their applications,
// except one not installed; besides them a value the clean must not touch.
auto traces(std::vector<std::wstring> ticked = {}) {
  return [=](Scene& s) {
    const auto wanted = [&](const Trace& t) { return ticked.empty() || std::ranges::count(ticked, t.label) > 0; };
    for (const Trace& t : traceCatalogue()) {
      if (!wanted(t) || t.label == L"Foxit Reader的打开文件") continue;
      for (const TraceGroup& g : t.groups)
        for (const std::wstring& n : g.names)
          if (t.names == TraceNames::Values) s.reg().setDword(HKCU, g.key, n, 7);
          else s.reg().setText(HKCU, g.key + L"\\" + n, L"MRU0", L"C:\\用户\\" + n);
    }
    s.reg().setText(HKCU, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", L"ShellState", L"kept");
    s.open(3);
    ListView& list = s.ui.listView(L"ListView_ysql");
    for (int r = 0; r < list.rowCount(); ++r) list.setChecked(r, wanted(traceCatalogue()[static_cast<std::size_t>(r)]));
  };
}
// The label of the trace a place (a key, or a value) belongs to.
Names traceLabel(const std::wstring& where) {
  for (const Trace& t : traceCatalogue())
    for (const TraceGroup& g : t.groups)
      for (const std::wstring& n : g.names) {
        const std::wstring owner = folded(rootName(HKCU) + L"\\" + g.key + (t.names == TraceNames::Values ? L"\n" : L"\\") + n);
        if ((where + L"\n").starts_with(owner + L"\n") || where.starts_with(owner + L"\\")) return {t.label};
      }
  return {where};
}

void associationsChanged(Scene& s) {
  auto& r = s.reg();
  r.setText(HKCR, L"exefile\\shell\\open\\command", L"", L"virus.exe \"%1\" %*");
  r.setText(HKCR, L"comfile\\shell\\open\\command", L"", L"\"%1\" %*");
  r.setDword(HKLM, kTcpip, L"DefaultTTL", 128);
  r.setDword(HKLM, L"SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters", L"AutoShareServer", 0);
  r.setDword(HKLM, L"SYSTEM\\CurrentControlSet\\Control\\Lsa", L"LimitBlankPasswordUse", 1);
  s.open(3);
  for (const wchar_t* box : {L"Check_wjglexe", L"Check_wjglreg", L"Check_wlszxznmyhlj", L"Check_wlszjzzdgxserver"}) {
    s.ui.checkBox(box).setState(std::wstring(box) == L"Check_wlszjzzdgxserver" ? CheckState::Unchecked : CheckState::Checked);
    s.form.Click(box);
  }
  s.ui.comboBox(L"Combo_wlsztcpipfzsm").select(2);  // 64
}

// 网站免疫: an entry added to the hosts file, where DataBasePath says; `saved`: backed up before.
Action hostsSave(std::wstring label, std::wstring folder, bool saved = false) {
  const auto setUp = [=](Scene& s) {
    s.fp.inner.shell.variables[L"SYSTEMROOT"] = L"C:\\windows";
    const std::wstring path = folder == kEtc ? L"%SystemRoot%\\System32\\drivers\\etc" : folder;
    s.reg().setText(HKLM, kTcpip, L"DataBasePath", path, RegType::ExpandSz);
    s.files().files[MemoryFiles::key(joinPath(folder, L"hosts"))] =
        "# hosts\r\n127.0.0.1       localhost\r\n0.0.0.0 ads.example.com\r\n";
    if (saved) s.files().files[MemoryFiles::key(joinPath(folder, L"hosts.bak"))] = "# the first\r\n";
    s.open(4);
    s.dialogs().inputAnswers = {L"www.example.org", L"127.0.0.255"};
    s.form.Click(L"Command_wzmytj");
    s.ui.listBox(L"List_wzmy").select(0);
  };
  return {L"保存应用 (" + label + L")", L"Command_wzmybc", setUp, saying(L"没有改动")};
}

// 工具: an action done, then its change set selected on the 工具 tab and undone.
Action undoOf(const std::wstring& label, const Action& done) {
  const auto setUp = [=](Scene& s) {
    done.setUp(s);
    s.form.Click(done.control);
    s.pickTab(5);
    s.ui.listView(L"ListView_gjls").selectRow(0);
  };
  return {L"撤销 (" + label + L")", L"Command_gjcx", setUp, undoName, L"无法读取这条更改记录"};
}

const Action kImmunityApply{L"应 用", L"Command_cjmy", immunityChoices, controlName};
const Action kAssociations{L"应用", L"Command_xtglyy", associationsChanged, keyName};
const Action kAddonDelete =
    addonAction(L"删除 (helper object, 32-bit)", L"Command_cjglsc", L"{B0000000-0000-0000-0000-000000000032}", L"删除失败");
// Four traces and one application not installed: a clean small enough to undo at every call.
const Action kSmallClean{L"清理", L"Command_ysql", traces({L"ACDSee打开的路径", L"EmEditor的打开文件及文件夹",
    L"WinImage打开的文件", L"XP隐藏不活动的图标痕迹", L"Foxit Reader的打开文件"}), traceLabel};

const std::vector<std::pair<std::wstring, std::vector<Action>>> kPages = {
    {L"插件免疫",
     {kImmunityApply, exportTo(L"Command_cjmydc", [](Scene& s) { s.open(1); }, L"C:\\Trova\\免疫.reg"),
      {L"删除", L"Command_yhzdysc", userEntries(false, false), saying(L"免疫设置未能删除")},
      {L"保存", L"Command_yhzdybc", userEntries(false, true), saying(L"保存失败")},
      {L"保存 (cisid.dat unread at start)", L"Command_yhzdybc", userEntries(true, true), saying(L"保存失败")}}},
    {L"插件管理",
     {addonAction(L"禁用", L"Command_cjgljy", L"{B0000000-0000-0000-0000-000000000001}", L"禁用失败"),
      addonAction(L"启用", L"Command_cjglqy", L"{E0000000-0000-0000-0000-000000000001}", L"启用失败"), kAddonDelete,
      addonAction(L"删除 (toolbar)", L"Command_cjglsc", L"{70000000-0000-0000-0000-000000000001}", L"删除失败"),
      addonAction(L"删除 (context menu)", L"Command_cjglsc", L"导出到 Excel", L"删除失败", addons::Name),
      exportTo(L"Command_cjgldc", [](Scene& s) { addonsSeen(s); }, L"C:\\Trova\\插件.txt")}},
    {L"浏览器设置",
     {{L"应用 (no policy yet)", L"Command_llqsz", browserSettings(false), browserSetting},
      {L"应用 (policies set)", L"Command_llqsz", browserSettings(true), browserSetting}}},
    {L"软件卸载",
     {{L"仅仅删除信息", L"Command_rjxzsc", installedPhotoTool, saying(L"“Photo Tool”")},
      {L"卸载", L"Command_rjxzxz", installedPhotoTool, saying(L"“Photo Tool”"), {}, false}}},
    {L"启动项目",
     {startupAction(L"禁用", L"Command_qdxmjy", L"Chat"), startupAction(L"启用 (32-bit)", L"Command_qdxmqy", L"Updater"),
      startupAction(L"删除", L"Command_qdxmsc", L"Vendor"), startupAction(L"添加", L"Command_qdxmtj", L""),
      startupAction(L"添加 (no Run key yet)", L"Command_qdxmtj", L"", false)}},
    {L"系统清理", {{L"清理 (every trace)", L"Command_ysql", traces(), traceLabel}}},
    {L"系统关联", {kAssociations}},
    {L"网站免疫",
     {hostsSave(L"first save", kEtc), hostsSave(L"saved before", kEtc, true), hostsSave(L"DataBasePath elsewhere", L"D:\\etc")}},
    {L"工具",
     {undoOf(L"系统清理", kSmallClean), undoOf(L"系统关联 应用", kAssociations), undoOf(L"插件免疫 应 用", kImmunityApply),
      undoOf(L"插件管理 删除", kAddonDelete), undoOf(L"网站免疫 保存应用", hostsSave(L"first save", kEtc))}},
};

struct Totals : Figure {
  ~Totals() { if (at(Actions) > 0) print("fault injection, every page", *this); }
} totals;

class FaultInjection : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultInjection, EveryFailureIsReportedAndLosesNothing) {
  const auto& [page, actions] = kPages[GetParam()];
  std::printf("%s\n", toUtf8(page).c_str());
  Figure f{};
  for (const Action& action : actions) runAction(action, f);
  print(toUtf8(page), f);
  EXPECT_EQ(f[FalseSuccesses], 0);
  EXPECT_EQ(f[Unaccounted], 0);
  for (int i = Actions; i <= Unaccounted; ++i) totals[i] += f[i];
}

INSTANTIATE_TEST_SUITE_P(EveryPage, FaultInjection, ::testing::Range<std::size_t>(0, kPages.size()));

}  // namespace
}  // namespace trova::test
