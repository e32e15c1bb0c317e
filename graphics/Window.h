// The seam to the desktop: one window that presents a canvas's shown page
// through the palette and queues keys, serviced by a thread of its own that
// owns everything SDL. The program's thread never calls SDL.
//
//   open        create the window and its thread; fails with a reason
//   keyPending  true once a key or a close request is queued; never waits
//   close       destroy the window and join its thread
//
// Keys that queue: any key but Shift, Ctrl, Alt, AltGr and the Windows keys
// pressed alone, and Caps Lock, Num Lock and Scroll Lock. A close request
// (close button, window menu, window manager, SIGINT or SIGTERM) queues as a
// key and leaves the window open.
#pragma once

#include <memory>
#include <string>

namespace brivello::graphics {

class Canvas;

class Window {
  public:
    // Opens an 800 × 600 window titled `title`, centred, not resizable,
    // raised with the keyboard focus, borderless if a framed one would not fit
    // the screen. It presents canvas.shownPage() whenever the shown page
    // changes, at most at the display's refresh rate. `canvas` must outlive
    // the window. With no display (or only SDL's invisible drivers, unless
    // SDL_VIDEODRIVER asks for them) returns null and says why in *why.
    static std::unique_ptr<Window> open(Canvas& canvas, const char* title, std::string* why);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    bool keyPending() const;
    // Destroys the window; returns once its thread has ended. Idempotent.
    void close();

    struct State;

  private:
    explicit Window(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// Whether a key press with this SDL scancode (a USB HID usage code) queues.
bool isQueuedScancode(int scancode);

}  // namespace brivello::graphics
