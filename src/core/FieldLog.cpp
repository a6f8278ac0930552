#include "core/FieldLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <cstdio>

Q_LOGGING_CATEGORY(vxApp, "vx.app", QtInfoMsg)
Q_LOGGING_CATEGORY(vxStore, "vx.store", QtInfoMsg)
Q_LOGGING_CATEGORY(vxNet, "vx.net", QtInfoMsg)
Q_LOGGING_CATEGORY(vxRefdata, "vx.refdata", QtInfoMsg)
Q_LOGGING_CATEGORY(vxRoles, "vx.roles", QtInfoMsg)
Q_LOGGING_CATEGORY(vxPrint, "vx.print", QtInfoMsg)
Q_LOGGING_CATEGORY(vxTransmission, "vx.transmission", QtInfoMsg)
Q_LOGGING_CATEGORY(vxBackup, "vx.backup", QtInfoMsg)
Q_LOGGING_CATEGORY(vxAssist, "vx.assist", QtInfoMsg)

namespace vx::fieldlog {

namespace {

struct Log {
    QMutex mutex;
    QString path;    // empty: nothing written
    QString program; // empty: no log wanted
    QtMessageHandler previous = nullptr;
    bool installed = false;
    bool shown = false; // VX_QT_MESSAGES=1: a developer sees them too
};

Log& log()
{
    static Log instance;
    return instance;
}

const char* levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

// One line in the file; past the bound, the file is put aside first. A file that cannot be
// written loses the line: the log never stops the program.
void write(Log& l, const QByteArray& line)
{
    QFile file(l.path);
    if (file.size() + line.size() > kMaxBytes) {
        const QString older = l.path + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(l.path, older);
    }
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line);
}

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    Log& l = log();
    {
        const QMutexLocker locker(&l.mutex);
        if (!l.path.isEmpty() && type != QtDebugMsg) {
            const QString category = context.category ? QString::fromLatin1(context.category) : QStringLiteral("qt");
            // One message, one line: a cause spread over lines stays on its own.
            const QString text = QString(message).replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(
                QLatin1Char('\n'), QLatin1String(" | "));
            write(l, (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
                      QLatin1Char(' ') + l.program + QLatin1Char(' ') + QLatin1String(levelName(type)) +
                      QLatin1Char(' ') + category + QStringLiteral(": ") + text + QLatin1Char('\n'))
                         .toUtf8());
        }
    }
    if ((type == QtFatalMsg || l.shown) && l.previous)
        l.previous(type, context, message);
}

} // namespace

void wanted(const QString& program)
{
    Log& l = log();
    const QMutexLocker locker(&l.mutex);
    l.program = program;
}

void start(const QString& folder)
{
    Log& l = log();
    {
        const QMutexLocker locker(&l.mutex);
        if (l.program.isEmpty())
            return;
        l.path = QDir(folder).filePath(kFileName);
        l.shown = qEnvironmentVariableIntValue("VX_QT_MESSAGES") == 1;
        if (l.installed)
            return;
        l.installed = true;
    }
    l.previous = qInstallMessageHandler(handle);
}

void stop()
{
    Log& l = log();
    {
        const QMutexLocker locker(&l.mutex);
        l.path.clear();
        if (!l.installed)
            return;
        l.installed = false;
    }
    qInstallMessageHandler(l.previous);
}

QStringList files(const QString& folder)
{
    QStringList found;
    for (const QString& name : {kFileName + QStringLiteral(".1"), kFileName}) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo(path).isFile())
            found.append(path);
    }
    return found;
}

} // namespace vx::fieldlog
