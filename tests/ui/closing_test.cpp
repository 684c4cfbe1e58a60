#include "program.h"

#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

QString textOf(QWidget *window, const char *name)
{
    return Program::textOf(Program::childOf(window, QString::fromLatin1(name)));
}

// The parts of the analysis a closing window could spoil.
struct Snapshot
{
    AnalysisState state;
    QStringList cells;
    QString equation;
    bool tryEnabled;

    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(Program &p)
{
    return {p.state, p.cellTexts(), p.equation(), p.button("Command2")->isEnabled()};
}

QWidget *quit(Program &p)
{
    return p.openFromForm1(p.button("Command5"), "Copyrigh");
}

// Windows whose close through the frame ends the program.
struct Ending
{
    const char *name;
    QWidget *(*window)(Program &p);
};
const Ending kEndings[] = {
    {"main window", [](Program &p) -> QWidget * { return &p.form1(); }},
    {"background", [](Program &p) { return p.topLevel("Backform"); }},
    {"dedication",
     [](Program &p) {
         QTest::mouseClick(Program::childOf(quit(p), "cmdCommand1"), Qt::LeftButton);
         return p.topLevel("Vater");
     }},
};

} // namespace

class ClosingTest : public QObject
{
    Q_OBJECT

private slots:
    void quitShowsTheNoticeWithThisYear()
    {
        Program p;
        QWidget *notice = quit(p);
        QVERIFY(notice);
        QCOMPARE(notice->windowTitle(), QStringLiteral("Copyright"));
        const int year = QDate::currentDate().year();
        const std::pair<const char *, QString> texts[] = {
            {"lblLabel5", QStringLiteral("Copyright (C) %1 the Tarnvale authors.").arg(year)},
            {"lblLabel7",
             QStringLiteral("If you use this program in your research, please cite the "
                            "following  reference in your paper:\n\nThe Tarnvale authors. %1. "
                            "Tarnvale: the dominant root of the Lewis-Leslie matrix, a teaching "
                            "program. Published by the Tarnvale authors with its source code.")
                 .arg(year)},
            {"cmdCommand1", QStringLiteral("OK")},
        };
        for (const auto &[name, text] : texts)
            QCOMPARE(textOf(notice, name), text);
        // The notices of use, warranty and where to get new versions, under an empty first line.
        QCOMPARE(textOf(notice, "lblLabel1"), QString());
        for (const char *name : {"lblLabel2", "lblLabel3", "lblLabel4", "lblLabel6"})
            QVERIFY2(!textOf(notice, name).isEmpty(), name);
        QVERIFY(!Program::childOf<QLabel>(notice, "picPicture1")->pixmap().isNull());
        QVERIFY(!p.windows->ended());
    }

    void closingTheNoticeByItsFrameReturnsWithTheAnalysisUntouched()
    {
        // state: an equation built from an edited matrix; action: Quit, then the notice's frame
        // closes it; expected: the main window as it was, and a fresh notice on the next Quit.
        Program p;
        p.typeInCell(3, QStringLiteral("2"));
        p.enterInCell(3);
        p.click("Command1");
        const Snapshot before = snapshot(p);

        QWidget *notice = quit(p);
        QVERIFY(notice);
        const QString citation = textOf(notice, "lblLabel7");
        Program::childOf<QLabel>(notice, "lblLabel7")->setText(QStringLiteral("old"));
        Program::closeThroughFrame(notice);
        QVERIFY(p.backOnForm1());
        QVERIFY(!p.windows->ended());
        QVERIFY(!p.topLevel("Copyrigh"));
        QVERIFY(snapshot(p) == before);

        QWidget *again = quit(p);
        QVERIFY(again);
        QCOMPARE(textOf(again, "lblLabel7"), citation);
    }

    void okLeadsToTheDedicationWhoseButtonEndsTheProgramAndWritesNoFile()
    {
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            Program p;
            p.click("Command1");
            const Snapshot analysis = snapshot(p);
            QWidget *notice = quit(p);
            QTest::mouseClick(Program::childOf(notice, "cmdCommand1"), Qt::LeftButton);
            QVERIFY(!notice->isVisible() && !p.form1().isVisible());
            QWidget *dedication = p.topLevel("Vater");
            QVERIFY(dedication && dedication->isVisible());
            QCOMPARE(dedication->windowTitle(), QStringLiteral("Dedication"));
            QCOMPARE(textOf(dedication, "Command1"), QStringLiteral("God rest his soul"));
            // The photograph sits in the middle of its frame, within a pixel of rounding.
            auto *frame = Program::childOf<QGroupBox>(dedication, "Frame1");
            auto *photo = Program::childOf<QLabel>(dedication, "Picture2");
            QCOMPARE(photo->parentWidget(), frame);
            QVERIFY(!photo->pixmap().isNull());
            QVERIFY(qAbs((frame->width() - photo->width()) / 2.0 - photo->x()) <= 1.0);
            QVERIFY(qAbs((frame->height() - photo->height()) / 2.0 - photo->y()) <= 1.0);
            QVERIFY(!p.windows->ended());

            QTest::mouseClick(Program::childOf(dedication, "Command1"), Qt::LeftButton);
            QVERIFY(p.windows->ended());
            for (QWidget *window : QApplication::topLevelWidgets())
                QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
            QVERIFY(snapshot(p) == analysis);
            QVERIFY(p.dialogs.calls.isEmpty());
        }
        QVERIFY(QDir::setCurrent(before));
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void closingTheseWindowsByTheirFrameEndsTheProgram_data() { addRows(kEndings); }
    void closingTheseWindowsByTheirFrameEndsTheProgram()
    {
        Program p;
        QWidget *window = fetchRow(kEndings).window(p);
        QVERIFY(window && window->isVisible());
        QVERIFY(!p.windows->ended());
        window->close();
        QVERIFY(p.windows->ended());
        QVERIFY(!p.form1().isVisible());
    }
};

QTEST_MAIN(ClosingTest)
#include "closing_test.moc"
