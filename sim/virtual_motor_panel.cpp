#include "virtual_motor_panel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLocale>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace stepdial {
namespace {

constexpr int kGap = 8;

QString CoilName(int bit) { return QString(QChar(u'A' + bit)); }

}  // namespace

VirtualMotorPanel::VirtualMotorPanel(const VirtualMotor& motor, SimulatedPort& port, QWidget* parent)
    : QWidget(parent, Qt::Window), motor_(motor), port_(port) {
    setWindowTitle(QStringLiteral("Virtual motor"));
    // Form1 is the program: closing this window alone must not end it, and it must not
    // keep the program alive once Form1 is closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* lampRow = new QHBoxLayout;
    for (int bit = 0; bit < 4; ++bit) {
        lamps_[bit] = new CoilLamp(CoilName(bit), bit, this);
        lampRow->addWidget(lamps_[bit]);
    }

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    byte_ = new QLabel(this);
    angle_ = new QLabel(this);
    counts_ = new QLabel(this);
    for (QLabel* label : {byte_, angle_, counts_}) label->setFont(fixed);

    rotor_ = new RotorView(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lampRow);
    layout->addWidget(byte_);
    layout->addWidget(rotor_, 1);
    layout->addWidget(angle_);
    layout->addWidget(counts_);

    Refresh();
    port_.OnWrite([this] { Refresh(); });
}

VirtualMotorPanel::~VirtualMotorPanel() { port_.OnWrite({}); }

void VirtualMotorPanel::Refresh() {
    const std::uint8_t byte = motor_.LastByte();
    for (CoilLamp* lamp : lamps_) lamp->SetLit((byte >> lamp->Bit()) & 1);

    byte_->setText(QStringLiteral("byte %1 = %2")
                       .arg(byte, 3)
                       .arg(QStringLiteral("%1").arg(byte, 8, 2, QChar(u'0'))));
    // The C locale keeps the point as the decimal separator, as the main window's
    // readout does.
    angle_->setText(QStringLiteral("rotor %1°").arg(QLocale::c().toString(motor_.AngleDegrees(), 'g', 12)));
    counts_->setText(QStringLiteral("writes %1  steps %2  stalls %3")
                         .arg(motor_.Writes())
                         .arg(motor_.Steps())
                         .arg(motor_.Stalls()));
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

    // Before the panel is first shown the window manager has not framed it: its laid-out
    // size plus the form's frame margins stands in for its frame.
    if (!panel.isVisible()) panel.adjustSize();
    const QSize formFrameExtra = formFrame.size() - form.geometry().size();
    const QSize panelSize =
        panel.isVisible() ? panel.frameGeometry().size() : panel.size() + formFrameExtra;

    int x = formFrame.right() + 1 + kGap;
    if (x + panelSize.width() - 1 > area.right()) {
        const int leftOfForm = formFrame.left() - kGap - panelSize.width();
        x = leftOfForm >= area.left() ? leftOfForm : area.right() + 1 - panelSize.width();
    }
    x = std::max(x, area.left());
    int y = std::clamp(formFrame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - panelSize.height()));

    // move() places the frame's top-left corner, which is what the arithmetic above used.
    panel.move(x, y);
}

}  // namespace stepdial
