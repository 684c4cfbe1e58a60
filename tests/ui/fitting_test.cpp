#include "program.h"

#include "ui/ResultFrm/resultfrm.h"
#include "ui/common/fittingbox.h"

#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>

using namespace tarnvale::ui;

namespace {

// The width a box's text may take, worked out here as QLineEdit lays out its text: the
// contents rectangle of the style, less the text margins, less 2 pixels on each side.
int textRoom(const QLineEdit *box)
{
    QStyleOptionFrame panel;
    panel.initFrom(box);
    panel.rect = box->rect();
    panel.lineWidth = box->hasFrame()
        ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, box)
        : 0;
    const QRect contents = box->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &panel, box)
                               .marginsRemoved(box->textMargins());
    return contents.width() - 4;
}

bool fitsAt(const QLineEdit *box, double points)
{
    QFont font = box->font();
    font.setPointSizeF(points);
    // One pixel for the cursor.
    return QFontMetrics(font).horizontalAdvance(box->text()) + 1 <= textRoom(box);
}

// Every number box of `window` shows its whole text at the largest half-point step below its
// layout size that holds it; the names of those that do not, with their texts and sizes.
QStringList unfitted(QWidget *window)
{
    QStringList wrong;
    for (FittingBox *box : window->findChildren<FittingBox *>()) {
        const double layout = box->layoutFont().pointSizeF();
        const double points = box->font().pointSizeF();
        const bool steps = std::fmod(layout - points, 0.5) == 0 && points >= 6 && points <= layout;
        const bool largest = points == layout || !fitsAt(box, points + 0.5);
        if (!fitsAt(box, points) || !steps || !largest)
            wrong << QStringLiteral("%1 \"%2\" at %3 pt")
                         .arg(box->objectName(), box->text())
                         .arg(points);
    }
    return wrong;
}

} // namespace

class FittingTest : public QObject
{
    Q_OBJECT

private slots:
    void theWorkedRunShowsEveryDigitAtEveryStep()
    {
        Program p;
        p.click("Command1");
        p.click("Command2");
        QCOMPARE(unfitted(&p.form1()), QStringList());
        bool shrunk = false;
        for (int step = 0; step < 40 && !p.shown("Label16"); ++step) {
            p.click(step % 2 == 0 ? "Command3" : "Command4");
            QCOMPARE(unfitted(&p.form1()), QStringList());
            shrunk = shrunk || p.box("Text10")->font().pointSizeF() < 14.4;
        }
        QVERIFY(p.shown("Label16"));
        QCOMPARE(p.text("Text10"), QStringLiteral("1.21978759765625"));
        QVERIFY(shrunk);
        QCOMPARE(p.box("Text10")->toolTip(), p.text("Text10"));
        // The results, and a short text again at the layout's size.
        QCOMPARE(unfitted(&p.windows->resultFrm()), QStringList());
        p.cell(0)->setText(QStringLiteral("0.5"));
        QCOMPARE(p.box("Text10")->text(), QString());
        QCOMPARE(p.box("Text10")->font().pointSizeF(), 14.4);
    }

    void fiveDigitRatesFitTheirCells()
    {
        Program p;
        QTemporaryDir dir;
        p.dialogs.answerYes = false;
        p.dialogs.openFile = Program::writeFile(
            dir.filePath("rates.txt"),
            "\"age,f(x),s(x)\"\n0,0.12345,0.98765\n1,1.2345,0.55555\n2,12.345,0.33333\n"
            "3,23.456,0.5\n");
        p.click("Command11");
        QCOMPARE(p.cellTexts().mid(0, 5),
                 (QStringList {"0.12345", "1.2345", "12.345", "23.456", "0.98765"}));
        QCOMPARE(unfitted(&p.form1()), QStringList());
        for (int i = 0; i < 16; ++i) {
            auto *cell = qobject_cast<FittingBox *>(p.cell(i));
            QVERIFY(cell);
            QCOMPARE(cell->shownText(), cell->text());
        }
    }

    void aRateBeyondEvenSixPointsEndsInAnEllipsis()
    {
        // The format-B example's third survival rate 0.8 / 0.9 in the 615-twip cell m(14).
        Program p;
        QTemporaryDir dir;
        p.dialogs.answerYes = false;
        p.dialogs.openFile = Program::writeFile(
            dir.filePath("b.txt"), "\"age,l(x),m(x)\"\n0,1,0\n1,1,0\n2,0.9,1\n3,0.8,1\n4,0.5,3\n");
        p.click("Command12");
        auto *cell = qobject_cast<FittingBox *>(p.cell(14));
        QVERIFY(cell);
        QCOMPARE(cell->text(), QStringLiteral("0.888888888888889"));
        QCOMPARE(cell->font().pointSizeF(), 6.0);
        QVERIFY(!fitsAt(cell, 6));
        const QString shown = cell->shownText();
        QVERIFY2(shown.endsWith(QChar(0x2026)) && shown.size() > 2, qPrintable(shown));
        QVERIFY(cell->text().startsWith(shown.chopped(1)));
        QVERIFY(QFontMetrics(cell->font()).horizontalAdvance(shown) + 1 <= textRoom(cell));
    }
};

QTEST_MAIN(FittingTest)
#include "fitting_test.moc"
