#pragma once

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <array>

#include "core/port_settings.h"

namespace stepdial::qt {

// The settings window on Qt: the port list with its label and note, OK and Cancel. OK saves
// the selected row; the keyboard alone works it (arrows in the list, Enter, Escape). A GPIO
// chip's row also takes each coil's line from a list of the chip's lines.
class PortSettingsDialog : public QDialog {
public:
    explicit PortSettingsDialog(PortSettings& settings, QWidget* parent = nullptr);

    QListWidget& PortList() { return *list_; }
    QComboBox& CoilLine(std::size_t coil) { return *coilLines_.at(coil); }

private:
    void accept() override;
    void ShowCoilLines(int row);
    void ChooseCoilLine(std::size_t coil, int index);

    PortSettings& settings_;
    QListWidget* list_ = nullptr;
    std::array<QComboBox*, 4> coilLines_{};
};

// Surveys the ports, shows the window over `store` and waits; true after OK.
bool ChoosePortInWindow(SettingsStore& store);

}  // namespace stepdial::qt
