#pragma once

#include "core/leslie.h"
#include "core/projection.h"
#include "ui/common/ownedwindow.h"

#include <array>
#include <optional>
#include <vector>

class QChart;
class QChartView;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace tarnvale::ui {

// "Further analysis": the dominant root lambda1 beside the root of the user's search, the
// projection n(t + 1) = A n(t) from a chosen start vector with its approach to the stable age
// distribution, and per age class the reproductive values, sensitivities and elasticities of
// lambda1. Opened from "Population parameters", and closed through its frame back to them;
// everything shown comes from the core's analysis.
class Analysisfrm : public OwnedWindow
{
    Q_OBJECT
public:
    explicit Analysisfrm(WindowOwner &owner, QWidget *parent = nullptr);
    ~Analysisfrm() override;

    // Analyses `table` and shows it beside `root`, the root the search accepted (empty: none).
    // Runs each time the window is opened, since the results may have changed meanwhile; the
    // chosen start vector and step count stay.
    void showAnalysis(const LeslieTable &table, const std::optional<double> &root);

    void Command1_Click(); // Back
    void Command2_Click(); // Save
    void Command3_Click(); // Print
    void optStart_Click(int index); // the start vector
    void txtStart_Enter(); // typed start shares, taken on Enter or on leaving the box
    void txtSteps_Change();
    void Form_Unload() override;

    const LeslieAnalysis &analysis() const { return m_analysis; }
    const Projection &projection() const { return m_projection; }

private:
    void buildUi();
    // The parts of the page from the top, each built with its controls.
    QGroupBox *buildRootsFrame();
    QGroupBox *buildProjectionFrame();
    QGroupBox *buildStartFrame(); // inside the projection's
    QGroupBox *buildClassesFrame();
    QHBoxLayout *buildButtons();
    void connectHandlers();
    StartChoice startChoice() const;
    // Projects from the chosen start vector over the chosen steps and shows the projection.
    void project();
    void showComparison(const std::optional<double> &root);
    void showClasses();
    void prepareCharts();
    void drawTotal();
    void drawShares();
    void drawGrowth();
    void drawElasticities();

    LeslieTable m_table;
    LeslieAnalysis m_analysis;
    std::optional<std::string> m_problem; // why the table cannot be analysed
    Projection m_projection;
    QString m_lastSaved; // the name chosen at the last Save, empty before one

    // The root of the search beside lambda1.
    QGroupBox *fraRoots = nullptr;
    QLineEdit *txtLambda = nullptr;
    QLineEdit *txtLambda1 = nullptr;
    QLineEdit *txtDifference = nullptr;
    QLineEdit *txtRelative = nullptr;
    QLabel *lblRootNotice = nullptr; // another root found, or the table refused

    // The projection.
    QGroupBox *fraProjection = nullptr;
    QGroupBox *fraStart = nullptr;
    std::array<QRadioButton *, 4> optStart {}; // equal, age class 0, SAD, typed
    QLineEdit *txtStart = nullptr;
    QLabel *lblStartMessage = nullptr;
    QSpinBox *txtSteps = nullptr;
    QLineEdit *txtGrowth = nullptr;
    QLineEdit *txtSecond = nullptr;
    QLineEdit *txtDamping = nullptr;
    QLineEdit *txtPeriod = nullptr;
    QLineEdit *txtConvergence = nullptr;
    QLabel *lblPeriodic = nullptr;
    QChartView *chtTotal = nullptr;
    QChartView *chtShares = nullptr;
    QChartView *chtGrowth = nullptr;

    // Per age class.
    QGroupBox *fraClasses = nullptr;
    QTableWidget *grdClasses = nullptr;
    QChartView *chtElasticity = nullptr;
    QLineEdit *txtElasticitySum = nullptr;

    QPushButton *Command1 = nullptr; // Back
    QPushButton *Command2 = nullptr; // Save
    QPushButton *Command3 = nullptr; // Print

    // The series that each projection refills: N(t), the growth ratio beside lambda1, and per
    // line of the share chart its shares and, dashed, its share of the SAD.
    QLineSeries *m_totalSeries = nullptr;
    QLineSeries *m_growthSeries = nullptr;
    QLineSeries *m_lambda1Series = nullptr;
    std::vector<QLineSeries *> m_shareSeries;
    std::vector<QLineSeries *> m_stableSeries;
};

} // namespace tarnvale::ui
