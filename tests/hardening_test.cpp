// The program and the frame tool in a hostile world: long runs, a display
// that dies, no font, a full disk, and keys at awkward moments.
#include "Process.h"
#include "XServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace brivello {
namespace {

using namespace std::chrono_literals;
using testing::Process;
using testing::XServer;
using testing::XWindow;

const std::string kProgram = BRIVELLO_PATH;
const std::string kTool = BRIVELLO_FRAME_PATH;

std::unique_ptr<XServer> startServer() {
    std::string why;
    auto server = XServer::start("1024x768x24", &why);
    EXPECT_NE(server, nullptr) << why;
    return server;
}

// Whether any column reaches row 299 (a count of 400 or more): true late in
// a series, false again once the tally starts over.
bool columnsTall(const XServer& server, XWindow window) {
    const std::vector<long> row = server.pixels(window, 641, 1, 0, 299);
    for (long pixel : row) {
        if (pixel != 0 && pixel != 0xFCFC00)
            return true;  // any dot colour but the line's
    }
    return false;
}

std::string emptyFontConfig() {
    const std::string path = ::testing::TempDir() + "brivello-no-fonts.conf";
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    return path;
}

// Three whole series, seen as the columns falling back to the bottom three
// times; memory after the third is no more than after the first. A series is
// thousands of frames, so anything kept per frame would show as megabytes;
// the allowance of a few pages is for the kernel and the sanitizers' own
// bookkeeping, which can touch a page or two late.
TEST(Hardening, LongRunKeepsItsMemory) {
    auto server = startServer();
    ASSERT_NE(server, nullptr);
    auto process = Process::start({kProgram}, {"DISPLAY=" + server->name()});
    const XWindow window = server->waitForFocusedWindow("Brivello", 20s);
    ASSERT_NE(window, 0u) << process->err();
    int seriesEnds = 0;
    bool tall = false;
    long afterFirst = -1;
    long afterThird = -1;
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (seriesEnds < 3 && std::chrono::steady_clock::now() < deadline) {
        const bool now = columnsTall(*server, window);
        if (tall && !now) {
            ++seriesEnds;
            if (seriesEnds == 1)
                afterFirst = testing::residentKiB(process->pid());
            if (seriesEnds == 3)
                afterThird = testing::residentKiB(process->pid());
        }
        tall = now;
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(seriesEnds, 3);
    EXPECT_GT(afterFirst, 0);
    EXPECT_LE(afterThird, afterFirst + 64) << "KiB after the first series: " << afterFirst;
    server->typeKey("q");
    int status = -1;
    ASSERT_TRUE(process->wait(20s, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(process->err(), "");  // no sanitizer report either
}

TEST(Hardening, DisplayDyingEndsTheProgram) {
    auto server = startServer();
    ASSERT_NE(server, nullptr);
    auto process = Process::start({kProgram}, {"DISPLAY=" + server->name()});
    ASSERT_NE(server->waitForFocusedWindow("Brivello", 20s), 0u) << process->err();
    server->kill();
    int status = -1;
    ASSERT_TRUE(process->wait(20s, &status));
    EXPECT_NE(status, 0);
    EXPECT_LT(status, 128) << "ended by a signal: " << process->err();
    EXPECT_NE(process->err().find(server->name()), std::string::npos) << process->err();
}

// No "Arial" at all: both programs refuse at once, naming the font and the
// package that provides it, and no window appears.
TEST(Hardening, NoArialFace) {
    auto server = startServer();
    ASSERT_NE(server, nullptr);
    const std::string fonts = "FONTCONFIG_FILE=" + emptyFontConfig();
    for (const std::string& program : {kProgram, kTool}) {
        std::string out, err;
        EXPECT_EQ(testing::run({program}, &out, &err, {fonts, "DISPLAY=" + server->name()}, 30s), 1)
            << program;
        EXPECT_NE(err.find("\"Arial\""), std::string::npos) << err;
        EXPECT_NE(err.find("fonts-liberation2"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_EQ(server->countWindows("Brivello"), 0);
}

// A disk that fills up part-way through the picture: exit 1, and neither
// the picture nor its temporary file is left.
TEST(Hardening, FullDiskLeavesNoFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / "brivello-full-disk";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string out, err;
    EXPECT_EQ(
        testing::run({kTool, "--seed", "1", "--draws", "3000", "--out", (dir / "f.png").string()},
                     &out, &err, {}, 60s, 2048),
        1);
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_empty(dir));
}

// Keys at awkward times: a close request the moment the window maps (before
// the program is settled), a burst of hundreds of keys, and keys typed while
// a series is near its end. Each run ends with status 0 and nothing said.
TEST(Hardening, KeyStormsAndTimingEdges) {
    auto server = startServer();
    ASSERT_NE(server, nullptr);
    struct Case {
        const char* name;
        void (*act)(const XServer&, XWindow);
        bool waitReady;
    };
    const Case cases[] = {
        {"close at once", [](const XServer& s, XWindow w) { s.requestClose(w); }, false},
        {"burst of keys",
         [](const XServer& s, XWindow) {
             for (int i = 0; i < 300; ++i)
                 s.typeKey(i % 2 ? "a" : "Return");
         },
         true},
        {"keys as a series ends",
         [](const XServer& s, XWindow w) {
             const auto deadline = std::chrono::steady_clock::now() + 60s;
             while (!columnsTall(s, w) && std::chrono::steady_clock::now() < deadline) {
                 std::this_thread::sleep_for(2ms);
             }
             for (int i = 0; i < 50; ++i)
                 s.typeKey("space");
         },
         true},
    };
    for (const Case& c : cases) {
        auto process = Process::start({kProgram}, {"DISPLAY=" + server->name()});
        const XWindow window = c.waitReady ? server->waitForFocusedWindow("Brivello", 20s)
                                           : server->waitForWindow("Brivello", 20s);
        ASSERT_NE(window, 0u) << c.name << ": " << process->err();
        c.act(*server, window);
        int status = -1;
        ASSERT_TRUE(process->wait(20s, &status)) << c.name;
        EXPECT_EQ(status, 0) << c.name;
        EXPECT_EQ(process->err(), "") << c.name;
        EXPECT_TRUE([&] {
            for (int i = 0; i < 200 && server->countWindows("Brivello") > 0; ++i) {
                std::this_thread::sleep_for(10ms);
            }
            return server->countWindows("Brivello") == 0;
        }()) << c.name;
    }
}

}  // namespace
}  // namespace brivello
