#include "qt/desktop.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "core/failure.h"
#include "motor/port_error.h"
#include "qt/descriptors.h"

namespace stepdial::qt {
namespace {

// Qt's platform plugins are packaged apart from Qt; Wayland's is the one a desktop
// install may lack, and then Qt can find no plugin for the session.
constexpr char kMissingWaylandPlugin[] = "Could not find the Qt platform plugin \"wayland\"";

// What Qt opens for a window and its failure box, and holds or needs at once: the
// display's connection, the event loops' wake-ups (one per thread, such as the X event
// reader's), the step timer, the input method's and the accessibility bus's connections,
// and the font configuration and plugins it reads while it starts. With fewer free Qt
// cannot start, or starts and then hangs in the box or aborts in GLib. With the box up
// the program holds 6 on X11 and 11 on Wayland (Qt 6.4), and opens a few more for a
// moment while it starts; this leaves room for a session bus and an input method besides.
constexpr int kDescriptorsForAWindow = 32;

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The platform plugin's first complaint while Qt starts, which names the real cause
// ("could not connect to display :1"); Qt's final fatal message only advises
// reinstalling. Other complaints come first at times and are not the cause: under a
// non-UTF-8 locale Qt notes that it switches to C.UTF-8.
std::string firstWarning;

bool FromPlatformPlugin(const QMessageLogContext& context) {
    return context.category && std::string_view(context.category).starts_with("qt.qpa");
}

// Qt ends the program when its platform plugin cannot reach the display (DISPLAY names a
// server that does not answer); this says why in the program's own words instead.
void NoDisplayHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const std::string text = message.toStdString();
    if (type != QtFatalMsg) {
        std::cerr << text << '\n';
        if (firstWarning.empty() && FromPlatformPlugin(context)) firstWarning = text.substr(0, text.find('\n'));
        return;
    }
    const bool noWaylandPlugin = firstWarning.find(kMissingWaylandPlugin) != std::string::npos;
    WriteFailureLine(
        "cannot open a window: " + (firstWarning.empty() ? text : firstWarning) + ". " +
        std::string(noWaylandPlugin ? remedy::kInstallTheWaylandPlugin : remedy::kStartOnADesktop));
    std::_Exit(1);
}

}  // namespace

std::unique_ptr<QApplication> OpenDesktop(int& argc, char** argv, const char* desktopEntry) {
    OpenStandardDescriptors();
    if (const int free = FreeDescriptors(kDescriptorsForAWindow); free < kDescriptorsForAWindow) {
        WriteFailureLine("cannot open a window: only " + std::to_string(free) +
                         " more files can be opened under the limit on open files, and a window needs " +
                         std::to_string(kDescriptorsForAWindow) + ": " +
                         std::generic_category().message(EMFILE) + ". " +
                         std::string(remedy::kRaiseTheFileLimit));
        return nullptr;
    }
    // An explicit platform (offscreen, vnc, ...) is the caller's own choice.
    if (!Set("QT_QPA_PLATFORM") && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
        WriteFailureLine("no graphical desktop: neither DISPLAY nor WAYLAND_DISPLAY is set. " +
                         std::string(remedy::kStartOnADesktop));
        return nullptr;
    }
    const QtMessageHandler previous = qInstallMessageHandler(NoDisplayHandler);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    QGuiApplication::setDesktopFileName(QString::fromUtf8(desktopEntry));
    return app;
}

int LeaveDesktop(int status) {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return status;
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace stepdial::qt
