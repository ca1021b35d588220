#include "sim/virtual_motor_panel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "sim/coil_names.h"

namespace stepdial {
namespace {

constexpr int kGap = 8;

const QString kCountNames[3] = {QStringLiteral("writes"), QStringLiteral("steps"), QStringLiteral("stalls")};

// Title bar and borders around a window's client area.
QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

}  // namespace

VirtualMotorPanel::VirtualMotorPanel(const VirtualMotor& motor, SimulatedPort& port, QWidget* parent)
    : QWidget(parent, Qt::Window), motor_(motor), port_(port) {
    setWindowTitle(QStringLiteral("Virtual motor"));
    // Form1 is the program: closing this window alone must not end it, and it must not
    // keep the program alive once Form1 is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    // It opens just before Form1 and must not take the keyboard, even for a moment: the
    // operator types an angle as soon as the windows appear.
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* lampRow = new QHBoxLayout;
    for (int bit = 0; bit < kCoils; ++bit) {
        lamps_[bit] = new CoilLamp(CoilName(bit), bit, this);
        lampRow->addWidget(lamps_[bit]);
    }

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    byte_ = new ReadoutText(this);
    angle_ = new ReadoutText(this);
    for (ReadoutText* readout : {byte_, angle_}) readout->setFont(fixed);

    // Room for the counts of a long session, so the window does not widen as they grow.
    constexpr int kCountDigits = 7;
    auto* countGrid = new QGridLayout;
    for (int column = 0; column < 3; ++column) {
        countGrid->addWidget(new QLabel(kCountNames[column], this), 0, column, Qt::AlignRight);
        counts_[column] = new ReadoutText(this, kCountDigits, Qt::AlignRight);
        counts_[column]->setFont(fixed);
        countGrid->addWidget(counts_[column], 1, column, Qt::AlignRight);
    }

    rotor_ = new RotorView(this);
    strip_ = new TimingStrip(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lampRow);
    layout->addWidget(byte_);
    layout->addWidget(rotor_, 1);
    layout->addWidget(angle_);
    layout->addLayout(countGrid);
    layout->addWidget(strip_);

    Refresh();
    port_.OnWrite([this] {
        strip_->Record(motor_.LastByte());
        Refresh();
    });
}

VirtualMotorPanel::~VirtualMotorPanel() { port_.OnWrite({}); }

QString VirtualMotorPanel::CountsText() const {
    QStringList parts;
    for (int column = 0; column < 3; ++column) parts << kCountNames[column] + u' ' + counts_[column]->Text();
    return parts.join(QStringLiteral("  "));
}

void VirtualMotorPanel::Refresh() {
    const std::uint8_t byte = motor_.LastByte();
    for (CoilLamp* lamp : lamps_) lamp->SetLit((byte >> lamp->Bit()) & 1);

    byte_->Show(QStringLiteral("byte %1 = %2")
                    .arg(byte, 3)
                    .arg(QStringLiteral("%1").arg(byte, 8, 2, QChar(u'0'))));
    // The C locale keeps the point as the decimal separator, as the main window's
    // readout does.
    angle_->Show(QStringLiteral("rotor %1°").arg(QLocale::c().toString(motor_.AngleDegrees(), 'g', 12)));
    counts_[0]->Show(QString::number(motor_.Writes()));
    counts_[1]->Show(QString::number(motor_.Steps()));
    counts_[2]->Show(QString::number(motor_.Stalls()));
    rotor_->SetAngle(motor_.AngleDegrees());
}

void VirtualMotorPanel::KeepBeside(QWidget& form) {
    if (form_) form_->removeEventFilter(this);
    form_ = &form;
    form.installEventFilter(this);
    PlaceBeside(*this, form);
}

bool VirtualMotorPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && isVisible() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        PlaceBeside(*this, *form_);
    }
    return false;
}

void PlaceBeside(QWidget& panel, const QWidget& form) {
    const QRect formFrame = form.frameGeometry();
    QScreen* screen = form.screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(formFrame.topLeft(), QSize(4096, 4096));

    // Until the window manager has framed the panel its frame is unknown; the form's,
    // drawn by the same window manager, stands in for it.
    if (!panel.isVisible()) panel.adjustSize();
    const bool panelFramed = panel.frameGeometry() != panel.geometry();
    const QMargins frame = FrameMargins(panelFramed ? panel : form);
    const QSize panelFrame = panel.size().grownBy(frame);

    int x = formFrame.right() + 1 + kGap;
    if (x + panelFrame.width() - 1 > area.right()) {
        const int leftOfForm = formFrame.left() - kGap - panelFrame.width();
        x = leftOfForm >= area.left() ? leftOfForm : area.right() + 1 - panelFrame.width();
    }
    x = std::max(x, area.left());
    const int y =
        std::clamp(formFrame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - panelFrame.height()));

    // setGeometry() places the client area, which stays put when the frame is added;
    // move() would place the frame, but only where Qt already knows its size.
    panel.setGeometry(QRect(QPoint(x + frame.left(), y + frame.top()), panel.size()));
}

}  // namespace stepdial
