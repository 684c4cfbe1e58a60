#include "ui/Analysisfrm/analysisfrm.h"

#include "core/furtheranalysis.h"
#include "core/numbertext.h"
#include "core/results.h"
#include "io/analysisdata.h"
#include "io/matrixfile.h"
#include "io/sweepdata.h"
#include "ui/common/controls.h"
#include "ui/common/dialogs.h"
#include "ui/windowowner.h"

#include <QAbstractItemView>
#include <QAbstractTableModel>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QRadioButton>
#include <QScatterSeries>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStackedBarSeries>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tarnvale::ui {

namespace {

QString shown(const std::optional<double> &value)
{
    return qs(ValueText(value));
}

constexpr double kPoints = 11;
constexpr int kStageHeight = 1000; // pixels, beside a Leslie table's 900
constexpr double kChartPoints = 9;

// The colours of the share lines, each line's SAD dashed in the same colour.
// A Leslie table has at most 6 lines, a stage model 8.
const QColor kLineColours[]
    = {QColor(0, 0, 192),   QColor(192, 0, 0),  QColor(0, 128, 0),   QColor(224, 128, 0),
       QColor(128, 0, 160), QColor(96, 96, 96), QColor(0, 150, 160), QColor(150, 90, 40)};

QChartView *makeChartView(QWidget *parent, const char *name, const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(ArialFont(kChartPoints + 1, true));
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto *view = new QChartView(chart, parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(title);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(260, 220);
    return view;
}

template<typename Axis> Axis *addAxis(QChart *chart, const QString &title, Qt::Alignment side)
{
    auto *axis = new Axis;
    axis->setTitleText(title);
    axis->setTitleFont(ArialFont(kChartPoints));
    axis->setLabelsFont(ArialFont(kChartPoints - 1));
    axis->setMinorGridLineVisible(false);
    chart->addAxis(axis, side);
    return axis;
}

QLineSeries *addLine(QChart *chart, const QColor &colour, bool dashed)
{
    auto *series = new QLineSeries;
    series->setPen(QPen(colour, dashed ? 1.5 : 2, dashed ? Qt::DashLine : Qt::SolidLine));
    chart->addSeries(series);
    for (QAbstractAxis *axis : chart->axes())
        series->attachAxis(axis);
    return series;
}

// The defined values of `values` as the points (t, value) of a chart line; a long line is
// thinned to what the chart can show, since each point drawn costs time.
QList<QPointF> points(const std::vector<std::optional<double>> &values)
{
    QList<QPointF> list;
    const std::vector<ChartPoint> line = ChartLine(values);
    list.reserve(static_cast<qsizetype>(line.size()));
    for (const ChartPoint &p : line)
        list.append(QPointF(p.t, p.value));
    return list;
}

// A level line from t = 0 to `steps`, or none when the level is undefined.
QList<QPointF> level(const std::optional<double> &value, int steps)
{
    if (!value)
        return {};
    return {QPointF(0, *value), QPointF(steps, *value)};
}

QValueAxis *valueAxis(QChart *chart, Qt::Orientation orientation)
{
    const QList<QAbstractAxis *> axes = chart->axes(orientation);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis *>(axes.first());
}

// The range of the defined y values of `lists` on round numbers; [0, 1] when there are none.
void fitValues(QValueAxis *axis, std::initializer_list<const QList<QPointF> *> lists)
{
    double low = INFINITY, high = -INFINITY;
    for (const QList<QPointF> *list : lists)
        for (const QPointF &p : *list) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    if (!(low <= high)) {
        low = 0;
        high = 1;
    } else if (low == high) {
        const double room = low == 0 ? 1 : std::fabs(low) / 10;
        low -= room;
        high += room;
    }
    axis->setRange(low, high);
    axis->applyNiceNumbers();
}

// The label of 10^k on the logarithmic axis of N(t), in the program's form of numbers.
QString decadeText(int k)
{
    if (std::abs(k) <= 4)
        return qs(NumberToText(std::pow(10.0, k)));
    return QStringLiteral("1E%1%2")
        .arg(k < 0 ? '-' : '+')
        .arg(std::abs(k), 2, 10, QLatin1Char('0'));
}

// Labels the logarithmic axis at whole powers of ten spanning [low, high] (log10 values), a
// few labels at most.
void setDecades(QCategoryAxis *axis, double low, double high)
{
    // A total of 1 may come out a rounding below or above it; that is no reason for a decade.
    int from = static_cast<int>(std::floor(low + 1e-9));
    int to = static_cast<int>(std::ceil(high - 1e-9));
    if (to - from < 1)
        to = from + 1;
    int step = 1;
    for (int s : {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}) {
        step = s;
        if ((to - from) / s <= 6)
            break;
    }
    from = static_cast<int>(std::floor(static_cast<double>(from) / step)) * step;
    to = static_cast<int>(std::ceil(static_cast<double>(to) / step)) * step;
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(from - step);
    for (int k = from; k <= to; k += step)
        axis->append(decadeText(k), k);
    axis->setRange(from, to);
}

// Every how many whole numbers (ages, steps) one is labelled, so that at most `labels` labels
// stand under a chart.
int labelStep(int count, int labels)
{
    for (int step : {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500})
        if (count / step <= labels)
            return step;
    return 1000;
}

// An axis of whole numbers from `low` to `high`, labelled at round ones.
void setWholeRange(QValueAxis *axis, double low, double high, int count, int labels)
{
    axis->setRange(low, high);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(labelStep(count, labels));
    axis->setLabelFormat(QStringLiteral("%.0f"));
}

QLineEdit *makeBox(QWidget *parent, const char *name)
{
    // Placed by the layout; a number box never loses digits out of sight.
    QLineEdit *box = MakeNumberBox(parent, name, {}, kPoints, false, true, QString());
    box->setMinimumWidth(120);
    return box;
}

QLabel *makeCaption(QWidget *parent, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setFont(TimesFont(kPoints));
    return label;
}

// A caption with its box, named for assistive technology by the caption.
void addRow(QFormLayout *form, QWidget *parent, const QString &caption, QLineEdit *box)
{
    QLabel *label = makeCaption(parent, caption);
    form->addRow(label, box);
    NameBoxByLabel(box, label);
}

// The table's columns: the age or stage, then the per-class results of the model.
QStringList columnTitles(ModelKind kind)
{
    QStringList titles
        = {kind == ModelKind::Leslie ? QStringLiteral("Age") : QStringLiteral("Stage")};
    for (const ResultField *field : ResultsOf(kind, ResultKind::PerClass))
        titles << QString::fromUtf8(field->title);
    return titles;
}

// A light tint from white (0) to a pale blue (1), under which black text stays readable.
QColor tint(double shade)
{
    return QColor(qRound(255 - 105 * shade), qRound(255 - 60 * shade), 255);
}

// Columns wide enough for a short number and for the longest word of a stage name, the header
// as high as the names need when they wrap, up to two lines.
void fitEntryColumns(QTableView *view, const QStringList &captions)
{
    QHeaderView *header = view->horizontalHeader();
    const QFontMetrics numbers(view->font()), names(header->font());
    int width = numbers.horizontalAdvance(QStringLiteral("-8.888E-88")) + 12;
    for (const QString &caption : captions)
        for (const QString &word : caption.split(' ', Qt::SkipEmptyParts))
            width = std::max(width, std::min(names.horizontalAdvance(word) + 12, 140));
    header->setDefaultSectionSize(width);
    int height = names.height();
    for (const QString &caption : captions)
        height = std::max(height,
                          names
                              .boundingRect(QRect(0, 0, width - 8, 10 * names.height()),
                                            Qt::AlignCenter | Qt::TextWordWrap, caption)
                              .height());
    header->setFixedHeight(std::min(height, 2 * names.height()) + 8);
}

// "What if": the slider's steps from 0 to twice the present value, and the points of a sweep.
constexpr int kSliderSteps = 400;
constexpr int kSweepPoints = 201;
// A list of targets of a large model would take longer to fill than the window to open; past
// this many non-zero entries only the groups are offered.
constexpr int kMaxListedEntries = 2500;

// The value a typed text stands for: one whole number, finite and >= 0; nothing otherwise.
std::optional<double> typedValue(const QString &text)
{
    const std::string t = text.trimmed().toStdString();
    const NumberExtent extent = ScanNumber(t);
    if (t.empty() || !extent.found || extent.blanksInside || extent.end != t.size())
        return std::nullopt;
    const ScannedNumber number = TextToNumber(t);
    if (number.outOfRange || !std::isfinite(number.value) || number.value < 0)
        return std::nullopt;
    return number.value + 0.0; // -0 is shown as 0
}

// Where the slider's end stands: twice the present value, or 1 where that is 0; the present
// value itself where twice it lies beyond the double range.
double sliderTop(double present)
{
    if (!(present > 0))
        return 1.0;
    const double twice = 2 * present;
    return std::isfinite(twice) ? twice : present;
}

// Divided first, so that a top near the largest double gives no infinite value.
double sliderValue(double top, int position)
{
    return position == kSliderSteps ? top : top / kSliderSteps * position;
}

int sliderPosition(double top, double value)
{
    return static_cast<int>(std::lround(std::clamp(value / top, 0.0, 1.0) * kSliderSteps));
}

// A class of either model as the lists of "What if" name it.
QString className(const PopulationModel &model, int i)
{
    if (std::holds_alternative<LeslieTable>(model))
        return QStringLiteral("age %1").arg(i);
    return qs(StageCaption(std::get<StageModel>(model).names, i));
}

// The target's text as the command line reads it, then in words.
QString targetCaption(const PopulationModel &model, const WhatIfTarget &target)
{
    const QString text = qs(TargetText(target));
    switch (target.kind) {
    case TargetKind::Entry:
        return QStringLiteral("%1  %2 from %3")
            .arg(text, className(model, target.row), className(model, target.column));
    case TargetKind::Fecundity:
        return QStringLiteral("%1  fecundity at age %2").arg(text).arg(target.age);
    case TargetKind::Survival:
        return QStringLiteral("%1  survival from age %2").arg(text).arg(target.age);
    case TargetKind::All:
        return QStringLiteral("%1  every entry (harvest of every stage)").arg(text);
    case TargetKind::Row:
        return QStringLiteral("%1  every entry into %2 (harvest of %2)")
            .arg(text, className(model, target.row));
    case TargetKind::PartF:
        return QStringLiteral("%1  every fecundity (the part F)").arg(text);
    case TargetKind::PartU:
        return QStringLiteral("%1  every survival and growth (the part U)").arg(text);
    }
    return text;
}

// The targets a user may change: the non-zero entries (a Leslie table's F(x) and s(x)), every
// entry, each row with a non-zero entry, and the parts F and U where the model has them.
std::vector<WhatIfTarget> whatIfTargets(const PopulationModel &model)
{
    std::vector<WhatIfTarget> targets;
    const SquareMatrix a = ProjectionMatrix(model);
    const int n = a.n;
    if (const auto *table = std::get_if<LeslieTable>(&model)) {
        for (int x = 0; x < table->ageClasses(); ++x)
            if (table->fecundity[static_cast<std::size_t>(x)] != 0)
                targets.push_back({TargetKind::Fecundity, 0, 0, x});
        for (int x = 0; x + 1 < table->ageClasses(); ++x)
            if (table->survival[static_cast<std::size_t>(x)] != 0)
                targets.push_back({TargetKind::Survival, 0, 0, x});
    } else {
        int listed = 0;
        for (int i = 0; i < n && listed < kMaxListedEntries; ++i)
            for (int j = 0; j < n && listed < kMaxListedEntries; ++j)
                if (a.values[static_cast<std::size_t>(i) * n + j] != 0) {
                    targets.push_back({TargetKind::Entry, i, j, 0});
                    ++listed;
                }
    }
    targets.push_back({TargetKind::All});
    for (int i = 0; i < n; ++i) {
        const auto row = a.values.begin() + static_cast<std::ptrdiff_t>(i) * n;
        if (std::any_of(row, row + n, [](double v) { return v != 0; }))
            targets.push_back({TargetKind::Row, i});
    }
    for (const TargetKind part : {TargetKind::PartF, TargetKind::PartU})
        if (FitTarget(model, {part}).ok)
            targets.push_back({part});
    return targets;
}

// A contribution's tint: blue for a positive one, red for a negative one, the deeper the
// larger beside the largest; pale enough for black text.
QColor signTint(double value, double largest)
{
    const double shade = largest > 0 ? std::min(std::fabs(value) / largest, 1.0) : 0.0;
    const int fade = qRound(255 - 110 * shade), half = qRound(255 - 55 * shade);
    return value < 0 ? QColor(255, fade, fade) : QColor(fade, half, 255);
}

// The texts that differ between a Leslie table and a stage model.
struct KindTexts
{
    const char *classes; // the per-class frame and table
    const char *firstClass; // the start vector's second choice
    const char *stable; // its third
    const char *typedTip;
    const char *typedName;
    const char *convergenceTip;
    const char *sharesTitle;
    const char *saveTip;
};

const KindTexts kLeslieTexts {
    "Per age class",
    "all in age class 0",
    "the stable age distribution",
    "One number for each age class, separated by blanks or commas; Enter starts the projection "
    "from them",
    "Typed start numbers, one per age class",
    "The first t from which the distance to the SAD stays at most 0.01",
    "Class shares and the SAD (dashed)",
    "Save the projection and the values per age class to text files",
};

const KindTexts kStageTexts {
    "Per stage",
    "all in the first stage",
    "the stable stage distribution",
    "One number for each stage, separated by blanks or commas; Enter starts the projection from "
    "them",
    "Typed start numbers, one per stage",
    "The first t from which the distance to w stays at most 0.01",
    "Stage shares and w (dashed)",
    "Save the projection, the values per stage, the sensitivities and the elasticities to text "
    "files",
};

} // namespace

// A stage model's per-entry result as a table: a row per stage "to", a column per stage "from",
// each cell tinted by its size. A cell is made only when it is shown, so that 500 stages
// (250 000 cells) open at once.
class EntryTableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setTable(EntryTable table, const std::vector<std::string> &names)
    {
        beginResetModel();
        m_table = std::move(table);
        m_captions.clear();
        for (int i = 0; i < m_table.stages; ++i)
            m_captions << qs(StageCaption(names, i));
        endResetModel();
    }

    const QStringList &captions() const { return m_captions; }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_table.stages;
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_table.stages;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const int i = index.row(), j = index.column();
        std::optional<double> value;
        if (m_table.values)
            value = (*m_table.values)[static_cast<std::size_t>(i) * m_table.stages
                                      + static_cast<std::size_t>(j)];
        switch (role) {
        case Qt::DisplayRole:
            return qs(ShortValueText(value));
        case Qt::ToolTipRole:
            return QStringLiteral("from %1 to %2: %3")
                .arg(m_captions.value(j), m_captions.value(i), qs(ValueText(value)));
        case Qt::BackgroundRole:
            return tint(EntryShade(m_table, i, j));
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (section < 0 || section >= m_captions.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_captions[section];
        if (role == Qt::ToolTipRole)
            return (orientation == Qt::Horizontal ? QStringLiteral("from ") : QStringLiteral("to "))
                + m_captions[section];
        return {};
    }

private:
    EntryTable m_table;
    QStringList m_captions;
};

Analysisfrm::Analysisfrm(WindowOwner &owner, QWidget *parent)
    : OwnedWindow(owner, parent)
{
    buildUi();
    connectHandlers();
}

Analysisfrm::~Analysisfrm()
{
    // A window deleted on show hides itself in QWidget's destructor, after this class's members
    // are gone; the focus leaving the typed shares or the steps then ends their editing, whose
    // handlers would project on those members.
    disconnect(txtStart, nullptr, this, nullptr);
    disconnect(txtSteps, nullptr, this, nullptr);
}

void Analysisfrm::buildUi()
{
    setObjectName(QStringLiteral("Analysisfrm"));
    setWindowTitle(QStringLiteral("Further analysis"));
    setFont(TimesFont(kPoints));
    auto *window = new QVBoxLayout(this);
    window->addWidget(buildRootsFrame());
    // The analysis on one page, "What if" on another: each has the height of the window.
    tabPages = new QTabWidget(this);
    tabPages->setObjectName(QStringLiteral("fraPages"));
    tabPages->tabBar()->setObjectName(QStringLiteral("tabPages"));
    auto *analysisPage = new QWidget(tabPages);
    auto *page = new QVBoxLayout(analysisPage);
    m_page = page;
    page->addWidget(buildStructureFrame());
    page->addWidget(buildProjectionFrame(), 3);
    page->addWidget(buildClassesFrame(), 2);
    tabPages->addTab(analysisPage, QStringLiteral("Analysis"));
    tabPages->addTab(buildWhatIfPage(), QStringLiteral("What if"));
    window->addWidget(tabPages, 1);
    window->addLayout(buildButtons());
    NameButtonsByCaption(this);

    // The charts are read through their titles and values; the keyboard goes from the start
    // vector over the steps and the table to the buttons.
    for (QChartView *chart : {chtTotal, chtShares, chtGrowth, chtElasticity, chtWhatIf})
        chart->setFocusPolicy(Qt::NoFocus);
    std::vector<QWidget *> order
        = {optStart[0], optStart[1], optStart[2], optStart[3], txtStart, txtSteps, grdClasses};
    order.push_back(tabEntries->tabBar());
    order.insert(order.end(), grdEntries.begin(), grdEntries.end());
    order.insert(order.begin(), tabPages->tabBar());
    order.insert(order.end(),
                 {cboWhatIfTarget, sldWhatIf, txtWhatIfValue, cmdWhatIfReset, txtWhatIfFrom,
                  txtWhatIfTo, cmdWhatIfSave, cmdWhatIfCompare, grdLtre});
    order.insert(order.end(), {Command2, Command3, Command1});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    tabEntries_Change(tabEntries->currentIndex());
    tabPages_Change(tabPages->currentIndex());
    showModelKind(ModelKind::Leslie);
    resize(1240, 900);
}

QGroupBox *Analysisfrm::buildRootsFrame()
{
    // The root of the search beside lambda1.
    fraRoots = new QGroupBox(QStringLiteral("Your root and the dominant root \u03bb1"), this);
    fraRoots->setObjectName(QStringLiteral("fraRoots"));
    auto *roots = new QGridLayout(fraRoots);
    txtLambda = makeBox(fraRoots, "txtLambda");
    txtLambda1 = makeBox(fraRoots, "txtLambda1");
    txtDifference = makeBox(fraRoots, "txtDifference");
    txtRelative = makeBox(fraRoots, "txtRelative");
    const std::pair<const char *, QLineEdit *> rootBoxes[]
        = {{"\u03bb of your search:", txtLambda},
           {"Dominant root \u03bb1:", txtLambda1},
           {"Difference \u03bb \u2212 \u03bb1:", txtDifference},
           {"Relative difference (\u03bb \u2212 \u03bb1)/\u03bb1:", txtRelative}};
    int column = 0;
    for (const auto &[caption, box] : rootBoxes) {
        QLabel *label = makeCaption(fraRoots, QString::fromUtf8(caption));
        roots->addWidget(label, 0, column++);
        roots->addWidget(box, 0, column++);
        NameBoxByLabel(box, label);
    }
    lblRootNotice = makeCaption(fraRoots, QString());
    lblRootNotice->setObjectName(QStringLiteral("lblRootNotice"));
    lblRootNotice->setWordWrap(true);
    SetForeColor(lblRootNotice, kRed);
    lblRootNotice->hide();
    roots->addWidget(lblRootNotice, 1, 0, 1, column);
    return fraRoots;
}

QGroupBox *Analysisfrm::buildStructureFrame()
{
    fraStructure = new QGroupBox(QStringLiteral("The life cycle"), this);
    fraStructure->setObjectName(QStringLiteral("fraStructure"));
    auto *layout = new QVBoxLayout(fraStructure);
    lblStructure = makeCaption(fraStructure, QString());
    lblStructure->setObjectName(QStringLiteral("lblStructure"));
    lblStructure->setWordWrap(true);
    lblStructure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblStructure);
    // Why R0 and T are undefined, said here: the side of the projection has no room for it.
    lblNoR0 = makeCaption(fraStructure, QString());
    lblNoR0->setObjectName(QStringLiteral("lblNoR0"));
    lblNoR0->setWordWrap(true);
    lblNoR0->hide();
    layout->addWidget(lblNoR0);
    return fraStructure;
}

QGroupBox *Analysisfrm::buildProjectionFrame()
{
    // The projection: its start and length on the left with the numbers it gives, the charts
    // on the right.
    fraProjection = new QGroupBox(QStringLiteral("Projection n(t+1) = A n(t)"), this);
    fraProjection->setObjectName(QStringLiteral("fraProjection"));
    auto *projection = new QHBoxLayout(fraProjection);
    m_projectionLayout = projection;
    auto *side = new QVBoxLayout;
    side->addWidget(buildStartFrame());

    auto *numbers = new QFormLayout;
    m_numbers = numbers;
    txtSteps = new QSpinBox(fraProjection);
    txtSteps->setObjectName(QStringLiteral("txtSteps"));
    txtSteps->setRange(1, kMaxProjectionSteps);
    txtSteps->setValue(kDefaultProjectionSteps);
    // A typed count takes effect on Enter or on leaving the box, not at each digit.
    txtSteps->setKeyboardTracking(false);
    QLabel *stepsLabel = makeCaption(fraProjection, QStringLiteral("Steps T:"));
    numbers->addRow(stepsLabel, txtSteps);
    NameBoxByLabel(txtSteps, stepsLabel);
    txtGrowth = makeBox(fraProjection, "txtGrowth");
    txtSecond = makeBox(fraProjection, "txtSecond");
    txtDamping = makeBox(fraProjection, "txtDamping");
    txtPeriod = makeBox(fraProjection, "txtPeriod");
    txtConvergence = makeBox(fraProjection, "txtConvergence");
    addRow(numbers, fraProjection, QStringLiteral("Growth ratio N(T)/N(T\u22121):"), txtGrowth);
    addRow(numbers, fraProjection, QStringLiteral("|\u03bb2|:"), txtSecond);
    addRow(numbers, fraProjection, QStringLiteral("Damping ratio \u03c1 = \u03bb1/|\u03bb2|:"),
           txtDamping);
    addRow(numbers, fraProjection, QStringLiteral("Period d:"), txtPeriod);
    addRow(numbers, fraProjection, QStringLiteral("Convergence time:"), txtConvergence);
    txtR0 = makeBox(fraProjection, "txtR0");
    txtT = makeBox(fraProjection, "txtT");
    addRow(numbers, fraProjection, QStringLiteral("Net reproductive rate R0:"), txtR0);
    addRow(numbers, fraProjection, QStringLiteral("Generation time T:"), txtT);
    side->addLayout(numbers);
    lblPeriodic = makeCaption(fraProjection, QString());
    lblPeriodic->setObjectName(QStringLiteral("lblPeriodic"));
    lblPeriodic->setWordWrap(true);
    SetForeColor(lblPeriodic, kRed);
    lblPeriodic->hide();
    side->addWidget(lblPeriodic);
    side->addStretch();
    auto *sideBox = new QWidget(fraProjection);
    sideBox->setLayout(side);
    sideBox->setFixedWidth(330);
    projection->addWidget(sideBox);
    chtTotal = makeChartView(fraProjection, "chtTotal", QStringLiteral("Population N(t)"));
    chtShares
        = makeChartView(fraProjection, "chtShares", QString::fromUtf8(kLeslieTexts.sharesTitle));
    chtGrowth = makeChartView(fraProjection, "chtGrowth",
                              QStringLiteral("Growth ratio and \u03bb1 (dashed)"));
    // The shares chart has the most lines and a legend, so it gets the most room.
    projection->addWidget(chtTotal, 2);
    projection->addWidget(chtShares, 3);
    projection->addWidget(chtGrowth, 2);
    return fraProjection;
}

QGroupBox *Analysisfrm::buildStartFrame()
{
    fraStart = new QGroupBox(QStringLiteral("Start vector"), fraProjection);
    fraStart->setObjectName(QStringLiteral("fraStart"));
    auto *start = new QVBoxLayout(fraStart);
    const char *const choices[]
        = {"equal shares", kLeslieTexts.firstClass, kLeslieTexts.stable, "typed numbers:"};
    for (int i = 0; i < 4; ++i) {
        optStart[i] = new QRadioButton(QString::fromLatin1(choices[i]), fraStart);
        optStart[i]->setObjectName(QStringLiteral("optStart(%1)").arg(i));
        start->addWidget(optStart[i]);
    }
    optStart[0]->setChecked(true);
    txtStart = new QLineEdit(fraStart);
    txtStart->setObjectName(QStringLiteral("txtStart"));
    txtStart->setEnabled(false);
    start->addWidget(txtStart);
    lblStartMessage = makeCaption(fraStart, QString());
    lblStartMessage->setObjectName(QStringLiteral("lblStartMessage"));
    lblStartMessage->setWordWrap(true);
    SetForeColor(lblStartMessage, kRed);
    lblStartMessage->hide();
    start->addWidget(lblStartMessage);
    return fraStart;
}

QGroupBox *Analysisfrm::buildClassesFrame()
{
    // Per age class: the table and the elasticities as bars.
    fraClasses = new QGroupBox(QString::fromUtf8(kLeslieTexts.classes), this);
    fraClasses->setObjectName(QStringLiteral("fraClasses"));
    auto *classes = new QHBoxLayout(fraClasses);
    m_classesLayout = classes;
    grdClasses = new QTableWidget(fraClasses);
    grdClasses->setObjectName(QStringLiteral("grdClasses"));
    grdClasses->verticalHeader()->hide();
    grdClasses->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The arrow keys go from cell to cell; Tab goes on to the buttons.
    grdClasses->setTabKeyNavigation(false);
    grdClasses->setFont(TimesFont(kPoints - 1));
    grdClasses->horizontalHeader()->setFont(TimesFont(kPoints - 1, true));
    grdClasses->verticalHeader()->setDefaultSectionSize(grdClasses->fontMetrics().height() + 4);
    // Every digit of a value is shown; a narrow window scrolls the table instead.
    grdClasses->setTextElideMode(Qt::ElideNone);
    grdClasses->horizontalHeader()->setStretchLastSection(true);
    classes->addWidget(grdClasses, 2);
    auto *bars = new QVBoxLayout;
    chtElasticity = makeChartView(fraClasses, "chtElasticity",
                                  QStringLiteral("Elasticities of \u03bb1 to F(x) and s(x)"));
    bars->addWidget(chtElasticity, 1);
    bars->addWidget(buildEntryTables(), 1);
    auto *sum = new QFormLayout;
    txtElasticitySum = makeBox(fraClasses, "txtElasticitySum");
    addRow(sum, fraClasses, QStringLiteral("Sum of the elasticities:"), txtElasticitySum);
    bars->addLayout(sum);
    classes->addLayout(bars, 1);
    return fraClasses;
}

QWidget *Analysisfrm::buildEntryTables()
{
    // A tab per matrix keeps each one as wide as the frame allows; 50 stages still scroll.
    m_entryPages = new QWidget(fraClasses);
    auto *layout = new QVBoxLayout(m_entryPages);
    layout->setContentsMargins(0, 0, 0, 0);
    tabEntries = new QTabWidget(m_entryPages);
    // The bar of tabs takes the focus for the tabs; it is the control, named so.
    tabEntries->setObjectName(QStringLiteral("fraEntries"));
    tabEntries->tabBar()->setObjectName(QStringLiteral("tabEntries"));
    // Beside the tabs, where it takes no height from the matrices.
    tabEntries->setCornerWidget(
        makeCaption(tabEntries, QStringLiteral("Row: to stage; column: from stage ")));
    const std::vector<const ResultField *> fields
        = ResultsOf(ModelKind::Stage, ResultKind::PerEntry);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        auto *model = new EntryTableModel(this);
        auto *view = new QTableView(tabEntries);
        view->setObjectName(QStringLiteral("grdEntries(%1)").arg(i));
        view->setAccessibleName(QString::fromUtf8(fields[i]->title));
        view->setModel(model);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setTabKeyNavigation(false);
        view->setFont(TimesFont(kPoints - 1));
        view->horizontalHeader()->setFont(TimesFont(kPoints - 1, true));
        view->verticalHeader()->setFont(TimesFont(kPoints - 1, true));
        // Long stage names wrap over a few lines above their column.
        view->horizontalHeader()->setDefaultAlignment(
            Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        tabEntries->addTab(view, QString::fromUtf8(fields[i]->title));
        grdEntries.push_back(view);
        m_entryModels.push_back(model);
    }
    layout->addWidget(tabEntries, 1);
    return m_entryPages;
}

QHBoxLayout *Analysisfrm::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    // Placed by the layout; MakeButton gives them the font and Enter of the other windows.
    const QRect laidOut(0, 0, 1500, 495);
    Command2 = MakeButton(
        this, "Command2", laidOut, QStringLiteral("Save"),
        QStringLiteral("Save the projection and the values per age class to text files"), true);
    Command3 = MakeButton(this, "Command3", laidOut, QStringLiteral("Print"),
                          QStringLiteral("Print this page"), true);
    Command1 = MakeButton(this, "Command1", laidOut, QStringLiteral("Back"),
                          QStringLiteral("Back to the population parameters"), true);
    for (QPushButton *button : {Command2, Command3, Command1})
        buttons->addWidget(button);
    return buttons;
}

QWidget *Analysisfrm::buildWhatIfPage()
{
    // On the left the target, its value and what follows from it; on the right the sweep and,
    // for a stage model, the comparison with a second matrix.
    m_whatIfPage = new QWidget(this);
    m_whatIfPage->setObjectName(QStringLiteral("fraWhatIf"));
    auto *page = new QHBoxLayout(m_whatIfPage);
    auto *side = new QVBoxLayout;
    auto *form = new QFormLayout;
    cboWhatIfTarget = new QComboBox(m_whatIfPage);
    cboWhatIfTarget->setObjectName(QStringLiteral("WhatIfTarget"));
    cboWhatIfTarget->setToolTip(QStringLiteral("The entry or the group of entries to change"));
    // A long stage name widens the list, not the page.
    cboWhatIfTarget->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboWhatIfTarget->setMinimumContentsLength(20);
    // Its list, where the keyboard goes while it is open, is named for what it lists.
    cboWhatIfTarget->view()->setObjectName(QStringLiteral("WhatIfTargets"));
    cboWhatIfTarget->view()->setAccessibleName(QStringLiteral("Entries and groups to change"));
    QLabel *targetLabel = makeCaption(m_whatIfPage, QStringLiteral("Change:"));
    form->addRow(targetLabel, cboWhatIfTarget);
    NameBoxByLabel(cboWhatIfTarget, targetLabel);
    sldWhatIf = new QSlider(Qt::Horizontal, m_whatIfPage);
    sldWhatIf->setObjectName(QStringLiteral("WhatIfSlider"));
    sldWhatIf->setRange(0, kSliderSteps);
    sldWhatIf->setPageStep(kSliderSteps / 20);
    sldWhatIf->setAccessibleName(QStringLiteral("Value, from 0 to twice the present value"));
    form->addRow(makeCaption(m_whatIfPage, QStringLiteral("From 0 to twice:")), sldWhatIf);
    txtWhatIfValue = MakeTextBox(m_whatIfPage, "WhatIfValue", {}, kPoints, false, false, {});
    txtWhatIfValue->setToolTip(QStringLiteral("A value >= 0, taken on Enter; for a group the "
                                              "factor k on its entries"));
    addRow(form, m_whatIfPage, QStringLiteral("Value:"), txtWhatIfValue);
    lblWhatIfHarvest = makeCaption(m_whatIfPage, QString());
    lblWhatIfHarvest->setObjectName(QStringLiteral("WhatIfHarvest"));
    form->addRow(QString(), lblWhatIfHarvest);
    lblWhatIfMessage = makeCaption(m_whatIfPage, QString());
    lblWhatIfMessage->setObjectName(QStringLiteral("WhatIfMessage"));
    lblWhatIfMessage->setWordWrap(true);
    SetForeColor(lblWhatIfMessage, kRed);
    lblWhatIfMessage->hide();
    form->addRow(lblWhatIfMessage);
    txtWhatIfLambda = makeBox(m_whatIfPage, "WhatIfLambda");
    txtWhatIfLambda0 = makeBox(m_whatIfPage, "WhatIfLambdaBefore");
    txtWhatIfRate = makeBox(m_whatIfPage, "WhatIfRate");
    txtWhatIfRate0 = makeBox(m_whatIfPage, "WhatIfRateBefore");
    addRow(form, m_whatIfPage, QStringLiteral("\u03bb1 with the change:"), txtWhatIfLambda);
    addRow(form, m_whatIfPage, QStringLiteral("\u03bb1 without it:"), txtWhatIfLambda0);
    addRow(form, m_whatIfPage, QStringLiteral("r with the change:"), txtWhatIfRate);
    addRow(form, m_whatIfPage, QStringLiteral("r without it:"), txtWhatIfRate0);
    side->addLayout(form);
    const QRect laidOut(0, 0, 1500, 495);
    cmdWhatIfReset = MakeButton(m_whatIfPage, "WhatIfReset", laidOut, QStringLiteral("Reset"),
                                QStringLiteral("Back to the present value"), true);
    side->addWidget(cmdWhatIfReset, 0, Qt::AlignLeft);
    grdWhatIfDistribution = new QTableWidget(0, 3, m_whatIfPage);
    grdWhatIfDistribution->setObjectName(QStringLiteral("WhatIfDistribution"));
    grdWhatIfDistribution->setAccessibleName(QStringLiteral("Stable distribution"));
    grdWhatIfDistribution->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("with the change"), QStringLiteral("without it")});
    grdWhatIfDistribution->verticalHeader()->hide();
    grdWhatIfDistribution->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdWhatIfDistribution->setFocusPolicy(Qt::NoFocus);
    grdWhatIfDistribution->setFont(TimesFont(kPoints - 1));
    grdWhatIfDistribution->verticalHeader()->setDefaultSectionSize(
        grdWhatIfDistribution->fontMetrics().height() + 4);
    // The two distributions share what the names leave, each number whole.
    for (int column : {1, 2})
        grdWhatIfDistribution->horizontalHeader()->setSectionResizeMode(column,
                                                                        QHeaderView::Stretch);
    side->addWidget(grdWhatIfDistribution, 1);
    auto *sideBox = new QWidget(m_whatIfPage);
    sideBox->setLayout(side);
    sideBox->setFixedWidth(380);
    page->addWidget(sideBox);

    auto *right = new QVBoxLayout;
    right->addWidget(buildWhatIfChart(), 3);
    auto *range = new QHBoxLayout;
    txtWhatIfFrom = MakeTextBox(m_whatIfPage, "WhatIfFrom", {}, kPoints, false, false, {});
    txtWhatIfTo = MakeTextBox(m_whatIfPage, "WhatIfTo", {}, kPoints, false, false, {});
    for (const auto &[caption, box] : {std::pair {"From:", txtWhatIfFrom}, {"to:", txtWhatIfTo}}) {
        QLabel *label = makeCaption(m_whatIfPage, QString::fromLatin1(caption));
        box->setToolTip(QStringLiteral("The range of the chart, taken on Enter"));
        box->setMaximumWidth(120);
        range->addWidget(label);
        range->addWidget(box);
        NameBoxByLabel(box, label);
    }
    lblWhatIfRange = makeCaption(m_whatIfPage, QString());
    lblWhatIfRange->setObjectName(QStringLiteral("WhatIfRangeMessage"));
    SetForeColor(lblWhatIfRange, kRed);
    lblWhatIfRange->hide();
    range->addWidget(lblWhatIfRange, 1);
    range->addStretch();
    range->addWidget(makeCaption(m_whatIfPage, QStringLiteral("\u03bb1 = 1 at:")));
    lblBreakEven = makeCaption(m_whatIfPage, QString());
    lblBreakEven->setObjectName(QStringLiteral("WhatIfBreakEven"));
    lblBreakEven->setWordWrap(true);
    lblBreakEven->setTextInteractionFlags(Qt::TextSelectableByMouse);
    range->addWidget(lblBreakEven, 2);
    cmdWhatIfSave = MakeButton(m_whatIfPage, "WhatIfSave", laidOut, QStringLiteral("Save"),
                               QStringLiteral("Save the sweep of \u03bb1 as a CSV file"), true);
    range->addWidget(cmdWhatIfSave);
    right->addLayout(range);
    auto *compare = new QHBoxLayout;
    cmdWhatIfCompare = MakeButton(
        m_whatIfPage, "WhatIfCompare", laidOut, QStringLiteral("Compare\u2026"),
        QStringLiteral("Compare this model with one of a matrix file: the contributions of "
                       "each entry to the difference of \u03bb1 (LTRE)"),
        true);
    compare->addWidget(cmdWhatIfCompare);
    lblLtre = makeCaption(m_whatIfPage, QString());
    lblLtre->setObjectName(QStringLiteral("WhatIfLtreSum"));
    lblLtre->setWordWrap(true);
    lblLtre->setTextInteractionFlags(Qt::TextSelectableByMouse);
    compare->addWidget(lblLtre, 1);
    right->addLayout(compare);
    lblLtreMessage = makeCaption(m_whatIfPage, QString());
    lblLtreMessage->setObjectName(QStringLiteral("WhatIfLtreMessage"));
    lblLtreMessage->setWordWrap(true);
    SetForeColor(lblLtreMessage, kRed);
    lblLtreMessage->hide();
    right->addWidget(lblLtreMessage);
    grdLtre = new QTableWidget(m_whatIfPage);
    grdLtre->setObjectName(QStringLiteral("WhatIfLtre"));
    grdLtre->setAccessibleName(QStringLiteral("Contributions to the difference of \u03bb1"));
    grdLtre->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdLtre->setTabKeyNavigation(false);
    grdLtre->setFont(TimesFont(kPoints - 1));
    grdLtre->verticalHeader()->setDefaultSectionSize(grdLtre->fontMetrics().height() + 4);
    grdLtre->horizontalHeader()->setFont(TimesFont(kPoints - 1, true));
    grdLtre->verticalHeader()->setFont(TimesFont(kPoints - 1, true));
    grdLtre->horizontalHeader()->setDefaultAlignment(
        Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    grdLtre->hide();
    right->addWidget(grdLtre, 2);
    page->addLayout(right, 1);
    return m_whatIfPage;
}

QChartView *Analysisfrm::buildWhatIfChart()
{
    chtWhatIf = makeChartView(m_whatIfPage, "WhatIfChart",
                              QStringLiteral("\u03bb1 against the value, \u03bb1 = 1 dashed"));
    QChart *chart = chtWhatIf->chart();
    addAxis<QValueAxis>(chart, QStringLiteral("value"), Qt::AlignBottom);
    addAxis<QValueAxis>(chart, QStringLiteral("\u03bb1"), Qt::AlignLeft);
    m_sweepSeries = addLine(chart, kLineColours[0], false);
    m_oneSeries = addLine(chart, kLineColours[5], true);
    const auto addPoint = [chart](const QColor &colour, double size) {
        auto *point = new QScatterSeries;
        point->setColor(colour);
        point->setBorderColor(colour);
        point->setMarkerSize(size);
        chart->addSeries(point);
        for (QAbstractAxis *axis : chart->axes())
            point->attachAxis(axis);
        return point;
    };
    m_breakEvenSeries = addPoint(kLineColours[1], 11);
    m_nowSeries = addPoint(kLineColours[2], 9);
    return chtWhatIf;
}

void Analysisfrm::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &Analysisfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Analysisfrm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Analysisfrm::Command3_Click);
    for (int i = 0; i < 4; ++i)
        connect(optStart[i], &QRadioButton::clicked, this, [this, i] { optStart_Click(i); });
    connect(txtStart, &QLineEdit::editingFinished, this, &Analysisfrm::txtStart_Enter);
    connect(txtSteps, &QSpinBox::valueChanged, this, &Analysisfrm::txtSteps_Change);
    connect(tabEntries, &QTabWidget::currentChanged, this, &Analysisfrm::tabEntries_Change);
    connect(tabPages, &QTabWidget::currentChanged, this, &Analysisfrm::tabPages_Change);
    connect(cboWhatIfTarget, &QComboBox::currentIndexChanged, this,
            &Analysisfrm::WhatIfTarget_Change);
    connect(sldWhatIf, &QSlider::valueChanged, this, &Analysisfrm::WhatIfSlider_Change);
    connect(txtWhatIfValue, &QLineEdit::returnPressed, this, &Analysisfrm::WhatIfValue_Enter);
    connect(txtWhatIfFrom, &QLineEdit::returnPressed, this, &Analysisfrm::WhatIfRange_Enter);
    connect(txtWhatIfTo, &QLineEdit::returnPressed, this, &Analysisfrm::WhatIfRange_Enter);
    connect(cmdWhatIfSave, &QPushButton::clicked, this, &Analysisfrm::WhatIfSave_Click);
    connect(cmdWhatIfCompare, &QPushButton::clicked, this, &Analysisfrm::WhatIfCompare_Click);
    connect(cmdWhatIfReset, &QPushButton::clicked, this, &Analysisfrm::WhatIfReset_Click);
}

void Analysisfrm::showAnalysis(const LeslieTable &table, const std::optional<double> &root)
{
    m_table = table;
    m_problem = CheckLeslieTable(table);
    m_analysis = AnalyseLeslie(table);
    m_model = StageModel {};
    m_stage = StageAnalysis {};
    m_cameFrom = nullptr;
    showModelKind(ModelKind::Leslie);
    showAnalysed(root);
}

void Analysisfrm::showAnalysis(const StageModel &model, const std::optional<double> &root,
                               QWidget *cameFrom)
{
    m_model = model;
    m_problem = CheckStageModel(model);
    m_stage = AnalyseStage(model);
    m_table = LeslieTable {};
    m_analysis = LeslieAnalysis {};
    m_cameFrom = cameFrom;
    showModelKind(ModelKind::Stage);
    showAnalysed(root);
    // The life cycle and the matrices take more height than a Leslie table's bars: the window
    // grows to make room where the screen has it, and never shrinks.
    if (const QScreen *screen = this->screen()) {
        const int room = screen->availableGeometry().height() - 40;
        if (height() < std::min(kStageHeight, room))
            resize(width(), std::min(kStageHeight, room));
    }
}

void Analysisfrm::showModelKind(ModelKind kind)
{
    m_kind = kind;
    const bool stage = kind == ModelKind::Stage;
    const KindTexts &texts = stage ? kStageTexts : kLeslieTexts;
    const QString classes = QString::fromUtf8(texts.classes);
    fraClasses->setTitle(classes);
    fraClasses->setAccessibleName(classes);
    grdClasses->setAccessibleName(classes);
    const QStringList titles = columnTitles(kind);
    grdClasses->setColumnCount(static_cast<int>(titles.size()));
    grdClasses->setHorizontalHeaderLabels(titles);
    // The header keeps stretching the section that was last before the count changed.
    grdClasses->horizontalHeader()->setStretchLastSection(false);
    grdClasses->horizontalHeader()->setStretchLastSection(true);
    for (const auto &[option, text] :
         {std::pair {optStart[1], texts.firstClass}, std::pair {optStart[2], texts.stable}}) {
        option->setText(QString::fromUtf8(text));
        option->setAccessibleName(option->text());
    }
    txtStart->setToolTip(QString::fromUtf8(texts.typedTip));
    txtStart->setAccessibleName(QString::fromUtf8(texts.typedName));
    txtConvergence->setToolTip(QString::fromUtf8(texts.convergenceTip));
    chtShares->chart()->setTitle(QString::fromUtf8(texts.sharesTitle));
    chtShares->setAccessibleName(chtShares->chart()->title());
    Command2->setToolTip(QString::fromUtf8(texts.saveTip));
    Command1->setToolTip(
        stage && m_cameFrom
            ? QStringLiteral("Back to \u201c%1\u201d").arg(m_cameFrom->windowTitle())
            : QStringLiteral("Back to the population parameters"));

    // The bars of the elasticities to F(x) and s(x) belong to a Leslie table; a stage model
    // has its matrices, its life cycle in words and R0 and T instead. The other kind's parts go
    // first: a part shown lays the window out at once, which would grow to hold both kinds.
    for (const bool show : {false, true}) {
        if (show == !stage)
            chtElasticity->setVisible(show);
        if (show == stage) {
            m_entryPages->setVisible(show);
            fraStructure->setVisible(show);
            m_numbers->setRowVisible(txtR0, show);
            m_numbers->setRowVisible(txtT, show);
        }
    }
    // The matrices need more room than the bars, in width and in height.
    m_classesLayout->setStretch(0, 2);
    m_classesLayout->setStretch(1, stage ? 3 : 1);
    m_page->setStretchFactor(fraProjection, stage ? 1 : 3);
    m_page->setStretchFactor(fraClasses, stage ? 1 : 2);
    // Stage names need a wider legend than ages: the other charts give up some width.
    m_projectionLayout->setStretchFactor(chtShares, stage ? 4 : 3);
    for (QChartView *chart : {chtTotal, chtGrowth})
        chart->setMinimumWidth(stage ? 200 : 260);
}

void Analysisfrm::showAnalysed(const std::optional<double> &root)
{
    showComparison(root);
    const bool leslie = m_kind == ModelKind::Leslie;
    txtSecond->setText(shown(leslie ? m_analysis.secondModulus : m_stage.secondModulus));
    txtDamping->setText(shown(leslie ? m_analysis.dampingRatio : m_stage.dampingRatio));
    txtPeriod->setText(qs(leslie ? PeriodText(m_analysis) : PeriodText(m_stage)));
    // A sentence of its own here, where the command line puts it in parentheses.
    QString note = qs(leslie ? PeriodicNote(m_analysis) : PeriodicNote(m_stage));
    if (!note.isEmpty())
        note[0] = note[0].toUpper();
    lblPeriodic->setText(note);
    lblPeriodic->setVisible(!note.isEmpty());
    if (!leslie)
        showStageExtras();

    // Without a stable distribution (lambda1 = 0) it is no start vector.
    const bool stable = stableDistribution().has_value();
    if (!stable && optStart[2]->isChecked())
        optStart[0]->setChecked(true);
    optStart[2]->setVisible(stable);
    for (QRadioButton *option : optStart)
        option->setEnabled(!m_problem);
    txtStart->setEnabled(!m_problem && optStart[3]->isChecked());
    txtSteps->setEnabled(!m_problem);

    showClasses();
    prepareCharts();
    if (leslie)
        drawElasticities();
    project();
    for (QRadioButton *option : optStart)
        if (option->isChecked() && option->isEnabled())
            option->setFocus();
    listWhatIfTargets();
}

void Analysisfrm::showComparison(const std::optional<double> &root)
{
    const RootComparison c = m_kind == ModelKind::Leslie ? CompareRoots(m_analysis, root)
                                                         : CompareRoots(m_stage, root);
    txtLambda->setText(shown(c.root));
    txtLambda1->setText(shown(c.lambda1));
    txtDifference->setText(shown(c.difference));
    txtRelative->setText(shown(c.relativeDifference));
    QString notice = qs(OtherRootNote(c));
    if (m_problem)
        notice
            = (m_kind == ModelKind::Leslie ? QStringLiteral("This table cannot be analysed: %1.")
                                           : QStringLiteral("This model cannot be analysed: %1."))
                  .arg(qs(*m_problem));
    lblRootNotice->setText(notice);
    lblRootNotice->setVisible(!notice.isEmpty());
    for (QLineEdit *box : {txtLambda, txtLambda1, txtDifference, txtRelative})
        box->setCursorPosition(0);
}

void Analysisfrm::showClasses()
{
    const bool leslie = m_kind == ModelKind::Leslie;
    std::vector<ResultValue> columns;
    for (const ResultField *field : ResultsOf(m_kind, ResultKind::PerClass))
        columns.push_back(leslie ? ValueOf(*field, m_analysis) : ValueOf(*field, m_stage));
    const int count = classCount();
    grdClasses->setUpdatesEnabled(false);
    grdClasses->clearContents();
    grdClasses->setRowCount(count);
    for (int x = 0; x < count; ++x) {
        auto *age
            = new QTableWidgetItem(leslie ? QString::number(x) : qs(StageName(m_stage.names, x)));
        age->setTextAlignment(leslie ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        grdClasses->setItem(x, 0, age);
        for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
            const std::vector<double> *values = NumbersOf(columns[static_cast<std::size_t>(c)]);
            // The last class has no survival rate, so nothing stands in its s(x) columns.
            QString text = QStringLiteral("undefined");
            if (values)
                text = static_cast<std::size_t>(x) < values->size()
                    ? shown((*values)[static_cast<std::size_t>(x)])
                    : QString();
            auto *item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdClasses->setItem(x, c + 1, item);
        }
    }
    grdClasses->resizeColumnsToContents();
    grdClasses->setUpdatesEnabled(true);
    txtElasticitySum->setText(shown(leslie ? ElasticitySum(m_analysis) : ElasticitySum(m_stage)));
    if (!leslie) {
        const std::vector<EntryTable> tables = EntryTables(m_stage);
        for (std::size_t t = 0; t < tables.size() && t < m_entryModels.size(); ++t) {
            m_entryModels[t]->setTable(tables[t], m_stage.names);
            fitEntryColumns(grdEntries[t], m_entryModels[t]->captions());
        }
    }
}

void Analysisfrm::showStageExtras()
{
    const StageAnalysis &a = m_stage;
    txtR0->setText(shown(a.netReproductiveRate));
    txtT->setText(shown(a.generationTime));
    const QString why = qs(NoR0Sentence(a));
    lblNoR0->setText(why);
    lblNoR0->setVisible(!why.isEmpty());
    QStringList sentences;
    for (const std::string &sentence : StructureSentences(a))
        sentences << qs(sentence);
    lblStructure->setText(sentences.join(' '));
    fraStructure->setVisible(!sentences.isEmpty());
}

int Analysisfrm::classCount() const
{
    return m_kind == ModelKind::Leslie ? m_analysis.ageClasses : m_stage.stages;
}

const std::optional<std::vector<double>> &Analysisfrm::stableDistribution() const
{
    return m_kind == ModelKind::Leslie ? m_analysis.stableAgeDistribution
                                       : m_stage.stableDistribution;
}

std::optional<double> Analysisfrm::lambda1() const
{
    return m_kind == ModelKind::Leslie ? m_analysis.lambda : m_stage.lambda;
}

std::vector<ShareLine> Analysisfrm::shareLines(const Projection &projection) const
{
    if (m_problem)
        return {};
    if (m_kind == ModelKind::Leslie)
        return GroupedShares(projection, m_analysis.stableAgeDistribution, m_analysis.ageClasses);
    return GroupedStageShares(projection, m_stage.stableDistribution, m_stage.names,
                              m_stage.stages);
}

StartChoice Analysisfrm::startChoice() const
{
    const StartChoice choices[]
        = {StartChoice::Equal, StartChoice::FirstClass, StartChoice::Stable, StartChoice::Typed};
    for (int i = 0; i < 4; ++i)
        if (optStart[i]->isChecked())
            return choices[i];
    return StartChoice::Equal;
}

void Analysisfrm::project()
{
    lblStartMessage->hide();
    if (m_problem) {
        m_projection = Projection {};
    } else {
        const bool leslie = m_kind == ModelKind::Leslie;
        const std::string typed = txtStart->text().toStdString();
        StartVector start = leslie ? MakeStartVector(m_analysis, startChoice(), typed)
                                   : MakeStartVector(m_stage.stages, m_stage.stableDistribution,
                                                     startChoice(), typed, m_stage.names);
        if (!start.ok) {
            lblStartMessage->setText(
                QStringLiteral("These numbers cannot start the projection: %1. It starts from "
                               "equal shares.")
                    .arg(qs(start.message)));
            lblStartMessage->show();
            start = leslie
                ? MakeStartVector(m_analysis, StartChoice::Equal)
                : MakeStartVector(m_stage.stages, m_stage.stableDistribution, StartChoice::Equal);
        }
        m_projection = leslie
            ? ProjectLeslie(m_table, start.shares, txtSteps->value(),
                            m_analysis.stableAgeDistribution)
            : ProjectMatrix(m_model.a, start.shares, txtSteps->value(), m_stage.stableDistribution);
    }
    txtGrowth->setText(shown(FinalGrowthRatio(m_projection)));
    txtConvergence->setText(m_problem ? QStringLiteral("undefined")
                                      : qs(ConvergenceText(m_projection)));
    drawTotal();
    drawShares();
    drawGrowth();
}

void Analysisfrm::prepareCharts()
{
    // Each chart gets its axes and series anew for the table; a projection only refills them.
    for (QChartView *view : {chtTotal, chtShares, chtGrowth}) {
        QChart *chart = view->chart();
        chart->removeAllSeries();
        for (QAbstractAxis *axis : chart->axes()) {
            chart->removeAxis(axis);
            delete axis;
        }
        addAxis<QValueAxis>(chart, QStringLiteral("t"), Qt::AlignBottom);
    }
    addAxis<QCategoryAxis>(chtTotal->chart(), QStringLiteral("N(t), logarithmic"), Qt::AlignLeft)
        ->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_totalSeries = addLine(chtTotal->chart(), kLineColours[0], false);

    QChart *shares = chtShares->chart();
    addAxis<QValueAxis>(shares, QStringLiteral("share"), Qt::AlignLeft)->setRange(0, 1);
    m_shareSeries.clear();
    m_stableSeries.clear();
    const std::vector<ShareLine> lines = shareLines(Projection {});
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QColor &colour = kLineColours[i % std::size(kLineColours)];
        m_shareSeries.push_back(addLine(shares, colour, false));
        m_shareSeries.back()->setName(qs(lines[i].label));
        m_stableSeries.push_back(addLine(shares, colour, true));
    }
    shares->legend()->setVisible(!lines.empty());
    // Beside the chart, where each line's name has room.
    shares->legend()->setAlignment(Qt::AlignRight);
    shares->legend()->setFont(ArialFont(kChartPoints - 1));
    shares->legend()->setShowToolTips(true); // the whole name of a stage where it is cut short
    for (QLineSeries *dashed : m_stableSeries)
        for (QLegendMarker *marker : shares->legend()->markers(dashed))
            marker->setVisible(false);

    QChart *growth = chtGrowth->chart();
    addAxis<QValueAxis>(growth, QStringLiteral("N(t+1)/N(t)"), Qt::AlignLeft);
    m_growthSeries = addLine(growth, kLineColours[0], false);
    m_lambda1Series = addLine(growth, kLineColours[1], true);
}

void Analysisfrm::drawTotal()
{
    QChart *chart = chtTotal->chart();
    const QList<QPointF> totals = points(Log10Totals(m_projection));
    m_totalSeries->replace(totals);
    const int steps = std::max(m_projection.steps, 1);
    setWholeRange(valueAxis(chart, Qt::Horizontal), 0, steps, steps, 5);
    double low = 0, high = 0;
    for (const QPointF &p : totals) {
        low = std::min(low, p.y());
        high = std::max(high, p.y());
    }
    setDecades(qobject_cast<QCategoryAxis *>(chart->axes(Qt::Vertical).first()), low, high);
}

void Analysisfrm::drawShares()
{
    const int steps = std::max(m_projection.steps, 1);
    const std::vector<ShareLine> lines = shareLines(m_projection);
    for (std::size_t i = 0; i < lines.size() && i < m_shareSeries.size(); ++i) {
        m_shareSeries[i]->replace(points(lines[i].shares));
        m_stableSeries[i]->replace(level(lines[i].stable, steps));
    }
    setWholeRange(valueAxis(chtShares->chart(), Qt::Horizontal), 0, steps, steps, 5);
}

void Analysisfrm::drawGrowth()
{
    const int steps = std::max(m_projection.steps, 1);
    const QList<QPointF> ratios = points(m_projection.growthRatio);
    const QList<QPointF> lambda1 = level(m_problem ? std::nullopt : this->lambda1(), steps);
    m_growthSeries->replace(ratios);
    m_lambda1Series->replace(lambda1);
    QChart *chart = chtGrowth->chart();
    setWholeRange(valueAxis(chart, Qt::Horizontal), 0, steps, steps, 5);
    fitValues(valueAxis(chart, Qt::Vertical), {&ratios, &lambda1});
}

void Analysisfrm::drawElasticities()
{
    QChart *chart = chtElasticity->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const LeslieAnalysis &a = m_analysis;
    auto *toF = new QBarSet(QStringLiteral("to F(x)"));
    auto *toS = new QBarSet(QStringLiteral("to s(x)"));
    // Thin bars of a long table are drawn without a border, which would hide their colour.
    toF->setColor(kLineColours[0]);
    toF->setBorderColor(kLineColours[0]);
    toS->setColor(kLineColours[2]);
    toS->setBorderColor(kLineColours[2]);
    const bool many = a.ageClasses > 20;
    QList<qreal> f, s;
    QList<QPointF> all;
    if (a.elasticityFecundity && a.elasticitySurvival) {
        for (int x = 0; x < a.ageClasses; ++x) {
            const auto i = static_cast<std::size_t>(x);
            f.append((*a.elasticityFecundity)[i]);
            s.append(i < a.elasticitySurvival->size() ? (*a.elasticitySurvival)[i] : 0.0);
            all << QPointF(x, many ? f.last() + s.last() : std::max(f.last(), s.last()));
        }
    }
    toF->append(f);
    toS->append(s);
    // A few classes get their two bars side by side; many classes one bar each, the elasticity
    // to s(x) stacked on that to F(x), or the bars would be too thin to see.
    QAbstractBarSeries *series
        = many ? static_cast<QAbstractBarSeries *>(new QStackedBarSeries) : new QBarSeries;
    series->append(toF);
    series->append(toS);
    series->setBarWidth(many ? 1.0 : 0.7);
    chart->addSeries(series);
    auto *ages = addAxis<QValueAxis>(chart, QStringLiteral("age x"), Qt::AlignBottom);
    const int classes = std::max(a.ageClasses, 1);
    setWholeRange(ages, -0.5, classes - 0.5, classes, 10);
    ages->setGridLineVisible(false);
    auto *values = addAxis<QValueAxis>(chart, QStringLiteral("elasticity"), Qt::AlignLeft);
    all << QPointF(0, 0);
    fitValues(values, {&all});
    series->attachAxis(ages);
    series->attachAxis(values);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(ArialFont(kChartPoints - 1));
}

void Analysisfrm::optStart_Click(int index)
{
    txtStart->setEnabled(index == 3);
    if (index == 3) {
        // A first choice of typed numbers starts from one individual in every class, for the
        // user to change.
        if (txtStart->text().isEmpty()) {
            QStringList ones;
            for (int x = 0; x < classCount(); ++x)
                ones << QStringLiteral("1");
            txtStart->setText(ones.join(' '));
        }
        txtStart->setFocus();
        txtStart->selectAll();
    }
    project();
}

void Analysisfrm::txtStart_Enter()
{
    if (optStart[3]->isChecked())
        project();
}

void Analysisfrm::txtSteps_Change()
{
    project();
}

void Analysisfrm::tabEntries_Change(int index)
{
    // A bar of tabs is announced by the tab in front.
    tabEntries->tabBar()->setAccessibleName(tabEntries->tabText(index));
}

void Analysisfrm::Command1_Click()
{
    hide();
    if (m_kind == ModelKind::Leslie)
        m_owner.showResultFrm();
    else if (m_cameFrom)
        m_owner.showWindow(m_cameFrom);
    else
        m_owner.showForm1();
}

void Analysisfrm::Command2_Click()
{
    // The dialog opens where this window saved last, else where the graph window saved or the
    // table was read; a name typed without an extension gets ".txt", as in the graph window.
    const AnalysisState &state = m_owner.state();
    const QString chosen = ChooseTextFileName(
        m_owner.dialogs(), m_lastSaved.isEmpty() ? qs(state.DataFileBase) : m_lastSaved,
        qs(state.DataFilePath));
    if (chosen.isEmpty())
        return;
    const std::string name = QFile::encodeName(chosen).toStdString();
    const ExportResult saved = m_kind == ModelKind::Leslie
        ? ExportAnalysisData(name, m_analysis, m_projection)
        : ExportAnalysisData(name, m_stage, m_projection);
    if (!saved.ok) {
        m_owner.dialogs().inform(QStringLiteral("Save"), qs(saved.message));
        return;
    }
    m_lastSaved = chosen;
}

void Analysisfrm::Command3_Click()
{
    m_owner.printWindow(this);
}

void Analysisfrm::tabPages_Change(int index)
{
    tabPages->tabBar()->setAccessibleName(tabPages->tabText(index));
    // "What if" sweeps the model, which the analysis alone need not wait for.
    if (index == 1 && m_whatIfStale)
        refreshWhatIf();
}

PopulationModel Analysisfrm::populationModel() const
{
    if (m_kind == ModelKind::Leslie)
        return m_table;
    return m_model;
}

void Analysisfrm::listWhatIfTargets()
{
    m_variation.reset();
    m_sweep = Sweep {};
    m_whatIfStale = true;
    const bool stage = m_kind == ModelKind::Stage;
    cmdWhatIfCompare->setVisible(stage);
    lblLtre->clear();
    lblLtre->setVisible(stage);
    lblLtreMessage->hide();
    grdLtre->hide();
    grdLtre->clear();
    const QSignalBlocker blocked(cboWhatIfTarget);
    cboWhatIfTarget->clear();
    m_targets.clear();
    if (m_problem && tabPages->currentIndex() == 1)
        tabPages->setCurrentIndex(0);
    tabPages->setTabEnabled(1, !m_problem);
    if (m_problem)
        return;
    const PopulationModel model = populationModel();
    m_targets = whatIfTargets(model);
    int every = 0;
    QStringList captions;
    captions.reserve(static_cast<qsizetype>(m_targets.size()));
    for (std::size_t t = 0; t < m_targets.size(); ++t) {
        captions << targetCaption(model, m_targets[t]);
        if (m_targets[t].kind == TargetKind::All)
            every = static_cast<int>(t);
    }
    // At once: item by item, the list would measure itself anew for each.
    cboWhatIfTarget->addItems(captions);
    cboWhatIfTarget->setCurrentIndex(every);
    cboWhatIfTarget->setAccessibleName(cboWhatIfTarget->currentText());
    if (tabPages->currentIndex() == 1)
        refreshWhatIf();
}

void Analysisfrm::refreshWhatIf()
{
    m_whatIfStale = false;
    const PopulationModel model = populationModel();
    const VariationFit every = FitTarget(model, {TargetKind::All});
    m_original = every.ok ? GrowthAt(every.variation, 1.0) : Growth {};
    txtWhatIfLambda0->setText(shown(m_original.lambda));
    txtWhatIfRate0->setText(shown(m_original.intrinsicRate));
    const int n = ProjectionMatrix(model).n;
    grdWhatIfDistribution->setUpdatesEnabled(false);
    grdWhatIfDistribution->setRowCount(n);
    grdWhatIfDistribution->setHorizontalHeaderItem(
        0,
        new QTableWidgetItem(m_kind == ModelKind::Leslie ? QStringLiteral("Age")
                                                         : QStringLiteral("Stage")));
    for (int i = 0; i < n; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const std::optional<double> before = m_original.stableDistribution
            ? std::optional<double>((*m_original.stableDistribution)[at])
            : std::nullopt;
        const QString name
            = m_kind == ModelKind::Leslie ? QString::number(i) : qs(StageName(m_model, i));
        // Four digits side by side in the narrow column, each whole number in its tip.
        const QString texts[] = {name, QString(), qs(ShortValueText(before))};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            if (c == 2)
                item->setToolTip(shown(before));
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdWhatIfDistribution->setItem(i, c, item);
        }
    }
    grdWhatIfDistribution->resizeColumnToContents(0);
    grdWhatIfDistribution->setUpdatesEnabled(true);
    WhatIfTarget_Change(cboWhatIfTarget->currentIndex());
}

void Analysisfrm::WhatIfTarget_Change(int index)
{
    // A list is announced by the entry chosen, as Qt reads it here; the label stays its buddy.
    cboWhatIfTarget->setAccessibleName(cboWhatIfTarget->currentText());
    if (m_whatIfStale || index < 0 || index >= static_cast<int>(m_targets.size()))
        return;
    const WhatIfTarget &target = m_targets[static_cast<std::size_t>(index)];
    const VariationFit fit = FitTarget(populationModel(), target);
    lblWhatIfRange->hide();
    if (!fit.ok) {
        m_variation.reset();
        lblWhatIfMessage->setText(qs(fit.message));
        lblWhatIfMessage->show();
        return;
    }
    lblWhatIfMessage->hide();
    m_variation = fit.variation;
    m_whatIfValue = m_variation->present;
    m_sliderTop = sliderTop(m_variation->present);
    valueAxis(chtWhatIf->chart(), Qt::Horizontal)
        ->setTitleText(IsGroup(target)
                           ? QStringLiteral("factor k on %1").arg(qs(TargetText(target)))
                           : qs(TargetText(target)));
    const BreakEven even = FindBreakEven(*m_variation);
    lblBreakEven->setText(even.value ? qs(NumberToText(*even.value))
                                     : QStringLiteral("unreachable: %1").arg(qs(even.reason)));
    m_breakEvenSeries->replace(even.value ? QList<QPointF> {QPointF(*even.value, 1.0)}
                                          : QList<QPointF> {});
    txtWhatIfFrom->setText(QStringLiteral("0"));
    txtWhatIfTo->setText(qs(NumberToText(m_sliderTop)));
    sweepWhatIf();
    showWhatIfValue();
}

void Analysisfrm::sweepWhatIf()
{
    const double from = typedValue(txtWhatIfFrom->text()).value_or(0.0);
    const double to = typedValue(txtWhatIfTo->text()).value_or(m_sliderTop);
    m_sweep = SweepLambda(*m_variation, from, to, kSweepPoints);
    QList<QPointF> line;
    line.reserve(static_cast<qsizetype>(m_sweep.values.size()));
    for (std::size_t k = 0; k < m_sweep.values.size(); ++k)
        if (m_sweep.lambda[k])
            line.append(QPointF(m_sweep.values[k], *m_sweep.lambda[k]));
    const QList<QPointF> one = {QPointF(from, 1.0), QPointF(to, 1.0)};
    m_sweepSeries->replace(line);
    m_oneSeries->replace(one);
    QChart *chart = chtWhatIf->chart();
    valueAxis(chart, Qt::Horizontal)->setRange(from, to);
    fitValues(valueAxis(chart, Qt::Vertical), {&line, &one});
}

void Analysisfrm::showWhatIfValue()
{
    const Growth growth = GrowthAt(*m_variation, m_whatIfValue);
    {
        const QSignalBlocker blocked(sldWhatIf);
        sldWhatIf->setValue(sliderPosition(m_sliderTop, m_whatIfValue));
    }
    txtWhatIfValue->setText(qs(NumberToText(m_whatIfValue)));
    const bool harvest = IsHarvest(m_variation->target);
    lblWhatIfHarvest->setText(
        harvest
            ? QStringLiteral("harvest h = 1 \u2212 k = %1").arg(qs(NumberToText(1 - m_whatIfValue)))
            : QString());
    lblWhatIfHarvest->setVisible(harvest);
    txtWhatIfLambda->setText(shown(growth.lambda));
    txtWhatIfRate->setText(shown(growth.intrinsicRate));
    for (QLineEdit *box : {txtWhatIfValue, txtWhatIfLambda, txtWhatIfRate})
        box->setCursorPosition(0);
    for (int i = 0; i < grdWhatIfDistribution->rowCount(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        const std::optional<double> w
            = growth.stableDistribution && at < growth.stableDistribution->size()
            ? std::optional<double>((*growth.stableDistribution)[at])
            : std::nullopt;
        if (QTableWidgetItem *item = grdWhatIfDistribution->item(i, 1)) {
            item->setText(qs(ShortValueText(w)));
            item->setToolTip(shown(w));
        }
    }
    drawWhatIfPoint(growth.lambda);
}

void Analysisfrm::drawWhatIfPoint(const std::optional<double> &lambda)
{
    m_nowSeries->replace(lambda ? QList<QPointF> {QPointF(m_whatIfValue, *lambda)}
                                : QList<QPointF> {});
}

void Analysisfrm::WhatIfSlider_Change(int position)
{
    if (!m_variation)
        return;
    m_whatIfValue = sliderValue(m_sliderTop, position);
    lblWhatIfMessage->hide();
    showWhatIfValue();
}

void Analysisfrm::WhatIfValue_Enter()
{
    if (!m_variation)
        return;
    const QString text = txtWhatIfValue->text();
    const std::optional<double> value = typedValue(text);
    if (!value) {
        // The value stays, and the box shows it again; the message keeps what was typed.
        lblWhatIfMessage->setText(
            QStringLiteral("\u201c%1\u201d is not a number \u2265 0; the value stays %2.")
                .arg(text, qs(NumberToText(m_whatIfValue))));
        lblWhatIfMessage->show();
        txtWhatIfValue->setText(qs(NumberToText(m_whatIfValue)));
        return;
    }
    lblWhatIfMessage->hide();
    m_whatIfValue = *value;
    showWhatIfValue();
}

void Analysisfrm::WhatIfRange_Enter()
{
    if (!m_variation)
        return;
    const QString fromText = txtWhatIfFrom->text(), toText = txtWhatIfTo->text();
    const std::optional<double> from = typedValue(fromText), to = typedValue(toText);
    if (!from || !to || !(*from < *to)) {
        lblWhatIfRange->setText(
            QStringLiteral("\u201c%1\u201d to \u201c%2\u201d is no range 0 \u2264 from < to.")
                .arg(fromText, toText));
        lblWhatIfRange->show();
        txtWhatIfFrom->setText(
            qs(NumberToText(m_sweep.values.empty() ? 0.0 : m_sweep.values.front())));
        txtWhatIfTo->setText(
            qs(NumberToText(m_sweep.values.empty() ? m_sliderTop : m_sweep.values.back())));
        return;
    }
    lblWhatIfRange->hide();
    sweepWhatIf();
}

void Analysisfrm::WhatIfReset_Click()
{
    if (!m_variation)
        return;
    m_whatIfValue = m_variation->present;
    lblWhatIfMessage->hide();
    showWhatIfValue();
}

void Analysisfrm::WhatIfSave_Click()
{
    if (m_sweep.values.empty())
        return;
    const AnalysisState &state = m_owner.state();
    const QString last = !m_lastSweepSaved.isEmpty() ? m_lastSweepSaved
        : !m_lastSaved.isEmpty()                     ? m_lastSaved
                                                     : qs(state.DataFileBase);
    const QString chosen = ChooseTextFileName(m_owner.dialogs(), last, qs(state.DataFilePath),
                                              QStringLiteral(".csv"));
    if (chosen.isEmpty())
        return;
    const ExportResult saved = ExportSweep(QFile::encodeName(chosen).toStdString(), m_sweep);
    if (!saved.ok) {
        m_owner.dialogs().inform(QStringLiteral("Save"), qs(saved.message));
        return;
    }
    m_lastSweepSaved = chosen;
}

void Analysisfrm::WhatIfCompare_Click()
{
    const QString path = m_owner.dialogs().chooseOpenFile();
    if (path.isEmpty())
        return;
    const MatrixFileRead read = ReadMatrixFile(QFile::encodeName(path).toStdString());
    const LtreResult result = read.ok ? AnalyseLtre(populationModel(), read.model) : LtreResult {};
    if (!read.ok || !result.ok) {
        // What was compared before stays shown.
        lblLtreMessage->setText(qs(read.ok ? result.message : read.message));
        lblLtreMessage->show();
        return;
    }
    lblLtreMessage->hide();
    showLtre(result.ltre, QFileInfo(path).fileName());
}

void Analysisfrm::showLtre(const Ltre &ltre, const QString &file)
{
    lblLtre->setText(QStringLiteral("Against \u201c%1\u201d: the contributions sum to %2; "
                                    "\u03bb1(2) \u2212 \u03bb1(1) = %3 (%4 \u2212 %5).")
                         .arg(file, shown(ltre.sum), shown(ltre.lambdaDifference),
                              shown(ltre.lambdaSecond), shown(ltre.lambdaFirst)));
    grdLtre->setUpdatesEnabled(false);
    grdLtre->clear();
    grdLtre->setRowCount(ltre.n);
    grdLtre->setColumnCount(ltre.n);
    QStringList captions;
    for (int i = 0; i < ltre.n; ++i)
        captions << qs(StageCaption(m_model.names, i));
    grdLtre->setHorizontalHeaderLabels(captions);
    grdLtre->setVerticalHeaderLabels(captions);
    double largest = 0;
    if (ltre.contributions)
        for (double c : ltre.contributions->values)
            largest = std::max(largest, std::fabs(c));
    for (int i = 0; i < ltre.n; ++i)
        for (int j = 0; j < ltre.n; ++j) {
            const std::optional<double> c = ltre.contributions
                ? std::optional<double>(
                    ltre.contributions->values[static_cast<std::size_t>(i) * ltre.n + j])
                : std::nullopt;
            auto *item = new QTableWidgetItem(qs(ShortValueText(c)));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(
                QStringLiteral("from %1 to %2: %3").arg(captions[j], captions[i], shown(c)));
            item->setBackground(signTint(c.value_or(0.0), largest));
            item->setForeground(QColor(Qt::black));
            grdLtre->setItem(i, j, item);
        }
    fitEntryColumns(grdLtre, captions);
    grdLtre->setUpdatesEnabled(true);
    grdLtre->show();
}

void Analysisfrm::Form_Unload()
{
    // Back to the results or the stage model, as "Back" goes.
    Command1_Click();
}

} // namespace tarnvale::ui
