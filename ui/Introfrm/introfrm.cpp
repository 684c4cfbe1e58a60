#include "ui/Introfrm/introfrm.h"

#include "ui/common/controls.h"
#include "ui/common/pictures.h"
#include "ui/common/twips.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace tarnvale::ui {

namespace {

constexpr int kWidth = 9600;
constexpr int kHeight = 6240;

} // namespace

QString BuildIntroductionText()
{
    return FixedText(QStringLiteral("introduction.txt"));
}

Introfrm::Introfrm(WindowOwner &owner, QWidget *parent)
    : InfoWindow(owner, "Introfrm", QStringLiteral("Introduction"), {kWidth, kHeight}, parent)
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &Introfrm::Command1_Click);
}

void Introfrm::buildUi()
{
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(TwipsRect(240, 240, 9120, 5040));
    Text1->setFont(TimesFont(12));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    // The window's caption is the only one the text has.
    Text1->setAccessibleName(windowTitle());
    Command1 = addButton("Command1", QStringLiteral("OK"), {4200, 5520, 1215, 495});
}

void Introfrm::Form_Load()
{
    Text1->setPlainText(BuildIntroductionText());
}

} // namespace tarnvale::ui
