#pragma once
// Asks the region whether this version of the program may still transmit. The answer is four
// fields, each followed by "#": the lowest version allowed, the most recent one, a status (S: no
// longer managed, A: stop with the region's message, M: the region's message and go on) and the
// region's message. Every refusal, warning and failure is told here; the caller only learns
// whether the transmission may go on.

#include "net/ServerCall.h"

#include <QString>
#include <QUrl>

namespace vx {

struct Context;

// Versions compared as numbers, part by part, so that 1.0.10 follows 1.0.9; texts that are not
// three numbers joined by "." compare as text. Negative, 0 or positive, as `a` is below, equal to
// or above `b`.
int compareVersions(const QString& a, const QString& b);

class VersionCheck {
public:
    static inline const QByteArray kBody = QByteArrayLiteral("applicativo=VELTRANORPX&anno=2017");

    VersionCheck(Context& ctx, Exchange& exchange, QString version)
        : m_ctx(ctx), m_exchange(exchange), m_version(std::move(version))
    {
    }

    // True when this version may transmit. `address` is the version-check address, with the
    // installation's account when the transmission screen asks.
    bool run(const QUrl& address, const ProgressLabel& progress = ProgressLabel());

private:
    Context& m_ctx;
    Exchange& m_exchange;
    QString m_version;
};

} // namespace vx
