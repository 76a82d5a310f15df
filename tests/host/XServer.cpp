// Xlib and process code only: no JUCE header may follow Xlib's macros.

#include "host/XServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace plumora::test::xserver
{
namespace
{
// JUCE's window hints raise errors with no window manager (BadAtom on
// WM_PROTOCOLS); Xlib's default handler would end the process for them.
int ignoreXError (Display*, XErrorEvent*) { return 0; }

std::string readFile (const std::string& path)
{
    std::ifstream in (path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The display number Xvfb writes to fd once it accepts connections, or -1
// when it ends or the time is up first.
int awaitDisplayNumber (int fd, int timeoutMs)
{
    std::string text;
    for (;;)
    {
        pollfd wanted { fd, POLLIN, 0 };
        const int ready = poll (&wanted, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return -1;
        char buffer[32];
        const auto got = read (fd, buffer, sizeof (buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return -1;
        text.append (buffer, static_cast<std::size_t> (got));
        if (text.find ('\n') != std::string::npos)
            return std::atoi (text.c_str());
    }
}

struct PrivateServer
{
    std::string problem;
    Display* connection = nullptr; // the grabs' own connection

    PrivateServer (int width, int height)
    {
        char logPath[] = "/tmp/plumora-xvfb-XXXXXX";
        const int log = mkstemp (logPath);
        int displayPipe[2] = { -1, -1 };
        int execPipe[2] = { -1, -1 };
        if (log < 0 || pipe (displayPipe) != 0 || pipe2 (execPipe, O_CLOEXEC) != 0)
        {
            problem = std::string ("cannot prepare to start Xvfb: ") + std::strerror (errno);
            return;
        }

        // Everything the child needs is made before fork: after it, only
        // async-signal-safe calls.
        const std::string fd = std::to_string (displayPipe[1]);
        const std::string screen = std::to_string (width) + "x" + std::to_string (height) + "x24";
        const char* arguments[] = { "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                                    "-nolisten", "tcp", "-noreset", nullptr };
        const pid_t parent = getpid();
        const pid_t child = fork();
        if (child < 0)
        {
            problem = std::string ("cannot start Xvfb: ") + std::strerror (errno);
            return;
        }
        if (child == 0)
        {
            // The server goes when this process goes, however it ends.
            prctl (PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit (1);
            dup2 (log, STDOUT_FILENO);
            dup2 (log, STDERR_FILENO);
            close (displayPipe[0]);
            execvp ("Xvfb", const_cast<char* const*> (arguments));
            const int error = errno;
            [[maybe_unused]] const auto written = write (execPipe[1], &error, sizeof (error));
            _exit (127);
        }

        close (displayPipe[1]);
        close (execPipe[1]);
        close (log);
        int execError = 0;
        const bool execFailed = read (execPipe[0], &execError, sizeof (execError)) == sizeof (execError);
        close (execPipe[0]);
        const int number = execFailed ? -1 : awaitDisplayNumber (displayPipe[0], 20000);
        close (displayPipe[0]);

        if (execFailed)
            problem = std::string ("cannot run Xvfb (") + std::strerror (execError)
                    + "): install the Debian packages xvfb and xauth (scripts/install-packages.sh does)";
        else if (number < 0)
        {
            const bool ended = waitpid (child, nullptr, WNOHANG) == child;
            if (! ended)
            {
                kill (child, SIGTERM);
                waitpid (child, nullptr, 0);
            }
            problem = std::string (ended ? "Xvfb ended before it was ready" : "Xvfb was not ready within 20 s")
                    + "; its output:\n" + readFile (logPath);
        }
        unlink (logPath);
        if (! problem.empty())
            return;

        const std::string name = ":" + std::to_string (number);
        setenv ("DISPLAY", name.c_str(), 1);
        XSetErrorHandler (ignoreXError);
        connection = XOpenDisplay (name.c_str());
        if (connection == nullptr)
            problem = "Xvfb runs on display " + name + " but it cannot be opened";
    }
};

PrivateServer* server = nullptr;

// The bits of a colour channel in a pixel: where they start and how many.
struct Channel
{
    int shift = 0;
    int bits = 0;

    explicit Channel (unsigned long mask)
    {
        if (mask == 0)
            return;
        while ((mask & 1) == 0)
        {
            mask >>= 1;
            ++shift;
        }
        while ((mask & 1) != 0)
        {
            mask >>= 1;
            ++bits;
        }
    }

    std::uint32_t eightBits (unsigned long pixel) const
    {
        if (bits == 0)
            return 0;
        const auto value = (pixel >> shift) & ((1ul << bits) - 1);
        return static_cast<std::uint32_t> (bits >= 8 ? value >> (bits - 8) : (value * 255) / ((1ul << bits) - 1));
    }
};
} // namespace

std::string startPrivateDisplay (int width, int height)
{
    static std::once_flag once;
    std::call_once (once, [&] { server = new PrivateServer (width, height); }); // lives until the process ends
    return server->problem;
}

Grab grabWindow (unsigned long window)
{
    Grab grab;
    if (server == nullptr || server->connection == nullptr)
    {
        grab.error = "no private display (startPrivateDisplay first)";
        return grab;
    }
    Display* display = server->connection;
    XSync (display, False);

    XWindowAttributes attributes {};
    if (XGetWindowAttributes (display, static_cast<Window> (window), &attributes) == 0)
    {
        grab.error = "no such window";
        return grab;
    }
    if (attributes.map_state != IsViewable)
    {
        grab.error = "the window is not shown";
        return grab;
    }

    // The screen's pixels where the window is: what the user sees, child
    // windows of other connections (the plug-in's) included.
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates (display, static_cast<Window> (window), attributes.root, 0, 0, &x, &y, &child);
    const int screenWidth = WidthOfScreen (attributes.screen);
    const int screenHeight = HeightOfScreen (attributes.screen);
    if (x < 0 || y < 0 || x + attributes.width > screenWidth || y + attributes.height > screenHeight)
    {
        grab.error = "the window (" + std::to_string (attributes.width) + " x " + std::to_string (attributes.height)
                   + " at " + std::to_string (x) + ", " + std::to_string (y) + ") is not wholly on the "
                   + std::to_string (screenWidth) + " x " + std::to_string (screenHeight) + " screen";
        return grab;
    }

    XImage* image = XGetImage (display, attributes.root, x, y, static_cast<unsigned> (attributes.width),
                               static_cast<unsigned> (attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr)
    {
        grab.error = "XGetImage failed";
        return grab;
    }

    const Channel red (image->red_mask), green (image->green_mask), blue (image->blue_mask);
    grab.width = attributes.width;
    grab.height = attributes.height;
    grab.argb.resize (static_cast<std::size_t> (grab.width) * static_cast<std::size_t> (grab.height));
    for (int row = 0; row < grab.height; ++row)
        for (int column = 0; column < grab.width; ++column)
        {
            const unsigned long pixel = XGetPixel (image, column, row);
            grab.argb[static_cast<std::size_t> (row * grab.width + column)] =
                0xff000000u | (red.eightBits (pixel) << 16) | (green.eightBits (pixel) << 8) | blue.eightBits (pixel);
        }
    XDestroyImage (image);
    return grab;
}

} // namespace plumora::test::xserver
