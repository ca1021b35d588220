#include "form1.h"

#include <QCoreApplication>
#include <exception>

#include "dial.h"
#include "twips.h"

namespace stepdial {
namespace {

template <typename Control>
Control* Place(Control* control, const char* name, QRect geometry) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

}  // namespace

// Controls are made in this order; a later one lies over an earlier one where they
// overlap (the readout over the edge of its caption, the needle over the dial).
Form1::Form1(Port& port, FailureBox box)
    : motor_(port),
      box_(std::move(box)),
      timer1_([this] { RunHandler(&Form1::Timer1_Timer); }),
      command1_(Place(new QPushButton(QStringLiteral("סע"), this), "Command1", TwipsRect(120, 120, 615, 375))),
      text1_(Place(new QLineEdit(QStringLiteral("360"), this), "Text1", TwipsRect(840, 120, 615, 375))),
      shape1_(Place(new CircleShape(*this), "Shape1", TwipsRect(240, 600, 2895, 2775))),
      label3_(Place(new CaptionLabel(*this, QStringLiteral(":כיוון המנוע עכשיו"), 15.75), "Label3",
                    TwipsRect(960, 3600, 2415, 375))),
      label2_(Place(new CaptionLabel(*this, QStringLiteral("0"), 15.75), "Label2", TwipsRect(120, 3600, 855, 375))),
      label1_(Place(new CaptionLabel(*this, QStringLiteral(":זוית במעלות"), 18), "Label1",
                    TwipsRect(1560, 120, 2055, 375))) {
    setWindowTitle(QStringLiteral("Form1"));
    resize(TwipsToPixels(3450), TwipsToPixels(4035));
    line1_ = new NeedleLine(*this, 1700, 2000, 2900, 2000);
    line1_->setObjectName(QStringLiteral("Line1"));

    // The timer is enabled as designed; Form_Load stops it before any tick can come.
    timer1_.SetEnabled(true);

    // Enter in the entry must not start the motor.
    command1_->setAutoDefault(false);
    command1_->setDefault(false);
    setTabOrder(text1_, command1_);
    text1_->setFocus();
    QObject::connect(command1_, &QPushButton::clicked, this, [this] { RunHandler(&Form1::Command1_Click); });
}

bool Form1::Load() {
    RunHandler(&Form1::Form_Load);
    return !failed_;
}

void Form1::Form_Load() {
    motor_.ResetMotor();
    timer1_.SetEnabled(false);
}

void Form1::Command1_Click() { timer1_.SetEnabled(true); }

void Form1::Timer1_Timer() {
    motor_.StepMotor(text1_->text().toStdString());
    UpdateNeedle(motor_, *line1_);
    UpdateReadout(motor_, *label2_);
    if (motor_.HasArrived()) timer1_.SetEnabled(false);
}

void Form1::RunHandler(void (Form1::*handler)()) {
    if (failed_) return;
    try {
        (this->*handler)();
    } catch (const std::exception& e) {
        Fail(e.what());
    } catch (...) {
        Fail("unknown failure");
    }
}

void Form1::Fail(const std::string& message) {
    failed_ = true;
    timer1_.SetEnabled(false);
    ReportFailure(message, box_);
    // Ends the event loop when it runs; at start-up it is not running yet, and the
    // caller sees Failed() instead.
    QCoreApplication::exit(1);
}

}  // namespace stepdial
