// A frame in a real X window: the test host (x11_frame_host) opens a top-level window with
// a frame inside (a background image, a colour view, a drag view); XTEST input made with
// xdotool clicks the colour view and drags the drag view; the views report what they saw;
// a screenshot of the frame's window equals the frame's back buffer pixel for pixel.
#include <gtest/gtest.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLineTimeoutMs = 15000;  // only keeps a broken run from hanging

// The host program with a pipe to its input and one from its output.
class HostProcess {
public:
    explicit HostProcess(const std::string& program) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        toHost_ = in[1];
        fromHost_ = out[0];
    }
    ~HostProcess() {
        if (toHost_ >= 0) close(toHost_);
        if (fromHost_ >= 0) close(fromHost_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    bool running() const { return pid_ > 0; }

    void send(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(write(toHost_, text.data(), text.size()), ssize_t(text.size()));
    }

    // The next line of output, or nullopt when the host ends or falls silent.
    std::optional<std::string> nextLine() {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                lines.push_back(line);
                return line;
            }
            pollfd p{fromHost_, POLLIN, 0};
            if (poll(&p, 1, kLineTimeoutMs) <= 0) return std::nullopt;
            char chunk[512];
            const ssize_t n = read(fromHost_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, std::size_t(n));
        }
    }

    // Reads until a line starting with `prefix`; nullopt when none comes.
    std::optional<std::string> awaitLine(const std::string& prefix) {
        while (auto line = nextLine())
            if (line->rfind(prefix, 0) == 0) return line;
        return std::nullopt;
    }

    int quit() {
        send("quit");
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<std::string> lines;  // everything read so far

private:
    pid_t pid_ = -1;
    int toHost_ = -1;
    int fromHost_ = -1;
    std::string buffer_;
};

std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[512];
        while (std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) out.append(chunk, n);
        pclose(pipe);
    }
    return out;
}

// A number from xwininfo's report ("  Absolute upper-left X:  60").
int xwininfoField(const std::string& report, const std::string& field) {
    const auto at = report.find(field);
    return at == std::string::npos ? -1 : std::atoi(report.c_str() + at + field.size());
}

struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    std::uint32_t at(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    }
};

std::optional<Picture> readPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    Picture picture{image.width, image.height, std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return std::nullopt;
    return picture;
}

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

class X11Frame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.running());
        const auto window = host.awaitLine("window ");
        ASSERT_TRUE(window);
        windowId = window->substr(7);
        ASSERT_TRUE(host.awaitLine("painted "));  // the first paint
        const std::string report = commandOutput("xwininfo -id " + windowId);
        origin = {xwininfoField(report, "Absolute upper-left X:"), xwininfoField(report, "Absolute upper-left Y:")};
        ASSERT_EQ(xwininfoField(report, "Width:"), 352) << report;
        ASSERT_EQ(xwininfoField(report, "Height:"), 262) << report;
        dir = std::filesystem::path(::testing::TempDir()) /
              (std::string("x11-frame-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }

    void TearDown() override { EXPECT_EQ(host.quit(), 0); }

    // The screen position of a point of the panel.
    std::string onScreen(int h, int v) const {
        return std::to_string(origin.first + h) + " " + std::to_string(origin.second + v);
    }

    // The back buffer and a screenshot of the window, compared pixel for pixel. The
    // server may still be drawing what the host sent just before, so a difference is
    // looked at again a few times before it counts.
    void expectScreenShowsBackBuffer(const std::string& name) {
        const std::string dump = (dir / (name + "-buffer.png")).string();
        const std::string shot = (dir / (name + "-screen.png")).string();
        host.send("dump " + dump);
        ASSERT_EQ(host.awaitLine("dumped "), "dumped " + dump);
        const auto buffer = readPng(dump);
        ASSERT_TRUE(buffer);
        std::size_t differing = 0;
        for (int attempt = 0; attempt < 5; ++attempt) {
            ASSERT_EQ(std::system(("import -window " + windowId + " " + shot).c_str()), 0);
            const auto screen = readPng(shot);
            ASSERT_TRUE(screen);
            ASSERT_EQ(screen->width, buffer->width);
            ASSERT_EQ(screen->height, buffer->height);
            differing = 0;
            for (std::size_t i = 0; i < buffer->rgb.size(); ++i) differing += buffer->rgb[i] != screen->rgb[i];
            if (differing == 0) break;
            usleep(100000);
        }
        EXPECT_EQ(differing, 0u) << "see " << dump << " and " << shot;
    }

    HostProcess host{X11_FRAME_HOST};
    std::string windowId;
    std::pair<int, int> origin;
    std::filesystem::path dir;
};

TEST_F(X11Frame, TheWindowShowsTheBackBufferFromTheFirstPaint) { expectScreenShowsBackBuffer("first"); }

TEST_F(X11Frame, AClickReachesTheColourViewWhichRepaints) {
    xdotool("mousemove " + onScreen(80, 70) + " click 1");
    EXPECT_EQ(host.awaitLine("click "), "click 1 80 70");
    EXPECT_EQ(host.awaitLine("painted "), "painted 1eb43c");
    expectScreenShowsBackBuffer("clicked");
    const auto shot = readPng((dir / "clicked-screen.png").string());
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->at(80, 70), 0x1EB43Cu);
    EXPECT_EQ(shot->at(40, 40), 0x1EB43Cu);
    EXPECT_EQ(shot->at(119, 99), 0x1EB43Cu);
}

TEST_F(X11Frame, ADragIsFollowedByPollingToWhereItEnds) {
    // From the drag square's middle (172, 52) in ten steps of (10, 8).
    std::vector<std::pair<int, int>> path;
    std::string moves = "mousemove " + onScreen(172, 52) + " mousedown 1";
    for (int step = 1; step <= 10; ++step) {
        path.push_back({172 + 10 * step, 52 + 8 * step});
        moves += " sleep 0.05 mousemove " + onScreen(path.back().first, path.back().second);
    }
    xdotool(moves + " sleep 0.05 mouseup 1");
    const auto drop = host.awaitLine("drop ");
    ASSERT_TRUE(drop);
    EXPECT_EQ(*drop, "drop 272 132");

    // Every polled position lies on the path, in its order.
    std::size_t next = 0, seen = 0;
    for (const std::string& line : host.lines) {
        if (line.rfind("drag ", 0) != 0) continue;
        std::istringstream in(line.substr(5));
        std::pair<int, int> p;
        in >> p.first >> p.second;
        while (next < path.size() && path[next] != p) ++next;
        ASSERT_LT(next, path.size()) << line << " is not on the path, or out of order";
        ++seen;
    }
    EXPECT_EQ(next, path.size() - 1);  // the last one was seen
    EXPECT_GE(seen, path.size() / 2);

    expectScreenShowsBackBuffer("dragged");
    const auto shot = readPng((dir / "dragged-screen.png").string());
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->at(260, 120), 0xFAD214u);  // the square moved by (100, 80)
    EXPECT_EQ(shot->at(283, 143), 0xFAD214u);
    EXPECT_EQ(shot->at(172, 52), 0x3C3C3Cu);  // and left its place
}

}  // namespace
