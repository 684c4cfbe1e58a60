#include "program.h"

#include "ui/common/controls.h"
#include "ui/titlform/titlform.h"

#include <QTimer>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

QLabel *copyOfTitle(QWidget *splash, int index)
{
    return Program::childOf<QLabel>(splash, QStringLiteral("Label1(%1)").arg(index));
}

QWidget *prompt(QWidget *splash)
{
    return Program::childOf(splash, QStringLiteral("Label2"));
}

QTimer *timer(QWidget *splash)
{
    return Program::childOf<QTimer>(splash, QStringLiteral("Timer1"));
}

// The copies of the word on show, as "3", or "-" for none.
QString shownCopies(QWidget *splash)
{
    QStringList shown;
    for (int i = 0; i < 8; ++i) {
        if (!copyOfTitle(splash, i)->isHidden())
            shown << QString::number(i);
    }
    return shown.isEmpty() ? QStringLiteral("-") : shown.join(',');
}

// The ways a user may dismiss the splash.
struct Dismissal
{
    const char *name;
    void (*act)(titlform *splash);
};
const Dismissal kDismissals[] = {
    {"a key", [](titlform *s) { QTest::keyClick(s, Qt::Key_A); }},
    {"a function key", [](titlform *s) { QTest::keyClick(s, Qt::Key_F5); }},
    {"a click on the form",
     [](titlform *s) {
         QTest::mouseClick(s, Qt::LeftButton, {}, {5, 5});
     }},
    {"a click on the shown copy",
     [](titlform *s) {
         s->Timer1_Timer();
         QTest::mouseClick(copyOfTitle(s, 1), Qt::LeftButton);
     }},
    {"a click on the prompt", [](titlform *s) { QTest::mouseClick(prompt(s), Qt::LeftButton); }},
    {"a double click on the form",
     [](titlform *s) {
         QTest::mouseDClick(s, Qt::LeftButton, {}, {5, 5});
     }},
    {"a double click on the shown copy",
     [](titlform *s) {
         s->Timer1_Timer();
         QTest::mouseDClick(copyOfTitle(s, 1), Qt::LeftButton);
     }},
    {"closing through the frame", [](titlform *s) { s->close(); }},
};

} // namespace

class TitlformTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpShowsTheSplashOverTheBackground()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QVERIFY(splash && splash->isVisible());
        QVERIFY(!p.form1().isVisible());
        QCOMPARE(splash->windowTitle(), QStringLiteral("Titleform"));
        QCOMPARE(splash->palette().color(QPalette::Window), QColor(0, 0, 64));
        // The word rises and grows from copy to copy.
        for (int i = 0; i < 8; ++i) {
            QLabel *copy = copyOfTitle(splash, i);
            QCOMPARE(copy->text(), QStringLiteral("Tarnvale"));
            QCOMPARE(ForeColor(copy), kYellow);
            QVERIFY(copy->isHidden());
            if (i > 0) {
                QVERIFY(copy->y() < copyOfTitle(splash, i - 1)->y());
                QVERIFY(copy->font().pointSizeF()
                        > copyOfTitle(splash, i - 1)->font().pointSizeF());
            }
        }
        QCOMPARE(Program::textOf(prompt(splash)),
                 QStringLiteral("Press any key or click mouse to start."));
        QVERIFY(prompt(splash)->isVisible());
        QCOMPARE(timer(splash)->interval(), 200);
        QVERIFY(timer(splash)->isActive());

        auto *ground = p.topLevel("Backform");
        QVERIFY(ground && ground->isVisible());
        QVERIFY(ground->windowState() & Qt::WindowMaximized);
        QCOMPARE(ground->windowTitle(), QStringLiteral("Tarnvale4"));
        QCOMPARE(ground->palette().color(QPalette::Window), QColor(0, 0, 64));

        // A modifier alone is half a key combination, not the key asked for.
        QTest::keyClick(splash, Qt::Key_Shift);
        QVERIFY(splash->isVisible() && !p.form1().isVisible());
    }

    void ticksShowOneCopyAtATimeInACycleOfNine()
    {
        Program p(false);
        auto *splash = p.topLevel<titlform>("titlform");
        for (const QString &expected :
             QStringLiteral("1 2 3 4 5 6 7 - 0 1 2 3 4 5 6 7 - 0 1").split(' ')) {
            splash->Timer1_Timer();
            QCOMPARE(shownCopies(splash), expected);
        }
        QCOMPARE(p.state.TitlePhase, 1);
        QCOMPARE(p.state.TitleShownLabel, 1);
    }

    void theTimerDrivesTheAnimation()
    {
        Program p(false);
        auto *splash = p.topLevel("titlform");
        QTRY_COMPARE_WITH_TIMEOUT(shownCopies(splash), QStringLiteral("1"), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(shownCopies(splash), QStringLiteral("2"), 1000);
    }

    void everyWayOutShowsTheMainWindowOnce_data() { addRows(kDismissals); }
    void everyWayOutShowsTheMainWindowOnce()
    {
        const Dismissal &c = fetchRow(kDismissals);
        Program p(false);
        auto *splash = p.topLevel<titlform>("titlform");
        c.act(splash);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
        QVERIFY(!p.windows->ended());
        // Nothing is left running behind the hidden splash.
        QVERIFY(!timer(splash)->isActive());
        const int phase = p.state.TitlePhase;

        // Later reactions find the splash hidden and the main window shown, and leave them so.
        splash->Form_DblClick();
        splash->Label1_DblClick(4);
        splash->Label2_DblClick();
        splash->Form_Click();
        splash->Label1_Click(0);
        splash->Form_KeyPress(32);
        QVERIFY(!splash->isVisible());
        QVERIFY(p.form1().isVisible());
        QCOMPARE(&p.form1(), p.topLevel("Form1"));
        QCOMPARE(p.state.TitlePhase, phase);
    }
};

QTEST_MAIN(TitlformTest)
#include "titlform_test.moc"
