// "Further analysis": opened from the results, it shows what the command line reports on the same
// table, and its projection follows the start vector and the step count.
#include "program.h"

#include "cli/commandline.h"
#include "core/furtheranalysis.h"
#include "io/analysisdata.h"
#include "io/lifetable.h"
#include "ui/Analysisfrm/analysisfrm.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QLineSeries>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include <sstream>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

const QString kExamples = QStringLiteral(TARNVALE_EXAMPLES_DIR);

// What `tarnvale --report --steps 30 ...` prints, by the label of each line and, per age class,
// the seven columns of the table.
struct Report
{
    QMap<QString, QString> values;
    QList<QStringList> classes;
    QString convergence;
    QStringList lastRow; // t, N(t), N(t+1)/N(t), distance of the last step but one
};

Report commandLine(QStringList arguments)
{
    arguments.prepend(QStringLiteral("--steps=30"));
    arguments.prepend(QStringLiteral("--report"));
    arguments.prepend(QStringLiteral("tarnvale"));
    std::vector<QByteArray> bytes;
    std::vector<char *> argv;
    for (const QString &a : arguments)
        bytes.push_back(a.toLocal8Bit());
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    std::ostringstream out, err;
    const int status
        = tarnvale::cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    if (status != 0)
        qFatal("the command line refused: %s", err.str().c_str());
    Report report;
    const QStringList lines = QString::fromStdString(out.str()).split('\n');
    static const QRegularExpression labelled(QStringLiteral(R"(^  (\S.*?)\s{2,}(\S.*)$)"));
    static const QRegularExpression convergence(QStringLiteral(R"(from then on\): (.*)$)"));
    bool inClasses = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
        if (fields.value(0) == "x") {
            inClasses = true;
            continue;
        }
        if (inClasses && fields.size() == 7) {
            report.classes << fields;
            continue;
        }
        inClasses = false;
        if (const auto m = convergence.match(line); m.hasMatch())
            report.convergence = m.captured(1);
        else if (fields.value(0) == "29")
            report.lastRow = fields;
        else if (const auto m = labelled.match(line); m.hasMatch())
            report.values[m.captured(1)] = m.captured(2);
    }
    return report;
}

QString boxText(QWidget *window, const char *name)
{
    return Program::childOf<QLineEdit>(window, QString::fromLatin1(name))->text();
}

// No text of the window reads as an infinite or NaN value.
QString infiniteText(QWidget *window)
{
    static const QRegularExpression notANumber(QStringLiteral(R"(\b(inf|nan)\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    QStringList texts;
    for (QLineEdit *box : window->findChildren<QLineEdit *>())
        texts << box->text();
    for (QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    auto *grid = Program::childOf<QTableWidget>(window, "grdClasses");
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            texts << grid->item(r, c)->text();
    for (const QString &text : texts)
        if (notANumber.match(text).hasMatch())
            return text;
    return {};
}

// The search run to its root, "Results", then "Further analysis"; the window if it came up in
// the results' place.
Analysisfrm *openAnalysis(Program &p)
{
    if (p.acceptRoot() < 0)
        return nullptr;
    QWidget *results = p.openFromForm1(p.button("Command14"), "ResultFrm");
    if (!results)
        return nullptr;
    QTest::mouseClick(Program::childOf(results, "Command2"), Qt::LeftButton);
    auto *w = p.topLevel<Analysisfrm>("Analysisfrm");
    return w && w->isVisible() && !results->isVisible() ? w : nullptr;
}

// n(t) of the table over `steps` steps from `start`, multiplied out here.
std::vector<double> totals(const LeslieTable &table, std::vector<double> n, int steps)
{
    std::vector<double> result;
    for (int t = 0; t <= steps; ++t) {
        double total = 0;
        for (double v : n)
            total += v;
        result.push_back(total);
        std::vector<double> next(n.size(), 0.0);
        for (std::size_t x = 0; x < n.size(); ++x)
            next[0] += table.fecundity[x] * n[x];
        for (std::size_t x = 0; x + 1 < n.size(); ++x)
            next[x + 1] = table.survival[x] * n[x];
        n = next;
    }
    return result;
}

// The tables both read: the worked matrix (no file), or a format-A life table from the examples
// (an empty name: a long one written here).
struct TableCase
{
    const char *name;
    const char *file;
};
const TableCase kTables[] = {{"worked matrix", nullptr},
                             {"201 age classes", ""},
                             {"Bernardelli's beetle", "ExampleA-Bernardelli.txt"}};

} // namespace

class AnalysisfrmTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString longTableFile()
    {
        QByteArray text = "\"age,f(x),s(x)\"\n0,0,0.97\n";
        for (int i = 1; i <= 200; ++i)
            text += QByteArray::number(i) + ",0.05,0.97\n";
        return Program::writeFile(m_dir.filePath("long.txt"), text);
    }

private slots:
    void opensFromTheResultsAndGoesBack()
    {
        Program p;
        Analysisfrm *w = openAnalysis(p);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Further analysis"));
        QWidget *results = p.topLevel("ResultFrm");
        QCOMPARE(Program::childOf<QPushButton>(results, "Command2")->text(),
                 QStringLiteral("Further analysis"));

        // Back, then the frame's close: each time the results are in front again.
        QTest::mouseClick(Program::childOf(w, "Command1"), Qt::LeftButton);
        QVERIFY(results->isVisible() && !w->isVisible() && !p.form1().isVisible());
        QTest::mouseClick(Program::childOf(results, "Command2"), Qt::LeftButton);
        QVERIFY(w->isVisible() && !results->isVisible());
        QPointer<QWidget> closed = w;
        Program::closeThroughFrame(w);
        QVERIFY(!closed);
        QVERIFY(results->isVisible() && !p.form1().isVisible());
        QTest::mouseClick(Program::childOf(results, "Command2"), Qt::LeftButton);
        QVERIFY(p.topLevel("Analysisfrm") && p.topLevel("Analysisfrm")->isVisible());
    }

    void showsWhatTheCommandLineReports_data() { addRows(kTables); }
    void showsWhatTheCommandLineReports()
    {
        const TableCase &c = fetchRow(kTables);
        Program p;
        QStringList arguments = {"--matrix", "0 1 2 1; 0.5 0 0 0; 0 1 0 0; 0 0 0.5 0"};
        if (c.file) {
            const QString file = *c.file ? QDir(kExamples).filePath(c.file) : longTableFile();
            QVERIFY(ReadLifeTable(p.state, file.toStdString(), TableFormat::A).ok);
            p.state.DataLoaded = "Yes";
            arguments = {"--format", "A", file};
        }
        Analysisfrm *w = openAnalysis(p);
        QVERIFY(w);
        const Report cli = commandLine(arguments);

        QString damping = cli.values.value("Damping ratio lambda1/|lambda2|");
        const bool periodic = damping.contains('(');
        damping = damping.section(' ', 0, 0);
        QCOMPARE(boxText(w, "txtLambda1"), cli.values.value("Finite rate of increase lambda1"));
        QCOMPARE(boxText(w, "txtSecond"), cli.values.value("|lambda2|"));
        QCOMPARE(boxText(w, "txtDamping"), damping);
        QCOMPARE(boxText(w, "txtPeriod"), cli.values.value("Period"));
        QCOMPARE(boxText(w, "txtConvergence"), cli.convergence);
        QCOMPARE(boxText(w, "txtGrowth"), cli.lastRow.value(2));
        QCOMPARE(boxText(w, "txtLambda"), boxText(p.topLevel("ResultFrm"), "Text1"));
        QVERIFY(Program::childOf<QLabel>(w, "lblRootNotice")->isHidden());

        // The periodic table says so where the damping ratio stands, as the command line does.
        auto *note = Program::childOf<QLabel>(w, "lblPeriodic");
        QCOMPARE(!note->isHidden(), periodic);
        if (periodic)
            QVERIFY(cli.values.value("Damping ratio lambda1/|lambda2|")
                        .contains("(" + note->text() + ")", Qt::CaseInsensitive));

        auto *grid = Program::childOf<QTableWidget>(w, "grdClasses");
        QCOMPARE(grid->rowCount(), cli.classes.size());
        for (int x = 0; x < grid->rowCount(); ++x)
            for (int col = 0; col < 7; ++col) {
                const QString expected = cli.classes[x][col];
                QCOMPARE(grid->item(x, col)->text(), expected == "-" ? QString() : expected);
            }
        QCOMPARE(infiniteText(w), QString());
    }

    void theStartVectorAndTheStepsChangeTheProjection()
    {
        Program p;
        Analysisfrm *w = openAnalysis(p);
        QVERIFY(w);
        const LeslieTable table {{0, 1, 2, 1}, {0.5, 1, 0.5}};
        auto *steps = Program::childOf<QSpinBox>(w, "txtSteps");
        const QList<QAbstractSeries *> series
            = Program::childOf<QChartView>(w, "chtTotal")->chart()->series();
        auto *totalLine = qobject_cast<QLineSeries *>(series.first());
        QCOMPARE(steps->value(), 30);
        QCOMPARE(totalLine->count(), 31);

        struct Case
        {
            int option;
            const char *typed;
            std::vector<double> start; // the shares it should start from
            bool refused = false;
        };
        const Case cases[] = {
            {1, nullptr, {1, 0, 0, 0}},
            {3, "1 0 0 1", {0.5, 0, 0, 0.5}},
            {3, "1 2", {0.25, 0.25, 0.25, 0.25}, true},
            {0, nullptr, {0.25, 0.25, 0.25, 0.25}},
            {2, nullptr, *w->analysis().stableAgeDistribution},
        };
        auto *message = Program::childOf<QLabel>(w, "lblStartMessage");
        for (const Case &c : cases) {
            auto *option
                = Program::childOf<QRadioButton>(w, QStringLiteral("optStart(%1)").arg(c.option));
            // On the round mark: the button spans the column, its caption only the left part.
            QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
            if (c.typed) {
                auto *typed = Program::childOf<QLineEdit>(w, "txtStart");
                QVERIFY(typed->isEnabled());
                typed->selectAll();
                QTest::keyClicks(typed, QString::fromLatin1(c.typed));
                QTest::keyClick(typed, Qt::Key_Return);
            }
            QCOMPARE(!message->isHidden(), c.refused);
            const std::vector<double> expected = totals(table, c.start, 30);
            const Projection &projection = w->projection();
            for (int t = 0; t <= 30; ++t)
                QVERIFY2(std::fabs(*projection.total[t] - expected[t]) <= 1e-12 * expected[t],
                         qPrintable(QStringLiteral("option %1, t = %2: %3")
                                        .arg(c.option)
                                        .arg(t)
                                        .arg(*projection.total[t])));
        }
        // From the SAD the projection is settled at once.
        QCOMPARE(boxText(w, "txtConvergence"), QStringLiteral("0"));

        steps->setValue(200);
        QCOMPARE(w->projection().steps, 200);
        QCOMPARE(totalLine->count(), 201);
        QCOMPARE(boxText(w, "txtGrowth"), QString::fromStdString(ValueText(w->analysis().lambda)));
    }

    void closingWhileTypingRunsNothingOnTheClosedWindow()
    {
        // Deleting the window on show moves the focus out of the typed shares, which ends their
        // editing; that must not project on a window already half destroyed (the sanitizer
        // build sees the use after destruction, the normal build a corrupted heap).
        Program p;
        Analysisfrm *w = openAnalysis(p);
        QVERIFY(w);
        auto *option = Program::childOf<QRadioButton>(w, "optStart(3)");
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto *typed = Program::childOf<QLineEdit>(w, "txtStart");
        typed->setFocus();
        QVERIFY(typed->hasFocus());
        QTest::keyClicks(typed, QStringLiteral(" 2"));
        delete w;
        QVERIFY(!p.topLevel("Analysisfrm"));
    }

    void withoutReproductionTheSadIsNoStart()
    {
        Program p;
        p.setTable({0, 0}, {0.5});
        p.state.Lambda = 0.01;
        p.windows->showAnalysisfrm();
        auto *w = p.topLevel<Analysisfrm>("Analysisfrm");
        QVERIFY(w && w->isVisible());
        QVERIFY(Program::childOf(w, "optStart(2)")->isHidden());
        QCOMPARE(boxText(w, "txtRelative"), QStringLiteral("undefined"));
        QCOMPARE(boxText(w, "txtDamping"), QStringLiteral("undefined"));
        QCOMPARE(infiniteText(w), QString());
    }

    void saveWritesBothFilesThroughATemporaryFile()
    {
        Program p;
        Analysisfrm *w = openAnalysis(p);
        QVERIFY(w);
        const QString folder = m_dir.filePath("save");
        QVERIFY(QDir().mkpath(folder));
        Program::writeFile(folder + "/run-classes.txt", "old");
        // A name typed without an extension gets ".txt", whose 4 characters the files drop.
        p.dialogs.saveName = folder + "/run";
        QTest::mouseClick(Program::childOf(w, "Command2"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed, QStringList());
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 QStringList({"run-classes.txt", "run-projection.txt"}));
        auto read = [&](const char *name) {
            QFile file(folder + "/" + name);
            return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
        };
        QCOMPARE(read("run-projection.txt"), ProjectionFileText(w->projection(), 4));
        QCOMPARE(read("run-classes.txt"), ClassesFileText(w->analysis()));

        // A folder that does not exist: the message names the file, and nothing is written.
        p.dialogs.saveName = m_dir.filePath("none/run.txt");
        QTest::mouseClick(Program::childOf(w, "Command2"), Qt::LeftButton);
        QCOMPARE(p.dialogs.saveFolders.last(), folder); // where the first Save went
        QCOMPARE(p.dialogs.informed.size(), 1);
        QVERIFY(p.dialogs.informed[0].contains("none/run-projection.txt"));
    }
};

QTEST_MAIN(AnalysisfrmTest)
#include "analysisfrm_test.moc"
