#include "XServer.h"

#include <X11/Xlib.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <thread>

namespace brivello::testing {
namespace {

// Reads the display number Xvfb writes on the -displayfd pipe once it is ready.
bool readDisplayNumber(int fd, std::string* number, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char c = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0)
            return false;
        if (c == '\n')
            return !number->empty();
        number->push_back(c);
    }
    return false;
}

XWindow findByTitle(::Display* display, XWindow window, const char* title, int* count) {
    XWindow found = 0;
    char* name = nullptr;
    XWindowAttributes attributes{};
    if (XFetchName(display, window, &name) && name != nullptr) {
        if (std::strcmp(name, title) == 0 && XGetWindowAttributes(display, window, &attributes) &&
            attributes.map_state == IsViewable) {
            ++*count;
            found = window;
        }
        XFree(name);
    }
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; ++i) {
            const XWindow inner = findByTitle(display, children[i], title, count);
            if (found == 0)
                found = inner;
        }
        if (children != nullptr)
            XFree(children);
    }
    return found;
}

int ignoreErrors(::Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

std::unique_ptr<XServer> XServer::start(const char* screen, std::string* why) {
    int fds[2];
    if (pipe(fds) != 0) {
        *why = "pipe failed";
        return nullptr;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        *why = "fork failed";
        return nullptr;
    }
    if (pid == 0) {
        // The server must not outlive a test that crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::unique_ptr<XServer> server(new XServer());
    server->pid_ = pid;
    std::string number;
    const bool ready = readDisplayNumber(fds[0], &number, 20000);
    close(fds[0]);
    if (!ready) {
        *why = "Xvfb did not start (is the package xvfb installed?)";
        return nullptr;
    }
    server->name_ = ":" + number;
    server->display_ = XOpenDisplay(server->name_.c_str());
    if (server->display_ == nullptr) {
        *why = "cannot connect to Xvfb at " + server->name_;
        return nullptr;
    }
    XSetErrorHandler(ignoreErrors);
    return server;
}

XServer::~XServer() {
    if (display_ != nullptr)
        XCloseDisplay(display_);
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void XServer::kill() {
    if (display_ != nullptr) {
        // Our own connection would die with the server: drop it first.
        XCloseDisplay(display_);
        display_ = nullptr;
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

XWindow XServer::waitForWindow(const char* title, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        int count = 0;
        const XWindow found = findByTitle(display_, DefaultRootWindow(display_), title, &count);
        if (found != 0)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return 0;
}

XWindow XServer::waitForFocusedWindow(const char* title, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const XWindow window = waitForWindow(title, timeout);
    if (window == 0)
        return 0;
    while (!(facts(window).viewable && focus() == window)) {
        if (std::chrono::steady_clock::now() > deadline)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    return window;
}

int XServer::countWindows(const char* title) const {
    int count = 0;
    findByTitle(display_, DefaultRootWindow(display_), title, &count);
    return count;
}

WindowFacts XServer::facts(XWindow window) const {
    WindowFacts facts;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window, &attributes))
        return facts;
    facts.viewable = attributes.map_state == IsViewable;
    facts.width = attributes.width;
    facts.height = attributes.height;
    ::Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &facts.x, &facts.y,
                          &child);
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(display_, window, &hints, &supplied)) {
        facts.fixedSize = (hints.flags & PMinSize) && (hints.flags & PMaxSize) &&
                          hints.min_width == hints.max_width &&
                          hints.min_height == hints.max_height;
        facts.minWidth = hints.min_width;
        facts.minHeight = hints.min_height;
        facts.maxWidth = hints.max_width;
        facts.maxHeight = hints.max_height;
    }
    return facts;
}

XWindow XServer::focus() const {
    ::Window window = 0;
    int revert = 0;
    XGetInputFocus(display_, &window, &revert);
    return window;
}

void XServer::typeKey(const char* keysym) const {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}

void XServer::requestClose(XWindow window) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
}

long XServer::pixel(XWindow window, int x, int y) const {
    XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return -1;
    const long value = static_cast<long>(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return value;
}

std::vector<long> XServer::pixels(XWindow window, int width, int height, int x, int y) const {
    std::vector<long> out;
    XImage* image = XGetImage(display_, window, x, y, width, height, AllPlanes, ZPixmap);
    if (image == nullptr)
        return out;
    out.reserve(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.push_back(static_cast<long>(XGetPixel(image, x, y) & 0xFFFFFF));
        }
    }
    XDestroyImage(image);
    return out;
}

}  // namespace brivello::testing
