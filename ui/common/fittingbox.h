#pragma once

#include <QFont>
#include <QLineEdit>

namespace tarnvale::ui {

// A text box for a number the program computed or read, which must never lose digits out of
// sight: the search hands its values on through these texts, and a cut "1.219787" reads as a
// wrong value. When the text is wider than the box at the layout's font size, the font shrinks
// in steps of half a point, to no less than kSmallestPoints, until the whole text fits; a shorter
// text brings the layout's size back. Where even the smallest size cannot hold the text, the box
// shows it cut with "…" at its end while it is not being edited. Its text and tool tip are never
// changed.
class FittingBox : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr double kSmallestPoints = 6.0;
    static constexpr double kPointStep = 0.5;

    explicit FittingBox(QWidget *parent);

    // The font the layout gives the box, and the largest it ever shows.
    void setLayoutFont(const QFont &font);
    QFont layoutFont() const { return m_layoutFont; }

    // The text as the box paints it while it is not being edited: whole, or cut with "…".
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Where QLineEdit lays out its text, and the width the text may take there: less the
    // cursor's pixel.
    QRect textArea() const;
    int roomForText() const;
    bool fits(const QFont &font) const;
    void fit();

    QFont m_layoutFont;
};

} // namespace tarnvale::ui
