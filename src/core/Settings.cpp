#include "core/Settings.h"
#include "core/DeliveredFiles.h"

#include "core/AppState.h"
#include "core/Windows1252.h"

#include <QFileInfo>

namespace vx {

namespace {
const QString kInstallazione = QStringLiteral("Installazione");
const QString kBaseDati = QStringLiteral("BaseDati");
const QString kConnessione = QStringLiteral("CONNESSIONE");
const QString kCollegamenti = QStringLiteral("Collegamenti");
const QString kHelp = QStringLiteral("Help");

// The host ends at the first "/" after the scheme's "//". For a four-letter scheme that is the
// first "/" from the 8th character on; searching after "//" keeps "https" addresses whole too.
qsizetype labelSlash(const QString& address)
{
    const qsizetype scheme = address.indexOf(QLatin1String("://"));
    const qsizetype from = scheme >= 0 ? scheme + 3 : 7;
    return address.size() > from ? address.indexOf(QLatin1Char('/'), from) : -1;
}
} // namespace

Settings Settings::read(const IniFile& ini)
{
    const IniFile::Snapshot f = ini.snapshot();
    Settings s;
    s.type = f.value(kInstallazione, QStringLiteral("Tipo"));
    s.version = f.value(kInstallazione, QStringLiteral("Versione"));
    s.provider = f.value(kInstallazione, QStringLiteral("PROVIDER"));
    s.database = f.value(kBaseDati, QStringLiteral("Database"));
    s.databaseFileName = f.value(kBaseDati, QStringLiteral("NFileDB"));
    s.selectedNumber = f.value(kBaseDati, QStringLiteral("NumDoma"), QStringLiteral("0"));
    s.backupFile = f.value(kBaseDati, QStringLiteral("FileBackup"));
    s.serverHost = f.value(kBaseDati, QStringLiteral("Server"));
    bool portOk = false;
    const int port = f.value(kBaseDati, QStringLiteral("Porta")).trimmed().toInt(&portOk);
    s.serverPort = portOk && port > 0 && port <= 65535 ? port : kDefaultServerPort;
    s.serverDatabase = f.value(kBaseDati, QStringLiteral("NomeBaseDati"));
    s.serverTlsMode = f.value(kBaseDati, QStringLiteral("ModoTLS")).trimmed();
    const QString serverCa = f.value(kBaseDati, QStringLiteral("CertificatoCA"));
    if (!serverCa.isEmpty())
        s.serverCaFile = QFileInfo(serverCa).isAbsolute() ? serverCa : ini.programFolder() + serverCa;

    s.credential = unscramble(f.value(kConnessione, QStringLiteral("PWD")));
    s.nreg = f.value(kConnessione, QStringLiteral("NREG"));
    s.authentication = f.value(kConnessione, QStringLiteral("AUTENTICAZIONE"));
    s.identity = f.value(kConnessione, QStringLiteral("NEMBO"));
    s.identityLogin = f.value(kConnessione, QStringLiteral("NEMBO_ACCESSO"));
    s.registryDownload = f.value(kConnessione, QStringLiteral("AGGIORNADB"));
    s.companies = f.value(kConnessione, QStringLiteral("AZIENDE"));
    s.assistance = f.value(kConnessione, QStringLiteral("ASSISTENZA"));
    s.versionCheck = f.value(kConnessione, QStringLiteral("VERSIONE"));
    s.certificatesPage = f.value(kConnessione, QStringLiteral("PAGINA_CERTIFICATI"));
    s.upload = f.value(kConnessione, QStringLiteral("UPLOAD"));
    const QString ca = f.value(kConnessione, QStringLiteral("CERTIFICATI_CA"));
    if (!ca.isEmpty())
        s.caFile = QFileInfo(ca).isAbsolute() ? ca : ini.programFolder() + ca;
    s.timeLimitSeconds = parseTimeLimit(f.value(kConnessione, QStringLiteral("TEMPO_LIMITE")));
    s.mailServer1 = f.value(kConnessione, QStringLiteral("SERVERPOSTA1"), QStringLiteral("posta.veltranorpx.local"));
    s.mailServer2 = f.value(kConnessione, QStringLiteral("SERVERPOSTA2"), QStringLiteral("posta2.veltranorpx.local"));

    s.producerLink = QUrl(f.value(kCollegamenti, QStringLiteral("Produttore")));
    s.ministryLink =
        QUrl(f.value(kCollegamenti, QStringLiteral("Ministero"), QStringLiteral("https://www.lavoro.gov.it/")));
    s.regionLink = QUrl(f.value(kCollegamenti, QStringLiteral("Regione")));
    s.fseLink = QUrl(f.value(kCollegamenti, QStringLiteral("FSE"), QStringLiteral("https://ec.europa.eu/esf/")));

    s.helpFile = f.value(kHelp, QStringLiteral("FILEHELP"));
    return s;
}

void Settings::applyTo(AppState& state) const
{
    state.installationType = type;
    state.version = version;
    state.provider = provider;
    state.databaseFileName = databaseFileName;
    state.databasePath = database;
    state.serverHost = serverHost;
    state.serverPort = serverPort;
    state.serverDatabase = serverDatabase;
    state.serverTlsMode = serverTlsMode;
    state.serverCaFile = serverCaFile;
    state.credential = credential;
    state.serverLabel = serverLabel();
}

QString Settings::helpPath(const QString& programFolder) const
{
    const QString path = deliveredFile(programFolder, helpFile);
    return !helpFile.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

QString Settings::serverLabel() const
{
    return serverLabel(nreg);
}

void Settings::writeInstallation(IniFile& ini, const QString& type, const QString& database, const QString& fileName)
{
    ini.write(kInstallazione, QStringLiteral("Tipo"), type);
    ini.write(kBaseDati, QStringLiteral("Database"), database);
    ini.write(kBaseDati, QStringLiteral("NFileDB"), fileName);
    writeProvider(ini, read(ini).provider);
}

void Settings::writeTypeAndDatabase(IniFile& ini, const QString& type, const QString& database)
{
    ini.write(kInstallazione, QStringLiteral("Tipo"), type);
    ini.write(kBaseDati, QStringLiteral("Database"), database);
    writeProvider(ini, read(ini).provider);
}

void Settings::writeServer(IniFile& ini, const QString& host, int port, const QString& database, const QString& tlsMode,
                           const QString& caFile)
{
    ini.write(kBaseDati, QStringLiteral("Server"), host);
    ini.write(kBaseDati, QStringLiteral("Porta"), QString::number(port));
    ini.write(kBaseDati, QStringLiteral("NomeBaseDati"), database);
    ini.write(kBaseDati, QStringLiteral("ModoTLS"), tlsMode);
    ini.write(kBaseDati, QStringLiteral("CertificatoCA"), caFile);
    writeProvider(ini, kServerProvider);
}

void Settings::writeVersion(IniFile& ini, const QString& version)
{
    ini.write(kInstallazione, QStringLiteral("Versione"), version);
}

void Settings::writeProvider(IniFile& ini, const QString& provider)
{
    // One of this program's drivers; an INI carried over from another program may name another's.
    const QString p = provider.trimmed();
    ini.write(kInstallazione, QStringLiteral("PROVIDER"), p == kServerProvider ? kServerProvider : kProvider);
}

void Settings::writeSelectedNumber(IniFile& ini, qint32 number)
{
    ini.write(kBaseDati, QStringLiteral("NumDoma"), QString::number(number));
}

void Settings::writeBackupFile(IniFile& ini, const QString& path)
{
    ini.write(kBaseDati, QStringLiteral("FileBackup"), path);
}

void Settings::reset(IniFile& ini)
{
    ini.write(kBaseDati, QStringLiteral("Database"), QString());
    ini.write(kBaseDati, QStringLiteral("NFileDB"), QString());
    ini.write(kInstallazione, QStringLiteral("Tipo"), QString());
}

int Settings::parseTimeLimit(const QString& text)
{
    bool ok = false;
    const qlonglong seconds = text.trimmed().toLongLong(&ok);
    return ok && seconds >= 1 && seconds <= kMaxTimeLimitSeconds ? static_cast<int>(seconds) : kDefaultTimeLimitSeconds;
}

QString Settings::unscramble(const QString& stored)
{
    QByteArray bytes = windows1252::encode(stored);
    for (char& b : bytes)
        b = static_cast<char>(static_cast<unsigned char>(b) ^ 1);
    return windows1252::decode(bytes);
}

QString Settings::serverLabel(const QString& address)
{
    const qsizetype slash = labelSlash(address);
    return slash < 0 ? address : address.left(slash);
}

QString Settings::serviceLabel(const QString& address)
{
    const qsizetype slash = labelSlash(address);
    return slash < 0 ? QString() : address.mid(slash + 1);
}

} // namespace vx
