#include "program.h"

#include "ui/Howto/howto.h"
#include "ui/Introfrm/introfrm.h"
#include "ui/Referenc/referenc.h"
#include "ui/common/controls.h"
#include "ui/common/pictures.h"
#include "ui/common/twips.h"

#include <QLabel>
#include <QPlainTextEdit>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

template<typename T = QWidget> T *child(QWidget *window, const QString &name)
{
    T *found = window ? window->findChild<T *>(name) : nullptr;
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

QString joined(const QStringList &pieces)
{
    return pieces.join(QString());
}

// Records the order in which watched windows are shown and hidden.
class ShowHideLog : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            entries << watched->objectName() + QStringLiteral(" shown");
        else if (event->type() == QEvent::Hide)
            entries << watched->objectName() + QStringLiteral(" hidden");
        return false;
    }
    QStringList entries;
};

const QStringList kHelpPieces = {
    QStringLiteral("To analyze your own data, write a data file using "),
    QStringLiteral("any text editor or word processor and save "),
    QStringLiteral("it in pure text file (.txt).  You can write "),
    QStringLiteral("your data in x,f(x),s(x) format, where x is the "),
    QStringLiteral("age, f(x) is the fecundity of individual of age x, "),
    QStringLiteral("s(x) is the survival rate from age x to x+1. Then you can "),
    QStringLiteral("use the Button Datafile A to open your datafile. "),
    QStringLiteral("There are two example files ExampleA-1.txt and ExampleA-2.txt in "),
    QStringLiteral("this formate. "),
    QStringLiteral("You can also write it in x,l(x),m(x) format, where "),
    QStringLiteral("x is the age, l(x) is the survival rate from age 0 to "),
    QStringLiteral("to age x, m(x) is the fecundity of individual of age x. "),
    QStringLiteral("Then you can use the Button Datafile B to open your datafile. "),
    QStringLiteral("There is an example file ExampleB.txt in "),
    QStringLiteral("this formate. "),
};

const QStringList kIntroductionPieces = {
    QStringLiteral("The Lewis-Leslie matrix is named after E. G. Lewis (1942) and P. H. Leslie "
                   "(1945, 1948), who showed how a square matrix of age-specific fecundities and "
                   "survival rates carries an age-structured population from one time step to "
                   "the next. "),
    QStringLiteral("The first row (the red numbers) of the square matrix contains "),
    QStringLiteral("the age-specific fecundities "),
    QStringLiteral("of each age group, the subdiagnol column (the blue numbers) "),
    QStringLiteral("contains the age-specific "),
    QStringLiteral("survival rates. A single column matrix (vector) is used to represent "),
    QStringLiteral("the age structure of the population. As the time approaches infinity, "),
    QStringLiteral("the growth rate becomes constant and the age distribution becomes stable. "),
    QStringLiteral("The finite rate of increase can be solved numerically. The first step is "),
    QStringLiteral("to construct the characteristic equation based on the age-specific "),
    QStringLiteral("fecundity and survival rate. A common numerical method is the bisection "),
    QStringLiteral("method. To use this method, you have to choose two start points. "),
    QStringLiteral("If the finite rate does not locate between these two points, "),
    QStringLiteral("you have to choose new ones.  A good method is to draw the graph at first. "),
    QStringLiteral("Then you can easily find two proper start points on both side where "),
    QStringLiteral("the curve intersect with x-axis.  In this program, you can change the "),
    QStringLiteral("default values of fecundity and survival rate. You have to remember "),
    QStringLiteral("that the fecundity must >=0 and the survival rate must >=0 and <=1. "),
    QStringLiteral("Using this program, you can compare the effect of early reproduction "),
    QStringLiteral("on the finite rate of increase. "),
};

const QStringList kReferences = {
    QStringLiteral("Chi, H. and H. Liu. 1985. Two new methods for the study of insect population "
                   "ecology. Bulletin of the Institute of Zoology, Academia Sinica 24: 225-240."),
    QStringLiteral("Chi, H. 1988. Life-table analysis incorporating both sexes and variable "
                   "development rates among individuals. Environmental Entomology 17: 26-34."),
    QStringLiteral("Leslie, P. H. 1945. On the use of matrices in certain population "
                   "mathematics. Biometrika 33: 183-212."),
    QStringLiteral("Leslie, P. H. 1948. Some further notes on the use of matrices in population "
                   "mathematics. Biometrika 35: 213-245."),
    QStringLiteral("Lewis, E. G. 1942. On the generation and growth of a population. Sankhya 6: "
                   "93-96."),
    QStringLiteral("Stephenson, G. 1973. Mathematical Methods for Science Students, 2nd edition. "
                   "Longman, London."),
};

} // namespace

class InfoWindowsTest : public QObject
{
    Q_OBJECT

private:
    // Opens a window the way the user does from the main window and checks that it came up in
    // its place.
    static QWidget *openHowto(Program &p)
    {
        QTest::mouseClick(p.button("Command8"), Qt::LeftButton);
        return shownInsteadOfForm1(p, "Howto");
    }
    static QWidget *openIntrofrm(Program &p)
    {
        QTest::mouseClick(p.control("Label4"), Qt::LeftButton);
        return shownInsteadOfForm1(p, "Introfrm");
    }
    static QWidget *openReferenc(Program &p)
    {
        QTest::mouseClick(p.button("Command10"), Qt::LeftButton);
        return shownInsteadOfForm1(p, "Referenc");
    }
    static QWidget *openQuiz(Program &p)
    {
        QTest::mouseClick(p.button("Command13"), Qt::LeftButton);
        return shownInsteadOfForm1(p, "Quiz");
    }
    static QWidget *shownInsteadOfForm1(Program &p, const char *name)
    {
        QWidget *window = p.topLevel(name);
        if (!window || !window->isVisible() || p.form1().isVisible())
            return nullptr;
        return window;
    }
    static bool backOnForm1(Program &p, QWidget *window)
    {
        return p.form1().isVisible() && (!window || !window->isVisible());
    }

private slots:
    // --- Howto ---

    void helpTextIsTheConcatenationOfItsPieces()
    {
        QCOMPARE(BuildHelpText(), joined(kHelpPieces));
        Program p;
        QWidget *howto = openHowto(p);
        QVERIFY(howto);
        QCOMPARE(howto->windowTitle(), QStringLiteral("How to"));
        QCOMPARE(child<QPlainTextEdit>(howto, "Text1")->toPlainText(), joined(kHelpPieces));
        QVERIFY(child<QPlainTextEdit>(howto, "Text1")->isReadOnly());
        QCOMPARE(child<QLabel>(howto, "Label3")->text(), QStringLiteral("Data analysis"));
        QCOMPARE(child<QLabel>(howto, "Label2")->text(), QStringLiteral("Basic run"));
        QCOMPARE(child<QPushButton>(howto, "Command1")->text(), QStringLiteral("OK"));
    }

    void helpLinesStandInTheirOrderBelowTheirHeading()
    {
        // Quitting is explained last, after the line about the title (index 7 above index 6).
        const QStringList captions = {
            QStringLiteral("Press Formula to construct the characteristic equation."),
            QStringLiteral("Press Try to try out the initial values for bisection method."),
            QStringLiteral("Press Bisection to find the new midpoint."),
            QStringLiteral("Press Exchange to find the new x1 and x2."),
            QStringLiteral("Press Graph to see the graph of the f(x)."),
            QStringLiteral("Press How To  to see this screen."),
            QStringLiteral("Press Quit to quit the program."),
            QStringLiteral("Press on the title to see the theoretical basis."),
        };
        Program p;
        QWidget *howto = openHowto(p);
        QVERIFY(howto);
        int above = child<QLabel>(howto, "Label2")->geometry().bottom();
        for (int index : {0, 1, 2, 3, 4, 5, 7, 6}) {
            auto *line = child<QLabel>(howto, QStringLiteral("Label1(%1)").arg(index));
            QCOMPARE(line->text(), captions[index]);
            QVERIFY2(line->y() > above, qPrintable(line->objectName()));
            above = line->geometry().bottom();
        }
        QVERIFY(child<QLabel>(howto, "Label3")->y() > above);
        QVERIFY(child<QWidget>(howto, "Text1")->y() > child<QLabel>(howto, "Label3")->y());
    }

    void everyHelpLineReturnsLikeOk()
    {
        Program p;
        for (int index = 0; index < 8; ++index) {
            QWidget *howto = openHowto(p);
            QVERIFY(howto);
            QTest::mouseClick(child(howto, QStringLiteral("Label1(%1)").arg(index)),
                              Qt::LeftButton);
            QVERIFY2(backOnForm1(p, howto), qPrintable(QString::number(index)));
        }
        QWidget *howto = openHowto(p);
        QTest::mouseClick(child(howto, "Command1"), Qt::LeftButton);
        QVERIFY(backOnForm1(p, howto));
    }

    void helpOpenedTwiceIsTheSameWindowWithItsFirstText()
    {
        Program p;
        QWidget *first = openHowto(p);
        QVERIFY(first);
        child<QPlainTextEdit>(first, "Text1")->setPlainText(QStringLiteral("kept"));
        QTest::mouseClick(child(first, "Command1"), Qt::LeftButton);
        QWidget *second = openHowto(p);
        QCOMPARE(second, first);
        QCOMPARE(child<QPlainTextEdit>(second, "Text1")->toPlainText(), QStringLiteral("kept"));
    }

    void helpClosedByItsFrameReturnsAndIsRebuilt()
    {
        Program p;
        QWidget *first = openHowto(p);
        child<QPlainTextEdit>(first, "Text1")->setPlainText(QStringLiteral("old"));
        Program::closeThroughFrame(first);
        QVERIFY(p.form1().isVisible());
        QVERIFY(!p.topLevel("Howto"));
        QWidget *second = openHowto(p);
        QVERIFY(second);
        QCOMPARE(child<QPlainTextEdit>(second, "Text1")->toPlainText(), joined(kHelpPieces));
    }

    // --- Introfrm ---

    void introductionIsItsFirstSentenceAndTheFixedPieces()
    {
        QCOMPARE(BuildIntroductionText(), joined(kIntroductionPieces));
        const QString first = kIntroductionPieces.first();
        QVERIFY(first.contains(QStringLiteral("E. G. Lewis (1942)")));
        QVERIFY(first.contains(QStringLiteral("P. H. Leslie (1945, 1948)")));
        QVERIFY(first.endsWith(QStringLiteral(". ")));

        Program p;
        QWidget *intro = openIntrofrm(p);
        QVERIFY(intro);
        QCOMPARE(intro->windowTitle(), QStringLiteral("Introduction"));
        QCOMPARE(child<QPlainTextEdit>(intro, "Text1")->toPlainText(), joined(kIntroductionPieces));
        QTest::mouseClick(child(intro, "Command1"), Qt::LeftButton);
        QVERIFY(backOnForm1(p, intro));
    }

    void introductionOpenedTwiceIsNotRebuiltButIsAfterAClose()
    {
        Program p;
        QWidget *first = openIntrofrm(p);
        child<QPlainTextEdit>(first, "Text1")->setPlainText(QStringLiteral("kept"));
        QTest::mouseClick(child(first, "Command1"), Qt::LeftButton);
        QWidget *second = openIntrofrm(p);
        QCOMPARE(second, first);
        QCOMPARE(child<QPlainTextEdit>(second, "Text1")->toPlainText(), QStringLiteral("kept"));

        Program::closeThroughFrame(second);
        QVERIFY(backOnForm1(p, nullptr));
        QVERIFY(!p.topLevel("Introfrm"));
        QWidget *third = openIntrofrm(p);
        QCOMPARE(child<QPlainTextEdit>(third, "Text1")->toPlainText(), joined(kIntroductionPieces));
    }

    // --- Referenc ---

    void referenceListIsSixParagraphsWithEmptyLinesBetween()
    {
        const QString list = BuildReferenceList();
        QCOMPARE(list, kReferences.join(QStringLiteral("\n\n")));
        QVERIFY(!list.endsWith(QChar(10)));
        QCOMPARE(list.count(QChar(10)), 10);

        Program p;
        QWidget *references = openReferenc(p);
        QVERIFY(references);
        QCOMPARE(references->windowTitle(), QStringLiteral("References"));
        QCOMPARE(child<QLabel>(references, "Label1")->text(), QStringLiteral("References"));
        QCOMPARE(child<QLabel>(references, "Label2")->text(), list);
        QTest::mouseClick(child(references, "Command1"), Qt::LeftButton);
        QVERIFY(backOnForm1(p, references));
    }

    void aClickOnTheFreeAreaShowsForm1BeforeHidingTheReferences()
    {
        Program p;
        QWidget *references = openReferenc(p);
        QVERIFY(references);
        const QPoint free(references->width() / 2, references->height() - 4);
        QVERIFY(!references->childAt(free));
        ShowHideLog log;
        references->installEventFilter(&log);
        p.form1().installEventFilter(&log);
        QTest::mouseClick(references, Qt::LeftButton, {}, free);
        QCOMPARE(log.entries,
                 (QStringList {QStringLiteral("Form1 shown"), QStringLiteral("Referenc hidden")}));
        QVERIFY(backOnForm1(p, references));
    }

    void aClickOnTheListItselfStays()
    {
        // The list is there to be read and copied; only the window's own ground returns.
        Program p;
        QWidget *references = openReferenc(p);
        QTest::mouseClick(child(references, "Label2"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(references->isVisible());
        QVERIFY(!p.form1().isVisible());
    }

    void referencesOpenedTwiceAreNotRebuiltButAreAfterAClose()
    {
        Program p;
        QWidget *first = openReferenc(p);
        child<QLabel>(first, "Label2")->setText(QStringLiteral("kept"));
        QTest::mouseClick(child(first, "Command1"), Qt::LeftButton);
        QWidget *second = openReferenc(p);
        QCOMPARE(second, first);
        QCOMPARE(child<QLabel>(second, "Label2")->text(), QStringLiteral("kept"));

        Program::closeThroughFrame(second);
        QVERIFY(backOnForm1(p, nullptr));
        QVERIFY(!p.topLevel("Referenc"));
        QCOMPARE(child<QLabel>(openReferenc(p), "Label2")->text(), BuildReferenceList());
    }

    // --- Quiz ---

    void quizPictureIsCentredAndRaisedAboveTheButton()
    {
        Program p;
        QWidget *quiz = openQuiz(p);
        QVERIFY(quiz);
        QCOMPARE(quiz->windowTitle(), QStringLiteral("Quiz"));
        auto *image = child<QLabel>(quiz, "Image1");
        QVERIFY(!image->pixmap().isNull());
        const QRect place = image->geometry();
        QVERIFY(place.width() > quiz->width() / 2);
        // Centred across; 400 twips above the centre down the window; within a pixel of
        // rounding.
        QVERIFY(qAbs((quiz->width() - place.width()) / 2.0 - place.x()) <= 1.0);
        QVERIFY(qAbs((quiz->height() - place.height()) / 2.0 - Twips(400) - place.y()) <= 1.0);
        auto *back = child<QPushButton>(quiz, "Command1");
        QCOMPARE(back->text(), QStringLiteral("Back to the mainform"));
        QVERIFY(back->y() > place.bottom());
        QVERIFY(back->geometry().bottom() < quiz->height());
        QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(backOnForm1(p, quiz));
    }

    void quizOpenedTwiceIsOneWindowAndAfterACloseANewOne()
    {
        Program p;
        QWidget *first = openQuiz(p);
        QTest::mouseClick(child(first, "Command1"), Qt::LeftButton);
        QCOMPARE(openQuiz(p), first);
        QPointer<QWidget> old = first;
        Program::closeThroughFrame(first);
        QVERIFY(backOnForm1(p, nullptr));
        QVERIFY(old.isNull());
        QWidget *again = openQuiz(p);
        QVERIFY(again);
        QVERIFY(!child<QLabel>(again, "Image1")->pixmap().isNull());
    }

    // --- Pictures of the main window ---

    void mainWindowPicturesAreThere()
    {
        QCOMPARE(Picture(QStringLiteral("photo.png")).size(), QSize(647, 373));
        QVERIFY(Picture(QStringLiteral("no such picture.png")).isNull());
        Program p;
        auto *photo = p.control<QLabel>("Picture1");
        QVERIFY(!photo->pixmap().isNull());
        // The photograph fills its box, cut at one pair of edges only.
        const QSize shown = photo->pixmap().size();
        QVERIFY(shown.width() >= photo->width() && shown.height() >= photo->height());
        QVERIFY(shown.width() == photo->width() || shown.height() == photo->height());
        // Once shown it lies over the trial boxes.
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        p.form1().Command7_Click();
        const QPoint trialBox = p.box("Text4")->geometry().center();
        QCOMPARE(p.form1().childAt(trialBox), photo);
        QVERIFY(p.button("Command7")->toolTip().contains(QStringLiteral("Ladybirds")));
        QVERIFY(!p.button("Command13")->icon().isNull());
        QVERIFY(p.button("Command13")->text().isEmpty());
        QVERIFY(!p.button("Command14")->icon().isNull());
        QCOMPARE(p.button("Command14")->text(), QStringLiteral("Results"));
        QCOMPARE(p.button("Command14")->geometry(), TwipsRect(1440, 5520, 615, 975));
    }
};

QTEST_MAIN(InfoWindowsTest)
#include "infowindows_test.moc"
