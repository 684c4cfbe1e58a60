#include "ui/Analysisfrm/analysisfrm.h"

#include "core/furtheranalysis.h"
#include "core/numbertext.h"
#include "core/results.h"
#include "io/analysisdata.h"
#include "ui/common/controls.h"
#include "ui/common/dialogs.h"
#include "ui/windowowner.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedBarSeries>
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
constexpr double kChartPoints = 9;

// The colours of the share lines, each line's SAD dashed in the same colour.
const QColor kLineColours[] = {QColor(0, 0, 192),   QColor(192, 0, 0),   QColor(0, 128, 0),
                               QColor(224, 128, 0), QColor(128, 0, 160), QColor(96, 96, 96)};

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

// The table's columns: the age, then the per-class results.
const std::vector<const char *> kColumnTitles = [] {
    std::vector<const char *> titles = {"Age"};
    for (const ResultField *field : ResultsOf(ModelKind::Leslie, ResultKind::PerClass))
        titles.push_back(field->title);
    return titles;
}();

} // namespace

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
    auto *page = new QVBoxLayout(this);
    page->addWidget(buildRootsFrame());
    page->addWidget(buildProjectionFrame(), 3);
    page->addWidget(buildClassesFrame(), 2);
    page->addLayout(buildButtons());
    NameButtonsByCaption(this);

    // The charts are read through their titles and values; the keyboard goes from the start
    // vector over the steps and the table to the buttons.
    for (QChartView *chart : {chtTotal, chtShares, chtGrowth, chtElasticity})
        chart->setFocusPolicy(Qt::NoFocus);
    QWidget *order[] = {optStart[0], optStart[1], optStart[2], optStart[3], txtStart,
                        txtSteps,    grdClasses,  Command2,    Command3,    Command1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
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

QGroupBox *Analysisfrm::buildProjectionFrame()
{
    // The projection: its start and length on the left with the numbers it gives, the charts
    // on the right.
    fraProjection = new QGroupBox(QStringLiteral("Projection n(t+1) = A n(t)"), this);
    fraProjection->setObjectName(QStringLiteral("fraProjection"));
    auto *projection = new QHBoxLayout(fraProjection);
    auto *side = new QVBoxLayout;
    side->addWidget(buildStartFrame());

    auto *numbers = new QFormLayout;
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
    txtConvergence->setToolTip(
        QStringLiteral("The first t from which the distance to the SAD stays at most 0.01"));
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
    chtShares = makeChartView(fraProjection, "chtShares",
                              QStringLiteral("Class shares and the SAD (dashed)"));
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
        = {"equal shares", "all in age class 0", "the stable age distribution", "typed numbers:"};
    for (int i = 0; i < 4; ++i) {
        optStart[i] = new QRadioButton(QString::fromLatin1(choices[i]), fraStart);
        optStart[i]->setObjectName(QStringLiteral("optStart(%1)").arg(i));
        start->addWidget(optStart[i]);
    }
    optStart[0]->setChecked(true);
    txtStart = new QLineEdit(fraStart);
    txtStart->setObjectName(QStringLiteral("txtStart"));
    txtStart->setEnabled(false);
    txtStart->setToolTip(QStringLiteral("One number for each age class, separated by blanks or "
                                        "commas; Enter starts the projection from them"));
    txtStart->setAccessibleName(QStringLiteral("Typed start numbers, one per age class"));
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
    fraClasses = new QGroupBox(QStringLiteral("Per age class"), this);
    fraClasses->setObjectName(QStringLiteral("fraClasses"));
    auto *classes = new QHBoxLayout(fraClasses);
    grdClasses = new QTableWidget(0, static_cast<int>(std::size(kColumnTitles)), fraClasses);
    grdClasses->setObjectName(QStringLiteral("grdClasses"));
    grdClasses->setAccessibleName(QStringLiteral("Per age class"));
    QStringList titles;
    for (const char *title : kColumnTitles)
        titles << QString::fromUtf8(title);
    grdClasses->setHorizontalHeaderLabels(titles);
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
    auto *sum = new QFormLayout;
    txtElasticitySum = makeBox(fraClasses, "txtElasticitySum");
    addRow(sum, fraClasses, QStringLiteral("Sum of the elasticities:"), txtElasticitySum);
    bars->addLayout(sum);
    classes->addLayout(bars, 1);
    return fraClasses;
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

void Analysisfrm::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &Analysisfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Analysisfrm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Analysisfrm::Command3_Click);
    for (int i = 0; i < 4; ++i)
        connect(optStart[i], &QRadioButton::clicked, this, [this, i] { optStart_Click(i); });
    connect(txtStart, &QLineEdit::editingFinished, this, &Analysisfrm::txtStart_Enter);
    connect(txtSteps, &QSpinBox::valueChanged, this, &Analysisfrm::txtSteps_Change);
}

void Analysisfrm::showAnalysis(const LeslieTable &table, const std::optional<double> &root)
{
    m_table = table;
    m_problem = CheckLeslieTable(table);
    m_analysis = AnalyseLeslie(table);
    showComparison(root);

    txtSecond->setText(shown(m_analysis.secondModulus));
    txtDamping->setText(shown(m_analysis.dampingRatio));
    txtPeriod->setText(qs(PeriodText(m_analysis)));
    // A sentence of its own here, where the command line puts it in parentheses.
    QString note = qs(PeriodicNote(m_analysis));
    if (!note.isEmpty())
        note[0] = note[0].toUpper();
    lblPeriodic->setText(note);
    lblPeriodic->setVisible(m_analysis.periodic());

    // Without a stable age distribution (lambda1 = 0) the SAD is no start vector.
    const bool stable = m_analysis.stableAgeDistribution.has_value();
    if (!stable && optStart[2]->isChecked())
        optStart[0]->setChecked(true);
    optStart[2]->setVisible(stable);
    for (QRadioButton *option : optStart)
        option->setEnabled(!m_problem);
    txtStart->setEnabled(!m_problem && optStart[3]->isChecked());
    txtSteps->setEnabled(!m_problem);

    showClasses();
    prepareCharts();
    drawElasticities();
    project();
    for (QRadioButton *option : optStart)
        if (option->isChecked() && option->isEnabled())
            option->setFocus();
}

void Analysisfrm::showComparison(const std::optional<double> &root)
{
    const RootComparison c = CompareRoots(m_analysis, root);
    txtLambda->setText(shown(c.root));
    txtLambda1->setText(shown(c.lambda1));
    txtDifference->setText(shown(c.difference));
    txtRelative->setText(shown(c.relativeDifference));
    QString notice = qs(OtherRootNote(c));
    if (m_problem)
        notice = QStringLiteral("This table cannot be analysed: %1.").arg(qs(*m_problem));
    lblRootNotice->setText(notice);
    lblRootNotice->setVisible(!notice.isEmpty());
    for (QLineEdit *box : {txtLambda, txtLambda1, txtDifference, txtRelative})
        box->setCursorPosition(0);
}

void Analysisfrm::showClasses()
{
    const LeslieAnalysis &a = m_analysis;
    std::vector<ResultValue> columns;
    for (const ResultField *field : ResultsOf(ModelKind::Leslie, ResultKind::PerClass))
        columns.push_back(ValueOf(*field, a));
    grdClasses->setUpdatesEnabled(false);
    grdClasses->clearContents();
    grdClasses->setRowCount(a.ageClasses);
    for (int x = 0; x < a.ageClasses; ++x) {
        auto *age = new QTableWidgetItem(QString::number(x));
        age->setTextAlignment(Qt::AlignCenter);
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
    txtElasticitySum->setText(shown(ElasticitySum(a)));
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
        StartVector start
            = MakeStartVector(m_analysis, startChoice(), txtStart->text().toStdString());
        if (!start.ok) {
            lblStartMessage->setText(
                QStringLiteral("These numbers cannot start the projection: %1. It starts from "
                               "equal shares.")
                    .arg(qs(start.message)));
            lblStartMessage->show();
            start = MakeStartVector(m_analysis, StartChoice::Equal);
        }
        m_projection = ProjectLeslie(m_table, start.shares, txtSteps->value(),
                                     m_analysis.stableAgeDistribution);
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
    const std::vector<ShareLine> lines
        = GroupedShares(Projection {}, std::nullopt, m_problem ? 0 : m_analysis.ageClasses);
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
    const std::vector<ShareLine> lines = GroupedShares(
        m_projection, m_analysis.stableAgeDistribution, m_problem ? 0 : m_analysis.ageClasses);
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
    const QList<QPointF> lambda1 = level(m_problem ? std::nullopt : m_analysis.lambda, steps);
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
            for (int x = 0; x < m_analysis.ageClasses; ++x)
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

void Analysisfrm::Command1_Click()
{
    hide();
    m_owner.showResultFrm();
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
    const ExportResult saved
        = ExportAnalysisData(QFile::encodeName(chosen).toStdString(), m_analysis, m_projection);
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

void Analysisfrm::Form_Unload()
{
    // Back to the results, as "Back" goes.
    Command1_Click();
}

} // namespace tarnvale::ui
