// Test support: a private Xvfb server, and the few X requests the window
// tests make of it (find a window, send keys and close requests, read pixels).
#pragma once

#include <sys/types.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct _XDisplay;

namespace brivello::testing {

// X's window id. Xlib's own header stays out of the tests: its macros
// (None, Bool, Status) collide with GoogleTest's names.
using XWindow = unsigned long;

struct WindowFacts {
    bool viewable = false;
    int x = 0, y = 0;  // of the top-left corner, relative to the root window
    int width = 0, height = 0;
    bool fixedSize = false;  // least size = greatest size in the size hints
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
};

class XServer {
  public:
    // Starts Xvfb with one screen of `screen` (e.g. "1024x768x24") on a display
    // number it picks itself (-displayfd), and connects to it. Null, with the
    // reason in *why, if it cannot.
    static std::unique_ptr<XServer> start(const char* screen, std::string* why);
    // Disconnects and stops the server (SIGTERM, then SIGKILL), and waits for it.
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& name() const { return name_; }  // ":N"
    _XDisplay* display() const { return display_; }
    pid_t pid() const { return pid_; }
    // Kills the server at once, as a crash of the display would.
    void kill();

    // The mapped window whose WM_NAME is `title`, or 0 if none appears in
    // time. Windows that are not (or not yet) mapped are not counted.
    XWindow waitForWindow(const char* title, std::chrono::milliseconds timeout) const;
    // The mapped window titled `title` once it also has the keyboard focus,
    // and a moment more: SDL takes the focus in a little after X gives it (it
    // waits out focus flicker), and a key typed sooner can go unseen. 0 if
    // that does not happen within `timeout`.
    XWindow waitForFocusedWindow(const char* title, std::chrono::milliseconds timeout) const;
    int countWindows(const char* title) const;
    WindowFacts facts(XWindow window) const;
    // The window that has the keyboard focus.
    XWindow focus() const;
    // Press and release of a key named as X names its keysym ("a", "Shift_L",
    // "Escape", "Left", "F1"), through XTEST.
    void typeKey(const char* keysym) const;
    // What a window manager sends for the close button: WM_DELETE_WINDOW.
    void requestClose(XWindow window) const;
    // The window's pixel at (x, y) as 0xRRGGBB, or -1 if it cannot be read.
    long pixel(XWindow window, int x, int y) const;
    // A width × height block of a window's pixels from (x, y), row after
    // row, as 0xRRGGBB; empty on failure.
    std::vector<long> pixels(XWindow window, int width, int height, int x = 0, int y = 0) const;

  private:
    XServer() = default;
    pid_t pid_ = -1;
    std::string name_;
    _XDisplay* display_ = nullptr;
};

}  // namespace brivello::testing
