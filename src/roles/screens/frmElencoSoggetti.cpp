#include "roles/screens/frmElencoSoggetti.h"

#include "app/CommandGating.h"
#include "core/AppState.h"
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
#include <QTableView>
#include <QVBoxLayout>

namespace vx {

frmElencoSoggetti::frmElencoSoggetti(Context& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_list(context), m_model(new RolesModel(this))
{
    setObjectName(QStringLiteral("frmElencoSoggetti"));
    setWindowTitle(QStringLiteral("Nominativi e Ruoli - Richiesta n. %1").arg(m_ctx.state.selected.number));

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
    // Column widths from the shape of their contents, not from the rows: thousands of rows open as
    // quickly as a few.
    const QFontMetrics metrics(m_grid->font());
    const QFontMetrics headerMetrics(m_grid->horizontalHeader()->font());
    const std::span<const RoleColumn> columns = ruoli::columns();
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const int header = headerMetrics.horizontalAdvance(columns[c].caption);
        m_grid->setColumnWidth(c, qMax(header, metrics.horizontalAdvance(columns[c].widthSample)) + 16);
    }
    // Enter on the grid modifies the highlighted row, as a double click does, rather than reaching
    // the dialog's default command.
    m_grid->installEventFilter(this);

    auto* insert =
        namedButton(this, "CmdInsPartner", QStringLiteral("Inserisci"), QStringLiteral("Nuovo soggetto e ruolo"));
    auto* modify =
        namedButton(this, "CmdModPartner", QStringLiteral("Modifica"), QStringLiteral("Modifica la riga evidenziata"));
    auto* remove = namedButton(this, "CmdCancPartner", QStringLiteral("Elimina"),
                               QStringLiteral("Elimina il ruolo della riga evidenziata"));
    auto* exportExcel = namedButton(this, "CmdEsportaExcel", QStringLiteral("Esporta in Excel"));
    auto* exportText = namedButton(this, "CmdEsportaTXT", QStringLiteral("Esporta in TXT"));
    auto* importExcel = namedButton(this, "CmdImportaDaExcel", QStringLiteral("Importa da Excel"));
    auto* importText = namedButton(this, "CmdImportaDaTXT", QStringLiteral("Importa da TXT"));
    auto* batch = namedButton(this, "CmdImportaTutto", QStringLiteral("Elaborazione complessiva"));
    auto* help = namedButton(this, "cmdHelp", QStringLiteral("Aiuto"));
    auto* guide = namedButton(this, "cmdHelp2", QStringLiteral("Guida importazioni"));
    auto* quit = namedButton(this, "cmdEsci", QStringLiteral("Esci"));

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
        layout->addWidget(new QLabel(QStringLiteral("Richiesta stampata in definitivo: i dati si possono solo "
                                                    "consultare."),
                                     this));
    layout->addWidget(m_grid, 1);
    layout->addLayout(commands);
    layout->addLayout(bottom);
    resize(1000, 600);

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
    m_model->load(m_ctx.db, m_ctx.state.selected.number);
    if (m_model->rowCount() > 0)
        m_grid->selectRow(0);
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
