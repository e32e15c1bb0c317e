// Everything SDL lives here, on the window's own thread.
#include "Window.h"

#include "Canvas.h"
#include "Palette.h"

#include <SDL.h>

#include <pthread.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace brivello::graphics {

struct Window::State {
    Canvas& canvas;
    std::string title;
    std::thread thread;

    // Only whether keys are queued matters to the program, which never reads
    // them, so the queue is its length.
    std::atomic<int> queuedKeys{0};

    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool started = false;  // the thread has settled whether the window opened
    bool opened = false;
    std::string failure;

    explicit State(Canvas& c, const char* t) : canvas(c), title(t) {}
};

namespace {

using Clock = std::chrono::steady_clock;

// SDL's drivers that show nothing: with them a window would run unseen.
bool isInvisibleDriver(const char* driver) {
    return driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool driverRequested(const char* driver) {
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    return requested != nullptr && driver != nullptr && std::strstr(requested, driver) != nullptr;
}

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

std::string noDisplayReason() {
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
        return "no display is available (DISPLAY is not set)";
    }
    return std::string("cannot connect to the display ") +
           std::getenv(isSet("DISPLAY") ? "DISPLAY" : "WAYLAND_DISPLAY");
}

// Unless the user chose a driver, try only the display that the environment
// names: SDL would otherwise go on to probe others, which print their own
// complaints, and end on its invisible driver.
bool chooseVideoDriver(std::string* why) {
    if (isSet("SDL_VIDEODRIVER"))
        return true;
    const bool x11 = isSet("DISPLAY");
    const bool wayland = isSet("WAYLAND_DISPLAY");
    if (!x11 && !wayland) {
        *why = noDisplayReason();
        return false;
    }
    if (x11 != wayland)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, x11 ? "x11" : "wayland");
    return true;
}

// The resources of an open window; created and destroyed on its thread.
struct Presenter {
    SDL_Window* window = nullptr;
    // The palette in the window surface's own pixel format, when that is
    // 32 bits; otherwise ARGB8888, converted by SDL on presenting.
    ArgbTable colours = argbTable(defaultPalette());
    bool direct = false;
    std::unique_ptr<std::uint32_t[]> converted;
    std::unique_ptr<std::uint8_t[]> snapshot{new std::uint8_t[kPagePixels]()};
    Clock::duration period = std::chrono::microseconds(16667);

    bool create(const char* title, std::string* why);
    void present();
    ~Presenter();
};

bool Presenter::create(const char* title, std::string* why) {
    if (!chooseVideoDriver(why))
        return false;
    // Pages reach the window through the system's own framebuffer (XShm on
    // X11). SDL's accelerated stand-in for it would replace the X window with
    // a new one, and one page a refresh needs no more.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *why = isSet("SDL_VIDEODRIVER") ? std::string("cannot open the window: ") + SDL_GetError()
                                        : noDisplayReason();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (isInvisibleDriver(driver) && !driverRequested(driver)) {
        *why = noDisplayReason();
        return false;
    }
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth,
                              kHeight, SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        *why = std::string("cannot open the window: ") + SDL_GetError();
        return false;
    }
    const int display = SDL_GetWindowDisplayIndex(window);
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 &&
        mode.refresh_rate >= 24 && mode.refresh_rate <= 500) {
        period = std::chrono::microseconds(1000000 / mode.refresh_rate);
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) {
        *why = std::string("cannot draw in the window: ") + SDL_GetError();
        return false;
    }
    direct = surface->format->BytesPerPixel == 4;
    if (direct) {
        for (int i = 0; i < kPaletteSize; ++i) {
            const Rgb& c = defaultPalette()[i];
            colours[i] = SDL_MapRGB(surface->format, c.r, c.g, c.b);
        }
    } else {
        converted.reset(new std::uint32_t[kPagePixels]);
    }
    SDL_StopTextInput();  // keys are enough; no input method
    SDL_ShowWindow(window);
    // A framed window that would not fit the usable screen loses its frame.
    SDL_Rect usable{};
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &usable) == 0) {
        if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) {
            top = left = bottom = right = 0;
        }
        if (kWidth + left + right > usable.w || kHeight + top + bottom > usable.h) {
            SDL_SetWindowBordered(window, SDL_FALSE);
            SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
    return true;
}

void Presenter::present() {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr || surface->w < kWidth || surface->h < kHeight)
        return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    if (direct) {
        for (int y = 0; y < kHeight; ++y) {
            auto* row =
                reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * surface->pitch);
            expandPixels(snapshot.get() + y * kWidth, kWidth, colours, row);
        }
    } else {
        expandPixels(snapshot.get(), kPagePixels, colours, converted.get());
        SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_ARGB8888, converted.get(), kWidth * 4,
                          surface->format->format, surface->pixels, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
}

Presenter::~Presenter() {
    if (window != nullptr)
        SDL_DestroyWindow(window);
    SDL_Quit();
}

// Returns whether the window needs presenting again (it was uncovered).
bool handleEvent(const SDL_Event& event, Window::State* state) {
    switch (event.type) {
        case SDL_KEYDOWN:
            if (isQueuedScancode(event.key.keysym.scancode))
                ++state->queuedKeys;
            return false;
        case SDL_QUIT:
            ++state->queuedKeys;
            return false;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    ++state->queuedKeys;
                    return false;
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_RESTORED:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

void runWindow(Window::State* state) {
    // Named for debuggers and process lists.
    pthread_setname_np(pthread_self(), "brivello-window");
    Presenter presenter;
    std::string failure;
    const bool opened = presenter.create(state->title.c_str(), &failure);
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->started = true;
        state->opened = opened;
        state->failure = failure;
    }
    state->wake.notify_all();
    if (!opened)
        return;

    std::uint64_t generation = 0;
    bool painted = false;
    auto next = Clock::now();
    for (;;) {
        bool uncovered = false;
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            uncovered |= handleEvent(event, state);
        }
        const bool copied = state->canvas.copyShownPage(presenter.snapshot.get(), &generation);
        if (copied || (uncovered && painted)) {
            presenter.present();
            painted = true;
        }
        // One pass per refresh period: repaints never outrun the display,
        // and an idle window wakes only that often.
        next = std::max(next + presenter.period, Clock::now());
        std::unique_lock<std::mutex> lock(state->mutex);
        if (state->wake.wait_until(lock, next, [&] { return state->stop; }))
            break;
    }
}

}  // namespace

bool isQueuedScancode(int scancode) {
    switch (scancode) {
        case SDL_SCANCODE_UNKNOWN:
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT:
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL:
        case SDL_SCANCODE_LALT:
        case SDL_SCANCODE_RALT:
        case SDL_SCANCODE_MODE:  // AltGr on some layouts
        case SDL_SCANCODE_LGUI:
        case SDL_SCANCODE_RGUI:
        case SDL_SCANCODE_CAPSLOCK:
        case SDL_SCANCODE_NUMLOCKCLEAR:
        case SDL_SCANCODE_SCROLLLOCK:
            return false;
        default:
            return true;
    }
}

Window::Window(std::unique_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<Window> Window::open(Canvas& canvas, const char* title, std::string* why) {
    auto state = std::make_unique<State>(canvas, title);
    State* raw = state.get();
    raw->thread = std::thread(runWindow, raw);
    {
        std::unique_lock<std::mutex> lock(raw->mutex);
        raw->wake.wait(lock, [&] { return raw->started; });
        if (!raw->opened) {
            *why = raw->failure;
            lock.unlock();
            raw->thread.join();
            return nullptr;
        }
    }
    return std::unique_ptr<Window>(new Window(std::move(state)));
}

Window::~Window() {
    close();
}

bool Window::keyPending() const {
    return state_->queuedKeys.load(std::memory_order_relaxed) > 0;
}

void Window::close() {
    if (!state_->thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stop = true;
    }
    state_->wake.notify_all();
    state_->thread.join();
}

}  // namespace brivello::graphics
