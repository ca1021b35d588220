#pragma once

#include <QChar>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace stepdial {

// A line of text that changes with every write: a count, the byte on the port, the
// rotor's angle. Every character has a cell of its own, as wide as the font's widest
// character (a fixed-pitch font's width), so a new text repaints only the cells whose
// character changed, each by copying a picture of that character drawn once: laying a
// label's whole text out and blending every glyph again at every write would be the most
// costly part of the window's work per tick.
//
// The widget keeps a fixed size, grown only when a text has more characters than any
// before, so that a new text never lays the window out again.
class ReadoutText : public QWidget {
public:
    // `columns`: room reserved from the start, in characters. A right-aligned readout
    // keeps its last character in the last cell, as a column of counts does.
    explicit ReadoutText(QWidget* parent, int columns = 0, Qt::Alignment alignment = Qt::AlignLeft);

    void Show(const QString& text);
    QString Text() const { return text_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The text as it stands in the cells, padded with spaces to every column.
    QString InCells(const QString& text) const;
    QRect Cell(int column) const { return {column * cellWidth_, 0, cellWidth_, height()}; }
    // The character on the window's background, one cell in size.
    const QPixmap& Picture(QChar character);

    QString text_;
    QString cells_;
    int columns_;
    Qt::Alignment alignment_;
    int cellWidth_ = 0;
    QHash<QChar, QPixmap> pictures_;
};

}  // namespace stepdial
