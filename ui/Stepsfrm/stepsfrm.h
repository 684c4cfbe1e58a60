#pragma once

#include "core/state.h"
#include "ui/common/ownedwindow.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

class QPushButton;
class QTableView;

namespace tarnvale::ui {

// The record of the search as a table: one row per entry, the columns step, x1, x2, x3, f(x3)
// and event. It reads the record in place, so that 10,000 entries cost no copy; `refresh` takes
// the record as it is now.
class SearchStepsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit SearchStepsModel(const std::vector<SearchEntry> &record, QObject *parent = nullptr);

    void refresh();
    // Shows `record` from now on, its value column headed `valueCaption` ("f(x3)", "g(x3)").
    void setRecord(const std::vector<SearchEntry> &record, const QString &valueCaption);
    const std::vector<SearchEntry> &record() const { return *m_record; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const std::vector<SearchEntry> *m_record;
    QString m_valueCaption = QStringLiteral("f(x3)");
    // The rows the view was told of; the record may change while the window is hidden.
    int m_rows = 0;
};

// "Search steps": every step of the root search since the last accepted "Try", newest in view,
// with "Back" to the window it was opened from, "Save" as a CSV file and "Print". Closed through
// its frame it goes back there too, and the next "Steps" builds it afresh.
class Stepsfrm : public OwnedWindow
{
    Q_OBJECT
public:
    explicit Stepsfrm(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();

    // Fills the table from the record and remembers the window that "Back" returns to.
    void showRecord(QWidget *cameFrom);
    // The same for another record than the main window's search, its values headed
    // `valueCaption`.
    void showRecord(QWidget *cameFrom, const std::vector<SearchEntry> &record,
                    const QString &valueCaption);

    void Command1_Click(); // Back
    void Command2_Click(); // Save
    void Command3_Click(); // Print
    void Form_Unload() override;

private:
    void buildUi();
    void goBack();

    AnalysisState &m_state;
    SearchStepsModel *m_model = nullptr;
    QPointer<QWidget> m_cameFrom;

    QTableView *Grid1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
};

} // namespace tarnvale::ui
