// "Stage matrix" against bad input: every shape of bad file, database record, pasted block and
// typed cell is refused or marked with the exact message and leaves the window and the owner's
// model as they were; degenerate matrices show no inf or NaN, here or in "Further analysis".
#include "program.h"
#include "stagewindows.h"

#include "core/stageeditor.h"
#include "ui/Stagefrm/stagefrm.h"
#include "ui/common/controls.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>
#include <unistd.h>

using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::test;

namespace {

enum Way { Open, Database, Paste, PasteIntoA, Type, TypeSum };

// The model every shape starts from: split into U, F and C, with stage names.
const QByteArray kStart = "[U]\n\"\",a,b\na,0,0\nb,0.5,0.8\n[F]\n0,1.5\n0,0\n[C]\n0,0.1\n0,0\n";

// Parts U, F, C and A of two stages, `token` in place of the entry in row 2, column 1 of part
// `bad` (0 ... 3), or a grid alone (bad = 4) under `separator`.
QByteArray partsWith(int bad, const QByteArray &token, char separator = ',')
{
    const char *parts[] = {"U", "F", "C", "A"};
    const char *first[] = {"0,0", "0,1.5", "0,0.1", "0,1.6"};
    const char *second[] = {"0.5,0.8", "0,0", "0,0", "0.5,0.8"};
    QByteArray text;
    for (int k = 0; k < 4; ++k) {
        if (bad == 4 && k != 3)
            continue;
        QByteArray row = second[k];
        if (k == bad || bad == 4)
            row = token + row.mid(row.indexOf(',')).replace(',', separator);
        if (bad != 4)
            text += QByteArray("[") + parts[k] + "]\n";
        text += QByteArray(first[k]).replace(',', separator) + '\n' + row + '\n';
    }
    return text;
}

// A database file of three records, the second with `matA` as written (quoted or not).
QByteArray database(const QByteArray &matA)
{
    return "\"\",\"MatrixID\",\"SpeciesAccepted\",\"matA\"\n"
           "\"1\",1,\"Good one\",\"[0 1.5 0.5 0.8]\"\n"
           "\"2\",2,\"Bad one\","
        + matA
        + "\n"
          "\"3\",3,\"Good two\",\"[0 2 0.25 0]\"\n";
}

// What the window and its owner hold: every grid's cells and names, the stage count, the split,
// the line under the grid, the buttons, and the owner's editor with its model.
struct Snapshot
{
    QStringList shown;
    StageEditor editor;
    StageModel model;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(Program &p, QWidget *w)
{
    Snapshot s;
    for (const char *name : {"Grid1", "Grid2", "Grid3", "Grid4"}) {
        const auto *grid = on<QTableView>(w, name)->model();
        s.shown << QString::fromLatin1(name) + (on(w, name)->isHidden() ? " hidden" : " shown");
        for (int i = 0; i < grid->rowCount(); ++i) {
            s.shown << grid->headerData(i, Qt::Horizontal).toString();
            for (int j = 0; j < grid->columnCount(); ++j)
                s.shown << grid->index(i, j).data().toString();
        }
    }
    s.shown << QString::number(on<QSpinBox>(w, "Text7")->value())
            << QString::number(on<QCheckBox>(w, "Check1")->isChecked())
            << Program::textOf(on(w, "Label3")) << Program::enabledButtons(w, 8);
    s.editor = p.windows->stageEditor();
    s.model = StageModelOf(s.editor);
    return s;
}

// Every text a window shows: labels, boxes and the cells of its tables.
QStringList textsOf(QWidget *window)
{
    QStringList texts;
    for (QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    for (QLineEdit *box : window->findChildren<QLineEdit *>())
        texts << box->text();
    for (QAbstractItemView *view : window->findChildren<QAbstractItemView *>()) {
        const QAbstractItemModel *model = view->model();
        for (int i = 0; model && i < std::min(model->rowCount(), 50); ++i)
            for (int j = 0; j < std::min(model->columnCount(), 50); ++j)
                texts << model->index(i, j).data().toString();
    }
    return texts;
}

const QRegularExpression kInfOrNan(QStringLiteral("\\b(inf|infinity|nan)\\b"),
                                   QRegularExpression::CaseInsensitiveOption);

// What the user typed (`typed`) may be shown back as typed, in its cell and the line under it.
void expectNoInfOrNan(QWidget *window, const QString &typed = {})
{
    for (const QString &text : textsOf(window))
        QVERIFY2(!kInfOrNan.match(text).hasMatch() || (!typed.isEmpty() && text.contains(typed)),
                 qPrintable(text));
}

// lambda1 by hand from [x1, x2], then "Further analysis"; the analysis window.
QWidget *searchAndAnalyse(Program &p, QWidget *w, double x1, double x2)
{
    on<QLineEdit>(w, "Text1")->setText(QString::number(x1, 'g', 17));
    on<QLineEdit>(w, "Text2")->setText(QString::number(x2, 'g', 17));
    QTest::mouseClick(on<QAbstractButton>(w, "Command1"), Qt::LeftButton);
    for (int step = 0; step < 80 && on<QAbstractButton>(w, "Command2")->isEnabled(); ++step) {
        QTest::mouseClick(on<QAbstractButton>(w, "Command2"), Qt::LeftButton);
        if (on<QAbstractButton>(w, "Command3")->isEnabled())
            QTest::mouseClick(on<QAbstractButton>(w, "Command3"), Qt::LeftButton);
    }
    QTest::mouseClick(on<QAbstractButton>(w, "Command6"), Qt::LeftButton);
    return p.topLevel("Analysisfrm");
}

} // namespace

class StagefrmBadInputTest : public QObject
{
    Q_OBJECT

private slots:
    void badInputIsRefusedOrMarkedAndChangesNothing_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message");
        const auto open = [](const char *name, const QByteArray &text, const QString &message) {
            QTest::newRow(name) << int(Open) << text << message;
        };
        // Each bad entry in each part, and in a grid alone.
        const struct
        {
            const char *token, *name, *problem;
        } entries[] = {
            {"NA", "NA", "the value is missing (NA)"},
            {"-0.5", "negative", "-0.5 is negative"},
            {"Inf", "Inf", "\"Inf\" is not a finite number"},
            {"NaN", "NaN", "\"NaN\" is not a finite number"},
            {"1e999", "1e999", "1e999 is a number too large to compute with"},
        };
        const char *places[] = {"[U]", "[F]", "[C]", "[A]", "grid"};
        for (int part = 0; part < 5; ++part)
            for (const auto &e : entries) {
                const QByteArray name = QByteArray(e.name) + " in " + places[part];
                open(name.constData(), partsWith(part, e.token),
                     QStringLiteral("Line %1 of the file \"%F\", column 1: %2.")
                         .arg(part == 4 ? 2 : 3 * part + 3)
                         .arg(QString::fromUtf8(e.problem)));
            }
        QByteArray wide = "0";
        for (int j = 1; j < 501; ++j)
            wide += ",0";
        open("ragged", "0,1\n0.5\n", "Line 2 of the file \"%F\" has 1 entry where line 1 has 2.");
        open("not square", "0,1,2\n0.5,0,0\n",
             "The file \"%F\" has 2 rows of 3 entries; a projection matrix is square.");
        open("row and header names differ", "\"\",\"a\",\"b\"\n\"b\",0,1\n\"a\",0.5,0.8\n",
             "Line 2 of the file \"%F\", column 1: the row is named \"b\" where the header on "
             "line 1 names stage 1 \"a\".");
        open("names of parts differ",
             "[U]\n\"\",a,b\na,0,0\nb,0.5,0.8\n[F]\n\"\",a,c\na,0,1.5\nc,0,0\n",
             "Line 6 of the file \"%F\", column 3: [F] names stage 2 \"c\" where [U] names it "
             "\"b\".");
        open("[A] disagrees with its parts", partsWith(3, "0.9"),
             "Line 12 of the file \"%F\", column 1: [A] holds 0.9 where U + F + C is 0.5.");
        open("decimal comma", partsWith(4, "0,5", ';'),
             "Line 2 of the file \"%F\", column 1: \"0,5\" is not a number: the decimal point is "
             "\".\".");
        open("501 stages", wide + "\n",
             "Line 1 of the file \"%F\" has 501 entries; a projection matrix here has at most "
             "500 stages.");
        open("empty file", "", "The file \"%F\" is empty.");
        open("no matA and not a matrix", "a,b\n1,2\n",
             "Line 1 of the file \"%F\", column 1: \"a\" is not a number.");
        // Marks the file as a folder, or as one that cannot be read.
        open("a folder", "<folder>", "\"%F\" is a folder, not a file.");
        open("unreadable", "<unreadable>", "The file \"%F\" cannot be opened for reading.");

        const auto record = [](const char *name, const QByteArray &matA, const char *problem) {
            QTest::newRow(name) << int(Database) << database(matA) << QString::fromUtf8(problem);
        };
        record("record not square", "\"[1 2 3]\"", "matA holds 3 entries, not a square number");
        record("record NA", "\"[0 NA 0.5 0]\"", "matA, row 1, column 2 is NA");
        record("record negative", "\"[0 -1 0.5 0]\"", "matA, row 1, column 2: -1 is negative");
        record("record open quote", "\"[0 1 0.5 0]",
               "line 3 opens a double quote in field 4 that is not closed on the line");

        const auto paste = [](const char *name, const QByteArray &block, const char *message) {
            QTest::newRow(name) << int(Paste) << block << QString::fromUtf8(message);
        };
        QByteArray row500 = "1";
        for (int j = 1; j < 500; ++j)
            row500 += "\t1";
        paste("paste ragged", "1\t2\n3\n4\t5\n",
              "Paste: Row 2 of the pasted block has 1 cell where row 1 has 2. Nothing has been "
              "pasted.");
        paste("paste beyond 500 stages", row500,
              "Paste: The pasted block needs 501 stages; the matrix has at most 500. Nothing has "
              "been pasted.");
        paste("paste nothing", "\n\n", "Paste: The clipboard holds no cells to paste.");
        QTest::newRow("paste into A") << int(PasteIntoA) << QByteArray("1\t2")
                                      << QStringLiteral("Paste: The grid A is the sum of the parts "
                                                        "and cannot be pasted into. Nothing has "
                                                        "been pasted.");

        const auto type = [](const char *text, const char *problem) {
            QTest::newRow(qPrintable(QStringLiteral("type %1").arg(QString::fromUtf8(text))))
                << int(Type) << QByteArray(text)
                << QStringLiteral("U, row 'b', column 'a': ") + QString::fromUtf8(problem);
        };
        type("x", "\"x\" is not a number");
        type("-1", "\"-1\" is negative");
        type("0,5", "\"0,5\" is not a number: the decimal point is \".\"");
        type("inf", "\"inf\" is not a finite number");
        type("nan", "\"nan\" is not a finite number");
        type("1e999", "\"1e999\" is a number too large to compute with");
        // Each part a number, their sum A beyond the double range.
        QTest::newRow("type 1e308 in U and F")
            << int(TypeSum) << QByteArray("1e308")
            << QStringLiteral("A, row 'b', column 'a': U + F + C is a number too large to "
                              "compute with");
    }

    void badInputIsRefusedOrMarkedAndChangesNothing()
    {
        QFETCH(int, way);
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        QTemporaryDir dir;
        Program p;
        QTest::mouseClick(p.button("Command16"), Qt::LeftButton);
        auto *w = p.topLevel<Stagefrm>("Stagefrm");
        QVERIFY(w && w->openMatrixFile(Program::writeFile(dir.filePath("start.csv"), kStart)));
        const Snapshot before = snapshot(p, w);
        QCOMPARE(before.shown.count(QStringLiteral(" hidden")), 0);

        QString file = dir.filePath("bad.csv");
        if (input == "<folder>") {
            file = dir.path();
        } else {
            Program::writeFile(file, input);
            if (input == "<unreadable>") {
                if (::geteuid() == 0)
                    QSKIP("root reads any file, so permissions cannot be tested");
                QFile::setPermissions(file, {});
            }
        }
        switch (way) {
        case Open:
            p.dialogs.files << file;
            QTest::mouseClick(on<QAbstractButton>(w, "Command4"), Qt::LeftButton);
            QCOMPARE(p.dialogs.informed.value(0),
                     QStringLiteral("Open: ") + QString(message).replace("%F", file)
                         + QStringLiteral("\n\nNothing has been changed."));
            break;
        case Database: {
            p.dialogs.files << file;
            QTest::mouseClick(on<QAbstractButton>(w, "Command4"), Qt::LeftButton);
            QWidget *list = p.topLevel("Recordfrm");
            QVERIFY(list && list->isVisible());
            QCOMPARE(Program::textOf(on(list, "Label3")), QStringLiteral("3 records"));
            // A line that cannot be read has no species: the filter finds it by its problem.
            QTest::keyClicks(on<QLineEdit>(list, "Text1"), message);
            const auto *rows = on<QTableView>(list, "List1")->model();
            QCOMPARE(rows->rowCount(), 1);
            QCOMPARE(rows->index(0, rows->columnCount() - 1).data().toString(), message);
            QVERIFY(Program::textOf(on(list, "Label2"))
                        .startsWith("This record cannot be loaded: " + message + '.'));
            QCOMPARE(Program::enabledButtons(list, 2), QStringLiteral("2"));
            // Enter, as a double-click, loads nothing.
            QTest::keyClick(on<QLineEdit>(list, "Text1"), Qt::Key_Return);
            QVERIFY(list->isVisible() && !w->isVisible());
            QCOMPARE(snapshot(p, w), before);
            // The good records of the file still load.
            for (const char *good : {"Good one", "Good two"}) {
                on<QLineEdit>(list, "Text1")->clear();
                QTest::keyClicks(on<QLineEdit>(list, "Text1"), QString::fromLatin1(good));
                QTest::keyClick(on<QLineEdit>(list, "Text1"), Qt::Key_Return);
                QVERIFY(w->isVisible());
                QVERIFY(Program::textOf(on(w, "Label16")).startsWith(QString::fromLatin1(good)));
                p.dialogs.files << file;
                QTest::mouseClick(on<QAbstractButton>(w, "Command4"), Qt::LeftButton);
            }
            QCOMPARE(StageModelOf(p.windows->stageEditor()).a.values,
                     (std::vector<double> {0, 2, 0.25, 0}));
            expectNoInfOrNan(list);
            return;
        }
        case Paste:
        case PasteIntoA: {
            auto *grid = on<QTableView>(w, way == Paste ? "Grid2" : "Grid1");
            grid->setFocus();
            grid->setCurrentIndex(grid->model()->index(0, 1));
            QGuiApplication::clipboard()->setText(QString::fromUtf8(input));
            QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(p.dialogs.informed.value(0), message);
            break;
        }
        case TypeSum:
            typeInCell(w, "Grid3", 1, 0, QString::fromUtf8(input));
            [[fallthrough]];
        case Type: {
            typeInCell(w, "Grid2", 1, 0, QString::fromUtf8(input));
            QCOMPARE(Program::textOf(on(w, "Label3")), message);
            const auto *grid = on<QTableView>(w, way == Type ? "Grid2" : "Grid1")->model();
            QCOMPARE(grid->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), kRed);
            QCOMPARE(Program::enabledButtons(w, 8), QStringLiteral("4 7 8"));
            if (way == TypeSum) {
                expectNoInfOrNan(w);
                return;
            }
            // The bad text stays in its cell to be mended; the model keeps the last number.
            StageEditor typed = before.editor;
            SetStageCell(typed, StagePart::U, 1, 0, input.toStdString());
            QVERIFY(p.windows->stageEditor() == typed);
            QCOMPARE(StageModelOf(p.windows->stageEditor()), before.model);
            expectNoInfOrNan(w, QString::fromUtf8(input));
            return;
        }
        }
        QCOMPARE(p.dialogs.informed.size(), 1);
        QCOMPARE(snapshot(p, w), before);
        expectNoInfOrNan(w);
    }

    // Degenerate matrices opened from a file: lambda1 by hand where it has one, "Further
    // analysis", and no inf or NaN in either window.
    void degenerateMatricesShowNoInfOrNan_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<double>("lambda");
        QTest::newRow("singular") << QByteArray("0,0\n0,1\n") << 1.0;
        QTest::newRow("reducible") << QByteArray("0.5,0,0\n0.3,0.8,0\n0,0.2,0.1\n") << 0.8;
        QTest::newRow("period 2") << QByteArray("0,2\n0.5,0\n") << 1.0;
        QTest::newRow("period 3") << QByteArray("0,0,8\n0.5,0,0\n0,0.5,0\n") << std::cbrt(2.0);
        QTest::newRow("all zero") << QByteArray("0,0\n0,0\n") << 0.0;
        QTest::newRow("huge") << QByteArray("1e300,1e300\n1e300,1e300\n") << 2e300;
        QTest::newRow("huge parts")
            << QByteArray("[U]\n0,0\n1e300,0\n[F]\n0,1e300\n0,0\n") << 1e300;
    }

    void degenerateMatricesShowNoInfOrNan()
    {
        QFETCH(QByteArray, file);
        QFETCH(double, lambda);
        QTemporaryDir dir;
        Program p;
        QTest::mouseClick(p.button("Command16"), Qt::LeftButton);
        auto *w = p.topLevel<Stagefrm>("Stagefrm");
        QVERIFY(w->openMatrixFile(Program::writeFile(dir.filePath("m.csv"), file)));
        // A bracket around lambda1 alone (or around 1 where it is 0).
        const double at = lambda > 0 ? lambda : 1;
        QWidget *analysis = searchAndAnalyse(p, w, at * 0.9, at * 1.5);
        if (lambda > 0) {
            QVERIFY(w->lambda1());
            QVERIFY(std::fabs(*w->lambda1() - lambda) <= 1e-12 * lambda);
        } else {
            QVERIFY(!w->lambda1());
            QCOMPARE(Program::textOf(on(w, "Text8")), QString());
        }
        // The elasticities the graph labels its arrows with, where lambda1 has them.
        auto *elasticities = on<QCheckBox>(w, "Check2");
        QTest::mouseClick(elasticities, Qt::LeftButton, {}, QPoint(6, elasticities->height() / 2));
        QCOMPARE(elasticities->isChecked(), lambda > 0);
        for (QGraphicsItem *item : on<QGraphicsView>(w, "Picture1")->scene()->items())
            if (auto *label = dynamic_cast<QGraphicsSimpleTextItem *>(item))
                QVERIFY2(!kInfOrNan.match(label->text()).hasMatch(), qPrintable(label->text()));
        expectNoInfOrNan(w);
        QVERIFY(analysis && analysis->isVisible());
        expectNoInfOrNan(analysis);
    }
};

QTEST_MAIN(StagefrmBadInputTest)
#include "stagefrm_badinput_test.moc"
