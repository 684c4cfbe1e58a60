#include "ui/Quiz/quiz.h"

#include "ui/common/controls.h"
#include "ui/common/pictures.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QPushButton>

#include <cmath>

namespace tarnvale::ui {

namespace {

// Window and picture sizes in twips; the picture was drawn at 672 x 464 pixels for 96 dots per
// inch.
constexpr int kWidth = 10800;
constexpr int kHeight = 8400;
constexpr int kPictureWidth = 10080;
constexpr int kPictureHeight = 6960;
// The picture sits this far above the centre, leaving room for the button below it.
constexpr float kRaise = 400.0f;

} // namespace

Quiz::Quiz(WindowOwner &owner, QWidget *parent)
    : OwnedWindow(owner, parent)
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &Quiz::Command1_Click);
}

void Quiz::buildUi()
{
    setObjectName(QStringLiteral("Quiz"));
    setWindowTitle(QStringLiteral("Quiz"));
    setFixedSize(Twips(kWidth), Twips(kHeight));
    SetBackColor(this, kWhite);
    setFont(TimesFont(12));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Picture(QStringLiteral("quiz.png")));
    Image1->setScaledContents(true);
    Image1->resize(Twips(kPictureWidth), Twips(kPictureHeight));

    Command1 = new QPushButton(QStringLiteral("Back to the mainform"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(4080, 7560, 2640, 495));
    Command1->setFont(TimesFont(12));
    Command1->setAutoDefault(true);
    Command1->setDefault(true);

    // A picture says in words what it shows.
    Image1->setAccessibleName(
        QStringLiteral("Quiz: the Leslie matrix, its characteristic equation and the population "
                       "parameters"));
    NameButtonsByCaption(this);
}

void Quiz::Form_Load()
{
    const float left = (float(kWidth) - float(kPictureWidth)) / 2.0f;
    const float top = (float(kHeight) - float(kPictureHeight)) / 2.0f - kRaise;
    Image1->move(TwipsPoint(int(std::lround(left)), int(std::lround(top))));
}

void Quiz::Command1_Click()
{
    hide();
    m_owner.showForm1();
}

void Quiz::Form_Unload()
{
    Command1_Click();
}

} // namespace tarnvale::ui
