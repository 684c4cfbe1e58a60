// "Further analysis" on a stage model: it shows what the command line reports on the same matrix
// file, opens from "Stage matrix" and goes back there, saves its four files, and gives a Leslie
// table its own layout back.
#include "program.h"
#include "stagewindows.h"

#include "cli/commandline.h"
#include "core/furtheranalysis.h"
#include "io/analysisdata.h"
#include "io/matrixfile.h"
#include "ui/Analysisfrm/analysisfrm.h"

#include <QAbstractItemModel>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

#include <sstream>

using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::test;

namespace {

// What `tarnvale --report --json --steps=30 --format M FILE` prints.
QJsonObject commandLine(const char *file)
{
    const QByteArray path = ExamplePath(file).toLocal8Bit();
    const char *arguments[]
        = {"tarnvale", "--report", "--json", "--steps=30", "--format", "M", path.data()};
    std::vector<char *> argv;
    for (const char *a : arguments)
        argv.push_back(const_cast<char *>(a));
    std::ostringstream out, err;
    if (cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err) != 0)
        qFatal("the command line refused: %s", err.str().c_str());
    // A list of one report per input.
    return QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).array()[0].toObject();
}

// A JSON number as the window shows it; null or nothing is "undefined".
QString shownAs(const QJsonValue &value, bool shortForm = false)
{
    const std::optional<double> number
        = value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
    return QString::fromStdString(shortForm ? ShortValueText(number) : ValueText(number));
}

QString boxText(QWidget *window, const char *name)
{
    return Program::childOf<QLineEdit>(window, QString::fromLatin1(name))->text();
}

Analysisfrm *openOn(Program &p, const StageModel &model, const std::optional<double> &root,
                    QWidget *cameFrom)
{
    p.windows->showAnalysisfrm(model, root, cameFrom);
    auto *w = p.topLevel<Analysisfrm>("Analysisfrm");
    return w && w->isVisible() ? w : nullptr;
}

// What a window shows: each control of its own, whether it is shown, and the texts of those
// shown.
QStringList appearance(QWidget *window)
{
    QStringList seen;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        QString text = w->toolTip() + '|' + w->accessibleName() + '|';
        if (auto *group = qobject_cast<QGroupBox *>(w))
            text += group->title();
        else if (auto *chart = qobject_cast<QChartView *>(w))
            text += chart->chart()->title();
        else if (auto *table = qobject_cast<QTableWidget *>(w))
            // The comparison's table has no columns before a comparison.
            text += (table->horizontalHeaderItem(0) ? table->horizontalHeaderItem(0)->text()
                                                    : QString())
                + QString::number(table->columnCount());
        else if (qobject_cast<QLabel *>(w) || qobject_cast<QLineEdit *>(w)
                 || qobject_cast<QAbstractButton *>(w))
            text += Program::textOf(w);
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            seen << w->objectName() + (w->isVisibleTo(window) ? " shown " + text : " hidden");
    }
    seen.sort();
    return seen;
}

// The examples, with what each shows beyond the command line's numbers.
struct ModelCase
{
    const char *name;
    const char *file;
    const char *lambda1;
    std::optional<double> root;
    const char *notice; // beside the roots, in part
    const char *structure; // what the life cycle says, in part
};
const ModelCase kModels[]
    = {{"loggerhead turtle", "StageM-LoggerheadTurtle.csv", "0.945030980691005", 0.9451, "",
        "the matrix is irreducible"},
       {"teasel", "StageM-Teasel.csv", "2.33388403666855", std::nullopt, "",
        "the matrix is irreducible"},
       // The post-reproductive females keep to themselves at 0.9804: a search that ends there
       // did not find lambda1.
       {"killer whale", "StageM-KillerWhale.csv", "1.02544132553035", 0.98041,
        "the eigenvalue 0.9804 of the matrix: this is not the dominant root \u03bb1",
        "the matrix is reducible"}};

} // namespace

class AnalysisfrmStageTest : public QObject
{
    Q_OBJECT

private slots:
    void showsWhatTheCommandLineReports_data() { addRows(kModels); }
    void showsWhatTheCommandLineReports()
    {
        const ModelCase &c = fetchRow(kModels);
        Program p;
        Analysisfrm *w = openOn(p, ExampleModel(c.file), c.root, &p.form1());
        QVERIFY(w);
        const QJsonObject cli = commandLine(c.file);
        const std::pair<const char *, const char *> boxes[]
            = {{"txtLambda1", "lambda"},
               {"txtSecond", "eigenvalue_2_modulus"},
               {"txtDamping", "damping_ratio"},
               {"txtPeriod", "period"},
               {"txtR0", "R0"},
               {"txtT", "T"}};
        for (const auto &[box, key] : boxes)
            QCOMPARE(boxText(w, box), shownAs(cli[key]));
        QCOMPARE(boxText(w, "txtLambda1"), QString::fromLatin1(c.lambda1));
        QCOMPARE(boxText(w, "txtLambda"), shownAs(c.root ? QJsonValue(*c.root) : QJsonValue()));
        const QJsonValue settled = cli["projection"]["convergence_time"];
        QCOMPARE(boxText(w, "txtConvergence"),
                 settled.isNull() ? "not within 30 steps" : QString::number(settled.toInt()));
        // Without R0 a sentence says why; the life cycle in words.
        QCOMPARE(Program::childOf<QLabel>(w, "lblNoR0")->isVisibleTo(w), cli["R0"].isNull());
        QVERIFY(Program::childOf<QLabel>(w, "lblStructure")->text().contains(c.structure));
        QVERIFY(Program::childOf<QLabel>(w, "lblRootNotice")->text().contains(c.notice));

        // Per stage its name, w, v and the life expectancy.
        auto *grid = Program::childOf<QTableWidget>(w, "grdClasses");
        const QJsonArray names = cli["stage_names"].toArray();
        QCOMPARE(grid->rowCount(), names.size());
        const char *columns[] = {"stable_distribution", "reproductive_values", "life_expectancy"};
        for (int i = 0; i < grid->rowCount(); ++i) {
            QCOMPARE(grid->item(i, 0)->text(), names[i].toString());
            for (int col = 0; col < 3; ++col)
                QCOMPARE(grid->item(i, col + 1)->text(), shownAs(cli[columns[col]][i]));
        }
        // The sensitivities and elasticities, row "to", column "from", headed by the names.
        for (int m = 0; m < 2; ++m) {
            const QAbstractItemModel *cells
                = Program::childOf<QTableView>(w, QStringLiteral("grdEntries(%1)").arg(m))->model();
            const QJsonValue rows = cli[m == 0 ? "sensitivity" : "elasticity"];
            for (int i = 0; i < names.size(); ++i) {
                QCOMPARE(cells->headerData(i, Qt::Horizontal).toString(), names[i].toString());
                QCOMPARE(cells->headerData(i, Qt::Vertical).toString(), names[i].toString());
                for (int j = 0; j < names.size(); ++j)
                    QCOMPARE(cells->index(i, j).data().toString(), shownAs(rows[i][j], true));
            }
        }
        QVERIFY(Program::childOf(w, "fraEntries")->isVisibleTo(w));
        QVERIFY(!Program::childOf(w, "chtElasticity")->isVisibleTo(w));
    }

    void theStageMatrixOpensItAndBackReturnsThere()
    {
        // "Further analysis" of "Stage matrix" on the model it starts with, of three stages.
        Program p;
        p.windows->showStagefrm();
        QWidget *from = p.topLevel("Stagefrm");
        QTest::mouseClick(Program::childOf(from, "Command6"), Qt::LeftButton);
        auto *w = p.topLevel<Analysisfrm>("Analysisfrm");
        QVERIFY(w && w->isVisible() && !from->isVisible());
        QCOMPARE(w->stageAnalysis().stages, 3);

        QTemporaryDir folder;
        p.dialogs.saveName = folder.filePath("run.txt");
        QTest::mouseClick(Program::childOf(w, "Command2"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed, QStringList());
        const StageAnalysis &a = w->stageAnalysis();
        const std::vector<const ResultField *> entries
            = ResultsOf(ModelKind::Stage, ResultKind::PerEntry);
        const std::pair<QString, std::string> files[]
            = {{"run-classes.txt", ClassesFileText(a)},
               {"run-elasticity.txt", EntriesFileText(a, *entries[1])},
               {"run-projection.txt", ProjectionFileText(w->projection(), a)},
               {"run-sensitivity.txt", EntriesFileText(a, *entries[0])}};
        QStringList names;
        for (const auto &[name, text] : files) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll().toStdString(), text);
            names << name;
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), names);

        QTest::mouseClick(Program::childOf(w, "Command1"), Qt::LeftButton);
        QVERIFY(from->isVisible() && !w->isVisible());
        QTest::mouseClick(Program::childOf(from, "Command6"), Qt::LeftButton);
        QVERIFY(w->isVisible() && !from->isVisible());
        QPointer<QWidget> closed = w;
        Program::closeThroughFrame(w);
        QVERIFY(!closed && from->isVisible());
    }

    void aLeslieTableAfterAStageModelLooksAsEver()
    {
        const auto leslie = [](Program &p) {
            p.setTable({0, 1, 2, 1}, {0.5, 1, 0.5});
            p.state.Lambda = 1.2;
            p.windows->showAnalysisfrm();
            return p.topLevel<Analysisfrm>("Analysisfrm");
        };
        QStringList fresh;
        {
            Program p;
            fresh = appearance(leslie(p));
        }
        Program p;
        QVERIFY(openOn(p, ExampleModel("StageM-KillerWhale.csv"), 1.02, &p.form1()));
        QVERIFY(appearance(p.topLevel("Analysisfrm")) != fresh);
        Analysisfrm *w = leslie(p);
        QCOMPARE(appearance(w), fresh);
        // Back to the results again, not to where the stage model came from.
        QTest::mouseClick(Program::childOf(w, "Command1"), Qt::LeftButton);
        QVERIFY(p.topLevel("ResultFrm")->isVisible() && !p.form1().isVisible());
    }
};

QTEST_MAIN(AnalysisfrmStageTest)
#include "analysisfrm_stage_test.moc"
