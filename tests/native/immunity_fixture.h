// The immunity page of an in-memory window, with the catalogue loaded.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "immunity/cisid.h"
#include "immunity/immunity_page.h"
#include "support/form_fixture.h"

namespace trova::test {

inline const std::wstring kCompat = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
inline const std::wstring kUserFile = L"C:\\Trova\\cisid.dat";

struct ImmunityFixture {
  FormFixture f;
  MemoryPlatform& mp = f.mp;
  ImmunityPage& page = f.form.page<ImmunityPage>();
  std::array<MemoryListView*, 4> lists{&list(0), &list(1), &list(2), &list(3)};
  MemoryTabs& tabs = f.ui.tabs(L"SSTab_cjmy");

  ImmunityFixture() { InitKnownControls(); }

  MemoryListView& list(int c) { return f.ui.listView(L"ListView_cjmy(" + std::to_wstring(c) + L")"); }
  MemoryListView& user() { return list(3); }
  // In both views, as an immunised machine has it, unless one is named.
  void setFlags(const std::wstring& clsid, std::uint32_t v, std::vector<RegView> views = registryViews()) {
    for (RegView view : views)
      mp.registry.setDword({Hive::LocalMachine, view}, kCompat + clsid, L"Compatibility Flags", v);
  }
  std::optional<std::uint32_t> flags(const std::wstring& clsid, RegView view = RegView::Bits64) {
    auto v = mp.registry.value({Hive::LocalMachine, view}, kCompat + clsid, L"Compatibility Flags");
    if (!v) return std::nullopt;
    return v->asDword();
  }
  // The user adds an entry through the two input boxes.
  void add(const std::wstring& name, const std::wstring& clsid) {
    mp.dialogs.inputAnswers = {name, clsid};
    page.Command_yhzdytj_Click();
  }
  std::vector<std::wstring> column(ListView& l, int c) {
    std::vector<std::wstring> out;
    for (int r = 0; r < l.rowCount(); ++r) out.push_back(l.cell(r, c));
    return out;
  }
  std::vector<std::wstring> messageTexts() {
    std::vector<std::wstring> out;
    for (const auto& m : mp.dialogs.messages) out.push_back(m.text);
    return out;
  }
};

}  // namespace trova::test
