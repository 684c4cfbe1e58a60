#pragma once

#include "core/lifecyclegraph.h"
#include "core/stageeditor.h"
#include "core/stagesearch.h"
#include "ui/common/ownedwindow.h"

#include <QAbstractTableModel>

#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QChart;
class QChartView;
class QComboBox;
class QGraphicsItem;
class QGraphicsScene;
class QGraphicsView;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace tarnvale {
struct CompadreRecord;
}

namespace tarnvale::ui {

// One grid of the stage-matrix editor over the editor's state itself: a 500 x 500 grid costs no
// copy. A cell that does not read as a number is red; A while split is read-only and grey. The
// headers show the stage names, columns "from" and rows "to".
class StageGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    StageGridModel(StageEditor &editor, StagePart part, QObject *parent = nullptr);

    StagePart part() const { return m_part; }
    // The editor changed size or shape: the whole grid anew.
    void refresh();
    // The cells from (top, left) to (bottom, right) changed.
    void cellsChanged(int top, int left, int bottom, int right);
    void namesChanged();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // A cell was typed into.
    void edited(int row, int column);

private:
    StageEditor &m_editor;
    StagePart m_part;
    int m_stages = 0; // the size the view was told of
};

// "Stage matrix": the editor of a stage-classified (Lefkovitch) projection matrix, its life-cycle
// graph, and lambda by hand on g(x) = det(I - A/x). The model lives in the owner, so that a close
// through the frame (back to the main window, as OwnedWindow does) loses nothing; every rule and
// number comes from the core.
class Stagefrm : public OwnedWindow
{
    Q_OBJECT
public:
    explicit Stagefrm(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();

    void Command1_Click(); // Try
    void Command2_Click(); // Bisection
    void Command3_Click(); // Exchange
    void Command4_Click(); // Open...
    void Command5_Click(); // Save...
    void Command6_Click(); // Further analysis
    void Command7_Click(); // Steps
    void Command8_Click(); // Back
    void Check1_Click(); // Split into U and F
    void Check2_Click(); // Show elasticities
    void Combo1_Click(int index); // Examples
    void Text7_Change(); // Stages
    void Text1_Change(); // x1 typed
    void Text9_Change(); // a stage's name typed
    void Grid_Change(StagePart part, int row, int column);
    void Grid_Paste(StagePart part);
    void Grid_Copy(StagePart part);
    void Grid_CurrentChange(StagePart part, int column);
    void Graph_Print();
    void Graph_SavePicture();

    // Fills "Examples" with the stage matrices (StageM-*.csv) of `folder`.
    void listExamples(const QString &folder);
    // Reads a matrix file; false, with the reader's message shown, when it is refused.
    bool openMatrixFile(const QString &path);
    // Takes a database record that has a model (RecordModelToEdit), and says under the grid
    // where it comes from and which of its checks are worrying.
    void loadRecord(const CompadreRecord &record);

    // lambda1 of the matrix, once the search has ended.
    std::optional<double> lambda1() const { return m_lambda1; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    QWidget *buildEditor();
    QWidget *buildSearch();
    void connectHandlers();
    QTableView *makeGrid(StagePart part, const char *name);
    StageGridModel *modelOf(StagePart part) const;
    QTableView *gridOf(StagePart part) const;
    // After the shape of the model changed (size, split, a file): every grid and control anew.
    void showEditor();
    // What every edit does: the search and lambda1 are withdrawn, the line under the grid, the
    // buttons and the graph follow the cells.
    void matrixChanged();
    // The line under the grid on the record the model came from (empty: none), kept by the
    // owner across a close.
    void showRecordNote(const std::string &note);
    void clearSearch();
    void updateButtons();
    void drawGraph();
    QList<QGraphicsItem *> drawArrow(const GraphArrow &arrow, const LifeCycleGraph &graph);
    void drawNode(const GraphNode &node);
    void fitGraph();
    void drawChart();
    const StageCharacteristic &characteristic();
    BracketTexts bracketTexts() const;
    void startNameEdit(QWidget *header, Qt::Orientation orientation, int section);
    void renameStage(int stage, const QString &name);

    StageEditor &m_editor;
    StageSearch &m_search;
    std::optional<StageCharacteristic> m_characteristic; // of the current matrix, when needed
    std::optional<double> m_lambda1;
    std::optional<SquareMatrix> m_elasticity;
    bool m_canBisect = false;
    bool m_canExchange = false;
    int m_nameStage = 0; // the stage Text9 names
    QLineEdit *m_headerEditor = nullptr;
    int m_headerStage = -1;

    // The editor.
    QLabel *Label6 = nullptr; // help
    QLabel *Label7 = nullptr; // "Stages"
    QSpinBox *Text7 = nullptr;
    QLabel *Label9 = nullptr; // "Stage name"
    QLineEdit *Text9 = nullptr;
    QCheckBox *Check1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label8 = nullptr; // rows and columns
    QGridLayout *m_gridLayout = nullptr;
    std::array<QLabel *, 4> m_captions {}; // A, U, F, C
    std::array<QTableView *, 4> m_grids {}; // Grid1 (A), Grid2 (U), Grid3 (F), Grid4 (C)
    std::array<StageGridModel *, 4> m_models {};
    QLabel *Label3 = nullptr; // the first cell that is not a number
    QLabel *Label16 = nullptr; // the database record the model came from

    // The life-cycle graph.
    QCheckBox *Check2 = nullptr;
    QGraphicsView *Picture1 = nullptr;
    QGraphicsScene *m_scene = nullptr;
    std::optional<LifeCycleGraph> m_drawnGraph; // what the scene shows
    // The items of each arrow drawn, by its ends, kind and rank among arrows of the same ends.
    using ArrowKey = std::tuple<int, int, int, int>;
    struct DrawnArrow
    {
        GraphArrow arrow;
        QList<QGraphicsItem *> items;
    };
    std::map<ArrowKey, DrawnArrow> m_arrowItems;

    // Lambda by hand.
    QGroupBox *Frame1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLineEdit *Text8 = nullptr; // lambda1
    QLabel *Label1 = nullptr; // verdict of Try
    QLabel *Label2 = nullptr; // the end of the search
    QLabel *Label5 = nullptr; // another root
    QChartView *MSChart1 = nullptr;
    QChart *m_chart = nullptr;

    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
};

} // namespace tarnvale::ui
