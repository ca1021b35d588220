#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>

#include "core/motor_settings.h"
#include "core/port_settings.h"

namespace stepdial::qt {

// The settings window on Qt: the port list with its label and note, the motor's fields, OK
// and Cancel. OK saves the selected row and the motor, or tells what keeps the motor from
// being saved and stays open; the keyboard alone works it (arrows, Alt and a field's letter,
// Enter, Escape). A GPIO chip's row also takes each coil's line from a list of the chip's lines.
class PortSettingsDialog : public QDialog {
public:
    PortSettingsDialog(PortSettings& settings, MotorSettings& motor, QWidget* parent = nullptr);

    QListWidget& PortList() { return *list_; }
    QComboBox& CoilLine(std::size_t coil) { return *coilLines_.at(coil); }

private:
    void accept() override;
    void ShowCoilLines(int row);
    void ChooseCoilLine(std::size_t coil, int index);

    void AddMotorFields(QVBoxLayout& layout);

    PortSettings& settings_;
    MotorSettings& motor_;
    QListWidget* list_ = nullptr;
    QComboBox* steps_ = nullptr;
    QComboBox* drive_ = nullptr;
    QSpinBox* speed_ = nullptr;
    QLabel* problem_ = nullptr;
    std::array<QComboBox*, 4> coilLines_{};
};

// Surveys the ports, shows the window over `store` and waits; true after OK.
bool ChoosePortInWindow(SettingsStore& store);

}  // namespace stepdial::qt
