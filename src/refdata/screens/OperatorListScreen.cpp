#include "refdata/screens/OperatorListScreen.h"

#include "core/Messages.h"
#include "net/Exchange.h"
#include "refdata/Messages.h"
#include "ui/KeyFilters.h"
#include "ui/NamedButton.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace vx {

OperatorListScreen::OperatorListScreen(Context& context, Exchange& exchange, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_exchange(exchange)
{
    setObjectName(QStringLiteral("frmOperatori"));
    setWindowTitle(msg::refdata::text(msg::refdata::Text::Title));

    m_caption = new QLabel(msg::refdata::text(msg::refdata::Text::OperatorListCaption), this);
    m_caption->setObjectName(QStringLiteral("lblDidascalia"));
    m_caption->setWordWrap(true);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);

    m_group = new QLineEdit(this);
    m_group->setObjectName(QStringLiteral("txtGruppo"));
    m_group->setMaxLength(1);
    m_group->setFixedWidth(40);
    installUpperCase(m_group, m_ctx.prompter);
    m_code = new QLineEdit(this);
    m_code->setObjectName(QStringLiteral("txtCodice"));
    m_code->setMaxLength(9);
    installInteger(m_code, m_ctx.prompter);
    m_code->installEventFilter(this); // after the digits' filter, so it sees Enter first

    auto* insertButton = namedButton(this, "cmdInserisci", msg::refdata::text(msg::refdata::Text::InsertCaption),
                                     msg::refdata::text(msg::refdata::Text::InsertHint));
    auto* deleteButton = namedButton(this, "cmdElimina", msg::refdata::text(msg::refdata::Text::DeleteCaption),
                                     msg::refdata::text(msg::refdata::Text::DeleteHint));
    m_confirm = namedButton(this, "cmdConferma", msg::core::text(msg::core::Text::ConfirmCaption),
                            msg::refdata::text(msg::refdata::Text::ConfirmHint));
    m_cancel = namedButton(this, "cmdAnnulla", msg::core::text(msg::core::Text::CancelCaption),
                           msg::refdata::text(msg::refdata::Text::CancelHint));
    // Enter belongs to the fields (the code field inserts), never to a button.
    for (QPushButton* b : {insertButton, deleteButton, m_confirm, m_cancel})
        b->setAutoDefault(false);
    connect(insertButton, &QPushButton::clicked, this, &OperatorListScreen::insert);
    connect(deleteButton, &QPushButton::clicked, this, &OperatorListScreen::removeEntry);
    connect(m_confirm, &QPushButton::clicked, this, &OperatorListScreen::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &OperatorListScreen::cancel);

    m_entries = new QListWidget(this);
    m_entries->setObjectName(QStringLiteral("lstOperatori"));
    m_entries->setAccessibleName(msg::refdata::text(msg::refdata::Text::OperatorListCaption)); // the caption above it
    connect(m_entries, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { pick(m_entries->row(item)); });

    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("lblStato"));

    auto* keyRow = new QHBoxLayout;
    auto* groupLabel = new QLabel(msg::refdata::text(msg::refdata::Text::GroupLabel), this);
    groupLabel->setBuddy(m_group);
    auto* codeLabel = new QLabel(msg::refdata::text(msg::refdata::Text::CodeLabel), this);
    codeLabel->setBuddy(m_code);
    keyRow->addWidget(groupLabel);
    keyRow->addWidget(m_group);
    keyRow->addSpacing(12);
    keyRow->addWidget(codeLabel);
    keyRow->addWidget(m_code);
    keyRow->addWidget(insertButton);
    keyRow->addWidget(deleteButton);
    keyRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addLayout(keyRow);
    layout->addWidget(m_entries, 1);
    layout->addLayout(buttons);
    resize(560, 420);

    m_list.fill(m_ctx.db, m_ctx.prompter);
    showList();
}

bool OperatorListScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_code && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            insert();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OperatorListScreen::setCaption(const QString& text)
{
    m_caption->setText(text);
}

void OperatorListScreen::showList()
{
    m_entries->clear();
    for (const OperatorEntry& entry : m_list.entries())
        m_entries->addItem(entry.text());
}

void OperatorListScreen::insert()
{
    const QString group = m_group->text().trimmed();
    if (group.isEmpty())
        return;
    OperatorEntry entry;
    entry.group = group;
    entry.code = m_code->text().trimmed().toInt();
    if (m_list.add(entry) == refdata::OperatorList::AddResult::Full) {
        m_ctx.prompter.ask(msg::refdata::notice(msg::refdata::Notice::ListFull));
    } else {
        showList();
        m_entries->scrollToBottom();
    }
    m_group->clear();
    m_code->clear();
    m_group->setFocus();
}

void OperatorListScreen::removeEntry()
{
    const int row = m_entries->currentRow();
    if (row < 0)
        return;
    m_list.remove(row);
    showList();
    m_entries->setCurrentRow(qMin(row, m_entries->count() - 1));
}

void OperatorListScreen::pick(int row)
{
    if (row < 0 || row >= m_list.size())
        return;
    const OperatorEntry& entry = m_list.entries().at(row);
    m_group->setText(entry.group);
    m_code->setText(QString::number(entry.code));
    m_entries->setCurrentRow(row);
}

void OperatorListScreen::setRunning(bool running)
{
    m_running = running;
    m_confirm->setEnabled(!running);
    m_cancel->setEnabled(!running);
    m_entries->setEnabled(!running);
}

void OperatorListScreen::confirm()
{
    refdata::RegistryDownload download(m_ctx, m_exchange);
    setRunning(true);
    const auto outcome = download.run(m_list.entries(), [this](const QString& text) { m_progress->setText(text); });
    setRunning(false);
    m_progress->clear();
    if (outcome != refdata::RegistryDownload::Outcome::Downloaded)
        return;
    DownloadConfirmationScreen confirmation(download.deliveredOperators(m_list.entries()), this);
    const bool ok = confirmation.exec() == QDialog::Accepted;
    m_goOn = ok;
    accept();
}

void OperatorListScreen::cancel()
{
    m_goOn = false;
    QDialog::reject();
}

void OperatorListScreen::reject()
{
    if (m_running) {
        m_exchange.cancel();
        return;
    }
    cancel();
}

DownloadConfirmationScreen::DownloadConfirmationScreen(const QStringList& operators, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConferma"));
    setWindowTitle(msg::refdata::text(msg::refdata::Text::Title));
    auto* text = new QLabel(msg::refdata::text(msg::refdata::Text::Downloaded), this);
    text->setWordWrap(true);
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("lstFile"));
    list->addItems(operators);
    list->setAccessibleName(msg::refdata::text(msg::refdata::Text::Downloaded));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    auto* question = new QLabel(msg::refdata::text(msg::refdata::Text::ConfirmQuestion), this);
    question->setWordWrap(true);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdAnnulla"));
    box->button(QDialogButtonBox::Cancel)->setText(msg::core::text(msg::core::Text::CancelCaption));
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list, 1);
    layout->addWidget(question);
    layout->addWidget(box);
    // The operators' names whole where the screen has room for them.
    const QMargins margins = layout->contentsMargins();
    const int names = list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                      list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    resize(qMax(420, names + margins.left() + margins.right()), 260);
}

} // namespace vx
