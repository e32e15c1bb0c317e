// The SDL window on its own thread, in a private Xvfb.
#include "Window.h"
#include "Canvas.h"
#include "XServer.h"

#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace brivello::graphics {
namespace {

using namespace std::chrono_literals;
using brivello::testing::XServer;
using brivello::testing::XWindow;

// From the kernel's own count: listing /proc/self/task does not show every
// thread on every kernel. Sanitizer runtimes start a helper thread of their
// own on the first thread created, so one is created first.
int threadCount() {
    std::thread([] {}).join();
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0)
            return std::atoi(line.c_str() + 8);
    }
    return -1;
}

template <typename Predicate>
bool eventually(Predicate predicate, std::chrono::milliseconds timeout = 3000ms) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        server_ = XServer::start("1024x768x24", &why);
        ASSERT_NE(server_, nullptr) << why;
        setenv("DISPLAY", server_->name().c_str(), 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
    }
    void TearDown() override { unsetenv("DISPLAY"); }

    void fillPage(int page, std::uint8_t entry) {
        canvas_.selectDrawingPage(page);
        canvas_.setColour(entry);
        for (int y = 0; y < kHeight; ++y)
            canvas_.line(0, y, kWidth - 1, y);
    }

    std::unique_ptr<XServer> server_;
    Canvas canvas_;
};

TEST_F(WindowTest, OpensCentredFixedSizeAndShowsTheShownPage) {
    const int threadsBefore = threadCount();
    fillPage(1, 35);
    fillPage(0, 44);
    canvas_.selectDrawingPage(2);
    canvas_.showPage(1);
    std::string why;
    auto window = Window::open(canvas_, "Brivello Test", &why);
    ASSERT_NE(window, nullptr) << why;

    const XWindow found = server_->waitForWindow("Brivello Test", 3000ms);
    ASSERT_NE(found, 0u);
    EXPECT_EQ(server_->countWindows("Brivello Test"), 1);
    ASSERT_TRUE(eventually([&] { return server_->facts(found).viewable; }));
    const auto facts = server_->facts(found);
    EXPECT_EQ(facts.width, 800);
    EXPECT_EQ(facts.height, 600);
    EXPECT_EQ(facts.x, (1024 - 800) / 2);
    EXPECT_EQ(facts.y, (768 - 600) / 2);
    // Not resizable: the size hints pin both the least and the greatest size.
    EXPECT_TRUE(facts.fixedSize);
    EXPECT_EQ(facts.minWidth, 800);
    EXPECT_EQ(facts.minHeight, 600);
    // Focus comes with the window.
    EXPECT_TRUE(eventually([&] { return server_->focus() == found; }));

    // Page 1 is shown: entry 35 is (188, 0, 252).
    EXPECT_TRUE(eventually([&] { return server_->pixel(found, 400, 300) == 0xBC00FC; }))
        << std::hex << server_->pixel(found, 400, 300);
    canvas_.showPage(0);  // entry 44 is (252, 252, 0)
    EXPECT_TRUE(eventually([&] { return server_->pixel(found, 5, 595) == 0xFCFC00; }));

    EXPECT_FALSE(window->keyPending());
    window->close();
    EXPECT_EQ(threadCount(), threadsBefore);
    EXPECT_TRUE(eventually([&] { return server_->countWindows("Brivello Test") == 0; }));
}

// Modifiers and lock keys alone queue nothing; a letter queues a key, which
// stays pending.
TEST_F(WindowTest, QueuesKeysButNotModifiersAlone) {
    std::string why;
    auto window = Window::open(canvas_, "Brivello Keys", &why);
    ASSERT_NE(window, nullptr) << why;
    ASSERT_NE(server_->waitForFocusedWindow("Brivello Keys", 10s), 0u);
    for (const char* keysym : {"Shift_L", "Control_L", "Caps_Lock", "Alt_L", "Num_Lock"}) {
        server_->typeKey(keysym);
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(window->keyPending());
    server_->typeKey("a");
    EXPECT_TRUE(eventually([&] { return window->keyPending(); }));
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(window->keyPending());
}

// A screen smaller than the window still gets the whole 800 × 600 drawing
// area (unframed; without a window manager X shows no frames to tell apart).
TEST(WindowSmallScreen, KeepsTheWholeDrawingArea) {
    std::string why;
    auto server = XServer::start("640x480x24", &why);
    ASSERT_NE(server, nullptr) << why;
    setenv("DISPLAY", server->name().c_str(), 1);
    Canvas canvas;
    auto window = Window::open(canvas, "Brivello Small", &why);
    ASSERT_NE(window, nullptr) << why;
    const XWindow found = server->waitForWindow("Brivello Small", 3000ms);
    ASSERT_NE(found, 0u);
    const auto facts = server->facts(found);
    EXPECT_EQ(facts.width, 800);
    EXPECT_EQ(facts.height, 600);
    window->close();
    unsetenv("DISPLAY");
}

TEST_F(WindowTest, CloseRequestQueuesAKeyAndKeepsTheWindow) {
    std::string why;
    auto window = Window::open(canvas_, "Brivello Close", &why);
    ASSERT_NE(window, nullptr) << why;
    const XWindow found = server_->waitForWindow("Brivello Close", 3000ms);
    ASSERT_NE(found, 0u);
    server_->requestClose(found);
    EXPECT_TRUE(eventually([&] { return window->keyPending(); }));
    EXPECT_EQ(server_->countWindows("Brivello Close"), 1);
}

TEST(WindowKeys, WhichKeysQueue) {
    struct Case {
        int scancode;
        bool queued;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, true},           {SDL_SCANCODE_1, true},
        {SDL_SCANCODE_RETURN, true},      {SDL_SCANCODE_ESCAPE, true},
        {SDL_SCANCODE_BACKSPACE, true},   {SDL_SCANCODE_SPACE, true},
        {SDL_SCANCODE_LEFT, true},        {SDL_SCANCODE_HOME, true},
        {SDL_SCANCODE_DELETE, true},      {SDL_SCANCODE_INSERT, true},
        {SDL_SCANCODE_F1, true},          {SDL_SCANCODE_F12, true},
        {SDL_SCANCODE_KP_5, true},        {SDL_SCANCODE_TAB, true},
        {SDL_SCANCODE_LSHIFT, false},     {SDL_SCANCODE_RSHIFT, false},
        {SDL_SCANCODE_LCTRL, false},      {SDL_SCANCODE_RCTRL, false},
        {SDL_SCANCODE_LALT, false},       {SDL_SCANCODE_RALT, false},
        {SDL_SCANCODE_LGUI, false},       {SDL_SCANCODE_RGUI, false},
        {SDL_SCANCODE_CAPSLOCK, false},   {SDL_SCANCODE_NUMLOCKCLEAR, false},
        {SDL_SCANCODE_SCROLLLOCK, false}, {SDL_SCANCODE_UNKNOWN, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isQueuedScancode(c.scancode), c.queued) << c.scancode;
    }
}

// No display at all, or a display name that leads nowhere: opening fails
// promptly with the reason, and leaves no thread behind.
TEST(WindowNoDisplay, FailsWithAReason) {
    struct Case {
        const char* display;
        const char* reason;
    };
    const Case cases[] = {{nullptr, "DISPLAY is not set"}, {":4093", "cannot connect"}};
    const int threadsBefore = threadCount();
    for (const Case& c : cases) {
        if (c.display) {
            setenv("DISPLAY", c.display, 1);
        } else {
            unsetenv("DISPLAY");
        }
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        Canvas canvas;
        std::string why;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Window::open(canvas, "Brivello", &why), nullptr);
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_EQ(threadCount(), threadsBefore);
    }
    unsetenv("DISPLAY");
}

}  // namespace
}  // namespace brivello::graphics
