// The virtual list view wrapper on a real list view control under Wine: the
// control shows the wrapper's rows and marks, the selection follows removed
// and re-ordered rows as a list control's would, and the space key toggles.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/controls.h"

namespace trova::test {
namespace {

using win32::Win32ListView;

Win32ListView* routed = nullptr;  // the wrapper the test window asks for rows

LRESULT CALLBACK parentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == LVN_GETDISPINFOW && routed) {
    routed->answer(*reinterpret_cast<NMLVDISPINFOW*>(lp));
    return 0;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == LVN_ODFINDITEMW && routed)
    return routed->find(*reinterpret_cast<NMLVFINDITEMW*>(lp));
  return DefWindowProcW(hwnd, msg, wp, lp);
}

class Win32VirtualListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = parentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TrovaVirtualListTest";
    RegisterClassExW(&wc);  // fails harmlessly when an earlier test registered it
    parent_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                              wc.hInstance, nullptr);
    ASSERT_NE(parent_, nullptr);
    lv_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0, 0,
                          380, 280, parent_, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(lv_, nullptr);
    SendMessageW(lv_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    for (int c = 0; c < 2; ++c) {
      LVCOLUMNW col{};
      col.mask = LVCF_WIDTH;
      col.cx = 100;
      SendMessageW(lv_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
    list_ = std::make_unique<Win32ListView>(lv_, 2);
    routed = list_.get();
  }
  void TearDown() override {
    routed = nullptr;
    list_.reset();
    if (parent_) DestroyWindow(parent_);
  }

  // What the control itself reports, through its own messages.
  int controlCount() const { return static_cast<int>(SendMessageW(lv_, LVM_GETITEMCOUNT, 0, 0)); }
  int controlSelection() const {
    return static_cast<int>(SendMessageW(lv_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }
  std::wstring controlText(int row, int column) const {
    wchar_t buf[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 64;
    SendMessageW(lv_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buf;
  }
  int controlMark(int row) const {
    auto state = SendMessageW(lv_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12);
  }
  std::vector<std::wstring> firstColumn() const {
    std::vector<std::wstring> out;
    for (int r = 0; r < controlCount(); ++r) out.push_back(controlText(r, 0));
    return out;
  }
  void add(std::initializer_list<const wchar_t*> texts) {
    for (const wchar_t* t : texts) list_->addRow({t, std::wstring(t) + L"-2"}, false);
  }

  HWND parent_ = nullptr;
  HWND lv_ = nullptr;
  std::unique_ptr<Win32ListView> list_;
};

TEST_F(Win32VirtualListTest, TheControlShowsTheRowsAndMarksAfterAFill) {
  {
    ListFill fill(*list_);
    list_->addRow({L"一", L"甲"}, true);
    list_->addRow({L"two"}, false);
    list_->addRow({L"three", L"c"}, true);
    EXPECT_EQ(controlCount(), 0) << "a fill tells the control only when it ends";
  }
  ASSERT_EQ(controlCount(), 3);
  EXPECT_EQ(controlText(0, 0), L"一");
  EXPECT_EQ(controlText(0, 1), L"甲");
  EXPECT_EQ(controlText(1, 1), L"");
  EXPECT_EQ(controlMark(0), 2);
  EXPECT_EQ(controlMark(1), 1);

  list_->setCell(1, 1, L"b");
  list_->setChecked(0, false);
  list_->setChecked(1, true);
  EXPECT_EQ(controlText(1, 1), L"b");
  EXPECT_EQ(controlMark(0), 1);
  EXPECT_EQ(controlMark(1), 2);
  EXPECT_FALSE(list_->checked(0));
  EXPECT_TRUE(list_->checked(1));
}

TEST_F(Win32VirtualListTest, ARefillForgetsTheOldSelectionAndRows) {
  add({L"a", L"b", L"c"});
  list_->selectRow(2);
  {
    ListFill fill(*list_);
    list_->clear();
    EXPECT_EQ(list_->selectedRow(), -1) << "an emptied list has nothing selected, also in a fill";
    add({L"x", L"y", L"z", L"w"});
    EXPECT_EQ(list_->selectedRow(), -1);
  }
  EXPECT_EQ(controlCount(), 4);
  EXPECT_EQ(controlSelection(), -1);
  EXPECT_EQ(firstColumn(), (std::vector<std::wstring>{L"x", L"y", L"z", L"w"}));
  list_->selectRow(3);
  EXPECT_EQ(controlSelection(), 3);
}

TEST_F(Win32VirtualListTest, SelectionFollowsRemovedRows) {
  add({L"a", L"b", L"c", L"d"});
  list_->selectRow(2);
  ASSERT_EQ(controlSelection(), 2);

  list_->removeRow(0);  // a row before the selected one: the selection moves up with its row
  EXPECT_EQ(list_->selectedRow(), 1);
  EXPECT_EQ(controlSelection(), 1);
  EXPECT_EQ(list_->cell(1, 0), L"c");

  list_->removeRow(2);  // a row after it: nothing moves
  EXPECT_EQ(list_->selectedRow(), 1);

  list_->removeRow(1);  // the selected row itself: nothing stays selected
  EXPECT_EQ(list_->selectedRow(), -1);
  EXPECT_EQ(controlSelection(), -1);
  EXPECT_EQ(firstColumn(), (std::vector<std::wstring>{L"b"}));

  list_->removeRow(5);  // out of range: no change
  EXPECT_EQ(list_->rowCount(), 1);
  list_->selectRow(0);
  list_->clear();
  EXPECT_EQ(controlCount(), 0);
  EXPECT_EQ(list_->selectedRow(), -1);
}

TEST_F(Win32VirtualListTest, SortingIsStableAndTheSelectionAndNewRowsAreFollowed) {
  add({L"b", L"A", L"a", L"c"});
  list_->selectRow(3);  // "c"
  list_->setSort({0, false, true});
  EXPECT_EQ(firstColumn(), (std::vector<std::wstring>{L"A", L"a", L"b", L"c"}));
  EXPECT_EQ(list_->selectedRow(), 3);
  EXPECT_EQ(list_->cell(1, 1), L"a-2") << "whole rows move, not only their first cell";

  EXPECT_EQ(list_->addRow({L"B", L"x"}, true), 3) << "where the new row landed";
  EXPECT_EQ(firstColumn(), (std::vector<std::wstring>{L"A", L"a", L"b", L"B", L"c"}));
  EXPECT_EQ(controlMark(3), 2);
  EXPECT_EQ(list_->selectedRow(), 4);

  list_->setSort({0, true, true});
  EXPECT_EQ(firstColumn(), (std::vector<std::wstring>{L"c", L"b", L"B", L"A", L"a"}));
  EXPECT_EQ(list_->selectedRow(), 0);
}

TEST_F(Win32VirtualListTest, TheSpaceKeyTogglesTheFocusedRowsMark) {
  add({L"a", L"b"});
  list_->selectRow(1);
  SendMessageW(lv_, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(list_->checked(1));
  EXPECT_EQ(controlMark(1), 2);
  EXPECT_FALSE(list_->checked(0));
  SendMessageW(lv_, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_FALSE(list_->checked(1));
  EXPECT_EQ(controlMark(1), 1);
}

TEST_F(Win32VirtualListTest, TypingALetterSelectsTheNextRowStartingWithIt) {
  add({L"apple", L"Banana", L"cherry", L"blue"});
  SendMessageW(lv_, WM_CHAR, L'b', 1);  // a repeat count of one, as a key press has
  EXPECT_EQ(list_->selectedRow(), 1) << "without regard to case";

  NMLVFINDITEMW ask{};
  ask.iStart = 2;
  ask.lvfi.flags = LVFI_PARTIAL | LVFI_WRAP;
  ask.lvfi.psz = L"b";
  EXPECT_EQ(list_->find(ask), 3);
  ask.iStart = 3;
  ask.lvfi.psz = L"ch";
  EXPECT_EQ(list_->find(ask), 2) << "round to the top";
  ask.lvfi.flags = LVFI_PARTIAL;
  EXPECT_EQ(list_->find(ask), -1) << "no wrapping asked for";
  ask.iStart = 0;
  ask.lvfi.flags = LVFI_STRING;
  EXPECT_EQ(list_->find(ask), -1) << "a whole-text search does not match a prefix";
  ask.lvfi.psz = L"CHERRY";
  EXPECT_EQ(list_->find(ask), 2);
}

}  // namespace
}  // namespace trova::test
