#include "program.h"

#include "ui/common/dialogs.h"

#include <QDir>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

const QString kQuestion
    = QStringLiteral("Info for datafile input: Do you want to see the format of the datafile?");
const QString kFormatA
    = QStringLiteral("Datafile format: Write your datafile as:\nage, fecundity, survival rate\n\n"
                     "\"age,f(x),s(x)\" (This line is necessary)\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5\n"
                     ".....");
const QString kFormatB
    = QStringLiteral("Datafile format: Write your datafile as:\nage, survival rate, fecundity\n\n"
                     "\"age,l(x),m(x)\" (This line is necessary)\n0,1,0\n1,1,0\n2,0.9,1\n3,0.8,1\n"
                     "4,0.5,3\n.......");
const QByteArray kExampleA = "\"age,f(x),s(x)\"\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5\n";
const QByteArray kExampleB = "\"age,l(x),m(x)\"\n0,1,0\n1,1,0\n2,0.9,1\n3,0.8,1\n4,0.5,3\n";

// The cells that show the start of a table: fecundities, then survival rates.
const int kTableCells[] = {0, 1, 2, 3, 4, 9, 14};

QStringList tableCells(Program &p)
{
    QStringList texts;
    for (int i : kTableCells)
        texts << p.cell(i)->text();
    return texts;
}

bool cellsLocked(Program &p)
{
    for (int i = 0; i < 16; ++i) {
        if (!p.cell(i)->isReadOnly())
            return false;
    }
    return true;
}

// The Line1 ... Line6 shown.
QList<bool> lines(Program &p)
{
    QList<bool> shown;
    for (int i = 1; i <= 6; ++i)
        shown << p.shown(qPrintable(QStringLiteral("Line%1").arg(i)));
    return shown;
}

// "Datafile A" or "Datafile B" pressed and `path` chosen.
void readFile(Program &p, const char *button, const QString &path)
{
    p.dialogs.openFile = path;
    p.click(button);
}

} // namespace

class DatafileTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString write(const QString &name, const QByteArray &content)
    {
        return Program::writeFile(m_dir.filePath(name), content);
    }

private slots:
    void bothButtonsAskAndShowTheirFormat_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("format");
        QTest::newRow("Datafile A") << QStringLiteral("Command11") << kFormatA;
        QTest::newRow("Datafile B") << QStringLiteral("Command12") << kFormatB;
    }
    void bothButtonsAskAndShowTheirFormat()
    {
        // state: start-up; action: the button, Yes, then the dialog cancelled;
        // expected: question, format message, file dialog, in that order; nothing changes.
        QFETCH(QString, button);
        QFETCH(QString, format);
        Program p;
        const AnalysisState before = p.state;
        const QStringList cells = p.cellTexts();
        p.click(qPrintable(button));
        QCOMPARE(p.dialogs.calls, (QStringList {"askYesNo", "inform", "chooseOpenFile"}));
        QCOMPARE(p.dialogs.asked, QStringList {kQuestion});
        QCOMPARE(p.dialogs.informed, QStringList {format});
        QVERIFY(p.state == before);
        QCOMPARE(p.cellTexts(), cells);
        QVERIFY(!p.cell(0)->isReadOnly());
        QCOMPARE(lines(p), QList<bool>(6, true));
    }

    void theExamplesFillTheCellsAndLockThem()
    {
        Program p;
        p.click("Command1");
        const QString path = write("a.txt", kExampleA);
        readFile(p, "Command11", path);
        QCOMPARE(p.state.DataLoaded, std::string("Yes"));
        QCOMPARE(p.state.DataFilePath, path.toStdString());
        QCOMPARE(tableCells(p), QString("0 0 1 2 1 0.9 1").split(' '));
        QCOMPARE(p.cell(5)->text(), QStringLiteral("0")); // cells beyond the table keep their texts
        QCOMPARE(p.state.MatrixCell[9], 0.9f);
        QVERIFY(cellsLocked(p));
        QCOMPARE(lines(p), (QList<bool> {true, true, false, false, false, false}));
        // The cell changes cleared the equation of the matrix and what followed it.
        QCOMPARE(p.equation(), QString());
        QCOMPARE(p.enabledButtons(), QStringLiteral("1 5 8 9 10 11 12 13"));

        // A new table clears the results even when its first cells read as before.
        p.click("Command1");
        readFile(p, "Command11", write("a2.txt", kExampleA + "4,3,0.5\n"));
        QCOMPARE(p.state.LastAgeClass, 4);
        QCOMPARE(p.equation(), QString());
        QCOMPARE(p.enabledButtons(), QStringLiteral("1 5 8 9 10 11 12 13"));

        // Answering No goes straight to the file dialog.
        p.dialogs.answerYes = false;
        p.dialogs.calls.clear();
        readFile(p, "Command12", write("b.txt", kExampleB));
        QCOMPARE(p.dialogs.calls, (QStringList {"askYesNo", "chooseOpenFile"}));
        QCOMPARE(tableCells(p), QString("0 0 1 1 1 0.9 0.888888888888889").split(' '));
    }

    void fewerThanFourAgeClassesShowWhatTheSlotsHold()
    {
        // Two age classes and an end marker: the cells after the table show the marker's values
        // and, where nothing was ever read, empty text; a later, shorter table leaves the earlier
        // values beyond it on show.
        Program p;
        p.dialogs.answerYes = false;
        readFile(p, "Command11",
                 write("two.txt", "\"age,f(x),s(x)\"\n0,2,0.5\n1,3,0.25\n-1,7,8\n"));
        QCOMPARE(tableCells(p), (QStringList {"2", "3", "7", "", "0.5", "0.25", "8"}));
        readFile(p, "Command11", write("one.txt", "\"age,f(x),s(x)\"\n0,4,0.75\n"));
        QCOMPARE(p.state.LastAgeClass, 0);
        QCOMPARE(tableCells(p), (QStringList {"4", "3", "7", "", "0.75", "0.25", "8"}));
    }

    void emptyFieldsShowAsNothingAndCountAsZero()
    {
        // An empty fecundity and a labelled age, as a spreadsheet writes them.
        Program p;
        p.dialogs.answerYes = false;
        readFile(p, "Command11",
                 write("gaps.txt", "\"age,f(x),s(x)\"\n0-1,0,0.5\n1-2,,0.6\n2-3,2,\n"));
        QVERIFY2(p.dialogs.informed.isEmpty(), qPrintable(p.dialogs.informed.join('\n')));
        QCOMPARE(tableCells(p), (QStringList {"0", "", "2", "", "0.5", "0.6", ""}));
        p.click("Command1");
        QCOMPARE(p.equation(), QStringLiteral("x^ 3- .6 = 0"));
    }

    void aRefusedFileOrACancelledDialogChangesNothing()
    {
        // In matrix mode and after a table and its equation, a file the reader refuses (here
        // one whose header lacks its quotes) leaves everything as it was but for the message.
        const QString path = write("header.txt", "age,f(x),s(x)\n0,0,1\n1,0,0.9\n");
        const QString message = "Datafile input: Line 1 of the file \"" + path
            + "\": the fecundity f(x) of age class 0 is \"s(x)\", which is not a number. This "
              "record "
              "does "
              "not begin at the start of a line, so the fields seem shifted: the first line must "
              "be a header in double quotes, such as \"age,f(x),s(x)\", and each record must "
              "have exactly three fields.\n\nNothing has been changed.";
        for (const bool table : {false, true}) {
            Program p;
            p.dialogs.answerYes = false;
            if (table) {
                readFile(p, "Command12", write("good.txt", kExampleB));
                p.click("Command1");
            }
            AnalysisState before = p.state;
            const QStringList cells = p.cellTexts();
            const QString equation = p.equation(), buttons = p.enabledButtons();
            const QList<bool> linesBefore = lines(p);
            readFile(p, "Command11", path);
            QCOMPARE(p.dialogs.informed, QStringList {message});
            QVERIFY(p.state == before);
            QCOMPARE(p.cellTexts(), cells);
            QCOMPARE(cellsLocked(p), table);
            QCOMPARE(lines(p), linesBefore);
            QCOMPARE(p.equation(), equation);
            QCOMPARE(p.enabledButtons(), buttons);

            // Cancelling the file dialog keeps the table, and the dialog's empty name is the
            // file name from then on.
            readFile(p, "Command11", QString());
            before.DataFilePath.clear();
            QVERIFY(p.state == before);
            QCOMPARE(p.cellTexts(), cells);
        }
    }

    void lockedCellsStillRunTheEnterCheck()
    {
        // state: a table whose third survival rate is 0, shown in m(14);
        // action: typing and Enter in the locked cell;
        // expected: typing changes nothing, Enter rewrites the cell with its default but leaves
        // the table, from which Formula still builds the equation.
        Program p;
        readFile(p, "Command11",
                 write("zero.txt", "\"age,f(x),s(x)\"\n0,0,0.5\n1,1,0.8\n2,2,0\n3,1,0\n"));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0"));
        QVERIFY(p.activateForm1());
        p.cell(14)->setFocus();
        QTest::keyClicks(p.cell(14), QStringLiteral("7"));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0"));

        p.button("Command1")->setEnabled(false);
        p.enterInCell(14);
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0.5"));
        QCOMPARE(std::get<double>(p.state.Survival[2]), 0.0);
        QVERIFY(p.cell(14)->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), p.button("Command1"));

        // Coefficients: 1 * 0.5 for x^2, 2 * 0.5 * 0.8 for x; the last one is 0 and left out.
        p.click("Command1");
        QCOMPARE(p.equation(), QStringLiteral("x^ 4- .5x^ 2- .8x = 0"));
    }

    void aLongTableRunsTheWholeSearch()
    {
        // 21 age classes, survival 1 except s(0) = 0.5, fecundity only at ages 6 and 20:
        // f(x) = x^21 - 0.5 x^14 - 1.5.
        QByteArray text = "\"age,f(x),s(x)\"\n";
        for (int age = 0; age <= 20; ++age) {
            const int f = age == 6 ? 1 : age == 20 ? 3 : 0;
            text += QByteArray::number(age) + "," + QByteArray::number(f) + ","
                + (age == 0 ? "0.5" : "1") + "\n";
        }
        Program p;
        readFile(p, "Command11", write("long.txt", text));
        QVERIFY(p.acceptRoot() > 0);
        QCOMPARE(p.equation(), QStringLiteral("x^ 21- .5x^ 14- 1.5 = 0"));
        QVERIFY(p.button("Command14")->isEnabled());
    }

    void theShippedExamplesRead()
    {
        // Format B's survival rates are l(1) / l(0), l(2) / l(1), l(3) / l(2): the double quotient
        // 0.2 / 0.35 is 0.571428571428571507..., just above the 15-digit tie.
        const std::array<const char *, 4> examples[]
            = {{"Command11", "ExampleA-1.txt", "x^ 7-", "0 0.6 1.9 2.2 0.42 0.63 0.71"},
               {"Command11", "ExampleA-2.txt", "x^ 26-", "0 0 0 0 0.35 0.6 0.75"},
               {"Command12", "ExampleB.txt", "x^ 9-", "0 0 1.8 2.5 0.35 0.571428571428572 0.65"}};
        for (const auto &[button, file, degree, cells] : examples) {
            Program p;
            p.dialogs.answerYes = false;
            readFile(p, button, QDir(QStringLiteral(TARNVALE_EXAMPLES_DIR)).filePath(file));
            QVERIFY2(p.dialogs.informed.isEmpty(), qPrintable(p.dialogs.informed.join('\n')));
            QCOMPARE(tableCells(p), QString::fromLatin1(cells).split(' '));
            p.click("Command1");
            QVERIFY2(p.equation().startsWith(QLatin1String(degree)), qPrintable(p.equation()));
        }
    }

    void theFileDialogStartsWhereTheExamplesLie()
    {
        QTemporaryDir program;
        const QString examples = QDir(program.path()).filePath("examples");
        QCOMPARE(ExamplesFolder(program.path()), QString());
        QCOMPARE(ExamplesFolder(QString()), QString());
        Program::writeFile(examples, ""); // a file, not a folder
        QCOMPARE(ExamplesFolder(program.path()), QString());
        QVERIFY(QFile::remove(examples) && QDir().mkdir(examples));
        QCOMPARE(ExamplesFolder(program.path()), examples);
    }

    void anInstalledProgramFindsTheExamplesInItsShareFolder()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const QDir root(prefix.path());
        QVERIFY(root.mkpath("bin"));
        const QString bin = root.filePath("bin");
        QCOMPARE(ExamplesFolder(bin), QString());
        QVERIFY(root.mkpath("share/tarnvale/examples"));
        QCOMPARE(ExamplesFolder(bin), root.filePath("share/tarnvale/examples"));
        // A folder beside the program comes first.
        QVERIFY(root.mkpath("bin/examples"));
        QCOMPARE(ExamplesFolder(bin), root.filePath("bin/examples"));
    }
};

QTEST_MAIN(DatafileTest)
#include "datafile_test.moc"
