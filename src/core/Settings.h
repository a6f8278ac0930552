#pragma once
// The installation's settings as typed values: every section and key name of VELTRANORPX.INI is
// written here and nowhere else. `Settings::read` takes a snapshot of the file; the writers
// change only their own keys, so a screen never rewrites what it did not show.

#include "core/IniFile.h"

#include <QString>
#include <QUrl>

namespace vx {

struct AppState;

struct Settings {
    static inline const QString kStandAlone = QStringLiteral("StandAlone");
    static inline const QString kMultiutenza = QStringLiteral("Multiutenza");
    static inline const QString kServer = QStringLiteral("SERVER");
    static inline const QString kClient = QStringLiteral("CLIENT");
    static inline const QString kProvider = QStringLiteral("QSQLITE");
    static inline const QString kServerProvider = QStringLiteral("QPSQL");
    static constexpr int kDefaultServerPort = 5432;
    // The database file's name of a new installation, and the name a database on a server has in
    // its backup archives.
    static inline const QString kDatabaseFileName = QStringLiteral("VELTRANORPX.db");
    static constexpr int kDefaultTimeLimitSeconds = 60;
    static constexpr int kMaxTimeLimitSeconds = 3600;

    // [Installazione]
    QString type;     // Tipo: StandAlone, Multiutenza, or empty before the first installation
    QString version;  // Versione: SERVER or CLIENT
    QString provider; // PROVIDER: the Qt SQL driver
    // [BaseDati]
    QString database;         // Database: full path
    QString databaseFileName; // NFileDB
    QString selectedNumber;   // NumDoma, as written ("0" when missing)
    QString backupFile;       // FileBackup
    // QPSQL: Server, Porta, NomeBaseDati, ModoTLS, CertificatoCA (absolute against the program folder)
    QString serverHost;
    int serverPort = kDefaultServerPort;
    QString serverDatabase;
    QString serverTlsMode;
    QString serverCaFile;
    // [CONNESSIONE]
    QString credential; // PWD, unscrambled
    QString nreg, authentication, identity, identityLogin, registryDownload, companies, assistance, versionCheck,
        certificatesPage, upload;
    QString caFile; // CERTIFICATI_CA, made absolute against the program folder
    int timeLimitSeconds = kDefaultTimeLimitSeconds;
    QString mailServer1, mailServer2;
    // [Collegamenti]
    QUrl producerLink, ministryLink, regionLink, fseLink;
    // [Help]
    QString helpFile; // FILEHELP, relative to the program folder

    static Settings read(const IniFile& ini);
    // The application-wide values that start-up takes from the settings.
    void applyTo(AppState& state) const;

    // The help file's full path, or an empty text when the file is not there.
    QString helpPath(const QString& programFolder) const;
    // The server label derived from NREG.
    QString serverLabel() const;

    // Writers, each of its own keys.
    static void writeInstallation(IniFile& ini, const QString& type, const QString& database, const QString& fileName);
    static void writeTypeAndDatabase(IniFile& ini, const QString& type, const QString& database);
    static void writeVersion(IniFile& ini, const QString& version);
    // PROVIDER: `provider` (this program's own driver when empty, or when the INI names another's).
    static void writeProvider(IniFile& ini, const QString& provider = QString());
    // The server of a QPSQL installation (PROVIDER included).
    static void writeServer(IniFile& ini, const QString& host, int port, const QString& database,
                            const QString& tlsMode, const QString& caFile);
    static void writeSelectedNumber(IniFile& ini, qint32 number);
    static void writeBackupFile(IniFile& ini, const QString& path);
    // Empties Database, NFileDB and Tipo, in this order; no database file is touched.
    static void reset(IniFile& ini);

    // CONNESSIONE/TEMPO_LIMITE: whole seconds from 1 to 3600; anything else gives the default.
    static int parseTimeLimit(const QString& text);
    // Each character's 8-bit code XOR 1.
    static QString unscramble(const QString& stored);
    // The text of `address` before the first "/" that follows its host (the whole text when
    // there is none), and the text after it.
    static QString serverLabel(const QString& address);
    static QString serviceLabel(const QString& address);
};

} // namespace vx
