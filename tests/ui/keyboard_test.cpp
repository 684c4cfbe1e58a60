// The program from the keyboard alone: every key goes to the widget that has the focus, as it
// does for a user.

#include "program.h"

#include "ui/Analysisfrm/analysisfrm.h"
#include "ui/ResultFrm/resultfrm.h"

#include <QLabel>
#include <QPlainTextEdit>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

// The focusable widgets of `window` in the order Tab visits them when all are enabled and shown.
QList<QWidget *> tabChain(QWidget *window)
{
    QList<QWidget *> chain;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            chain << w;
    }
    return chain;
}

QStringList names(const QList<QWidget *> &widgets)
{
    QStringList list;
    for (const QWidget *w : widgets)
        list << w->objectName();
    return list;
}

// Sends a key to the widget that has the keyboard focus.
bool press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return false;
    QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
}

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(none)");
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void tabOrderStartsWithTheAnalysisButtons()
    {
        Program p;
        const QStringList chain = names(tabChain(&p.form1()));
        QCOMPARE(chain.mid(0, 4), (QStringList {"Command1", "Command2", "Command3", "Command4"}));
        // Every control of the window is in the chain exactly once.
        QCOMPARE(QSet<QString>(chain.begin(), chain.end()).size(), chain.size());
        for (QWidget *w : p.form1().findChildren<QWidget *>())
            if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()
                && !w->objectName().startsWith(QLatin1String("qt_")))
                QVERIFY2(chain.contains(w->objectName()), qPrintable(w->objectName()));
    }

    void tabSkipsTheButtonsThatAreDisabled()
    {
        // state: start-up, "Formula" focused, "Try", "Bisection" and "Exchange" disabled;
        // action: Tab; expected: the focus passes over the three to the first cell, and
        // Shift+Tab brings it back to "Formula".
        Program p;
        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        QVERIFY(press(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("m(0)"));
        QVERIFY(press(Qt::Key_Tab, Qt::ShiftModifier));
        QCOMPARE(focusName(), QStringLiteral("Command1"));

        // After "Formula" only "Try" of the four is enabled: Shift+Tab from it skips "Formula".
        QVERIFY(press(Qt::Key_Space));
        QCOMPARE(focusName(), QStringLiteral("Command2"));
        QVERIFY(press(Qt::Key_Tab, Qt::ShiftModifier));
        QVERIFY(focusName() != QLatin1String("Command1"));
        QVERIFY(press(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("Command2"));
    }

    void textBoxesDoNotKeepTheTabKey()
    {
        // The equation box is read-only: Tab leaves it like any other box.
        Program p;
        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        auto *equation = p.control<QPlainTextEdit>("Text1");
        equation->setFocus();
        QCOMPARE(QApplication::focusWidget(), equation);
        QVERIFY(press(Qt::Key_Tab));
        QVERIFY(QApplication::focusWidget() != equation);
        QCOMPARE(equation->toPlainText(), QStringLiteral(" "));
    }

    void theTitleOpensTheIntroductionFromTheKeyboard()
    {
        // The title is clicked for the introduction; from the keyboard Tab reaches it and Space
        // opens it, and the introduction's "OK" brings the user back to the title.
        Program p;
        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        for (int tabs = 0; tabs < 60 && focusName() != QLatin1String("Label4"); ++tabs)
            QVERIFY(press(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("Label4"));
        QVERIFY(press(Qt::Key_Space));
        QWidget *introduction = p.topLevel("Introfrm");
        QVERIFY(introduction && introduction->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(introduction));
        // The text comes first, to be read; Tab leads on to "OK".
        QCOMPARE(focusName(), QStringLiteral("Text1"));
        QVERIFY(press(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        QVERIFY(press(Qt::Key_Space));
        QVERIFY(!introduction->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        QCOMPARE(focusName(), QStringLiteral("Label4"));
    }

    void wholeRootSearchFromTheKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Space") << int(Qt::Key_Space);
        // The start hint tells the user to press Enter; a focused button takes it too.
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void wholeRootSearchFromTheKeyboard()
    {
        // state: start-up with the default matrix; action: Tab to the first cell, Enter in it,
        // then `key` on whatever button has the focus; expected: the worked run, accepted at
        // StepCount 16, then "Results" and back, all from the keyboard.
        QFETCH(int, key);
        Program p;
        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));

        QVERIFY(press(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("m(0)"));
        QVERIFY(press(Qt::Key_Return));
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        QVERIFY(press(key)); // Formula
        QCOMPARE(p.control<QPlainTextEdit>("Text1")->toPlainText(),
                 QStringLiteral("x^4 - .5 x^2 - x -  .25 = 0"));
        QCOMPARE(focusName(), QStringLiteral("Command2"));
        QVERIFY(press(key)); // Try
        QCOMPARE(p.control<QLabel>("Label12")->text(), QStringLiteral("Well done!"));
        QCOMPARE(focusName(), QStringLiteral("Command3"));

        // Bisection and Exchange take turns, each giving the focus to the other.
        int bisections = 0;
        while (p.control("Label16")->isHidden() && bisections < 40) {
            QCOMPARE(focusName(), QStringLiteral("Command3"));
            QVERIFY(press(key));
            ++bisections;
            QCOMPARE(focusName(), QStringLiteral("Command4"));
            if (p.control("Label16")->isHidden())
                QVERIFY(press(key));
        }
        QCOMPARE(bisections, 15);
        QCOMPARE(p.state.StepCount, 16);
        QCOMPARE(p.box("Text10")->text(), QStringLiteral("1.21978759765625"));
        QVERIFY(p.button("Command14")->isEnabled());

        // "Results" is the next stop after "Exchange".
        QVERIFY(press(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("Command14"));
        QVERIFY(press(key));
        ResultFrm *results = p.topLevel<ResultFrm>("ResultFrm");
        QVERIFY(results && results->isVisible());
        QVERIFY(!p.form1().isVisible());
        QVERIFY(QTest::qWaitForWindowActive(results));
        QCOMPARE(results->findChild<QLineEdit *>(QStringLiteral("Text1"))->text(),
                 QStringLiteral("1.21978759765625"));
        QCOMPARE(focusName(), QStringLiteral("Command1"));

        // "Back to the main form" returns to where the user left off.
        QVERIFY(press(key));
        QVERIFY(!results->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        QCOMPARE(focusName(), QStringLiteral("Command14"));
    }

    void furtherAnalysisIsReachedAndLeftFromTheKeyboard()
    {
        Program p;
        QVERIFY(p.acceptRoot() > 0);
        QWidget *results = p.openFromForm1(p.button("Command14"), "ResultFrm");
        QVERIFY(results && QTest::qWaitForWindowActive(results));
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        QVERIFY(press(Qt::Key_Tab));
        QCOMPARE(focusName(), QStringLiteral("Command2"));
        QVERIFY(press(Qt::Key_Space));
        QWidget *analysis = p.topLevel("Analysisfrm");
        QVERIFY(analysis && QTest::qWaitForWindowActive(analysis));
        QCOMPARE(focusName(), QStringLiteral("optStart(0)"));
        // An arrow key chooses the next start vector: everything in age class 0, of which
        // N(1) = F(0) + s(0) = 0.5.
        QVERIFY(press(Qt::Key_Down));
        QCOMPARE(focusName(), QStringLiteral("optStart(1)"));
        QCOMPARE(p.topLevel<Analysisfrm>("Analysisfrm")->projection().total[1], 0.5);

        // Down the window: from the start vector (its choices follow the arrow keys) to the
        // steps, the table, Save, Print, and Back.
        QStringList visited;
        for (int i = 0; i < 12 && focusName() != "Command1"; ++i) {
            QVERIFY(press(Qt::Key_Tab));
            visited << focusName();
        }
        QCOMPARE(visited,
                 QStringList({"txtSteps", "grdClasses", "Command2", "Command3", "Command1"}));
        QVERIFY(press(Qt::Key_Space));
        QVERIFY(!analysis->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(results));
        QCOMPARE(focusName(), QStringLiteral("Command2"));
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
