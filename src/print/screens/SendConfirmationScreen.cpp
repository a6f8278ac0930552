#include "print/screens/SendConfirmationScreen.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Help.h"
#include "print/Messages.h"
#include "print/screens/DeliveryScreen.h"
#include "print/screens/RequestFrame.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx {

SendConfirmationScreen::SendConfirmationScreen(Context& context, QWidget* parent) : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("Invia"));
    setWindowTitle(msg::print::sendConfirmationCaption());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(requestFrame(m_ctx, this));
    auto* heading = new QLabel(QStringLiteral("INVIO ALLA REGIONE DELLA DOMANDA"), this);
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 3);
    heading->setFont(big);
    layout->addWidget(heading);
    for (const QString& line :
         {QStringLiteral("Operazioni che dovranno essere effettuate:"),
          QStringLiteral("1.  Stampa del modulo di domanda originale da consegnare agli uffici preposti"),
          QStringLiteral("2.  Copia del file di trasmissione della domanda  (OPZIONALE)"),
          QStringLiteral("3.  Invio della domanda tramite INTERNET")})
        layout->addWidget(new QLabel(line, this));
    auto* warning = new QLabel(QStringLiteral("ATTENZIONE ! ! !"), this);
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    warning->setStyleSheet(QStringLiteral("color: red"));
    layout->addWidget(warning);
    auto* never = new QLabel(
        QStringLiteral("Dopo la stampa del modulo originale (punto 1) NON SARA' PIU' POSSIBILE MODIFICARE I SOGGETTI "
                       "E I RUOLI DELLA DOMANDA"),
        this);
    never->setWordWrap(true);
    never->setFont(bold);
    layout->addWidget(never);

    auto* confirm = new QPushButton(QStringLiteral("Conferma"), this);
    confirm->setObjectName(QStringLiteral("cmdConf"));
    confirm->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Annulla"), this);
    cancel->setObjectName(QStringLiteral("cmdAnnul"));
    auto* help = new QPushButton(QStringLiteral("Aiuto"), this);
    help->setObjectName(QStringLiteral("cmdAiuto"));
    connect(confirm, &QPushButton::clicked, this, &SendConfirmationScreen::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(m_ctx, m_ctx.state.helpFilePath); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void SendConfirmationScreen::confirm()
{
    {
        DeliveryScreen screen(m_ctx, this);
        screen.exec();
    }
    accept();
}

} // namespace vx
