#include "qt/port_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "qt/failure_box.h"
#include "qt/utf8_text.h"

namespace stepdial::qt {
PortSettingsDialog::PortSettingsDialog(PortSettings& settings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
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
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter in the list is OK, as in any list dialog.
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    layout->addWidget(buttons);
    list_->setFocus();
}

// A choice that cannot be saved is told, and the window stays open for another try or Cancel.
void PortSettingsDialog::accept() {
    settings_.Select(static_cast<std::size_t>(list_->currentRow()));
    try {
        settings_.Accept();
    } catch (const std::exception& e) {
        ShowCriticalBox(QString::fromStdString(e.what()));
        return;
    }
    QDialog::accept();
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
    PortSettingsDialog dialog(settings);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace stepdial::qt
