#pragma once

#include <QDialog>
#include <QListWidget>

#include "core/port_settings.h"

namespace stepdial::qt {

// The settings window on Qt: the port list with its label and note, OK and Cancel. OK saves
// the selected row; the keyboard alone works it (arrows in the list, Enter, Escape).
class PortSettingsDialog : public QDialog {
public:
    explicit PortSettingsDialog(PortSettings& settings, QWidget* parent = nullptr);

    QListWidget& PortList() { return *list_; }

private:
    void accept() override;

    PortSettings& settings_;
    QListWidget* list_ = nullptr;
};

// Surveys the ports, shows the window over `store` and waits; true after OK.
bool ChoosePortInWindow(SettingsStore& store);

}  // namespace stepdial::qt
