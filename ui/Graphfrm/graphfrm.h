#pragma once

#include "core/state.h"
#include "ui/common/ownedwindow.h"

#include <string>

class QAbstractSeries;
class QChart;
class QChartView;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnvale::ui {

// The graph window: the characteristic equation, the curve of f(x) over a typed range or the
// stable age distribution as bars in one chart, and the buttons that save the charted numbers,
// print the window, or leave it. Closed through its frame it goes back to the main window.
class Graphfrm : public OwnedWindow
{
    Q_OBJECT
public:
    explicit Graphfrm(WindowOwner &owner, QWidget *parent = nullptr);

    // Runs when the window is created, and again when it is rebuilt after a close.
    void Form_Load();

    void Command1_Click(); // Plot
    void Command2_Click(); // Quit
    void Command3_Click(); // Back
    void Command4_Click(); // Print
    void Command5_Click(); // Save
    void Command6_Click(); // SAD
    void Command7_Click(); // Steps

    // The chart: the curve of the last Plot, or the bars of the stable age distribution.
    void ShowGraph();
    void ShowSAD();

    // What the other windows do to this one: "Graph" on the main window offers Plot and the
    // equation; an accepted root offers SAD; a changed matrix cell withdraws SAD and the chart.
    void enablePlot();
    void showEquation(const std::string &equation);
    void setSADEnabled(bool enabled);
    void cellChanged();

protected:
    // The search may have gone on while the window was hidden.
    void showEvent(QShowEvent *event) override;

private:
    void buildUi();
    void connectHandlers();
    void clearChart();
    // Marks the points of the search, the bracket and the accepted root over the curve.
    void drawSearch();

    AnalysisState &m_state;

    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QChartView *MSChart1 = nullptr;
    QChart *m_chart = nullptr;
    QLabel *label1 = nullptr;
    QLineEdit *txtx1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtx2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtstepx = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QLabel *Label4 = nullptr; // what of the search the chart leaves out

    bool m_showsCurve = false;
    QList<QAbstractSeries *> m_searchSeries;
};

} // namespace tarnvale::ui
