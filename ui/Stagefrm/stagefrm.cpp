#include "ui/Stagefrm/stagefrm.h"

#include "core/furtheranalysis.h"
#include "core/lifecyclegraph.h"
#include "core/numbertext.h"
#include "core/stageanalysis.h"
#include "io/matrixfile.h"
#include "io/recordlist.h"
#include "ui/common/controls.h"
#include "ui/common/dialogs.h"
#include "ui/windowowner.h"

#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsEllipseItem>
#include <QGraphicsPathItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineSeries>
#include <QPainter>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <map>

namespace tarnvale::ui {

namespace {

constexpr double kPoints = 11;
constexpr double kGridPoints = 10;
constexpr double kGraphUnit = 20; // scene pixels per unit of the life-cycle graph
constexpr int kCurvePoints = 121;

const QColor kBadGround(255, 215, 215);
const QColor kSumGround(235, 235, 235);
const QColor kReproduction(200, 0, 0);
const QColor kClonal(128, 0, 160);

constexpr std::array<StagePart, 4> kParts
    = {StagePart::A, StagePart::U, StagePart::F, StagePart::C};

int slotOf(StagePart part)
{
    return static_cast<int>(part);
}

QString captionOf(StagePart part, bool split)
{
    switch (part) {
    case StagePart::U:
        return QStringLiteral("U: survival and growth");
    case StagePart::F:
        return QStringLiteral("F: reproduction");
    case StagePart::C:
        return QStringLiteral("C: clonal reproduction");
    case StagePart::A:
        break;
    }
    return split ? QStringLiteral("A = U + F (+ C), read-only")
                 : QStringLiteral("A: the projection matrix");
}

QColor arrowColour(ArrowKind kind)
{
    switch (kind) {
    case ArrowKind::Reproduction:
        return kReproduction;
    case ArrowKind::Clonal:
        return kClonal;
    case ArrowKind::Transition:
        break;
    }
    return kBlack;
}

QPointF scenePoint(GraphPoint p)
{
    return QPointF(p.x * kGraphUnit, p.y * kGraphUnit);
}

QLineEdit *makeBox(QWidget *parent, const char *name, bool readOnly, const QString &text)
{
    QLineEdit *box = MakeNumberBox(parent, name, {}, kPoints, false, readOnly, text);
    box->setMinimumWidth(110);
    return box;
}

QLabel *makeCaption(QWidget *parent, const char *name, const QString &caption)
{
    QLabel *label = MakeLabel(parent, name, {}, kPoints, caption);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

// ----- The grid -----

StageGridModel::StageGridModel(StageEditor &editor, StagePart part, QObject *parent)
    : QAbstractTableModel(parent)
    , m_editor(editor)
    , m_part(part)
    , m_stages(editor.n)
{
}

void StageGridModel::refresh()
{
    beginResetModel();
    m_stages = m_editor.n;
    endResetModel();
}

void StageGridModel::cellsChanged(int top, int left, int bottom, int right)
{
    emit dataChanged(index(top, left), index(bottom, right));
}

void StageGridModel::namesChanged()
{
    emit headerDataChanged(Qt::Horizontal, 0, m_stages - 1);
    emit headerDataChanged(Qt::Vertical, 0, m_stages - 1);
}

int StageGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_stages;
}

int StageGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_stages;
}

QVariant StageGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_editor.n || index.column() >= m_editor.n)
        return {};
    if (!IsEditablePart(m_editor, m_part) && m_part != StagePart::A)
        return {};
    const int row = index.row(), column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return qs(StageCellText(m_editor, m_part, row, column));
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        return IsBadStageCell(m_editor, m_part, row, column) ? QVariant(kRed) : QVariant();
    case Qt::BackgroundRole:
        if (IsBadStageCell(m_editor, m_part, row, column))
            return kBadGround;
        return IsEditablePart(m_editor, m_part) ? QVariant() : QVariant(kSumGround);
    case Qt::ToolTipRole:
        return QStringLiteral("From '%1' to '%2'")
            .arg(qs(m_editor.names[column]), qs(m_editor.names[row]));
    default:
        return {};
    }
}

bool StageGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !IsEditablePart(m_editor, m_part))
        return false;
    SetStageCell(m_editor, m_part, index.row(), index.column(), value.toString().toStdString());
    emit dataChanged(index, index);
    emit edited(index.row(), index.column());
    return true;
}

QVariant StageGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= m_editor.n)
        return {};
    const QString name = qs(m_editor.names[section]);
    if (role == Qt::DisplayRole)
        return name;
    if (role == Qt::ToolTipRole)
        return (orientation == Qt::Horizontal ? QStringLiteral("From stage '%1'")
                                              : QStringLiteral("To stage '%1'"))
                   .arg(name)
            + QStringLiteral(" (double-click to rename)");
    return {};
}

Qt::ItemFlags StageGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (IsEditablePart(m_editor, m_part))
        flags |= Qt::ItemIsEditable;
    return flags;
}

// ----- The window -----

Stagefrm::Stagefrm(WindowOwner &owner, QWidget *parent)
    : OwnedWindow(owner, parent)
    , m_editor(owner.stageEditor())
    , m_search(owner.stageSearch())
{
    buildUi();
    connectHandlers();
}

QTableView *Stagefrm::makeGrid(StagePart part, const char *name)
{
    auto *model = new StageGridModel(m_editor, part, this);
    auto *grid = new QTableView(this);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setModel(model);
    grid->setFont(TimesFont(kGridPoints));
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed);
    grid->setTabKeyNavigation(false);
    // Sections of one size: 500 x 500 cells are laid out without measuring any of them.
    const QFontMetrics metrics(grid->font());
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    grid->verticalHeader()->setMaximumWidth(metrics.horizontalAdvance(QLatin1Char('0')) * 16);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setDefaultSectionSize(metrics.horizontalAdvance(QLatin1Char('0'))
                                                    * 9);
    // A long name shows its beginning; the tool tip has it whole.
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->setMinimumSize(160, 110);
    grid->installEventFilter(this);
    m_models[slotOf(part)] = model;
    m_grids[slotOf(part)] = grid;
    m_captions[slotOf(part)] = new QLabel(captionOf(part, m_editor.split), this);
    m_captions[slotOf(part)]->setFont(TimesFont(kPoints, true));
    grid->setAccessibleName(m_captions[slotOf(part)]->text());
    return grid;
}

void Stagefrm::buildUi()
{
    setObjectName(QStringLiteral("Stagefrm"));
    setWindowTitle(QStringLiteral("Stage matrix"));
    setFont(TimesFont(kPoints));
    SetBackColor(this, kWhite);
    resize(1240, 820);

    auto *page = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    columns->addWidget(buildEditor(), 5);
    columns->addWidget(buildSearch(), 4);
    page->addLayout(columns, 1);

    Command6 = MakeButton(this, "Command6", {}, QStringLiteral("Further analysis"),
                          QStringLiteral("Analyse the stage matrix further"), true);
    Command7 = MakeButton(this, "Command7", {}, QStringLiteral("Steps"),
                          QStringLiteral("Show the steps of the search"), true);
    Command8 = MakeButton(this, "Command8", {}, QStringLiteral("Back"),
                          QStringLiteral("Back to the main form"), true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command6);
    buttons->addWidget(Command7);
    buttons->addWidget(Command8);
    page->addLayout(buttons);

    // What a screen reader announces for each box: the caption beside it.
    NameBoxByLabel(Text7, Label7);
    NameBoxByLabel(Text9, Label9);
    Combo1->setAccessibleName(QStringLiteral("Examples"));
    Picture1->setAccessibleName(QStringLiteral("Life-cycle graph"));
    MSChart1->setAccessibleName(QStringLiteral("Curve of g(x)"));
    NameButtonsByCaption(this);

    QWidget *order[]
        = {m_grids[0], m_grids[1], m_grids[2], m_grids[3], Text7,    Text9,    Check1,   Combo1,
           Command4,   Command5,   Text1,      Text2,      Command1, Command2, Command3, Command7,
           Text4,      Text5,      Text3,      Text6,      Text8,    Check2,   Command6, Command8};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QWidget *Stagefrm::buildEditor()
{
    auto *editor = new QWidget(this);
    auto *layout = new QVBoxLayout(editor);
    layout->setContentsMargins(0, 0, 0, 0);

    Label6 = new QLabel(qs(StageHelpText()), editor);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setWordWrap(true);
    Label6->setFont(TimesFont(10.5));
    layout->addWidget(Label6);

    auto *controls = new QHBoxLayout;
    Label7 = MakeLabel(editor, "Label7", {}, kPoints, QStringLiteral("Stages"));
    Text7 = new QSpinBox(editor);
    Text7->setObjectName(QStringLiteral("Text7"));
    Text7->setRange(1, kMaxStages);
    Text7->setKeyboardTracking(false);
    Text7->setValue(m_editor.n);
    Check1 = new QCheckBox(QStringLiteral("Split into U and F"), editor);
    Check1->setObjectName(QStringLiteral("Check1"));
    Combo1 = new QComboBox(editor);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItem(QStringLiteral("Examples"));
    Command4 = MakeButton(
        editor, "Command4", {}, QStringLiteral("Open…"),
        QStringLiteral("Read a matrix file, or a record of a database file (COMPADRE, COMADRE)"));
    Command5 = MakeButton(editor, "Command5", {}, QStringLiteral("Save…"),
                          QStringLiteral("Save the matrix to a file"));
    for (QWidget *w :
         std::initializer_list<QWidget *> {Label7, Text7, Check1, Combo1, Command4, Command5})
        controls->addWidget(w);
    controls->addStretch();
    layout->addLayout(controls);

    auto *naming = new QHBoxLayout;
    Label9 = MakeLabel(editor, "Label9", {}, kPoints, QStringLiteral("Stage name"));
    Text9 = MakeTextBox(editor, "Text9", {}, kPoints, false, false, QString());
    Text9->setToolTip(QStringLiteral("The name of the stage of the current column"));
    Label8 = MakeLabel(editor, "Label8", {}, kPoints, qs(StageGridDirectionText()));
    Label8->setFont(TimesFont(kPoints, false, true));
    naming->addWidget(Label9);
    naming->addWidget(Text9, 1);
    naming->addSpacing(12);
    naming->addWidget(Label8, 2);
    layout->addLayout(naming);

    auto *grids = m_gridLayout = new QGridLayout;
    const char *names[] = {"Grid1", "Grid2", "Grid3", "Grid4"};
    for (StagePart part : kParts)
        makeGrid(part, names[slotOf(part)]);
    // U and F side by side, A and C below them; A alone fills the place when not split.
    const int places[4][2] = {{2, 0}, {0, 0}, {0, 1}, {2, 1}};
    for (StagePart part : kParts) {
        const int s = slotOf(part);
        grids->addWidget(m_captions[s], places[s][0], places[s][1]);
        grids->addWidget(m_grids[s], places[s][0] + 1, places[s][1]);
    }
    grids->setRowStretch(1, 1);
    grids->setRowStretch(3, 1);
    layout->addLayout(grids, 1);

    Label3 = MakeLabel(editor, "Label3", {}, kPoints, QString());
    Label3->setWordWrap(true);
    SetForeColor(Label3, kRed);
    layout->addWidget(Label3);
    Label16 = MakeLabel(editor, "Label16", {}, kPoints, QString());
    Label16->setWordWrap(true);
    Label16->setFont(TimesFont(10.5));
    SetForeColor(Label16, kDarkBlue);
    // The citation can be copied, to look the paper up.
    Label16->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label16->hide();
    layout->addWidget(Label16);
    return editor;
}

QWidget *Stagefrm::buildSearch()
{
    auto *side = new QWidget(this);
    auto *layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);

    Check2 = new QCheckBox(QStringLiteral("Show elasticities"), side);
    Check2->setObjectName(QStringLiteral("Check2"));
    Check2->setToolTip(QStringLiteral("Label each arrow with the elasticity of λ1 to its rate"));
    m_scene = new QGraphicsScene(this);
    Picture1 = new QGraphicsView(m_scene, side);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setWindowTitle(QStringLiteral("Life-cycle graph"));
    Picture1->setRenderHint(QPainter::Antialiasing);
    Picture1->setMinimumSize(320, 230);
    Picture1->setBackgroundBrush(kWhite);
    Picture1->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The graph fills the view whatever size the window is given.
    Picture1->installEventFilter(this);
    auto *print = new QAction(QStringLiteral("Print…"), Picture1);
    print->setObjectName(QStringLiteral("actPrint"));
    auto *save = new QAction(QStringLiteral("Save as PNG…"), Picture1);
    save->setObjectName(QStringLiteral("actSavePicture"));
    Picture1->addAction(print);
    Picture1->addAction(save);
    connect(print, &QAction::triggered, this, &Stagefrm::Graph_Print);
    connect(save, &QAction::triggered, this, &Stagefrm::Graph_SavePicture);
    layout->addWidget(Check2);
    layout->addWidget(Picture1, 3);

    Frame1 = new QGroupBox(QStringLiteral(" λ by hand: g(x) = det(I − A/x) = 0 "), side);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *table = new QGridLayout(Frame1);
    Text1 = makeBox(Frame1, "Text1", false, QStringLiteral("0.5"));
    Text2 = makeBox(Frame1, "Text2", false, QStringLiteral("2"));
    Text3 = makeBox(Frame1, "Text3", true, QString());
    Text4 = makeBox(Frame1, "Text4", true, QString());
    Text5 = makeBox(Frame1, "Text5", true, QString());
    Text6 = makeBox(Frame1, "Text6", true, QString());
    QLineEdit *boxes[3][2] = {{Text1, Text4}, {Text2, Text5}, {Text3, Text6}};
    const char *captions[3][2] = {{"x1 =", "g(x1) ="}, {"x2 =", "g(x2) ="}, {"x3 =", "g(x3) ="}};
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 2; ++k) {
            const QByteArray name = QStringLiteral("Label%1").arg(10 + 2 * row + k).toLatin1();
            QLabel *label
                = makeCaption(Frame1, name.constData(), QString::fromUtf8(captions[row][k]));
            table->addWidget(label, row, 2 * k);
            table->addWidget(boxes[row][k], row, 2 * k + 1);
            NameBoxByLabel(boxes[row][k], label);
        }
    Command1 = MakeButton(Frame1, "Command1", {}, QStringLiteral("Try"),
                          QStringLiteral("Try two start points x1 and x2"));
    Command2 = MakeButton(Frame1, "Command2", {}, QStringLiteral("Bisection"),
                          QStringLiteral("Bisection (find the midpoint)"));
    Command3 = MakeButton(Frame1, "Command3", {}, QStringLiteral("Exchange"),
                          QStringLiteral("Keep the half with the sign change"));
    auto *steps = new QHBoxLayout;
    steps->addWidget(Command1);
    steps->addWidget(Command2);
    steps->addWidget(Command3);
    steps->addStretch();
    table->addLayout(steps, 3, 0, 1, 4);
    Label1 = MakeLabel(Frame1, "Label1", {}, kPoints, QString());
    Label1->setFont(TimesFont(kPoints, true));
    SetForeColor(Label1, kGreen);
    Label2 = MakeLabel(Frame1, "Label2", {}, kPoints, QString());
    SetForeColor(Label2, kRed);
    table->addWidget(Label1, 4, 0, 1, 2);
    table->addWidget(Label2, 4, 2, 1, 2);
    QLabel *lambda = makeCaption(Frame1, "Label4", QStringLiteral("λ1 ="));
    Text8 = makeBox(Frame1, "Text8", true, QString());
    Text8->setToolTip(QStringLiteral("The dominant eigenvalue of A"));
    NameBoxByLabel(Text8, lambda);
    Label5 = MakeLabel(Frame1, "Label5", {}, kPoints, QString());
    SetForeColor(Label5, kRed);
    table->addWidget(lambda, 5, 0);
    table->addWidget(Text8, 5, 1);
    table->addWidget(Label5, 5, 2, 1, 2);
    table->setColumnStretch(1, 1);
    table->setColumnStretch(3, 1);
    layout->addWidget(Frame1);

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setBackgroundRoundness(0);
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    MSChart1 = new QChartView(m_chart, side);
    MSChart1->setObjectName(QStringLiteral("MSChart1"));
    MSChart1->setRenderHint(QPainter::Antialiasing);
    MSChart1->setMinimumSize(320, 200);
    layout->addWidget(MSChart1, 2);
    return side;
}

void Stagefrm::connectHandlers()
{
    for (StagePart part : kParts) {
        StageGridModel *model = modelOf(part);
        connect(model, &StageGridModel::edited, this,
                [this, part](int row, int column) { Grid_Change(part, row, column); });
        QTableView *grid = gridOf(part);
        connect(
            grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, part](const QModelIndex &index) { Grid_CurrentChange(part, index.column()); });
        for (QHeaderView *header : {grid->horizontalHeader(), grid->verticalHeader()})
            connect(header, &QHeaderView::sectionDoubleClicked, this, [this, header](int section) {
                startNameEdit(header, header->orientation(), section);
            });
    }
    connect(Command1, &QPushButton::clicked, this, &Stagefrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Stagefrm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Stagefrm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Stagefrm::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Stagefrm::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Stagefrm::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Stagefrm::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Stagefrm::Command8_Click);
    connect(Check1, &QCheckBox::clicked, this, &Stagefrm::Check1_Click);
    connect(Check2, &QCheckBox::clicked, this, &Stagefrm::Check2_Click);
    connect(Combo1, &QComboBox::activated, this, &Stagefrm::Combo1_Click);
    connect(Text7, &QSpinBox::valueChanged, this, &Stagefrm::Text7_Change);
    connect(Text9, &QLineEdit::editingFinished, this, &Stagefrm::Text9_Change);
    // Only what the user types starts the search afresh; Exchange writes the ends itself.
    connect(Text1, &QLineEdit::textEdited, this, &Stagefrm::Text1_Change);
    connect(Text2, &QLineEdit::textEdited, this, &Stagefrm::Text1_Change);
    for (QLineEdit *box : {Text1, Text2, Text3, Text4, Text5, Text6, Text8})
        connect(box, &QLineEdit::textChanged, box, &QWidget::setToolTip);
}

StageGridModel *Stagefrm::modelOf(StagePart part) const
{
    return m_models[slotOf(part)];
}

QTableView *Stagefrm::gridOf(StagePart part) const
{
    return m_grids[slotOf(part)];
}

void Stagefrm::Form_Load()
{
    // The model stays from the last opening; the search on it starts afresh.
    m_search = {};
    listExamples(ExamplesFolder(QCoreApplication::applicationDirPath()));
    const std::string note = m_owner.stageRecordNote();
    showEditor();
    showRecordNote(note);
    clearSearch();
    gridOf(m_editor.split ? StagePart::U : StagePart::A)->setFocus();
}

void Stagefrm::listExamples(const QString &folder)
{
    while (Combo1->count() > 1)
        Combo1->removeItem(1);
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    for (const QString &file :
         dir.entryList({QStringLiteral("StageM-*.csv")}, QDir::Files, QDir::Name))
        Combo1->addItem(qs(StageExampleTitle(file.toStdString())), dir.filePath(file));
}

void Stagefrm::showEditor()
{
    for (StageGridModel *model : m_models)
        model->refresh();
    const QSignalBlocker blocker(Text7);
    Text7->setValue(m_editor.n);
    Check1->setChecked(m_editor.split);
    for (StagePart part : kParts) {
        const bool shown = part == StagePart::A || (m_editor.split && part != StagePart::C)
            || (m_editor.split && m_editor.hasC && part == StagePart::C);
        gridOf(part)->setVisible(shown);
        m_captions[slotOf(part)]->setVisible(shown);
        m_captions[slotOf(part)]->setText(captionOf(part, m_editor.split));
        gridOf(part)->setAccessibleName(m_captions[slotOf(part)]->text());
    }
    // The parts take the room above A only when they are shown.
    m_gridLayout->setRowStretch(1, m_editor.split ? 1 : 0);
    m_nameStage = std::clamp(m_nameStage, 0, m_editor.n - 1);
    Text9->setText(qs(m_editor.names[m_nameStage]));
    matrixChanged();
}

void Stagefrm::matrixChanged()
{
    m_characteristic.reset();
    clearSearch();
    showRecordNote({});
    Label3->setText(qs(StageProblemText(m_editor)));
    updateButtons();
    drawGraph();
}

void Stagefrm::showRecordNote(const std::string &note)
{
    m_owner.stageRecordNote() = note;
    Label16->setText(qs(note));
    Label16->setVisible(!note.empty());
}

void Stagefrm::clearSearch()
{
    for (QLineEdit *box : {Text3, Text4, Text5, Text6, Text8})
        box->clear();
    for (QLineEdit *box : {Text1, Text2})
        SetForeColor(box, kBlack);
    for (QLabel *label : {Label1, Label2, Label5})
        label->clear();
    m_search = {};
    m_lambda1.reset();
    m_elasticity.reset();
    m_canBisect = m_canExchange = false;
    Check2->setChecked(false);
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    MSChart1->hide();
}

void Stagefrm::updateButtons()
{
    const bool good = BadStageCellCount(m_editor) == 0;
    Command1->setEnabled(good);
    Command2->setEnabled(good && m_canBisect);
    Command3->setEnabled(good && m_canExchange);
    Command5->setEnabled(good);
    Command6->setEnabled(good);
    Check2->setEnabled(good && m_elasticity.has_value() && m_editor.n <= kMaxDrawnStages);
    // A disabled button cannot keep the focus.
    if (QWidget *focus = focusWidget(); focus && !focus->isEnabled())
        (good ? Command1
              : static_cast<QWidget *>(gridOf(m_editor.split ? StagePart::U : StagePart::A)))
            ->setFocus();
}

const StageCharacteristic &Stagefrm::characteristic()
{
    if (!m_characteristic)
        m_characteristic = MakeStageCharacteristic(StageModelOf(m_editor).a);
    return *m_characteristic;
}

// ----- Editing -----

void Stagefrm::Grid_Change(StagePart part, int row, int column)
{
    if (part != StagePart::A && m_editor.split)
        modelOf(StagePart::A)->cellsChanged(row, column, row, column);
    matrixChanged();
}

void Stagefrm::Text7_Change()
{
    ResizeStages(m_editor, Text7->value());
    showEditor();
}

void Stagefrm::Check1_Click()
{
    if (Check1->isChecked())
        SplitStages(m_editor);
    else
        JoinStages(m_editor);
    showEditor();
    gridOf(m_editor.split ? StagePart::U : StagePart::A)->setFocus();
}

void Stagefrm::Grid_Paste(StagePart part)
{
    QTableView *grid = gridOf(part);
    const QModelIndex at = grid->currentIndex();
    const int stages = m_editor.n;
    const PastedBlock block = ParsePastedBlock(QGuiApplication::clipboard()->text().toStdString());
    const std::string message = PasteStageBlock(m_editor, part, at.isValid() ? at.row() : 0,
                                                at.isValid() ? at.column() : 0, block);
    if (!message.empty()) {
        m_owner.dialogs().inform(QStringLiteral("Paste"), qs(message));
        return;
    }
    if (m_editor.n != stages) {
        showEditor();
        grid->setCurrentIndex(
            modelOf(part)->index(std::max(at.row(), 0), std::max(at.column(), 0)));
        return;
    }
    const int top = std::max(at.row(), 0), left = std::max(at.column(), 0);
    const int bottom = top + static_cast<int>(block.rows.size()) - 1;
    const int right = left + static_cast<int>(block.rows.front().size()) - 1;
    modelOf(part)->cellsChanged(top, left, bottom, right);
    modelOf(StagePart::A)->cellsChanged(top, left, bottom, right);
    matrixChanged();
}

void Stagefrm::Grid_Copy(StagePart part)
{
    const QModelIndexList selected = gridOf(part)->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    int top = m_editor.n, left = m_editor.n, bottom = 0, right = 0;
    for (const QModelIndex &index : selected) {
        top = std::min(top, index.row());
        left = std::min(left, index.column());
        bottom = std::max(bottom, index.row());
        right = std::max(right, index.column());
    }
    QGuiApplication::clipboard()->setText(
        qs(CopyStageBlock(m_editor, part, top, left, bottom, right)));
}

void Stagefrm::Grid_CurrentChange(StagePart, int column)
{
    if (column < 0 || column >= m_editor.n)
        return;
    m_nameStage = column;
    Text9->setText(qs(m_editor.names[column]));
}

void Stagefrm::Text9_Change()
{
    if (!Text9->isModified())
        return;
    Text9->setModified(false);
    renameStage(m_nameStage, Text9->text());
}

void Stagefrm::renameStage(int stage, const QString &name)
{
    if (stage < 0 || stage >= m_editor.n)
        return;
    SetStageName(m_editor, stage, name.toStdString());
    for (StageGridModel *model : m_models)
        model->namesChanged();
    if (stage == m_nameStage)
        Text9->setText(qs(m_editor.names[stage]));
    // Names change no number: the search and lambda1 stay.
    Label3->setText(qs(StageProblemText(m_editor)));
    drawGraph();
}

void Stagefrm::startNameEdit(QWidget *header, Qt::Orientation orientation, int section)
{
    auto *view = static_cast<QHeaderView *>(header);
    delete m_headerEditor;
    m_headerStage = section;
    m_headerEditor = new QLineEdit(qs(m_editor.names[section]), view->viewport());
    m_headerEditor->setObjectName(QStringLiteral("StageNameEditor"));
    m_headerEditor->setAccessibleName(QStringLiteral("Stage name"));
    const int position = view->sectionViewportPosition(section);
    const QRect place = orientation == Qt::Horizontal
        ? QRect(position, 0, view->sectionSize(section), view->viewport()->height())
        : QRect(0, position, view->viewport()->width(), view->sectionSize(section));
    m_headerEditor->setGeometry(place);
    m_headerEditor->selectAll();
    m_headerEditor->show();
    m_headerEditor->setFocus();
    m_headerEditor->installEventFilter(this);
}

// ----- Files -----

void Stagefrm::Command4_Click()
{
    const QString path = m_owner.dialogs().chooseOpenFile();
    if (path.isEmpty())
        return;
    // A database file lists its records; the one chosen comes back through loadRecord.
    if (IsDatabaseFile(QFile::encodeName(path).toStdString())) {
        if (m_owner.showRecordfrm(path))
            hide();
        return;
    }
    openMatrixFile(path);
}

bool Stagefrm::openMatrixFile(const QString &path)
{
    const MatrixFileRead read = ReadMatrixFile(QFile::encodeName(path).toStdString());
    if (!read.ok) {
        m_owner.dialogs().inform(QStringLiteral("Open"), qs(read.message));
        return false;
    }
    m_editor = StageEditorFromModel(read.model);
    showEditor();
    return true;
}

void Stagefrm::loadRecord(const CompadreRecord &record)
{
    m_editor = StageEditorFromModel(RecordModelToEdit(record));
    showEditor();
    showRecordNote(RecordNoteText(record));
    gridOf(m_editor.split ? StagePart::U : StagePart::A)->setFocus();
}

void Stagefrm::Combo1_Click(int index)
{
    const QString path = Combo1->itemData(index).toString();
    Combo1->setCurrentIndex(0);
    if (!path.isEmpty())
        openMatrixFile(path);
}

void Stagefrm::Command5_Click()
{
    QString path = m_owner.dialogs().chooseSaveFile(QStringLiteral("Save the stage matrix"),
                                                    QStringLiteral("Matrix files (*.csv)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    const std::string error
        = SaveMatrixFile(StageModelOf(m_editor), QFile::encodeName(path).toStdString());
    if (!error.empty())
        m_owner.dialogs().inform(QStringLiteral("Save"), qs(error));
}

// ----- The life-cycle graph -----

void Stagefrm::Check2_Click()
{
    drawGraph();
}

void Stagefrm::drawGraph()
{
    if (m_editor.n > kMaxDrawnStages) {
        m_scene->clear();
        m_drawnGraph.reset();
        m_arrowItems.clear();
        auto *text = m_scene->addSimpleText(QString::fromLatin1(kTooManyStagesText),
                                            TimesFont(14, false, true));
        text->setData(0, QStringLiteral("note"));
        // The note in its own size, in the middle of the view.
        m_scene->setSceneRect(text->boundingRect());
        Picture1->resetTransform();
        return;
    }
    const std::optional<SquareMatrix> elasticity
        = Check2->isChecked() ? m_elasticity : std::optional<SquareMatrix>();
    LifeCycleGraph graph = LayoutLifeCycleGraph(StageModelOf(m_editor), elasticity);
    // An edit changes an arrow or two: only those are drawn anew, so that the view repaints
    // only where they lie.
    const bool sameNodes = m_drawnGraph && m_drawnGraph->layout == graph.layout
        && m_drawnGraph->nodes == graph.nodes;
    if (!sameNodes) {
        m_scene->clear();
        m_arrowItems.clear();
        m_drawnGraph.reset();
        for (const GraphNode &node : graph.nodes)
            drawNode(node);
    }
    // Arrows are known by their ends, kind and rank among the arrows of the same ends.
    std::map<ArrowKey, DrawnArrow> drawn;
    std::map<std::pair<int, int>, int> ranks;
    for (const GraphArrow &arrow : graph.arrows) {
        const ArrowKey key {arrow.from, arrow.to, static_cast<int>(arrow.kind),
                            ranks[{arrow.from, arrow.to}]++};
        const auto kept = m_arrowItems.find(key);
        if (kept != m_arrowItems.end() && kept->second.arrow == arrow) {
            drawn[key] = std::move(kept->second);
            m_arrowItems.erase(kept);
        } else {
            drawn[key] = {arrow, drawArrow(arrow, graph)};
        }
    }
    for (auto &[key, old] : m_arrowItems)
        qDeleteAll(old.items);
    m_arrowItems = std::move(drawn);
    m_drawnGraph = std::move(graph);
    const QRectF area = m_scene->itemsBoundingRect().adjusted(-10, -10, 10, 10);
    if (!sameNodes || area != m_scene->sceneRect()) {
        m_scene->setSceneRect(area);
        fitGraph();
    }
}

QList<QGraphicsItem *> Stagefrm::drawArrow(const GraphArrow &arrow, const LifeCycleGraph &graph)
{
    const QColor colour = arrowColour(arrow.kind);
    QPen pen(colour, arrow.width);
    if (arrow.kind != ArrowKind::Transition)
        pen.setStyle(arrow.kind == ArrowKind::Clonal ? Qt::DashDotLine : Qt::DashLine);
    QPainterPath path(scenePoint(arrow.start));
    path.quadTo(scenePoint(arrow.control), scenePoint(arrow.end));
    QGraphicsPathItem *item = m_scene->addPath(path, pen);
    item->setData(0, arrow.loop ? QStringLiteral("loop") : QStringLiteral("arrow"));
    item->setData(1, static_cast<int>(arrow.kind));
    item->setToolTip(QStringLiteral("%1 → %2: %3")
                         .arg(qs(graph.nodes[arrow.from].name), qs(graph.nodes[arrow.to].name),
                              qs(arrow.label)));
    // The head points along the curve's last direction.
    const QPointF tip = scenePoint(arrow.end);
    QPointF along = tip - scenePoint(arrow.control);
    const double length = std::hypot(along.x(), along.y());
    along = length > 0 ? along / length : QPointF(0, 1);
    const QPointF across(-along.y(), along.x());
    const double size = 7 + arrow.width;
    QPolygonF head;
    head << tip << tip - along * size + across * size * 0.45
         << tip - along * size - across * size * 0.45;
    QGraphicsPolygonItem *arrowHead = m_scene->addPolygon(head, QPen(colour, 1), colour);
    auto *label = m_scene->addSimpleText(qs(arrow.label), ArialFont(8));
    label->setBrush(colour);
    label->setPos(scenePoint(arrow.labelAt) - label->boundingRect().center());
    return {item, arrowHead, label};
}

void Stagefrm::drawNode(const GraphNode &node)
{
    // Nodes lie over the arrows, also over those drawn after them.
    const QPointF centre = scenePoint(node.centre);
    auto *circle
        = m_scene->addEllipse(centre.x() - kGraphUnit, centre.y() - kGraphUnit, 2 * kGraphUnit,
                              2 * kGraphUnit, QPen(kBlack, 1.5), QColor(255, 255, 224));
    circle->setData(0, QStringLiteral("node"));
    circle->setToolTip(qs(node.name));
    circle->setZValue(1);
    auto *number = m_scene->addSimpleText(qs(node.number), TimesFont(11, true));
    number->setPos(centre - number->boundingRect().center());
    number->setZValue(2);
    if (node.name == node.number)
        return;
    if (node.inList) {
        auto *line = m_scene->addSimpleText(QFontMetrics(TimesFont(10))
                                                .elidedText(qs(node.number + "  " + node.name),
                                                            Qt::ElideRight,
                                                            static_cast<int>(kGraphUnit * 12)),
                                            TimesFont(10));
        line->setPos(scenePoint(node.nameAt));
        return;
    }
    auto *name = m_scene->addSimpleText(
        QFontMetrics(TimesFont(9))
            .elidedText(qs(node.name), Qt::ElideRight, static_cast<int>(kGraphUnit * 3.8)),
        TimesFont(9));
    name->setPos(scenePoint(node.nameAt) - QPointF(name->boundingRect().width() / 2, 0));
    name->setZValue(2);
}

void Stagefrm::fitGraph()
{
    if (m_editor.n <= kMaxDrawnStages)
        Picture1->fitInView(m_scene->sceneRect(), Qt::KeepAspectRatio);
}

void Stagefrm::Graph_Print()
{
    m_owner.printWindow(Picture1);
}

void Stagefrm::Graph_SavePicture()
{
    QString path = m_owner.dialogs().chooseSaveFile(QStringLiteral("Save the life-cycle graph"),
                                                    QStringLiteral("PNG images (*.png)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    const QRectF area = m_scene->sceneRect();
    QImage image((area.size() * 2).toSize(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    m_scene->render(&painter, QRectF(QPointF(0, 0), image.size()), area);
    painter.end();
    // Written beside the chosen name and renamed into place when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        m_owner.dialogs().inform(QStringLiteral("Save as PNG"),
                                 QStringLiteral("The file \"%1\" could not be written.").arg(path));
}

// ----- Lambda by hand -----

void Stagefrm::Text1_Change()
{
    for (QLineEdit *box : {Text3, Text4, Text5, Text6})
        box->clear();
    for (QLabel *label : {Label1, Label2, Label5})
        label->clear();
    m_canBisect = m_canExchange = false;
    updateButtons();
}

BracketTexts Stagefrm::bracketTexts() const
{
    return {Text1->text().toStdString(), Text2->text().toStdString(), Text3->text().toStdString(),
            Text4->text().toStdString(), Text5->text().toStdString(), Text6->text().toStdString()};
}

void Stagefrm::Command1_Click()
{
    const StageTrial trial = TryStageBracket(
        m_search, characteristic(), Text1->text().toStdString(), Text2->text().toStdString());
    // lambda1 stays: it belongs to the matrix, not to the search.
    Text3->clear();
    Text6->clear();
    for (QLineEdit *box : {Text1, Text2})
        SetForeColor(box, kBlack);
    Label2->clear();
    Label5->clear();
    m_canExchange = false;
    m_canBisect = trial.ok && trial.accepted;
    SetForeColor(Label1, trial.accepted ? kGreen : kRed);
    if (!trial.ok) {
        Text4->clear();
        Text5->clear();
        Label1->setText(qs(trial.message));
        updateButtons();
        return;
    }
    SetBoxText(Text4, trial.gx1Text);
    SetBoxText(Text5, trial.gx2Text);
    Label1->setText(qs(trial.verdictText));
    updateButtons();
    drawChart();
    if (m_canBisect)
        Command2->setFocus();
}

void Stagefrm::Command2_Click()
{
    const StageStep step = BisectStageStep(m_search, characteristic(), Text1->text().toStdString(),
                                           Text2->text().toStdString());
    if (!step.ok) {
        m_owner.dialogs().inform(QStringLiteral("Bisection"), qs(step.message));
        return;
    }
    SetBoxText(Text3, step.x3Text);
    SetBoxText(Text6, step.gx3Text);
    m_canBisect = false;
    m_canExchange = !step.ended;
    if (step.ended) {
        Label2->setText(QString::fromUtf8(kStageEndCaption));
        // The dominant eigenvalue beside lambda of the search, and the elasticities the graph
        // can show from now on.
        const StageAnalysis analysis = AnalyseStage(StageModelOf(m_editor));
        m_lambda1 = analysis.lambda;
        m_elasticity = analysis.elasticity;
        SetBoxText(Text8, ValueText(m_lambda1));
        const double x1 = TextToNumber(Text1->text().toStdString()).value;
        const double x2 = TextToNumber(Text2->text().toStdString()).value;
        if (m_lambda1 && !BracketHoldsLambda1(x1, x2, *m_lambda1))
            Label5->setText(QString::fromUtf8(kNotDominantText));
    }
    updateButtons();
    drawChart();
    (m_canExchange ? Command3 : Command1)->setFocus();
}

void Stagefrm::Command3_Click()
{
    const ExchangeResult exchange = ExchangeStageBracket(m_search, bracketTexts());
    SetBoxText(Text1, exchange.texts.x1);
    SetBoxText(Text2, exchange.texts.x2);
    SetBoxText(Text4, exchange.texts.fx1);
    SetBoxText(Text5, exchange.texts.fx2);
    Text3->clear();
    Text6->clear();
    SetForeColor(Text1, exchange.x1Color == EndColor::Blue ? kBlue : kBlack);
    SetForeColor(Text2, exchange.x2Color == EndColor::Blue ? kBlue : kBlack);
    m_canBisect = true;
    m_canExchange = false;
    updateButtons();
    drawChart();
    Command2->setFocus();
}

void Stagefrm::drawChart()
{
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    const double x1 = TextToNumber(Text1->text().toStdString()).value;
    const double x2 = TextToNumber(Text2->text().toStdString()).value;
    if (!(x1 > 0) || !(x2 > 0)) {
        MSChart1->hide();
        return;
    }
    const StageCharacteristic &g = characteristic();
    const StageCurve curve = StageCurveAround(g, x1, x2, kCurvePoints);
    auto *horizontal = new QValueAxis;
    auto *vertical = new QValueAxis;
    for (QValueAxis *axis : {horizontal, vertical}) {
        axis->setLabelsFont(ArialFont(8));
        axis->setTitleFont(ArialFont(9));
    }
    // Enough digits that the ticks of a narrow bracket read apart.
    const double largest = std::max(std::fabs(curve.xLow), std::fabs(curve.xHigh));
    const int digits = std::clamp(
        static_cast<int>(std::ceil(std::log10(largest / (curve.xHigh - curve.xLow)))) + 2, 3, 15);
    horizontal->setLabelFormat(QStringLiteral("%.%1g").arg(digits));
    vertical->setLabelFormat(QStringLiteral("%.3g"));
    horizontal->setTitleText(QStringLiteral("x"));
    vertical->setTitleText(QStringLiteral("g(x)"));
    m_chart->addAxis(horizontal, Qt::AlignBottom);
    m_chart->addAxis(vertical, Qt::AlignLeft);
    const auto add = [&](QAbstractSeries *series) {
        m_chart->addSeries(series);
        series->attachAxis(horizontal);
        series->attachAxis(vertical);
    };

    auto *band = new QAreaSeries(new QLineSeries, new QLineSeries);
    band->upperSeries()->append(
        {QPointF(std::min(x1, x2), curve.gHigh), QPointF(std::max(x1, x2), curve.gHigh)});
    band->lowerSeries()->append(
        {QPointF(std::min(x1, x2), curve.gLow), QPointF(std::max(x1, x2), curve.gLow)});
    band->upperSeries()->setParent(band);
    band->lowerSeries()->setParent(band);
    band->setName(QStringLiteral("bracket"));
    band->setColor(QColor(255, 190, 0, 60));
    band->setBorderColor(QColor(255, 190, 0, 0));
    add(band);
    auto *zero = new QLineSeries;
    zero->setName(QStringLiteral("zero"));
    zero->append({QPointF(curve.xLow, 0), QPointF(curve.xHigh, 0)});
    zero->setPen(QPen(QColor(128, 128, 128), 1));
    add(zero);
    auto *line = new QLineSeries;
    line->setName(QStringLiteral("g(x)"));
    QList<QPointF> points;
    for (std::size_t i = 0; i < curve.x.size(); ++i)
        points.append(QPointF(curve.x[i], curve.g[i]));
    line->replace(points);
    line->setPen(QPen(kBlue, 2));
    add(line);
    for (const SearchMark &mark : StageSearchMarks(m_search, g, curve)) {
        auto *point = new QScatterSeries;
        point->setName(QStringLiteral("point %1").arg(mark.number));
        point->append(mark.x, std::clamp(mark.fx, curve.gLow, curve.gHigh));
        point->setMarkerSize(8);
        const QColor colour = mark.number <= 2 ? kBlue : kGreen;
        point->setColor(colour);
        point->setBorderColor(kBlack);
        point->setPointLabelsFormat(QString::number(mark.number));
        point->setPointLabelsFont(ArialFont(8));
        point->setPointLabelsColor(colour);
        point->setPointLabelsVisible(true);
        add(point);
    }
    horizontal->setRange(curve.xLow, curve.xHigh);
    vertical->setRange(curve.gLow, curve.gHigh);
    MSChart1->show();
}

// ----- Leaving -----

void Stagefrm::Command6_Click()
{
    const std::optional<double> root = m_search.ended
        ? std::optional<double>(TextToNumber(Text3->text().toStdString()).value)
        : std::nullopt;
    m_owner.showAnalysisfrm(StageModelOf(m_editor), root, this);
}

void Stagefrm::Command7_Click()
{
    m_owner.showStepsfrm(this, m_search.record);
    hide();
}

void Stagefrm::Command8_Click()
{
    hide();
    m_owner.showForm1();
}

bool Stagefrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::Resize)
        fitGraph();
    if (watched == m_headerEditor && m_headerEditor) {
        const bool key = event->type() == QEvent::KeyPress;
        const int code = key ? static_cast<QKeyEvent *>(event)->key() : 0;
        if (event->type() == QEvent::FocusOut || code == Qt::Key_Return || code == Qt::Key_Enter
            || code == Qt::Key_Escape) {
            QLineEdit *editor = m_headerEditor;
            m_headerEditor = nullptr;
            if (code != Qt::Key_Escape)
                renameStage(m_headerStage, editor->text());
            editor->hide();
            editor->deleteLater();
            return key;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        for (StagePart part : kParts) {
            if (watched != gridOf(part))
                continue;
            if (key->matches(QKeySequence::Paste)) {
                Grid_Paste(part);
                return true;
            }
            if (key->matches(QKeySequence::Copy)) {
                Grid_Copy(part);
                return true;
            }
        }
    }
    return OwnedWindow::eventFilter(watched, event);
}

} // namespace tarnvale::ui
