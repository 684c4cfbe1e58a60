#include "ui/Referenc/referenc.h"

#include "ui/common/controls.h"
#include "ui/common/pictures.h"
#include "ui/windowowner.h"

#include <QMouseEvent>
#include <QPushButton>

namespace tarnvale::ui {

namespace {

constexpr int kWidth = 9600;
constexpr int kHeight = 7200;

} // namespace

QString BuildReferenceList()
{
    return FixedText(QStringLiteral("references.txt"));
}

Referenc::Referenc(WindowOwner &owner, QWidget *parent)
    : InfoWindow(owner, "Referenc", QStringLiteral("References"), {kWidth, kHeight}, parent)
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &Referenc::Command1_Click);
}

void Referenc::buildUi()
{
    Label1 = MakeLabel(this, "Label1", {240, 120, 9120, 495}, 15.6, QStringLiteral("References"));
    Label1->setFont(TimesFont(15.6, true));
    Label1->setAlignment(Qt::AlignCenter);
    SetForeColor(Label1, kBlue);

    Label2 = MakeLabel(this, "Label2", {480, 780, 8640, 5460}, 12, QString());
    Label2->setWordWrap(true);
    Label2->setTextFormat(Qt::PlainText);
    // Readers copy references into their own papers.
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Command1 = addButton("Command1", QStringLiteral("OK"), {4200, 6480, 1215, 495});
}

void Referenc::Form_Load()
{
    Label2->setText(BuildReferenceList());
    // The list ends where its text ends, so that the space below it is the window's own.
    Label2->resize(Label2->width(), Label2->heightForWidth(Label2->width()));
}

void Referenc::Form_Click()
{
    // The main window comes up before this one goes, so the screen never shows neither.
    m_owner.showForm1();
    hide();
}

void Referenc::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint()))
        Form_Click();
    else
        InfoWindow::mouseReleaseEvent(event);
}

} // namespace tarnvale::ui
