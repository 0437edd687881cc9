// What the Wine benchmarks share: timing, medians, a page and its floor taking
// turns, and the message loop of the window they measure.
#pragma once
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace trova::bench {

using Step = std::function<void()>;

inline double timeMs(const Step& run) {
  const auto t0 = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The page and the bare calls take turns, round by round, so that both meet
// the same load on a shared machine; `prepare` steps run untimed. A part of
// the bare time measured elsewhere (`bareExtra`) is added to every round's.
struct Figures {
  double page, bare, ratio;  // medians; the ratio is the median of the rounds' ratios
};

inline Figures compareRounds(int rounds, const Step& preparePage, const Step& page, const Step& prepareBare,
                             const Step& bare, double bareExtra = 0) {
  std::vector<double> pages, bares, ratios;
  for (int i = 0; i < rounds; ++i) {
    preparePage();
    pages.push_back(timeMs(page));
    prepareBare();
    bares.push_back(timeMs(bare) + bareExtra);
    ratios.push_back(pages.back() / bares.back());
  }
  return {median(pages), median(bares), median(ratios)};
}

inline double medianOfRounds(int rounds, const Step& prepare, const Step& run) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    prepare();
    ms.push_back(timeMs(run));
  }
  return median(ms);
}

inline void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Paints what the user sees now, as the message loop would before the next input.
inline void paint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

}  // namespace trova::bench
