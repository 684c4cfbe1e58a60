#include "ui/Introfrm/introfrm.h"

#include "ui/common/controls.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tarnvale::ui {

namespace {

constexpr int kWidth = 9600;
constexpr int kHeight = 6240;

} // namespace

QString BuildIntroductionText()
{
    QString text;
    text += QStringLiteral("The Lewis-Leslie matrix is named after E. G. Lewis (1942) and P. H. "
                           "Leslie (1945, 1948), who showed how a square matrix of age-specific "
                           "fecundities and survival rates carries an age-structured population "
                           "from one time step to the next. ");
    text += QStringLiteral("The first row (the red numbers) of the square matrix contains ");
    text += QStringLiteral("the age-specific fecundities ");
    text += QStringLiteral("of each age group, the subdiagnol column (the blue numbers) ");
    text += QStringLiteral("contains the age-specific ");
    text += QStringLiteral("survival rates. A single column matrix (vector) is used to represent ");
    text
        += QStringLiteral("the age structure of the population. As the time approaches infinity, ");
    text += QStringLiteral(
        "the growth rate becomes constant and the age distribution becomes stable. ");
    text += QStringLiteral(
        "The finite rate of increase can be solved numerically. The first step is ");
    text += QStringLiteral("to construct the characteristic equation based on the age-specific ");
    text += QStringLiteral(
        "fecundity and survival rate. A common numerical method is the bisection ");
    text += QStringLiteral("method. To use this method, you have to choose two start points. ");
    text += QStringLiteral("If the finite rate does not locate between these two points, ");
    text += QStringLiteral(
        "you have to choose new ones.  A good method is to draw the graph at first. ");
    text += QStringLiteral("Then you can easily find two proper start points on both side where ");
    text
        += QStringLiteral("the curve intersect with x-axis.  In this program, you can change the ");
    text += QStringLiteral("default values of fecundity and survival rate. You have to remember ");
    text += QStringLiteral("that the fecundity must >=0 and the survival rate must >=0 and <=1. ");
    text += QStringLiteral("Using this program, you can compare the effect of early reproduction ");
    text += QStringLiteral("on the finite rate of increase. ");
    return text;
}

Introfrm::Introfrm(WindowOwner &owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &Introfrm::Command1_Click);
}

void Introfrm::buildUi()
{
    setObjectName(QStringLiteral("Introfrm"));
    setWindowTitle(QStringLiteral("Introduction"));
    setFixedSize(Twips(kWidth), Twips(kHeight));
    SetBackColor(this, kWhite);
    setFont(TimesFont(12));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(TwipsRect(240, 240, 9120, 5040));
    Text1->setFont(TimesFont(12));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(4200, 5520, 1215, 495));
    Command1->setFont(TimesFont(12));
    Command1->setAutoDefault(true);
    Command1->setDefault(true);

    // The window's caption is the only one the text has.
    Text1->setAccessibleName(windowTitle());
    NameButtonsByCaption(this);
}

void Introfrm::Form_Load()
{
    Text1->setPlainText(BuildIntroductionText());
}

void Introfrm::Command1_Click()
{
    hide();
    m_owner.showForm1();
}

void Introfrm::Form_Unload()
{
    Command1_Click();
}

void Introfrm::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
    m_owner.discard(this);
}

} // namespace tarnvale::ui
