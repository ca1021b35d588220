#pragma once

#include <QString>
#include <QWidget>

#include "dial.h"
#include "layout.h"

namespace stepdial {

// A label that draws its caption as plain text from its top-left corner with a
// left-to-right base direction. A QLabel would lay a Hebrew caption out right to left and
// right-align it; drawn left to right, the colon that the captions store first stands at
// the left end, after the Hebrew words.
class CaptionLabel : public QWidget, public LabelControl {
public:
    CaptionLabel(QWidget& parent, const layout::Control& design);

    void SetCaption(const std::string& caption) override;
    QString Caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

}  // namespace stepdial
