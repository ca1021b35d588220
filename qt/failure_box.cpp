#include "failure_box.h"

#include <QMessageBox>

namespace stepdial {

void ShowCriticalBox(const QString& message) {
    QMessageBox::critical(nullptr, QStringLiteral("stepdial"), message);
}

}  // namespace stepdial
