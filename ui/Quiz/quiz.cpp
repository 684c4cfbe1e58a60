#include "ui/Quiz/quiz.h"

#include "ui/common/pictures.h"
#include "ui/common/twips.h"

#include <QLabel>
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
    : InfoWindow(owner, "Quiz", QStringLiteral("Quiz"), {kWidth, kHeight}, parent)
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &Quiz::Command1_Click);
}

void Quiz::buildUi()
{
    // Form_Load places it.
    Image1 = MakePicture(
        this, "Image1", QStringLiteral("quiz.png"), {0, 0, kPictureWidth, kPictureHeight},
        QStringLiteral("Quiz: the Leslie matrix, its characteristic equation and the population "
                       "parameters"));

    Command1
        = addButton("Command1", QStringLiteral("Back to the mainform"), {4080, 7560, 2640, 495});
}

void Quiz::Form_Load()
{
    const float left = (float(kWidth) - float(kPictureWidth)) / 2.0f;
    const float top = (float(kHeight) - float(kPictureHeight)) / 2.0f - kRaise;
    Image1->move(TwipsPoint(int(std::lround(left)), int(std::lround(top))));
}

} // namespace tarnvale::ui
