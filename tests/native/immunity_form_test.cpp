// The immunity page inside the main window: start-up steps and event routing.
#include <gtest/gtest.h>

#include "support/form_fixture.h"

namespace trova::test {
namespace {

TEST(ImmunityForm, StartUpFillsTheCatalogueListsThenTheUserEntries) {
  FormFixture f;
  const std::wstring compat = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
  for (RegView view : registryViews())
    f.reg().setDword({Hive::LocalMachine, view}, compat + L"{1}", L"Compatibility Flags", 0x400);
  // One user record: category 3, "u", "{1}".
  std::string rec("\x03\x00\x01\x00u\x03\x00{1}", 10);
  f.mp.files.files[MemoryFiles::key(L"C:\\Trova\\cisid.dat")] = rec;
  f.load();
  EXPECT_EQ(f.ui.listView(L"ListView_cjmy(0)").rowCount(), 110);
  EXPECT_EQ(f.ui.listView(L"ListView_cjmy(1)").rowCount(), 497);
  EXPECT_EQ(f.ui.listView(L"ListView_cjmy(2)").rowCount(), 175);
  ASSERT_EQ(f.ui.listView(L"ListView_cjmy(3)").rowCount(), 1);
  EXPECT_TRUE(f.ui.listView(L"ListView_cjmy(3)").checked(0));
  EXPECT_EQ(f.ui.listView(L"ListView_cjmy(3)").header(0), L"插件名称 (未免疫0项,总1项)");
}

TEST(ImmunityForm, ButtonsAndTheTabControlReachThePage) {
  FormFixture f;
  f.load();
  f.ui.tabs(L"SSTab_cjmy").setCurrent(3);
  f.form.Click(L"SSTab_cjmy");
  ASSERT_EQ(f.mp.dialogs.messages.size(), 1u);

  f.mp.dialogs.inputAnswers = {L"mine", L"{X}"};
  f.form.Click(L"Command_yhzdytj");
  ASSERT_EQ(f.ui.listView(L"ListView_cjmy(3)").rowCount(), 1);

  f.form.Click(L"Command_yhzdybc");
  EXPECT_EQ(f.mp.dialogs.messages.back().text, L"保存成功!");

  f.ui.listView(L"ListView_cjmy(3)").setChecked(0, true);
  f.form.Click(L"Command_cjmy");
  EXPECT_EQ(f.mp.dialogs.messages.back().text, L"应用更改成功!");
  EXPECT_TRUE(f.reg().value(Hive::LocalMachine,
                            L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\{X}",
                            L"Compatibility Flags"));

  f.mp.dialogs.fileAnswers = {std::wstring(L"C:\\k.reg")};
  f.form.Click(L"Command_cjmydc");
  EXPECT_EQ(f.mp.dialogs.messages.back().text, L"导出成功!");

  f.ui.listView(L"ListView_cjmy(3)").selectRow(0);
  f.form.Click(L"Command_yhzdysc");
  EXPECT_EQ(f.ui.listView(L"ListView_cjmy(3)").rowCount(), 0);
}

}  // namespace
}  // namespace trova::test
