#include "qt/failure_box.h"

#include <QMessageBox>

namespace stepdial::qt {

void ShowCriticalBox(const QString& message) {
    QMessageBox::critical(nullptr, QStringLiteral("stepdial"), message);
}

}  // namespace stepdial::qt
