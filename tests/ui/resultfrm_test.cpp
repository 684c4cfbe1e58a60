#include "program.h"

#include "ui/ResultFrm/resultfrm.h"
#include "ui/common/twips.h"

#include <QLabel>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

template<typename T> T *child(ResultFrm &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

// Runs the worked search of the default matrix to its accepted root.
void acceptDefaultRoot(Program &p)
{
    QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
    QTest::mouseClick(p.button("Command2"), Qt::LeftButton);
    for (int step = 0; step < 15; ++step) {
        QTest::mouseClick(p.button("Command3"), Qt::LeftButton);
        if (step < 14)
            QTest::mouseClick(p.button("Command4"), Qt::LeftButton);
    }
}

} // namespace

class ResultFrmTest : public QObject
{
    Q_OBJECT

private slots:
    void layoutFollowsTheTwipPositions()
    {
        Program p;
        ResultFrm &w = p.windows->resultFrm();
        QCOMPARE(w.objectName(), QStringLiteral("ResultFrm"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Population parameters"));
        QCOMPARE(w.size(), QSize(Twips(7620), Twips(6120)));

        struct Row
        {
            int top;
            const char *label, *caption, *box;
        };
        const Row rows[] = {
            {600, "Label1", "Finite rate of increase:", "Text1"},
            {1200, "Label5", "Intrisic rate of increase:", "Text5"},
            {1800, "Label2", "Net reproductive rate:", "Text2"},
            {2400, "Label3", "Mean generation time:", "Text3"},
            {3000, "Label4", "Doubling time:", "Text4"},
            {3600, "Label6", "Birth rate at SAD:", "Text6"},
            {4200, "Label7", "Survival rate at SAD:", "Text7"},
            {4800, "Label8", "Death rate at SAD:", "Text8"},
        };
        for (const Row &row : rows) {
            auto *label = child<QLabel>(w, row.label);
            auto *box = child<QLineEdit>(w, row.box);
            QCOMPARE(label->text(), QString::fromLatin1(row.caption));
            QCOMPARE(label->x(), Twips(720));
            QCOMPARE(label->y(), Twips(row.top));
            QCOMPARE(label->width(), Twips(2535));
            QCOMPARE(box->geometry(), TwipsRect(3360, row.top, 3615, 495));
            QCOMPARE(label->font().pointSizeF(), 12.0);
            QCOMPARE(box->font().pointSizeF(), 14.4);
            QCOMPARE(box->text(), QString()); // no root accepted yet
        }
        auto *back = child<QPushButton>(w, "Command1");
        QCOMPARE(back->text(), QStringLiteral("Back to the main form"));
        QCOMPARE(back->geometry(), TwipsRect(1800, 5520, 3615, 495));
        QCOMPARE(back->font().pointSizeF(), 12.0);
        QVERIFY(!w.isVisible());
    }

    void resultsCannotBeOpenedBeforeARootIsAccepted()
    {
        Program p;
        QVERIFY(!p.button("Command14")->isEnabled());
        QTest::mouseClick(p.button("Command14"), Qt::LeftButton);
        QVERIFY(p.form1().isVisible());
    }

    void resultsShowsTheWindowAndBackReturns()
    {
        Program p;
        acceptDefaultRoot(p);
        ResultFrm &w = p.windows->resultFrm();
        QVERIFY(!w.isVisible()); // filled, not shown
        QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("1.21978759765625"));

        QTest::mouseClick(p.button("Command14"), Qt::LeftButton);
        QVERIFY(w.isVisible());
        QVERIFY(!p.form1().isVisible());
        QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QVERIFY(p.form1().isVisible());
        // The main window kept everything it showed.
        QCOMPARE(p.box("Text10")->text(), QStringLiteral("1.21978759765625"));
    }

    void closingThroughTheFrameReturnsAndRebuildsTheWindow()
    {
        Program p;
        acceptDefaultRoot(p);
        QTest::mouseClick(p.button("Command14"), Qt::LeftButton);
        QPointer<ResultFrm> first = &p.windows->resultFrm();
        const QString doubling = child<QLineEdit>(*first, "Text4")->text();

        first->close();
        QVERIFY(p.form1().isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());

        QTest::mouseClick(p.button("Command14"), Qt::LeftButton);
        ResultFrm &second = p.windows->resultFrm();
        QVERIFY(second.isVisible());
        QVERIFY(!p.form1().isVisible());
        QCOMPARE(child<QLineEdit>(second, "Text1")->text(), QStringLiteral("1.21978759765625"));
        QCOMPARE(child<QLineEdit>(second, "Text4")->text(), doubling);
        QCOMPARE(child<QLineEdit>(second, "Text2")->text(), QStringLiteral("1.75"));
    }

    void boxesKeepTheLastAcceptanceAcrossACellChange()
    {
        Program p;
        acceptDefaultRoot(p);
        p.typeInCell(0, QStringLiteral("0.5"));
        QCOMPARE(child<QLineEdit>(p.windows->resultFrm(), "Text1")->text(),
                 QStringLiteral("1.21978759765625"));
        QVERIFY(!p.button("Command14")->isEnabled());
    }
};

QTEST_MAIN(ResultFrmTest)
#include "resultfrm_test.moc"
