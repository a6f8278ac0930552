#pragma once
// Where the PDF files of a Request go and how they get there.
//
// A PDF is made whole in memory and then written to a temporary file beside its final path,
// which is renamed over the final path only once every byte is on disk: a run that fails at any
// point leaves the earlier file (if any) untouched and no half-written PDF at the final path.

#include "print/PrintData.h"

#include <QByteArray>
#include <QString>

class QPdfWriter;

namespace vx {

enum class PrintType { Draft, Original, Copy };

// "BOZZA", "ORIGINALE", "COPIA": the print type as the document shows it.
QString printTypeText(PrintType type);

// "VELTRANORPX-A123-XY-Domanda45.pdf". The definitive document keeps this name; a draft gets
// "-Bozza" before ".pdf", so that the two are never one file: the definitive print never replaces
// the draft the user is looking at, and no draft replaces the document the agency signed and kept.
QString requestPdfName(const PrintRequest& request, PrintType type);

namespace print {

// The author written in every PDF this program makes.
QString author();
QString creator();
// A PDF writer on `device` with the page size, margins, title and creator every document shares.
void prepare(QPdfWriter& writer, const QString& title);
// Adds the author (and repeats title and creator) to the document information of `pdf`, as an
// incremental update appended at its end: the bytes Qt wrote stay as they are.
bool setDocumentInfo(QByteArray& pdf, const QString& title);
// Writes `pdf` at `path` through a temporary file in the same folder. False, with `error` set,
// when anything fails; nothing is then left at `path` that was not there before.
bool saveAtomically(const QString& path, const QByteArray& pdf, QString* error);
// The document information set, then the file saved as saveAtomically does.
bool finish(const QString& path, QByteArray& pdf, const QString& title, QString* error);

} // namespace print
} // namespace vx
