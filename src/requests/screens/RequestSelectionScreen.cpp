#include "requests/screens/RequestSelectionScreen.h"

#include "assist/screens/AssistanceEmailScreen.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Messages.h"
#include "net/Exchange.h"
#include "requests/Messages.h"
#include "requests/screens/AlternativeIdentityScreen.h"
#include "requests/screens/RequestNumberWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace vx {

// The program's control, passed through, whose hourglass also shows the wait panel and disables
// the commands.
class RequestSelectionScreen::WaitControl : public AppControl {
public:
    WaitControl(AppControl& control, std::function<void(bool)> waiting)
        : m_control(control), m_waiting(std::move(waiting))
    {
    }
    void endProgram() override
    {
        AppControl::endProgram();
        m_control.endProgram();
    }
    void setBusy(bool busy) override
    {
        AppControl::setBusy(busy);
        m_control.setBusy(busy);
        if (busyDepth() == (busy ? 1 : 0))
            m_waiting(busy);
    }

private:
    AppControl& m_control;
    std::function<void(bool)> m_waiting;
};

RequestSelectionScreen::RequestSelectionScreen(Context& context, QWidget* parent)
    : QDialog(parent), m_ctx(context),
      m_waitControl(std::make_unique<WaitControl>(context.control, [this](bool waiting) { setWaiting(waiting); })),
      m_selectionContext{context.state, context.db, context.prompter, *m_waitControl, context.desktop, context.clock},
      m_selection(m_selectionContext),
      m_exchange(new Exchange(ExchangeSettings::ofInstallation(context.state.programFolder), this))
{
    setObjectName(QStringLiteral("Seldoma"));
    setWindowTitle(msg::requests::text(msg::requests::Text::SelectionCaption));

    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("cmbOpe"));
    m_province = new QComboBox(this);
    m_province->setObjectName(QStringLiteral("cmbProv"));
    m_model = new QStandardItemModel(0, 4, this);
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_model->setHorizontalHeaderItem(column, new QStandardItem(msg::requests::gridHeader(column)));
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdDomande"));
    m_grid->setAccessibleName(msg::requests::text(msg::requests::Text::GridName));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    // Every heading whole, whatever the font's size.
    for (int column = 0; column + 1 < m_model->columnCount(); ++column)
        m_grid->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);

    auto* select = new QPushButton(msg::requests::text(msg::requests::Text::SelectCaption), this);
    select->setObjectName(QStringLiteral("cmdConfer"));
    select->setToolTip(msg::requests::text(msg::requests::Text::SelectTooltip));
    auto* insert = new QPushButton(msg::requests::text(msg::requests::Text::InsertCaption), this);
    insert->setObjectName(QStringLiteral("cmdInserisci"));
    auto* remove = new QPushButton(msg::requests::text(msg::requests::Text::DeleteCaption), this);
    remove->setObjectName(QStringLiteral("cmdElimina"));
    auto* cancel = new QPushButton(msg::core::text(msg::core::Text::CancelCaption), this);
    cancel->setObjectName(QStringLiteral("cmdAnnul"));

    m_waitPanel = new QWidget(this);
    m_waitPanel->setObjectName(QStringLiteral("panel_Attesa"));
    m_progress = new QLabel(m_waitPanel);
    m_progress->setObjectName(QStringLiteral("LblInf2"));
    auto* stop = new QPushButton(msg::core::text(msg::core::Text::StopCaption), m_waitPanel);
    stop->setObjectName(QStringLiteral("cmdInterrompi"));
    stop->setToolTip(msg::requests::text(msg::requests::Text::StopTooltip));
    connect(stop, &QPushButton::clicked, m_exchange, &Exchange::cancel);
    auto* waitLayout = new QHBoxLayout(m_waitPanel);
    auto* waitText = new QLabel(msg::requests::text(msg::requests::Text::WaitPanel), m_waitPanel);
    QFont bold = waitText->font();
    bold.setBold(true);
    waitText->setFont(bold);
    waitLayout->addWidget(waitText);
    waitLayout->addWidget(m_progress, 1);
    waitLayout->addWidget(stop);
    m_waitPanel->hide();

    auto* form = new QFormLayout;
    form->addRow(msg::requests::text(msg::requests::Text::OperatorList), m_operator);
    form->addRow(msg::requests::text(msg::requests::Text::ProvinceList), m_province);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(select);
    buttons->addWidget(insert);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_waitPanel);
    layout->addLayout(buttons);
    resize(680, 420);

    m_operators = m_selection.operators();
    for (const OperatorEntry& op : m_operators)
        m_operator->addItem(op.display());
    m_provinces = m_selection.provinces();
    for (const ProvinceEntry& p : m_provinces)
        m_province->addItem(p.display());
    m_operator->setCurrentIndex(m_selection.initialOperator(m_operators));
    m_province->setCurrentIndex(m_selection.initialProvince(m_provinces));
    refreshGrid();

    connect(m_operator, &QComboBox::currentIndexChanged, this, &RequestSelectionScreen::refreshGrid);
    connect(m_province, &QComboBox::currentIndexChanged, this, &RequestSelectionScreen::refreshGrid);
    connect(select, &QPushButton::clicked, this, &RequestSelectionScreen::confirm);
    connect(m_grid, &QTableView::doubleClicked, this, &RequestSelectionScreen::confirm);
    connect(insert, &QPushButton::clicked, this, &RequestSelectionScreen::insertRequest);
    connect(remove, &QPushButton::clicked, this, &RequestSelectionScreen::deleteRequest);
    connect(cancel, &QPushButton::clicked, this, &RequestSelectionScreen::reject);
}

RequestSelectionScreen::~RequestSelectionScreen() = default;

void RequestSelectionScreen::refreshGrid()
{
    const int op = m_operator->currentIndex();
    const int prov = m_province->currentIndex();
    m_rows.clear();
    if (op >= 0 && prov >= 0)
        m_rows = m_selection.requests(m_operators[op], m_provinces[prov].code);
    m_model->setRowCount(0);
    for (const RequestRow& r : m_rows) {
        QList<QStandardItem*> items = {
            new QStandardItem(QString::number(r.number)), new QStandardItem(QString::number(r.runningNumber)),
            new QStandardItem(msg::requests::yesNo(r.printed)), new QStandardItem(msg::requests::yesNo(r.transmitted))};
        m_model->appendRow(items);
    }
    m_grid->clearSelection();
    const int selected = m_selection.rowOfSelected(m_rows);
    if (selected >= 0)
        setCurrentRow(selected);
}

void RequestSelectionScreen::setCurrentRow(int row)
{
    m_grid->selectRow(row);
    m_grid->setCurrentIndex(m_model->index(row, 0));
}

int RequestSelectionScreen::currentRow() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void RequestSelectionScreen::setWaiting(bool waiting)
{
    m_waitPanel->setVisible(waiting);
    m_progress->clear();
    for (QPushButton* b : findChildren<QPushButton*>()) {
        if (b->parent() != m_waitPanel)
            b->setEnabled(!waiting);
    }
}

void RequestSelectionScreen::confirm()
{
    if (m_selection.select(m_rows, currentRow()))
        QDialog::accept();
}

void RequestSelectionScreen::insertRequest()
{
    const int op = m_operator->currentIndex();
    const int prov = m_province->currentIndex();
    if (op < 0 || prov < 0)
        return;
    setWaiting(true);
    m_creating = true;
    RequestCreation creation(m_ctx, *m_exchange, *this);
    const bool created = creation.create(m_operators[op], m_provinces[prov]);
    m_creating = false;
    setWaiting(false);
    if (created)
        refreshGrid();
    if (m_ctx.control.ended())
        QDialog::reject();
}

void RequestSelectionScreen::deleteRequest()
{
    // Without an operator or a province the grid is empty, and the delete says so.
    const int op = m_operator->currentIndex();
    const int prov = m_province->currentIndex();
    const OperatorEntry chosen = op >= 0 ? m_operators[op] : OperatorEntry();
    const QString province = prov >= 0 ? m_provinces[prov].code : QString();
    QList<RequestRow> rows = m_rows;
    const bool deleted = m_selection.deleteRequest(rows, currentRow(), chosen, province);
    if (deleted) {
        refreshGrid();
        if (!m_rows.isEmpty() && currentRow() < 0)
            setCurrentRow(0);
    }
    if (m_ctx.control.ended())
        QDialog::reject();
}

void RequestSelectionScreen::reject()
{
    if (m_creating && !m_ctx.control.ended()) {
        m_exchange->cancel();
        return;
    }
    if (m_ctx.control.ended() || m_selection.cancel())
        QDialog::reject();
}

void RequestSelectionScreen::showProgress(const QString& text)
{
    m_progress->setText(text);
    if (m_numberWindow)
        m_numberWindow->showProgress(text);
}

bool RequestSelectionScreen::askEmail()
{
    return AssistanceEmailScreen::ask(m_ctx, m_numberWindow ? static_cast<QWidget*>(m_numberWindow) : this);
}

QString RequestSelectionScreen::alternativeIdentity(const QUrl& loginPage)
{
    AlternativeIdentityScreen screen(m_ctx, loginPage, this);
    screen.exec();
    return screen.answer();
}

qint32 RequestSelectionScreen::runNumberRequest(const std::function<qint32()>& request)
{
    RequestNumberWindow window(request, this, [this] { m_exchange->cancel(); });
    m_numberWindow = &window;
    window.exec();
    m_numberWindow = nullptr;
    return window.number();
}

} // namespace vx
