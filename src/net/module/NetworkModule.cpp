// The network module: the program's calls over HTTPS, on Qt Network.

#include "net/NetworkModule.h"
#include "net/Exchange.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTimer>

namespace {

using vx::Exchange;
using vx::net::Outcome;

int certificateCode(const QList<QSslError>& errors)
{
    for (const QSslError& e : errors) {
        switch (e.error()) {
        case QSslError::HostNameMismatch:
            return Exchange::kCertificateName;
        case QSslError::CertificateExpired:
        case QSslError::CertificateNotYetValid:
            return Exchange::kCertificateDate;
        default:
            break;
        }
    }
    return Exchange::kUntrustedCertificate;
}

int transferCode(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return Exchange::kHostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return Exchange::kCannotConnect;
    case QNetworkReply::RemoteHostClosedError:
        return Exchange::kConnectionAborted;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return Exchange::kConnectionReset;
    case QNetworkReply::TimeoutError:
        return Exchange::kTimeout;
    case QNetworkReply::SslHandshakeFailedError:
        return Exchange::kUntrustedCertificate;
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolUnknownError:
        return Exchange::kInvalidResponse;
    default:
        return Exchange::kOtherFailure;
    }
}

// Failures of the connection itself, as opposed to an HTTP error answer, which is an answer.
bool isTransferError(QNetworkReply::NetworkError error)
{
    const int e = static_cast<int>(error);
    return (e > 0 && e < 200) || (e >= 300 && e < 400);
}

// The further authorities of the installation; empty when the file is missing, unreadable or
// holds no certificate in either of the two encodings an authority's file comes in.
QList<QSslCertificate> furtherAuthorities(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<QSslCertificate> found = QSslCertificate::fromData(bytes, QSsl::Pem);
    if (found.isEmpty())
        found = QSslCertificate::fromData(bytes, QSsl::Der);
    return found;
}

struct Certificate {
    QSslCertificate certificate;
    QSslKey key;
    QList<QSslCertificate> chain;
};

bool readCertificate(const QByteArray& pkcs12, const QByteArray& secret, Certificate& out)
{
    QByteArray bytes = pkcs12;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return QSslCertificate::importPkcs12(&buffer, &out.key, &out.certificate, &out.chain, secret) &&
           !out.certificate.isNull();
}

// What a call with a sink keeps of its answer at most before the sink takes it.
constexpr qint64 kSinkBuffer = 256 * 1024;

class Transport : public vx::net::Transport {
public:
    ~Transport() override
    {
        if (m_reply)
            m_reply->abort();
    }

    void cancel() override
    {
        m_cancelled = true;
        if (m_reply)
            m_reply->abort();
    }

    Outcome run(const vx::net::Call& call, const vx::net::Progress& progress) override
    {
        Outcome outcome;
        m_cancelled = false;
        QNetworkRequest request(call.url);
        for (const auto& [name, value] : call.headers)
            request.setRawHeader(name, value);
        request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        if (!call.caFile.isEmpty()) {
            const QList<QSslCertificate> authorities = furtherAuthorities(call.caFile);
            outcome.caFileUnusable = authorities.isEmpty();
            ssl.addCaCertificates(authorities);
        }
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        Certificate own;
        if (!call.pkcs12.isEmpty() && readCertificate(call.pkcs12, call.pkcs12Secret, own)) {
            ssl.setLocalCertificate(own.certificate);
            ssl.setPrivateKey(own.key);
            ssl.setLocalCertificateChain(QList<QSslCertificate>{own.certificate} + own.chain);
        }
        request.setSslConfiguration(ssl);

        QNetworkReply* reply = call.post ? m_network.post(request, call.body) : m_network.get(request);
        m_reply = reply;
        // Taken piece by piece, the answer waits in the socket rather than in a buffer of its size.
        if (call.sink)
            reply->setReadBufferSize(kSinkBuffer);
        QObject scope; // the context of this call's connections, which end with it
        QList<QSslError> sslErrors;
        QObject::connect(reply, &QNetworkReply::sslErrors, &scope,
                         [&](const QList<QSslError>& errors) { sslErrors += errors; });

        // The time limit is the longest silence: every sign of life from either side starts it
        // again, so that a large answer still arriving on a slow line is never cut off.
        bool timedOut = false;
        QTimer silence;
        silence.setSingleShot(true);
        QObject::connect(&silence, &QTimer::timeout, &scope, [&] {
            timedOut = true;
            reply->abort();
        });
        auto alive = [&] {
            if (!timedOut)
                silence.start(call.silenceMs);
        };
        QObject::connect(reply, &QNetworkReply::uploadProgress, &scope, [&](qint64 sent, qint64) {
            if (sent > 0)
                alive();
        });
        bool downloading = false;
        QObject::connect(reply, &QNetworkReply::downloadProgress, &scope, [&](qint64 bytes, qint64) {
            if (bytes <= 0)
                return;
            alive();
            if (!downloading) {
                downloading = true;
                progress.downloading();
            }
            progress.received(bytes);
        });

        // The answer is taken as it arrives, so that one larger than the cap is stopped right there;
        // only what has come is read (asking for the whole cap at each piece would allocate it).
        QByteArray answer;
        qint64 received = 0;
        bool tooLarge = false;
        bool notKept = false;
        auto refuseTooLarge = [&] {
            tooLarge = true;
            reply->abort();
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &scope, [&] {
            alive();
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            if (!tooLarge && length.isValid() && length.toLongLong() > call.answerLimit)
                refuseTooLarge();
        });
        // False when the answer went past its cap or the sink refused a piece: the call is stopped.
        auto take = [&]() -> bool {
            while (!tooLarge && !notKept) {
                const qint64 available = reply->bytesAvailable();
                if (available <= 0)
                    break;
                const QByteArray piece = reply->read(qMin(available, call.answerLimit + 1 - received));
                if (piece.isEmpty())
                    break;
                received += piece.size();
                if (received > call.answerLimit) {
                    refuseTooLarge();
                } else if (call.sink) {
                    if (!call.sink(piece)) {
                        notKept = true;
                        reply->abort();
                    }
                } else {
                    answer += piece;
                }
            }
            return !tooLarge && !notKept;
        };
        QObject::connect(reply, &QNetworkReply::readyRead, &scope, [&] { take(); });

        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        alive();
        if (!reply->isFinished())
            loop.exec(QEventLoop::AllEvents);
        silence.stop();
        QObject::disconnect(reply, nullptr, &scope, nullptr);

        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        outcome.httpStatus = status.isValid() ? status.toInt() : 0;
        if (timedOut) {
            outcome.end = Outcome::End::TimedOut;
        } else if (tooLarge) {
            outcome.end = Outcome::End::TooLarge;
        } else if (notKept) {
            outcome.end = Outcome::End::NotKept;
        } else if (m_cancelled) {
            outcome.end = Outcome::End::Cancelled;
        } else if (reply->error() != QNetworkReply::NoError &&
                   (outcome.httpStatus == 0 || isTransferError(reply->error()))) {
            outcome.end = Outcome::End::Failed;
            outcome.failureCode = !sslErrors.isEmpty() ? certificateCode(sslErrors) : transferCode(reply->error());
            outcome.failureText = reply->errorString();
        } else if (!take()) {
            outcome.end = tooLarge ? Outcome::End::TooLarge : Outcome::End::NotKept;
        } else if (!reply->atEnd()) {
            outcome.end = Outcome::End::TooLarge;
        } else {
            outcome.end = Outcome::End::Answer;
            outcome.answer = answer;
        }
        m_reply = nullptr;
        reply->deleteLater();
        return outcome;
    }

private:
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    bool m_cancelled = false;
};

class Module : public vx::net::Module {
public:
    std::unique_ptr<vx::net::Transport> transport() override { return std::make_unique<Transport>(); }
    bool readsCertificate(const QByteArray& pkcs12, const QByteArray& secret) override
    {
        Certificate c;
        return readCertificate(pkcs12, secret, c);
    }
};

} // namespace

extern "C" Q_DECL_EXPORT vx::net::Module* vx_network_module(int interface)
{
    static Module module;
    return interface == vx::net::kInterface ? &module : nullptr;
}
