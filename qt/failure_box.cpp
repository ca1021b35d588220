#include "qt/failure_box.h"

#include <QMessageBox>
#include <QPushButton>

#include "core/port_settings.h"
#include "qt/native_window_gone.h"
#include "qt/utf8_text.h"

namespace stepdial::qt {
namespace {

// The critical box, dismissed too when another X client destroys its window: a box no
// one can answer would keep the program (and the port) for ever.
class CriticalBox : public QMessageBox {
public:
    explicit CriticalBox(const QString& message)
        : QMessageBox(QMessageBox::Critical, QStringLiteral("stepdial"), message, QMessageBox::Ok) {
        // Left to guess, the box takes a message that names another program as rich text,
        // and a name such as "<b><!--" would hide the rest of it.
        setTextFormat(Qt::PlainText);
    }

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override {
        // Later, once Qt has finished with the event: its platform window must outlive it.
        if (IsWindowDestroyed(eventType, message, winId()))
            QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return QMessageBox::nativeEvent(eventType, message, result);
    }
};

}  // namespace

void ShowCriticalBox(const QString& message) { CriticalBox(message).exec(); }

StartUpAnswer AskAfterStartUpFailure(const QString& message) {
    CriticalBox box(message);
    QAbstractButton* choose =
        box.addButton(FromUtf8(settings_text::kChooseAnotherPort), QMessageBox::ActionRole);
    box.exec();
    return box.clickedButton() == choose ? StartUpAnswer::ChooseAnotherPort : StartUpAnswer::Close;
}

}  // namespace stepdial::qt
