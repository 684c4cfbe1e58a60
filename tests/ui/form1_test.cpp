#include "program.h"

#include "ui/common/controls.h"
#include "ui/common/twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;

class Form1Test : public QObject
{
    Q_OBJECT

private:
    static QString equationBox(Program &p)
    {
        return p.control<QPlainTextEdit>("Text1")->toPlainText();
    }
    static bool shown(Program &p, const char *name) { return !p.control(name)->isHidden(); }

private slots:
    void everyControlCarriesItsName()
    {
        Program p;
        QCOMPARE(p.form1().objectName(), QStringLiteral("Form1"));
        QCOMPARE(p.form1().windowTitle(), QStringLiteral("Tarnvale analysis"));
        QStringList names = {"Frame1", "Picture1"};
        for (int i = 1; i <= 14; ++i)
            names << QStringLiteral("Command%1").arg(i);
        for (int i = 1; i <= 13; ++i)
            names << QStringLiteral("Text%1").arg(i);
        for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19})
            names << QStringLiteral("Label%1").arg(i);
        for (int i = 1; i <= 6; ++i)
            names << QStringLiteral("Line%1").arg(i);
        for (int i = 0; i < 16; ++i)
            names << QStringLiteral("m(%1)").arg(i);
        for (const QString &name : names)
            QVERIFY2(p.form1().findChild<QWidget *>(name), qPrintable(name));
    }

    void startUpLeavesTheAnalysisButtonsAsTheRunBegins()
    {
        Program p;
        QVERIFY(p.form1().isVisible());
        QVERIFY(p.button("Command1")->isEnabled());
        for (const char *name : {"Command2", "Command3", "Command4", "Command6", "Command14"})
            QVERIFY2(!p.button(name)->isEnabled(), name);
        for (const char *name : {"Command5", "Command8", "Command9", "Command10", "Command11",
                                 "Command12", "Command13"})
            QVERIFY2(p.button(name)->isEnabled(), name);
        QVERIFY(!shown(p, "Command7"));
        QVERIFY(shown(p, "Label18"));
        QVERIFY(shown(p, "Label19"));
        for (const char *name :
             {"Label12", "Label16", "Picture1", "Text8", "Text9", "Text10", "Text11", "Text12",
              "Text13", "Label9", "Label10", "Label11", "Label13", "Label14", "Label15"})
            QVERIFY2(!shown(p, name), name);
        QCOMPARE(equationBox(p), QStringLiteral(" "));
        QCOMPARE(p.box("Text2")->text(), QStringLiteral("0"));
        QCOMPARE(p.box("Text3")->text(), QStringLiteral("2"));
        QCOMPARE(p.box("Text8")->text(), QString());
        QCOMPARE(p.box("Text13")->text(), QStringLiteral(" "));
        for (int i = 0; i < 16; ++i)
            QCOMPARE(p.cell(i)->text().toStdString(), kDefaultCellTexts[i]);
        const std::array<float, 16> defaults
            = {0, 1, 2, 1, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 0};
        QCOMPARE(p.state.MatrixCell, defaults);
    }

    void layoutFollowsTheTwipPositions()
    {
        Program p;
        QCOMPARE(p.form1().size(), QSize(Twips(10152), Twips(7440)));
        QCOMPARE(p.button("Command11")->geometry(), TwipsRect(7200, 960, 1335, 495));
        QCOMPARE(p.cell(8)->geometry(), TwipsRect(240, 1920, 495, 495));
        QCOMPARE(p.cell(14)->geometry(), TwipsRect(1800, 2640, 615, 495));
        QCOMPARE(p.box("Text11")->geometry(), TwipsRect(5400, 5280, 3012, 492));
        QCOMPARE(ForeColor(p.cell(2)), kRed);
        QCOMPARE(ForeColor(p.cell(9)), kBlue);
        QCOMPARE(ForeColor(p.cell(10)), kBlack);
        QCOMPARE(p.button("Command2")->toolTip(),
                 QStringLiteral("Try to find the initial points for bisection"));
        QCOMPARE(p.control<QLabel>("Label19")->text(),
                 QStringLiteral("Press Enter to run this program using default values.  You can "
                                "also change the default values then click Formula to contstruct "
                                "the characteristic equation."));
    }

    void tabOrderStartsWithTheAnalysisButtons()
    {
        Program p;
        QCOMPARE(p.button("Command1")->nextInFocusChain(), p.button("Command2"));
        QCOMPARE(p.button("Command2")->nextInFocusChain(), p.button("Command3"));
        QCOMPARE(p.button("Command3")->nextInFocusChain(), p.button("Command4"));
    }

    void formulaOnTheDefaultMatrixWritesTheEquationAndOffersTry()
    {
        Program p;
        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QCOMPARE(equationBox(p), QStringLiteral("x^4 - .5 x^2 - x -  .25 = 0"));
        QCOMPARE(p.state.EquationText, std::string("f(x)= x^4 - .5 x^2 - x -  .25"));
        QVERIFY(!p.button("Command1")->isEnabled());
        QVERIFY(p.button("Command2")->isEnabled());
        QVERIFY(p.button("Command6")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), p.button("Command2"));
    }

    void formulaNormalisesCellsAndTheirChangeDisablesGraph()
    {
        // state: m(4) typed as "0.50", Enter pressed; action: Formula;
        // expected: the cell reads "0.5", its change reaction disabled "Graph" again, and the
        // equation is written after it.
        Program p;
        p.typeInCell(4, QStringLiteral("0.50"));
        QVERIFY(!p.button("Command1")->isEnabled());
        p.enterInCell(4);
        QVERIFY(p.button("Command1")->isEnabled());
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QCOMPARE(p.cell(4)->text(), QStringLiteral("0.5"));
        QCOMPARE(equationBox(p), QStringLiteral("x^4 - .5 x^2 - x -  .25 = 0"));
        QVERIFY(!p.button("Command6")->isEnabled());
        QVERIFY(p.button("Command2")->isEnabled());
        QVERIFY(!p.button("Command1")->isEnabled());
    }

    void formulaNormalisesAnEmptyCell()
    {
        Program p;
        p.typeInCell(11, QString());
        p.enterInCell(0);
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QCOMPARE(p.cell(11)->text(), QStringLiteral("0"));
        QCOMPARE(equationBox(p), QStringLiteral("x^4 - .5 x^2 - x -  .25 = 0"));
    }

    void cellChangeClearsResultsEvenInAnUnusedCell()
    {
        Program p;
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        p.box("Text4")->setText(QStringLiteral("-0.25"));
        p.box("Text7")->setText(QStringLiteral("1"));
        p.button("Command14")->setEnabled(true);

        p.typeInCell(15, QStringLiteral("7"));

        QCOMPARE(equationBox(p), QString());
        for (const char *name : {"Text4", "Text5", "Text6", "Text7", "Text8", "Text13"})
            QVERIFY2(p.box(name)->text().isEmpty(), name);
        for (const char *name :
             {"Command1", "Command2", "Command3", "Command4", "Command6", "Command14"})
            QVERIFY2(!p.button(name)->isEnabled(), name);
        QCOMPARE(p.state.MatrixCell[15], 7.0f);
        QCOMPARE(p.state.EquationText, std::string("f(x)= x^4 - .5 x^2 - x -  .25"));
        QCOMPARE(p.box("Text2")->text(), QStringLiteral("0"));
        QVERIFY(shown(p, "Label18"));
    }

    void matrixCellCopiesAreRoundedToSinglePrecision()
    {
        Program p;
        p.typeInCell(4, QStringLiteral("0.1"));
        QCOMPARE(p.state.MatrixCell[4], 0.1f);
        p.typeInCell(6, QStringLiteral("abc"));
        QCOMPARE(p.state.MatrixCell[6], 0.0f);
    }

    void enterInAnUnusedCellDoesNothing()
    {
        Program p;
        p.typeInCell(14, QStringLiteral("0"));
        for (int i : {5, 6, 7, 8, 10, 11, 12, 13, 15}) {
            p.enterInCell(i);
            QVERIFY(!p.button("Command1")->isEnabled());
        }
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0"));
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

        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        p.enterInCell(9);

        QCOMPARE(changed, (QList<int> {14, 4, 1}));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0.5"));
        QCOMPARE(p.cell(4)->text(), QStringLiteral("0.5"));
        QCOMPARE(p.cell(1)->text(), QStringLiteral("1"));
        QCOMPARE(p.cell(2)->text(), QStringLiteral("abc"));
        QVERIFY(p.button("Command1")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), p.button("Command1"));
    }

    void enterWithValidCellsChangesNoText()
    {
        Program p;
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        p.typeInCell(0, QStringLiteral("1"));
        QList<int> changed;
        for (int i = 0; i < 16; ++i)
            connect(p.cell(i), &QLineEdit::textChanged, this, [&changed, i] { changed << i; });
        p.enterInCell(0);
        QVERIFY(changed.isEmpty());
        QVERIFY(p.button("Command1")->isEnabled());
        QCOMPARE(equationBox(p), QString());
    }

    void assigningTheSameTextIsNoChange()
    {
        Program p;
        p.cell(3)->setText(QStringLiteral("1"));
        QVERIFY(p.button("Command1")->isEnabled());
        p.cell(3)->setText(QStringLiteral("1.0"));
        QVERIFY(!p.button("Command1")->isEnabled());
    }

    void editingAStartPointClearsTheTrialValuesOnly()
    {
        Program p;
        for (const char *name : {"Text4", "Text5", "Text6"})
            p.box(name)->setText(QStringLiteral("5"));
        p.control("Label12")->show();
        p.button("Command3")->setEnabled(true);
        QTest::keyClicks(p.box("Text3"), QStringLiteral("5"));
        for (const char *name : {"Text4", "Text5", "Text6"})
            QVERIFY2(p.box(name)->text().isEmpty(), name);
        QVERIFY(!shown(p, "Label12"));
        QVERIFY(p.button("Command3")->isEnabled());

        p.box("Text4")->setText(QStringLiteral("5"));
        p.control("Label12")->show();
        QTest::keyClicks(p.box("Text2"), QStringLiteral("1"));
        QVERIFY(p.box("Text4")->text().isEmpty());
        QVERIFY(!shown(p, "Label12"));
    }

    void formulaRefusesANumberBeyondTheDoubleRange()
    {
        // state: an unused cell holds a number no double can hold; action: Formula;
        // expected: a message names the cell, nothing else changes.
        Program p;
        p.typeInCell(7, QStringLiteral("1e999"));
        p.typeInCell(4, QStringLiteral("0.50"));
        p.enterInCell(0);
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed.size(), 1);
        QVERIFY(p.dialogs.informed[0].contains(QStringLiteral("m(7)")));
        QCOMPARE(p.cell(7)->text(), QStringLiteral("1e999"));
        QCOMPARE(p.cell(4)->text(), QStringLiteral("0.50"));
        QCOMPARE(equationBox(p), QString());
        QVERIFY(p.state.EquationText.empty());
        QVERIFY(p.button("Command1")->isEnabled());
        QVERIFY(!p.button("Command2")->isEnabled());
    }

    void formulaInDataFileModeWritesTheTableEquation()
    {
        Program p;
        p.state.DataLoaded = "Yes";
        p.state.LastAgeClass = 3;
        const double f[] = {0, 0, 1, 2}, s[] = {1, 0.9, 1, 0.5};
        for (int i = 0; i < 4; ++i) {
            p.state.Fecundity[i] = f[i];
            p.state.Survival[i] = s[i];
        }
        p.typeInCell(4, QStringLiteral("0.50"));
        p.enterInCell(4);
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QCOMPARE(equationBox(p), QStringLiteral("x^ 4- .9x- 1.8 = 0"));
        QCOMPARE(p.state.EquationText, std::string("f(x)= x^ 4- .9x- 1.8"));
        QCOMPARE(p.cell(4)->text(), QStringLiteral("0.50"));
        QVERIFY(p.button("Command6")->isEnabled());
    }

    void photoShowsThePictureAndOffersFormula()
    {
        Program p;
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        p.form1().Command7_Click();
        QVERIFY(shown(p, "Picture1"));
        QVERIFY(!p.button("Command7")->isEnabled());
        QVERIFY(p.button("Command1")->isEnabled());
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QVERIFY(!shown(p, "Picture1"));
    }

    void printingWithoutAPrinterOffersAPdf()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer");
        Program p;
        QTemporaryDir dir;
        p.dialogs.saveFile = dir.filePath(QStringLiteral("main window"));
        QTest::mouseClick(p.button("Command9"), Qt::LeftButton);
        QCOMPARE(p.dialogs.asked.size(), 1);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("main window.pdf"))).size() > 0);

        p.dialogs.answerYes = false;
        p.dialogs.saveFile = dir.filePath(QStringLiteral("declined.pdf"));
        QTest::mouseClick(p.button("Command9"), Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(p.dialogs.saveFile));
    }

    void closingTheMainWindowEndsTheProgram()
    {
        Program p;
        QVERIFY(!p.windows->ended());
        p.form1().close();
        QVERIFY(p.windows->ended());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
