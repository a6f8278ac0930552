#include "core/DeliveredText.h"

#include "core/Windows1252.h"

#include <QStringDecoder>

namespace vx::delivered {

QString decode(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    bool ascii = true;
    for (char c : view) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(view);
        if (!utf8.hasError())
            return text;
    }
    return windows1252::decode(view.toByteArray());
}

QList<QStringView> lines(QStringView text)
{
    QList<QStringView> out;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        out.append(text.mid(start, end - start));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return out;
}

} // namespace vx::delivered
