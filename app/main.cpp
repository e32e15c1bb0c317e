// Brivello: a 6-of-49 lottery drawn as fast as it can be, its tally shown live
// in an 800 × 600 palette window until a key is pressed or the window closed.
#include "Canvas.h"
#include "CanvasHost.h"
#include "Font.h"
#include "RunLoop.h"
#include "Window.h"

#include <cstdio>
#include <string>

namespace {

// The program's own host: its passes end when the window has a key.
class WindowHost : public brivello::CanvasHost {
  public:
    WindowHost(brivello::graphics::Canvas& canvas, brivello::graphics::Window& window)
        : CanvasHost(canvas), window_(window) {}
    bool keyPending() override { return window_.keyPending(); }

  private:
    brivello::graphics::Window& window_;
};

int fail(const std::string& why) {
    std::fprintf(stderr, "brivello: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main() {
    namespace graphics = brivello::graphics;
    std::string why;
    // The face first: without it there is nothing to show, and no window
    // should flash up only to close.
    const auto font = graphics::Font::load("Arial", 16, &why);
    if (!font)
        return fail(why);
    graphics::Canvas canvas;
    const auto window = graphics::Window::open(canvas, "Brivello", &why);
    if (!window)
        return fail(why);

    brivello::DrawTally tally(brivello::millisecondTicks());
    canvas.setTextStyle(font.get());
    canvas.setTextJustification(graphics::HorizontalJustify::Left,
                                graphics::VerticalJustify::Bottom);
    WindowHost host(canvas, *window);
    brivello::runLoop(host, tally);
    window->close();
    return 0;
}
