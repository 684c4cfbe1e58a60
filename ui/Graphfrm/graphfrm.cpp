#include "ui/Graphfrm/graphfrm.h"

#include "core/curve.h"
#include "core/numbertext.h"
#include "core/searchrecord.h"
#include "io/chartdata.h"
#include "ui/common/controls.h"
#include "ui/common/dialogs.h"
#include "ui/common/twips.h"
#include "ui/windowowner.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFontMetrics>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tarnvale::ui {

namespace {

constexpr double kTickLabelPoints = 9;

// An axis of the chart: its title shown in Arial, and major grid lines solid black where asked
// for.
void styleAxis(QAbstractAxis *axis, const QString &title, double points, bool gridLines)
{
    axis->setTitleText(title);
    axis->setTitleFont(ArialFont(points));
    axis->setTitleVisible(true);
    axis->setLabelsFont(ArialFont(kTickLabelPoints));
    axis->setGridLineVisible(gridLines);
    if (gridLines)
        axis->setGridLinePen(QPen(QColor(0, 0, 0), 1, Qt::SolidLine));
    axis->setMinorGridLineVisible(false);
}

QValueAxis *makeValueAxis(const QString &title, double points, bool gridLines)
{
    auto *axis = new QValueAxis;
    styleAxis(axis, title, points, gridLines);
    return axis;
}

// The last age class whose share the chart shows; empty counts as 0.
int lastAgeClass(const AnalysisState &state)
{
    return std::clamp(state.LastAgeClass.value_or(0), 0, kTableSlots - 1);
}

// Stretches the axis over [low, high] on round numbers. A single value gets some room around
// it. Plain decimals read best, but far from 1 they grow too long, so those take the short
// exponent form.
void fitAxis(QValueAxis *axis, double low, double high)
{
    if (low == high) {
        const double room = low == 0.0 ? 1.0 : std::fabs(low) / 10.0;
        low -= room;
        high += room;
    }
    axis->setRange(low, high);
    axis->applyNiceNumbers();
    const double largest = std::max(std::fabs(axis->min()), std::fabs(axis->max()));
    axis->setLabelFormat(largest >= 1e6 || largest < 1e-3 ? QStringLiteral("%.4g") : QString());
}

// Every how many ages an age label is written so that the labels do not run into each other.
int ageLabelStep(int count, int labelWidth, int available)
{
    for (int step : {1, 2, 5, 10, 20, 25, 50, 100}) {
        if ((count + step - 1) / step * labelWidth <= available)
            return step;
    }
    return 100;
}

} // namespace

Graphfrm::Graphfrm(WindowOwner &owner, QWidget *parent)
    : OwnedWindow(owner, parent)
    , m_state(owner.state())
{
    buildUi();
    connectHandlers();
}

void Graphfrm::buildUi()
{
    setObjectName(QStringLiteral("Graphfrm"));
    setWindowTitle(QStringLiteral("Graph"));
    // One row taller than the bottom row needs: the steps of the search and the note on them.
    setFixedSize(Twips(10560), Twips(9000));
    setFont(TimesFont(12));

    // Text1 lies under the equation box; Plot hides it for good.
    Text1 = MakeTextBox(this, "Text1", QRect(120, 120, 10335, 615), 12, false, false, QString());
    Text2 = MakeTextBox(this, "Text2", QRect(120, 120, 10335, 570), 18, false, false, QString());
    Text2->setFont(TimesFont(18, false, true));

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setBackgroundRoundness(0);
    MSChart1 = new QChartView(m_chart, this);
    MSChart1->setObjectName(QStringLiteral("MSChart1"));
    MSChart1->setGeometry(TwipsRect(96, 768, 10380, 6924));
    MSChart1->setRenderHint(QPainter::Antialiasing);
    MSChart1->hide();

    label1 = MakeLabel(this, "label1", QRect(360, 7800, 852, 492), 12, QStringLiteral("For x="));
    txtx1 = MakeNumberBox(this, "txtx1", QRect(1320, 7800, 855, 495), 12, false, false,
                          QStringLiteral("-0.35"));
    Label2 = MakeLabel(this, "Label2", QRect(2280, 7800, 372, 492), 12, QStringLiteral("to"));
    txtx2 = MakeNumberBox(this, "txtx2", QRect(2640, 7800, 855, 495), 12, false, false,
                          QStringLiteral("1.5"));
    Label3 = MakeLabel(this, "Label3", QRect(3600, 7800, 612, 492), 12, QStringLiteral("step"));
    txtstepx = MakeNumberBox(this, "txtstepx", QRect(4320, 7800, 1095, 495), 12, false, false,
                             QStringLiteral("0.01"));
    for (QLabel *label : {label1, Label2, Label3})
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Command1 = MakeButton(this, "Command1", {5520, 7800, 735, 495}, QStringLiteral("Plot"),
                          QStringLiteral("Plot the graph"), true);
    Command5 = MakeButton(this, "Command5", {6360, 7800, 735, 495}, QStringLiteral("Save"),
                          QStringLiteral("Save this graph data to text files"), true);
    Command4 = MakeButton(this, "Command4", {7200, 7800, 735, 495}, QStringLiteral("Print"),
                          QStringLiteral("Print this page"), true);
    Command6 = MakeButton(this, "Command6", {8040, 7800, 735, 495}, QStringLiteral("SAD"),
                          QStringLiteral("Show stable age distribution"), true);
    Command3 = MakeButton(this, "Command3", {8880, 7800, 735, 495}, QStringLiteral("Back"),
                          QStringLiteral("Back to the main form"), true);
    Command2 = MakeButton(this, "Command2", {9720, 7800, 735, 495}, QStringLiteral("Quit"),
                          QStringLiteral("Quit this program"), true);
    Command7 = MakeButton(this, "Command7", {8880, 8400, 735, 495}, QStringLiteral("Steps"),
                          QStringLiteral("Show the steps of the search"), true);
    Label4 = MakeLabel(this, "Label4", QRect(360, 8400, 8400, 495), 10, QString());
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Command6->setEnabled(false);

    // What a screen reader announces: the range sentence names its boxes, the chart its title.
    Text2->setAccessibleName(QStringLiteral("The characteristic equation"));
    Text1->setAccessibleName(QStringLiteral("Note"));
    NameBoxByLabel(txtx1, label1, QStringLiteral("First x of the curve"));
    NameBoxByLabel(txtx2, Label2, QStringLiteral("Last x of the curve"));
    NameBoxByLabel(txtstepx, Label3, QStringLiteral("Step between the x values of the curve"));
    MSChart1->setAccessibleName(QStringLiteral("Chart"));
    NameButtonsByCaption(this);

    // Plot comes first and Quit second, so Plot has the focus when the window opens.
    QWidget *order[] = {Command1, Command2, Command5, Command4, Command6, Command3,
                        Command7, txtx1,    txtx2,    txtstepx, Text2,    Text1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Graphfrm::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &Graphfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Graphfrm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Graphfrm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Graphfrm::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Graphfrm::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Graphfrm::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Graphfrm::Command7_Click);
}

void Graphfrm::Form_Load()
{
    Text2->setText(qs(m_state.EquationText));
    Text2->setCursorPosition(0);
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    MSChart1->hide();
    Command1->setFocus();
}

void Graphfrm::Command1_Click()
{
    // A matrix cell beyond the chart's single precision spoils every point; say which.
    if (!m_state.dataFileMode()) {
        if (const auto problem = CheckCurveMatrix(m_owner.matrixCellTexts())) {
            m_owner.dialogs().inform(QStringLiteral("Plot"), qs(*problem));
            return;
        }
    }
    const PlotResult plot = PlotCurve(m_state, txtx1->text().toStdString(),
                                      txtx2->text().toStdString(), txtstepx->text().toStdString());
    if (!plot.ok) {
        m_owner.dialogs().inform(QStringLiteral("Plot"), qs(plot.message));
        return;
    }
    Text1->hide();
    Text2->show();
    ShowGraph();
    MSChart1->show();
    Command3->setFocus();
    Command5->setEnabled(true);
}

void Graphfrm::clearChart()
{
    // removeAllSeries deletes the marks of the search with the rest.
    m_searchSeries.clear();
    Label4->clear();
    m_showsCurve = false;
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
}

void Graphfrm::ShowGraph()
{
    clearChart();
    m_chart->setTitle(QStringLiteral("Curve of f(x)"));
    m_chart->setTitleFont(ArialFont(10));
    MSChart1->setAccessibleName(m_chart->title());

    QValueAxis *vertical = makeValueAxis(QStringLiteral("f(x)"), 10, true);
    QValueAxis *horizontal = makeValueAxis(QStringLiteral("x"), 10, false);

    QList<QPointF> points;
    points.reserve(m_state.PlotCount);
    for (int i = 1; i <= m_state.PlotCount; ++i)
        points.append(QPointF(static_cast<double>(m_state.PointX[i]), m_state.PlotFx[i]));

    auto *series = new QLineSeries;
    series->setName(QStringLiteral("f(x)"));
    // One replace instead of thousands of appends: each append would redraw.
    series->replace(points);
    m_chart->addSeries(series);
    m_chart->addAxis(horizontal, Qt::AlignBottom);
    m_chart->addAxis(vertical, Qt::AlignLeft);
    series->attachAxis(horizontal);
    series->attachAxis(vertical);

    if (points.isEmpty()) {
        fitAxis(horizontal, 0, 1);
        fitAxis(vertical, 0, 1);
    } else {
        const auto [left, right]
            = std::minmax_element(points.cbegin(), points.cend(),
                                  [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
        const auto [bottom, top]
            = std::minmax_element(points.cbegin(), points.cend(),
                                  [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); });
        fitAxis(horizontal, left->x(), right->x());
        fitAxis(vertical, bottom->y(), top->y());
    }
    m_showsCurve = true;
    drawSearch();
}

void Graphfrm::drawSearch()
{
    for (QAbstractSeries *series : std::as_const(m_searchSeries)) {
        m_chart->removeSeries(series);
        delete series;
    }
    m_searchSeries.clear();
    Label4->clear();
    if (!m_showsCurve)
        return;
    const QList<QAbstractAxis *> horizontals = m_chart->axes(Qt::Horizontal);
    const QList<QAbstractAxis *> verticals = m_chart->axes(Qt::Vertical);
    auto *horizontal = horizontals.isEmpty() ? nullptr : qobject_cast<QValueAxis *>(horizontals[0]);
    auto *vertical = verticals.isEmpty() ? nullptr : qobject_cast<QValueAxis *>(verticals[0]);
    if (!horizontal || !vertical)
        return;
    // The marks are drawn inside the axes as the curve set them; adding series must not move them.
    const double left = horizontal->min(), right = horizontal->max();
    const double bottom = vertical->min(), top = vertical->max();

    const SearchMarks marks = SearchMarksOnCurve(m_state);
    Label4->setText(qs(SearchMarksNote(marks)));
    const auto add = [&](QAbstractSeries *series) {
        m_chart->addSeries(series);
        series->attachAxis(horizontal);
        series->attachAxis(vertical);
        m_searchSeries.append(series);
    };

    if (marks.haveBracket) {
        auto *upper = new QLineSeries;
        upper->append(marks.bracketLow, top);
        upper->append(marks.bracketHigh, top);
        auto *lower = new QLineSeries;
        lower->append(marks.bracketLow, bottom);
        lower->append(marks.bracketHigh, bottom);
        auto *band = new QAreaSeries(upper, lower);
        upper->setParent(band);
        lower->setParent(band);
        band->setName(QStringLiteral("bracket"));
        band->setColor(QColor(255, 190, 0, 60));
        band->setBorderColor(QColor(255, 190, 0, 0));
        add(band);
    }
    if (marks.haveRoot) {
        auto *line = new QLineSeries;
        line->setName(QStringLiteral("lambda"));
        line->append(marks.root, bottom);
        line->append(marks.root, top);
        line->setPen(QPen(kRed, 2, Qt::DashLine));
        add(line);
        auto *label = new QScatterSeries;
        label->setName(QStringLiteral("lambda label"));
        // A little below the top, so that the label stands inside the chart, clear of its title.
        label->append(marks.root, top - (top - bottom) * 0.06);
        label->setMarkerSize(1);
        label->setColor(kRed);
        label->setBorderColor(kRed);
        label->setPointLabelsFormat(QStringLiteral("λ = ") + qs(marks.rootText));
        label->setPointLabelsColor(kRed);
        label->setPointLabelsFont(ArialFont(kTickLabelPoints));
        label->setPointLabelsClipping(false);
        label->setPointLabelsVisible(true);
        add(label);
    }
    for (const SearchMark &mark : marks.points) {
        auto *point = new QScatterSeries;
        point->setName(QStringLiteral("point %1").arg(mark.number));
        point->append(mark.x, mark.fx);
        point->setMarkerSize(9);
        // The two start points in blue, the bisection points in green.
        const QColor colour = mark.number <= 2 ? kBlue : kGreen;
        point->setColor(colour);
        point->setBorderColor(kBlack);
        point->setPointLabelsFormat(QString::number(mark.number));
        point->setPointLabelsFont(ArialFont(kTickLabelPoints));
        point->setPointLabelsColor(colour);
        point->setPointLabelsVisible(true);
        add(point);
    }
    horizontal->setRange(left, right);
    vertical->setRange(bottom, top);
}

void Graphfrm::showEvent(QShowEvent *event)
{
    OwnedWindow::showEvent(event);
    if (m_showsCurve && !MSChart1->isHidden())
        drawSearch();
}

void Graphfrm::Command7_Click()
{
    m_owner.showStepsfrm(this);
    hide();
}

void Graphfrm::ShowSAD()
{
    clearChart();
    m_chart->setTitle(QStringLiteral("Stable age distribution"));
    m_chart->setTitleFont(ArialFont(12));
    MSChart1->setAccessibleName(m_chart->title());

    const int last = lastAgeClass(m_state);
    auto *bars = new QBarSet(QStringLiteral("SAD"));
    QStringList ages;
    double low = 0.0, high = 0.0;
    for (int i = 0; i <= last; ++i) {
        const double share = m_state.StableAgeDist[i].value_or(0.0);
        bars->append(share);
        ages << qs(NumberToPaddedText(static_cast<double>(i)));
        low = std::min(low, share);
        high = std::max(high, share);
    }
    auto *series = new QBarSeries;
    series->append(bars);
    // Long tables leave little room per bar; wide bars keep them visible.
    series->setBarWidth(last >= 20 ? 0.9 : 0.6);
    m_chart->addSeries(series);

    QValueAxis *vertical = makeValueAxis(QStringLiteral("SAD"), 12, true);
    auto *horizontal = new QBarCategoryAxis;
    horizontal->append(ages);
    styleAxis(horizontal, QStringLiteral("Age"), 12, false);
    m_chart->addAxis(horizontal, Qt::AlignBottom);
    m_chart->addAxis(vertical, Qt::AlignLeft);
    series->attachAxis(horizontal);
    series->attachAxis(vertical);
    fitAxis(vertical, low, high);

    // When the ages do not fit side by side, the bar axis keeps the bars in place but is not
    // drawn, and an axis of the same span writes every few ages under their bars.
    const QFontMetrics metrics(horizontal->labelsFont());
    const int labelWidth = metrics.horizontalAdvance(ages.last()) + metrics.averageCharWidth() * 2;
    const int available = MSChart1->width() - Twips(1800);
    const int step = ageLabelStep(static_cast<int>(ages.size()), labelWidth, available);
    if (step > 1) {
        horizontal->setVisible(false);
        auto *labels = new QCategoryAxis;
        labels->setObjectName(QStringLiteral("AgeLabels"));
        labels->setStartValue(-0.5);
        for (int i = 0; i <= last; i += step)
            labels->append(ages[i], i);
        labels->setRange(-0.5, last + 0.5);
        labels->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        styleAxis(labels, QStringLiteral("Age"), 12, false);
        m_chart->addAxis(labels, Qt::AlignBottom);
        series->attachAxis(labels);
    }
    MSChart1->show();
}

void Graphfrm::Command6_Click()
{
    const int last = lastAgeClass(m_state);
    for (int i = 0; i <= last; ++i) {
        const NumberOrEmpty &share = m_state.StableAgeDist[i];
        if (share && !std::isfinite(*share)) {
            m_owner.dialogs().inform(
                QStringLiteral("SAD"),
                QStringLiteral("The stable age distribution cannot be drawn: the share of age "
                               "class %1 lies beyond the range of numbers.")
                    .arg(i));
            return;
        }
    }
    ShowSAD();
    Command3->setFocus();
    Command5->setEnabled(true);
}

void Graphfrm::Command5_Click()
{
    const QString chosen
        = ChooseTextFileName(m_owner.dialogs(), qs(m_state.DataFileBase), qs(m_state.DataFilePath));
    if (chosen.isEmpty())
        return;
    const ExportResult saved = ExportChartData(m_state, QFile::encodeName(chosen).toStdString());
    if (!saved.ok)
        m_owner.dialogs().inform(QStringLiteral("Save"), qs(saved.message));
}

void Graphfrm::Command4_Click()
{
    m_owner.printWindow(this);
}

void Graphfrm::Command3_Click()
{
    m_owner.showForm1();
    hide();
}

void Graphfrm::Command2_Click()
{
    m_owner.showCopyrigh();
    hide();
}

void Graphfrm::enablePlot()
{
    Command1->setEnabled(true);
}

void Graphfrm::showEquation(const std::string &equation)
{
    Text2->setText(qs(equation));
    Text2->setCursorPosition(0);
}

void Graphfrm::setSADEnabled(bool enabled)
{
    Command6->setEnabled(enabled);
}

void Graphfrm::cellChanged()
{
    Command6->setEnabled(false);
    MSChart1->hide();
}

} // namespace tarnvale::ui
