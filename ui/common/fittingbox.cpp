#include "ui/common/fittingbox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace tarnvale::ui {

namespace {

// QLineEdit keeps this much space inside its contents on either side of the text.
constexpr int kLineEditMargin = 2;
const QChar kEllipsis(0x2026);

} // namespace

FittingBox::FittingBox(QWidget *parent)
    : QLineEdit(parent)
    , m_layoutFont(font())
{
    connect(this, &QLineEdit::textChanged, this, &FittingBox::fit);
}

void FittingBox::setLayoutFont(const QFont &font)
{
    m_layoutFont = font;
    setFont(font);
    fit();
}

QRect FittingBox::textArea() const
{
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
        .marginsRemoved(textMargins())
        .adjusted(kLineEditMargin, 0, -kLineEditMargin, 0);
}

int FittingBox::roomForText() const
{
    // One pixel of the width goes to the text cursor, as QLineEdit lays it out.
    return textArea().width() - 1;
}

bool FittingBox::fits(const QFont &font) const
{
    return QFontMetrics(font).horizontalAdvance(text()) <= roomForText();
}

void FittingBox::fit()
{
    QFont candidate = m_layoutFont;
    const double layoutPoints = m_layoutFont.pointSizeF();
    for (int step = 0;; ++step) {
        const double points = std::max(kSmallestPoints, layoutPoints - step * kPointStep);
        candidate.setPointSizeF(points);
        if (points <= kSmallestPoints || fits(candidate))
            break;
    }
    if (candidate != font())
        setFont(candidate);
}

QString FittingBox::shownText() const
{
    const QString whole = text();
    if (fits(font()))
        return whole;
    const QFontMetrics metrics(font());
    const int room = roomForText() - metrics.horizontalAdvance(kEllipsis);
    qsizetype kept = whole.size();
    while (kept > 0 && metrics.horizontalAdvance(whole.left(kept)) > room)
        --kept;
    return whole.left(kept) + kEllipsis;
}

void FittingBox::paintEvent(QPaintEvent *event)
{
    // While it is edited the box scrolls as any other, so that the cursor can reach every digit;
    // a read-only box is never edited.
    const bool edited = hasFocus() && !isReadOnly();
    if (edited || fits(font())) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textArea(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

void FittingBox::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    fit();
}

} // namespace tarnvale::ui
