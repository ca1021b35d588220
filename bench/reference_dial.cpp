// The reference for what a tick of stepdial costs: the least a Qt Widgets program does to
// show the same movement in a window of Form1's size. The same entry, button and captions
// (they do not change while the motor moves), one opaque dial that repaints only the old
// and the new needle's box, and a fixed-size opaque readout label in the captions' font,
// stepped by the same timer at the same 64 ticks a second and driven the same way: type
// an angle, press the button. It reports as form1_ticks does (bench/tick_log.h).
//
//   reference_dial [--xserver-pid PID]
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QWidget>
#include <cmath>
#include <cstdio>

#include "bench/tick_log.h"
#include "core/layout.h"
#include "core/tick_timer.h"
#include "qt/timerfd_wake_up.h"

namespace {

// The needle's pivot and length in the window's pixels, as Form1 has them.
constexpr QPointF kPivot(stepdial::layout::kLine1.x1 / 15.0, stepdial::layout::kLine1.y1 / 15.0);
constexpr double kLength = stepdial::layout::kNeedleLength / 15.0;
constexpr int kNeedleWidth = 4;

// A control's text as Form1's design gives it.
QString Designed(std::string_view name) {
    const std::string_view text = stepdial::layout::ControlNamed(name).text;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class Dial : public QWidget {
public:
    explicit Dial(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(16, 40, 193, 185);
    }

    void SetAngle(double radians) {
        const QRect before = Box();
        tip_ = kPivot + QPointF(std::cos(radians), std::sin(radians)) * kLength;
        update(before.united(Box()));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
        const QColor ink = palette().color(QPalette::WindowText);
        painter.setPen(QPen(ink, 1));
        painter.drawEllipse(QRectF(4.5, 0.5, 184, 184));
        painter.setPen(QPen(ink, kNeedleWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QLineF(kPivot, tip_).translated(-pos()));
    }

private:
    QRect Box() const {
        return QRectF(kPivot, tip_).normalized().translated(-pos()).toAlignedRect().adjusted(-5, -5, 5, 5);
    }

    QPointF tip_ = kPivot + QPointF(kLength, 0);
};

QLabel* Caption(QWidget* window, const QString& text, const QRect& box, double points) {
    auto* label = new QLabel(text, window);
    QFont font(QStringLiteral("David"));
    font.setPointSizeF(points);
    font.setBold(true);
    label->setFont(font);
    label->setGeometry(box);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    stepdial::bench::TickLog log(stepdial::bench::XServerArgument(argc, argv));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Reference dial"));
    window.resize(230, 269);
    auto* button = new QPushButton(Designed("Command1"), &window);
    button->setGeometry(8, 8, 41, 25);
    auto* entry = new QLineEdit(QStringLiteral("360"), &window);
    entry->setGeometry(56, 8, 41, 25);
    Caption(&window, Designed("Label1"), QRect(104, 8, 137, 25), 18);
    Caption(&window, Designed("Label3"), QRect(64, 240, 161, 25), 15.75);
    auto* dial = new Dial(&window);
    QLabel* readout = Caption(&window, QStringLiteral("0"), QRect(8, 240, 57, 25), 15.75);
    readout->setFixedSize(57, 25);
    readout->setAutoFillBackground(true);
    entry->setFocus();

    long step = 0;
    double target = 0;
    using Timer = stepdial::TickTimer<stepdial::qt::TimerfdWakeUp>;
    Timer* self = nullptr;
    Timer timer([&] {
        if (target > static_cast<double>(step)) ++step;
        if (target < static_cast<double>(step)) --step;
        log.Record([&] { return self->Schedule().Deadline() - self->Schedule().Period(); });
        // Form1's own pi, so the needle stands where Form1's does.
        dial->SetAngle(static_cast<double>(step) * 7.5 * 3.14 / 180);
        readout->setText(QString::number(static_cast<double>(step) * 7.5));
        if (std::abs(target - static_cast<double>(step)) < 1) self->SetEnabled(false);
    });
    self = &timer;
    QObject::connect(button, &QPushButton::clicked, [&] {
        target = entry->text().toDouble() / 7.5;
        timer.SetEnabled(true);
    });

    window.show();
    log.EndAfterArrival([] { QCoreApplication::quit(); });
    const int status = QApplication::exec();
    log.Print(stdout);
    std::printf("deadlines_skipped %lld\n", static_cast<long long>(timer.Schedule().Skipped()));
    return status;
}
