// The real main window: creates the controls of the design, lays them out for
// the window's size and DPI, and routes their messages to the page logic.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "ui/controls.h"

namespace trova::win32 {

class Win32ListView;
class Win32ControlSet;

class Form1Window {
 public:
  // `ownerChanged` is told the window handle once it exists, so that dialogs
  // can be owned by it.
  Form1Window(Platform& platform, std::function<void(HWND)> ownerChanged = {});
  ~Form1Window();
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  // Creates the window and its controls and runs the start-up sequence; the
  // notices start-up found are shown once the window is first on screen.
  HWND create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }
  // A control by its design name ("ListView_cjgl", "SSTab_cjmy.3", ...), or null.
  HWND control(const std::wstring& name) const;
  Form1& form() { return *form_; }
  // The wrapper that holds a list's rows, by design name, or null.
  Win32ListView* list(const std::wstring& name) const;

  static constexpr const wchar_t* kClassName = L"TrovaForm1";
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  void createControls();
  void createMenus();
  void buildLogic();
  void applyFont();
  void layout();
  static LRESULT CALLBACK tabStripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  void place(const std::wstring& name, int x, int y, int w, int h);  // 96-DPI units in the parent
  void showInnerPage(const std::wstring& tabs, int index);
  void onCommand(WPARAM wp, LPARAM lp);
  LRESULT onNotify(NMHDR* hdr);
  void paintBanner(HDC dc);

  Platform& platform_;
  std::function<void(HWND)> ownerChanged_;
  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;
  HBITMAP banner_ = nullptr;
  std::map<std::wstring, HWND> controls_;
  std::map<int, std::wstring> namesById_;
  std::map<HWND, std::wstring> namesByHwnd_;
  std::map<std::wstring, HMENU> popups_;
  std::unique_ptr<PopupMenus> menus_;
  std::unique_ptr<Win32ControlSet> controlSet_;
  std::unique_ptr<Form1> form_;
  bool noticesShown_ = false;
};

inline constexpr int kMinClientWidth = 700;
inline constexpr int kMinClientHeight = 540;
inline constexpr int kBannerHeight = 64;

// Registers the window classes; call once before create().
bool registerForm1Classes(HINSTANCE instance);

}  // namespace trova::win32
