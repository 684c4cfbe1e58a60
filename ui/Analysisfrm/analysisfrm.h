#pragma once

#include "core/furtheranalysis.h"
#include "core/leslie.h"
#include "core/projection.h"
#include "core/results.h"
#include "core/stageanalysis.h"
#include "core/whatif.h"
#include "ui/common/ownedwindow.h"

#include <QPointer>

#include <array>
#include <optional>
#include <vector>

class QChart;
class QChartView;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QScatterSeries;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTableWidget;
class QVBoxLayout;

namespace tarnvale::ui {

class EntryTableModel;

// "Further analysis": the dominant root lambda1 beside the root of the user's search, the
// projection n(t + 1) = A n(t) from a chosen start vector with its approach to the stable age
// distribution, and per age class the reproductive values, sensitivities and elasticities of
// lambda1. Opened on a Leslie table from "Population parameters", and closed through its frame
// back to them; or on a stage model from the window that shows it, then per stage w, v and the
// life expectancy, the sensitivities and elasticities as matrices, the structure of the life
// cycle in words and R0 and T, going back to that window. Everything shown comes from the
// core's analysis. A second page, "What if", changes one entry or scales a group of entries of a
// copy of the model and shows lambda1 as it follows, with a sweep, its break-even and, for a stage
// model, an LTRE against a second matrix file.
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
    // Analyses the stage model `model` and shows it beside `root`, the root of its search (empty:
    // none); "Back" returns to `cameFrom`, or to the main window when that is gone.
    void showAnalysis(const StageModel &model, const std::optional<double> &root,
                      QWidget *cameFrom);

    void Command1_Click(); // Back
    void Command2_Click(); // Save
    void Command3_Click(); // Print
    void optStart_Click(int index); // the start vector
    void txtStart_Enter(); // typed start shares, taken on Enter or on leaving the box
    void txtSteps_Change();
    void tabEntries_Change(int index); // the matrix in front
    void tabPages_Change(int index); // the analysis or "What if"
    void WhatIfTarget_Change(int index);
    void WhatIfSlider_Change(int position);
    void WhatIfValue_Enter(); // a typed value, taken on Enter
    void WhatIfRange_Enter(); // the sweep's range, taken on Enter
    void WhatIfSave_Click();
    void WhatIfCompare_Click();
    void WhatIfReset_Click();
    void Form_Unload() override;

    ModelKind model() const { return m_kind; }
    const LeslieAnalysis &analysis() const { return m_analysis; }
    const StageAnalysis &stageAnalysis() const { return m_stage; }
    const Projection &projection() const { return m_projection; }
    // What "What if" works on (empty before its page is first shown or where the model cannot
    // be analysed), the value of its target shown, and its sweep.
    const std::optional<Variation> &whatIfVariation() const { return m_variation; }
    double whatIfValue() const { return m_whatIfValue; }
    const Sweep &whatIfSweep() const { return m_sweep; }

private:
    void buildUi();
    // The parts of the page from the top, each built with its controls.
    QGroupBox *buildRootsFrame();
    QGroupBox *buildProjectionFrame();
    QGroupBox *buildStartFrame(); // inside the projection's
    QGroupBox *buildStructureFrame();
    QGroupBox *buildClassesFrame();
    QWidget *buildEntryTables(); // a stage model's matrices of results, in tabs
    QHBoxLayout *buildButtons();
    QWidget *buildWhatIfPage();
    QChartView *buildWhatIfChart();
    void connectHandlers();
    StartChoice startChoice() const;
    // Projects from the chosen start vector over the chosen steps and shows the projection.
    void project();
    // Shows the parts of the page that belong to the model shown, with its words.
    void showModelKind(ModelKind kind);
    // What both kinds show once analysed: the comparison, |lambda2| and the rest, the tables.
    void showAnalysed(const std::optional<double> &root);
    void showComparison(const std::optional<double> &root);
    void showClasses();
    void showStageExtras();
    // What the two kinds of model give alike: the classes or stages, their stable
    // distribution, lambda1, the lines of the share chart.
    int classCount() const;
    const std::optional<std::vector<double>> &stableDistribution() const;
    std::optional<double> lambda1() const;
    std::vector<ShareLine> shareLines(const Projection &projection) const;
    void prepareCharts();
    void drawTotal();
    void drawShares();
    void drawGrowth();
    void drawElasticities();
    // "What if": the model as a PopulationModel, the targets that fit it in the list, and what
    // follows a new target, value or range.
    PopulationModel populationModel() const;
    void listWhatIfTargets();
    void refreshWhatIf();
    void showWhatIfValue();
    void sweepWhatIf();
    void drawWhatIfPoint(const std::optional<double> &lambda);
    void showLtre(const Ltre &ltre, const QString &file);

    ModelKind m_kind = ModelKind::Leslie;
    LeslieTable m_table;
    LeslieAnalysis m_analysis;
    StageModel m_model;
    StageAnalysis m_stage;
    std::optional<std::string> m_problem; // why the table or model cannot be analysed
    QPointer<QWidget> m_cameFrom; // where "Back" goes from a stage model
    Projection m_projection;
    QString m_lastSaved; // the name chosen at the last Save, empty before one

    // The root of the search beside lambda1.
    QGroupBox *fraRoots = nullptr;
    QLineEdit *txtLambda = nullptr;
    QLineEdit *txtLambda1 = nullptr;
    QLineEdit *txtDifference = nullptr;
    QLineEdit *txtRelative = nullptr;
    QLabel *lblRootNotice = nullptr; // another root found, or the table refused

    // A stage model's life cycle in words.
    QGroupBox *fraStructure = nullptr;
    QLabel *lblStructure = nullptr;

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
    QFormLayout *m_numbers = nullptr;
    QLineEdit *txtR0 = nullptr; // a stage model's
    QLineEdit *txtT = nullptr;
    QLabel *lblNoR0 = nullptr;
    QChartView *chtTotal = nullptr;
    QChartView *chtShares = nullptr;
    QChartView *chtGrowth = nullptr;

    // Per age class.
    QGroupBox *fraClasses = nullptr;
    QVBoxLayout *m_page = nullptr;
    QHBoxLayout *m_projectionLayout = nullptr;
    QHBoxLayout *m_classesLayout = nullptr;
    QTableWidget *grdClasses = nullptr;
    QChartView *chtElasticity = nullptr;
    QLineEdit *txtElasticitySum = nullptr;
    // A stage model's per-entry results, one tab each, in the order of the list of results.
    QWidget *m_entryPages = nullptr;
    QTabWidget *tabEntries = nullptr;
    std::vector<QTableView *> grdEntries;
    std::vector<EntryTableModel *> m_entryModels;

    // "What if", on a page of its own beside the analysis.
    QTabWidget *tabPages = nullptr;
    QWidget *m_whatIfPage = nullptr;
    QComboBox *cboWhatIfTarget = nullptr;
    QSlider *sldWhatIf = nullptr;
    QLineEdit *txtWhatIfValue = nullptr;
    QLabel *lblWhatIfHarvest = nullptr;
    QLabel *lblWhatIfMessage = nullptr;
    QLineEdit *txtWhatIfLambda = nullptr;
    QLineEdit *txtWhatIfLambda0 = nullptr; // the model's own
    QLineEdit *txtWhatIfRate = nullptr;
    QLineEdit *txtWhatIfRate0 = nullptr;
    QTableWidget *grdWhatIfDistribution = nullptr;
    QLineEdit *txtWhatIfFrom = nullptr;
    QLineEdit *txtWhatIfTo = nullptr;
    QLabel *lblWhatIfRange = nullptr;
    QChartView *chtWhatIf = nullptr;
    QLabel *lblBreakEven = nullptr;
    QPushButton *cmdWhatIfSave = nullptr;
    QPushButton *cmdWhatIfCompare = nullptr;
    QPushButton *cmdWhatIfReset = nullptr;
    QTableWidget *grdLtre = nullptr;
    QLabel *lblLtre = nullptr;
    QLabel *lblLtreMessage = nullptr;
    QLineSeries *m_sweepSeries = nullptr;
    QLineSeries *m_oneSeries = nullptr;
    QScatterSeries *m_breakEvenSeries = nullptr;
    QScatterSeries *m_nowSeries = nullptr;

    std::vector<WhatIfTarget> m_targets; // one per entry of the list
    std::optional<Variation> m_variation;
    double m_whatIfValue = 1.0;
    double m_sliderTop = 2.0; // the value at the slider's end
    Growth m_original; // the model's own lambda1, r and distribution
    Sweep m_sweep;
    bool m_whatIfStale = true; // the page waits to be shown to be computed
    QString m_lastSweepSaved;

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
