#pragma once
// What the program and its network module (libvx_network.so) share, and nothing more. The module
// holds the calls over HTTPS: Qt Network, and the TLS, Kerberos and proxy libraries it brings,
// would otherwise be loaded, relocated and initialised at every start of the program, for a
// megabyte and a half of its memory, while a session may never talk to a server. The module is
// loaded on the first call.
//
// Both sides are built together from this header with the same compiler and Qt, so Qt types and
// virtual calls cross freely; `kInterface` changes with any change here, and a module that
// answers another number is not used. The module carries a call out and says how it ended; what
// the user is told of it is the program's.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <utility>

namespace vx::net {

constexpr int kInterface = 2;

struct Call {
    bool post = false;
    QUrl url; // without an account: it travels in a header
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QString caFile;          // further trusted authorities (PEM or DER); empty: the system's only
    QByteArray pkcs12;       // the certificate to present, as its PKCS#12 file holds it; empty: none
    QByteArray pkcs12Secret; // and the file's password
    int silenceMs = 0;       // the longest silence the call bears
    qint64 answerLimit = 0;  // the largest answer it takes
    // When set, the answer is handed over piece by piece as it arrives and never kept whole (a
    // registry answer runs to tens of megabytes); a false return stops the call (End::NotKept).
    std::function<bool(QByteArrayView piece)> sink;
};

struct Outcome {
    enum class End { Answer, TimedOut, TooLarge, Cancelled, Failed, NotKept };
    End end = End::Failed;
    int failureCode = 0;         // for Failed: the transfer codes of Exchange (12007, 12045...)
    QString failureText;         // and the network library's own words for it
    bool caFileUnusable = false; // the further authorities could not be read
    int httpStatus = 0;
    QByteArray answer; // for Answer: the whole answer, within the limit (empty with a sink)
};

// What the call tells as it goes.
struct Progress {
    std::function<void()> downloading;          // the answer began to arrive
    std::function<void(qint64 bytes)> received; // the bytes of the answer so far
};

// One caller's calls, one at a time; destroying it stops a call in progress.
class Transport {
public:
    virtual ~Transport() = default;
    // Runs `call` to its end while the event loop turns (the screens keep painting).
    virtual Outcome run(const Call& call, const Progress& progress) = 0;
    // Stops the call in progress: it ends as Cancelled.
    virtual void cancel() = 0;
};

class Module {
public:
    virtual ~Module() = default;
    virtual std::unique_ptr<Transport> transport() = 0;
    // Whether `pkcs12` holds a certificate with its key that `secret` opens.
    virtual bool readsCertificate(const QByteArray& pkcs12, const QByteArray& secret) = 0;
};

} // namespace vx::net

// The module's one entry point: its module object, or null when it was built for another interface.
#define VX_NETWORK_ENTRY "vx_network_module"
extern "C" {
using VxNetworkEntry = vx::net::Module* (*)(int interface);
}
