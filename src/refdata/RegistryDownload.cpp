#include "refdata/RegistryDownload.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Context.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/Windows1252.h"
#include "refdata/DecodeTables.h"
#include "refdata/Messages.h"
#include "refdata/RegistryUpdate.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QUrl>

#include <memory>
#include <vector>

namespace vx::refdata {

namespace {

const QString kEndOfFile = QStringLiteral("EOF");
const QString kLineEnd = QStringLiteral("\r\n");

// Every name an answer may deliver, lower-cased, with the name it is written under.
const QHash<QString, QString>& deliverableNames()
{
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> all;
        auto add = [&all](const QString& name) { all.insert(name.toLower(), name); };
        for (const DecodeTable& table : decodeTables())
            add(table.file);
        for (const QString& name : {kOperFile, kCompoFile, kSediOccFile, kSediUtilFile, kInstallFlag, kUpdateFlag})
            add(name);
        return all;
    }();
    return names;
}

} // namespace

bool OperatorList::fill(Database& db, Prompter& prompter)
{
    m_entries.clear();
    const auto operators = readOperators(db);
    if (!operators) {
        reportRoutineFailure(prompter, QStringLiteral("CaricaListaOperatori"), db.lastError());
        return false;
    }
    m_entries = *operators;
    return true;
}

OperatorList::AddResult OperatorList::add(const OperatorEntry& entry)
{
    if (entry.group.trimmed().isEmpty())
        return AddResult::NoGroup;
    if (m_entries.size() >= kLimit)
        return AddResult::Full;
    for (const OperatorEntry& e : m_entries) {
        if (e.sameKey(entry))
            return AddResult::AlreadyThere;
    }
    m_entries.append(entry);
    return AddResult::Added;
}

void OperatorList::remove(int row)
{
    if (row >= 0 && row < m_entries.size())
        m_entries.removeAt(row);
}

QByteArray downloadBody(const QList<OperatorEntry>& entries)
{
    QByteArray body;
    for (const OperatorEntry& e : entries)
        body += "&g=" + QUrl::toPercentEncoding(e.group) + "&c=" + QByteArray::number(e.code);
    return body.mid(1);
}

QString deliverableName(const QString& name)
{
    return deliverableNames().value(name.toLower());
}

bool isDeliverableName(const QString& name)
{
    return !deliverableName(name).isEmpty();
}

QList<AnswerFile> splitAnswer(const QString& answer)
{
    QList<AnswerFile> files;
    bool inFile = false;
    for (QString line : answer.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed == kEndOfFile) {
            inFile = false;
        } else if (!trimmed.startsWith(QLatin1Char('#')) && trimmed != kInstallHeader && trimmed != kUpdateHeader) {
            files.append({trimmed, {}});
            inFile = true;
        } else if (inFile) {
            files.last().lines.append(line);
        }
    }
    return files;
}

RegistryDownload::Outcome RegistryDownload::run(const QList<OperatorEntry>& entries, const ProgressLabel& progress)
{
    m_written.clear();
    if (entries.isEmpty()) {
        m_ctx.prompter.ask(msg::refdata::emptyList());
        return Outcome::EmptyList;
    }
    const QString address = Settings::read(IniFile(m_ctx.state.programFolder)).registryDownload;
    const QUrl url = Exchange::withCredential(address, m_ctx.state.credential);
    const QString plain = url.toString(QUrl::RemoveUserInfo);
    TransferResult result;
    {
        Busy busy(m_ctx.control);
        result =
            postAndReport(m_exchange, m_ctx.prompter, progress, url, downloadBody(entries), m_answerLimit,
                          [&url](const TransferResult& r) { return transferErrorMessage(r, url.host().toUpper()); });
    }
    if (result.errorCode != 0 || !result.completed)
        return Outcome::Failed; // told by the call (the user's own stop needs no word)
    // An HTML page is a server's error page even without "ERRORE": split, it would only name
    // files that do not exist.
    if (Exchange::isHtml(result.answer)) {
        tellServerError(m_ctx, plain, result);
        return Outcome::Failed;
    }
    if (Exchange::containsErrore(result.answer)) {
        m_ctx.prompter.ask(serverAnswerMessage(Settings::serviceLabel(plain), result.answer));
        return Outcome::Failed;
    }
    return writeAnswer(result.raw);
}

RegistryDownload::Outcome RegistryDownload::writeAnswer(const QByteArray& answer)
{
    m_written.clear();
    Busy busy(m_ctx.control);
    const QString folder = m_ctx.state.programFolder;
    const QString answerPath = folder + kAnswerFile;
    // The answer is kept only while it is split, whatever happens.
    struct RemoveOnExit {
        const QString& path;
        ~RemoveOnExit() { QFile::remove(path); }
    } removeAnswer{answerPath};

    // The files are Windows-1252, as the loaders read them; every byte goes back as it came.
    const QByteArray kept = answer + "\r\n";
    QFile file(answerPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(kept) != kept.size() || !file.flush()) {
        m_ctx.prompter.ask(msg::refdata::writeFailure(answerPath, file.errorString()));
        return Outcome::Failed;
    }
    file.close();
    const QList<AnswerFile> files = splitAnswer(windows1252::decode(kept));

    // Every name is checked before a byte is written: a name such as "../VELTRANORPX.INI" would
    // otherwise write wherever it points.
    for (const AnswerFile& f : files) {
        if (!isDeliverableName(f.name)) {
            m_ctx.prompter.ask(msg::refdata::forbiddenName(f.name));
            return Outcome::Failed;
        }
    }

    // An answer with no file would leave the update to load whatever an earlier download left.
    if (files.isEmpty()) {
        m_ctx.prompter.ask(msg::refdata::noFiles());
        return Outcome::Failed;
    }

    // Each file is written aside first; only when all are whole do they take their names.
    std::vector<std::unique_ptr<QSaveFile>> staged;
    for (const AnswerFile& f : files) {
        auto out = std::make_unique<QSaveFile>(folder + deliverableName(f.name));
        QByteArray bytes;
        for (const QString& line : f.lines)
            bytes += windows1252::encode(line + kLineEnd);
        if (!out->open(QIODevice::WriteOnly) || out->write(bytes) != bytes.size()) {
            m_ctx.prompter.ask(msg::refdata::writeFailure(out->fileName(), out->errorString()));
            return Outcome::Failed;
        }
        staged.push_back(std::move(out));
    }
    QStringList committed;
    for (const auto& out : staged) {
        if (!out->commit()) {
            // A file the answer delivered without the others would be loaded as if it were all.
            for (const QString& name : committed)
                QFile::remove(folder + name);
            m_ctx.prompter.ask(msg::refdata::writeFailure(out->fileName(), out->errorString()));
            return Outcome::Failed;
        }
        const QString name = out->fileName().mid(folder.size());
        if (!committed.contains(name))
            committed.append(name);
    }
    m_written = committed;
    return Outcome::Downloaded;
}

} // namespace vx::refdata
