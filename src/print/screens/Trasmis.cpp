#include "print/screens/Trasmis.h"

#include "Version.h"
#include "assist/screens/frmMailAggInst.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Help.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "print/PainterPrintTarget.h"
#include "print/RequestPrint.h"
#include "print/screens/RequestFrame.h"
#include "print/screens/StBozza.h"
#include "net/Exchange.h"
#include "transmission/RequestDelivery.h"
#include "transmission/screens/frmUpload.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vx {

Trasmis::Trasmis(Context& context, QWidget* parent) : QDialog(parent), m_ctx(context), m_registration(context)
{
    setObjectName(QStringLiteral("Trasmis"));
    setWindowTitle(QStringLiteral("Stampa Definitivo / Invio Richiesta"));
    Busy busy(m_ctx.control);

    auto* commands = new QGridLayout;
    auto add = [&](const char* name, const QString& label) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
        b->setFixedWidth(48);
        const int row = commands->rowCount();
        commands->addWidget(b, row, 0);
        commands->addWidget(new QLabel(label, this), row, 1);
        return b;
    };
    QPushButton* print = add("cmdStampa", QStringLiteral("Stampa del modulo di richiesta in originale da conservare"));
    QPushButton* printer = add("cmdStampaPrinter", QStringLiteral("Stampa di emergenza/ abilita trasmissione"));
    m_save = add("cmdSalva", QStringLiteral("Salvataggio di una Copia del file di trasmissione della richiesta "));
    m_send = add("cmdSend", QStringLiteral("Invio della richiesta tramite INTERNET"));
    auto* exit = new QPushButton(this);
    exit->setObjectName(QStringLiteral("cmdEsci"));
    exit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    exit->setFixedWidth(48);
    m_exit = new QLabel(this);
    m_exit->setObjectName(QStringLiteral("lblEsci"));
    const int row = commands->rowCount();
    commands->addWidget(exit, row, 0);
    commands->addWidget(m_exit, row, 1);
    commands->setColumnStretch(1, 1);
    auto* help = new QPushButton(QStringLiteral("Aiuto"), this);
    help->setObjectName(QStringLiteral("cmdAiuto"));

    connect(print, &QPushButton::clicked, this, &Trasmis::print);
    connect(printer, &QPushButton::clicked, this, &Trasmis::alternativePrint);
    connect(m_save, &QPushButton::clicked, this, &Trasmis::saveCopy);
    connect(m_send, &QPushButton::clicked, this, &Trasmis::send);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(m_ctx, m_ctx.state.helpFilePath); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(requestFrame(m_ctx, this));
    layout->addLayout(commands);
    m_history = new QTreeWidget(this);
    m_history->setObjectName(QStringLiteral("lstTrasmissioni"));
    m_history->setRootIsDecorated(false);
    m_history->setHeaderLabels({QStringLiteral("Data e ora"), QStringLiteral("File"), QStringLiteral("Byte"),
                                QStringLiteral("Esito"), QStringLiteral("Risposta del server")});
    layout->addWidget(new QLabel(QStringLiteral("Trasmissioni della richiesta:"), this));
    layout->addWidget(m_history);
    layout->addWidget(help, 0, Qt::AlignRight);
    resize(640, 440);
    showState(m_registration.stateAtLoad());
    showHistory();
}

void Trasmis::showHistory()
{
    m_history->clear();
    for (const TransmissionRecord& row : transmissionHistory(m_ctx, m_ctx.state.selected.number)) {
        m_history->addTopLevelItem(
            new QTreeWidgetItem(QStringList{row.when.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")), row.fileName,
                                            QString::number(row.size), row.outcome, row.answer.simplified()}));
    }
}

void Trasmis::send()
{
    const Message question{QStringLiteral("Attivazione collegamento con Internet\r\nProcedere solo dopo aver aperto la "
                                          "connessione \r\ncon il vostro Provider"),
                           QStringLiteral("Trasmissione dati"), Icon::Information, Buttons::OkCancel};
    if (m_ctx.prompter.ask(question) != Answer::Ok)
        return;
    const Settings settings = Settings::read(IniFile(m_ctx.state.programFolder));
    Exchange exchange(ExchangeSettings::from(settings));
    RequestDelivery delivery(m_ctx, exchange, settings, QString::fromLatin1(kVersionText));
    frmUpload upload(m_ctx, delivery, this);
    upload.exec();
    showHistory();
}

void Trasmis::saveCopy()
{
    const Settings settings = Settings::read(IniFile(m_ctx.state.programFolder));
    Exchange exchange(ExchangeSettings::from(settings));
    RequestDelivery delivery(m_ctx, exchange, settings, QString::fromLatin1(kVersionText));
    delivery.saveCopy(m_ctx.state.selected.number, [this] { return frmMailAggInst::ask(m_ctx, this); });
}

void Trasmis::showState(const PrintRegistration::DeliveryState& state)
{
    m_state = state;
    m_send->setEnabled(state.sendEnabled);
    m_save->setEnabled(state.saveEnabled);
    m_exit->setText(state.exitLabel);
}

void Trasmis::print()
{
    const bool printedBefore = m_ctx.state.selected.printed;
    bool written = false;
    {
        StBozza dialog(m_ctx, PrintSession::Choice::Definitive, this);
        dialog.exec();
        written = dialog.definitiveWritten();
    }
    showState(m_registration.afterDefinitivePrint(m_state, printedBefore, written));
}

void Trasmis::alternativePrint()
{
    showState(m_registration.alternativePrint(m_state, [this] {
        PainterPrintTarget target(listingPrinter());
        const bool printed = printListing(target, m_ctx.db, m_ctx.state.selected.number, m_ctx.clock.now().date(),
                                          listing::Ending::PageNumber)
                                 .ok;
        if (printed)
            tellListingFile(m_ctx.prompter, listingPrinter());
        return printed;
    }));
}

} // namespace vx
