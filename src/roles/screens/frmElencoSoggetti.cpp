#include "roles/screens/frmElencoSoggetti.h"

#include "app/CommandGating.h"
#include "core/AppState.h"
#include "roles/Messages.h"
#include "roles/RoleColumns.h"
#include "roles/RoleTransfer.h"
#include "roles/screens/FrmPartner.h"
#include "ui/NamedButton.h"
#include "ui/WaitCursor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace vx {

frmElencoSoggetti::frmElencoSoggetti(Context& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_list(context), m_model(new RolesModel(this))
{
    setObjectName(QStringLiteral("frmElencoSoggetti"));
    setWindowTitle(msg::roles::listTitle(m_ctx.state.selected.number));

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("GrdPartner"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    // Columns take the width of what they show (refresh(), fitColumns()).
    // Enter on the grid modifies the highlighted row, as a double click does, rather than reaching
    // the dialog's default command.
    m_grid->installEventFilter(this);

    using msg::roles::ListCommand;
    const auto button = [this](const char* name, ListCommand command) {
        const msg::roles::Command c = msg::roles::listCommand(command);
        return namedButton(this, name, c.caption, c.tip);
    };
    auto* insert = button("CmdInsPartner", ListCommand::Insert);
    auto* modify = button("CmdModPartner", ListCommand::Modify);
    auto* remove = button("CmdCancPartner", ListCommand::Delete);
    auto* exportExcel = button("CmdEsportaExcel", ListCommand::ExportSheet);
    auto* exportText = button("CmdEsportaTXT", ListCommand::ExportText);
    auto* importExcel = button("CmdImportaDaExcel", ListCommand::ImportSheet);
    auto* importText = button("CmdImportaDaTXT", ListCommand::ImportText);
    auto* batch = button("CmdImportaTutto", ListCommand::Batch);
    auto* help = button("cmdHelp", ListCommand::Help);
    auto* guide = button("cmdHelp2", ListCommand::Guide);
    auto* quit = button("cmdEsci", ListCommand::Exit);

    const bool editable = m_list.editable();
    insert->setEnabled(editable);
    remove->setEnabled(editable);
    batch->setVisible(m_ctx.state.reservedMode);

    connect(insert, &QPushButton::clicked, this, &frmElencoSoggetti::insertRole);
    connect(modify, &QPushButton::clicked, this, &frmElencoSoggetti::modifyRole);
    connect(m_grid, &QTableView::doubleClicked, this, &frmElencoSoggetti::modifyRole);
    connect(remove, &QPushButton::clicked, this, &frmElencoSoggetti::deleteRole);
    const auto transfer = [this](auto command, RoleTransfer::Format format) {
        return [this, command, format] {
            RoleTransfer t(m_ctx);
            (t.*command)(format);
            refresh();
            // Back to the first column, wherever the user had scrolled before the file was made.
            m_grid->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->minimum());
        };
    };
    connect(exportExcel, &QPushButton::clicked, this,
            transfer(&RoleTransfer::exportCommand, RoleTransfer::Format::Sheet));
    connect(exportText, &QPushButton::clicked, this,
            transfer(&RoleTransfer::exportCommand, RoleTransfer::Format::Text));
    connect(importExcel, &QPushButton::clicked, this,
            transfer(&RoleTransfer::importCommand, RoleTransfer::Format::Sheet));
    connect(importText, &QPushButton::clicked, this,
            transfer(&RoleTransfer::importCommand, RoleTransfer::Format::Text));
    connect(batch, &QPushButton::clicked, this, [this] { m_list.batchListing(); });
    connect(help, &QPushButton::clicked, this, [this] { m_list.help(kHelpTopic); });
    connect(guide, &QPushButton::clicked, this, [this] { m_list.guide(); });
    connect(quit, &QPushButton::clicked, this, &QDialog::accept);

    auto* commands = new QGridLayout;
    commands->addWidget(insert, 0, 0);
    commands->addWidget(modify, 0, 1);
    commands->addWidget(remove, 0, 2);
    commands->addWidget(exportExcel, 1, 0);
    commands->addWidget(exportText, 1, 1);
    commands->addWidget(importExcel, 2, 0);
    commands->addWidget(importText, 2, 1);
    commands->addWidget(batch, 2, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addWidget(guide);
    bottom->addStretch();
    bottom->addWidget(quit);
    auto* layout = new QVBoxLayout(this);
    if (!editable)
        layout->addWidget(new QLabel(msg::roles::printedNotice(), this));
    layout->addWidget(m_grid, 1);
    layout->addLayout(commands);
    layout->addLayout(bottom);
    // As large as the main window it opens over, and resizable: wide rows need no scrolling there.
    setSizeGripEnabled(true);
    const QWidget* main = parent ? parent->window() : nullptr;
    resize(main ? main->size().expandedTo(QSize(800, 500)) : QSize(1000, 600));

    refresh();
}

bool frmElencoSoggetti::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            modifyRole();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmElencoSoggetti::refresh()
{
    WaitCursor wait;
    m_list.load(*m_model);
    fitColumns();
    if (m_model->rowCount() > 0)
        m_grid->selectRow(0);
}

void frmElencoSoggetti::fitColumns()
{
    // As resizeColumnsToContents does, but measured on the rows with the longest texts of each
    // column rather than row after row: thousands of rows open at once, and a wide text far down
    // the list still gets its width.
    constexpr int kMeasured = 8;
    QHeaderView* header = m_grid->horizontalHeader();
    const int grid = m_grid->showGrid() ? 1 : 0;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int width = header->sectionSizeHint(c);
        for (int row : m_model->longestRows(c, kMeasured))
            width = qMax(width, m_grid->sizeHintForIndex(m_model->index(row, c)).width() + grid);
        header->resizeSection(c, width);
    }
}

int frmElencoSoggetti::currentRow() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void frmElencoSoggetti::openCard(RoleKey key)
{
    FrmPartner card(m_ctx, key, this);
    if (card.opened())
        card.exec();
    refresh();
    // Back on the row just saved, when there is one.
    const QList<RolePerson>& rows = m_model->rows();
    for (int i = 0; !key.isNew() && i < rows.size(); ++i) {
        if (RoleKey::of(rows[i]) == key) {
            m_grid->selectRow(i);
            m_grid->scrollTo(m_model->index(i, 0));
            break;
        }
    }
}

void frmElencoSoggetti::insertRole()
{
    openCard(RoleKey());
}

void frmElencoSoggetti::modifyRole()
{
    RoleKey key;
    if (m_list.keyToModify(m_model->rows(), currentRow(), key))
        openCard(key);
}

void frmElencoSoggetti::deleteRole()
{
    const int row = currentRow();
    if (m_list.remove(m_model->rows(), row)) {
        refresh();
        if (row > 0 && row < m_model->rowCount())
            m_grid->selectRow(row);
    }
}

} // namespace vx
