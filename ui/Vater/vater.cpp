#include "ui/Vater/vater.h"

#include "ui/common/pictures.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace tarnvale::ui {

namespace {

constexpr int kWidth = 7920;
constexpr int kHeight = 6360;
constexpr int kFrameWidth = 7440;
constexpr int kFrameHeight = 5040;
// The photograph was drawn at 448 x 288 pixels for 96 dots per inch.
constexpr int kPictureWidth = 6720;
constexpr int kPictureHeight = 4320;

} // namespace

Vater::Vater(WindowOwner &owner, QWidget *parent)
    : InfoWindow(owner, "Vater", QStringLiteral("Dedication"), {kWidth, kHeight}, parent)
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &Vater::Command1_Click);
}

void Vater::buildUi()
{
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(TwipsRect(240, 240, kFrameWidth, kFrameHeight));
    Frame1->setAccessibleName(QStringLiteral("Dedication"));
    // Form_Load places it in the middle of the frame.
    Picture2 = MakePicture(Frame1, "Picture2", QStringLiteral("dedication.png"),
                           {0, 0, kPictureWidth, kPictureHeight},
                           QStringLiteral("A quiet lake at dusk"));

    Command1 = addButton("Command1", QStringLiteral("God rest his soul"), {2640, 5520, 2640, 495});
}

void Vater::Form_Load()
{
    const float top = (float(kFrameHeight) - float(kPictureHeight)) / 2.0f;
    const float left = (float(kFrameWidth) - float(kPictureWidth)) / 2.0f;
    Picture2->move(TwipsPoint(int(std::lround(left)), int(std::lround(top))));
}

void Vater::Command1_Click()
{
    m_owner.endProgram();
}

void Vater::closeEvent(QCloseEvent *event)
{
    // The last window: closing it can only mean the end.
    event->accept();
    m_owner.endProgram();
}

} // namespace tarnvale::ui
