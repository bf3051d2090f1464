// Asks an X11 window to close the way a window manager does when the user
// presses the title bar's close button: a WM_DELETE_WINDOW client message.
// Usage: wm_close WINDOW-ID (decimal or 0x hex, as xdotool prints it).
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wm_close WINDOW-ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wm_close: no X display\n");
        return 1;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);

    // Only a window that takes part in the protocol may be asked this way.
    Atom* supported = nullptr;
    int count = 0;
    bool takesPart = false;
    if (XGetWMProtocols(display, window, &supported, &count) != 0) {
        for (int i = 0; i < count; ++i)
            takesPart = takesPart || supported[i] == deleteWindow;
        XFree(supported);
    }
    if (!takesPart) {
        std::fprintf(stderr, "wm_close: window does not accept WM_DELETE_WINDOW\n");
        XCloseDisplay(display);
        return 1;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);  // flushes the request
    return 0;
}
