#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <vector>

#include "tests/support/recording_port.h"
#include "qt/run_form.h"

namespace stepdial::qt {
namespace {

using testing::RecordingPort;

// Plays the operator at an error box: waits for it, notes what it says and which other
// windows were on screen, and presses its button.
class BoxWatcher {
public:
    BoxWatcher() {
        poll_.setInterval(20);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            texts.push_back(box->text());
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w != box && w->isVisible()) visibleBeside.push_back(w->windowTitle());
            }
            icon = box->icon();
            format = box->textFormat();
            box->accept();
        });
        poll_.start();
    }
    std::vector<QString> texts;
    QStringList visibleBeside;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;

private:
    QTimer poll_;
};

TEST(RunForm1, APortThatCannotBeBoundIsReportedBeforeTheWindowShows) {
    RecordingPort port;
    port.FailAfter(0);
    BoxWatcher watcher;
    bool shown = false;
    ::testing::internal::CaptureStderr();
    const int status = RunForm1(*qApp, port, [&](QWidget&) { shown = true; });
    const std::string stderrText = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(status, 1);
    EXPECT_FALSE(shown);
    ASSERT_EQ(watcher.texts.size(), 1u);
    EXPECT_EQ(watcher.icon, QMessageBox::Critical);
    EXPECT_EQ(watcher.format, Qt::PlainText) << "another program's name would be taken as markup";
    EXPECT_TRUE(watcher.texts[0].contains(QString::fromStdString(DescribeAddress(kDataRegister)))) << watcher.texts[0].toStdString();
    EXPECT_TRUE(watcher.visibleBeside.isEmpty()) << watcher.visibleBeside.join(u',').toStdString();
    EXPECT_NE(stderrText.find(watcher.texts[0].toStdString()), std::string::npos) << stderrText;
}

TEST(RunForm1, AWriteFailingMidMoveEndsTheProgramWithStatus1) {
    RecordingPort port;
    port.FailAfter(4);  // the start-up write and three ticks succeed
    BoxWatcher watcher;
    ::testing::internal::CaptureStderr();
    const int status = RunForm1(*qApp, port, [](QWidget& form) {
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    });
    const std::string stderrText = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(status, 1);
    ASSERT_EQ(watcher.texts.size(), 1u);
    EXPECT_TRUE(watcher.texts[0].contains(QString::fromStdString(DescribeAddress(kDataRegister))));
    EXPECT_TRUE(watcher.visibleBeside.contains(QStringLiteral("Form1")));
    EXPECT_NE(stderrText.find(watcher.texts[0].toStdString()), std::string::npos) << stderrText;
    EXPECT_EQ(port.Values(), (std::vector<std::uint8_t>{0, 6, 12, 9})) << "no tick after the failure";
}

TEST(RunForm1, ClosingTheWindowEndsTheProgramWithStatus0AndWritesNothing) {
    RecordingPort port;
    const int status = RunForm1(*qApp, port, [](QWidget& form) {
        QTimer::singleShot(0, &form, [&form] { form.close(); });
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(port.Values(), std::vector<std::uint8_t>{0});
}

// Qt quits a loop pass after the close: a tick due between (the close outlasts one) must not run.
TEST(RunForm1, ClosingDuringAMoveWritesNothingAfterTheClose) {
    RecordingPort port;
    std::size_t writesAtClose = 0;
    RunForm1(*qApp, port, [&](QWidget& form) {
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QTimer::singleShot(60, &form, [&] {
            writesAtClose = port.Writes().size();
            form.close();
            QThread::msleep(20);
        });
    });
    EXPECT_GT(writesAtClose, 1u) << "the close came before the move";
    EXPECT_EQ(port.Writes().size(), writesAtClose) << "a tick ran after the close";
}

}  // namespace
}  // namespace stepdial::qt
