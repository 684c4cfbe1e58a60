#include "program.h"

#include "ui/common/dialogs.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

const QString kQuestion
    = QStringLiteral("Info for datafile input: Do you want to see the format of the datafile?");
const QString kFormatA = QStringLiteral("Datafile format: Write your datafile as:\n"
                                        "age, fecundity, survival rate\n"
                                        "\n"
                                        "\"age,f(x),s(x)\" (This line is necessary)\n"
                                        "0,0,1\n"
                                        "1,0,0.9\n"
                                        "2,1,1\n"
                                        "3,2,0.5\n"
                                        ".....");
const QString kFormatB = QStringLiteral("Datafile format: Write your datafile as:\n"
                                        "age, survival rate, fecundity\n"
                                        "\n"
                                        "\"age,l(x),m(x)\" (This line is necessary)\n"
                                        "0,1,0\n"
                                        "1,1,0\n"
                                        "2,0.9,1\n"
                                        "3,0.8,1\n"
                                        "4,0.5,3\n"
                                        ".......");

const char *const kExampleA = "\"age,f(x),s(x)\"\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5\n";
const char *const kExampleB = "\"age,l(x),m(x)\"\n0,1,0\n1,1,0\n2,0.9,1\n3,0.8,1\n4,0.5,3\n";

} // namespace

class DatafileTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    // "Datafile A" or "Datafile B" pressed, the question answered Yes, `path` chosen.
    static void readFile(Program &p, const char *button, const QString &path)
    {
        p.dialogs.openFile = path;
        QTest::mouseClick(p.button(button), Qt::LeftButton);
    }

    static QStringList cellTexts(Program &p)
    {
        QStringList texts;
        for (int i = 0; i < 16; ++i)
            texts << p.cell(i)->text();
        return texts;
    }
    static QString equationBox(Program &p)
    {
        return p.control<QPlainTextEdit>("Text1")->toPlainText();
    }
    static bool linesShown(Program &p, std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            if (p.control(name)->isHidden())
                return false;
        return true;
    }
    static bool linesHidden(Program &p, std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            if (!p.control(name)->isHidden())
                return false;
        return true;
    }
    static bool anyCellLocked(Program &p)
    {
        for (int i = 0; i < 16; ++i)
            if (p.cell(i)->isReadOnly())
                return true;
        return false;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

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
        const QStringList cells = cellTexts(p);
        QTest::mouseClick(p.button(button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(p.dialogs.calls, (QStringList {"askYesNo", "inform", "chooseOpenFile"}));
        QCOMPARE(p.dialogs.asked, QStringList {kQuestion});
        QCOMPARE(p.dialogs.informed, QStringList {format});
        QVERIFY(p.state == before);
        QCOMPARE(cellTexts(p), cells);
        QVERIFY(!anyCellLocked(p));
        QVERIFY(linesShown(p, {"Line1", "Line2", "Line3", "Line4", "Line5", "Line6"}));
        QVERIFY(p.button("Command1")->isEnabled());
    }

    void answeringNoGoesStraightToTheFileDialog()
    {
        Program p;
        p.dialogs.answerYes = false;
        readFile(p, "Command12", write("b.txt", kExampleB));
        QCOMPARE(p.dialogs.calls, (QStringList {"askYesNo", "chooseOpenFile"}));
        QVERIFY(p.dialogs.informed.isEmpty());
        QCOMPARE(p.state.LastAgeClass, 4);
    }

    void formatAExampleFillsTheCellsLocksThemAndOffersFormula()
    {
        Program p;
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QVERIFY(!equationBox(p).isEmpty());
        QStringList expected = cellTexts(p);
        const QString path = write("a.txt", kExampleA);
        readFile(p, "Command11", path);

        QVERIFY(p.dialogs.informed == QStringList {kFormatA});
        QCOMPARE(p.state.LastAgeClass, 3);
        QCOMPARE(p.state.DataLoaded, std::string("Yes"));
        QCOMPARE(p.state.DataFilePath, path.toStdString());
        // Fecundities 0, 0, 1, 2 in the first row, survival rates 1, 0.9, 1 on the sub-diagonal;
        // the other cells keep their texts.
        expected[0] = "0";
        expected[1] = "0";
        expected[2] = "1";
        expected[3] = "2";
        expected[4] = "1";
        expected[9] = "0.9";
        expected[14] = "1";
        QCOMPARE(cellTexts(p), expected);
        QCOMPARE(p.state.MatrixCell[9], 0.9f);
        for (int i = 0; i < 16; ++i)
            QVERIFY2(p.cell(i)->isReadOnly(), qPrintable(QString::number(i)));
        QVERIFY(linesShown(p, {"Line1", "Line2"}));
        QVERIFY(linesHidden(p, {"Line3", "Line4", "Line5", "Line6"}));
        QVERIFY(p.button("Command1")->isEnabled());
        // The cell changes cleared the equation of the matrix and disabled what followed it.
        QCOMPARE(equationBox(p), QString());
        QVERIFY(!p.button("Command2")->isEnabled());
        QVERIFY(!p.button("Command6")->isEnabled());
    }

    void formatBExampleShowsTheConvertedRates()
    {
        Program p;
        readFile(p, "Command12", write("b.txt", kExampleB));
        QCOMPARE(p.cell(0)->text(), QStringLiteral("0"));
        QCOMPARE(p.cell(1)->text(), QStringLiteral("0"));
        QCOMPARE(p.cell(2)->text(), QStringLiteral("1"));
        QCOMPARE(p.cell(3)->text(), QStringLiteral("1"));
        QCOMPARE(p.cell(4)->text(), QStringLiteral("1"));
        QCOMPARE(p.cell(9)->text(), QStringLiteral("0.9"));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0.888888888888889"));
        QCOMPARE(p.state.MatrixCell[14], static_cast<float>(0.8 / 0.9));
    }

    void fewerThanFourAgeClassesShowWhatTheSlotsHold()
    {
        // Two age classes and an end marker: the cells after the table show the marker's values
        // and, where nothing was ever read, empty text.
        Program p;
        readFile(p, "Command11",
                 write("two.txt", "\"age,f(x),s(x)\"\n0,2,0.5\n1,3,0.25\n-1,7,8\n"));
        QCOMPARE(p.state.LastAgeClass, 1);
        QCOMPARE(p.cell(0)->text(), QStringLiteral("2"));
        QCOMPARE(p.cell(1)->text(), QStringLiteral("3"));
        QCOMPARE(p.cell(2)->text(), QStringLiteral("7"));
        QCOMPARE(p.cell(3)->text(), QString());
        QCOMPARE(p.cell(4)->text(), QStringLiteral("0.5"));
        QCOMPARE(p.cell(9)->text(), QStringLiteral("0.25"));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("8"));

        // A later file of one age class leaves the earlier values beyond it on show.
        readFile(p, "Command11", write("one.txt", "\"age,f(x),s(x)\"\n0,4,0.75\n"));
        QCOMPARE(p.state.LastAgeClass, 0);
        QCOMPARE(p.cell(0)->text(), QStringLiteral("4"));
        QCOMPARE(p.cell(1)->text(), QStringLiteral("3"));
        QCOMPARE(p.cell(2)->text(), QStringLiteral("7"));
        QCOMPARE(p.cell(4)->text(), QStringLiteral("0.75"));
        QCOMPARE(p.cell(9)->text(), QStringLiteral("0.25"));
    }

    void refusedFilesShowAMessageAndChangeNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString missing = m_dir.filePath("missing.txt");
        const QString folder = m_dir.filePath("folder");
        QDir().mkpath(folder);
        const QString header = write("header.txt", "age,f(x),s(x)\n0,0,1\n1,0,0.9\n");
        const QString empty = write("empty.txt", "\"age,l(x),m(x)\"\n-1,0,0\n");
        const QString blank = write("blank.txt", QByteArray(kExampleA) + "\n\n");
        const QString nothing = QStringLiteral("\n\nNothing has been changed.");
        QTest::newRow("missing") << "Command11" << missing
                                 << "The file \"" + missing + "\" does not exist." + nothing;
        QTest::newRow("folder") << "Command12" << folder
                                << "\"" + folder + "\" is a folder, not a file." + nothing;
        QTest::newRow("header without quotes") << "Command11" << header
                                               << "Line 1 of the file \"" + header
                + "\": the age x of age class 0 is \"f(x)\", which is not a number. This record "
                  "does not begin at the start of a line, so the fields seem shifted: the first "
                  "line must be a header in double quotes, such as \"age,f(x),s(x)\", and each "
                  "record must have exactly three fields."
                + nothing;
        QTest::newRow("no age classes") << "Command12" << empty
                                        << "Line 2 of the file \"" + empty
                + "\" starts with the age -1, which ends the table before any age class." + nothing;
        QTest::newRow("blank lines after the last record") << "Command11" << blank
                                                           << "The file \"" + blank
                + "\" ends inside the record that starts on line 6: the record has 2 of its 3 "
                  "fields. Blank lines after the last record count as empty fields; delete them."
                + nothing;
    }
    void refusedFilesShowAMessageAndChangeNothing()
    {
        QFETCH(QString, button);
        QFETCH(QString, path);
        QFETCH(QString, message);

        // In matrix mode: the matrix stays editable and the mode stays.
        {
            Program p;
            p.dialogs.answerYes = false;
            const AnalysisState before = p.state;
            const QStringList cells = cellTexts(p);
            readFile(p, button.toLatin1().constData(), path);
            QCOMPARE(p.dialogs.informed, QStringList {"Datafile input: " + message});
            QVERIFY(p.state == before);
            QCOMPARE(cellTexts(p), cells);
            QVERIFY(!anyCellLocked(p));
            QVERIFY(linesShown(p, {"Line3", "Line4", "Line5", "Line6"}));
        }
        // In data-file mode, after a table and its equation: all of it stays.
        {
            Program p;
            p.dialogs.answerYes = false;
            readFile(p, "Command12", write("good.txt", kExampleB));
            QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
            const QString equation = equationBox(p);
            QVERIFY(equation.startsWith(QStringLiteral("x^ 5")));
            const AnalysisState before = p.state;
            const QStringList cells = cellTexts(p);
            readFile(p, button.toLatin1().constData(), path);
            QCOMPARE(p.dialogs.informed.last(), "Datafile input: " + message);
            QVERIFY(p.state == before);
            QCOMPARE(cellTexts(p), cells);
            QCOMPARE(equationBox(p), equation);
            QVERIFY(p.button("Command2")->isEnabled());
        }
    }

    void cancellingKeepsTheTableAndForgetsTheFileName()
    {
        // The dialog's empty name is the file name from then on; the table and the mode stay.
        Program p;
        const QString path = write("b.txt", kExampleB);
        readFile(p, "Command12", path);
        AnalysisState before = p.state;
        const QStringList cells = cellTexts(p);
        readFile(p, "Command11", QString());
        QVERIFY(p.state.DataFilePath.empty());
        before.DataFilePath.clear();
        QVERIFY(p.state == before);
        QCOMPARE(p.state.DataLoaded, std::string("Yes"));
        QCOMPARE(cellTexts(p), cells);
    }

    void aNewTableClearsResultsEvenWhenItsFirstCellsReadTheSame()
    {
        // state: a table read and its equation written; action: a second file whose first
        // values equal the first file's; expected: the old equation is gone, Formula offered.
        Program p;
        readFile(p, "Command11", write("a.txt", kExampleA));
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QVERIFY(!equationBox(p).isEmpty());
        QVERIFY(p.button("Command2")->isEnabled());
        readFile(p, "Command11", write("a2.txt", QByteArray(kExampleA) + "4,3,0.5\n"));
        QCOMPARE(p.state.LastAgeClass, 4);
        QCOMPARE(equationBox(p), QString());
        QVERIFY(!p.button("Command2")->isEnabled());
        QVERIFY(p.button("Command1")->isEnabled());
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
        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        p.cell(14)->setFocus();
        QTest::keyClicks(p.cell(14), QStringLiteral("7"));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0"));

        p.button("Command1")->setEnabled(false);
        p.enterInCell(14);
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0.5"));
        QCOMPARE(p.state.MatrixCell[14], 0.5f);
        QCOMPARE(std::get<double>(p.state.Survival[2]), 0.0);
        QVERIFY(p.cell(14)->isReadOnly());
        QVERIFY(p.button("Command1")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), p.button("Command1"));

        // Coefficients: 1 * 0.5 for x^2, 2 * 0.5 * 0.8 for x; the last one is 0 and left out.
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QCOMPARE(equationBox(p), QStringLiteral("x^ 4- .5x^ 2- .8x = 0"));
        QCOMPARE(p.cell(14)->text(), QStringLiteral("0.5"));
    }

    void formulaWritesTheEquationOfALongTable()
    {
        // 21 age classes, survival 1 except s(0) = 0.5, fecundity only at ages 6 and 20:
        // c(6) = 1 * 0.5 and c(20) = 3 * 0.5, so f(x) = x^21 - 0.5 x^14 - 1.5.
        QByteArray text = "\"age,f(x),s(x)\"\n";
        for (int age = 0; age <= 20; ++age) {
            const int f = age == 6 ? 1 : age == 20 ? 3 : 0;
            text += QByteArray::number(age) + "," + QByteArray::number(f) + ","
                + (age == 0 ? "0.5" : "1") + "\n";
        }
        Program p;
        readFile(p, "Command11", write("long.txt", text));
        QCOMPARE(p.state.LastAgeClass, 20);
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QCOMPARE(equationBox(p), QStringLiteral("x^ 21- .5x^ 14- 1.5 = 0"));
        QCOMPARE(p.state.EquationText, std::string("f(x)= x^ 21- .5x^ 14- 1.5"));
        QVERIFY(p.button("Command2")->isEnabled());
    }

    void theShippedExamplesRead_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("lastAgeClass");
        QTest::addColumn<QStringList>("cells"); // m(0) m(1) m(2) m(3) m(4) m(9) m(14)
        QTest::newRow("A-1") << "Command11"
                             << "ExampleA-1.txt" << 6
                             << QStringList {"0", "0.6", "1.9", "2.2", "0.42", "0.63", "0.71"};
        QTest::newRow("A-2") << "Command11"
                             << "ExampleA-2.txt" << 25
                             << QStringList {"0", "0", "0", "0", "0.35", "0.6", "0.75"};
        // Survival rates of format B: l(1) / l(0), l(2) / l(1), l(3) / l(2). The double quotient
        // 0.2 / 0.35 is 0.571428571428571507..., just above the 15-digit tie.
        QTest::newRow("B") << "Command12"
                           << "ExampleB.txt" << 8
                           << QStringList {"0",   "0", "1.8", "2.5", "0.35", "0.571428571428572",
                                           "0.65"};
    }
    void theShippedExamplesRead()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(int, lastAgeClass);
        QFETCH(QStringList, cells);
        Program p;
        p.dialogs.answerYes = false;
        readFile(p, button.toLatin1().constData(),
                 QDir(QStringLiteral(TARNVALE_EXAMPLES_DIR)).filePath(file));
        QVERIFY2(p.dialogs.informed.isEmpty(), qPrintable(p.dialogs.informed.join('\n')));
        QCOMPARE(p.state.LastAgeClass, lastAgeClass);
        const int shown[] = {0, 1, 2, 3, 4, 9, 14};
        for (int k = 0; k < 7; ++k)
            QCOMPARE(p.cell(shown[k])->text(), cells[k]);
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QVERIFY(equationBox(p).startsWith("x^ " + QString::number(lastAgeClass + 1)));

        // TARNVALE_GRAB_DIR=folder keeps a picture of the window with the table loaded.
        const QString grabs = qEnvironmentVariable("TARNVALE_GRAB_DIR");
        if (!grabs.isEmpty())
            QVERIFY(p.form1().grab().save(QDir(grabs).filePath("datafile-" + file + ".png")));
    }

    void theFileDialogStartsWhereTheExamplesLie()
    {
        QTemporaryDir program;
        QVERIFY(program.isValid());
        QCOMPARE(ExamplesFolder(program.path()), QString());
        QCOMPARE(ExamplesFolder(QString()), QString());
        QFile plain(QDir(program.path()).filePath("examples"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QCOMPARE(ExamplesFolder(program.path()), QString()); // a file, not a folder
        QVERIFY(plain.remove());
        QVERIFY(QDir(program.path()).mkdir("examples"));
        QCOMPARE(ExamplesFolder(program.path()), QDir(program.path()).filePath("examples"));
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
