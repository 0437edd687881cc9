// An immunity page on in-memory lists and platform, with the catalogue loaded.
#pragma once
#include <string>
#include <vector>

#include "app/form1_layout.h"
#include "immunity/cisid.h"
#include "immunity/immunity_page.h"
#include "platform/memory_platform.h"
#include "ui/memory_controls.h"

namespace trova::test {

inline const std::wstring kCompat = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
inline const std::wstring kUserFile = L"C:\\Trova\\cisid.dat";

struct ImmunityFixture {
  MemoryPlatform mp;
  std::array<MemoryListView, 4> lists{MemoryListView(kImmunityColumns), MemoryListView(kImmunityColumns),
                                      MemoryListView(kImmunityColumns), MemoryListView(kImmunityColumns)};
  MemoryTabs tabs;
  ImmunityPage page{mp.platform, {&lists[0], &lists[1], &lists[2], &lists[3]}, tabs};

  ImmunityFixture() { InitKnownControls(); }

  MemoryListView& user() { return lists[3]; }
  void setFlags(const std::wstring& clsid, std::uint32_t v) {
    mp.registry.setDword(Hive::LocalMachine, kCompat + clsid, L"Compatibility Flags", v);
  }
  std::optional<std::uint32_t> flags(const std::wstring& clsid) {
    auto v = mp.registry.value(Hive::LocalMachine, kCompat + clsid, L"Compatibility Flags");
    if (!v) return std::nullopt;
    return v->asDword();
  }
  // The user adds an entry through the two input boxes.
  void add(const std::wstring& name, const std::wstring& clsid) {
    mp.dialogs.inputAnswers = {name, clsid};
    page.Command_yhzdytj_Click();
  }
  std::vector<std::wstring> column(ListView& list, int c) {
    std::vector<std::wstring> out;
    for (int r = 0; r < list.rowCount(); ++r) out.push_back(list.cell(r, c));
    return out;
  }
  std::vector<std::wstring> messageTexts() {
    std::vector<std::wstring> out;
    for (const auto& m : mp.dialogs.messages) out.push_back(m.text);
    return out;
  }
};

}  // namespace trova::test
