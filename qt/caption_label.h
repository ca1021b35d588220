#pragma once

#include <QString>
#include <QWidget>

#include "core/dial.h"
#include "core/layout.h"

namespace stepdial::qt {

// A label that draws its caption as plain text from its top-left corner with a
// left-to-right base direction. A QLabel would lay a Hebrew caption out right to left and
// right-align it; drawn left to right, the colon that the captions store first stands at
// the left end, after the Hebrew words.
class CaptionLabel : public QWidget, public LabelControl {
public:
    CaptionLabel(QWidget& parent, const layout::Control& design);

    // The caption changes silently for assistive technology, which reads the current one
    // whenever it asks; a readout that changes 64 times a second is announced by Announce.
    void SetCaption(const std::string& caption) override;
    QString Caption() const { return caption_; }

    // Tells assistive technology (a screen reader) that the caption has a new value.
    void Announce();
    int Announcements() const { return announcements_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    int announcements_ = 0;
};

}  // namespace stepdial::qt
