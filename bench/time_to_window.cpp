// Starts a program and prints how long it took from the fork to the X server mapping its
// window of the given title, then leaves it running and prints its pid for the caller to
// measure further and end. Watching the server's MapNotify, rather than polling for the
// window, keeps the observer from taking the CPU the starting program needs.
//
// Usage: time_to_window TITLE PROGRAM [ARGUMENTS...]
// Prints: MILLISECONDS PID (the program's standard output goes to /dev/null)
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string WindowName(xcb_connection_t* connection, xcb_window_t window) {
    const auto cookie = xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME,
                                         XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "time_to_window: cannot open the display $DISPLAY\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked so the mask is in force before the program can map anything.
    if (auto* error = xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask))) {
        std::fprintf(stderr, "time_to_window: cannot watch the root window (error %d)\n", error->error_code);
        std::free(error);
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("time_to_window: fork");
        return 2;
    }
    if (child == 0) {
        close(xcb_get_file_descriptor(connection));
        // The caller reads this helper's output to its end; the program must not hold it open.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
        execvp(argv[2], argv + 2);
        std::perror("time_to_window: exec");
        _exit(127);
    }

    pollfd watch{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto shown = std::chrono::steady_clock::now();
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (mapped && WindowName(connection, window) == title) {
                const std::chrono::duration<double, std::milli> elapsed = shown - start;
                std::printf("%.3f %d\n", elapsed.count(), static_cast<int>(child));
                return 0;
            }
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "time_to_window: %s ended before showing \"%s\"\n", argv[2], title.c_str());
            return 1;
        }
        poll(&watch, 1, 100);
    }
    std::fprintf(stderr, "time_to_window: no \"%s\" window within 30 s\n", title.c_str());
    kill(child, SIGTERM);
    return 1;
}
