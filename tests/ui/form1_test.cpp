#include "program.h"

#include "ui/common/controls.h"

#include <QPrinterInfo>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

// "Formula" after one cell was typed over and Enter pressed.
struct FormulaCase
{
    const char *name;
    int cell; // -1: no cell typed over
    const char *typed, *shownAfter;
    bool table; // a life table of four age classes is loaded
    const char *equation;
    const char *enabled; // each normalised cell text runs the cell change, which disables "Graph"
};
const FormulaCase kFormulas[] = {
    {"default matrix", -1, "", "", false, "x^4 - .5 x^2 - x -  .25 = 0", "2 5 6"},
    {"0.50 is normalised", 4, "0.50", "0.5", false, "x^4 - .5 x^2 - x -  .25 = 0", "2 5"},
    {"an empty cell reads 0", 11, "", "0", false, "x^4 - .5 x^2 - x -  .25 = 0", "2 5"},
    {"a table leaves the cells alone", 4, "0.50", "0.50", true, "x^ 4- .9x- 1.8 = 0", "2 5 6"},
};

} // namespace

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void startUpShowsEveryControlInItsStartState()
    {
        Program p;
        QVERIFY(p.form1().isVisible());
        QCOMPARE(p.form1().windowTitle(), QStringLiteral("Tarnvale analysis"));
        QStringList names = {"Frame1", "Picture1", "Label18", "Label19"};
        for (int i = 1; i <= 16; ++i) {
            names << QStringLiteral("m(%1)").arg(i - 1) << QStringLiteral("Label%1").arg(i);
            if (i <= 14)
                names << QStringLiteral("Command%1").arg(i);
            if (i <= 13)
                names << QStringLiteral("Text%1").arg(i);
            if (i <= 6)
                names << QStringLiteral("Line%1").arg(i);
        }
        for (const QString &name : names)
            QVERIFY2(p.form1().findChild<QWidget *>(name), qPrintable(name));

        QCOMPARE(p.enabledButtons(), QStringLiteral("1 5 8 9 10 11 12 13"));
        QCOMPARE(p.hiddenOf({"Label18", "Label19"}), QStringList());
        QCOMPARE(p.shownOf({"Command7", "Label12", "Label16", "Picture1", "Text8", "Text9",
                            "Text10", "Text11", "Text12", "Text13", "Label9", "Label10", "Label11",
                            "Label13", "Label14", "Label15"}),
                 QStringList());
        QCOMPARE(p.equation(), QStringLiteral(" "));
        QCOMPARE(p.texts({"Text2", "Text3"}), QStringLiteral("0 2"));
        for (int i = 0; i < 16; ++i)
            QCOMPARE(p.cell(i)->text().toStdString(), kDefaultCellTexts[i]);
        QCOMPARE(p.state.MatrixCell[4], 0.5f);
        // Fecundities red, survival rates blue, the rest black.
        QCOMPARE(ForeColor(p.cell(2)), kRed);
        QCOMPARE(ForeColor(p.cell(9)), kBlue);
        QCOMPARE(ForeColor(p.cell(10)), kBlack);
        QCOMPARE(p.control<QLabel>("Label19")->text(),
                 QStringLiteral("Press Enter to run this program using default values.  You can "
                                "also change the default values then click Formula to contstruct "
                                "the characteristic equation."));
        for (int i : {1, 2, 3}) {
            QCOMPARE(p.button(qPrintable(QStringLiteral("Command%1").arg(i)))->nextInFocusChain(),
                     p.button(qPrintable(QStringLiteral("Command%1").arg(i + 1))));
        }
    }

    void formulaWritesTheEquation_data() { addRows(kFormulas); }
    void formulaWritesTheEquation()
    {
        const FormulaCase &c = fetchRow(kFormulas);
        Program p;
        if (c.table)
            p.setTable({0, 0, 1, 2}, {1, 0.9, 1, 0.5});
        if (c.cell >= 0) {
            p.typeInCell(c.cell, QString::fromLatin1(c.typed));
            p.enterInCell(0);
        }
        QVERIFY(p.activateForm1());
        p.click("Command1");
        QCOMPARE(p.equation(), QString::fromLatin1(c.equation));
        QCOMPARE(QString::fromStdString(p.state.EquationText) + " = 0",
                 "f(x)= " + QString::fromLatin1(c.equation));
        if (c.cell >= 0)
            QCOMPARE(p.cell(c.cell)->text(), QString::fromLatin1(c.shownAfter));
        QCOMPARE(p.enabledButtons(), QString::fromLatin1(c.enabled) + " 8 9 10 11 12 13");
        QCOMPARE(QApplication::focusWidget(), p.button("Command2"));
    }

    void formulaRefusesANumberBeyondTheDoubleRange()
    {
        // state: an unused cell holds a number no double can hold; action: Formula;
        // expected: a message names the cell, nothing else changes.
        Program p;
        p.typeInCell(7, QStringLiteral("1e999"));
        p.typeInCell(4, QStringLiteral("0.50"));
        p.enterInCell(0);
        p.click("Command1");
        QCOMPARE(p.dialogs.informed.size(), 1);
        QVERIFY(p.dialogs.informed[0].contains(QStringLiteral("m(7)")));
        QCOMPARE(p.cell(4)->text(), QStringLiteral("0.50"));
        QCOMPARE(p.equation(), QString());
        QVERIFY(p.state.EquationText.empty());
        QCOMPARE(p.enabledButtons(), QStringLiteral("1 5 8 9 10 11 12 13"));
    }

    void cellChangeClearsResultsEvenInAnUnusedCell()
    {
        Program p;
        p.click("Command1");
        for (const char *name : {"Text4", "Text7", "Text13"})
            p.box(name)->setText(QStringLiteral("1"));
        p.button("Command14")->setEnabled(true);

        p.typeInCell(15, QStringLiteral("7"));

        QCOMPARE(p.equation(), QString());
        for (const char *name : {"Text4", "Text7", "Text13"})
            QVERIFY2(p.text(name).isEmpty(), name);
        QCOMPARE(p.enabledButtons(), QStringLiteral("5 8 9 10 11 12 13"));
        QCOMPARE(p.state.MatrixCell[15], 7.0f);
        QCOMPARE(p.text("Text2"), QStringLiteral("0"));

        // A change is a different text, not a different number.
        p.enterInCell(0);
        p.cell(3)->setText(QStringLiteral("1"));
        QVERIFY(p.button("Command1")->isEnabled());
        p.cell(3)->setText(QStringLiteral("1.0"));
        QVERIFY(!p.button("Command1")->isEnabled());
    }

    void enterResetsInvalidCellsInTheFixedOrder()
    {
        Program p;
        QList<int> changed;
        for (int i = 0; i < 16; ++i)
            connect(p.cell(i), &QLineEdit::textChanged, this, [&changed, i] { changed << i; });
        p.typeInCell(1, QStringLiteral("-3"));
        p.typeInCell(14, QStringLiteral("0"));
        p.typeInCell(4, QStringLiteral("1e999"));
        p.typeInCell(2, QStringLiteral("abc"));
        changed.clear();

        // Enter in a cell outside the first row and the sub-diagonal does nothing.
        for (int i : {5, 6, 7, 8, 10, 11, 12, 13, 15})
            p.enterInCell(i);
        QVERIFY(changed.isEmpty());
        QVERIFY(!p.button("Command1")->isEnabled());

        QVERIFY(p.activateForm1());
        p.enterInCell(9);
        QCOMPARE(changed, (QList<int> {14, 4, 1}));
        QCOMPARE(p.cellTexts().mid(0, 5), (QStringList {"0", "1", "abc", "1", "0.5"}));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0.5"));
        QCOMPARE(QApplication::focusWidget(), p.button("Command1"));

        // Once every cell is valid, Enter rewrites none.
        changed.clear();
        p.enterInCell(0);
        QVERIFY(changed.isEmpty());
    }

    void editingAStartPointClearsTheTrialValuesOnly()
    {
        Program p;
        for (const char *start : {"Text3", "Text2"}) {
            for (const char *name : {"Text4", "Text5", "Text6", "Text7"})
                p.box(name)->setText(QStringLiteral("5"));
            p.control("Label12")->show();
            QTest::keyClicks(p.box(start), QStringLiteral("5"));
            for (const char *name : {"Text4", "Text5", "Text6"})
                QVERIFY2(p.text(name).isEmpty(), name);
            QCOMPARE(p.text("Text7"), QStringLiteral("5"));
            QVERIFY(!p.shown("Label12"));
            QVERIFY(p.button("Command1")->isEnabled());
        }
    }

    void photoLiesOverTheTrialAndOffersFormula()
    {
        Program p;
        auto *photo = p.control<QLabel>("Picture1");
        // The photograph fills its box, cut at one pair of edges only.
        const QSize picture = photo->pixmap().size();
        QVERIFY(picture.width() >= photo->width() && picture.height() >= photo->height());
        QVERIFY(picture.width() == photo->width() || picture.height() == photo->height());
        QVERIFY(!p.button("Command13")->icon().isNull() && !p.button("Command14")->icon().isNull());

        p.click("Command1");
        p.form1().Command7_Click();
        QVERIFY(p.shown("Picture1"));
        QCOMPARE(p.form1().childAt(p.box("Text4")->geometry().center()), photo);
        QVERIFY(!p.button("Command7")->isEnabled());
        p.click("Command1");
        QVERIFY(!p.shown("Picture1"));
    }

    void printingWithoutAPrinterOffersAPdf()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer");
        Program p;
        QTemporaryDir dir;
        p.dialogs.saveFile = dir.filePath(QStringLiteral("main window"));
        p.click("Command9");
        QCOMPARE(p.dialogs.asked.size(), 1);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("main window.pdf"))).size() > 0);

        p.dialogs.answerYes = false;
        p.dialogs.saveFile = dir.filePath(QStringLiteral("declined.pdf"));
        p.click("Command9");
        QVERIFY(!QFileInfo::exists(p.dialogs.saveFile));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
