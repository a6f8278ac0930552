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
#include "refdata/RegistryRows.h"
#include "refdata/RegistryUpdate.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

#include <QBuffer>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace vx::refdata {

namespace {

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

namespace {

// The blanks QString::trimmed takes off a line decoded from Windows-1252, as bytes.
bool isBlank(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b == ' ' || (b >= 0x09 && b <= 0x0D) || b == 0xA0;
}

QByteArrayView trimmedBytes(QByteArrayView line)
{
    while (!line.isEmpty() && isBlank(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && isBlank(line.back()))
        line.chop(1);
    return line;
}

// The longest name shown when an answer names a file it may not: a name is a few characters, and
// a hostile "name" of megabytes has no place in a message.
constexpr qsizetype kShownName = 1024;

QString nameOf(QByteArrayView trimmed)
{
    const bool cut = trimmed.size() > kShownName;
    QString name = windows1252::decode(trimmed.first(qMin(trimmed.size(), kShownName)).toByteArray());
    return cut ? name + QChar(0x2026) : name;
}

// Reads an answer a line at a time from `in` as splitAnswer describes it, calling `onName` with
// each name and `onLine` with each line of a file (its line end taken off). False when a call
// returns false or the device cannot be read.
const QByteArray kInstallBytes = kInstallHeader.toLatin1();
const QByteArray kUpdateBytes = kUpdateHeader.toLatin1();

template <typename OnName, typename OnLine> bool splitLines(QIODevice& in, OnName onName, OnLine onLine)
{
    bool inFile = false;
    while (!in.atEnd()) {
        QByteArray line = in.readLine();
        if (line.isEmpty())
            return false; // not at the end, yet nothing read: the device failed
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArrayView trimmed = trimmedBytes(line);
        if (trimmed.isEmpty() || trimmed == "EOF") {
            inFile = false;
        } else if (!trimmed.startsWith('#') && trimmed != kInstallBytes && trimmed != kUpdateBytes) {
            if (!onName(trimmed))
                return false;
            inFile = true;
        } else if (inFile) {
            if (!onLine(QByteArrayView(line)))
                return false;
        }
    }
    return true;
}

// What marks an answer as a server's error, looked for in the answer on disk a piece at a time:
// "<h" or "<H" (an HTML page) and "ERRORE". The marks are ASCII, the same bytes whether the answer
// is UTF-8 or Windows-1252.
struct ErrorMarks {
    bool html = false;
    bool errore = false;
};

std::optional<ErrorMarks> errorMarks(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    constexpr qint64 kPiece = 1024 * 1024;
    constexpr qsizetype kOverlap = 5; // the longest mark less one byte
    ErrorMarks marks;
    QByteArray tail;
    while (!file.atEnd()) {
        const QByteArray read = file.read(kPiece);
        if (read.isEmpty())
            return std::nullopt;
        const QByteArray piece = tail + read;
        marks.html = marks.html || piece.contains("<h") || piece.contains("<H");
        marks.errore = marks.errore || piece.contains("ERRORE");
        tail = piece.right(kOverlap);
    }
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return marks;
}

// The answer is kept only while it is split, whatever happens.
struct RemovedOnExit {
    const QString& path;
    ~RemovedOnExit() { QFile::remove(path); }
};

QByteArray wholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QList<AnswerFile> splitAnswer(const QByteArray& answer)
{
    QList<AnswerFile> files;
    QBuffer buffer;
    buffer.setData(answer);
    buffer.open(QIODevice::ReadOnly);
    splitLines(
        buffer,
        [&files](QByteArrayView name) {
            files.append({windows1252::decode(name.toByteArray()), {}});
            return true;
        },
        [&files](QByteArrayView line) {
            files.last().lines.append(windows1252::decode(line.toByteArray()));
            return true;
        });
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
    // The answer goes to disk as it arrives: a whole region's registry is tens of megabytes, and
    // kept in memory (and copied as it is decoded and split) it cost ten times its size.
    const QString answerPath = m_ctx.state.programFolder + kAnswerFile;
    const RemovedOnExit removeAnswer{answerPath};
    QFile answerFile(answerPath);
    if (!answerFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_ctx.prompter.ask(msg::refdata::writeFailure(answerPath, answerFile.errorString()));
        return Outcome::Failed;
    }
    TransferResult result;
    {
        Busy busy(m_ctx.control);
        result = postAndReport(
            m_exchange, m_ctx.prompter, progress, url, downloadBody(entries), m_answerLimit,
            [&](const TransferResult& r) {
                return r.errorCode == Exchange::kNotKept ? msg::refdata::writeFailure(answerPath, r.errorText)
                                                         : transferErrorMessage(r, url.host().toUpper());
            },
            &answerFile);
    }
    if (result.errorCode != 0 || !result.completed)
        return Outcome::Failed; // told by the call (the user's own stop needs no word)
    if (!answerFile.flush()) {
        m_ctx.prompter.ask(msg::refdata::writeFailure(answerPath, answerFile.errorString()));
        return Outcome::Failed;
    }
    answerFile.close();
    const std::optional<ErrorMarks> marks = errorMarks(answerPath);
    if (!marks) {
        m_ctx.prompter.ask(msg::refdata::writeFailure(answerPath, answerFile.errorString()));
        return Outcome::Failed;
    }
    // An HTML page is a server's error page even without "ERRORE": split, it would only name
    // files that do not exist. Either is small, and read whole to be shown.
    if (marks->html) {
        result.raw = wholeFile(answerPath);
        tellServerError(m_ctx, plain, result);
        return Outcome::Failed;
    }
    if (marks->errore) {
        m_ctx.prompter.ask(serverAnswerMessage(Settings::serviceLabel(plain), Exchange::answerText(wholeFile(answerPath))));
        return Outcome::Failed;
    }
    return writeFiles(answerPath);
}

QStringList RegistryDownload::deliveredOperators(const QList<OperatorEntry>& asked) const
{
    QStringList lines;
    QList<OperatorEntry> delivered;
    OperatorFile file;
    if (m_written.contains(kOperFile) && file.read(QDir(m_ctx.state.programFolder).filePath(kOperFile))) {
        for (const RegistryOperator& row : std::as_const(file.rows)) {
            const OperatorEntry entry{row.group.trimmed().toString(), qint32(row.code.value),
                                      row.head[0].trimmed().toString()};
            if (std::any_of(delivered.cbegin(), delivered.cend(), [&](const OperatorEntry& e) { return e.sameKey(entry); }))
                continue;
            delivered.append(entry);
            lines.append(entry.text());
        }
    }
    for (const OperatorEntry& e : asked) {
        if (std::none_of(delivered.cbegin(), delivered.cend(), [&](const OperatorEntry& d) { return d.sameKey(e); }))
            lines.append(msg::refdata::operatorNotDelivered(e.group + QLatin1Char('-') + QString::number(e.code)));
    }
    return lines;
}

RegistryDownload::Outcome RegistryDownload::writeAnswer(const QByteArray& answer)
{
    m_written.clear();
    const QString answerPath = m_ctx.state.programFolder + kAnswerFile;
    const RemovedOnExit removeAnswer{answerPath};
    QFile file(answerPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(answer) != answer.size() || !file.flush()) {
        m_ctx.prompter.ask(msg::refdata::writeFailure(answerPath, file.errorString()));
        return Outcome::Failed;
    }
    file.close();
    return writeFiles(answerPath);
}

RegistryDownload::Outcome RegistryDownload::writeFiles(const QString& answerPath)
{
    m_written.clear();
    Busy busy(m_ctx.control);
    const QString folder = m_ctx.state.programFolder;
    QFile answer(answerPath);
    const auto unreadable = [&] {
        m_ctx.prompter.ask(msg::refdata::writeFailure(answerPath, answer.errorString()));
        return Outcome::Failed;
    };
    if (!answer.open(QIODevice::ReadOnly))
        return unreadable();

    // Every name is checked before a byte is written: a name such as "../VELTRANORPX.INI" would
    // otherwise write wherever it points.
    QString forbidden;
    bool anyFile = false;
    const bool read = splitLines(
        answer,
        [&](QByteArrayView name) {
            anyFile = true;
            if (!isDeliverableName(windows1252::decode(name.toByteArray())))
                forbidden = nameOf(name);
            return forbidden.isEmpty();
        },
        [](QByteArrayView) { return true; });
    if (!forbidden.isEmpty()) {
        m_ctx.prompter.ask(msg::refdata::forbiddenName(forbidden));
        return Outcome::Failed;
    }
    if (!read || answer.error() != QFileDevice::NoError)
        return unreadable();
    // An answer with no file would leave the update to load whatever an earlier download left.
    if (!anyFile) {
        m_ctx.prompter.ask(msg::refdata::noFiles());
        return Outcome::Failed;
    }

    // Each file is written aside first; only when all are whole do they take their names. A name
    // the answer gives twice is written from its last file, as if the first had been replaced.
    std::vector<std::pair<QString, std::unique_ptr<QSaveFile>>> staged;
    QSaveFile* out = nullptr;
    QString failedFile;
    QString failure;
    const auto failed = [&](const QSaveFile& f) {
        failedFile = f.fileName();
        failure = f.errorString();
        return false;
    };
    answer.seek(0);
    const bool split = splitLines(
        answer,
        [&](QByteArrayView name) {
            const QString plainName = deliverableName(windows1252::decode(name.toByteArray()));
            auto file = std::make_unique<QSaveFile>(folder + plainName);
            if (!file->open(QIODevice::WriteOnly))
                return failed(*file);
            out = file.get();
            const auto same =
                std::find_if(staged.begin(), staged.end(), [&](const auto& s) { return s.first == plainName; });
            if (same != staged.end())
                same->second = std::move(file);
            else
                staged.emplace_back(plainName, std::move(file));
            return true;
        },
        [&](QByteArrayView line) {
            if (out->write(line.data(), line.size()) != line.size() || out->write("\r\n", 2) != 2)
                return failed(*out);
            return true;
        });
    if (!failedFile.isEmpty()) {
        m_ctx.prompter.ask(msg::refdata::writeFailure(failedFile, failure));
        return Outcome::Failed;
    }
    if (!split || answer.error() != QFileDevice::NoError)
        return unreadable();
    QStringList committed;
    for (const auto& [name, file] : staged) {
        if (!file->commit()) {
            // A file the answer delivered without the others would be loaded as if it were all.
            for (const QString& done : committed)
                QFile::remove(folder + done);
            m_ctx.prompter.ask(msg::refdata::writeFailure(file->fileName(), file->errorString()));
            return Outcome::Failed;
        }
        committed.append(name);
    }
    m_written = committed;
    return Outcome::Downloaded;
}

} // namespace vx::refdata
