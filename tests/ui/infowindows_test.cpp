#include "program.h"

#include "ui/common/twips.h"

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

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

// Each window, the control of the main window that opens it, and the text it shows.
struct InfoWindow
{
    const char *name, *trigger, *title, *control;
    QString text;
};
const InfoWindow kWindows[] = {
    {"Howto", "Command8", "How to", "Text1", kHelpPieces.join(QString())},
    {"Introfrm", "Label4", "Introduction", "Text1", kIntroductionPieces.join(QString())},
    {"Referenc", "Command10", "References", "Label2", kReferences.join(QStringLiteral("\n\n"))},
    {"Quiz", "Command13", "Quiz", "Command1", QStringLiteral("Back to the mainform")},
};

} // namespace

class InfoWindowsTest : public QObject
{
    Q_OBJECT

private:
    static QWidget *open(Program &p, const char *name)
    {
        for (const InfoWindow &w : kWindows) {
            if (qstrcmp(w.name, name) == 0)
                return p.openFromForm1(p.control(w.trigger), name);
        }
        return nullptr;
    }

private slots:
    void eachWindowShowsItsTextOnceBuiltAndIsRebuiltAfterAClose_data() { addRows(kWindows); }
    void eachWindowShowsItsTextOnceBuiltAndIsRebuiltAfterAClose()
    {
        // state: start-up; action: open, Back, open again, close through the frame, open again;
        // expected: its text in the main window's place, the same window with what it showed
        // the second time, a fresh one after the close.
        const InfoWindow &c = fetchRow(kWindows);
        Program p;
        QWidget *first = open(p, c.name);
        QVERIFY(first);
        QCOMPARE(first->windowTitle(), QString::fromLatin1(c.title));
        auto text = [&](QWidget *window) {
            return Program::textOf(Program::childOf(window, QString::fromLatin1(c.control)));
        };
        QCOMPARE(text(first), c.text);
        QTest::mouseClick(Program::childOf(first, "Command1"), Qt::LeftButton);
        QVERIFY(p.backOnForm1(first));

        QWidget *control = Program::childOf(first, QString::fromLatin1(c.control));
        control->setProperty(qobject_cast<QPlainTextEdit *>(control) ? "plainText" : "text",
                             "kept");
        QCOMPARE(open(p, c.name), first);
        QCOMPARE(text(first), QStringLiteral("kept"));

        QPointer<QWidget> old = first;
        Program::closeThroughFrame(first);
        QVERIFY(p.backOnForm1());
        QVERIFY(old.isNull());
        QWidget *again = open(p, c.name);
        QVERIFY(again);
        QCOMPARE(text(again), c.text);
    }

    void helpLinesStandInTheirOrderAndEachReturnsLikeOk()
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
        QWidget *howto = open(p, "Howto");
        QVERIFY(howto);
        QCOMPARE(Program::textOf(Program::childOf(howto, "Label2")), QStringLiteral("Basic run"));
        QCOMPARE(Program::textOf(Program::childOf(howto, "Label3")),
                 QStringLiteral("Data analysis"));
        int above = Program::childOf(howto, "Label2")->geometry().bottom();
        for (int index : {0, 1, 2, 3, 4, 5, 7, 6}) {
            QWidget *line = Program::childOf(howto, QStringLiteral("Label1(%1)").arg(index));
            QCOMPARE(Program::textOf(line), captions[index]);
            QVERIFY2(line->y() > above, qPrintable(line->objectName()));
            above = line->geometry().bottom();
        }
        QVERIFY(Program::childOf(howto, "Label3")->y() > above);
        QVERIFY(Program::childOf(howto, "Text1")->y() > Program::childOf(howto, "Label3")->y());

        for (int index = 0; index < 8; ++index) {
            QVERIFY(open(p, "Howto"));
            QTest::mouseClick(Program::childOf(howto, QStringLiteral("Label1(%1)").arg(index)),
                              Qt::LeftButton);
            QVERIFY2(p.backOnForm1(howto), qPrintable(QString::number(index)));
        }
    }

    void referencesReturnOnAClickOnTheirFreeAreaOnly()
    {
        Program p;
        QWidget *references = open(p, "Referenc");
        QVERIFY(references);
        // The list is there to be read and copied; only the window's own ground returns.
        QTest::mouseClick(Program::childOf(references, "Label2"), Qt::LeftButton, {}, {5, 5});
        QVERIFY(references->isVisible() && !p.form1().isVisible());

        const QPoint free(references->width() / 2, references->height() - 4);
        QVERIFY(!references->childAt(free));
        ShowHideLog log;
        references->installEventFilter(&log);
        p.form1().installEventFilter(&log);
        QTest::mouseClick(references, Qt::LeftButton, {}, free);
        QCOMPARE(log.entries, (QStringList {"Form1 shown", "Referenc hidden"}));
    }

    void quizPictureIsCentredAndRaisedAboveTheButton()
    {
        Program p;
        QWidget *quiz = open(p, "Quiz");
        QVERIFY(quiz);
        auto *image = Program::childOf<QLabel>(quiz, "Image1");
        QVERIFY(!image->pixmap().isNull());
        // Centred across, 400 twips above the centre down the window, within a pixel of rounding;
        // the button below it.
        const QRect place = image->geometry();
        QVERIFY(qAbs((quiz->width() - place.width()) / 2.0 - place.x()) <= 1.0);
        QVERIFY(qAbs((quiz->height() - place.height()) / 2.0 - Twips(400) - place.y()) <= 1.0);
        QVERIFY(Program::childOf(quiz, "Command1")->y() > place.bottom());
    }
};

QTEST_MAIN(InfoWindowsTest)
#include "infowindows_test.moc"
