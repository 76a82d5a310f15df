// Xlib and process code only: no JUCE header may follow Xlib's macros.

#include "host/XServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>

#include <cctype>
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

namespace
{
// The server's connection for input, or why there is none.
Display* inputConnection (std::string& problem)
{
    if (server == nullptr || server->connection == nullptr)
    {
        problem = "no private display (startPrivateDisplay first)";
        return nullptr;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (! XTestQueryExtension (server->connection, &event, &error, &major, &minor))
    {
        problem = "the X server has no XTEST extension";
        return nullptr;
    }
    return server->connection;
}

// Moves the pointer to a point of a window; false when the window is gone.
bool movePointer (Display* display, unsigned long window, int x, int y)
{
    XWindowAttributes attributes {};
    if (XGetWindowAttributes (display, static_cast<Window> (window), &attributes) == 0)
        return false;
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates (display, static_cast<Window> (window), attributes.root, x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent (display, XScreenNumberOfScreen (attributes.screen), rootX, rootY, CurrentTime);
    XSync (display, False);
    return true;
}

// A short pause between input events, as a hand leaves: toolkits read a
// press and a release at the same instant as no click at all.
void pause() { usleep (30000); }

std::string sendKey (Display* display, KeySym symbol, bool withShift, bool withControl)
{
    const KeyCode code = XKeysymToKeycode (display, symbol);
    if (code == 0)
        return "no key for keysym " + std::to_string (symbol);
    const KeyCode shift = XKeysymToKeycode (display, XK_Shift_L);
    const KeyCode control = XKeysymToKeycode (display, XK_Control_L);
    if (withControl)
        XTestFakeKeyEvent (display, control, True, CurrentTime);
    if (withShift)
        XTestFakeKeyEvent (display, shift, True, CurrentTime);
    XTestFakeKeyEvent (display, code, True, CurrentTime);
    XTestFakeKeyEvent (display, code, False, CurrentTime);
    if (withShift)
        XTestFakeKeyEvent (display, shift, False, CurrentTime);
    if (withControl)
        XTestFakeKeyEvent (display, control, False, CurrentTime);
    XSync (display, False);
    pause();
    return {};
}

std::string titleOf (Display* display, Window window)
{
    std::string title;
    XTextProperty property {};
    const Atom utf8Name = XInternAtom (display, "_NET_WM_NAME", False);
    if (XGetTextProperty (display, window, &property, utf8Name) != 0 || XGetWMName (display, window, &property) != 0)
    {
        if (property.value != nullptr)
            title.assign (reinterpret_cast<const char*> (property.value), property.nitems);
        XFree (property.value);
    }
    return title;
}
} // namespace

std::string click (unsigned long window, int x, int y)
{
    std::string problem;
    Display* display = inputConnection (problem);
    if (display == nullptr)
        return problem;
    if (! movePointer (display, window, x, y))
        return "no such window";
    pause();
    XTestFakeButtonEvent (display, 1, True, CurrentTime);
    XSync (display, False);
    pause();
    XTestFakeButtonEvent (display, 1, False, CurrentTime);
    XSync (display, False);
    return {};
}

std::string drag (unsigned long window, int fromX, int fromY, int toX, int toY, int steps)
{
    std::string problem;
    Display* display = inputConnection (problem);
    if (display == nullptr)
        return problem;
    if (! movePointer (display, window, fromX, fromY))
        return "no such window";
    pause();
    XTestFakeButtonEvent (display, 1, True, CurrentTime);
    XSync (display, False);
    steps = steps < 1 ? 1 : steps;
    for (int step = 1; step <= steps; ++step)
    {
        pause();
        movePointer (display, window, fromX + (toX - fromX) * step / steps, fromY + (toY - fromY) * step / steps);
    }
    pause();
    XTestFakeButtonEvent (display, 1, False, CurrentTime);
    XSync (display, False);
    return {};
}

std::string typeText (const std::string& text)
{
    std::string problem;
    Display* display = inputConnection (problem);
    if (display == nullptr)
        return problem;
    for (const char character : text)
    {
        if (! std::isalnum (static_cast<unsigned char> (character)) && character != ' ')
            return "only letters, digits and spaces can be typed";
        // Latin-1 keysyms are the characters' own codes.
        const bool upper = character >= 'A' && character <= 'Z';
        const KeySym symbol = static_cast<KeySym> (upper ? character - 'A' + 'a' : character);
        problem = sendKey (display, symbol, upper, false);
        if (! problem.empty())
            return problem;
    }
    return {};
}

std::string pressKey (const std::string& keysymName, bool withControl)
{
    std::string problem;
    Display* display = inputConnection (problem);
    if (display == nullptr)
        return problem;
    const KeySym symbol = XStringToKeysym (keysymName.c_str());
    if (symbol == NoSymbol)
        return "no keysym named " + keysymName;
    return sendKey (display, symbol, false, withControl);
}

std::string focusWindow (unsigned long window)
{
    std::string problem;
    Display* display = inputConnection (problem);
    if (display == nullptr)
        return problem;
    XSetInputFocus (display, static_cast<Window> (window), RevertToParent, CurrentTime);
    XSync (display, False);
    return {};
}

unsigned long findWindowNamed (const std::string& title)
{
    std::string problem;
    Display* display = inputConnection (problem);
    if (display == nullptr)
        return 0;
    XSync (display, False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count) == 0)
        return 0;
    unsigned long found = 0;
    for (unsigned int i = count; i-- > 0 && found == 0;) // topmost first
    {
        XWindowAttributes attributes {};
        if (XGetWindowAttributes (display, children[i], &attributes) != 0 && attributes.map_state == IsViewable
            && titleOf (display, children[i]) == title)
            found = children[i];
    }
    XFree (children);
    return found;
}

} // namespace plumora::test::xserver
