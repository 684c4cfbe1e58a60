#include "program.h"

#include "ui/Copyrigh/copyrigh.h"

#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

template<typename T = QWidget> T *child(QWidget *window, const char *name)
{
    T *found = window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

QString labelText(QWidget *window, const char *name)
{
    return child<QLabel>(window, name)->text();
}

// The parts of the analysis a closing window could spoil.
struct Snapshot
{
    std::array<float, 16> cells;
    std::string equation;
    CellTexts cellTexts;
    QString equationBox;
    bool tryEnabled;

    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(Program &p)
{
    return {p.state.MatrixCell, p.state.EquationText, p.form1().cellTexts(),
            p.control<QPlainTextEdit>("Text1")->toPlainText(), p.button("Command2")->isEnabled()};
}

} // namespace

class ClosingTest : public QObject
{
    Q_OBJECT

private:
    static QWidget *quit(Program &p)
    {
        QTest::mouseClick(p.button("Command5"), Qt::LeftButton);
        QWidget *notice = p.topLevel("Copyrigh");
        if (!notice || !notice->isVisible() || p.form1().isVisible())
            return nullptr;
        return notice;
    }

private slots:
    void noticeTextsCarryTheYearTheyAreGiven()
    {
        QCOMPARE(BuildCitationText(2031),
                 QStringLiteral("If you use this program in your research, please cite the "
                                "following  reference in your paper:\n\nThe Tarnvale authors. "
                                "2031. Tarnvale: the dominant root of the Lewis-Leslie matrix, a "
                                "teaching program. Published by the Tarnvale authors with its "
                                "source code."));
        QCOMPARE(BuildNoticeLine(1999), QStringLiteral("Copyright (C) 1999 the Tarnvale authors."));
        QCOMPARE(BuildNewVersionText(),
                 QStringLiteral("You can get new version of this program at:\n"
                                "1. the release page of the Tarnvale project\n"
                                "(the Tarnvale authors)\n"
                                "2. the source repository of Tarnvale\n"
                                "(the Tarnvale authors)\n"
                                "3. the teacher or colleague who gave you this copy"));
    }

    void quitShowsTheNoticeWithThisYear()
    {
        Program p;
        QWidget *notice = quit(p);
        QVERIFY(notice);
        QCOMPARE(notice->windowTitle(), QStringLiteral("Copyright"));
        const int year = QDate::currentDate().year();
        QCOMPARE(labelText(notice, "lblLabel7"), BuildCitationText(year));
        QCOMPARE(labelText(notice, "lblLabel6"), BuildNewVersionText());
        QCOMPARE(labelText(notice, "lblLabel5"), BuildNoticeLine(year));
        QVERIFY(labelText(notice, "lblLabel5").contains(QString::number(year)));
        QCOMPARE(labelText(notice, "lblLabel1"), QString());
        QCOMPARE(labelText(notice, "lblLabel2"),
                 QStringLiteral("Tarnvale is a program for teaching and research in population "
                                "ecology. You may use it, copy it and pass it on free of charge, "
                                "as long as these notices go with it."));
        QCOMPARE(labelText(notice, "lblLabel3"),
                 QStringLiteral("It comes as it is, without warranty of any kind: check every "
                                "result you publish by an independent calculation."));
        QCOMPARE(labelText(notice, "lblLabel4"),
                 QStringLiteral("Its texts and pictures were made for Tarnvale by the Tarnvale "
                                "authors."));
        QVERIFY(!child<QLabel>(notice, "picPicture1")->pixmap().isNull());
        QCOMPARE(child<QPushButton>(notice, "cmdCommand1")->text(), QStringLiteral("OK"));
        QVERIFY(!p.windows->ended());
    }

    void closingTheNoticeByItsFrameReturnsWithTheAnalysisUntouched()
    {
        // state: an equation built from an edited matrix; action: Quit, then the notice's frame
        // closes it; expected: the main window as it was, and a fresh notice on the next Quit.
        Program p;
        p.typeInCell(3, QStringLiteral("2"));
        p.enterInCell(3);
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        const Snapshot before = snapshot(p);
        QVERIFY(!before.equation.empty());

        QWidget *notice = quit(p);
        QVERIFY(notice);
        child<QLabel>(notice, "lblLabel7")->setText(QStringLiteral("old"));
        Program::closeThroughFrame(notice);

        QVERIFY(p.form1().isVisible());
        QVERIFY(!p.windows->ended());
        QVERIFY(!p.topLevel("Copyrigh"));
        QVERIFY(snapshot(p) == before);

        QWidget *again = quit(p);
        QVERIFY(again);
        QCOMPARE(labelText(again, "lblLabel7"), BuildCitationText(QDate::currentDate().year()));
    }

    void okLeadsToTheDedication()
    {
        Program p;
        QWidget *notice = quit(p);
        QTest::mouseClick(child(notice, "cmdCommand1"), Qt::LeftButton);
        QVERIFY(!notice->isVisible());
        QVERIFY(!p.form1().isVisible());
        QWidget *dedication = p.topLevel("Vater");
        QVERIFY(dedication);
        QVERIFY(dedication->isVisible());
        QCOMPARE(dedication->windowTitle(), QStringLiteral("Dedication"));
        QCOMPARE(child<QPushButton>(dedication, "Command1")->text(),
                 QStringLiteral("God rest his soul"));

        // The photograph sits in the middle of its frame, within a pixel of rounding.
        auto *frame = child<QGroupBox>(dedication, "Frame1");
        auto *photo = child<QLabel>(dedication, "Picture2");
        QCOMPARE(photo->parentWidget(), frame);
        QVERIFY(!photo->pixmap().isNull());
        QVERIFY(qAbs((frame->width() - photo->width()) / 2.0 - photo->x()) <= 1.0);
        QVERIFY(qAbs((frame->height() - photo->height()) / 2.0 - photo->y()) <= 1.0);
        QVERIFY(!p.windows->ended());
    }

    void theDedicationButtonEndsTheProgramAndWritesNoFile()
    {
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            Program p;
            QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
            const Snapshot analysis = snapshot(p);
            QWidget *notice = quit(p);
            QTest::mouseClick(child(notice, "cmdCommand1"), Qt::LeftButton);
            QWidget *dedication = p.topLevel("Vater");
            QTest::mouseClick(child(dedication, "Command1"), Qt::LeftButton);

            QVERIFY(p.windows->ended());
            for (QWidget *window : QApplication::topLevelWidgets())
                QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
            QVERIFY(snapshot(p) == analysis);
            QVERIFY(p.dialogs.asked.isEmpty());
            QVERIFY(p.dialogs.informed.isEmpty());
        }
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void closingTheDedicationByItsFrameEndsTheProgram()
    {
        Program p;
        QWidget *notice = quit(p);
        QTest::mouseClick(child(notice, "cmdCommand1"), Qt::LeftButton);
        p.topLevel("Vater")->close();
        QVERIFY(p.windows->ended());
        QVERIFY(!p.form1().isVisible());
    }
};

QTEST_MAIN(ClosingTest)
#include "closing_test.moc"
