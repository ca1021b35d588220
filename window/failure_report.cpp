#include "failure_report.h"

#include <QMessageBox>
#include <iostream>

namespace stepdial {

void ShowCriticalBox(const QString& message) {
    QMessageBox::critical(nullptr, QStringLiteral("stepdial"), message);
}

void ReportFailure(const std::string& message, const FailureBox& box) {
    std::cerr << "stepdial: " << message << std::endl;
    box(QString::fromStdString(message));
}

}  // namespace stepdial
