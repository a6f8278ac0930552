#include "store/ErrorAdvice.h"

#include "core/IniFile.h"
#include "core/Settings.h"
#include "store/Database.h"

namespace vx {

QString errorAdvice(const DbError& error)
{
    // A journal left by an interrupted write that this connection may not roll back: not a question
    // of permissions on the data, whatever the primary code says.
    if (error.number == QLatin1String("776")) // SQLITE_READONLY_ROLLBACK
        return QStringLiteral("La base dati contiene una scrittura interrotta (per esempio da uno spegnimento "
                              "improvviso) che va annullata prima di leggerla: avviare il programma da un utente che "
                              "possa scrivere nella cartella della base dati.");
    // By SQLite's primary result code, so that the extended codes (I/O errors above all) share it.
    switch (error.code()) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QStringLiteral("La base dati è occupata da un'altra postazione o da un altro programma: "
                              "attendere qualche istante e riprovare.");
    case 8: // SQLITE_READONLY
        return QStringLiteral("Non è possibile scrivere nella base dati: verificare i permessi del file e della "
                              "sua cartella.");
    case 10: // SQLITE_IOERR
        return QStringLiteral("Errore di lettura o scrittura sul disco o sulla rete: verificare il collegamento "
                              "alla cartella della base dati e riprovare.");
    case 11: // SQLITE_CORRUPT
        return QStringLiteral("La base dati è danneggiata: ripristinare l'ultimo salvataggio e contattare "
                              "l'assistenza tecnica.");
    case 13: // SQLITE_FULL
        return QStringLiteral("Il disco è pieno: liberare spazio e riprovare.");
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("Impossibile aprire il file della base dati: verificare che esista e che la sua "
                              "cartella sia raggiungibile.");
    case 19: // SQLITE_CONSTRAINT
        return QStringLiteral("I dati sono già presenti o non rispettano i vincoli della base dati: controllare "
                              "i valori inseriti.");
    case 26: // SQLITE_NOTADB
        return QStringLiteral("Il file indicato non è una base dati di VELTRANORPX.");
    case Database::kUnreachable:
        return QStringLiteral("Il server della base dati non è raggiungibile: verificare la rete, che il server sia "
                              "avviato e che il suo certificato sia quello atteso, quindi riprovare.");
    case Database::kAuthentication:
        return QStringLiteral("Il server della base dati ha rifiutato l'accesso: verificare il nome utente e la "
                              "password (o il file .pgpass dell'utente).");
    case Database::kPasswordNeeded:
        return QStringLiteral("Il server della base dati chiede una password: indicarla all'avvio, o nel file .pgpass "
                              "dell'utente.");
    case Database::kNoTables:
        return QStringLiteral("La base dati indicata è vuota o non è di VELTRANORPX: un'installazione SERVER può "
                              "crearne le tabelle.");
    case Database::kNoDatabase:
        return QStringLiteral("Il server è raggiungibile e accetta l'utente, ma non ha una base dati con quel nome (o "
                              "non vi lascia entrare l'utente): verificare il nome della base dati.");
    case Database::kNoPrivileges:
        return QStringLiteral("Senza quei permessi il programma non può leggere o salvare i dati: nessuna modifica è "
                              "stata fatta.");
    case Database::kNewerSchema:
        return QStringLiteral("È stata aggiornata da una versione più recente di VELTRANORPX: installare quella "
                              "versione, o una successiva, per aprirla. La base dati non è stata modificata.");
    case Database::kConflict:
        return QStringLiteral("L'operazione si è scontrata con quella di un'altra postazione: riprovare.");
    case Database::kNoDriver:
        return QStringLiteral("Il valore PROVIDER del file ") + IniFile::kDefaultName +
               QStringLiteral(" non indica un driver disponibile: correggerlo in ") + Settings::kProvider +
               QLatin1Char('.');
    default:
        return QString();
    }
}

QString errorLines(const DbError& error)
{
    QString text = QStringLiteral("Errore ") + error.number + QLatin1Char('\n') + error.description;
    const QString advice = errorAdvice(error);
    if (!advice.isEmpty())
        text += QLatin1Char('\n') + advice;
    return text;
}

} // namespace vx
