#pragma once
// The download of the current registry of chosen operators from the region: the list the user
// keeps of them, the form the server is sent, and the split of its answer into the registry files
// (and any decode-table files) that the database update then loads.
//
// Invariants: a failed download writes no file and changes nothing; the answer names the files it
// is split into, and only the plain names the update knows (the decode-table files, the four
// registry files, the two flag files) are ever written, all in the program folder: an answer that
// names anything else is refused whole, before a byte is written; the answer is read up to its own
// cap, large enough for a whole region's registry.

#include "net/ServerCall.h"
#include "store/Lookups.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vx {

class Database;
class Exchange;
class Prompter;
struct Context;

namespace refdata {

// The answer as received, kept in the program folder only while it is split.
inline const QString kAnswerFile = QStringLiteral("$tmpDenOp.tx1");
// A whole region's registry is some tens of megabytes; anything past this is no answer of ours.
constexpr qint64 kRegistryAnswerLimit = qint64(64) * 1024 * 1024;

// One operator of the list: its group letter, its code and, when the database knows it, its name.
// The operators to download, at most 150 of them, each once.
class OperatorList {
public:
    static constexpr int kLimit = 150;
    enum class AddResult { Added, AlreadyThere, Full, NoGroup };

    // The operators the database already holds, by group and code, with their names. False (and
    // the list left empty) when they cannot be read; the error has been told.
    bool fill(Database& db, Prompter& prompter);
    AddResult add(const OperatorEntry& entry);
    void remove(int row);

    const QList<OperatorEntry>& entries() const { return m_entries; }
    int size() const { return int(m_entries.size()); }

private:
    QList<OperatorEntry> m_entries;
};

// The form sent: "g=" group "&c=" code for each entry, in order ("g=A&c=12&g=B&c=7").
QByteArray downloadBody(const QList<OperatorEntry>& entries);

// True for the plain names an answer may deliver: the decode-table files, the four registry files
// and the two flag files, in any letter case.
bool isDeliverableName(const QString& name);
// The name such a file is written under, as the loaders look for it ("OPER.TX1" gives "oper.tx1"),
// so that a file system that tells letter cases apart still finds it; "" for any other name.
QString deliverableName(const QString& name);

// The files an answer holds, as name and lines, in the answer's order. A line whose trimmed text
// is neither empty nor "EOF", does not start with "#" and is no header keyword names a file; its
// lines follow, unchanged, up to an empty line or "EOF". Lines before any name are dropped.
struct AnswerFile {
    QString name;
    QStringList lines;
};
QList<AnswerFile> splitAnswer(const QByteArray& answer);

class RegistryDownload {
public:
    enum class Outcome {
        Downloaded, // the files are in the program folder
        EmptyList,  // nothing to ask for: told, nothing sent
        Failed,     // told; nothing written
    };

    RegistryDownload(Context& ctx, Exchange& exchange) : m_ctx(ctx), m_exchange(exchange) {}

    // Sends the list to the download address of the installation (with its account), checks the
    // answer and writes its files into the program folder, replacing files of the same names.
    Outcome run(const QList<OperatorEntry>& entries, const ProgressLabel& progress = ProgressLabel());
    // The answer's part of `run`, from a good answer as it came: kept as `$tmpDenOp.tx1` while it
    // is split, every name checked before anything is written, each file written whole.
    Outcome writeAnswer(const QByteArray& answer);

    // The cap of the answer (kRegistryAnswerLimit unless set).
    void setAnswerLimit(qint64 bytes) { m_answerLimit = bytes; }

    // The names written by the last successful run, in the answer's order.
    const QStringList& written() const { return m_written; }
    // What the download brought, for the user to confirm: each operator of the registry file just
    // written ("A-12      - name"), then each of `asked` the answer did not hold, said so.
    QStringList deliveredOperators(const QList<OperatorEntry>& asked) const;

private:
    // Splits the answer kept at `answerPath`, read a line at a time: memory stays that of a line.
    Outcome writeFiles(const QString& answerPath);

    Context& m_ctx;
    Exchange& m_exchange;
    qint64 m_answerLimit = kRegistryAnswerLimit;
    QStringList m_written;
};

} // namespace refdata
} // namespace vx
