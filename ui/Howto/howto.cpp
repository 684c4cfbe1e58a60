#include "ui/Howto/howto.h"

#include "ui/common/controls.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QCloseEvent>
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
    QString text;
    text += QStringLiteral("To analyze your own data, write a data file using ");
    text += QStringLiteral("any text editor or word processor and save ");
    text += QStringLiteral("it in pure text file (.txt).  You can write ");
    text += QStringLiteral("your data in x,f(x),s(x) format, where x is the ");
    text += QStringLiteral("age, f(x) is the fecundity of individual of age x, ");
    text += QStringLiteral("s(x) is the survival rate from age x to x+1. Then you can ");
    text += QStringLiteral("use the Button Datafile A to open your datafile. ");
    text += QStringLiteral("There are two example files ExampleA-1.txt and ExampleA-2.txt in ");
    text += QStringLiteral("this formate. ");
    text += QStringLiteral("You can also write it in x,l(x),m(x) format, where ");
    text += QStringLiteral("x is the age, l(x) is the survival rate from age 0 to ");
    text += QStringLiteral("to age x, m(x) is the fecundity of individual of age x. ");
    text += QStringLiteral("Then you can use the Button Datafile B to open your datafile. ");
    text += QStringLiteral("There is an example file ExampleB.txt in ");
    text += QStringLiteral("this formate. ");
    return text;
}

Howto::Howto(WindowOwner &owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
{
    buildUi();
    connectHandlers();
}

void Howto::buildUi()
{
    setObjectName(QStringLiteral("Howto"));
    setWindowTitle(QStringLiteral("How to"));
    setFixedSize(Twips(kWidth), Twips(kHeight));
    SetBackColor(this, kWhite);
    setFont(TimesFont(12));

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

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(3900, 6840, 1215, 495));
    Command1->setFont(TimesFont(12));
    Command1->setAutoDefault(true);
    Command1->setDefault(true);

    NameBoxByLabel(Text1, Label3);
    NameButtonsByCaption(this);
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

void Howto::Command1_Click()
{
    hide();
    m_owner.showForm1();
}

void Howto::Label1_Click(int)
{
    Command1_Click();
}

void Howto::Form_Unload()
{
    Command1_Click();
}

void Howto::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
    m_owner.discard(this);
}

} // namespace tarnvale::ui
