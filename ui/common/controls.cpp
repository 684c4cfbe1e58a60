#include "ui/common/controls.h"

#include "ui/common/fittingbox.h"
#include "ui/common/twips.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarnvale::ui {

QFont TimesFont(double points, bool bold, bool italic)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont ArialFont(double points, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void SetForeColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QColor ForeColor(const QWidget *widget)
{
    const bool isBox = qobject_cast<const QLineEdit *>(widget) != nullptr;
    return widget->palette().color(isBox ? QPalette::Text : QPalette::WindowText);
}

void SetBackColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

void ClickLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked();
        break;
    default:
        QLabel::keyPressEvent(event);
    }
}

void ClickLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A dotted frame in the text's own colour shows on any ground the label has, where the
    // style's focus frame can vanish (on the title's blue).
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
}

LineControl::LineControl(int x1, int y1, int x2, int y2, QWidget *parent)
    : QWidget(parent)
{
    const QPoint a = TwipsPoint(x1, y1);
    const QPoint b = TwipsPoint(x2, y2);
    const QRect box = QRect(a, b).normalized().adjusted(-1, -1, 1, 1);
    setGeometry(box);
    m_from = a - box.topLeft();
    m_to = b - box.topLeft();
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(kBlack, 1));
    painter.drawLine(m_from, m_to);
}

namespace {

void placeBox(QLineEdit *box, const char *name, const QRect &twips, bool centred, bool readOnly)
{
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(TwipsRect(twips));
    box->setAlignment(centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    box->setReadOnly(readOnly);
}

} // namespace

QLineEdit *MakeTextBox(QWidget *parent, const char *name, const QRect &twips, double points,
                       bool centred, bool readOnly, const QString &text)
{
    auto *box = new QLineEdit(text, parent);
    placeBox(box, name, twips, centred, readOnly);
    box->setFont(TimesFont(points));
    box->setCursorPosition(0);
    return box;
}

QLineEdit *MakeNumberBox(QWidget *parent, const char *name, const QRect &twips, double points,
                         bool centred, bool readOnly, const QString &text)
{
    auto *box = new FittingBox(parent);
    placeBox(box, name, twips, centred, readOnly);
    box->setLayoutFont(TimesFont(points));
    box->setText(text);
    box->setCursorPosition(0);
    return box;
}

void SetUpButton(QPushButton *button, const char *name, const QRect &twips, const QString &toolTip,
                 bool bold)
{
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(toolTip);
    button->setGeometry(TwipsRect(twips));
    button->setFont(TimesFont(12, bold));
    button->setAutoDefault(true);
}

void SetBoxText(QLineEdit *box, const std::string &text)
{
    box->setText(qs(text));
    box->setCursorPosition(0);
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QRect &twips, double points,
                  const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(TwipsRect(twips));
    label->setFont(TimesFont(points));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void NameBoxByLabel(QWidget *box, QLabel *label, const QString &description)
{
    label->setBuddy(box);
    box->setAccessibleName(label->text());
    if (!description.isEmpty())
        box->setAccessibleDescription(description);
}

void NameButtonsByCaption(QWidget *window)
{
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
        if (button->accessibleName().isEmpty())
            button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    for (QGroupBox *group : window->findChildren<QGroupBox *>())
        if (group->accessibleName().isEmpty())
            group->setAccessibleName(group->title().trimmed());
}

} // namespace tarnvale::ui
