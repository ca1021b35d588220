#include "qt/caption_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QTextOption>

#include "qt/twips.h"
#include "qt/utf8_text.h"

namespace stepdial::qt {
namespace {

// A painted caption is a plain widget to assistive technology, nameless; this gives it
// the role and name a standard label has.
class CaptionAccessible : public QAccessibleWidget {
public:
    explicit CaptionAccessible(CaptionLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) return static_cast<const CaptionLabel*>(widget())->Caption();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* CaptionAccessibleFactory(const QString&, QObject* object) {
    if (auto* label = dynamic_cast<CaptionLabel*>(object)) return new CaptionAccessible(label);
    return nullptr;
}

}  // namespace

CaptionLabel::CaptionLabel(QWidget& parent, const layout::Control& design)
    : QWidget(&parent), caption_(FromUtf8(design.text)) {
    [[maybe_unused]] static const bool factoryInstalled =
        (QAccessible::installFactory(CaptionAccessibleFactory), true);
    setObjectName(QString::fromLatin1(design.name.data(), qsizetype(design.name.size())));
    setGeometry(TwipsRect(design.box));
    // A caption fills its whole box itself. Drawn transparent, the readout, which changes
    // 64 times a second and overlaps its caption by a pixel, had Qt repaint the window
    // beneath it and lay the caption's Hebrew out again for that one column every tick.
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (design.font) {
        // Culmus's David CLM is "David" only through a fontconfig alias, which some of
        // its packagings install where fontconfig never reads it: named second, it is
        // found either way, where fontconfig's own fallback would be any sans face.
        QFont font;
        font.setFamilies({QString::fromLatin1(design.font->family.data(), qsizetype(design.font->family.size())),
                          QStringLiteral("David CLM")});
        font.setPointSizeF(design.font->points);
        font.setWeight(QFont::Weight(design.font->weight));
        setFont(font);
    }
}

void CaptionLabel::SetCaption(const std::string& caption) {
    const QString text = QString::fromStdString(caption);
    if (text == caption_) return;
    caption_ = text;
    update();
}

void CaptionLabel::Announce() {
    ++announcements_;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    painter.drawText(QRectF(rect()), caption_, option);
}

}  // namespace stepdial::qt
