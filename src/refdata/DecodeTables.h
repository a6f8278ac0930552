#pragma once
// The decode tables (territory, economic activities, operator and site types, the course-proposal
// tables...) filled and kept current from the text files the region delivers in the program folder.
//
// A flag file arms the load: `installa.tab` empties and reloads every table whose file is there,
// `aggiorna.tab` updates or adds rows by key. Each file's header line may switch the mode, and the
// mode so set holds for the files that follow and for the registry update after them.
//
// Invariants: each table is loaded in one write transaction, so a failure leaves it as it was
// (never emptied and half reloaded); a file whose rows cannot all be read whole is refused before
// its table is touched, and so is one with a field that its number column cannot hold (a field
// of a number column is stored as the number it is, an empty one as null, never as a text); every
// value read from a file reaches the database bound, never pasted into a statement; the table
// and column names come from the fixed list below and from the schema, never from a file; `LOGO`
// is never written.

#include "refdata/DeliveredFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vx {

struct Context;

namespace refdata {

// A stored value is cut to this many characters, then trimmed.
constexpr int kMaxValueLength = 500;

struct KeyColumn {
    QString name;
    bool text = true; // a text column; otherwise a number one (as the schema says: asserted at each load)
};

// What a column holds, as the engine reports its type: a file's field is bound as such.
enum class ColumnKind { Text, Whole, Real };

struct DecodeTable {
    QString file;
    QString table;
    int columns = 0;
    QList<KeyColumn> keys; // the leading columns, in order
};

// Every decode table in the order of its loading.
const QList<DecodeTable>& decodeTables();

// The file name a processed table file is kept under in `Car`: the table's name with ".txt".
QString archivedName(const DecodeTable& table);

inline const QString kInstallFlag = QStringLiteral("installa.tab");
inline const QString kUpdateFlag = QStringLiteral("aggiorna.tab");
inline const QString kProcessedFolder = QStringLiteral("Car");
inline const QString kInstallHeader = QStringLiteral("INSTALLAZIONE");
inline const QString kUpdateHeader = QStringLiteral("AGGIORNAMENTO");

class DecodeTables {
public:
    enum class Outcome {
        Nothing,    // no flag file, both flag files, or a flag that could not be consumed
        Loaded,     // every table file present was loaded and moved into `Car`
        Failed,     // a table could not be read whole or written: it is as it was, it and the later files stay
        EndProgram, // the user chose to end the program at an empty file; the caller ends it
    };
    enum class TableResult { Loaded, Skipped, Failed, EndProgram };

    explicit DecodeTables(Context& ctx) : m_ctx(ctx) {}

    // Called before each table (row 0) and every few rows, so that a progress window can follow
    // and keep painting.
    std::function<void(const QString& file, const QString& table, int rows)> progress;
    // The same calls with the number of data lines of the table's file, for a progress bar.
    std::function<void(const QString& file, const QString& table, int rows, int total)> progressWithTotal;
    // Called once the flag file has been consumed, before the first table: `install` tells the
    // mode the flag chose (the start-up window shows it).
    std::function<void(bool install)> starting;

    // The whole load, as armed by the flag files of the program folder.
    Outcome aggiornaTabelleDecodifica();
    // One file into one table, in the mode of the application state (which its header may change).
    TableResult caricaTabella(const QString& path, const DecodeTable& table);

    // The error of the last failed table ("" when none).
    QString lastError() const { return m_lastError; }

private:
    bool writeRows(const DecodeTable& table, const QStringList& columns, const QList<ColumnKind>& kinds,
                   const QList<FileLine>& rows);
    void tellProgress(const QString& file, const QString& table, int rows, int total);

    Context& m_ctx;
    QString m_lastError;
};

} // namespace refdata
} // namespace vx
