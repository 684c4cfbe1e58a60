#include "ui/Howto/howto.h"

#include "ui/common/controls.h"
#include "ui/common/pictures.h"
#include "ui/common/twips.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace tarnvale::ui {

namespace {

constexpr int kWidth = 9000;
constexpr int kHeight = 7560;
constexpr int kLineTop = 540;
constexpr int kLineHeight = 330;

// The instruction lines by index, and the order they are shown in from the top: quitting comes
// last, after the line about the title.
const char *const kInstructions[8] = {
    "Press Formula to construct the characteristic equation.",
    "Press Try to try out the initial values for bisection method.",
    "Press Bisection to find the new midpoint.",
    "Press Exchange to find the new x1 and x2.",
    "Press Graph to see the graph of the f(x).",
    "Press How To  to see this screen.",
    "Press Quit to quit the program.",
    "Press on the title to see the theoretical basis.",
};
constexpr int kShownOrder[8] = {0, 1, 2, 3, 4, 5, 7, 6};

QLabel *makeHeading(QWidget *parent, const char *name, const QRect &twips, const QString &text)
{
    QLabel *label = MakeLabel(parent, name, twips, 13.8, text);
    label->setFont(TimesFont(13.8, true));
    SetForeColor(label, kBlue);
    return label;
}

} // namespace

QString BuildHelpText()
{
    return FixedText(QStringLiteral("help.txt"));
}

Howto::Howto(WindowOwner &owner, QWidget *parent)
    : InfoWindow(owner, "Howto", QStringLiteral("How to"), {kWidth, kHeight}, parent)
{
    buildUi();
    connectHandlers();
}

void Howto::buildUi()
{
    Label2 = makeHeading(this, "Label2", {240, 120, 4000, 375}, QStringLiteral("Basic run"));
    for (int row = 0; row < 8; ++row) {
        const int index = kShownOrder[row];
        auto *line = new ClickLabel(QString::fromLatin1(kInstructions[index]), this);
        line->setObjectName(QStringLiteral("Label1(%1)").arg(index));
        line->setGeometry(TwipsRect(480, kLineTop + row * kLineHeight, 8280, kLineHeight));
        line->setFont(TimesFont(12));
        line->setCursor(Qt::PointingHandCursor);
        Label1[index] = line;
    }

    Label3 = makeHeading(this, "Label3", {240, 3360, 4000, 375}, QStringLiteral("Data analysis"));
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(TwipsRect(480, 3780, 8280, 2880));
    Text1->setFont(TimesFont(12));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    NameBoxByLabel(Text1, Label3);
    Command1 = addButton("Command1", QStringLiteral("OK"), {3900, 6840, 1215, 495});
}

void Howto::connectHandlers()
{
    for (int i = 0; i < 8; ++i)
        connect(Label1[i], &ClickLabel::clicked, this, [this, i] { Label1_Click(i); });
    connect(Command1, &QPushButton::clicked, this, &Howto::Command1_Click);
}

void Howto::Form_Load()
{
    Text1->setPlainText(BuildHelpText());
}

void Howto::Label1_Click(int)
{
    Command1_Click();
}

} // namespace tarnvale::ui
