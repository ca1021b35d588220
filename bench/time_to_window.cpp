// Starts a program and prints how long it took from the fork to the X server mapping its
// window of the given title, and to the first drawing into that window (its first frame),
// then leaves it running and prints its pid for the caller to measure further and end.
// Watching the server's events, rather than polling for the window, keeps the observer
// from taking the CPU the starting program needs.
//
// Usage: time_to_window TITLE PROGRAM [ARGUMENTS...]
// Prints: MAP_MILLISECONDS FRAME_MILLISECONDS PID (the program's standard output goes to
// /dev/null)
//
// The first frame is the first damage the DAMAGE extension reports in the window once it
// is mapped. Qt gives its windows no background, so mapping alone draws nothing; what is
// reported is the program's own first paint reaching the server.
#include <fcntl.h>
#include <poll.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

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

// The DAMAGE extension's requests, sent raw: the machine has its library but not its
// development header, and two requests do not justify another build dependency.
xcb_extension_t damageExtension = {"DAMAGE", 0};

struct DamageQueryVersion {
    std::uint8_t major, minor;
    std::uint16_t length;
    std::uint32_t clientMajor, clientMinor;
};

struct DamageCreate {
    std::uint8_t major, minor;
    std::uint16_t length;
    std::uint32_t damage, drawable;
    std::uint8_t level, pad[3];
};

template <typename Request>
unsigned SendDamageRequest(xcb_connection_t* connection, Request request, std::uint8_t opcode, bool hasReply) {
    const xcb_protocol_request_t header = {2, &damageExtension, opcode, std::uint8_t(hasReply ? 0 : 1)};
    iovec parts[4];
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof request;
    parts[3].iov_base = nullptr;
    parts[3].iov_len = 0;
    return xcb_send_request(connection, hasReply ? XCB_REQUEST_CHECKED : 0, parts + 2, &header);
}

// Whether the server will report drawing; the first event number of the extension.
bool StartDamage(xcb_connection_t* connection, std::uint8_t& firstEvent) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &damageExtension);
    if (!extension || !extension->present) return false;
    firstEvent = extension->first_event;
    // A client must announce its version before the server takes its other requests.
    const unsigned sequence = SendDamageRequest(connection, DamageQueryVersion{0, 0, 0, 1, 1}, 0, true);
    xcb_generic_error_t* error = nullptr;
    std::free(xcb_wait_for_reply(connection, sequence, &error));
    if (error) {
        std::free(error);
        return false;
    }
    return true;
}

void WatchDrawing(xcb_connection_t* connection, xcb_window_t window) {
    constexpr std::uint8_t kReportNonEmpty = 3;  // one event when the window first gets drawn into
    SendDamageRequest(connection, DamageCreate{0, 0, 0, xcb_generate_id(connection), window, kReportNonEmpty, {}},
                      1, false);
    xcb_flush(connection);
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
    std::uint8_t damageNotify = 0;
    if (!StartDamage(connection, damageNotify)) {
        std::fprintf(stderr, "time_to_window: the X server has no DAMAGE extension\n");
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

    using Ms = std::chrono::duration<double, std::milli>;
    xcb_window_t shownWindow = XCB_NONE;
    Ms mapped{};
    pollfd watch{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto now = std::chrono::steady_clock::now();
            const std::uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                // Watched from its creation: the program may draw right after mapping it.
                WatchDrawing(connection, reinterpret_cast<xcb_create_notify_event_t*>(event)->window);
            } else if (type == XCB_MAP_NOTIFY && shownWindow == XCB_NONE) {
                const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                if (WindowName(connection, window) == title) {
                    shownWindow = window;
                    mapped = now - start;
                }
            } else if (type == damageNotify && shownWindow != XCB_NONE) {
                // DamageNotify: the drawable follows the event's sequence number.
                std::uint32_t drawable = 0;
                std::memcpy(&drawable, reinterpret_cast<const char*>(event) + 4, sizeof drawable);
                if (drawable == shownWindow) {
                    std::printf("%.3f %.3f %d\n", mapped.count(), Ms(now - start).count(), static_cast<int>(child));
                    std::free(event);
                    return 0;
                }
            }
            std::free(event);
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "time_to_window: %s ended before showing \"%s\"\n", argv[2], title.c_str());
            return 1;
        }
        poll(&watch, 1, 100);
    }
    std::fprintf(stderr, "time_to_window: no \"%s\" window drawn within 30 s\n", title.c_str());
    kill(child, SIGTERM);
    return 1;
}
