// "What if" in "Further analysis": lambda1 follows a changed copy of the model, checked against a
// power iteration and closed forms; bad values, refused files and Reset change nothing; Save
// writes the sweep; the LTRE sums to the change of lambda1 to first order.
#include "poweriteration.h"
#include "program.h"
#include "stagewindows.h"

#include "core/stageeditor.h"
#include "io/matrixfile.h"
#include "ui/Analysisfrm/analysisfrm.h"

#include <QComboBox>
#include <QDir>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <charconv>
#include <cmath>
#include <fstream>

using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::test;

namespace {

StageModel anton()
{
    StageModel m;
    m.a = SquareMatrix(3);
    m.a.values = {0, 4, 3, 0.5, 0, 0, 0, 0.25, 0};
    return m;
}

double number(const QString &text)
{
    const std::string t = text.toStdString();
    double value = NAN;
    std::from_chars(t.data(), t.data() + t.size(), value);
    return value;
}

QString text(QWidget *w, const char *name)
{
    return Program::textOf(Program::childOf(w, QString::fromLatin1(name)));
}

// "Further analysis" of `model` with its "What if" page in front.
Analysisfrm *openWhatIf(Program &p, const StageModel &model)
{
    p.windows->showAnalysisfrm(model, std::nullopt, &p.form1());
    auto *w = p.topLevel<Analysisfrm>("Analysisfrm");
    Program::childOf<QTabWidget>(w, "fraPages")->setCurrentIndex(1);
    return w;
}

void chooseTarget(QWidget *w, const QString &target)
{
    auto *list = Program::childOf<QComboBox>(w, "WhatIfTarget");
    const int index = list->findText(target + "  ", Qt::MatchStartsWith);
    QVERIFY2(index >= 0, qPrintable(target));
    list->setCurrentIndex(index);
}

void typeValue(QWidget *w, const QString &value)
{
    auto *box = Program::childOf<QLineEdit>(w, "WhatIfValue");
    box->clear();
    QTest::keyClicks(box, value);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class WhatIfTest : public QObject
{
    Q_OBJECT

private slots:
    // Anton's matrix, lambda1 = 1.5, as a stage model and as a Leslie table: lambda1 = 1 where
    // k = 1/1.5 on every entry, and where k (2 + 0.375) = 1 on the fecundities (row 1).
    void groupsBreakEvenAtTheirClosedForms()
    {
        struct Case
        {
            const char *target;
            double k;
        };
        const Case cases[] = {{"A", 2.0 / 3}, {"row[1]", 8.0 / 19}, {"F", 8.0 / 19}};
        for (const bool leslie : {false, true}) {
            Program p;
            Analysisfrm *w = openWhatIf(p, anton());
            if (leslie)
                w->showAnalysis(LeslieTable {{0, 4, 3}, {0.5, 0.25}}, std::nullopt);
            QCOMPARE(text(w, "WhatIfLambda"), QStringLiteral("1.5"));
            // The part F is a Leslie table's first row; the matrix alone is not split.
            const auto *list = Program::childOf<QComboBox>(w, "WhatIfTarget");
            QCOMPARE(list->findText("F  ", Qt::MatchStartsWith) >= 0, leslie);
            for (const Case &c : cases) {
                if (!leslie && c.target == QLatin1String("F"))
                    continue;
                chooseTarget(w, c.target);
                QVERIFY(std::fabs(number(text(w, "WhatIfBreakEven")) - c.k) < 1e-12);
                // A group's value is the factor k; every entry and a row are harvests h = 1 - k.
                QCOMPARE(text(w, "WhatIfValue"), QStringLiteral("1"));
                QCOMPARE(text(w, "WhatIfHarvest").isEmpty(), c.target == QLatin1String("F"));
            }
        }
    }

    // The loggerhead turtle: dragging the stay of the large juveniles a[3,3] = 0.661 to 1.322,
    // lambda1 follows a power iteration of the changed matrix, crossing 1 near 0.876.
    void theSliderFollowsAPowerIteration()
    {
        Program p;
        const StageModel turtle = ExampleModel("StageM-LoggerheadTurtle.csv");
        Analysisfrm *w = openWhatIf(p, turtle);
        const QString before = text(w, "txtLambda1");
        chooseTarget(w, "a[3,3]");
        QVERIFY(std::fabs(number(text(w, "WhatIfBreakEven")) - 0.876) < 0.001);
        auto *slider = Program::childOf<QSlider>(w, "WhatIfSlider");
        for (int position = slider->minimum(); position <= slider->maximum(); position += 50) {
            slider->setValue(position);
            StageModel changed = turtle;
            changed.a.values[2 * 7 + 2] = number(text(w, "WhatIfValue"));
            const double lambda = number(text(w, "WhatIfLambda"));
            QVERIFY2(std::fabs(lambda - PowerIteration(changed.a).first) < 1e-9,
                     qPrintable(text(w, "WhatIfValue")));
            QCOMPARE(lambda > 1, w->whatIfValue() > 0.876);
        }
        // The analysis above and the model shown stay as they were.
        QCOMPARE(text(w, "txtLambda1"), before);
        QCOMPARE(w->whatIfVariation()->model, PopulationModel(turtle));
    }

    // A bad text names itself beside the box and changes nothing; Reset returns to the present.
    void badValuesChangeNothingAndResetRestores()
    {
        Program p;
        Analysisfrm *w = openWhatIf(p, anton());
        chooseTarget(w, "a[1,2]");
        typeValue(w, "6");
        QCOMPARE(w->whatIfValue(), 6.0);
        const QString lambda = text(w, "WhatIfLambda");
        for (const char *bad : {"abc", "-1", "1e400", "", "1 2", "2x", "nan"}) {
            typeValue(w, QString::fromLatin1(bad));
            QCOMPARE(w->whatIfValue(), 6.0);
            QCOMPARE(text(w, "WhatIfValue"), QStringLiteral("6"));
            QCOMPARE(text(w, "WhatIfLambda"), lambda);
            QVERIFY(Program::childOf(w, "WhatIfMessage")->isVisibleTo(w));
            QVERIFY(text(w, "WhatIfMessage").contains(QStringLiteral("\u201c%1\u201d").arg(bad)));
        }
        QTest::mouseClick(Program::childOf(w, "WhatIfReset"), Qt::LeftButton);
        QCOMPARE(w->whatIfValue(), 4.0);
        QCOMPARE(text(w, "WhatIfLambda"), QStringLiteral("1.5"));
        QCOMPARE(Program::childOf<QSlider>(w, "WhatIfSlider")->value(), 200);
    }

    // An entry near the top of the double range: the slider runs to it and no further, and
    // every value it gives is a number.
    void aHugeEntryKeepsTheSliderFinite()
    {
        Program p;
        StageModel huge;
        huge.a = SquareMatrix(2);
        huge.a.values = {1e308, 0.5, 0.25, 0};
        Analysisfrm *w = openWhatIf(p, huge);
        chooseTarget(w, "a[1,1]");
        auto *slider = Program::childOf<QSlider>(w, "WhatIfSlider");
        for (const int position : {0, 1, slider->maximum() / 2, slider->maximum()}) {
            slider->setValue(position);
            QVERIFY2(std::isfinite(w->whatIfValue()) && w->whatIfValue() <= 1e308,
                     qPrintable(text(w, "WhatIfValue")));
            QCOMPARE(text(w, "WhatIfValue").isEmpty(), false);
            QVERIFY(!text(w, "WhatIfLambda").contains("inf", Qt::CaseInsensitive));
        }
    }

    // Opened from "Stage matrix", the what-if leaves its grid and the analysis shown as they were.
    void theStageMatrixStaysAsItWas()
    {
        Program p;
        p.windows->showStagefrm();
        const StageEditor before = p.windows->stageEditor();
        QTest::mouseClick(Program::childOf(p.topLevel("Stagefrm"), "Command6"), Qt::LeftButton);
        auto *w = p.topLevel<Analysisfrm>("Analysisfrm");
        QVERIFY(w && w->isVisible());
        const QString lambda1 = text(w, "txtLambda1");
        Program::childOf<QTabWidget>(w, "fraPages")->setCurrentIndex(1);
        auto *list = Program::childOf<QComboBox>(w, "WhatIfTarget");
        for (int i = 0; i < list->count(); ++i) {
            list->setCurrentIndex(i);
            Program::childOf<QSlider>(w, "WhatIfSlider")->setValue(i * 37 % 400);
            typeValue(w, "0.5");
        }
        QVERIFY(p.windows->stageEditor() == before);
        QCOMPARE(text(w, "txtLambda1"), lambda1);
        QCOMPARE(w->stageAnalysis().lambda, AnalyseStage(StageModelOf(before)).lambda);
    }

    void saveWritesTheSweep()
    {
        Program p;
        Analysisfrm *w = openWhatIf(p, anton());
        QTemporaryDir folder;
        p.dialogs.saveName = folder.filePath("sweep");
        QTest::mouseClick(Program::childOf(w, "WhatIfSave"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed, QStringList());
        QFile file(folder.filePath("sweep.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines
            = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        const Sweep &sweep = w->whatIfSweep();
        QCOMPARE(lines.size(), 202);
        QCOMPARE(lines[0], QStringLiteral("value,lambda1"));
        QCOMPARE(sweep.values.back(), 2.0);
        for (std::size_t k = 0; k < sweep.values.size(); ++k) {
            const QStringList fields = lines[static_cast<int>(k) + 1].split(',');
            QCOMPARE(number(fields[0]), sweep.values[k]);
            QCOMPARE(number(fields[1]), sweep.lambda[k].value());
        }
        // A name that cannot be written is said, and nothing else happens.
        p.dialogs.saveName = folder.filePath("none/sweep.csv");
        QTest::mouseClick(Program::childOf(w, "WhatIfSave"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed.size(), 1);
    }

    // Against a copy with a few entries 1 % larger, the contributions sum to the change of
    // lambda1 (by power iteration) but for second-order terms; a refused file changes nothing.
    void anLtreSumsToTheDifference()
    {
        Program p;
        const StageModel turtle = ExampleModel("StageM-LoggerheadTurtle.csv");
        Analysisfrm *w = openWhatIf(p, turtle);
        StageModel changed = turtle;
        for (const int at : {4, 7 + 1, 2 * 7 + 2, 6 * 7 + 6})
            changed.a.values[static_cast<std::size_t>(at)] *= 1.01;
        QTemporaryDir folder;
        const QString second = folder.filePath("changed.csv");
        std::ofstream(second.toStdString()) << MatrixFileText(changed);
        p.dialogs.openFile = second;
        QTest::mouseClick(Program::childOf(w, "WhatIfCompare"), Qt::LeftButton);
        auto *table = Program::childOf<QTableWidget>(w, "WhatIfLtre");
        QVERIFY(table->isVisibleTo(w));
        double sum = 0;
        for (int i = 0; i < 7; ++i)
            for (int j = 0; j < 7; ++j)
                sum += number(table->item(i, j)->toolTip().section(": ", -1));
        const double difference = PowerIteration(changed.a).first - PowerIteration(turtle.a).first;
        QVERIFY(difference > 1e-3);
        QVERIFY(std::fabs(sum - difference) < 0.01 * difference);
        const QString shown = text(w, "WhatIfLtreSum");
        QVERIFY(shown.contains("changed.csv"));

        // A file of other text: the reader's message, the comparison as it was.
        const QString bad = folder.filePath("bad.csv");
        std::ofstream(bad.toStdString()) << "1,2\n3\n";
        p.dialogs.openFile = bad;
        QTest::mouseClick(Program::childOf(w, "WhatIfCompare"), Qt::LeftButton);
        QCOMPARE(text(w, "WhatIfLtreMessage"),
                 QString::fromStdString(ReadMatrixFile(bad.toStdString()).message));
        QCOMPARE(text(w, "WhatIfLtreSum"), shown);
        QCOMPARE(table->rowCount(), 7);
    }
};

QTEST_MAIN(WhatIfTest)
#include "whatif_test.moc"
