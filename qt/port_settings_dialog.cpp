#include "qt/port_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "qt/failure_box.h"
#include "qt/timerfd_wake_up.h"
#include "qt/utf8_text.h"

namespace stepdial::qt {
PortSettingsDialog::PortSettingsDialog(PortSettings& settings, MotorSettings& motor, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      motor_(motor),
      list_(new QListWidget(this)) {
    setWindowTitle(FromUtf8(settings_text::kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(FromUtf8(settings_text::kPortListLabel), this);
    label->setBuddy(list_);
    layout->addWidget(label);
    for (const auto& row : settings.Rows()) list_->addItem(QString::fromStdString(row.text));
    list_->setCurrentRow(static_cast<int>(settings.Selected()));
    list_->setMinimumWidth(list_->sizeHintForColumn(0) + 4 * list_->frameWidth() + 24);
    layout->addWidget(list_);
    auto* coilsBox = new QWidget(this);
    auto* coils = new QFormLayout(coilsBox);
    coils->setContentsMargins(0, 0, 0, 0);
    for (std::size_t coil = 0; coil < coilLines_.size(); ++coil) {
        coilLines_[coil] = new QComboBox(this);
        coils->addRow(FromUtf8(settings_text::kCoilLine[coil]), coilLines_[coil]);
        connect(coilLines_[coil], &QComboBox::activated, this,
                [this, coil](int index) { ChooseCoilLine(coil, index); });
    }
    layout->addWidget(coilsBox);
    // Only where there are GPIO chips (Linux on a single-board computer).
    coilsBox->setVisible(std::any_of(settings.Rows().begin(), settings.Rows().end(),
                                     [](const PortRow& row) { return !row.gpioLines.empty(); }));
    connect(list_, &QListWidget::currentRowChanged, this, &PortSettingsDialog::ShowCoilLines);
    ShowCoilLines(list_->currentRow());
    if (!settings.Note().empty()) {
        auto* note = new QLabel(QString::fromStdString(settings.Note()), this);
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    AddMotorFields(*layout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter in the list is OK, as in any list dialog.
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    layout->addWidget(buttons);
    list_->setFocus();
}

void PortSettingsDialog::AddMotorFields(QVBoxLayout& layout) {
    auto* form = new QFormLayout;
    steps_ = new QComboBox(this);
    steps_->setEditable(true);
    for (const auto& preset : kStepsPresets) steps_->addItem(FromUtf8(preset.text));
    steps_->setCurrentText(QString::fromStdString(motor_.StepsText()));
    form->addRow(FromUtf8(settings_text::kStepsLabel), steps_);
    drive_ = new QComboBox(this);
    for (const auto& choice : kDriveChoices) drive_->addItem(FromUtf8(choice.text));
    drive_->setCurrentIndex(static_cast<int>(motor_.DriveRow()));
    form->addRow(FromUtf8(settings_text::kDriveLabel), drive_);
    speed_ = new QSpinBox(this);
    speed_->setRange(MotorModel::kSlowest, MotorModel::kFastest);
    speed_->setValue(QString::fromStdString(motor_.SpeedText()).toInt());
    form->addRow(FromUtf8(settings_text::kSpeedLabel), speed_);
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    problem_->hide();
    form->addRow(problem_);
    layout.addLayout(form);
}

// A choice that cannot be saved is told, and the window stays open for another try or Cancel.
void PortSettingsDialog::accept() {
    settings_.Select(static_cast<std::size_t>(list_->currentRow()));
    std::string problem;
    try {
        problem =
            motor_.Accept(steps_->currentText().toStdString(),
                          static_cast<std::size_t>(drive_->currentIndex()), speed_->text().toStdString());
        if (problem.empty()) settings_.Accept();
    } catch (const std::exception& e) {
        ShowCriticalBox(QString::fromStdString(e.what()));
        return;
    }
    problem_->setText(QString::fromStdString(problem));
    problem_->setVisible(!problem.empty());
    if (problem.empty()) QDialog::accept();
}

// A GPIO chip's row lists its lines, by the board's names, for each coil; other rows none.
void PortSettingsDialog::ShowCoilLines(int row) {
    settings_.Select(static_cast<std::size_t>(row));
    const PortRow& shown = settings_.Rows()[settings_.Selected()];
    for (std::size_t coil = 0; coil < coilLines_.size(); ++coil) {
        coilLines_[coil]->clear();
        for (const auto& line : shown.gpioLines)
            coilLines_[coil]->addItem(QString::fromStdString(DescribeGpioLine(line)));
        coilLines_[coil]->setCurrentIndex(shown.gpioLines.empty() ? -1 : int(shown.choice.gpio.lines[coil]));
        coilLines_[coil]->setEnabled(!shown.gpioLines.empty());
    }
}

void PortSettingsDialog::ChooseCoilLine(std::size_t coil, int index) {
    settings_.ChooseGpioLine(coil, static_cast<unsigned>(index));
    list_->currentItem()->setText(QString::fromStdString(settings_.Rows()[settings_.Selected()].text));
}

bool ChoosePortInWindow(SettingsStore& store) {
    PortSettings settings(store, SurveyPorts());
    MotorSettings motor(store, TimerfdWakeUp::Resolution());
    PortSettingsDialog dialog(settings, motor);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace stepdial::qt
