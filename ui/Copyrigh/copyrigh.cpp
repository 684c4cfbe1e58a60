#include "ui/Copyrigh/copyrigh.h"

#include "ui/common/controls.h"
#include "ui/common/pictures.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QDate>
#include <QPushButton>

namespace tarnvale::ui {

namespace {

constexpr int kWidth = 10080;
constexpr int kHeight = 6600;
constexpr double kNoticePoints = 11.4;

QLabel *makeNotice(QWidget *parent, const char *name, const QRect &twips, const QString &text)
{
    QLabel *label = MakeLabel(parent, name, twips, kNoticePoints, text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

QString BuildCitationText(int year)
{
    const QChar lf(10);
    QString text = QStringLiteral("If you use this program in your research, please cite the "
                                  "following ");
    text += QStringLiteral(" reference in your paper:");
    text += lf;
    text += lf;
    text += QStringLiteral("The Tarnvale authors. ") + QString::number(year)
        + QStringLiteral(". Tarnvale: the dominant root of the Lewis-Leslie matrix, a teaching "
                         "program. Published by the Tarnvale authors with its source code.");
    return text;
}

QString BuildNewVersionText()
{
    const QChar lf(10);
    QString text = QStringLiteral("You can get new version of this program at:");
    text += lf;
    text += QStringLiteral("1. the release page of the Tarnvale project");
    text += lf;
    text += QStringLiteral("(the Tarnvale authors)");
    text += lf;
    text += QStringLiteral("2. the source repository of Tarnvale");
    text += lf;
    text += QStringLiteral("(the Tarnvale authors)");
    text += lf;
    text += QStringLiteral("3. the teacher or colleague who gave you this copy");
    return text;
}

QString BuildNoticeLine(int year)
{
    return QStringLiteral("Copyright (C) ") + QString::number(year)
        + QStringLiteral(" the Tarnvale authors.");
}

Copyrigh::Copyrigh(WindowOwner &owner, QWidget *parent)
    : InfoWindow(owner, "Copyrigh", QStringLiteral("Copyright"), {kWidth, kHeight}, parent)
{
    buildUi();
    connect(cmdCommand1, &QPushButton::clicked, this, &Copyrigh::cmdCommand1_Click);
}

void Copyrigh::buildUi()
{
    picPicture1
        = MakePicture(this, "picPicture1", QStringLiteral("closing.png"), {240, 240, 3600, 2700},
                      QStringLiteral("Evening over the barley field"));

    lblLabel1 = makeNotice(this, "lblLabel1", {4080, 240, 5760, 240}, QString());
    lblLabel2 = makeNotice(
        this, "lblLabel2", {4080, 480, 5760, 1080},
        QStringLiteral("Tarnvale is a program for teaching and research in population ecology. "
                       "You may use it, copy it and pass it on free of charge, as long as these "
                       "notices go with it."));
    lblLabel3 = makeNotice(
        this, "lblLabel3", {4080, 1620, 5760, 780},
        QStringLiteral("It comes as it is, without warranty of any kind: check every result you "
                       "publish by an independent calculation."));
    lblLabel4 = makeNotice(
        this, "lblLabel4", {4080, 2460, 5760, 540},
        QStringLiteral("Its texts and pictures were made for Tarnvale by the Tarnvale authors."));

    lblLabel5 = makeNotice(this, "lblLabel5", {240, 3180, 9600, 375}, QString());
    lblLabel5->setFont(TimesFont(12, true));
    lblLabel5->setAlignment(Qt::AlignCenter);
    lblLabel6 = makeNotice(this, "lblLabel6", {240, 3720, 4560, 1920}, QString());
    lblLabel7 = makeNotice(this, "lblLabel7", {5040, 3720, 4800, 1920}, QString());

    cmdCommand1 = addButton("cmdCommand1", QStringLiteral("OK"), {4440, 5880, 1215, 495});
}

void Copyrigh::Form_Load()
{
    const int year = QDate::currentDate().year();
    lblLabel7->setText(BuildCitationText(year));
    lblLabel6->setText(BuildNewVersionText());
    lblLabel5->setText(BuildNoticeLine(year));
}

void Copyrigh::cmdCommand1_Click()
{
    hide();
    m_owner.showVater();
}

} // namespace tarnvale::ui
