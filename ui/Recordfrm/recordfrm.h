#pragma once

#include "io/recordlist.h"
#include "ui/common/ownedwindow.h"

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tarnvale::ui {

// The rows of a database file's records: those the filter leaves, in the order of the column
// last clicked. The rows, the filter and the order all come from io/recordlist.h; a change of
// filter or order resets the model, which 10,000 rows of one height take at once.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<RecordRow> rows);
    void setFilter(const QString &filter);
    // The record shown in row `row` of the view.
    const RecordRow &rowAt(int row) const;
    // The row of the view showing record `number`, or -1 where the filter hides it.
    int rowOf(std::size_t number) const;
    std::size_t total() const { return m_rows.size(); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // A column of -1 is the file's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void refilter();

    std::vector<RecordRow> m_rows;
    std::vector<std::size_t> m_order; // every place of m_rows, in the order of the sort
    std::vector<std::size_t> m_shown; // those of m_order the filter leaves
    std::string m_filter;
};

// "Database records": the records of a flat file of COMPADRE or COMADRE, one a row, to choose one
// for "Stage matrix". It keeps the rows' texts only and reads the chosen record again; Back and
// the frame's close return to "Stage matrix".
class Recordfrm : public OwnedWindow
{
    Q_OBJECT
public:
    explicit Recordfrm(WindowOwner &owner, QWidget *parent = nullptr);

    void Form_Load();
    void Form_Unload() override;

    // Lists the records of the database file at `path`; false, with the reader's message shown
    // and the list as it was, when the file cannot be read.
    bool openFile(const QString &path);

    void Text1_Change(); // the filter typed
    void List1_CurrentChange();
    void List1_Reset(); // filtered or sorted anew
    void List1_DblClick(); // a double-click, or Enter in the list or the filter
    void Command1_Click(); // Load
    void Command2_Click(); // Back

private:
    void buildUi();
    // The count, the note on the current record and whether it can be loaded.
    void showCurrent();

    QString m_path;
    RecordListModel *m_model = nullptr;
    std::optional<std::size_t> m_current; // the number of the current record

    QLabel *Label1 = nullptr; // "Filter"
    QLineEdit *Text1 = nullptr;
    QLabel *Label3 = nullptr; // how many records are shown
    QLabel *Label4 = nullptr; // the file
    QTableView *List1 = nullptr;
    QLabel *Label2 = nullptr; // the current record's problem and worrying checks
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};

} // namespace tarnvale::ui
