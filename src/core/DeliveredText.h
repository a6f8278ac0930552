#pragma once
// The text of a file another system delivers (the region's decode-table and registry files, a role
// text file): its bytes decoded once and cut into lines.
//
// Such files come from many programs. A UTF-8 byte-order mark is skipped; what remains is read
// as UTF-8 when it is valid UTF-8 holding non-ASCII bytes, and as Windows-1252 otherwise (the
// code page of the exchange formats). Lines end with CR LF, LF or CR alone (older office
// programs), so that no file is ever read as one long line.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

namespace vx::delivered {

QString decode(const QByteArray& bytes);

// The lines of `text`, without their ends; a last line without an end counts, an empty text has none.
QList<QStringView> lines(QStringView text);

} // namespace vx::delivered
