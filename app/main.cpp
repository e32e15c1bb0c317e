// Brivello: a 6-of-49 lottery drawn as fast as it can be, its tally shown live
// in an 800 × 600 palette window until a key is pressed or the window closed.
#include "Canvas.h"
#include "Font.h"
#include "HistogramFrame.h"
#include "RunLoop.h"
#include "Window.h"

#include <cstdio>
#include <string>

namespace {

class WindowHost : public brivello::FrameHost {
  public:
    WindowHost(brivello::graphics::Canvas& canvas, brivello::graphics::Window& window)
        : canvas_(canvas), window_(window) {}
    void selectDrawingPage(int page) override { canvas_.selectDrawingPage(page); }
    void showPage(int page) override { canvas_.showPage(page); }
    void clearDrawingPage() override { canvas_.clearDrawingPage(); }
    void drawFrame(const brivello::DrawTally& tally) override {
        brivello::display::renderFrame(canvas_, tally);
    }
    bool keyPending() override { return window_.keyPending(); }

  private:
    brivello::graphics::Canvas& canvas_;
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
