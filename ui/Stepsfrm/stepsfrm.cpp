#include "ui/Stepsfrm/stepsfrm.h"

#include "core/searchrecord.h"
#include "io/searchsteps.h"
#include "ui/common/controls.h"
#include "ui/common/dialogs.h"
#include "ui/windowowner.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <array>

namespace tarnvale::ui {

namespace {

const std::array<const char *, 6> kColumns = {"step", "x1", "x2", "x3", "f(x3)", "event"};

} // namespace

SearchStepsModel::SearchStepsModel(const std::vector<SearchEntry> &record, QObject *parent)
    : QAbstractTableModel(parent)
    , m_record(&record)
{
}

void SearchStepsModel::setRecord(const std::vector<SearchEntry> &record,
                                 const QString &valueCaption)
{
    beginResetModel();
    m_record = &record;
    m_valueCaption = valueCaption;
    m_rows = static_cast<int>(record.size());
    endResetModel();
}

void SearchStepsModel::refresh()
{
    beginResetModel();
    m_rows = static_cast<int>(m_record->size());
    endResetModel();
}

int SearchStepsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int SearchStepsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant SearchStepsModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= static_cast<int>(m_record->size()))
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == 5 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const SearchEntry &entry = (*m_record)[row];
    switch (index.column()) {
    case 0:
        return entry.step;
    case 1:
        return qs(entry.x1);
    case 2:
        return qs(entry.x2);
    case 3:
        return qs(entry.x3);
    case 4:
        return qs(entry.fx3);
    default:
        return qs(SearchEventText(entry.event));
    }
}

QVariant SearchStepsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0
        || section >= static_cast<int>(kColumns.size()))
        return {};
    return section == 4 ? m_valueCaption : QString::fromLatin1(kColumns[section]);
}

Stepsfrm::Stepsfrm(WindowOwner &owner, QWidget *parent)
    : OwnedWindow(owner, parent)
    , m_state(owner.state())
{
    buildUi();
    connect(Command1, &QPushButton::clicked, this, &Stepsfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Stepsfrm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Stepsfrm::Command3_Click);
}

void Stepsfrm::buildUi()
{
    setObjectName(QStringLiteral("Stepsfrm"));
    setWindowTitle(QStringLiteral("Search steps"));
    setFont(TimesFont(12));
    resize(900, 520);

    m_model = new SearchStepsModel(m_state.SearchRecord, this);
    Grid1 = new QTableView(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setModel(m_model);
    Grid1->setFont(TimesFont(12));
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setTabKeyNavigation(false);
    Grid1->setAlternatingRowColors(true);
    Grid1->verticalHeader()->hide();
    // Rows of one height and columns of fixed widths: thousands of rows are laid out without
    // measuring each one.
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid1->verticalHeader()->setDefaultSectionSize(Grid1->fontMetrics().height() + 6);
    const int digit = Grid1->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[] = {6, 17, 17, 17, 22};
    for (int column = 0; column < 5; ++column)
        Grid1->setColumnWidth(column, widths[column] * digit);
    Grid1->horizontalHeader()->setStretchLastSection(true);
    Grid1->setAccessibleName(QStringLiteral("Steps of the search"));

    // The layout places the buttons.
    Command1 = MakeButton(this, "Command1", {}, QStringLiteral("Back"),
                          QStringLiteral("Back to the window you came from"), true);
    Command2 = MakeButton(this, "Command2", {}, QStringLiteral("Save"),
                          QStringLiteral("Save the steps to a CSV file"), true);
    Command3 = MakeButton(this, "Command3", {}, QStringLiteral("Print"),
                          QStringLiteral("Print this page"), true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    buttons->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Grid1);
    layout->addLayout(buttons);

    NameButtonsByCaption(this);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Grid1);
}

void Stepsfrm::Form_Load()
{
    m_model->refresh();
    Command1->setFocus();
}

void Stepsfrm::showRecord(QWidget *cameFrom)
{
    showRecord(cameFrom, m_state.SearchRecord, QStringLiteral("f(x3)"));
}

void Stepsfrm::showRecord(QWidget *cameFrom, const std::vector<SearchEntry> &record,
                          const QString &valueCaption)
{
    m_cameFrom = cameFrom;
    m_model->setRecord(record, valueCaption);
    Grid1->scrollToBottom();
    if (m_model->rowCount() > 0)
        Grid1->setCurrentIndex(m_model->index(m_model->rowCount() - 1, 0));
    Command1->setFocus();
}

void Stepsfrm::goBack()
{
    hide();
    if (m_cameFrom)
        m_owner.showWindow(m_cameFrom);
    else
        m_owner.showForm1();
}

void Stepsfrm::Command1_Click()
{
    goBack();
}

void Stepsfrm::Form_Unload()
{
    goBack();
}

void Stepsfrm::Command2_Click()
{
    const QString chosen = m_owner.dialogs().chooseSaveFile(QStringLiteral("Save the search steps"),
                                                            QStringLiteral("CSV files (*.csv)"));
    if (chosen.isEmpty())
        return;
    const std::string error
        = SaveSearchSteps(m_model->record(), QFile::encodeName(chosen).toStdString());
    if (!error.empty())
        m_owner.dialogs().inform(QStringLiteral("Save"), qs(error));
}

void Stepsfrm::Command3_Click()
{
    m_owner.printWindow(this);
}

} // namespace tarnvale::ui
