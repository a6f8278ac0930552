#pragma once
// The default browser of this computer and its version, for the assistance request's description.
//
// On Windows the registry names them at once (core/DefaultBrowser). On Linux finding them takes
// three system programs (xdg-settings, then dpkg-query twice), each of which may take seconds on a
// busy or oddly configured computer; so they run one after the other in the background, each
// within a bound, from the moment the assistance form opens, and the window goes on answering
// meanwhile. A program that is missing, fails or takes too long ends the search with
// what was found so far.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;
class QTimer;

namespace vx {

class BrowserProbe : public QObject {
    Q_OBJECT
public:
    // The longest each system program may take.
    static constexpr int kStepMs = 3000;

    BrowserProbe();
    ~BrowserProbe() override;

    void start();
    bool isFinished() const { return m_finished; }
    // The browser line of the description: its name and version, or that none was found (also
    // while the search goes on).
    QString text() const;
    // Waits for the end of the search, at most `ms`, repainting meanwhile; true when it ended.
    bool waitFor(int ms);
    // Ends the search with what it found so far; no program of it runs afterwards (so that none
    // shares the database's descriptors while the database is closed and opened again).
    void stop();

Q_SIGNALS:
    void finished();

private:
    // Runs `program` with `arguments`; `then` gets its standard output, "" when it failed.
    void run(const QString& program, const QStringList& arguments, std::function<void(const QString&)> then);
    void finish();

    QProcess* m_process = nullptr;
    QTimer* m_bound = nullptr;
    QString m_name;
    QString m_version;
    bool m_finished = false;
};

} // namespace vx
