#pragma once

// What the tests of "Stage matrix", "Database records" and a stage model's "Further analysis"
// do alike: find a control, press it, type into a grid's cell, read a shipped example.

#include "program.h"

#include "core/stagemodel.h"
#include "io/matrixfile.h"

#include <QAbstractButton>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

namespace tarnvale::test {

template<typename T = QWidget> T *on(QWidget *window, const char *name)
{
    return Program::childOf<T>(window, QString::fromLatin1(name));
}

inline void click(QWidget *window, const char *name)
{
    auto *button = on<QAbstractButton>(window, name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces the text of cell (row, column) of a grid as a user does: F2 opens the cell with its
// text selected, Delete empties it, Enter commits what was typed.
inline void typeInCell(QWidget *window, const char *grid, int row, int column, const QString &text)
{
    auto *view = on<QTableView>(window, grid);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, column));
    QTest::keyClick(view, Qt::Key_F2);
    QLineEdit *editor = nullptr;
    for (QLineEdit *open : view->viewport()->findChildren<QLineEdit *>())
        editor = open->isVisible() ? open : editor;
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the text through the event queue.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The path of a shipped example, and the model of a shipped matrix file.
inline QString ExamplePath(const char *file)
{
    return QDir(QStringLiteral(TARNVALE_EXAMPLES_DIR)).filePath(QString::fromLatin1(file));
}

inline StageModel ExampleModel(const char *file)
{
    const MatrixFileRead read = ReadMatrixFile(ExamplePath(file).toStdString());
    if (!read.ok)
        qFatal("%s", read.message.c_str());
    return read.model;
}

} // namespace tarnvale::test
