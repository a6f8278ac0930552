#pragma once
// The program's log from the field, for the assistance service: what was done and what failed,
// with its cause. Each subsystem writes under a category of its own (vx.store, vx.net, ...), at
// info for what was done and warning for what failed; Qt's own warnings join them. The lines go
// to VELTRANORPX.log in the installation's folder, kept under a bound: past kMaxBytes the file
// becomes VELTRANORPX.log.1 (the one before it is dropped) and a new one begins.
//
// Never a password, an address's credentials or a person's data: a Request by its number, a file
// by its name, a server by its host.

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

Q_DECLARE_LOGGING_CATEGORY(vxApp)
Q_DECLARE_LOGGING_CATEGORY(vxStore)
Q_DECLARE_LOGGING_CATEGORY(vxNet)
Q_DECLARE_LOGGING_CATEGORY(vxRefdata)
Q_DECLARE_LOGGING_CATEGORY(vxRoles)
Q_DECLARE_LOGGING_CATEGORY(vxPrint)
Q_DECLARE_LOGGING_CATEGORY(vxTransmission)
Q_DECLARE_LOGGING_CATEGORY(vxBackup)
Q_DECLARE_LOGGING_CATEGORY(vxAssist)

namespace vx::fieldlog {

inline constexpr qint64 kMaxBytes = 512 * 1024;
inline const QString kFileName = QStringLiteral("VELTRANORPX.log");

// A program that keeps a log says so first, with its name (on each line: the desktop program and
// the command line share the file); code run by another (a test) writes none.
void wanted(const QString& program);
// From now on the log is written in `folder`, once the installation there is known. Before it,
// and where the file cannot be written, messages go nowhere, as Qt's did (VX_QT_MESSAGES=1 shows
// them too).
void start(const QString& folder);
// Back to nothing written, the message handler found at the start put back.
void stop();
// The log's files in `folder`, the older first: what the assistance archive takes.
QStringList files(const QString& folder);

} // namespace vx::fieldlog
