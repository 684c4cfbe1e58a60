// The search made visible: the record in the steps window, its file, and the marks on the curve.

#include "program.h"

#include "io/searchsteps.h"

#include <QAbstractItemModel>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;

class StepsfrmTest : public QObject
{
    Q_OBJECT

private:
    static QWidget *steps(Program &p) { return p.topLevel("Stepsfrm"); }
    static QTableView *grid(Program &p)
    {
        return Program::childOf<QTableView>(steps(p), QStringLiteral("Grid1"));
    }
    static QString row(QAbstractItemModel *model, int r)
    {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        return cells.join(' ');
    }

    // The numbered points on the chart as "number@x", and the x of the line of λ.
    static QStringList marksOnChart(Program &p, QString *lambda)
    {
        QStringList marks;
        for (QAbstractSeries *series : p.graphControl<QChartView>("MSChart1")->chart()->series()) {
            auto *scatter = qobject_cast<QScatterSeries *>(series);
            if (scatter && series->name().startsWith(QLatin1String("point ")))
                marks << series->name().mid(6) + '@' + QString::number(scatter->at(0).x(), 'g', 17);
            if (series->name() == QLatin1String("lambda"))
                *lambda = QString::number(qobject_cast<QLineSeries *>(series)->at(0).x(), 'g', 17);
        }
        return marks;
    }

private slots:
    void workedRunShowsEveryStepNewestInView()
    {
        // state: the worked run to its root; action: "Steps"; expected: 30 rows, the last one
        // in view, and "Back" returns to the main window.
        Program p;
        QCOMPARE(p.acceptRoot(), 15);
        QWidget *window = p.openFromForm1(p.button("Command15"), "Stepsfrm");
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Search steps"));
        QAbstractItemModel *model = grid(p)->model();
        QCOMPARE(model->rowCount(), 30);
        QCOMPARE(row(model, 0), QStringLiteral("1 0 2   bracket accepted"));
        QCOMPARE(row(model, 1), QStringLiteral("2 0 2 1 -0.75 step"));
        QCOMPARE(row(model, 29).section(' ', 0, 3),
                 QStringLiteral("16 1.2197265625 "
                                "1.2198486328125 "
                                "1.21978759765625"));
        QVERIFY(row(model, 29).endsWith(QStringLiteral("root accepted (<0.0001)")));
        QScrollBar *bar = grid(p)->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());

        QTest::mouseClick(Program::childOf<QPushButton>(window, "Command1"), Qt::LeftButton);
        QVERIFY(p.backOnForm1(window));
    }

    void cellEditClearsTheRecord()
    {
        Program p;
        p.acceptRoot();
        p.typeInCell(0, QStringLiteral("0.1"));
        QVERIFY(p.state.SearchRecord.empty());
        p.openFromForm1(p.button("Command15"), "Stepsfrm");
        QCOMPARE(grid(p)->model()->rowCount(), 0);
    }

    void saveWritesTheRecordAsShown()
    {
        Program p;
        p.acceptRoot();
        QTemporaryDir dir;
        p.dialogs.saveFile = dir.filePath(QStringLiteral("steps.csv"));
        QWidget *window = p.openFromForm1(p.button("Command15"), "Stepsfrm");
        QTest::mouseClick(Program::childOf<QPushButton>(window, "Command2"), Qt::LeftButton);
        QFile file(p.dialogs.saveFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes, QByteArray::fromStdString(StepsFileText(p.state.SearchRecord)));
        QCOMPARE(bytes.count("\r\n"), 31);
        QVERIFY(p.dialogs.informed.isEmpty());
    }

    void curveMarksTheSearchAndStepsReturnToTheGraph()
    {
        // state: the worked run; action: "Graph", a range over both start points, "Plot";
        // expected: points 1 ... 17 at x1, x2 and the 15 midpoints, and λ.
        Program p;
        p.acceptRoot();
        p.click("Command6");
        Graphfrm &graph = p.graphfrm();
        p.graphControl<QLineEdit>("txtx2")->setText(QStringLiteral("2.1"));
        QTest::mouseClick(p.graphControl<QPushButton>("Command1"), Qt::LeftButton);
        QString lambda;
        const QStringList marks = marksOnChart(p, &lambda);
        QStringList expected = {"1@0", "2@2"};
        const char *x3[] = {"1",
                            "1.5",
                            "1.25",
                            "1.125",
                            "1.1875",
                            "1.21875",
                            "1.234375",
                            "1.2265625",
                            "1.22265625",
                            "1.220703125",
                            "1.2197265625",
                            "1.22021484375",
                            "1.219970703125",
                            "1.2198486328125",
                            "1.21978759765625"};
        for (int i = 0; i < 15; ++i)
            expected << QStringLiteral("%1@%2").arg(i + 3).arg(QLatin1String(x3[i]));
        QCOMPARE(marks, expected);
        QCOMPARE(lambda, QStringLiteral("1.21978759765625"));
        QCOMPARE(p.graphControl<QLabel>("Label4")->text(), QString());

        // "Steps" from the graph window, and its frame's close back to it.
        QTest::mouseClick(p.graphControl<QPushButton>("Command7"), Qt::LeftButton);
        QWidget *window = steps(p);
        QVERIFY(window && window->isVisible() && !graph.isVisible());
        Program::closeThroughFrame(window);
        QVERIFY(graph.isVisible() && !p.form1().isVisible());

        // Two more clicks on the main window: shown again, the chart marks the new point too.
        QTest::mouseClick(p.graphControl<QPushButton>("Command3"), Qt::LeftButton);
        p.click("Command4");
        p.click("Command3");
        p.click("Command6");
        const QStringList more = marksOnChart(p, &lambda);
        QCOMPARE(more.size(), 18);
        QCOMPARE(more.last().section('@', 0, 0), QStringLiteral("18"));
    }
};

QTEST_MAIN(StepsfrmTest)
#include "stepsfrm_test.moc"
