#include "ui/ResultFrm/resultfrm.h"

#include "ui/common/controls.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QPushButton>

namespace tarnvale::ui {

namespace {

constexpr double kLabelPoints = 12;
constexpr double kBoxPoints = 14.4;

// Every row: the caption from the left edge 720, the box from 3360.
constexpr int kLabelLeft = 720;
constexpr int kLabelWidth = 2535;
constexpr int kBoxLeft = 3360;
constexpr int kBoxWidth = 3615;
constexpr int kRowHeight = 495;

} // namespace

ResultFrm::ResultFrm(WindowOwner &owner, QWidget *parent)
    : OwnedWindow(owner, parent)
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &ResultFrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ResultFrm::Command2_Click);
}

void ResultFrm::buildUi()
{
    setObjectName(QStringLiteral("ResultFrm"));
    setWindowTitle(QStringLiteral("Population parameters"));
    // One row taller than the parameters need, for "Further analysis" under "Back".
    setFixedSize(Twips(7620), Twips(6720));
    setFont(TimesFont(kLabelPoints));

    auto row = [this](int top, QLabel *&label, const char *labelName, const char *caption,
                      QLineEdit *&box, const char *boxName) {
        label = MakeLabel(this, labelName, QRect(kLabelLeft, top, kLabelWidth, kRowHeight),
                          kLabelPoints, QString::fromLatin1(caption));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        box = MakeNumberBox(this, boxName, QRect(kBoxLeft, top, kBoxWidth, kRowHeight), kBoxPoints,
                            false, true, QString());
        NameBoxByLabel(box, label);
    };
    row(600, Label1, "Label1", "Finite rate of increase:", Text1, "Text1");
    row(1200, Label5, "Label5", "Intrisic rate of increase:", Text5, "Text5");
    row(1800, Label2, "Label2", "Net reproductive rate:", Text2, "Text2");
    row(2400, Label3, "Label3", "Mean generation time:", Text3, "Text3");
    row(3000, Label4, "Label4", "Doubling time:", Text4, "Text4");
    row(3600, Label6, "Label6", "Birth rate at SAD:", Text6, "Text6");
    row(4200, Label7, "Label7", "Survival rate at SAD:", Text7, "Text7");
    row(4800, Label8, "Label8", "Death rate at SAD:", Text8, "Text8");

    Command1 = new QPushButton(QStringLiteral("Back to the main form"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(1800, 5520, 3615, 495));
    Command1->setFont(TimesFont(kLabelPoints));
    Command1->setAutoDefault(true);
    Command1->setFocus();
    Command2
        = MakeButton(this, "Command2", {1800, 6120, 3615, 495}, QStringLiteral("Further analysis"),
                     QStringLiteral("The dominant root, the projection, reproductive values, "
                                    "sensitivities and elasticities"));
    NameButtonsByCaption(this);
}

void ResultFrm::Command1_Click()
{
    hide();
    m_owner.showForm1();
}

void ResultFrm::Command2_Click()
{
    hide();
    m_owner.showAnalysisfrm();
}

void ResultFrm::showParameters(const PopulationParameterTexts &texts)
{
    SetBoxText(Text1, texts.finiteRate);
    SetBoxText(Text2, texts.netReproductiveRate);
    SetBoxText(Text3, texts.generationTime);
    SetBoxText(Text4, texts.doublingTime);
    SetBoxText(Text5, texts.intrinsicRate);
    SetBoxText(Text6, texts.birthRate);
    SetBoxText(Text7, texts.survivalRate);
    SetBoxText(Text8, texts.deathRate);
}

} // namespace tarnvale::ui
