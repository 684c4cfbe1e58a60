#pragma once

#include "fakedialogs.h"

#include "core/state.h"
#include "ui/Form1/form1.h"
#include "ui/Graphfrm/graphfrm.h"
#include "ui/windowowner.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <vector>

// The program as main() starts it, without the event loop, with scripted dialogs.
struct Program
{
    // With `passSplash`, a key on the title splash brings up the main window, where most tests
    // begin, as the user does.
    explicit Program(bool passSplash = true)
    {
        windows = std::make_unique<tarnvale::ui::WindowOwner>(state, dialogs);
        windows->start();
        QWidget *splash = topLevel("titlform");
        if (passSplash && splash && splash->isVisible())
            QTest::keyClick(splash, Qt::Key_Space);
    }
    ~Program()
    {
        windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // One of the program's windows by its name ("Howto"), or null while it does not exist.
    template<typename T = QWidget> T *topLevel(const char *name)
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String(name))
                return qobject_cast<T *>(window);
        }
        return nullptr;
    }

    // Closes a window as its frame's close button does; a window that is rebuilt afterwards is
    // gone once this returns.
    static void closeThroughFrame(QWidget *window)
    {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    tarnvale::ui::Form1 &form1() { return windows->form1(); }

    template<typename T = QWidget> T *control(const char *name)
    {
        T *found = form1().findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }
    QLineEdit *box(const char *name) { return control<QLineEdit>(name); }
    QLineEdit *cell(int index)
    {
        return control<QLineEdit>(QStringLiteral("m(%1)").arg(index).toLatin1().constData());
    }
    QPushButton *button(const char *name) { return control<QPushButton>(name); }

    // The graph window (created and loaded if it does not exist yet) and its controls.
    tarnvale::ui::Graphfrm &graphfrm() { return windows->graphfrm(); }
    template<typename T = QWidget> T *graphControl(const char *name)
    {
        T *found = graphfrm().findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control named %s on the graph window", name);
        return found;
    }

    // Replaces a cell's text the way typing does, then presses Enter in it.
    void typeInCell(int index, const QString &text)
    {
        QLineEdit *c = cell(index);
        c->selectAll();
        QTest::keyClick(c, Qt::Key_Delete);
        QTest::keyClicks(c, text);
    }
    void enterInCell(int index) { QTest::keyClick(cell(index), Qt::Key_Return); }

    // --- Steps the window tests share ---

    // Clicks a button of the main window; clicking a disabled one is a fault of the test's story.
    void click(const char *name)
    {
        QPushButton *b = button(name);
        QVERIFY2(b->isEnabled(), name);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QString text(const char *name) { return box(name)->text(); }
    bool shown(const char *name) { return !control(name)->isHidden(); }
    // The numbers of the enabled buttons Command1 ... Command<count> of a window, as "1 5 8": a
    // whole button state in one comparison.
    static QString enabledButtons(QWidget *window, int count)
    {
        QStringList numbers;
        for (int i = 1; i <= count; ++i) {
            if (childOf<QPushButton>(window, QStringLiteral("Command%1").arg(i))->isEnabled())
                numbers << QString::number(i);
        }
        return numbers.join(' ');
    }
    QString enabledButtons() { return enabledButtons(&form1(), 14); }
    // Those of the main window's controls `names` that are shown, or hidden.
    QStringList shownOf(std::initializer_list<const char *> names, bool shownWanted = true)
    {
        QStringList found;
        for (const char *name : names) {
            if (shown(name) == shownWanted)
                found << QString::fromLatin1(name);
        }
        return found;
    }
    QStringList hiddenOf(std::initializer_list<const char *> names)
    {
        return shownOf(names, false);
    }
    QString equation() { return control<QPlainTextEdit>("Text1")->toPlainText(); }
    QStringList cellTexts()
    {
        QStringList texts;
        for (int i = 0; i < 16; ++i)
            texts << cell(i)->text();
        return texts;
    }
    // Makes the main window the active one, for tests that follow the keyboard focus.
    bool activateForm1()
    {
        form1().activateWindow();
        return QTest::qWaitForWindowActive(&form1());
    }

    void setStartPoints(const QString &x1, const QString &x2)
    {
        box("Text2")->setText(x1);
        box("Text3")->setText(x2);
    }
    // A life table as the reader leaves it in the state.
    void setTable(const std::vector<double> &f, const std::vector<double> &s)
    {
        state.DataLoaded = "Yes";
        state.LastAgeClass = static_cast<int>(f.size()) - 1;
        for (std::size_t i = 0; i < f.size(); ++i)
            state.Fecundity[i] = f[i];
        for (std::size_t i = 0; i < s.size(); ++i)
            state.Survival[i] = s[i];
    }
    // Bisection and Exchange in turn until a step accepts its point; the number of Bisection
    // clicks it took, or -1.
    int searchToAcceptance(int limit = 200)
    {
        for (int step = 1; step <= limit; ++step) {
            QTest::mouseClick(button("Command3"), Qt::LeftButton);
            if (shown("Label16"))
                return step;
            QTest::mouseClick(button("Command4"), Qt::LeftButton);
        }
        return -1;
    }
    // Formula, Try with the start points shown, then the search to its accepted root.
    int acceptRoot()
    {
        click("Command1");
        click("Command2");
        return searchToAcceptance();
    }

    // Opens another window from the main window through `trigger`; the window if it came up in
    // the main window's place, else null.
    QWidget *openFromForm1(QWidget *trigger, const char *window)
    {
        QTest::mouseClick(trigger, Qt::LeftButton);
        QWidget *opened = topLevel(window);
        return opened && opened->isVisible() && !form1().isVisible() ? opened : nullptr;
    }
    // The main window is back and `window` (if any) has gone from view.
    bool backOnForm1(QWidget *window = nullptr)
    {
        return form1().isVisible() && (!window || !window->isVisible());
    }

    // The text a label, box or button shows.
    static QString textOf(QWidget *control)
    {
        if (auto *label = qobject_cast<QLabel *>(control))
            return label->text();
        if (auto *box = qobject_cast<QLineEdit *>(control))
            return box->text();
        if (auto *box = qobject_cast<QPlainTextEdit *>(control))
            return box->toPlainText();
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            return button->text();
        qFatal("%s shows no text", qPrintable(control->objectName()));
    }
    // What the controls `names` of a window show, one after the other.
    static QString textsOf(QWidget *window, std::initializer_list<const char *> names)
    {
        QStringList texts;
        for (const char *name : names)
            texts << textOf(childOf(window, QString::fromLatin1(name)));
        return texts.join(' ');
    }
    QString texts(std::initializer_list<const char *> names) { return textsOf(&form1(), names); }
    template<typename T = QWidget> static T *childOf(QWidget *window, const QString &name)
    {
        T *found = window ? window->findChild<T *>(name) : nullptr;
        if (!found)
            qFatal("no control named %s", qPrintable(name));
        return found;
    }

    static QString writeFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    tarnvale::AnalysisState state;
    FakeDialogs dialogs;
    std::unique_ptr<tarnvale::ui::WindowOwner> windows;
};

// A data-driven slot over a local table whose rows each carry a `name`: the _data() function
// calls addRows(table) and the slot takes its row with fetchRow(table).
template<typename Row, std::size_t N> void addRows(const Row (&rows)[N])
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << static_cast<int>(i);
}
template<typename Row, std::size_t N> const Row &fetchRow(const Row (&rows)[N])
{
    QFETCH(int, row);
    return rows[row];
}
