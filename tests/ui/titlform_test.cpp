#include "program.h"

#include "ui/Backform/backform.h"
#include "ui/common/controls.h"
#include "ui/common/twips.h"
#include "ui/titlform/titlform.h"

#include <QLabel>
#include <QTimer>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

QLabel *copyOfTitle(QWidget *splash, int index)
{
    auto *label = splash->findChild<QLabel *>(QStringLiteral("Label1(%1)").arg(index));
    if (!label)
        qFatal("no Label1(%d)", index);
    return label;
}

// The indices of the copies of the word that are shown.
QList<int> shownCopies(QWidget *splash)
{
    QList<int> shown;
    for (int i = 0; i < 8; ++i) {
        if (!copyOfTitle(splash, i)->isHidden())
            shown << i;
    }
    return shown;
}

} // namespace

class TitlformTest : public QObject
{
    Q_OBJECT

private slots:
    void advanceRunsThroughNineFramesFromTheStartValues()
    {
        // state: both counters 0, as at program start; action: 20 ticks;
        // expected: frames 1 ... 8, 0, 1 ...; frame 8 shows nothing and keeps the last copy as
        // the one to hide.
        struct Tick
        {
            int phase, shownLabel, hide, show;
        };
        const Tick ticks[] = {
            {1, 1, 0, 1}, {2, 2, 1, 2},  {3, 3, 2, 3},  {4, 4, 3, 4}, {5, 5, 4, 5},
            {6, 6, 5, 6}, {7, 7, 6, 7},  {8, 7, 7, -1}, {0, 0, 7, 0}, {1, 1, 0, 1},
            {2, 2, 1, 2}, {3, 3, 2, 3},  {4, 4, 3, 4},  {5, 5, 4, 5}, {6, 6, 5, 6},
            {7, 7, 6, 7}, {8, 7, 7, -1}, {0, 0, 7, 0},  {1, 1, 0, 1}, {2, 2, 1, 2},
        };
        AnalysisState state;
        int n = 0;
        for (const Tick &t : ticks) {
            const TitleFrame frame = AdvanceTitle(state);
            ++n;
            QCOMPARE(state.TitlePhase, t.phase);
            QCOMPARE(state.TitleShownLabel, t.shownLabel);
            QCOMPARE(frame.hide, t.hide);
            QCOMPARE(frame.show.value_or(-1), t.show);
        }
        QCOMPARE(n, 20);
    }

    void splashAndBackgroundAreLaidOutAsDesigned()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QVERIFY(!p.form1().isVisible());
        QCOMPARE(splash->windowTitle(), QStringLiteral("Titleform"));
        QCOMPARE(splash->palette().color(QPalette::Window), QColor(0, 0, 64));

        struct Copy
        {
            double points;
            int left, top, width, height;
        };
        const Copy copies[8] = {
            {18, 3600, 6000, 5172, 492},    {24, 3120, 5520, 6132, 612},
            {30, 3360, 4800, 5652, 852},    {36, 2400, 4080, 7692, 972},
            {43.8, 2400, 3240, 7692, 1212}, {54, 2640, 2160, 7212, 1452},
            {64.8, 2520, 1200, 7692, 1692}, {73.8, 2400, 0, 7692, 1692},
        };
        for (int i = 0; i < 8; ++i) {
            QLabel *copy = copyOfTitle(splash, i);
            QCOMPARE(copy->text(), QStringLiteral("Tarnvale"));
            QCOMPARE(copy->font().pointSizeF(), copies[i].points);
            QCOMPARE(copy->geometry(),
                     TwipsRect(copies[i].left, copies[i].top, copies[i].width, copies[i].height));
            QCOMPARE(ForeColor(copy), kYellow);
            QVERIFY2(copy->isHidden(), qPrintable(copy->objectName()));
        }
        auto *prompt = splash->findChild<QLabel *>(QStringLiteral("Label2"));
        QVERIFY(prompt);
        QCOMPARE(prompt->text(), QStringLiteral("Press any key or click mouse to start."));
        QCOMPARE(prompt->font().pointSizeF(), 13.8);
        QVERIFY(prompt->isVisible());
        auto *timer = splash->findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 200);
        QVERIFY(timer->isActive());

        auto *ground = p.topLevel("Backform");
        QVERIFY(ground);
        QVERIFY(ground->isVisible());
        QVERIFY(ground->windowState() & Qt::WindowMaximized);
        QCOMPARE(ground->windowTitle(), QStringLiteral("Tarnvale4"));
        QCOMPARE(ground->palette().color(QPalette::Window), QColor(0, 0, 64));
    }

    void ticksShowOneCopyAtATimeAndFrameEightShowsNone()
    {
        Program p(false);
        auto *splash = p.topLevel<titlform>("titlform");
        const QList<QList<int>> expected = {{1}, {2}, {3}, {4}, {5}, {6}, {7}, {}, {0}, {1}, {2}};
        for (const QList<int> &shown : expected) {
            splash->Timer1_Timer();
            QCOMPARE(shownCopies(splash), shown);
        }
        QCOMPARE(p.state.TitlePhase, 2);
        QCOMPARE(p.state.TitleShownLabel, 2);
    }

    void theTimerDrivesTheAnimation()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QTRY_COMPARE_WITH_TIMEOUT(shownCopies(splash), QList<int> {1}, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(shownCopies(splash), QList<int> {2}, 1000);
    }

    void aKeyBeforeTheFirstTickShowsTheMainWindowAsStartUpLeftIt()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QTest::keyClick(splash, Qt::Key_A);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
        QCOMPARE(p.state.TitlePhase, 0);
        QVERIFY(shownCopies(splash).isEmpty());
        QVERIFY(p.control("Label18")->isVisible());
        QVERIFY(p.button("Command1")->isEnabled());
        QVERIFY(!p.button("Command2")->isEnabled());
        // Nothing is left running behind the hidden splash.
        QVERIFY(!splash->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());

        QTest::keyClick(splash, Qt::Key_Return);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
    }

    void aModifierAloneIsNotTheKeyAskedFor()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QTest::keyClick(splash, Qt::Key_Shift);
        QVERIFY(splash->isVisible());
        QVERIFY(!p.form1().isVisible());
        QTest::keyClick(splash, Qt::Key_F5);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
    }

    void aClickOnTheFormDismisses()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QVERIFY(!splash->childAt(5, 5));
        QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
    }

    void aClickOnTheShownCopyDismisses()
    {
        Program p(false);
        auto *splash = p.topLevel<titlform>("titlform");
        splash->Timer1_Timer();
        QTest::mouseClick(copyOfTitle(splash, 1), Qt::LeftButton);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
    }

    void aClickOnThePromptDismisses()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QTest::mouseClick(splash->findChild<QLabel *>(QStringLiteral("Label2")), Qt::LeftButton);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
    }

    void aDoubleClickDismissesAndRepeatingDoesNoHarm()
    {
        // A double click raises a click first; every reaction after the first finds the splash
        // hidden and the main window shown, and leaves them so.
        Program p(false);
        auto *splash = p.topLevel<titlform>("titlform");
        QTest::mouseDClick(splash, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());

        splash->Form_DblClick();
        splash->Label1_DblClick(4);
        splash->Label2_DblClick();
        splash->Form_Click();
        splash->Label1_Click(0);
        splash->Form_KeyPress(32);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
        QCOMPARE(&p.form1(), p.topLevel("Form1"));
        QCOMPARE(p.state.TitlePhase, 0);
    }

    void aDoubleClickOnACopyDismisses()
    {
        Program p(false);
        auto *splash = p.topLevel<titlform>("titlform");
        splash->Timer1_Timer();
        QTest::mouseDClick(copyOfTitle(splash, 1), Qt::LeftButton);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
    }

    void closingTheSplashByItsFrameStartsTheProgram()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        splash->close();
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
        QVERIFY(!p.windows->ended());
    }

    void closingTheBackgroundEndsTheProgram()
    {
        Program p;
        auto *ground = p.topLevel("Backform");
        ground->close();
        QVERIFY(p.windows->ended());
        QVERIFY(!p.form1().isVisible());
    }
};

QTEST_MAIN(TitlformTest)
#include "titlform_test.moc"
