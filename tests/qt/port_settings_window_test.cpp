#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <map>
#include <sstream>

#include "qt/port_settings_dialog.h"
#include "qt/run_chosen_port.h"
#include "qt/user_settings.h"
#include "tests/support/recording_port.h"

namespace stepdial::qt {
namespace {

using Output = PortChoice::Output;

TEST(PortSettingsWindow, AnAbsentBoardOfTheMachineWideDefaultIsNamedAndTheUsersChoiceStartsForm1) {
    // The user's and the machine-wide settings in folders of the test's own.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto path = [&](const char* relative) { return folder.filePath(QString::fromUtf8(relative)); };
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, path("xdg"));
    const PortChoice absent{Output::UsbBoard, {"NOSUCH1", ""}};
    QDir(folder.path()).mkpath(QStringLiteral("xdg/stepdial"));
    std::ofstream(path("xdg/stepdial/stepdial.conf").toStdString())
        << "[port]\noutput=usb-board\nserial=NOSUCH1\n";
    UserSettings settings;
    QString boxText;
    QTimer operatorAtTheScreen;
    // The box: "Choose another port..."; the window: the parallel port, OK; Form1: closed.
    QObject::connect(&operatorAtTheScreen, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxText = box->text();
            for (QAbstractButton* button : box->buttons())
                if (box->buttonRole(button) == QMessageBox::ActionRole) button->click();
        } else if (auto* window = dynamic_cast<PortSettingsDialog*>(modal)) {
            QTest::keyClick(&window->PortList(), Qt::Key_Home);
            QTest::keyClick(&window->PortList(), Qt::Key_Return);
        } else {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == QStringLiteral("Form1")) w->close();
        }
    });
    operatorAtTheScreen.start(20);
    std::vector<PortChoice> opened;

    const int status =
        RunOnChosenPort(*qApp, settings, [&](const PortChoice& choice) -> std::unique_ptr<Port> {
            opened.push_back(choice);
            return choice == absent ? OpenChosenPort(choice) : std::make_unique<testing::RecordingPort>();
        });

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(boxText.contains(QString::fromStdString(DescribeBoardChoice(absent.board))))
        << boxText.toStdString();
    EXPECT_EQ(opened, (std::vector<PortChoice>{absent, PortChoice{}}));
    std::stringstream saved;
    saved << std::ifstream(path("user/stepdial/stepdial.conf").toStdString()).rdbuf();
    EXPECT_NE(saved.str().find("output=parallel"), std::string::npos) << saved.str();
}

// A GPIO chip's row fills the coils' line lists; choosing one and OK saves it.
TEST(PortSettingsWindow, TheCoilsLineListsTakeAGpioChipsLines) {
    struct : SettingsStore {
        std::map<std::string, std::string> values;
        std::string Read(const std::string& k) const override {
            return values.contains(k) ? values.at(k) : "";
        }
        void Write(const std::string& k, const std::string& value) override { values[k] = value; }
    } store;
    PortSettings settings(store,
                          {{}, {}, "", {{"/dev/gpiochip0", "chip", {{0, "GPIO0"}, {1}, {2}, {3}, {4}}}}});
    MotorSettings motor(store, std::chrono::nanoseconds(1));
    PortSettingsDialog window(settings, motor);
    EXPECT_FALSE(window.CoilLine(3).isEnabled());
    window.PortList().setCurrentRow(1);
    ASSERT_EQ(window.CoilLine(3).count(), 5);
    EXPECT_EQ(window.CoilLine(0).itemText(0), QStringLiteral("GPIO0 (line 0)"));
    emit window.CoilLine(3).activated(4);
    QTest::keyClick(&window.PortList(), Qt::Key_Return);
    EXPECT_EQ(LoadPortChoice(store), (PortChoice{Output::GpioLines, {}, {"chip", {0, 1, 2, 4}}}));
}

}  // namespace
}  // namespace stepdial::qt
