// Measures from outside how long a program takes from its start to its first
// painted frame, and how much memory it then holds.
//
//   startup_watch [--calibrate] X Y W H PICTURE -- COMMAND [ARG...]
//
// It starts COMMAND and polls the X server (DISPLAY) every millisecond until a
// top-level window whose _NET_WM_PID is the child's is viewable and the
// rectangle X, Y, W, H of that window shows the picture stored in the file
// PICTURE. The rectangle is chosen to hold text and background, which only a
// finished frame has: before its first paint a window shows the root window's
// black. With --calibrate it waits until the window is viewable, lets it settle
// for a second and stores the rectangle in PICTURE instead.
//
// Then it waits 300 ms, reads VmHWM and VmRSS of the child from /proc, ends the
// child and prints one line: "ms=<start to frame> hwm_kib=<peak> rss_kib=<now>".
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void sleepMs(double ms)
{
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms * 1e6) % 1000000000L};
    nanosleep(&ts, nullptr);
}

int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

// The viewable top-level window of process `pid`, or 0.
Window findWindow(Display* display, Atom pidAtom, pid_t pid)
{
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                               &format, &items, &after, &data) == Success &&
            data != nullptr) {
            if (format == 32 && items == 1 &&
                static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid) {
                XWindowAttributes attributes{};
                if (XGetWindowAttributes(display, children[i], &attributes) &&
                    attributes.map_state == IsViewable)
                    found = children[i];
            }
            XFree(data);
        }
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

// The rectangle's pixels, or an empty vector while it cannot be read.
std::vector<unsigned long> grab(Display* display, Window window, int x, int y, int w, int h)
{
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (image == nullptr)
        return pixels;
    pixels.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            pixels.push_back(XGetPixel(image, column, row) & 0xFFFFFFul);
    XDestroyImage(image);
    return pixels;
}

long statusKib(pid_t pid, const char* key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::size_t length = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, length, key) == 0 && line.size() > length && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    return -1;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: startup_watch [--calibrate] X Y W H PICTURE -- COMMAND...\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    int arg = 1;
    const bool calibrate = arg < argc && std::strcmp(argv[arg], "--calibrate") == 0;
    if (calibrate)
        ++arg;
    if (argc - arg < 7 || std::strcmp(argv[arg + 5], "--") != 0)
        usage();
    const int x = std::atoi(argv[arg]), y = std::atoi(argv[arg + 1]);
    const int w = std::atoi(argv[arg + 2]), h = std::atoi(argv[arg + 3]);
    const std::string picturePath = argv[arg + 4];
    char** command = argv + arg + 6;

    std::vector<unsigned long> picture;
    if (!calibrate) {
        std::ifstream in(picturePath);
        unsigned long pixel = 0;
        while (in >> std::hex >> pixel)
            picture.push_back(pixel);
        if (picture.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {
            std::fprintf(stderr, "startup_watch: %s holds no picture of %dx%d\n",
                         picturePath.c_str(), w, h);
            return 2;
        }
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "startup_watch: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);

    pid_t child = 0;
    const double start = nowMs();
    if (posix_spawnp(&child, command[0], nullptr, nullptr, command, environ) != 0) {
        std::fprintf(stderr, "startup_watch: cannot start %s\n", command[0]);
        return 2;
    }

    double frame = -1;
    Window window = 0;
    int result = 0;
    while (frame < 0) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "startup_watch: %s ended before its first frame\n", command[0]);
            return 2;
        }
        if (nowMs() - start > 30000) {
            std::fprintf(stderr, "startup_watch: no frame within 30 s\n");
            result = 2;
            break;
        }
        if (window == 0)
            window = findWindow(display, pidAtom, child);
        if (window != 0) {
            if (calibrate) {
                frame = nowMs() - start;
                sleepMs(1000);
                const std::vector<unsigned long> pixels = grab(display, window, x, y, w, h);
                std::ofstream out(picturePath);
                for (unsigned long pixel : pixels)
                    out << std::hex << pixel << '\n';
                break;
            }
            if (grab(display, window, x, y, w, h) == picture)
                frame = nowMs() - start;
        }
        if (frame < 0)
            sleepMs(1);
    }

    if (result == 0) {
        sleepMs(300);
        std::printf("ms=%.2f hwm_kib=%ld rss_kib=%ld\n", frame, statusKib(child, "VmHWM"),
                    statusKib(child, "VmRSS"));
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return result;
}
