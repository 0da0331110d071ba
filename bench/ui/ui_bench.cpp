// Measures the skin toolkit on the installer's own skin:
//   ui_bench first-frame   open the embedded package, build "mainWnd.xml", decode what the first
//                          page shows and paint it; prints the phases and exits (timed from
//                          outside, process start included, by run.sh)
//   ui_bench animation     the progress page's 158 × 158 animation: one step = next frame set on
//                          the control and exactly that area repainted
// Both print the process's peak resident memory.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ui/container.h"
#include "ui/host/headless_host.h"
#include "ui/label.h"
#include "ui/skin_package.h"
#include "ui/skin_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of the process: on a shared, busy machine the wall clock also counts other programs'
// turns, this doesn't.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// The frame label of the progress page stands still here; the benchmark drives its frames.
class BenchWindow : public SkinUI::SkinWindow {
 public:
  std::unique_ptr<SkinUI::CControl> CreateControl(std::string_view name) override {
    if (name == "SequenceLabel") return std::make_unique<SkinUI::CLabelControl>();
    return nullptr;
  }
};

int FirstFrame() {
  const double cpuAtMain = CpuMs();
  const Clock::time_point start = Clock::now();
  SkinUI::SkinPackage* package = SkinUI::SkinPackage::Embedded();
  if (!package) {
    std::fprintf(stderr, "no skin package\n");
    return 1;
  }
  const Clock::time_point opened = Clock::now();
  BenchWindow window;
  if (!window.LoadSkin(*package, "MainWnd.xml")) {
    std::fprintf(stderr, "skin: %s\n", window.LastError().c_str());
    return 1;
  }
  const Clock::time_point built = Clock::now();
  SkinUI::HeadlessHost host(window);
  host.Show();
  const Clock::time_point painted = Clock::now();
  const double cpuAtFrame = CpuMs();
  std::printf(
      "first frame in process: %.2f ms wall (package %.2f, markup %.2f, images+paint %.2f); cpu %.2f ms since "
      "main, %.2f ms since process start; %zu files, peak %.1f MiB\n",
      Ms(start, painted), Ms(start, opened), Ms(opened, built), Ms(built, painted), cpuAtFrame - cpuAtMain, cpuAtFrame,
      package->FileCount(), PeakMiB());
  return 0;
}

int Animation(int steps) {
  SkinUI::SkinPackage* package = SkinUI::SkinPackage::Embedded();
  BenchWindow window;
  if (!package || !window.LoadSkin(*package, "MainWnd.xml")) return 1;
  SkinUI::HeadlessHost host(window);
  host.Show();
  static_cast<SkinUI::CTabLayout*>(window.LookupControl("mainTabLt"))->SelectItem(2);
  window.LookupControl("winCtn")->SetBkImage("res\\mainWnd\\bg3.png");
  host.Render();
  SkinUI::CControl* frame = window.LookupControl("progressAnLb");
  const SkinUI::Rect area = frame->GetPos();

  std::vector<double> firstPass, cached;
  for (int step = 0; step < steps; ++step) {
    char name[64];
    std::snprintf(name, sizeof name, "res\\mainWnd\\installBtnAnimate\\%.3d.png", step % 100);
    const Clock::time_point t0 = Clock::now();
    frame->SetBkImage(name);
    const SkinUI::Rect repainted = host.Render();
    const double ms = Ms(t0, Clock::now());
    if (repainted != area) {
      std::fprintf(stderr, "step %d repainted %dx%d instead of the control\n", step, repainted.Width(),
                   repainted.Height());
      return 1;
    }
    (step < 100 ? firstPass : cached).push_back(ms);
  }
  auto stats = [](std::vector<double> v, const char* what) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    std::printf("%s: mean %.3f ms, median %.3f ms, max %.3f ms over %zu steps\n", what, sum / v.size(), v[v.size() / 2],
                v.back(), v.size());
  };
  std::printf("animation step (%dx%d repainted):\n", area.Width(), area.Height());
  stats(firstPass, "  first pass, frame decoded on first show");
  stats(cached, "  later passes, frames kept decoded");
  std::printf("peak %.1f MiB\n", PeakMiB());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "first-frame") == 0) return FirstFrame();
  if (argc >= 2 && std::strcmp(argv[1], "animation") == 0) return Animation(argc >= 3 ? std::atoi(argv[2]) : 1100);
  std::fprintf(stderr, "usage: %s first-frame | animation [steps]\n", argv[0]);
  return 2;
}
