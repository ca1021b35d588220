#include "qt/form1_widget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QThread>
#include <algorithm>
#include <vector>

#include "qt/native_window_gone.h"
#include "qt/twips.h"
#include "qt/utf8_text.h"

namespace stepdial::qt {
namespace {

template <typename Control>
Control* Place(Control* control, const layout::Control& design) {
    control->setObjectName(FromUtf8(design.name));
    control->setGeometry(TwipsRect(design.box));
    return control;
}

Key KeyOf(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return Key::Other;
    switch (event.key()) {
    case Qt::Key_Tab:
        return event.modifiers() & Qt::ShiftModifier ? Key::BackTab : Key::Tab;
    case Qt::Key_Backtab:
        return Key::BackTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Key::Enter;
    case Qt::Key_Space:
        return Key::Space;
    case Qt::Key_Left:
        return Key::Left;
    case Qt::Key_Right:
        return Key::Right;
    case Qt::Key_Up:
        return Key::Up;
    case Qt::Key_Down:
        return Key::Down;
    default:
        return Key::Other;
    }
}

}  // namespace

Form1Widget::Form1Widget(Port& port, FailureBox box)
    : form_(port, *this),
      box_(std::move(box)),
      timer1_([this] { form_.Timer1_Timer(); },
              [this](const std::function<void()>& work) { form_.Run(work); }) {
    setWindowTitle(FromUtf8(layout::kForm1.caption));
    resize(layout::TwipsToPixels(layout::kForm1.clientWidth), layout::TwipsToPixels(layout::kForm1.clientHeight));

    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const layout::Control& design : layout::kForm1Controls) {
        Create(design);
        if (design.tabIndex < 0) continue;
        if (auto* control = findChild<QWidget*>(FromUtf8(design.name), Qt::FindDirectChildrenOnly);
            control && control->focusPolicy() != Qt::NoFocus) {
            tabOrder.emplace_back(design.tabIndex, control);
        }
    }
    std::sort(tabOrder.begin(), tabOrder.end());
    for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    // The first in the tab order has the focus when the window opens.
    if (!tabOrder.empty()) tabOrder.front().second->setFocus();
}

void Form1Widget::Create(const layout::Control& design) {
    switch (design.kind) {
    case layout::Kind::Timer:
        timer1_.SetEnabled(form_.Moving());
        break;
    case layout::Kind::Button:
        command1_ = Place(new QPushButton(FromUtf8(design.text), this), design);
        // Not the window's default button: Enter in the entry must not start the motor.
        command1_->setAutoDefault(false);
        command1_->installEventFilter(this);
        QObject::connect(command1_, &QPushButton::clicked, this, [this] { form_.Run(&Form1::Command1_Click); });
        break;
    case layout::Kind::TextBox:
        text1_ = Place(new QLineEdit(FromUtf8(design.text), this), design);
        text1_->installEventFilter(this);
        break;
    case layout::Kind::Shape:
        shape1_ = new DialWidget(*this, design, line1_);
        break;
    case layout::Kind::Label: {
        auto* label = new CaptionLabel(*this, design);
        (design.name == "Label1" ? label1_ : design.name == "Label2" ? label2_ : label3_) = label;
        break;
    }
    case layout::Kind::Line:
        // Drawn by the dial, which it lies over.
        break;
    }
}

void Form1Widget::closeEvent(QCloseEvent* event) {
    timer1_.SetEnabled(false);
    QWidget::closeEvent(event);
}

bool Form1Widget::nativeEvent(const QByteArray& eventType, void* message, qintptr* /*result*/) {
    if (IsWindowDestroyed(eventType, message, winId())) EndWithoutItsWindow();
    return false;
}

bool Form1Widget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const layout::Kind focused = watched == command1_ ? layout::Kind::Button : layout::Kind::TextBox;
    const KeyAction action = Form1KeyAction(focused, KeyOf(key), key.isAutoRepeat());
    if (action == KeyAction::ToTheControl) return false;
    // The release goes with its press: the button must not see half of a Space. A press the
    // rule let through (Ctrl+Space, Ctrl let go first) has pushed the button down; it comes
    // up without a click.
    if (event->type() == QEvent::KeyRelease) {
        if (watched == command1_) command1_->setDown(false);
        return true;
    }
    if (action == KeyAction::PressTheButton) command1_->click();
    if (action == KeyAction::FocusNext || action == KeyAction::FocusPrevious) {
        focusNextPrevChild(action == KeyAction::FocusNext);
    }
    return true;
}

void Form1Widget::EndWithoutItsWindow() {
    timer1_.SetEnabled(false);
    QCoreApplication::exit(0);
}

std::string Form1Widget::Text1Text() const { return text1_->text().toStdString(); }

void Form1Widget::SetTimer1Enabled(bool enabled) {
    timer1_.SetEnabled(enabled);
    // A screen reader hears where the motor stopped, not every step on the way.
    if (!enabled && label2_) label2_->Announce();
}

void Form1Widget::ReportFailure(const std::string& message) {
    box_(QString::fromStdString(message));
    // Only a running event loop can be ended: an exit asked for before (at start-up, or in
    // a test that delivers events itself) would end the next loop at once, such as a
    // later message box's.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(1);
}

}  // namespace stepdial::qt
