// brivello_window_rate: the program's draws per second with its window (in a
// private Xvfb unless DISPLAY is set) against the same passes headless, and
// the window thread's processor time. Run with `make bench-window`.
#include "Canvas.h"
#include "CanvasHost.h"
#include "Font.h"
#include "HistogramFrame.h"
#include "RunLoop.h"
#include "Window.h"
#include "XServer.h"

#include <sys/resource.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

namespace graphics = brivello::graphics;
using Clock = std::chrono::steady_clock;

double secondsOf(long passes, const graphics::Font& font) {
    graphics::Canvas canvas;
    canvas.setTextStyle(&font);
    brivello::DrawTally tally(1u);
    brivello::CanvasHost host(canvas, passes);
    const auto start = Clock::now();
    brivello::runLoop(host, tally);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double processSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const long passes = argc > 1 ? std::atol(argv[1]) : 20 * 5056;
    std::unique_ptr<brivello::testing::XServer> server;
    if (std::getenv("DISPLAY") == nullptr) {
        std::string why;
        server = brivello::testing::XServer::start("1024x768x24", &why);
        if (!server) {
            std::fprintf(stderr, "brivello_window_rate: %s\n", why.c_str());
            return 1;
        }
        setenv("DISPLAY", server->name().c_str(), 1);
    }
    std::string why;
    const auto font = graphics::Font::load("Arial", 16, &why);
    if (!font) {
        std::fprintf(stderr, "brivello_window_rate: %s\n", why.c_str());
        return 1;
    }
    const double headless = secondsOf(passes, *font);

    graphics::Canvas canvas;
    canvas.setTextStyle(font.get());
    auto window = graphics::Window::open(canvas, "Brivello", &why);
    if (!window) {
        std::fprintf(stderr, "brivello_window_rate: %s\n", why.c_str());
        return 1;
    }
    // The window thread's share: the process's time less this thread's.
    const double processBefore = processSeconds();
    const double loopBefore = threadSeconds();
    brivello::DrawTally tally(1u);
    brivello::CanvasHost host(canvas, passes);
    const auto start = Clock::now();
    brivello::runLoop(host, tally);
    const double windowed = std::chrono::duration<double>(Clock::now() - start).count();
    const double loopCpu = threadSeconds() - loopBefore;
    window->close();  // joins the thread, whose time is then all counted
    const double threadCpu = processSeconds() - processBefore - loopCpu;

    std::printf("passes:                      %ld\n", passes);
    std::printf("headless:                    %8.0f draws/s\n", passes / headless);
    std::printf("with the window:             %8.0f draws/s\n", passes / windowed);
    std::printf("ratio (target >= 0.8):       %8.2f\n", headless / windowed);
    std::printf("window thread processor:     %8.1f ms per second of run\n",
                1000 * threadCpu / windowed);
    return 0;
}
