#include "program.h"

#include "ui/ResultFrm/resultfrm.h"

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

QString boxText(QWidget &window, const char *name)
{
    return Program::childOf<QLineEdit>(&window, QString::fromLatin1(name))->text();
}

} // namespace

class ResultFrmTest : public QObject
{
    Q_OBJECT

private slots:
    void captionsStandInTheirRowsAndTheBoxesStartEmpty()
    {
        Program p;
        ResultFrm &w = p.windows->resultFrm();
        QCOMPARE(w.windowTitle(), QStringLiteral("Population parameters"));
        const std::array<const char *, 3> rows[] = {
            {"Label1", "Finite rate of increase:", "Text1"},
            {"Label5", "Intrisic rate of increase:", "Text5"},
            {"Label2", "Net reproductive rate:", "Text2"},
            {"Label3", "Mean generation time:", "Text3"},
            {"Label4", "Doubling time:", "Text4"},
            {"Label6", "Birth rate at SAD:", "Text6"},
            {"Label7", "Survival rate at SAD:", "Text7"},
            {"Label8", "Death rate at SAD:", "Text8"},
        };
        int above = -1;
        for (const auto &[labelName, caption, boxName] : rows) {
            auto *label = Program::childOf<QLabel>(&w, labelName);
            auto *box = Program::childOf<QLineEdit>(&w, boxName);
            QCOMPARE(label->text(), QString::fromLatin1(caption));
            QCOMPARE(box->y(), label->y());
            QVERIFY2(label->y() > above, labelName);
            above = label->y();
            QCOMPARE(box->text(), QString());
        }
        QCOMPARE(Program::childOf<QPushButton>(&w, "Command1")->text(),
                 QStringLiteral("Back to the main form"));
    }

    void resultsOpenInPlaceOfTheMainWindowAndBackReturns()
    {
        Program p;
        p.acceptRoot();
        ResultFrm &w = p.windows->resultFrm();
        QVERIFY(!w.isVisible()); // filled, not shown
        QCOMPARE(boxText(w, "Text1"), QStringLiteral("1.21978759765625"));

        QCOMPARE(p.openFromForm1(p.button("Command14"), "ResultFrm"), &w);
        QTest::mouseClick(Program::childOf(&w, "Command1"), Qt::LeftButton);
        QVERIFY(p.backOnForm1(&w));
        // The main window kept everything it showed.
        QCOMPARE(p.text("Text10"), QStringLiteral("1.21978759765625"));

        // The boxes keep the last acceptance across a cell change.
        p.typeInCell(0, QStringLiteral("0.5"));
        QCOMPARE(boxText(w, "Text1"), QStringLiteral("1.21978759765625"));
    }

    void closingThroughTheFrameReturnsAndRebuildsTheWindow()
    {
        Program p;
        p.acceptRoot();
        QPointer<QWidget> first = p.openFromForm1(p.button("Command14"), "ResultFrm");
        QVERIFY(first);
        const QString doubling = boxText(*first, "Text4");
        Program::closeThroughFrame(first);
        QVERIFY(p.backOnForm1());
        QVERIFY(first.isNull());

        QWidget *second = p.openFromForm1(p.button("Command14"), "ResultFrm");
        QVERIFY(second);
        QCOMPARE(boxText(*second, "Text1"), QStringLiteral("1.21978759765625"));
        QCOMPARE(boxText(*second, "Text2"), QStringLiteral("1.75"));
        QCOMPARE(boxText(*second, "Text4"), doubling);
    }
};

QTEST_MAIN(ResultFrmTest)
#include "resultfrm_test.moc"
