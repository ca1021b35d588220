#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextOption>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/layout.h"
#include "qt/form1_widget.h"
#include "qt/native_window_gone.h"
#include "tests/support/key_rule_cases.h"
#include "tests/support/recording_port.h"
#include "tests/support/timed_port.h"

namespace stepdial::qt {
namespace {

using testing::RecordingPort;

// The control's text as Form1's design gives it.
QString Designed(std::string_view name) {
    const std::string_view text = layout::ControlNamed(name).text;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A loaded window on a recording port, with the error box replaced by a recorder.
struct LoadedForm {
    LoadedForm() { loaded = form.Form().Load(); }
    RecordingPort port;
    std::vector<QString> boxes;
    Form1Widget form{port, [this](const QString& message) { boxes.push_back(message); }};
    bool loaded = false;

    // A tick as the timer delivers it.
    void Tick() { form.Form().Run(&Form1::Timer1_Timer); }
    std::int64_t Position() const { return form.Form().Controller().CurrentStep(); }

    // Ticks as the timer would deliver them, until the timer stops (at most `limit`).
    int TicksToArrival(int limit = 1000) {
        int ticks = 0;
        while (form.Timer1().Enabled() && ticks < limit) {
            Tick();
            ++ticks;
        }
        return ticks;
    }
};

TEST(Form1Layout, WindowIsCaptionedForm1WithItsClientArea) {
    LoadedForm f;
    EXPECT_EQ(f.form.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(f.form.size(), QSize(230, 269));
    EXPECT_TRUE(f.form.isWindow());
    EXPECT_NE(f.form.minimumSize(), f.form.maximumSize()) << "the window must stay resizable";
}

struct ControlBox {
    const char* name;
    QRect pixels;
};

// Twips / 15: each control sits where the operator's instructions say it does.
TEST(Form1Layout, EveryControlHasItsPlaceInPixels) {
    LoadedForm f;
    const ControlBox boxes[] = {
        {"Command1", QRect(8, 8, 41, 25)},    {"Text1", QRect(56, 8, 41, 25)},
        {"Shape1", QRect(16, 40, 193, 185)},  {"Label3", QRect(64, 240, 161, 25)},
        {"Label2", QRect(8, 240, 57, 25)},    {"Label1", QRect(104, 8, 137, 25)},
    };
    for (const auto& box : boxes) {
        const auto* control = f.form.findChild<QWidget*>(QString::fromLatin1(box.name));
        ASSERT_NE(control, nullptr) << box.name;
        EXPECT_EQ(control->geometry(), box.pixels) << box.name;
    }
    // The dial is a circle of 185 px centred in its box; the needle's pivot is not its centre.
    EXPECT_EQ(f.form.Shape1().Circle(), QRectF(4, 0, 185, 185));
    EXPECT_EQ(f.form.Shape1().NeedleInWindow(), QLineF(1700 / 15.0, 2000 / 15.0, 2900 / 15.0, 2000 / 15.0));
}

TEST(Form1Layout, ControlsAreStackedInCreationOrder) {
    LoadedForm f;
    QStringList order;
    for (QObject* child : f.form.children()) {
        if (child->isWidgetType()) order << child->objectName();
    }
    EXPECT_EQ(order, (QStringList{QStringLiteral("Command1"), QStringLiteral("Text1"), QStringLiteral("Shape1"),
                                  QStringLiteral("Label3"), QStringLiteral("Label2"), QStringLiteral("Label1")}));
}

TEST(Form1Layout, NothingMovesWhenTheWindowIsResized) {
    LoadedForm f;
    f.form.show();
    const QRect button = f.form.Command1().geometry();
    const QRect readout = f.form.Label2().geometry();
    const QRectF circle = f.form.Shape1().Circle();
    f.form.resize(500, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.form.Command1().geometry(), button);
    EXPECT_EQ(f.form.Label2().geometry(), readout);
    EXPECT_EQ(f.form.Shape1().Circle(), circle);
}

TEST(Form1Captions, TextsAndTypefaces) {
    LoadedForm f;
    EXPECT_EQ(f.form.Command1().text(), Designed("Command1"));
    EXPECT_EQ(f.form.Text1().text(), QStringLiteral("360"));
    EXPECT_EQ(f.form.Text1().cursorPosition(), 3) << "the caret after the angle, as on Windows";
    EXPECT_FALSE(f.form.Text1().hasSelectedText());
    EXPECT_EQ(f.form.Label1().Caption(), Designed("Label1"));
    EXPECT_EQ(f.form.Label3().Caption(), Designed("Label3"));
    EXPECT_EQ(f.form.Label2().Caption(), QStringLiteral("0"));

    struct Expected {
        CaptionLabel* label;
        double points;
    };
    for (const auto& [label, points] : {Expected{&f.form.Label1(), 18}, Expected{&f.form.Label3(), 15.75},
                                        Expected{&f.form.Label2(), 15.75}}) {
        const QFont font = label->font();
        EXPECT_EQ(font.family(), QStringLiteral("David")) << label->objectName().toStdString();
        EXPECT_EQ(font.weight(), 700) << label->objectName().toStdString();
        EXPECT_DOUBLE_EQ(font.pointSizeF(), points) << label->objectName().toStdString();
        // The font this machine really draws with: Culmus's David CLM, whether or not
        // fontconfig reads its "David" alias.
        EXPECT_TRUE(QFontInfo(font).family().startsWith(QStringLiteral("David")))
            << "drawn with " << QFontInfo(font).family().toStdString();
    }
}

// The captions store their colon first; drawn left to right, it must be the leftmost
// glyph. The label's left edge is compared with a colon drawn alone at the same place.
TEST(Form1Captions, TheColonStandsAtTheLeftEndOfEachCaption) {
    LoadedForm f;
    for (CaptionLabel* label : {&f.form.Label1(), &f.form.Label3()}) {
        const QImage drawn = label->grab().toImage();
        QImage colon(drawn.size(), drawn.format());
        colon.setDevicePixelRatio(drawn.devicePixelRatio());
        colon.fill(label->palette().color(QPalette::Window));
        {
            QPainter painter(&colon);
            painter.setFont(label->font());
            painter.setPen(label->palette().color(QPalette::WindowText));
            QTextOption option(Qt::AlignLeft | Qt::AlignTop);
            option.setTextDirection(Qt::LeftToRight);
            painter.drawText(QRectF(label->rect()), QStringLiteral(":"), option);
        }
        const int colonWidth = QFontMetrics(label->font()).horizontalAdvance(QLatin1Char(':')) - 1;
        ASSERT_GT(colonWidth, 1);
        int inked = 0;
        for (int x = 0; x < colonWidth; ++x) {
            for (int y = 0; y < drawn.height(); ++y) {
                ASSERT_EQ(drawn.pixel(x, y), colon.pixel(x, y))
                    << label->objectName().toStdString() << " at " << x << "," << y;
                if (colon.pixel(x, y) != colon.pixel(0, 0)) ++inked;
            }
        }
        EXPECT_GT(inked, 0) << "the colon left no ink to compare";
    }
}

TEST(Form1Open, StateBeforeTheFirstTick) {
    LoadedForm f;
    ASSERT_TRUE(f.loaded);
    EXPECT_EQ(f.form.Text1().text(), QStringLiteral("360"));
    EXPECT_EQ(f.form.Label2().Caption(), QStringLiteral("0"));
    EXPECT_EQ(f.form.Line1().X2(), 2900.0f);
    EXPECT_EQ(f.form.Line1().Y2(), 2000.0f);
    EXPECT_FALSE(f.form.Timer1().Enabled());
    EXPECT_FALSE(f.form.Timer1().Armed());
    EXPECT_EQ(f.port.Writes(), (std::vector<RecordingPort::Written>{{888, 0}})) << "all coils off, once";
    EXPECT_TRUE(f.boxes.empty());

    f.form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form));
    EXPECT_EQ(QApplication::focusWidget(), &f.form.Text1());
}

TEST(Form1Open, EveryKeyOfTheRuleDoesWhatTheRuleSays) {
    // In the order of Key; Shift makes Tab BackTab.
    const Qt::Key keys[] = {Qt::Key_Tab,  Qt::Key_Tab,   Qt::Key_Return, Qt::Key_Space,
                            Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down};
    for (const auto& c : testing::kKeyCases) {
        LoadedForm f;
        f.form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form));
        QWidget* const controls[] = {&f.form.Text1(), &f.form.Command1()};
        const auto control = [&](layout::Kind kind) { return controls[kind == layout::Kind::Button]; };
        control(c.from)->setFocus();
        const auto modifier = c.key == Key::BackTab ? Qt::ShiftModifier : Qt::NoModifier;
        QTest::keyPress(control(c.from), keys[int(c.key)], c.controlFirst ? Qt::ControlModifier : modifier);
        QTest::keyRelease(control(c.from), keys[int(c.key)], modifier);
        EXPECT_EQ(QApplication::focusWidget(), control(c.to)) << "row " << &c - testing::kKeyCases;
        EXPECT_EQ(f.form.Timer1().Enabled(), c.starts) << "row " << &c - testing::kKeyCases;
        EXPECT_FALSE(f.form.Command1().isDown()) << "row " << &c - testing::kKeyCases;
    }
}

// The window's timer delivers the ticks: a click arms it, each tick reaches the controller,
// the port and the dial, and arrival disarms it.
TEST(Form1Run, TheTimersTicksTakeTheMotorToTheTargetThenStop) {
    LoadedForm f;
    f.form.show();
    f.form.Text1().setText(QStringLiteral("15"));
    QTest::mouseClick(&f.form.Command1(), Qt::LeftButton);
    ASSERT_TRUE(f.form.Timer1().Armed());

    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.form.Timer1().Enabled(); }, 5000));
    EXPECT_FALSE(f.form.Timer1().Armed());
    EXPECT_EQ(f.port.Values(), (std::vector<std::uint8_t>{0, 6, 12}));
    EXPECT_EQ(f.form.Label2().Caption(), QStringLiteral("15"));
    EXPECT_EQ(f.form.Line1().X2(), 2859.1521f);
    EXPECT_EQ(f.form.Line1().Y2(), 2310.42896f);
}

// The operator's rate reaches the real timer: 200 steps a second, one step a tick in
// order, and the guard against bursts holds at the shorter period.
TEST(Form1Run, TheTimerStepsAtTheOperatorsRate) {
    testing::TimedPort port;
    Form1Widget form(
        port, [](const QString&) {}, MotorModel{.drive = Drive::OneCoil, .stepsPerSecond = 200});
    ASSERT_TRUE(form.Form().Load());
    EXPECT_EQ(form.Timer1().Schedule().Period(), std::chrono::milliseconds(5));
    form.show();
    form.Text1().setText(QStringLiteral("75"));
    QTest::mouseClick(&form.Command1(), Qt::LeftButton);

    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Timer1().Enabled(); }, 5000));
    EXPECT_EQ(port.Values(), (std::vector<std::uint8_t>{0, 2, 4, 8, 1, 2, 4, 8, 1, 2, 4}));
    EXPECT_GE(port.ShortestGap(), std::chrono::microseconds(2500));
}

// Every edit is a target for the next tick: the operator can send the motor back.
TEST(Form1Run, EditingTheEntryMidMoveRetargetsOnTheNextTick) {
    LoadedForm f;
    f.form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form));
    QTest::mouseClick(&f.form.Command1(), Qt::LeftButton);
    for (int i = 0; i < 10; ++i) f.Tick();
    ASSERT_EQ(f.Position(), 10);

    f.form.Text1().setFocus();
    f.form.Text1().selectAll();
    QTest::keyClicks(&f.form.Text1(), QStringLiteral("0"));
    ASSERT_EQ(f.form.Text1().text(), QStringLiteral("0"));
    f.port.Clear();
    f.Tick();
    EXPECT_EQ(f.Position(), 9);
    EXPECT_EQ(f.port.Values(), std::vector<std::uint8_t>{6});
    EXPECT_EQ(f.form.Label2().Caption(), QStringLiteral("67.5"));
}

// The step timer's descriptor (the newest timerfd) made no timer: the next arming fails.
TEST(Form1Run, AStepTimerThatCannotBeArmedAgainIsAFailure) {
    LoadedForm f;
    f.form.Command1().click();
    int timer = -1;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(fd.path(), error) == "anon_inode:[timerfd]")
            timer = std::max(timer, std::stoi(fd.path().filename().string()));
    }
    ASSERT_GE(timer, 0);
    ASSERT_EQ(dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), timer), timer);
    f.form.Timer1().Expire();
    EXPECT_EQ(f.boxes.size(), 1u);
    EXPECT_FALSE(f.form.Timer1().Enabled());
}

// Pixels of the window as drawn: the needle where the position says, the dial around it.
TEST(Form1Drawing, TheNeedleIsDrawnWhereThePositionPointsAndOverTheDial) {
    LoadedForm f;
    f.form.show();
    const QColor ink = f.form.palette().color(QPalette::WindowText);
    const auto inkAt = [&](const QImage& image, int x, int y) { return QColor(image.pixel(x, y)) == ink; };

    QImage image = f.form.grab().toImage();
    EXPECT_TRUE(inkAt(image, 150, 133)) << "needle pointing right";
    EXPECT_FALSE(inkAt(image, 113, 170)) << "nothing below the pivot yet";
    EXPECT_TRUE(inkAt(image, 16 + 4 + 92, 40)) << "top of the dial's circle";
    EXPECT_TRUE(inkAt(image, 113 + 80, 133)) << "the needle is drawn over the dial's outline";
    int thickness = 0;
    for (int y = 120; y < 147; ++y) thickness += inkAt(image, 150, y);
    EXPECT_EQ(thickness, 4) << "the needle is 4 pixels wide";

    f.form.Text1().setText(QStringLiteral("90"));
    f.form.Command1().click();
    f.TicksToArrival();
    image = f.form.grab().toImage();
    EXPECT_TRUE(inkAt(image, 113, 170)) << "needle pointing down";
    EXPECT_FALSE(inkAt(image, 150, 133)) << "the old needle is gone";
}

// A screen reader reads the painted captions and the readout as it would standard labels,
// and hears the readout once, where the motor stops, not on every tick on the way.
TEST(Form1Accessibility, CaptionsHaveNamesAndTheReadoutIsAnnouncedWhereTheMotorStops) {
    LoadedForm f;
    const std::pair<CaptionLabel*, QString> names[] = {{&f.form.Label1(), Designed("Label1")},
                                                       {&f.form.Label3(), Designed("Label3")},
                                                       {&f.form.Label2(), QStringLiteral("0")}};
    for (const auto& [label, name] : names) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::StaticText);
        EXPECT_EQ(accessible->text(QAccessible::Name), name);
    }

    // Qt's offscreen platform has no accessibility bridge to watch the events go out, so
    // the readout's own count of announcements stands in for them.
    const int atStart = f.form.Label2().Announcements();
    f.form.Text1().setText(QStringLiteral("90"));
    f.form.Command1().click();
    for (int i = 0; i < 5; ++i) f.Tick();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&f.form.Label2())->text(QAccessible::Name),
              QStringLiteral("37.5"));
    EXPECT_EQ(f.form.Label2().Announcements(), atStart) << "announced while moving";
    EXPECT_EQ(f.TicksToArrival(), 7);
    EXPECT_EQ(f.form.Label2().Announcements(), atStart + 1) << "once, on arrival";
    EXPECT_EQ(f.form.Label1().Announcements() + f.form.Label3().Announcements(), 0);
}

// X events for window 7 as the server and as another client (XSendEvent: the code's top
// bit) give them: code, window destroyed, whether it is the window's end.
TEST(Form1End, OnlyTheServersDestroyNotifyForThisWindowIsItsEnd) {
    const std::tuple<std::uint8_t, std::uint32_t, bool> rows[] = {{17, 7, true},
                                                                  {0x91, 7, false},
                                                                  {17, 8, false}};
    for (const auto& [code, destroyed, gone] : rows) {
        unsigned char event[32] = {code};
        std::memcpy(event + 8, &destroyed, sizeof destroyed);
        EXPECT_EQ(IsWindowDestroyed("xcb_generic_event_t", event, 7), gone) << int{code} << " " << destroyed;
    }
}

}  // namespace
}  // namespace stepdial::qt
