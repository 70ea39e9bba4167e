// The X side of the start-up and keystroke benchmarks, a small XTEST probe:
//   xprobe launch LOG CMD [ARG...]
//                                starts CMD (output to LOG) and prints "PID MS":
//                                the time from just before the fork until the
//                                first top-level window is mapped; CMD keeps
//                                running
//   xprobe type FILE             injects the bytes of FILE as key presses with
//                                no delay between keys
//   xprobe latency WINDOW COUNT TEXT [GAP_MS] [HEIGHT]
//                                injects COUNT keys (TEXT repeated) and times
//                                each one until the server draws into the
//                                window's watched rows (its top HEIGHT pixel
//                                rows at first, when given)
// Key injection picks the keycode of each character and holds Shift when the
// character is on the shifted level.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <sys/ipc.h>
#include <sys/select.h>
#include <sys/shm.h>
#include <sys/types.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Key
{
    KeyCode code = 0;
    bool shift = false;
};

KeySym CharKeySym(unsigned char ch)
{
    switch (ch) {
    case ' ':
        return XK_space;
    case '\t':
        return XK_Tab;
    case '\r':
    case '\n':
        return XK_Return;
    default:
        // Latin-1 keysyms equal the character codes.
        return ch >= 0x20 && ch < 0x7F ? KeySym(ch) : NoSymbol;
    }
}

Key KeyFor(Display* d, unsigned char ch)
{
    const KeySym sym = CharKeySym(ch);
    Key key;
    if (sym == NoSymbol)
        return key;
    key.code = XKeysymToKeycode(d, sym);
    if (key.code == 0)
        return key;
    key.shift = XkbKeycodeToKeysym(d, key.code, 0, 0) != sym &&
                XkbKeycodeToKeysym(d, key.code, 0, 1) == sym;
    return key;
}

void Press(Display* d, const Key& key, KeyCode shift)
{
    if (key.shift)
        XTestFakeKeyEvent(d, shift, True, CurrentTime);
    XTestFakeKeyEvent(d, key.code, True, CurrentTime);
    XTestFakeKeyEvent(d, key.code, False, CurrentTime);
    if (key.shift)
        XTestFakeKeyEvent(d, shift, False, CurrentTime);
}

Display* OpenDisplay()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xprobe: cannot open the display\n");
        std::exit(1);
    }
    return d;
}

int Launch(const char* log, char** argv)
{
    Display* d = OpenDisplay();
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);
    fcntl(ConnectionNumber(d), F_SETFD, FD_CLOEXEC);

    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        return 1;
    if (pid == 0) {
        setsid(); // the program outlives the probe
        const int out = open(log, O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            close(out);
        }
        execvp(argv[0], argv);
        _exit(127);
    }
    const int fd = ConnectionNumber(d);
    while (MsSince(start) < 30000) {
        while (XPending(d)) {
            XEvent event;
            XNextEvent(d, &event);
            if (event.type == MapNotify && event.xmap.event == root) {
                const double ms = MsSince(start);
                std::printf("%d %.1f\n", int(pid), ms);
                XWindowAttributes attributes;
                if (XGetWindowAttributes(d, event.xmap.window, &attributes))
                    std::fprintf(stderr, "xprobe: first window %dx%d\n", attributes.width,
                                 attributes.height);
                return 0;
            }
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        timeval tv{0, 100000};
        select(fd + 1, &fds, nullptr, nullptr, &tv);
    }
    std::fprintf(stderr, "xprobe: no window was mapped within 30 s\n");
    std::printf("%d -1\n", int(pid));
    return 1;
}

int Type(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    Display* d = OpenDisplay();
    const KeyCode shift = XKeysymToKeycode(d, XK_Shift_L);
    std::vector<Key> keys;
    for (unsigned char ch : text) {
        const Key key = KeyFor(d, ch);
        if (key.code == 0) {
            std::fprintf(stderr, "xprobe: no key for byte 0x%02x\n", ch);
            return 1;
        }
        keys.push_back(key);
    }
    for (const Key& key : keys)
        Press(d, key, shift);
    XSync(d, False);
    std::printf("%zu\n", keys.size());
    return 0;
}

struct Region
{
    int x, y, w, h;
};

// The pixels of a region of the screen, taken through shared memory: the
// server copies them into our segment instead of sending them down the
// socket. They tell which rows a key changes; the keys are timed by
// CDamageWatch.
class CGrabber
{
public:
    CGrabber(Display* d, const Region& r) : m_d(d), m_region(r)
    {
        const int screen = DefaultScreen(d);
        m_image = XShmCreateImage(d, DefaultVisual(d, screen), unsigned(DefaultDepth(d, screen)),
                                  ZPixmap, nullptr, &m_shm, unsigned(r.w), unsigned(r.h));
        if (!m_image)
            return;
        m_shm.shmid = shmget(IPC_PRIVATE, Bytes(), IPC_CREAT | 0600);
        m_shm.shmaddr = m_image->data = static_cast<char*>(shmat(m_shm.shmid, nullptr, 0));
        m_shm.readOnly = False;
        m_bAttached = XShmAttach(d, &m_shm);
        XSync(d, False);
        shmctl(m_shm.shmid, IPC_RMID, nullptr); // gone once both sides detach
    }
    ~CGrabber()
    {
        if (!m_image)
            return;
        if (m_bAttached)
            XShmDetach(m_d, &m_shm);
        shmdt(m_shm.shmaddr);
        m_image->data = nullptr;
        XDestroyImage(m_image);
    }
    CGrabber(const CGrabber&) = delete;
    CGrabber& operator=(const CGrabber&) = delete;

    bool IsValid() const { return m_image && m_bAttached; }
    size_t Bytes() const { return size_t(m_image->bytes_per_line) * size_t(m_image->height); }
    // Takes the region's pixels now; their bytes until the next take.
    std::string_view Take()
    {
        XShmGetImage(m_d, DefaultRootWindow(m_d), m_image, m_region.x, m_region.y, AllPlanes);
        return {m_image->data, Bytes()};
    }
    // The rows where two takes differ, or {-1, -1}.
    std::pair<int, int> ChangedRows(std::string_view a, std::string_view b) const
    {
        const size_t line = size_t(m_image->bytes_per_line);
        int first = -1;
        int last = -1;
        for (int y = 0; y < m_image->height; ++y) {
            if (a.substr(size_t(y) * line, line) != b.substr(size_t(y) * line, line)) {
                if (first < 0)
                    first = y;
                last = y;
            }
        }
        return {first, last};
    }

private:
    Display* m_d;
    Region m_region;
    XShmSegmentInfo m_shm{};
    XImage* m_image = nullptr;
    bool m_bAttached = false;
};

// The server's reports of drawing into a window, one for each rectangle it
// draws: a probe that waits for them costs the server nothing while the
// watched program draws, whatever the size of the area watched, where
// looking at the pixels again and again would hold the server up.
class CDamageWatch
{
public:
    CDamageWatch(Display* d, Window window) : m_d(d)
    {
        int error = 0;
        if (XDamageQueryExtension(d, &m_nEventBase, &error))
            m_damage = XDamageCreate(d, window, XDamageReportRawRectangles);
        XSync(d, False);
    }
    ~CDamageWatch()
    {
        if (m_damage)
            XDamageDestroy(m_d, m_damage);
    }
    CDamageWatch(const CDamageWatch&) = delete;
    CDamageWatch& operator=(const CDamageWatch&) = delete;

    bool IsValid() const { return m_damage != 0; }
    // Takes the reports the server has sent; whether one touched the
    // window's pixel rows [top, bottom).
    bool Drain(int top, int bottom)
    {
        XSync(m_d, False);
        bool touched = false;
        while (XPending(m_d))
            touched = Next(top, bottom) || touched;
        return touched;
    }
    // Waits until a report touches the rows [top, bottom): true, or false
    // when none did before the deadline.
    bool WaitFor(int top, int bottom, Clock::time_point deadline)
    {
        const int fd = ConnectionNumber(m_d);
        for (;;) {
            while (XPending(m_d)) {
                if (Next(top, bottom))
                    return true;
            }
            const auto left = deadline - Clock::now();
            if (left <= Clock::duration::zero())
                return false;
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
            timeval tv{time_t(us / 1000000), suseconds_t(us % 1000000)};
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            select(fd + 1, &fds, nullptr, nullptr, &tv);
        }
    }

private:
    bool Next(int top, int bottom)
    {
        XEvent event;
        XNextEvent(m_d, &event);
        if (event.type != m_nEventBase + XDamageNotify)
            return false;
        const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
        return damage.area.y < bottom && damage.area.y + damage.area.height > top;
    }

    Display* m_d;
    int m_nEventBase = 0;
    Damage m_damage = 0;
};

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(double(values.size()) * p))];
}

int Latency(Window window, int count, const std::string& text, int gapMs, int height)
{
    Display* d = OpenDisplay();
    const KeyCode shift = XKeysymToKeycode(d, XK_Shift_L);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, window, &attributes)) {
        std::fprintf(stderr, "xprobe: no window 0x%lx\n", window);
        return 1;
    }
    int x = 0;
    int y = 0;
    Window child;
    XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    // The status bar at the foot of a window changes by itself (a clock), so
    // the first key watches the rows above it; the others watch only the
    // pixel rows the first two changed, the second within the first's: a
    // first key may also change what does not change with each key (a
    // lesson's header starts its clock). A screen that changes in two places
    // (a lesson's text and its keyboard) is watched where the typed text is.
    // The rows are found by looking at the pixels after those two keys; each
    // key is timed by the server's report of drawing into the rows watched.
    Region region{x, y, attributes.width,
                  std::max(1, height > 0 ? std::min(height, attributes.height - 60)
                                         : attributes.height - 60)};
    CDamageWatch watch(d, window);
    if (!watch.IsValid()) {
        std::fprintf(stderr, "xprobe: the X server reports no damage (DAMAGE)\n");
        return 1;
    }
    std::vector<double> latencies;
    int timeouts = 0;
    int unsteady = 0;
    for (int i = 0; i < count; ++i) {
        const Key key = KeyFor(d, static_cast<unsigned char>(text[size_t(i) % text.size()]));
        const int top = region.y - y;
        const int bottom = top + region.h;
        std::unique_ptr<CGrabber> grabber;
        std::string idle;
        if (i <= 1) {
            grabber = std::make_unique<CGrabber>(d, region);
            if (!grabber->IsValid()) {
                std::fprintf(stderr, "xprobe: the X server shares no memory (MIT-SHM)\n");
                return 1;
            }
        }
        watch.Drain(top, bottom);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (watch.Drain(top, bottom))
            ++unsteady;
        if (grabber)
            idle = grabber->Take();
        const auto start = Clock::now();
        Press(d, key, shift);
        XFlush(d);
        if (watch.WaitFor(top, bottom, start + std::chrono::seconds(1)))
            latencies.push_back(MsSince(start));
        else
            ++timeouts;
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
        if (grabber) {
            const auto [first, last] = grabber->ChangedRows(idle, grabber->Take());
            if (first >= 0) {
                const int narrowedTop = region.y + std::max(0, first - 2);
                const int narrowedBottom = region.y + std::min(region.h, last + 3);
                region = Region{x, narrowedTop, attributes.width, narrowedBottom - narrowedTop};
            }
        }
    }
    if (latencies.empty()) {
        std::printf("SUMMARY keys=%d changed=0 timeouts=%d\n", count, timeouts);
        return 1;
    }
    std::printf("SUMMARY keys=%d changed=%zu timeouts=%d unsteady=%d min=%.2f median=%.2f "
                "p90=%.2f max=%.2f rows=%d\n",
                count, latencies.size(), timeouts, unsteady, Percentile(latencies, 0),
                Percentile(latencies, 0.5), Percentile(latencies, 0.9), Percentile(latencies, 1.0),
                region.h);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "launch" && argc > 3)
        return Launch(argv[2], argv + 3);
    if (command == "type" && argc == 3)
        return Type(argv[2]);
    if (command == "latency" && argc >= 5)
        return Latency(Window(std::strtoul(argv[2], nullptr, 0)), std::atoi(argv[3]), argv[4],
                       argc > 5 ? std::atoi(argv[5]) : 40, argc > 6 ? std::atoi(argv[6]) : 0);
    std::fprintf(stderr, "usage: xprobe launch LOG CMD [ARG...] | type FILE | "
                         "latency WINDOW COUNT TEXT [GAP_MS] [HEIGHT]\n");
    return 2;
}
