#pragma once

#include "fakedialogs.h"

#include "core/state.h"
#include "ui/Form1/form1.h"
#include "ui/Graphfrm/graphfrm.h"
#include "ui/common/windowowner.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

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

    tarnvale::AnalysisState state;
    FakeDialogs dialogs;
    std::unique_ptr<tarnvale::ui::WindowOwner> windows;
};
