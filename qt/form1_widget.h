#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "qt/caption_label.h"
#include "qt/dial_widget.h"
#include "qt/failure_box.h"
#include "core/form1.h"
#include "core/keys.h"
#include "core/tick_timer.h"
#include "motor/port.h"
#include "qt/timerfd_wake_up.h"

namespace stepdial::qt {

// Form1 on Qt: creates the controls of the layout table, runs the paced timer, and hands
// every event to the handlers of Form1.
class Form1Widget : public QWidget, private Form1Controls {
public:
    explicit Form1Widget(Port& port, FailureBox box = ShowCriticalBox, const MotorModel& motor = {});

    Form1& Form() { return form_; }
    const Form1& Form() const { return form_; }

    TickTimer<TimerfdWakeUp>& Timer1() { return timer1_; }
    QPushButton& Command1() { return *command1_; }
    QLineEdit& Text1() { return *text1_; }
    DialWidget& Shape1() { return *shape1_; }
    CaptionLabel& Label3() { return *label3_; }
    CaptionLabel& Label2() { return *label2_; }
    CaptionLabel& Label1() { return *label1_; }
    const NeedleLine& Line1() const { return line1_; }

protected:
    // Closing ends the program, and Qt quits only in a later pass of its event loop: the
    // timer stops first, so no tick runs (and nothing is written) once a close has begun.
    void closeEvent(QCloseEvent* event) override;
    // A window destroyed by another X client ends the program too (status 0): a program
    // without a window must not hold the port where no one can close it.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    // Form1's keys (core/keys.h) on the entry and the button, before the control's own.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Create(const layout::Control& design);
    void EndWithoutItsWindow();

    std::string Text1Text() const override;
    void SetTimer1Enabled(bool enabled) override;
    LineControl& Line1Control() override { return line1_; }
    LabelControl& Label2Control() override { return *label2_; }
    void ReportFailure(const std::string& message) override;

    Form1 form_;
    FailureBox box_;
    NeedleLine line1_;
    TickTimer<TimerfdWakeUp> timer1_;
    QPushButton* command1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    DialWidget* shape1_ = nullptr;
    CaptionLabel* label3_ = nullptr;
    CaptionLabel* label2_ = nullptr;
    CaptionLabel* label1_ = nullptr;
};

}  // namespace stepdial::qt
