#include "ui/Form1/form1.h"

#include "core/equation.h"
#include "core/matrix.h"
#include "core/statistics.h"
#include "ui/common/controls.h"
#include "ui/common/dialogs.h"
#include "ui/common/picturebutton.h"
#include "ui/common/pictures.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>

namespace tarnvale::ui {

namespace {

constexpr int kEnter = 13;

// Font sizes of the captions and boxes of the trial area and the bisection table.
constexpr double kLabelPoints = 13.8;
constexpr double kBoxPoints = 14.4;

// Texts that came from a life-table file: single bytes, shown as UTF-8 when they are valid
// UTF-8 and byte for byte (Latin-1) otherwise.
QString fileText(const std::string &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(QByteArray::fromStdString(bytes));
    if (utf8.hasError())
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text;
}

// What a screen reader announces for a matrix cell: its place and its role in the population.
QString cellName(int index)
{
    if (index < 4)
        return QStringLiteral("m(%1): fecundity of age class %1").arg(index);
    for (int k = 0; k < 3; ++k) {
        if (kSurvivalCells[k] == index)
            return QStringLiteral("m(%1): survival rate from age class %2 to %3")
                .arg(index)
                .arg(k)
                .arg(k + 1);
    }
    return QStringLiteral("m(%1)").arg(index);
}

const QColor &endColor(EndColor color)
{
    return color == EndColor::Blue ? kBlue : kBlack;
}

QLabel *makeBanner(QWidget *parent, const char *name, const QRect &twips, double points,
                   const QString &caption, const QColor &fore, const QColor &back)
{
    QLabel *label = MakeLabel(parent, name, twips, points, caption);
    SetForeColor(label, fore);
    SetBackColor(label, back);
    return label;
}

} // namespace

Form1::Form1(WindowOwner &owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
    , m_state(owner.state())
{
    buildUi();
    connectHandlers();
}

void Form1::buildUi()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tarnvale analysis"));
    setFixedSize(Twips(10152), Twips(7440));
    SetBackColor(this, kWhite);
    setFont(TimesFont(12));

    Label4 = new ClickLabel(
        QStringLiteral("Analysis of the Dominant Tarnvale of Lewis-Leslie Matrix"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(TwipsRect(120, 120, 9855, 495));
    Label4->setFont(TimesFont(15.6, true));
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setCursor(Qt::PointingHandCursor);
    // The title opens the introduction from the keyboard too.
    Label4->setFocusPolicy(Qt::TabFocus);
    SetForeColor(Label4, kYellow);
    SetBackColor(Label4, kBlue);

    buildMatrixFrame();
    buildEquationArea();
    buildTrialArea();
    buildBisectionTable();
    buildButtons();
    orderTabs();
    nameControls();
    // The photograph lies over the equation and the trial boxes built after it.
    Picture1->raise();

    Label18 = makeBanner(this, "Label18", QRect(2280, 5400, 6135, 615), 21.6,
                         QStringLiteral("Herzlichen Willkommen!"), kYellow, kRed);
    Label18->setFont(TimesFont(21.6, true));
    Label18->setAlignment(Qt::AlignCenter);
    Label19
        = makeBanner(this, "Label19", QRect(2280, 6240, 6135, 975), 13.8,
                     QStringLiteral("Press Enter to run this program using default values.  You "
                                    "can also change the default values then click Formula to "
                                    "contstruct the characteristic equation."),
                     kYellow, kBlue);
    Label19->setWordWrap(true);
    Label18->hide();
    Label19->hide();
}

void Form1::buildMatrixFrame()
{
    Frame1 = new QGroupBox(QStringLiteral(" Matrix "), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(TwipsRect(120, 720, 3375, 3495));
    Frame1->setFont(TimesFont(12));

    // Square brackets around the cells.
    static constexpr int ends[6][4]
        = {{240, 240, 120, 360},   {120, 3240, 120, 360},   {240, 3360, 120, 3240},
           {3120, 240, 3240, 360}, {3240, 3240, 3240, 360}, {3120, 3360, 3240, 3240}};
    for (int i = 0; i < 6; ++i) {
        Line[i] = new LineControl(ends[i][0], ends[i][1], ends[i][2], ends[i][3], Frame1);
        Line[i]->setObjectName(QStringLiteral("Line%1").arg(i + 1));
    }

    static constexpr int lefts[4] = {240, 960, 1800, 2520};
    static constexpr int tops[4] = {480, 1200, 1920, 2640};
    for (int i = 0; i < 16; ++i) {
        const int row = i / 4, column = i % 4;
        const int width = (i == 8 || i == 12) ? 495 : 615;
        const QByteArray name = QStringLiteral("m(%1)").arg(i).toLatin1();
        m[i] = MakeNumberBox(Frame1, name.constData(), QRect(lefts[column], tops[row], width, 495),
                             12, false, false, qs(kDefaultCellTexts[i]));
        SetBackColor(m[i], kWhite);
        if (row == 0)
            SetForeColor(m[i], kRed);
        else if (IsRelevantCell(i))
            SetForeColor(m[i], kBlue);
        else
            SetForeColor(m[i], kBlack);
        m[i]->installEventFilter(this);
    }
}

void Form1::buildEquationArea()
{
    Label1 = MakeLabel(this, "Label1", QRect(3600, 1200, 3615, 495), 15.6,
                       QStringLiteral("The characteristic equation:"));

    Text1 = new QPlainTextEdit(QStringLiteral(" "), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(TwipsRect(3720, 1560, 6255, 975));
    Text1->setFont(TimesFont(20.4));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(TwipsRect(3600, 1560, 6375, 3495));
    Picture1->setAlignment(Qt::AlignCenter);
    // The photograph keeps its proportions and fills the box; the box clips the little that
    // stands over.
    Picture1->setPixmap(
        Picture(QStringLiteral("photo.png"))
            .scaled(Picture1->size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
    SetBackColor(Picture1, kWhite);
    Picture1->hide();
}

void Form1::buildTrialArea()
{
    Label2 = MakeLabel(this, "Label2", QRect(3960, 2760, 735, 375), kLabelPoints,
                       QStringLiteral("x1 ="));
    Text2 = MakeNumberBox(this, "Text2", QRect(4800, 2640, 1215, 495), kBoxPoints, true, false,
                          QStringLiteral("0"));
    Label3 = MakeLabel(this, "Label3", QRect(3960, 3360, 855, 375), kLabelPoints,
                       QStringLiteral("x2 ="));
    Text3 = MakeNumberBox(this, "Text3", QRect(4800, 3240, 1215, 495), kBoxPoints, true, false,
                          QStringLiteral("2"));
    Label5 = MakeLabel(this, "Label5", QRect(6240, 2760, 975, 375), kLabelPoints,
                       QStringLiteral("f(x1) ="));
    Text4 = MakeNumberBox(this, "Text4", QRect(7200, 2640, 2655, 495), kBoxPoints, true, true,
                          QStringLiteral(" "));
    Label6 = MakeLabel(this, "Label6", QRect(6240, 3360, 855, 375), kLabelPoints,
                       QStringLiteral("f(x2) ="));
    Text5 = MakeNumberBox(this, "Text5", QRect(7200, 3240, 2655, 495), kBoxPoints, true, true,
                          QStringLiteral(" "));
    Label7 = MakeLabel(this, "Label7", QRect(5760, 3960, 1335, 375), kLabelPoints,
                       QStringLiteral("f(x1)*f(x2)"));
    Text6 = MakeNumberBox(this, "Text6", QRect(7200, 3840, 2655, 495), kBoxPoints, true, true,
                          QStringLiteral(" "));
    Label8 = MakeLabel(this, "Label8", QRect(3840, 4560, 2055, 375), kLabelPoints,
                       QStringLiteral("x3=(x1+x2)/2 ="));
    Text7 = MakeNumberBox(this, "Text7", QRect(5880, 4440, 1215, 495), kBoxPoints, true, true,
                          QStringLiteral(" "));

    Label12 = MakeLabel(this, "Label12", QRect(7200, 4560, 2775, 375), 13.8,
                        QStringLiteral("Well done!"));
    Label12->setFont(TimesFont(13.8, true));
    SetForeColor(Label12, kGreen);
    Label12->hide();
}

void Form1::buildBisectionTable()
{
    // One row of the table: caption and box, both hidden until a trial is accepted.
    auto row = [this](QLabel *&label, const char *labelName, const char *caption,
                      const QRect &labelPlace, QLineEdit *&box, const char *boxName,
                      const QRect &boxPlace, const char *text) {
        label = MakeLabel(this, labelName, labelPlace, kLabelPoints, QString::fromLatin1(caption));
        box = MakeNumberBox(this, boxName, boxPlace, kBoxPoints, true, true,
                            QString::fromLatin1(text));
        SetForeColor(box, kBlack);
        label->hide();
        box->hide();
    };
    row(Label9, "Label9", "x1 =", {2160, 5400, 855, 375}, //
        Text8, "Text8", {3000, 5280, 1215, 495}, "");
    row(Label10, "Label10", "x2 =", {2160, 6120, 855, 375}, //
        Text9, "Text9", {3000, 6000, 1215, 495}, " ");
    row(Label11, "Label11", "x3 =", {2160, 6840, 855, 375}, //
        Text10, "Text10", {3000, 6720, 1215, 495}, " ");
    row(Label13, "Label13", "f(x1) =", {4320, 5400, 1095, 375}, //
        Text11, "Text11", {5400, 5280, 3012, 492}, " ");
    row(Label14, "Label14", "f(x2) =", {4320, 6120, 1095, 375}, //
        Text12, "Text12", {5400, 6000, 3012, 492}, " ");
    row(Label15, "Label15", "f(x3) =", {4320, 6840, 1095, 375}, //
        Text13, "Text13", {5400, 6720, 3012, 492}, " ");

    Label16 = makeBanner(this, "Label16", QRect(8520, 6720, 1455, 495), 15.6,
                         QStringLiteral("<0.0001"), kYellow, kRed);
    Label16->setAlignment(Qt::AlignCenter);
    Label16->hide();
}

void Form1::buildButtons()
{
    Command1 = MakeButton(this, "Command1", {120, 4320, 1215, 495}, QStringLiteral("Formula"),
                          QStringLiteral("Show characteristic equation"));
    Command2 = MakeButton(this, "Command2", {120, 4920, 1215, 495}, QStringLiteral("Try"),
                          QStringLiteral("Try to find the initial points for bisection"));
    Command3 = MakeButton(this, "Command3", {120, 5520, 1215, 495}, QStringLiteral("Bisection"),
                          QStringLiteral("Bisection (find the midpoint)"));
    Command4 = MakeButton(this, "Command4", {120, 6120, 1215, 495}, QStringLiteral("Exchange"),
                          QStringLiteral("Find new x1 and x2"));
    Command5 = MakeButton(this, "Command5", {120, 6720, 1215, 495}, QStringLiteral("Quit"),
                          QStringLiteral("Quit this program"));
    Command6 = MakeButton(this, "Command6", {8520, 5280, 1452, 492}, QStringLiteral("Graph"),
                          QStringLiteral("Show graph"));
    Command7 = MakeButton(this, "Command7", {2400, 4320, 855, 495}, QStringLiteral("Photo"),
                          QStringLiteral("Ladybirds on barley: eggs, larva, pupa and adults of one "
                                         "population"));
    Command8 = MakeButton(this, "Command8", {1440, 4920, 855, 495}, QStringLiteral("Help"),
                          QStringLiteral("Help"));
    Command9 = MakeButton(this, "Command9", {8520, 6000, 1452, 492}, QStringLiteral("Print form"),
                          QStringLiteral("Print this form"));
    Command10 = MakeButton(this, "Command10", {1440, 4320, 855, 495}, QStringLiteral("Ref."),
                           QStringLiteral("References"));
    Command11 = MakeButton(this, "Command11", {7200, 960, 1335, 495}, QStringLiteral("Datafile A"),
                           QStringLiteral("Open data file (x,fx,sx)"));
    Command12 = MakeButton(this, "Command12", {8640, 960, 1335, 495}, QStringLiteral("Datafile B"),
                           QStringLiteral("Open datafile (x,lx,mx)"));
    Command13 = MakeButton(this, "Command13", {1440, 6600, 615, 615}, QString(),
                           QStringLiteral("Take a quiz to learn more"));
    Command13->setIcon(Picture(QStringLiteral("quizbutton.png")));
    Command13->setIconSize(QSize(Twips(480), Twips(480)));
    Command14 = MakeButton<PictureButton>(this, "Command14", {1440, 5520, 615, 975},
                                          QStringLiteral("Results"), QStringLiteral("More ....."));
    Command14->setFont(TimesFont(8));
    Command14->setIcon(Picture(QStringLiteral("results.png")));
    // In the free space above the equation: the record of the search, open at any time.
    Command15 = MakeButton(this, "Command15", {3600, 660, 1215, 495}, QStringLiteral("Steps"),
                           QStringLiteral("Show the steps of the search"));
    // Beside it: the editor of stage-classified matrices, which has its own search.
    Command16
        = MakeButton(this, "Command16", {4920, 660, 1455, 495}, QStringLiteral("Stage matrix"),
                     QStringLiteral("Edit and analyse a stage-classified matrix"));

    Command2->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    Command6->setEnabled(false);
    Command7->setEnabled(false);
    Command7->hide();
    Command14->setEnabled(false);
}

void Form1::orderTabs()
{
    // The steps of the analysis come first, in the order they are used, then what they lead to,
    // so that Tab from "Exchange" reaches "Results", and Tab from "Formula" at start-up (its
    // followers disabled) the first cell. Then the input and the boxes that show what it gives,
    // top to bottom, and the buttons that open other windows.
    QList<QWidget *> order
        = {Command1, Command2, Command3, Command4, Command14, Command6, Command7};
    for (QLineEdit *cell : m)
        order << cell;
    order << Text1 << Text2 << Text3 << Text4 << Text5 << Text6 << Text7 << Text8 << Text11 << Text9
          << Text12 << Text10 << Text13 << Label4 << Command11 << Command12 << Command8 << Command10
          << Command13 << Command9 << Command15 << Command16 << Command5;
    // Each one moves behind the one before it, so that no control is left between the window
    // and "Formula": the chain starts there. (The list ends with controls built after
    // "Formula": Qt leaves a control in place when only the window separates it from the one it
    // is to follow.)
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Form1::nameControls()
{
    for (int i = 0; i < 16; ++i) {
        m[i]->setAccessibleName(cellName(i));
        if (!IsRelevantCell(i))
            m[i]->setAccessibleDescription(QStringLiteral("Not used by the analysis"));
    }
    NameBoxByLabel(Text1, Label1);
    NameBoxByLabel(Text2, Label2, QStringLiteral("First start point of the trial"));
    NameBoxByLabel(Text3, Label3, QStringLiteral("Second start point of the trial"));
    NameBoxByLabel(Text4, Label5, QStringLiteral("f at the first start point"));
    NameBoxByLabel(Text5, Label6, QStringLiteral("f at the second start point"));
    NameBoxByLabel(Text6, Label7);
    NameBoxByLabel(Text7, Label8);
    NameBoxByLabel(Text8, Label9, QStringLiteral("End x1 of the bisection bracket"));
    NameBoxByLabel(Text9, Label10, QStringLiteral("End x2 of the bisection bracket"));
    NameBoxByLabel(Text10, Label11, QStringLiteral("Midpoint of the bisection bracket"));
    NameBoxByLabel(Text11, Label13, QStringLiteral("f at the end x1 of the bracket"));
    NameBoxByLabel(Text12, Label14, QStringLiteral("f at the end x2 of the bracket"));
    NameBoxByLabel(Text13, Label15, QStringLiteral("f at the midpoint of the bracket"));
    // The pictures say in words what they show.
    Picture1->setAccessibleName(Command7->toolTip());
    Command13->setAccessibleName(QStringLiteral("Quiz"));
    Command14->setAccessibleName(QStringLiteral("Results"));
    Frame1->setAccessibleName(QStringLiteral("Matrix"));
    // The title works as a button: its caption is fixed, and it says where it leads.
    Label4->setAccessibleName(Label4->text());
    Label4->setAccessibleDescription(QStringLiteral("Opens the introduction"));
    NameButtonsByCaption(this);
}

void Form1::connectHandlers()
{
    for (int i = 0; i < 16; ++i)
        connect(m[i], &QLineEdit::textChanged, this, [this, i] { m_Change(i); });
    connect(Text2, &QLineEdit::textChanged, this, &Form1::Text2_Change);
    connect(Text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);
    // The tool tip repeats the whole number in a readable size, where the box has had to shrink
    // its font to hold it.
    for (QLineEdit *box :
         {Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12, Text13})
        connect(box, &QLineEdit::textChanged, box, &QWidget::setToolTip);
    connect(Label4, &ClickLabel::clicked, this, &Form1::Label4_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command11, &QPushButton::clicked, this, &Form1::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &Form1::Command12_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(Command13, &QPushButton::clicked, this, &Form1::Command13_Click);
    connect(Command14, &QPushButton::clicked, this, &Form1::Command14_Click);
    connect(Command15, &QPushButton::clicked, this, &Form1::Command15_Click);
    connect(Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
}

CellTexts Form1::cellTexts() const
{
    CellTexts texts;
    for (int i = 0; i < 16; ++i)
        texts[i] = m[i]->text().toStdString();
    return texts;
}

void Form1::setCellText(int index, const std::string &text)
{
    // A different text runs m_Change through textChanged; the same text changes nothing.
    SetBoxText(m[index], text);
}

void Form1::Form_Load()
{
    Label18->show();
    Label19->show();
    m_owner.showBackform();
    m_owner.showTitlform();
    // Shown when the splash is dismissed.
    hide();
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    Command6->setEnabled(false);
    ReadMatrixCells(m_state, cellTexts());
    Command1->setFocus();
}

void Form1::m_Change(int)
{
    for (QLineEdit *box :
         {Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12, Text13})
        box->setText(QString());
    Text1->setPlainText(QString());

    Command1->setEnabled(false);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    Command7->hide();
    Command6->setEnabled(false);

    for (QWidget *w : {Text8, Text9, Text10, Text11, Text12, Text13})
        w->hide();
    for (QWidget *w : {Label9, Label10, Label11, Label13, Label14, Label15, Label12})
        w->hide();
    for (QWidget *w : {Label2, Label3, Label5, Label6, Label7})
        w->show();
    Label16->hide();
    for (QWidget *w : {Text2, Text3, Text5, Text4, Text6})
        w->show();

    ReadMatrixCells(m_state, cellTexts());
    // The steps taken belong to the population before the change.
    m_state.SearchRecord.clear();
    Command14->setEnabled(false);
    m_owner.graphfrmCellChanged();
}

void Form1::m_KeyPress(int index, int keyAscii)
{
    if (keyAscii != kEnter || !IsRelevantCell(index))
        return;
    for (const CellReset &reset : CheckMatrixCells(cellTexts()))
        setCellText(reset.cell, reset.text);
    Command1->setEnabled(true);
    Command1->setFocus();
}

void Form1::Text2_Change()
{
    Text4->setText(QString());
    Text5->setText(QString());
    Text6->setText(QString());
    Label12->hide();
}

void Form1::Text3_Change()
{
    Text2_Change();
}

void Form1::Command1_Click()
{
    CellTexts cells = cellTexts();
    const EquationResult equation = BuildEquationText(m_state, cells);
    if (!equation.ok) {
        m_owner.dialogs().inform(QStringLiteral("Formula"), qs(equation.message));
        return;
    }

    Picture1->hide();
    Command6->setEnabled(true);
    // The normalised cell texts go back into the cells one by one; each one that differs runs
    // the cell-change reaction, which clears the results and disables "Graph" again.
    for (int i = 0; i < 16; ++i)
        setCellText(i, cells[i]);
    Text1->setPlainText(qs(equation.text));
    m_state.EquationText = "f(x)= " + equation.text;
    Text1->setPlainText(qs(equation.text + " = 0"));
    Command1->setEnabled(false);
    if (!Command7->isHidden()) {
        Command7->setEnabled(true);
    } else {
        Command2->setEnabled(true);
        Command2->setFocus();
    }
}

BracketTexts Form1::bracketTexts() const
{
    return {Text8->text().toStdString(),  Text9->text().toStdString(),
            Text10->text().toStdString(), Text11->text().toStdString(),
            Text12->text().toStdString(), Text13->text().toStdString()};
}

void Form1::Command2_Click()
{
    const TrialResult trial = TryBracket(m_state, cellTexts(), Text2->text().toStdString(),
                                         Text3->text().toStdString());
    if (!trial.ok) {
        m_owner.dialogs().inform(QStringLiteral("Try"), qs(trial.message));
        return;
    }

    Label18->hide();
    Label19->hide();
    SetBoxText(Text4, trial.fx1Text);
    SetBoxText(Text5, trial.fx2Text);
    SetBoxText(Text6, trial.productText);
    if (!trial.accepted) {
        Label12->show();
        Label12->setText(qs(trial.verdictText));
        Command3->setEnabled(false);
        Command4->setEnabled(false);
        Command1->setEnabled(false);
        return;
    }

    SetBoxText(Text7, trial.midpointText);
    // The bracket starts as the texts the user typed, not as the numbers read from them.
    SetBoxText(Text8, Text2->text().toStdString());
    SetBoxText(Text9, Text3->text().toStdString());
    SetBoxText(Text11, Text4->text().toStdString());
    SetBoxText(Text12, Text5->text().toStdString());
    Command2->setEnabled(false);
    Command3->setEnabled(true);
    Command3->setFocus();
    Label9->show();
    Label10->show();
    Label11->show();
    Label12->setText(qs(trial.verdictText));
    Label12->show();
    Label13->show();
    Label14->show();
    Label15->show();
    for (QWidget *box : {Text8, Text9, Text10, Text11, Text12, Text13})
        box->show();
}

void Form1::Command3_Click()
{
    const CellTexts cells = cellTexts();
    const StepResult step
        = BisectStep(m_state, cells, Text8->text().toStdString(), Text9->text().toStdString());
    if (!step.ok) {
        m_owner.dialogs().inform(QStringLiteral("Bisection"), qs(step.message));
        return;
    }

    Command6->setEnabled(true);
    Command1->setEnabled(true);
    Command7->show();
    Command7->setEnabled(false);
    Picture1->show();
    SetBoxText(Text10, step.x3Text);
    SetBoxText(Text13, step.fx3Text);
    if (step.accepted)
        showAcceptedRoot(step.acceptCaption, cells);
    Command3->setEnabled(false);
    Command4->setEnabled(true);
    Command4->setFocus();
    // At an exact root there is no half left to keep.
    if (m_state.Fx3 == 0.0)
        Command4->setEnabled(false);
}

void Form1::showAcceptedRoot(const std::string &caption, const CellTexts &cells)
{
    Label16->setText(qs(caption));
    Label16->show();
    // Red from the first accepted root on, for the rest of the run.
    SetForeColor(Text13, kRed);
    SetForeColor(Text10, kRed);
    const PopulationParameterTexts results = AcceptRoot(m_state, cells);
    m_owner.resultFrmShowParameters(results);
    Command14->setEnabled(true);
    m_owner.graphfrmRootAccepted();
}

void Form1::Command4_Click()
{
    const ExchangeResult exchange = ExchangeBracket(m_state, bracketTexts());
    if (exchange.replaced == BracketEnd::X2) {
        SetForeColor(Text8, endColor(exchange.x1Color));
        SetForeColor(Text11, endColor(exchange.x1Color));
        SetBoxText(Text9, exchange.texts.x2);
        SetForeColor(Text9, endColor(exchange.x2Color));
        SetBoxText(Text12, exchange.texts.fx2);
        SetForeColor(Text12, endColor(exchange.x2Color));
    } else {
        SetBoxText(Text8, exchange.texts.x1);
        SetForeColor(Text9, endColor(exchange.x2Color));
        SetForeColor(Text12, endColor(exchange.x2Color));
        SetBoxText(Text11, exchange.texts.fx1);
        SetForeColor(Text8, endColor(exchange.x1Color));
        SetForeColor(Text11, endColor(exchange.x1Color));
    }
    SetBoxText(Text13, exchange.texts.fx3);
    SetBoxText(Text10, exchange.texts.x3);
    Command3->setEnabled(true);
    Command3->setFocus();
    Command4->setEnabled(false);
}

void Form1::Command11_Click()
{
    readDataFile(TableFormat::A);
}

void Form1::Command12_Click()
{
    readDataFile(TableFormat::B);
}

void Form1::readDataFile(TableFormat format)
{
    Dialogs &dialogs = m_owner.dialogs();
    if (dialogs.askYesNo(QStringLiteral("Info for datafile input"),
                         QStringLiteral("Do you want to see the format of the datafile?"))) {
        dialogs.inform(QStringLiteral("Datafile format"),
                       FixedText(format == TableFormat::A
                                     ? QStringLiteral("datafile-format-a.txt")
                                     : QStringLiteral("datafile-format-b.txt")));
    }

    const std::string path = dialogs.chooseOpenFile().toStdString();
    if (path.empty()) {
        m_state.DataFilePath.clear();
        return;
    }
    // A refused file leaves everything as it was, its name included.
    const ReadResult read = ReadLifeTable(m_state, path, format);
    if (!read.ok) {
        dialogs.inform(QStringLiteral("Datafile input"), fileText(read.message));
        return;
    }
    m_state.DataFilePath = path;

    // The start of the table, fecundities in the first row and survival rates on the
    // sub-diagonal; each changed cell runs the cell-change reaction.
    for (int i = 0; i < 4; ++i) {
        m[kFecundityCells[i]]->setText(fileText(TableText(m_state.Fecundity[i])));
        m[kFecundityCells[i]]->setCursorPosition(0);
    }
    for (int i = 0; i < 3; ++i) {
        m[kSurvivalCells[i]]->setText(fileText(TableText(m_state.Survival[i])));
        m[kSurvivalCells[i]]->setCursorPosition(0);
    }
    // A new table makes every result on show stale, also when its first values read as the cells
    // did before and no cell changed.
    m_Change(0);

    m_state.DataLoaded = "Yes";
    for (QLineEdit *cell : m)
        cell->setReadOnly(true);
    for (int i = 2; i < 6; ++i)
        Line[i]->hide();
    Command1->setEnabled(true);
}

void Form1::Label4_Click()
{
    m_owner.showIntrofrm();
    hide();
}

void Form1::Command5_Click()
{
    hide();
    m_owner.showCopyrigh();
}

void Form1::Command6_Click()
{
    m_owner.showGraphfrm();
    hide();
    m_owner.graphfrmShowEquation(m_state.EquationText);
}

void Form1::Command7_Click()
{
    Picture1->show();
    Command7->setEnabled(false);
    Command1->setEnabled(true);
}

void Form1::Command8_Click()
{
    m_owner.showHowto();
    hide();
}

void Form1::Command9_Click()
{
    m_owner.printWindow(this);
}

void Form1::Command10_Click()
{
    m_owner.showReferenc();
    hide();
}

void Form1::Command13_Click()
{
    m_owner.showQuiz();
    hide();
}

void Form1::Command14_Click()
{
    m_owner.showResultFrm();
    hide();
}

void Form1::Command15_Click()
{
    m_owner.showStepsfrm(this);
    hide();
}

void Form1::Command16_Click()
{
    m_owner.showStagefrm();
    hide();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Form_Unload: closing the main window ends the program at once.
    event->accept();
    m_owner.endProgram();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < 16; ++i) {
            if (watched != m[i])
                continue;
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter)
                m_KeyPress(i, kEnter);
            else if (!key->text().isEmpty())
                m_KeyPress(i, key->text().at(0).unicode());
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarnvale::ui
