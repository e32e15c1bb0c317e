// The real program, end to end, in a private Xvfb: its window, the keys that
// end it and those that do not, the close request, and no display.
#include "Process.h"
#include "XServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace brivello {
namespace {

using namespace std::chrono_literals;
using testing::Process;
using testing::XServer;
using testing::XWindow;

const std::string kProgram = BRIVELLO_PATH;

class Brivello : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string why;
        server_ = XServer::start("1024x768x24", &why).release();
        ASSERT_NE(server_, nullptr) << why;
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(server_, nullptr); }

    // Starts the program and waits until its window has the focus.
    std::unique_ptr<Process> launch(XWindow* window) {
        auto process = Process::start({kProgram}, {"DISPLAY=" + server_->name()});
        EXPECT_NE(process, nullptr);
        if (!process)
            return nullptr;
        *window = server_->waitForFocusedWindow("Brivello", 20s);
        EXPECT_NE(*window, 0u) << process->err();
        return process;
    }

    static XServer* server_;
};

XServer* Brivello::server_ = nullptr;

TEST_F(Brivello, OpensOneCentredFixedWindowAndShowsThePicture) {
    XWindow window = 0;
    auto process = launch(&window);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(server_->countWindows("Brivello"), 1);
    const auto facts = server_->facts(window);
    EXPECT_EQ(facts.width, 800);
    EXPECT_EQ(facts.height, 600);
    EXPECT_EQ(facts.x, 112);
    EXPECT_EQ(facts.y, 84);
    EXPECT_TRUE(facts.fixedSize);

    // Give the columns time to grow, then look for the colours: number 1's
    // dots (188, 0, 252) at the bottom left, the yellow (252, 252, 0) of the
    // summary at the top right, and label 49's colour (232, 180, 252).
    std::this_thread::sleep_for(500ms);
    const std::vector<long> pixels = server_->pixels(window, 800, 600);
    ASSERT_EQ(pixels.size(), 800u * 600u);
    auto countIn = [&](long colour, int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x)
                count += pixels[y * 800 + x] == colour;
        }
        return count;
    };
    EXPECT_GT(countIn(0xBC00FC, 0, 590, 11, 599), 10);
    EXPECT_GT(countIn(0xFCFC00, 700, 24, 799, 59), 20);
    EXPECT_GT(countIn(0xE8B4FC, 650, 582, 799, 597), 10);
    // The mean line: a yellow run across the columns, left of the labels.
    int yellowRows = 0;
    for (int y = 100; y < 600; ++y)
        yellowRows += countIn(0xFCFC00, 0, y, 640, y) == 641;
    EXPECT_GE(yellowRows, 1);

    server_->typeKey("a");
    int status = -1;
    ASSERT_TRUE(process->wait(5s, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(process->err(), "");
    EXPECT_EQ(process->out(), "");
}

TEST_F(Brivello, ModifiersAndLocksAloneDoNotEndIt) {
    XWindow window = 0;
    auto process = launch(&window);
    ASSERT_NE(window, 0u);
    for (const char* key : {"Shift_L", "Control_R", "Caps_Lock", "Caps_Lock"}) {
        server_->typeKey(key);
    }
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(process->running());
    server_->typeKey("Escape");
    int status = -1;
    ASSERT_TRUE(process->wait(5s, &status));
    EXPECT_EQ(status, 0);
}

TEST_F(Brivello, KeysThatEndIt) {
    for (const char* key : {"a", "Escape", "Left", "F1", "Return", "space"}) {
        XWindow window = 0;
        auto process = launch(&window);
        ASSERT_NE(window, 0u);
        const auto pressed = std::chrono::steady_clock::now();
        server_->typeKey(key);
        int status = -1;
        ASSERT_TRUE(process->wait(5s, &status)) << key;
        EXPECT_EQ(status, 0) << key;
        const auto latency = std::chrono::steady_clock::now() - pressed;
        ::testing::Test::RecordProperty(
            std::string("exit_ms_") + key,
            static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(latency).count()));
        EXPECT_EQ(server_->countWindows("Brivello"), 0);
    }
}

TEST_F(Brivello, CloseRequestEndsIt) {
    XWindow window = 0;
    auto process = launch(&window);
    ASSERT_NE(window, 0u);
    server_->requestClose(window);
    int status = -1;
    ASSERT_TRUE(process->wait(5s, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(process->err(), "");
}

TEST(BrivelloNoDisplay, SaysSoAndExitsWithOne) {
    for (const char* display : {"DISPLAY", "DISPLAY=:4093"}) {
        std::string out, err;
        EXPECT_EQ(testing::run({kProgram}, &out, &err, {display, "WAYLAND_DISPLAY"}, 20s), 1)
            << display;
        EXPECT_TRUE(err.starts_with("brivello: ")) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(out, "");
    }
}

}  // namespace
}  // namespace brivello
