#include "roles/screens/RolesListScreen.h"

#include "core/AppState.h"
#include "roles/Messages.h"
#include "roles/RoleColumns.h"
#include "roles/RoleTransfer.h"
#include "roles/screens/PersonCardScreen.h"
#include "ui/NamedButton.h"
#include "ui/WaitCursor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace vx {

RolesListScreen::RolesListScreen(Context& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_list(context), m_model(new RolesModel(this)),
      m_shown(new RolesShown(*m_model, this)), m_filter(new RolesFilter(this))
{
    setObjectName(QStringLiteral("frmElencoSoggetti"));
    setWindowTitle(msg::roles::listTitle(m_ctx.state.selected.number));

    m_filter->setSourceModel(m_shown);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("GrdPartner"));
    m_grid->setAccessibleName(msg::roles::listTitle(m_ctx.state.selected.number));
    m_grid->setModel(m_filter);
    // Sorted by the heading the user clicks; the names' order until then.
    m_grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_grid->setSortingEnabled(true);
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->hide(); // row numbers say nothing of a person, and take width
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setTextElideMode(Qt::ElideRight);
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

    connect(insert, &QPushButton::clicked, this, &RolesListScreen::insertRole);
    connect(modify, &QPushButton::clicked, this, &RolesListScreen::modifyRole);
    connect(m_grid, &QTableView::doubleClicked, this, &RolesListScreen::modifyRole);
    connect(remove, &QPushButton::clicked, this, &RolesListScreen::deleteRole);
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
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("txtCerca"));
    m_search->setPlaceholderText(msg::roles::text(msg::roles::Text::ListSearchHint));
    m_search->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(msg::roles::text(msg::roles::Text::ListSearchLabel), this);
    searchLabel->setBuddy(m_search);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblConteggio"));
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setSearch(text);
        showCount();
    });
    auto* top = new QHBoxLayout;
    top->addWidget(searchLabel);
    top->addWidget(m_search, 1);
    top->addSpacing(24);
    top->addWidget(m_count);

    auto* layout = new QVBoxLayout(this);
    if (!editable)
        layout->addWidget(new QLabel(msg::roles::text(msg::roles::Text::PrintedNotice), this));
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(commands);
    layout->addLayout(bottom);
    // As wide as the screen allows (a person's row is long), as high as the main window it opens
    // over, centred on that window and kept inside the screen; resizable.
    setSizeGripEnabled(true);
    const QWidget* main = parent ? parent->window() : nullptr;
    const QScreen* screen = main ? main->screen() : this->screen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    QSize size(free.width() - 32, main ? main->height() - 32 : 600);
    // At least a usable size, but never more than the screen (a small or scaled one).
    size = size.expandedTo(QSize(640, 400)).boundedTo(free.size() - QSize(32, 64));
    resize(size);
    if (main) {
        QRect placed(QPoint(), size);
        placed.moveCenter(main->geometry().center());
        placed.moveLeft(qMax(free.left() + 8, qMin(placed.left(), free.right() - 8 - size.width())));
        placed.moveTop(qMax(free.top() + 8, qMin(placed.top(), free.bottom() - 8 - size.height())));
        move(placed.topLeft());
    }

    refresh();
}

bool RolesListScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            modifyRole();
            return true;
        }
        // Delete deletes the highlighted row's role, after its question, as the command does.
        if (key == Qt::Key_Delete && m_list.editable()) {
            deleteRole();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RolesListScreen::refresh()
{
    WaitCursor wait;
    m_list.load(*m_model);
    fitColumns();
    showCount();
    if (m_filter->rowCount() > 0)
        m_grid->selectRow(0);
}

void RolesListScreen::showCount()
{
    m_count->setText(msg::roles::listCount(m_filter->rowCount(), m_model->rowCount()));
}

void RolesListScreen::fitColumns()
{
    // As resizeColumnsToContents does, but measured on the longest texts of each column rather than
    // row after row: thousands of rows open at once, and a wide text far down the list still gets
    // its width. A column never takes more than a fifth of the screen's width: a long site name
    // or address is shown shortened, whole in its tooltip.
    constexpr int kMeasured = 8;
    QHeaderView* header = m_grid->horizontalHeader();
    const QFontMetrics metrics = m_grid->fontMetrics();
    const int padding = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1) +
                        (m_grid->showGrid() ? 1 : 0) + 4;
    const QScreen* screen = this->screen();
    const int widest = screen ? screen->availableGeometry().width() / 5 : 256;
    // The e-mail, the one column a row may leave shortened, gives way to the others; so does the
    // site, whose number comes first.
    const int widestEmail = widest * 2 / 3;
    const int widestSite = widest * 2 / 3;
    const int rows = m_shown->rowCount();
    for (int c = 0; c < RolesShown::ColumnCount; ++c) {
        QList<QPair<qsizetype, int>> longest; // (length, row), longest first
        for (int row = 0; row < rows; ++row) {
            const qsizetype length = m_shown->textLength(row, c);
            if (longest.size() == kMeasured && length <= longest.last().first)
                continue;
            if (longest.size() == kMeasured)
                longest.removeLast();
            qsizetype at = longest.size();
            while (at > 0 && longest[at - 1].first < length)
                --at;
            longest.insert(at, {length, row});
        }
        int width = header->sectionSizeHint(c);
        for (const auto& [length, row] : longest)
            width = qMax(width, metrics.horizontalAdvance(m_shown->text(row, c)) + padding);
        const int cap = c == RolesShown::Email ? widestEmail : c == RolesShown::Sede ? widestSite : widest;
        header->resizeSection(c, qMin(width, qMax(cap, header->sectionSizeHint(c))));
    }
}

int RolesListScreen::currentRow() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : m_filter->mapToSource(rows.first()).row();
}

void RolesListScreen::selectModelRow(int row)
{
    const QModelIndex shown = m_filter->mapFromSource(m_shown->index(row, 0));
    if (!shown.isValid())
        return;
    m_grid->selectRow(shown.row());
    m_grid->scrollTo(shown);
}

void RolesListScreen::openCard(RoleKey key)
{
    PersonCardScreen card(m_ctx, key, this);
    if (card.opened())
        card.exec();
    refresh();
    // Back on the row just saved, when there is one.
    const QList<RolePerson>& rows = m_model->rows();
    for (int i = 0; !key.isNew() && i < rows.size(); ++i) {
        if (RoleKey::of(rows[i]) == key) {
            selectModelRow(i);
            break;
        }
    }
}

void RolesListScreen::insertRole()
{
    openCard(RoleKey());
}

void RolesListScreen::modifyRole()
{
    RoleKey key;
    if (m_list.keyToModify(m_model->rows(), currentRow(), key))
        openCard(key);
}

void RolesListScreen::deleteRole()
{
    const QModelIndexList selected = m_grid->selectionModel()->selectedRows();
    const int shownRow = selected.isEmpty() ? -1 : selected.first().row();
    if (m_list.remove(m_model->rows(), currentRow())) {
        refresh();
        // On the row that took its place.
        if (shownRow > 0 && shownRow < m_filter->rowCount())
            m_grid->selectRow(shownRow);
    }
}

} // namespace vx
