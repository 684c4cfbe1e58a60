#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <string>

namespace tarnvale::ui {

// A standard-library text (UTF-8) as Qt's.
inline QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

// Colours as the windows name them.
inline const QColor kBlack(0, 0, 0);
inline const QColor kWhite(255, 255, 255);
inline const QColor kRed(255, 0, 0);
inline const QColor kGreen(0, 128, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kYellow(255, 255, 0);
inline const QColor kDarkBlue(0, 0, 64);

// The program's typeface ("Times New Roman"; Liberation Serif stands in where it is missing).
QFont TimesFont(double points, bool bold = false, bool italic = false);

// The charts' typeface ("Arial"; Liberation Sans stands in where it is missing).
QFont ArialFont(double points, bool bold = false);

// Text colour of a label or text box, and its ground.
void SetForeColor(QWidget *widget, const QColor &color);
QColor ForeColor(const QWidget *widget);
void SetBackColor(QWidget *widget, const QColor &color);

// A label that reports clicks and double clicks. Given the keyboard focus, it takes Space and
// Enter as clicks and shows the focus with a frame, so that it works like a button from the
// keyboard too.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// A straight line between two points given in twips relative to the line's container.
class LineControl : public QWidget
{
    Q_OBJECT
public:
    LineControl(int x1, int y1, int x2, int y2, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_from;
    QPoint m_to;
};

// A single-line text box of the given name, place (twips), font size and alignment.
QLineEdit *MakeTextBox(QWidget *parent, const char *name, const QRect &twips, double points,
                       bool centred, bool readOnly, const QString &text);

// The same for a box that shows a number the program computed or read: a FittingBox, whose
// font shrinks so that the whole number stays in sight.
QLineEdit *MakeNumberBox(QWidget *parent, const char *name, const QRect &twips, double points,
                         bool centred, bool readOnly, const QString &text);

// Gives `button` its name, place (twips) and tool tip, in 12 pt Times. Enter on the focused
// button presses it, so a window can be worked from the keyboard.
void SetUpButton(QPushButton *button, const char *name, const QRect &twips, const QString &toolTip,
                 bool bold = false);

// A button (a QPushButton, or a kind drawn otherwise) set up as SetUpButton does, with `caption`.
template<typename Button = QPushButton>
Button *MakeButton(QWidget *parent, const char *name, const QRect &twips, const QString &caption,
                   const QString &toolTip, bool bold = false)
{
    auto *button = new Button(caption, parent);
    SetUpButton(button, name, twips, toolTip, bold);
    return button;
}

// Shows `text` in a box from its start, so that a number too long for the box is read from its
// first digit.
void SetBoxText(QLineEdit *box, const std::string &text);

// A label of the given name, place (twips), font size and caption.
QLabel *MakeLabel(QWidget *parent, const char *name, const QRect &twips, double points,
                  const QString &caption);

// What assistive technology (a screen reader) announces for a box: the caption of the label
// beside it, which also becomes the label's buddy; `description` says more where the caption
// alone is ambiguous ("x1 =" stands twice on the main window).
void NameBoxByLabel(QWidget *box, QLabel *label, const QString &description = QString());

// Names every button and group box of `window` that has no name yet by its caption. Labels need
// no name: assistive technology reads their text, which stays right when the program changes
// it ("Well done!" / "Try another value!").
void NameButtonsByCaption(QWidget *window);

} // namespace tarnvale::ui
