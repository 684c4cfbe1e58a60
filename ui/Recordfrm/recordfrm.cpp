#include "ui/Recordfrm/recordfrm.h"

#include "ui/common/controls.h"
#include "ui/common/dialogs.h"
#include "ui/windowowner.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tarnvale::ui {

namespace {

constexpr double kPoints = 11;
const QColor kWarning(190, 110, 0);

// The width of each column, in widths of "0"; the problem takes what is left.
constexpr int kColumnWidths[kRecordColumnCount] = {24, 20, 24, 6, 7, 8, 17, 7, 30};

RecordColumn columnAt(int section)
{
    return static_cast<RecordColumn>(section);
}

bool isNumberColumn(RecordColumn column)
{
    return column == RecordColumn::Year || column == RecordColumn::Stages
        || column == RecordColumn::Interval || column == RecordColumn::Lambda1;
}

} // namespace

// ----- The list -----

void RecordListModel::setRows(std::vector<RecordRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_order = RecordRowOrder(m_rows, std::nullopt, false);
    m_shown = FilterRecordRows(m_rows, m_order, m_filter);
    endResetModel();
}

void RecordListModel::setFilter(const QString &filter)
{
    m_filter = filter.toStdString();
    refilter();
}

void RecordListModel::sort(int column, Qt::SortOrder order)
{
    const std::optional<RecordColumn> by = column >= 0 && column < columnCount()
        ? std::optional<RecordColumn>(columnAt(column))
        : std::nullopt;
    m_order = RecordRowOrder(m_rows, by, order == Qt::DescendingOrder);
    refilter();
}

void RecordListModel::refilter()
{
    beginResetModel();
    m_shown = FilterRecordRows(m_rows, m_order, m_filter);
    endResetModel();
}

const RecordRow &RecordListModel::rowAt(int row) const
{
    return m_rows[m_shown[static_cast<std::size_t>(row)]];
}

int RecordListModel::rowOf(std::size_t number) const
{
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        if (m_rows[m_shown[i]].number == number)
            return static_cast<int>(i);
    return -1;
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(kRecordColumnCount);
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const RecordRow &row = rowAt(index.row());
    const RecordColumn column = columnAt(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return qs(row.text(column));
    case Qt::ToolTipRole:
        if (column == RecordColumn::Checks && !row.worrying.empty())
            return QStringLiteral("Worrying checks: ") + qs(row.worrying);
        return row.text(column).empty() ? QVariant() : QVariant(qs(row.text(column)));
    case Qt::TextAlignmentRole:
        if (column == RecordColumn::Checks)
            return QVariant(Qt::AlignCenter);
        return QVariant((isNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft)
                        | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (column == RecordColumn::Problem)
            return kRed;
        return column == RecordColumn::Checks ? QVariant(kWarning) : QVariant();
    default:
        return {};
    }
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const std::string_view title = RecordColumnTitles()[static_cast<std::size_t>(section)];
    const RecordColumn column = columnAt(section);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    // Over its column's texts.
    if (role == Qt::TextAlignmentRole)
        return QVariant((column == RecordColumn::Checks ? Qt::AlignHCenter
                             : isNumberColumn(column)   ? Qt::AlignRight
                                                        : Qt::AlignLeft)
                        | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Sort by this column (a third click: the file's order)");
    return {};
}

// ----- The window -----

Recordfrm::Recordfrm(WindowOwner &owner, QWidget *parent)
    : OwnedWindow(owner, parent)
{
    buildUi();
    connect(Text1, &QLineEdit::textChanged, this, &Recordfrm::Text1_Change);
    connect(Text1, &QLineEdit::returnPressed, this, &Recordfrm::List1_DblClick);
    connect(List1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &Recordfrm::List1_CurrentChange);
    connect(m_model, &QAbstractItemModel::modelReset, this, &Recordfrm::List1_Reset);
    connect(List1, &QTableView::activated, this, &Recordfrm::List1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &Recordfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Recordfrm::Command2_Click);
}

void Recordfrm::buildUi()
{
    setObjectName(QStringLiteral("Recordfrm"));
    setWindowTitle(QStringLiteral("Database records"));
    setFont(TimesFont(kPoints));
    SetBackColor(this, kWhite);
    resize(1180, 620);
    auto *page = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    Label1 = MakeLabel(this, "Label1", {}, kPoints, QStringLiteral("Filter"));
    Text1 = MakeTextBox(this, "Text1", {}, kPoints, false, false, QString());
    Text1->setToolTip(
        QStringLiteral("Shows the records that hold this text in one of their columns"));
    Text1->setPlaceholderText(QStringLiteral("species, name, authors, year, check…"));
    Label3 = MakeLabel(this, "Label3", {}, kPoints, QString());
    Label4 = MakeLabel(this, "Label4", {}, kPoints, QString());
    Label4->setFont(TimesFont(kPoints, false, true));
    top->addWidget(Label1);
    top->addWidget(Text1, 2);
    top->addSpacing(12);
    top->addWidget(Label3);
    top->addStretch(1);
    top->addWidget(Label4);
    page->addLayout(top);

    m_model = new RecordListModel(this);
    List1 = new QTableView(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setModel(m_model);
    List1->setFont(TimesFont(kPoints));
    List1->setSelectionBehavior(QAbstractItemView::SelectRows);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setTabKeyNavigation(false);
    List1->setWordWrap(false);
    List1->setAlternatingRowColors(true);
    List1->setTextElideMode(Qt::ElideRight);
    // Rows of one height: 10,000 of them are laid out without measuring any.
    const QFontMetrics metrics(List1->font());
    List1->verticalHeader()->hide();
    List1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    List1->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    QHeaderView *header = List1->horizontalHeader();
    header->setHighlightSections(false);
    for (std::size_t i = 0; i < kRecordColumnCount; ++i)
        header->resizeSection(static_cast<int>(i),
                              kColumnWidths[i] * metrics.horizontalAdvance(QLatin1Char('0')));
    header->setStretchLastSection(true);
    // The file's order until a column is clicked, and again after a third click.
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    List1->setSortingEnabled(true);
    List1->setAccessibleName(QStringLiteral("Records"));
    page->addWidget(List1, 1);

    Label2 = MakeLabel(this, "Label2", {}, kPoints, QString());
    Label2->setWordWrap(true);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SetForeColor(Label2, kRed);
    page->addWidget(Label2);

    Command1 = MakeButton(this, "Command1", {}, QStringLiteral("Load"),
                          QStringLiteral("Load the record into the stage matrix"), true);
    Command2 = MakeButton(this, "Command2", {}, QStringLiteral("Back"),
                          QStringLiteral("Back to the stage matrix"), true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    page->addLayout(buttons);

    NameBoxByLabel(Text1, Label1);
    NameButtonsByCaption(this);
    setTabOrder(Text1, List1);
    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command2);
}

void Recordfrm::Form_Load()
{
    showCurrent();
}

void Recordfrm::Form_Unload()
{
    hide();
    m_owner.showStagefrm();
}

bool Recordfrm::openFile(const QString &path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RecordList list = ReadRecordList(QFile::encodeName(path).toStdString());
    QApplication::restoreOverrideCursor();
    if (!list.ok) {
        m_owner.dialogs().inform(QStringLiteral("Open"), qs(list.message));
        return false;
    }
    m_path = path;
    Label4->setText(QFileInfo(path).fileName());
    Label4->setToolTip(path);
    m_current.reset();
    {
        // The filter of another file would hide its records unasked.
        const QSignalBlocker blocker(Text1);
        Text1->clear();
        m_model->setFilter(QString());
    }
    m_model->setRows(std::move(list.rows));
    Text1->setFocus();
    return true;
}

void Recordfrm::Text1_Change()
{
    m_model->setFilter(Text1->text());
}

void Recordfrm::List1_Reset()
{
    // The current record stays current where the filter leaves it, else the first row becomes.
    int row = m_current ? m_model->rowOf(*m_current) : -1;
    if (row < 0 && m_model->rowCount() > 0)
        row = 0;
    if (row >= 0) {
        List1->setCurrentIndex(m_model->index(row, 0));
        List1->scrollTo(List1->currentIndex());
    } else {
        m_current.reset();
    }
    showCurrent();
}

void Recordfrm::List1_CurrentChange()
{
    const QModelIndex current = List1->currentIndex();
    if (current.isValid())
        m_current = m_model->rowAt(current.row()).number;
    showCurrent();
}

void Recordfrm::showCurrent()
{
    Label3->setText(
        qs(RecordCountText(static_cast<std::size_t>(m_model->rowCount()), m_model->total())));
    const QModelIndex current = List1->currentIndex();
    const RecordRow *row = current.isValid() ? &m_model->rowAt(current.row()) : nullptr;
    Command1->setEnabled(row && row->loadable());
    Label2->setText(row ? qs(RecordRowNoteText(*row)) : QString());
    SetForeColor(Label2, row && !row->loadable() ? kRed : kWarning);
    // A disabled button cannot keep the focus.
    if (focusWidget() == Command1 && !Command1->isEnabled())
        List1->setFocus();
}

void Recordfrm::List1_DblClick()
{
    if (Command1->isEnabled())
        Command1_Click();
}

void Recordfrm::Command1_Click()
{
    const QModelIndex current = List1->currentIndex();
    if (!current.isValid())
        return;
    const ListedRecord read
        = ReadListedRecord(QFile::encodeName(m_path).toStdString(), m_model->rowAt(current.row()));
    if (!read.ok) {
        m_owner.dialogs().inform(QStringLiteral("Load"), qs(read.message));
        return;
    }
    hide();
    m_owner.loadStageRecord(*read.record);
}

void Recordfrm::Command2_Click()
{
    Form_Unload();
}

} // namespace tarnvale::ui
