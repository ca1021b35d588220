#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>
#include <map>
#include <vector>

#include "qt/form1_widget.h"
#include "tests/support/recording_port.h"

// What a tick repaints on screen: the needle's old and new place and the readout, each
// once, and nothing beneath or beside them. No figures: the cost is measured in bench/.
namespace stepdial::qt {
namespace {

class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(const std::vector<QWidget*>& widgets) {
        for (QWidget* widget : widgets) widget->installEventFilter(this);
    }
    std::map<QObject*, std::vector<QRegion>> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted[watched].push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

struct ShownForm {
    ShownForm() {
        form.Form().Load();
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(50);  // the first full paint is over
    }
    testing::RecordingPort port;
    Form1Widget form{port, [](const QString&) {}};

    void Tick() {
        form.Form().Run(&Form1::Timer1_Timer);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
};

// QRegion::contains(QRect) answers whether they overlap.
bool Covers(const QRegion& region, const QRect& rect) { return QRegion(rect).subtracted(region).isEmpty(); }

QRect NeedleArea(const QLineF& inWindow, const QWidget& dial) {
    return QRectF(inWindow.p1(), inWindow.p2()).normalized().toAlignedRect().translated(-dial.pos());
}

TEST(TickRepaint, ATickPaintsTheDialOnceOverBothNeedlesAndTheReadoutAlone) {
    ShownForm f;
    f.form.Text1().setText(QStringLiteral("90"));
    f.form.Command1().click();
    // Ticks come from the test alone, each followed by its repaint.
    f.form.Timer1().SetEnabled(false);
    QTest::qWait(50);  // the button has drawn its focus
    PaintRecorder recorder({&f.form, &f.form.Shape1(), &f.form.Label2(), &f.form.Label3(), &f.form.Label1()});

    for (int tick = 0; tick < 5; ++tick) {
        recorder.painted.clear();
        const QRect before = NeedleArea(f.form.Shape1().NeedleInWindow(), f.form.Shape1());
        f.Tick();
        const QRect after = NeedleArea(f.form.Shape1().NeedleInWindow(), f.form.Shape1());
        ASSERT_NE(before, after);

        const auto& dial = recorder.painted[&f.form.Shape1()];
        ASSERT_EQ(dial.size(), 1u) << "tick " << tick;
        EXPECT_EQ(dial.front().rectCount(), 1) << "tick " << tick << ": the needle's area in more than one piece";
        EXPECT_TRUE(Covers(dial.front(), before) && Covers(dial.front(), after)) << "tick " << tick;
        EXPECT_FALSE(Covers(dial.front(), f.form.Shape1().rect())) << "tick " << tick << ": the whole dial";

        EXPECT_EQ(recorder.painted[&f.form.Label2()].size(), 1u) << "tick " << tick;
        EXPECT_TRUE(recorder.painted[&f.form.Label3()].empty()) << "tick " << tick << ": the caption beside the readout";
        EXPECT_TRUE(recorder.painted[&f.form.Label1()].empty()) << "tick " << tick;
        EXPECT_TRUE(recorder.painted[&f.form].empty()) << "tick " << tick << ": the window beneath";
    }
}

// Opaque, the readout draws its own background: a shorter number leaves nothing of a
// longer one behind.
TEST(TickRepaint, TheReadoutErasesTheLongerNumberItShowedBefore) {
    ShownForm f;
    f.form.Text1().setText(QStringLiteral("-7.5"));
    f.form.Command1().click();
    f.Tick();
    ASSERT_EQ(f.form.Label2().Caption(), QStringLiteral("-7.5"));
    f.form.Text1().setText(QStringLiteral("0"));
    f.form.Command1().click();
    f.Tick();
    ASSERT_EQ(f.form.Label2().Caption(), QStringLiteral("0"));

    const QImage shown = f.form.Label2().grab().toImage();
    const QColor background = f.form.palette().color(QPalette::Window);
    const int zeroWidth = QFontMetrics(f.form.Label2().font()).horizontalAdvance(QStringLiteral("0")) + 2;
    int inkRight = 0, inkLeft = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (QColor(shown.pixel(x, y)) == background) continue;
            (x < zeroWidth ? inkLeft : inkRight)++;
        }
    }
    EXPECT_GT(inkLeft, 0) << "no zero drawn";
    EXPECT_EQ(inkRight, 0) << "the longer number's digits are still there";
}

}  // namespace
}  // namespace stepdial::qt
