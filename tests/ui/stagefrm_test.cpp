// "Stage matrix": the editor, its life-cycle graph, lambda by hand and the files, offscreen.

#include "program.h"
#include "stagewindows.h"

#include "core/numbertext.h"
#include "core/stageeditor.h"
#include "ui/Stagefrm/stagefrm.h"
#include "ui/common/controls.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

#include <cmath>

using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::test;

namespace {

const QString kExamples = QStringLiteral(TARNVALE_EXAMPLES_DIR);
constexpr double kTurtleLambda1 = 0.9450309806910045;

// The window opened from the main window's "Stage matrix".
Stagefrm *openStagefrm(Program &p)
{
    return qobject_cast<Stagefrm *>(p.openFromForm1(p.button("Command16"), "Stagefrm"));
}

QString textOf(QWidget *window, const char *name)
{
    return Program::textOf(on(window, name));
}

QString cell(QWidget *window, const char *grid, int row, int column)
{
    auto *view = on<QTableView>(window, grid);
    return view->model()->index(row, column).data().toString();
}

// Try from x1 and x2, then Bisection and Exchange until the search ends; the bisections taken.
int search(QWidget *window, const QString &x1, const QString &x2)
{
    on<QLineEdit>(window, "Text1")->setText(x1);
    on<QLineEdit>(window, "Text2")->setText(x2);
    QTest::mouseClick(on<QAbstractButton>(window, "Command1"), Qt::LeftButton);
    for (int step = 1; step <= 60; ++step) {
        QTest::mouseClick(on<QAbstractButton>(window, "Command2"), Qt::LeftButton);
        if (!textOf(window, "Label2").isEmpty())
            return step;
        QTest::mouseClick(on<QAbstractButton>(window, "Command3"), Qt::LeftButton);
    }
    return -1;
}

// The arrows and loops the graph draws.
QPair<int, int> drawnArrows(QWidget *window)
{
    int arrows = 0, loops = 0;
    for (QGraphicsItem *item : on<QGraphicsView>(window, "Picture1")->scene()->items()) {
        arrows += item->data(0).toString() == QLatin1String("arrow");
        loops += item->data(0).toString() == QLatin1String("loop");
    }
    return {arrows, loops};
}

} // namespace

class StagefrmTest : public QObject
{
    Q_OBJECT

private slots:
    void opensFromTheMainWindowAndKeepsItsModel()
    {
        Program p;
        Stagefrm *w = openStagefrm(p);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Stage matrix"));
        QCOMPARE(p.button("Command16")->text(), QStringLiteral("Stage matrix"));
        QCOMPARE(textOf(w, "Text1") + ' ' + textOf(w, "Text2"), QStringLiteral("0.5 2"));
        typeInCell(w, "Grid1", 1, 0, QStringLiteral("0.7"));
        QCOMPARE(cell(w, "Grid1", 1, 0), QStringLiteral("0.7"));
        click(w, "Command8");
        QVERIFY(p.backOnForm1(w));
        // Closed through the frame, the window is rebuilt; the model is the owner's.
        w = openStagefrm(p);
        QVERIFY(w);
        Program::closeThroughFrame(w);
        QVERIFY(p.form1().isVisible());
        w = openStagefrm(p);
        QVERIFY(w);
        QCOMPARE(cell(w, "Grid1", 1, 0), QStringLiteral("0.7"));
    }

    void aCellThatIsNoNumberIsNamedAndStopsTheComputing()
    {
        Program p;
        Stagefrm *w = openStagefrm(p);
        QCOMPARE(Program::enabledButtons(w, 8), QStringLiteral("1 4 5 6 7 8"));
        // The stage of the current column is renamed in "Stage name".
        auto *grid = on<QTableView>(w, "Grid1");
        grid->setCurrentIndex(grid->model()->index(0, 1));
        auto *name = on<QLineEdit>(w, "Text9");
        QCOMPARE(name->text(), QStringLiteral("2"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Juvenile"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(grid->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("Juvenile"));
        typeInCell(w, "Grid1", 2, 1, QStringLiteral("x"));
        QCOMPARE(textOf(w, "Label3"),
                 QStringLiteral("row '3', column 'Juvenile': \"x\" is not a number"));
        QCOMPARE(Program::enabledButtons(w, 8), QStringLiteral("4 7 8"));
        QCOMPARE(grid->model()->index(2, 1).data(Qt::ForegroundRole).value<QColor>(), kRed);
        typeInCell(w, "Grid1", 2, 1, QStringLiteral(""));
        QCOMPARE(textOf(w, "Label3"), QString());
        QCOMPARE(Program::enabledButtons(w, 8), QStringLiteral("1 4 5 6 7 8"));
    }

    void theTurtlesSearchEndsAtLambda1OrSaysItFoundAnotherRoot()
    {
        Program p;
        p.dialogs.files << kExamples + "/StageM-LoggerheadTurtle.csv";
        Stagefrm *w = openStagefrm(p);
        click(w, "Command4");
        QCOMPARE(on<QSpinBox>(w, "Text7")->value(), 7);
        QCOMPARE(on<QTableView>(w, "Grid1")->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Eggs and hatchlings"));

        QVERIFY(search(w, "0.5", "1") > 0);
        QCOMPARE(textOf(w, "Label1"), QStringLiteral("Well done!"));
        QCOMPARE(textOf(w, "Label2"), QStringLiteral("bracket \u2264 0.0001\u00b7x3"));
        QVERIFY(w->lambda1());
        QVERIFY(std::fabs(*w->lambda1() - kTurtleLambda1) <= 1e-12);
        QVERIFY(std::fabs(TextToNumber(textOf(w, "Text3").toStdString()).value - kTurtleLambda1)
                <= 1e-4 * kTurtleLambda1);
        QCOMPARE(textOf(w, "Label5"), QString());
        QCOMPARE(Program::enabledButtons(w, 3), QStringLiteral("1"));
        QVERIFY(on<QCheckBox>(w, "Check2")->isEnabled());

        // The record goes to "Search steps", which comes back here.
        click(w, "Command7");
        QWidget *steps = p.topLevel("Stepsfrm");
        QVERIFY(steps && steps->isVisible() && !w->isVisible());
        const auto *rows = on<QTableView>(steps, "Grid1")->model();
        QCOMPARE(rows->headerData(4, Qt::Horizontal).toString(), QStringLiteral("g(x3)"));
        QCOMPARE(rows->index(rows->rowCount() - 1, 5).data().toString(),
                 QStringLiteral("root accepted (bracket \u2264 0.0001\u00b7x3)"));
        click(steps, "Command1");
        QVERIFY(w->isVisible());

        QVERIFY(search(w, "0.3", "0.5") > 0);
        QVERIFY(std::fabs(TextToNumber(textOf(w, "Text3").toStdString()).value - 0.3717) < 1e-4);
        QCOMPARE(textOf(w, "Label5"), QStringLiteral("this is not the dominant root \u03bb1"));

        // An edit withdraws the search and lambda1.
        typeInCell(w, "Grid1", 6, 6, QStringLiteral("0.8"));
        QCOMPARE(textOf(w, "Text3") + textOf(w, "Text8") + textOf(w, "Label2"), QString());
        QCOMPARE(Program::enabledButtons(w, 3), QStringLiteral("1"));
        QVERIFY(!on<QCheckBox>(w, "Check2")->isEnabled());

        on<QLineEdit>(w, "Text1")->setText(QStringLiteral("0"));
        click(w, "Command1");
        QCOMPARE(textOf(w, "Label1"), QStringLiteral("x must be above 0"));
    }

    void pastesABlockGrowingTheGridAndCopiesASelection()
    {
        Program p;
        Stagefrm *w = openStagefrm(p);
        auto *grid = on<QTableView>(w, "Grid1");
        grid->setCurrentIndex(grid->model()->index(2, 2));
        QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\r\n3\tabc\r\n"));
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(on<QSpinBox>(w, "Text7")->value(), 4);
        QCOMPARE(cell(w, "Grid1", 3, 2) + ' ' + cell(w, "Grid1", 2, 3), QStringLiteral("3 2"));
        QCOMPARE(textOf(w, "Label3"),
                 QStringLiteral("row '4', column '4': \"abc\" is not a number"));

        grid->setCurrentIndex(grid->model()->index(0, 0));
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(0, 0), grid->model()->index(1, 3)),
            QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("0\t0.5\t4\t0\n0.3\t0.4\t0\t0\n"));
        // Refused blocks are lines of the bad-input table (stagefrm_badinput_test.cpp).
    }

    void splitsIntoUAndFAndBack()
    {
        Program p;
        Stagefrm *w = openStagefrm(p);
        auto *split = on<QCheckBox>(w, "Check1");
        QTest::mouseClick(split, Qt::LeftButton, {}, QPoint(6, split->height() / 2));
        QVERIFY(on(w, "Grid2")->isVisible() && on(w, "Grid3")->isVisible());
        QVERIFY(!on(w, "Grid4")->isVisible());
        QCOMPARE(cell(w, "Grid3", 0, 2) + ' ' + cell(w, "Grid2", 0, 2) + ' '
                     + cell(w, "Grid2", 1, 0),
                 QStringLiteral("4 0 0.3"));
        QVERIFY(!(on<QTableView>(w, "Grid1")
                      ->model()
                      ->flags(on<QTableView>(w, "Grid1")->model()->index(0, 0))
                  & Qt::ItemIsEditable));
        typeInCell(w, "Grid2", 0, 2, QStringLiteral("0.1"));
        QCOMPARE(cell(w, "Grid1", 0, 2), QStringLiteral("4.1"));
        // Reproduction is drawn apart from survival: two arrows where both parts have a rate.
        QCOMPARE(drawnArrows(w), qMakePair(5, 2));
        QTest::mouseClick(split, Qt::LeftButton, {}, QPoint(6, split->height() / 2));
        QVERIFY(!on(w, "Grid2")->isVisible());
        QCOMPARE(cell(w, "Grid1", 0, 2), QStringLiteral("4.1"));
        QCOMPARE(drawnArrows(w), qMakePair(4, 2));
    }

    void theGraphHasAnArrowPerRateUpToTwelveStages()
    {
        Program p;
        p.dialogs.files << kExamples + "/StageM-KillerWhale.csv"
                        << kExamples + "/StageM-Teasel.csv";
        Stagefrm *w = openStagefrm(p);
        const struct
        {
            int stages, arrows, loops;
        } examples[] = {{4, 5, 3}, {6, 4 + 6 + 4, 3}};
        for (const auto &e : examples) {
            click(w, "Command4");
            const StageModel model = StageModelOf(p.windows->stageEditor());
            QCOMPARE(model.stages(), e.stages);
            int offDiagonal = 0, diagonal = 0;
            for (const SquareMatrix *part : model.split()
                     ? std::vector<const SquareMatrix *> {&*model.u, &*model.f}
                     : std::vector<const SquareMatrix *> {&model.a})
                for (int i = 0; i < part->n; ++i)
                    for (int j = 0; j < part->n; ++j)
                        (i == j ? diagonal : offDiagonal) += part->at(i, j) != 0;
            QCOMPARE(drawnArrows(w), qMakePair(offDiagonal, diagonal));
            QCOMPARE(drawnArrows(w), qMakePair(e.arrows, e.loops));
        }
        on<QSpinBox>(w, "Text7")->setValue(13);
        QCOMPARE(drawnArrows(w), qMakePair(0, 0));
        bool note = false;
        for (QGraphicsItem *item : on<QGraphicsView>(w, "Picture1")->scene()->items())
            note = note || item->data(0).toString() == QLatin1String("note");
        QVERIFY(note);
    }

    // A refused file is a line of the bad-input table (stagefrm_badinput_test.cpp).
    void savesAFileThatReadsBack()
    {
        QTemporaryDir dir;
        Program p;
        Stagefrm *w = openStagefrm(p);
        p.dialogs.files << kExamples + "/StageM-Teasel.csv" << dir.filePath("teasel");
        click(w, "Command4");
        const StageModel teasel = StageModelOf(p.windows->stageEditor());
        QVERIFY(teasel.split());
        click(w, "Command5");
        p.dialogs.files << dir.filePath("teasel.csv");
        on<QSpinBox>(w, "Text7")->setValue(2);
        click(w, "Command4");
        QVERIFY(StageModelOf(p.windows->stageEditor()) == teasel);
    }
};

QTEST_MAIN(StagefrmTest)
#include "stagefrm_test.moc"
