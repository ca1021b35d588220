#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/simulated_port.h"
#include "motor/stepping_controller.h"
#include "sim/virtual_motor.h"
#include "sim/virtual_motor_panel.h"

namespace stepdial {
namespace {

struct Sim {
    VirtualMotor motor;
    SimulatedPort port{motor};
    VirtualMotorPanel panel{motor, port};
};

// A byte on the data lines, the coils whose lamps it lights (A to D: bits 0 to 3) and its
// line on the panel.
struct ByteShown {
    int byte;
    const char* lit;
    const char* text;
};

void PrintTo(const ByteShown& b, std::ostream* os) { *os << "byte " << b.byte; }

class LampsAndByte : public ::testing::TestWithParam<ByteShown> {};

TEST_P(LampsAndByte, ShowTheLastByteWritten) {
    Sim sim;
    sim.port.Write(888, static_cast<std::uint8_t>(GetParam().byte));
    std::string lit;
    for (int coil = 0; coil < 4; ++coil) {
        if (sim.panel.Lamps()[coil]->IsLit()) lit += "ABCD"[coil];
    }
    EXPECT_EQ(lit, GetParam().lit);
    EXPECT_EQ(sim.panel.ByteText().toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, LampsAndByte,
    ::testing::Values(ByteShown{0, "", "byte   0 = 00000000"}, ByteShown{3, "AB", "byte   3 = 00000011"},
                      ByteShown{6, "BC", "byte   6 = 00000110"}, ByteShown{12, "CD", "byte  12 = 00001100"},
                      ByteShown{9, "AD", "byte   9 = 00001001"}, ByteShown{1, "A", "byte   1 = 00000001"},
                      ByteShown{2, "B", "byte   2 = 00000010"}, ByteShown{4, "C", "byte   4 = 00000100"},
                      ByteShown{8, "D", "byte   8 = 00001000"}, ByteShown{5, "AC", "byte   5 = 00000101"},
                      ByteShown{15, "ABCD", "byte  15 = 00001111"},
                      // Bits 4 to 7 reach no coil, but the line shows them.
                      ByteShown{246, "BC", "byte 246 = 11110110"}));

TEST(VirtualMotorPanel, LampsAreLabelledWithCoilAndDataBitInOrder) {
    Sim sim;
    const char* expected[] = {"A\nbit 0", "B\nbit 1", "C\nbit 2", "D\nbit 3"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sim.panel.Lamps()[i]->Bit(), i);
        EXPECT_EQ(sim.panel.Lamps()[i]->Caption().toStdString(), expected[i]);
    }
    EXPECT_EQ(sim.panel.windowTitle().toStdString(), "Virtual motor");
    EXPECT_TRUE(sim.panel.isWindow());
}

TEST(VirtualMotorPanel, FollowsEveryTickOfTheController) {
    Sim sim;
    SteppingController controller(sim.port);
    controller.ResetMotor();
    EXPECT_EQ(sim.panel.CountsText().toStdString(), "writes 1  steps 0  stalls 0");

    for (int tick = 1; tick <= 12; ++tick) {
        controller.StepMotor("90");
        ASSERT_EQ(sim.panel.Rotor().Angle(), tick * 7.5);
    }
    EXPECT_EQ(sim.panel.RotorAngleCaption().toStdString(), "rotor 90°");
    EXPECT_EQ(sim.panel.CountsText().toStdString(), "writes 13  steps 12  stalls 0");
    EXPECT_TRUE(sim.panel.ByteText().contains("00000011"));

    for (int tick = 1; tick <= 18; ++tick) controller.StepMotor("-45");
    EXPECT_EQ(sim.panel.Rotor().Angle(), -45.0);
    EXPECT_EQ(sim.panel.RotorAngleCaption().toStdString(), "rotor -45°");

    sim.port.Write(888, 3);  // two full steps from the rotor, which stands at the field of 12
    EXPECT_EQ(sim.panel.CountsText().toStdString(), "writes 32  steps 30  stalls 1");
}

// Reads the drawn rotor back: the mark must be dark where the angle points and the
// disc must show where it does not, turning clockwise as the main window's needle does.
struct MarkCase {
    double degrees;
    double markDx, markDy;  // unit direction of the mark on screen
};

void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.degrees << " degrees"; }

class RotorDrawing : public ::testing::TestWithParam<MarkCase> {};

TEST_P(RotorDrawing, MarkPointsAtTheAngleClockwiseFromRight) {
    RotorView rotor;
    rotor.resize(180, 180);
    rotor.SetAngle(GetParam().degrees);
    const QImage image = rotor.grab().toImage();
    const double scale = image.width() / 180.0;
    const QPointF centre(90.0, 90.0);
    const double radius = 84.0;

    auto pixel = [&](double dx, double dy, double r) {
        return image.pixelColor(QPoint(static_cast<int>((centre.x() + dx * r) * scale),
                                       static_cast<int>((centre.y() + dy * r) * scale)));
    };
    for (double r : {0.3, 0.5, 0.7}) {
        EXPECT_LT(pixel(GetParam().markDx, GetParam().markDy, r * radius).lightness(), 60) << "radius " << r;
        // Straight across from the mark: disc, not mark.
        EXPECT_EQ(pixel(-GetParam().markDx, -GetParam().markDy, r * radius), RotorView::kDiscColour) << "radius " << r;
    }
}

INSTANTIATE_TEST_SUITE_P(Angles, RotorDrawing,
                         ::testing::Values(MarkCase{0, 1, 0}, MarkCase{90, 0, 1}, MarkCase{180, -1, 0},
                                           MarkCase{270, 0, -1}, MarkCase{-90, 0, -1},
                                           MarkCase{-45, std::sqrt(0.5), -std::sqrt(0.5)},
                                           MarkCase{727.5, std::cos(7.5 * M_PI / 180), std::sin(7.5 * M_PI / 180)}));

// Shows the panel and steps the controller toward each target in turn, `ticks` times
// each, letting the panel paint after every write as the event loop does.
void MoveShown(Sim& sim, std::initializer_list<const char*> targets, int ticks) {
    sim.panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sim.panel));
    SteppingController controller(sim.port);
    controller.ResetMotor();
    for (const char* target : targets) {
        for (int tick = 0; tick < ticks; ++tick) {
            controller.StepMotor(target);
            QCoreApplication::processEvents();
        }
    }
}

// The panel repaints only what a write changed, from pictures drawn once: what is on the
// screen after many writes must be what a full repaint draws.
TEST(VirtualMotorPanel, OnScreenAfterManyWritesItLooksAsDrawnAfresh) {
    Sim sim;
    // Texts grow and shrink: "rotor 127.5°" is followed by "rotor 0°"; the strip's
    // columns outnumber its field's.
    MoveShown(sim, {"90", "-45", "127.5", "0"}, 40);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(sim.panel.Rotor().Angle(), 0.0);
    QTest::qWait(50);

    const QImage onScreen = sim.panel.screen()->grabWindow(sim.panel.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage afresh = sim.panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (onScreen.size() != afresh.size()) GTEST_SKIP() << "the screen's grab and the widget's differ in scale";
    int differing = 0;
    for (int y = 0; y < afresh.height(); ++y) {
        for (int x = 0; x < afresh.width(); ++x) differing += onScreen.pixel(x, y) != afresh.pixel(x, y);
    }
    EXPECT_EQ(differing, 0) << "pixels left over from earlier writes";
}

// Reads the bytes back from the strip on the screen: in each write's column, a trace
// stands in the upper half of its row where the bit is 1 and in the lower half where it is 0.
TEST(VirtualMotorPanel, TimingStripShowsEveryByteWrittenInItsColumn) {
    Sim sim;
    MoveShown(sim, {"30", "0", "-30"}, 4);
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<int> written = {0, 6, 12, 9, 3, 9, 12, 6, 3, 9, 12, 6, 3};

    const TimingStrip& strip = sim.panel.Strip();
    const QImage image = sim.panel.screen()->grabWindow(sim.panel.winId()).toImage();
    const QRect field = strip.Field().translated(strip.pos());
    const int rowHeight = field.height() / 4;
    auto traceIn = [&](int x, int top, int bottom) {
        for (int y = top; y < bottom; ++y) {
            if (image.pixelColor(x, y) == strip.palette().color(QPalette::Text)) return true;
        }
        return false;
    };
    // Newest at the right, and one column more than was written: nothing there yet.
    for (int age = 0; age <= static_cast<int>(written.size()); ++age) {
        const int x = field.right() - age * TimingStrip::kColumnWidth;
        int byte = 0, lowBits = 0;
        for (int bit = 0; bit < 4; ++bit) {
            const int top = field.top() + bit * rowHeight;
            byte |= traceIn(x, top, top + rowHeight / 2) << bit;
            lowBits |= traceIn(x, top + rowHeight / 2, top + rowHeight) << bit;
        }
        const bool writtenThere = age < static_cast<int>(written.size());
        const int expected = writtenThere ? written[written.size() - 1 - age] : 0;
        EXPECT_EQ(byte, expected) << "column of write " << written.size() - age;
        EXPECT_EQ(lowBits, writtenThere ? ~expected & 15 : 0) << "column of write " << written.size() - age;
    }
}

// A write costs the strip one column, never a redraw of all it shows.
TEST(VirtualMotorPanel, TimingStripDrawsOneColumnPerWrite) {
    Sim sim;
    MoveShown(sim, {"3000"}, 10);
    ASSERT_FALSE(HasFatalFailure());
    const long before = sim.panel.Strip().ColumnsDrawn();
    constexpr int kWrites = 2 * TimingStrip::kColumns;
    for (int write = 0; write < kWrites; ++write) {
        sim.port.Write(888, write % 2 ? 9 : 3);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(sim.panel.Strip().ColumnsDrawn() - before, kWrites);
}

TEST(ReadoutText, GrowsToShowALongerTextWhole) {
    QWidget window;
    auto* readout = new ReadoutText(&window);
    readout->Show(QStringLiteral("7"));
    const QSize small = readout->size();
    readout->Show(QStringLiteral("1234567890123"));
    EXPECT_GE(readout->width(), readout->fontMetrics().horizontalAdvance(QStringLiteral("1234567890123")));
    EXPECT_GT(readout->width(), small.width());
    const int grown = readout->width();
    readout->Show(QStringLiteral("8"));
    EXPECT_EQ(readout->width(), grown) << "a shorter text must not lay the window out again";
    EXPECT_EQ(readout->Text(), QStringLiteral("8"));
}

// Runs the event loop until something quits it, or `limitMs` passes (then returns -1).
int RunLoop(int limitMs) {
    QTimer::singleShot(limitMs, qApp, [] { QCoreApplication::exit(-1); });
    return QCoreApplication::exec();
}

TEST(VirtualMotorPanel, ClosingItLeavesTheProgramRunning) {
    Sim sim;
    QWidget form;
    form.show();
    sim.panel.show();
    QTimer::singleShot(0, &sim.panel, [&] { sim.panel.close(); });
    EXPECT_EQ(RunLoop(300), -1) << "closing the panel ended the event loop";
    EXPECT_TRUE(form.isVisible());
}

TEST(VirtualMotorPanel, ClosingTheMainWindowEndsTheProgramWhilePanelIsOpen) {
    Sim sim;
    QWidget form;
    form.show();
    sim.panel.show();
    QTimer::singleShot(0, &form, [&] { form.close(); });
    EXPECT_EQ(RunLoop(2000), 0) << "the panel kept the program alive";
}

struct Placement {
    QPoint formAt;
    bool expectRight;
};

void PrintTo(const Placement& p, std::ostream* os) { *os << "form at " << p.formAt.x() << "," << p.formAt.y(); }

class PlacedBeside : public ::testing::TestWithParam<Placement> {};

TEST_P(PlacedBeside, WithinTheScreenAndNotCoveringTheForm) {
    Sim sim;
    QWidget form;
    form.resize(230, 269);
    form.move(GetParam().formAt);
    form.show();
    PlaceBeside(sim.panel, form);
    sim.panel.show();

    const QRect screen = form.screen()->availableGeometry();
    const QRect panel = sim.panel.frameGeometry();
    EXPECT_FALSE(panel.intersects(form.frameGeometry()));
    EXPECT_TRUE(screen.contains(panel)) << panel.x() << "," << panel.y() << " " << panel.width() << "x"
                                        << panel.height() << " on " << screen.width() << "x" << screen.height();
    if (GetParam().expectRight) {
        EXPECT_GT(panel.left(), form.frameGeometry().right());
    } else {
        EXPECT_LT(panel.right(), form.frameGeometry().left());
    }
    EXPECT_EQ(panel.top(), form.frameGeometry().top());
}

// A window manager shows a new window first and places it afterwards: the panel moves
// along with the form's later moves and resizes while it is open.
TEST(VirtualMotorPanel, KeepsBesideTheFormWhenTheFormMoves) {
    Sim sim;
    QWidget form;
    form.resize(230, 269);
    form.move(0, 0);
    form.show();
    sim.panel.KeepBeside(form);
    sim.panel.show();
    ASSERT_GT(sim.panel.frameGeometry().left(), form.frameGeometry().right());

    for (const QPoint to : {QPoint(200, 120), QPoint(40, 10), QPoint(520, 60)}) {
        form.move(to);
        QCoreApplication::processEvents();
        const QRect panel = sim.panel.frameGeometry();
        EXPECT_FALSE(panel.intersects(form.frameGeometry())) << "form at " << to.x() << "," << to.y();
        EXPECT_EQ(panel.top(), form.frameGeometry().top()) << "form at " << to.x() << "," << to.y();
    }
    form.resize(400, 269);
    QCoreApplication::processEvents();
    EXPECT_FALSE(sim.panel.frameGeometry().intersects(form.frameGeometry())) << "after the form grew";

    // Once the operator has closed the panel it stays where it was.
    sim.panel.close();
    const QPoint closedAt = sim.panel.pos();
    form.move(0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(sim.panel.pos(), closedAt);
}

INSTANTIATE_TEST_SUITE_P(FormPositions, PlacedBeside,
                         ::testing::Values(Placement{{0, 0}, true}, Placement{{100, 40}, true},
                                           // No room to the right of the form: the left side.
                                           Placement{{560, 20}, false}));

}  // namespace
}  // namespace stepdial
