#include "ui/Introfrm/introfrm.h"

#include "ui/common/controls.h"
#include "ui/common/pictures.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

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
    : OwnedWindow(owner, parent)
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

} // namespace tarnvale::ui
