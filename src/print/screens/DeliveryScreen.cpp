#include "print/screens/DeliveryScreen.h"

#include "Version.h"
#include "assist/screens/AssistanceEmailScreen.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Help.h"
#include "core/IniFile.h"
#include "core/Messages.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "net/Exchange.h"
#include "print/Messages.h"
#include "print/PainterPrintTarget.h"
#include "print/RequestPrint.h"
#include "print/screens/PrintScreen.h"
#include "print/screens/RequestFrame.h"
#include "transmission/Messages.h"
#include "transmission/RequestDelivery.h"
#include "transmission/screens/UploadScreen.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vx {

DeliveryScreen::DeliveryScreen(Context& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_registration(context)
{
    setObjectName(QStringLiteral("Trasmis"));
    setWindowTitle(msg::print::text(msg::print::Text::DeliveryCaption));
    Busy busy(m_ctx.control);

    auto* commands = new QGridLayout;
    auto add = [&](const char* name, const QString& label) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
        b->setFixedWidth(48);
        // A picture with its caption beside it: the caption is the command's name to a screen reader.
        b->setAccessibleName(QString(label).trimmed());
        b->setToolTip(QString(label).trimmed());
        const int row = commands->rowCount();
        commands->addWidget(b, row, 0);
        auto* caption = new QLabel(label, this);
        caption->setBuddy(b); // its letter (Alt+letter) reaches the picture
        commands->addWidget(caption, row, 1);
        return b;
    };
    QPushButton* print = add("cmdStampa", msg::print::text(msg::print::Text::DeliveryPrintCaption));
    QPushButton* printer = add("cmdStampaPrinter", msg::print::text(msg::print::Text::DeliveryEmergencyCaption));
    m_save = add("cmdSalva", msg::print::text(msg::print::Text::DeliverySaveCaption));
    m_send = add("cmdSend", msg::print::text(msg::print::Text::DeliverySendCaption));
    auto* exit = new QPushButton(this);
    m_exitButton = exit;
    exit->setObjectName(QStringLiteral("cmdEsci"));
    exit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    exit->setFixedWidth(48);
    m_exit = new QLabel(this);
    m_exit->setObjectName(QStringLiteral("lblEsci"));
    const int row = commands->rowCount();
    commands->addWidget(exit, row, 0);
    m_exit->setBuddy(exit);
    commands->addWidget(m_exit, row, 1);
    commands->setColumnStretch(1, 1);
    auto* help = new QPushButton(msg::core::text(msg::core::Text::HelpCaption), this);
    help->setObjectName(QStringLiteral("cmdAiuto"));
    m_stop = new QPushButton(msg::core::text(msg::core::Text::StopCaption), this);
    m_stop->setObjectName(QStringLiteral("cmdInterrompi"));
    m_stop->setToolTip(msg::transmission::text(msg::transmission::Text::StopTip));
    m_stop->setAutoDefault(false);
    m_stop->setEnabled(false);
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (m_exchange)
            m_exchange->cancel();
    });
    m_commands = {print, printer, m_save, m_send, exit, help};

    connect(print, &QPushButton::clicked, this, &DeliveryScreen::print);
    connect(printer, &QPushButton::clicked, this, &DeliveryScreen::alternativePrint);
    connect(m_save, &QPushButton::clicked, this, &DeliveryScreen::saveCopy);
    connect(m_send, &QPushButton::clicked, this, &DeliveryScreen::send);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(m_ctx, m_ctx.state.helpFilePath); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(requestFrame(m_ctx, this));
    layout->addLayout(commands);
    m_history = new QTableWidget(0, int(msg::transmission::historyColumns().size()), this);
    m_history->setObjectName(QStringLiteral("lstTrasmissioni"));
    m_history->setAccessibleName(msg::transmission::text(msg::transmission::Text::HistoryName));
    m_history->setHorizontalHeaderLabels(msg::transmission::historyColumns());
    m_history->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_history->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_history->verticalHeader()->hide();
    // The proof of a transmission is read whole: every column as wide as its content, the
    // server's answer taking the rest, wrapped on as many lines as it needs (and whole in its tooltip).
    m_history->setWordWrap(true);
    m_history->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < m_history->columnCount() - 1; ++column)
        m_history->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_history->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(new QLabel(msg::transmission::text(msg::transmission::Text::HistoryCaption), this));
    layout->addWidget(m_history);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_stop);
    bottom->addStretch();
    bottom->addWidget(help);
    layout->addLayout(bottom);
    resize(860, 460);
    showState(m_registration.stateAtLoad());
    showHistory();
}

void DeliveryScreen::showHistory()
{
    const QList<TransmissionRecord> rows = transmissionHistory(m_ctx, m_ctx.state.selected.number);
    m_history->setRowCount(int(rows.size()));
    // Newest first, as the history gives it.
    for (int r = 0; r < rows.size(); ++r) {
        const TransmissionRecord& row = rows[r];
        const QStringList texts{row.when.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")), row.fileName,
                                QString::number(row.size), row.outcome, row.answer};
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new QTableWidgetItem(texts.at(column));
            item->setToolTip(texts.at(column));
            m_history->setItem(r, column, item);
        }
    }
}

void DeliveryScreen::reject()
{
    if (m_exchange && m_exchange->busy())
        m_exchange->cancel();
    else if (!m_running)
        QDialog::reject();
}

void DeliveryScreen::exclusive(Exchange& exchange, const std::function<void()>& call)
{
    // The wait for the region keeps the screen painting: no command may start another call
    // meanwhile; "Interrompi" and Escape stop the one in progress.
    m_running = true;
    m_exchange = &exchange;
    for (QPushButton* command : std::as_const(m_commands))
        command->setEnabled(false);
    const QMetaObject::Connection stop = connect(&exchange, &Exchange::busyChanged, m_stop, &QWidget::setEnabled);
    call();
    disconnect(stop);
    m_stop->setEnabled(false);
    m_exchange = nullptr;
    for (QPushButton* command : std::as_const(m_commands))
        command->setEnabled(true);
    m_running = false;
    showState(m_state);
}

void DeliveryScreen::send()
{
    if (m_running || m_ctx.prompter.ask(msg::transmission::openConnection()) != Answer::Ok)
        return;
    const Settings settings = Settings::read(IniFile(m_ctx.state.programFolder));
    Exchange exchange(ExchangeSettings::from(settings));
    RequestDelivery delivery(m_ctx, exchange, settings, QString::fromLatin1(kVersionText));
    exclusive(exchange, [&] {
        UploadScreen upload(m_ctx, delivery, this);
        upload.exec();
    });
    showHistory();
}

void DeliveryScreen::saveCopy()
{
    if (m_running)
        return;
    const Settings settings = Settings::read(IniFile(m_ctx.state.programFolder));
    Exchange exchange(ExchangeSettings::from(settings));
    RequestDelivery delivery(m_ctx, exchange, settings, QString::fromLatin1(kVersionText));
    exclusive(exchange, [&] {
        delivery.saveCopy(m_ctx.state.selected.number, [this] { return AssistanceEmailScreen::ask(m_ctx, this); });
    });
}

void DeliveryScreen::showState(const PrintRegistration::DeliveryState& state)
{
    m_state = state;
    m_send->setEnabled(state.sendEnabled);
    m_save->setEnabled(state.saveEnabled);
    m_exit->setText(state.exitLabel);
    m_exitButton->setAccessibleName(state.exitLabel);
    m_exitButton->setToolTip(state.exitLabel);
}

void DeliveryScreen::print()
{
    const bool printedBefore = m_ctx.state.selected.printed;
    if (!printedBefore && !m_registration.sendableBeforeRegistering())
        return;
    bool written = false;
    {
        PrintScreen dialog(m_ctx, PrintSession::Choice::Definitive, this);
        dialog.exec();
        written = dialog.definitiveWritten();
    }
    showState(m_registration.afterDefinitivePrint(m_state, printedBefore, written));
}

void DeliveryScreen::alternativePrint()
{
    showState(m_registration.alternativePrint(m_state, [this] {
        QPagedPaintDevice* printer = listingPrinter(m_ctx.prompter);
        if (!printer)
            return false;
        PainterPrintTarget target(*printer);
        const bool printed = printListing(target, m_ctx.db, m_ctx.state.selected.number, m_ctx.clock.now().date(),
                                          print::Ending::PageNumber)
                                 .ok;
        if (printed)
            tellListingFile(m_ctx.prompter);
        return printed;
    }));
}

} // namespace vx
