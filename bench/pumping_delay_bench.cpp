// How much processor time the idle wait costs: PumpingDelay should block on the
// event queue, so CPU seconds over wall seconds stays near zero.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QApplication>

#include "platform/qt/qt_event_loop.h"

namespace {

constexpr int kDelayMs = 5000;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  platform::qt::QtEventLoop loop;

  const double cpu_before = CpuSeconds();
  const auto wall_before = std::chrono::steady_clock::now();
  loop.PumpingDelay(kDelayMs);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall_before;
  const double cpu = CpuSeconds() - cpu_before;

  std::printf("pumping_delay_cpu_fraction=%.6f ratio\n", cpu / wall.count());
  return 0;
}
