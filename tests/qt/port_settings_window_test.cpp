#include <gtest/gtest.h>

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "qt/port_settings_dialog.h"
#include "qt/run_chosen_port.h"
#include "qt/user_settings.h"
#include "tests/support/recording_port.h"

namespace stepdial::qt {
namespace {

namespace key = settings_key;
const PortChoice kAbsentBoard{PortChoice::Output::UsbBoard, {"NOSUCH1", ""}};

// Hands its writes to a port that outlives it.
struct PortView : Port {
    explicit PortView(Port& port) : to(port) {}
    void Write(std::uint16_t address, std::uint8_t value) override { to.Write(address, value); }
    Port& to;
};

// The user's and the machine-wide settings in folders of the test's own.
class PortSettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           folder_.filePath(QStringLiteral("user")));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                           folder_.filePath(QStringLiteral("xdg")));
    }
    std::string UserFile() const {
        return folder_.filePath(QStringLiteral("user/stepdial/stepdial.conf")).toStdString();
    }
    void WriteMachineDefault(const std::string& text) const {
        QDir(folder_.path()).mkpath(QStringLiteral("xdg/stepdial"));
        std::ofstream(folder_.filePath(QStringLiteral("xdg/stepdial/stepdial.conf")).toStdString()) << text;
    }

    QTemporaryDir folder_;
};

TEST_F(PortSettingsWindow, TheMachineWideDefaultHoldsUntilTheUserChoosesAndTheChoiceIsSavedAtOnce) {
    WriteMachineDefault("[port]\noutput=usb-board\nserial=CLASS1\n");
    UserSettings settings;
    EXPECT_EQ(LoadPortChoice(settings), (PortChoice{PortChoice::Output::UsbBoard, {"CLASS1", ""}}));

    PortSettings model(settings, {{}, {{"FT232R USB UART", "A50285BI", "1-1.4"}}, ""});
    PortSettingsDialog dialog(model);
    dialog.show();
    ASSERT_EQ(dialog.PortList().currentRow(), 2);  // CLASS1, not plugged in
    QTest::keyClick(&dialog.PortList(), Qt::Key_Up);
    QTest::keyClick(&dialog.PortList(), Qt::Key_Return);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(LoadPortChoice(UserSettings()), (PortChoice{PortChoice::Output::UsbBoard, {"A50285BI", ""}}));
    std::ifstream user(UserFile());
    const std::string saved((std::istreambuf_iterator<char>(user)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("serial=A50285BI"), std::string::npos) << saved;
}

TEST_F(PortSettingsWindow, AnAbsentBoardIsNamedAtStartUpAndAnotherChoiceStartsForm1OnIt) {
    UserSettings settings;
    SavePortChoice(settings, kAbsentBoard);
    std::vector<PortChoice> opened;
    testing::RecordingPort parallel;
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

    const int status =
        RunOnChosenPort(*qApp, settings, [&](const PortChoice& choice) -> std::unique_ptr<Port> {
            opened.push_back(choice);
            if (choice == PortChoice{}) return std::make_unique<PortView>(parallel);
            return OpenChosenPort(choice);
        });

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(boxText.contains(QString::fromStdString(DescribeBoardChoice(kAbsentBoard.board))))
        << boxText.toStdString();
    EXPECT_EQ(opened, (std::vector<PortChoice>{kAbsentBoard, PortChoice{}}));
    EXPECT_EQ(LoadPortChoice(settings), PortChoice{});
    EXPECT_EQ(parallel.Values(), std::vector<std::uint8_t>{0});
}

}  // namespace
}  // namespace stepdial::qt
