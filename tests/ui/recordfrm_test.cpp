// "Database records": a database file's records listed from "Stage matrix", filtered as typed,
// sorted by a column, and one loaded into the stage editor, offscreen.

#include "program.h"
#include "stagewindows.h"

#include "core/stageeditor.h"
#include "io/recordlist.h"
#include "ui/Stagefrm/stagefrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::test;

namespace {

const QString kSample = QStringLiteral(TARNVALE_EXAMPLES_DIR "/compadre-sample.csv");
// `tarnvale --report --json --format compadre compadre-sample.csv --ids 2`
constexpr double kWhaleLambda1 = 1.0254413255303465;
const QString kWhaleNote = QStringLiteral(
    "Orcinus orca (Killer whale), Brault; Caswell (1993) Ecology, 10.2307/1940073\n"
    "Worrying checks: check_ergodic false, check_irreducible false, check_primitive false");

// The stage matrix, and the list of the sample opened through its "Open…" in its place.
struct Session
{
    Program p;
    Stagefrm *stage = nullptr;
    QWidget *list = nullptr;

    explicit Session(const QString &file = kSample)
    {
        QTest::mouseClick(p.button("Command16"), Qt::LeftButton);
        stage = p.topLevel<Stagefrm>("Stagefrm");
        open(file);
    }
    void open(const QString &file = kSample)
    {
        p.dialogs.files << file;
        QTest::mouseClick(on<QAbstractButton>(stage, "Command4"), Qt::LeftButton);
        list = p.topLevel("Recordfrm");
    }
    bool listInFront() const { return list && list->isVisible() && !stage->isVisible(); }
    QTableView *view() const { return on<QTableView>(list, "List1"); }
    void filter(const QString &text)
    {
        on<QLineEdit>(list, "Text1")->clear();
        QTest::keyClicks(on<QLineEdit>(list, "Text1"), text);
    }
    QStringList column(RecordColumn c) const
    {
        QStringList texts;
        for (int row = 0; row < view()->model()->rowCount(); ++row)
            texts << view()->model()->index(row, static_cast<int>(c)).data().toString();
        return texts;
    }
    // Filters down to the one record of `text` and loads it with Enter in the filter.
    void load(const QString &text)
    {
        filter(text);
        QCOMPARE(view()->model()->rowCount(), 1);
        QTest::keyClick(on<QLineEdit>(list, "Text1"), Qt::Key_Return);
    }
    // A double-click on the first row: a click, then the second press the view takes as the
    // double.
    void doubleClick()
    {
        const QPoint at = view()->visualRect(view()->model()->index(0, 0)).center();
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, at);
    }
    QString header(int stage) const
    {
        return on<QTableView>(this->stage, "Grid1")
            ->model()
            ->headerData(stage, Qt::Horizontal)
            .toString();
    }
};

} // namespace

class RecordfrmTest : public QObject
{
    Q_OBJECT

private slots:
    void listsTheRecordsAndFiltersAndSortsThem()
    {
        Session s;
        QVERIFY(s.listInFront());
        QCOMPARE(s.list->windowTitle(), QStringLiteral("Database records"));
        QCOMPARE(Program::textOf(on(s.list, "Label3")), QStringLiteral("21 records"));
        QCOMPARE(s.column(RecordColumn::Species).first(), QStringLiteral("Caretta caretta"));

        s.filter(QStringLiteral("orca"));
        QCOMPARE(s.column(RecordColumn::CommonName), QStringList {"Killer whale"});
        QCOMPARE(s.column(RecordColumn::Lambda1), QStringList {"1.02544132553035"});
        QCOMPARE(s.view()->model()->index(0, int(RecordColumn::Checks)).data(Qt::ToolTipRole),
                 QStringLiteral("Worrying checks: check_ergodic false, check_irreducible false, "
                                "check_primitive false"));
        QCOMPARE(Program::textOf(on(s.list, "Label3")), QStringLiteral("1 of 21 records"));
        QCOMPARE(Program::enabledButtons(s.list, 2), QStringLiteral("1 2"));

        // The order of a clicked column stays while the filter changes; a second click turns it.
        QHeaderView *header = s.view()->horizontalHeader();
        const int year = int(RecordColumn::Year);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(year) + 5, 5));
        s.filter(QStringLiteral("CASWELL"));
        QCOMPARE(s.column(RecordColumn::Year), (QStringList {"1977", "1987", "1993"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(year) + 5, 5));
        QCOMPARE(s.column(RecordColumn::Year), (QStringList {"1993", "1987", "1977"}));

        const StageEditor before = s.p.windows->stageEditor();
        click(s.list, "Command2");
        QVERIFY(s.stage->isVisible() && !s.list->isVisible());
        QVERIFY(s.p.windows->stageEditor() == before);
        // The frame's close returns to the stage matrix as well.
        s.open();
        QVERIFY(s.listInFront());
        Program::closeThroughFrame(s.list);
        QVERIFY(s.stage->isVisible() && !s.p.topLevel("Recordfrm"));
    }

    void loadsTheKillerWhaleIntoUAndFWithItsNamesAndCitation()
    {
        Session s;
        s.load(QStringLiteral("orca"));
        QVERIFY(s.stage->isVisible() && !s.list->isVisible());
        QVERIFY(on<QCheckBox>(s.stage, "Check1")->isChecked());
        QVERIFY(on(s.stage, "Grid2")->isVisible() && on(s.stage, "Grid3")->isVisible());
        QVERIFY(!on(s.stage, "Grid4")->isVisible());
        QCOMPARE(s.header(0) + '/' + s.header(3),
                 QStringLiteral("Yearlings/Post-reproductive females"));
        QCOMPARE(on<QTableView>(s.stage, "Grid3")->model()->index(0, 2).data().toString(),
                 QStringLiteral("0.1132"));
        QCOMPARE(on<QTableView>(s.stage, "Grid2")->model()->index(3, 3).data().toString(),
                 QStringLiteral("0.9804"));
        QCOMPARE(Program::textOf(on(s.stage, "Label16")), kWhaleNote);

        // lambda1 of a search to its end is what the command line reports of the record.
        on<QLineEdit>(s.stage, "Text1")->setText(QStringLiteral("1"));
        on<QLineEdit>(s.stage, "Text2")->setText(QStringLiteral("1.1"));
        click(s.stage, "Command1");
        for (int step = 0; step < 40 && on<QLabel>(s.stage, "Label2")->text().isEmpty(); ++step) {
            click(s.stage, "Command2");
            if (on<QLabel>(s.stage, "Label2")->text().isEmpty())
                click(s.stage, "Command3");
        }
        QCOMPARE(s.stage->lambda1(), std::optional<double>(kWhaleLambda1));

        // The note stays across a close, and an edit withdraws it.
        Program::closeThroughFrame(s.stage);
        QTest::mouseClick(s.p.button("Command16"), Qt::LeftButton);
        s.stage = s.p.topLevel<Stagefrm>("Stagefrm");
        QCOMPARE(Program::textOf(on(s.stage, "Label16")), kWhaleNote);
        on<QTableView>(s.stage, "Grid2")
            ->model()
            ->setData(on<QTableView>(s.stage, "Grid2")->model()->index(1, 0),
                      QStringLiteral("0.5"));
        QCOMPARE(Program::textOf(on(s.stage, "Label16")), QString());
        QVERIFY(on(s.stage, "Label16")->isHidden());
    }

    void loadsARecordWithoutPartsAsAAloneAndNoneWithAProblem()
    {
        Session s;
        s.filter(QStringLiteral("not split"));
        s.doubleClick();
        QVERIFY(!on<QCheckBox>(s.stage, "Check1")->isChecked());
        const StageModel model = StageModelOf(s.p.windows->stageEditor());
        QCOMPARE(model.a.values, (std::vector<double> {0, 1.5, 0.5, 0.5}));
        QCOMPARE(s.header(1), QStringLiteral("Large"));

        s.open();
        s.filter(QStringLiteral("not square"));
        QCOMPARE(Program::enabledButtons(s.list, 2), QStringLiteral("2"));
        QCOMPARE(Program::textOf(on(s.list, "Label2")),
                 QStringLiteral("This record cannot be loaded: matA holds 3 entries, not a square "
                                "number.\nWorrying checks: check_NA_A true, check_component_sum "
                                "false"));
        s.doubleClick();
        QVERIFY(s.listInFront());
        QCOMPARE(StageModelOf(s.p.windows->stageEditor()), model);
    }

    void aRecordThatCannotBeReadAgainLeavesTheGridAsItWas()
    {
        QTemporaryDir dir;
        QFile::copy(kSample, dir.filePath("db.csv"));
        Session s(dir.filePath("db.csv"));
        QVERIFY(s.listInFront());
        const StageEditor before = s.p.windows->stageEditor();
        Program::writeFile(dir.filePath("db.csv"), "matA\n\"[1]\"\n");
        s.filter(QStringLiteral("orca"));
        click(s.list, "Command1");
        QCOMPARE(s.p.dialogs.informed.last(),
                 "Load: The file \"" + dir.filePath("db.csv")
                     + "\" has changed since its records were listed: open it again.");
        QVERIFY(s.listInFront());
        QVERIFY(s.p.windows->stageEditor() == before);

        // A file of neither kind is refused as a matrix file is.
        click(s.list, "Command2");
        s.p.dialogs.files << Program::writeFile(dir.filePath("x.csv"), "a,b\n");
        click(s.stage, "Command4");
        QVERIFY(s.p.dialogs.informed.last().startsWith(QStringLiteral("Open: ")));
        QVERIFY(s.stage->isVisible() && !s.list->isVisible());
    }
};

QTEST_MAIN(RecordfrmTest)
#include "recordfrm_test.moc"
