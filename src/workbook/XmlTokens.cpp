#include "workbook/XmlTokens.h"

#include <cstring>

namespace vx::workbook {

namespace {

constexpr int kMaxDepth = 256;          // no workbook part nests anywhere near this deep
constexpr qsizetype kMaxEntity = 12;    // "&#x10FFFF;" and the named entities fit
constexpr qsizetype kMaxDeclaration = 1024;
constexpr qsizetype kCompactAfter = 1 << 16;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}

bool isName(QByteArrayView name)
{
    if (name.isEmpty() || (name.front() >= '0' && name.front() <= '9') || name.front() == '-' || name.front() == '.')
        return false;
    for (char c : name) {
        if (!isNameByte(c))
            return false;
    }
    return true;
}

void splitName(QByteArrayView qualified, QByteArrayView& prefix, QByteArrayView& local)
{
    const qsizetype colon = qualified.indexOf(':');
    prefix = colon < 0 ? QByteArrayView() : qualified.first(colon);
    local = colon < 0 ? qualified : qualified.sliced(colon + 1);
}

void appendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

// The characters XML allows, through a reference as in the text itself.
bool allowed(char32_t cp)
{
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
           (cp >= 0x10000 && cp <= 0x10FFFF);
}

// The end of `raw` up to which it can be decoded now: before an entity whose ";" has not come yet,
// a carriage return whose line feed may follow, or a UTF-8 sequence cut short.
qsizetype safeEnd(QByteArrayView raw, bool entities)
{
    qsizetype end = raw.size();
    if (entities) {
        const qsizetype amp = raw.lastIndexOf('&');
        if (amp >= 0 && raw.indexOf(';', amp) < 0)
            end = amp;
    }
    if (end > 0 && raw[end - 1] == '\r')
        --end;
    // Back to the lead byte of the last sequence; cut it off when it is incomplete.
    qsizetype lead = end;
    while (lead > 0 && end - lead < 4 && (static_cast<unsigned char>(raw[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        const auto b = static_cast<unsigned char>(raw[lead - 1]);
        const int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (length > 1 && end - (lead - 1) < length)
            end = lead - 1;
    }
    return end;
}

} // namespace

void XmlTokens::addData(const char* data, qsizetype size)
{
    compact();
    m_buf.append(data, size);
}

void XmlTokens::finish()
{
    m_finished = true;
}

void XmlTokens::compact()
{
    // What lies before the current token is never read again.
    if (m_pos > kCompactAfter && m_pos * 2 > m_buf.size()) {
        m_buf.remove(0, m_pos);
        m_scan -= m_pos;
        m_pos = 0;
    }
}

XmlTokens::Token XmlTokens::fail(const QString& why)
{
    if (m_state != Scan::Failed)
        m_error = why;
    m_state = Scan::Failed;
    return Token::Error;
}

XmlTokens::Token XmlTokens::next()
{
    if (m_state == Scan::Failed)
        return Token::Error;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        const Open closed = m_open.takeLast();
        m_namespaces.resize(m_namespaces.size() - closed.namespaces);
        m_rootClosed = m_open.isEmpty();
        m_attributes.clear();
        return Token::EndElement;
    }
    for (;;) {
        Token t = Token::NeedMore;
        switch (m_state) {
        case Scan::Content:
            t = content();
            break;
        case Scan::Markup:
            t = markup();
            break;
        case Scan::Comment:
            t = skipUntil("-->", Scan::Comment);
            break;
        case Scan::ProcessingInstruction:
            t = skipUntil("?>", Scan::ProcessingInstruction);
            break;
        case Scan::CData:
            t = cdata();
            break;
        case Scan::Tag:
            t = tag();
            break;
        case Scan::EndTag:
            t = endTag();
            break;
        case Scan::Done:
            return Token::EndDocument;
        case Scan::Failed:
            return Token::Error;
        }
        // A token that produced nothing visible (a comment, white space between elements) is
        // followed at once by the next one.
        if (t != Token::Nothing)
            return t;
    }
}

XmlTokens::Token XmlTokens::content()
{
    if (m_pos == 0 && m_declarationAllowed) {
        if (m_buf.size() < 3 && !m_finished)
            return Token::NeedMore;
        if (m_buf.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
    }
    if (m_pos >= m_buf.size()) {
        if (!m_finished)
            return Token::NeedMore;
        if (!m_rootClosed)
            return fail(QStringLiteral("documento XML incompleto"));
        m_state = Scan::Done;
        return Token::EndDocument;
    }
    const char* data = m_buf.constData();
    if (data[m_pos] == '<') {
        m_state = Scan::Markup;
        m_scan = m_pos;
        return Token::Nothing;
    }
    m_declarationAllowed = false;
    const void* lt = std::memchr(data + m_pos, '<', size_t(m_buf.size() - m_pos));
    const qsizetype stop = lt ? static_cast<const char*>(lt) - data : m_buf.size();
    const QByteArrayView raw(data + m_pos, stop - m_pos);
    if (m_open.isEmpty()) {
        // Outside the root element only white space may stand.
        for (char c : raw) {
            if (!isSpace(c))
                return fail(QStringLiteral("testo fuori dall'elemento radice"));
        }
        m_pos = stop;
        return Token::Nothing;
    }
    const qsizetype end = lt || m_finished ? raw.size() : safeEnd(raw, true);
    if (end == 0) {
        if (raw.size() > kMaxEntity + 4)
            return fail(QStringLiteral("riferimento a entità non chiuso"));
        return Token::NeedMore;
    }
    if (!emitText(raw.first(end)))
        return Token::Error;
    m_pos += end;
    return Token::Text;
}

XmlTokens::Token XmlTokens::markup()
{
    const QByteArrayView rest(m_buf.constData() + m_pos, m_buf.size() - m_pos);
    const auto need = [&](qsizetype n) { return rest.size() < n && !m_finished; };
    if (need(2))
        return Token::NeedMore;
    if (rest.size() < 2)
        return fail(QStringLiteral("documento XML incompleto"));
    const char second = rest[1];
    if (second == '?') {
        if (need(6))
            return Token::NeedMore;
        const bool declaration = m_declarationAllowed && rest.startsWith("<?xml") && rest.size() > 5 && isSpace(rest[5]);
        m_declarationAllowed = false;
        if (declaration) {
            const qsizetype end = rest.indexOf("?>");
            if (end < 0) {
                if (rest.size() > kMaxDeclaration || m_finished)
                    return fail(QStringLiteral("dichiarazione XML non valida"));
                m_declarationAllowed = true; // still the declaration, at the start
                return Token::NeedMore;
            }
            const QByteArray text = rest.first(end).toByteArray().toLower();
            const qsizetype at = text.indexOf("encoding");
            if (at >= 0) {
                const QByteArray value = text.mid(at + 8).trimmed();
                if (!value.startsWith('=') ||
                    !(value.mid(1).trimmed().startsWith("\"utf-8\"") || value.mid(1).trimmed().startsWith("'utf-8'")))
                    return fail(QStringLiteral("codifica diversa da UTF-8"));
            }
            m_pos += end + 2;
            m_state = Scan::Content;
            return Token::Nothing;
        }
        m_pos += 2;
        m_scan = m_pos;
        m_state = Scan::ProcessingInstruction;
        return Token::Nothing;
    }
    m_declarationAllowed = false;
    if (second == '!') {
        if (need(4))
            return Token::NeedMore;
        if (rest.startsWith("<!--")) {
            m_pos += 4;
            m_scan = m_pos;
            m_state = Scan::Comment;
            return Token::Nothing;
        }
        if (need(9))
            return Token::NeedMore;
        if (rest.startsWith("<![CDATA[")) {
            if (m_open.isEmpty())
                return fail(QStringLiteral("sezione CDATA fuori dall'elemento radice"));
            m_pos += 9;
            m_scan = m_pos;
            m_state = Scan::CData;
            return Token::Nothing;
        }
        // A document type declaration would bring entities of the file's own: none is read.
        return fail(QStringLiteral("dichiarazione di tipo di documento non ammessa"));
    }
    m_scan = m_pos + 1;
    m_quote = 0;
    m_state = second == '/' ? Scan::EndTag : Scan::Tag;
    return Token::Nothing;
}

XmlTokens::Token XmlTokens::skipUntil(QByteArrayView end, Scan)
{
    // What is skipped is dropped as it arrives: only the last bytes, which may begin the end
    // marker, are kept for the next piece.
    const QByteArrayView rest(m_buf.constData() + m_scan, m_buf.size() - m_scan);
    const qsizetype at = rest.indexOf(end);
    if (at < 0) {
        if (m_finished)
            return fail(QStringLiteral("commento o istruzione non chiusi"));
        m_scan = qMax(m_scan, m_buf.size() - (end.size() - 1));
        m_pos = m_scan;
        return Token::NeedMore;
    }
    m_pos = m_scan + at + end.size();
    m_state = Scan::Content;
    return Token::Nothing;
}

XmlTokens::Token XmlTokens::cdata()
{
    const QByteArrayView rest(m_buf.constData() + m_pos, m_buf.size() - m_pos);
    const qsizetype at = rest.indexOf("]]>");
    if (at >= 0) {
        if (at > 0 && !emitText(rest.first(at)))
            return Token::Error;
        m_pos += at + 3;
        m_state = Scan::Content;
        return at > 0 ? Token::Text : Token::Nothing;
    }
    if (m_finished)
        return fail(QStringLiteral("sezione CDATA non chiusa"));
    // Keep what may begin "]]>", then what decodes only with the next piece.
    const qsizetype end = safeEnd(rest.first(qMax<qsizetype>(0, rest.size() - 2)), false);
    if (end == 0)
        return Token::NeedMore;
    if (!emitText(rest.first(end)))
        return Token::Error;
    m_pos += end;
    return Token::Text;
}

XmlTokens::Token XmlTokens::tag()
{
    const char* data = m_buf.constData();
    qsizetype i = m_scan;
    for (; i < m_buf.size(); ++i) {
        const char c = data[i];
        if (m_quote) {
            if (c == m_quote)
                m_quote = 0;
            else if (c == '<')
                return fail(QStringLiteral("carattere < in un attributo"));
        } else if (c == '"' || c == '\'') {
            m_quote = c;
        } else if (c == '>') {
            break;
        }
    }
    if (i == m_buf.size()) {
        m_scan = i;
        return m_finished ? fail(QStringLiteral("elemento non chiuso")) : Token::NeedMore;
    }
    QByteArrayView inside(data + m_pos + 1, i - m_pos - 1);
    const bool empty = inside.endsWith('/');
    if (empty)
        inside.chop(1);

    qsizetype p = 0;
    while (p < inside.size() && !isSpace(inside[p]))
        ++p;
    const QByteArrayView qualified = inside.first(p);
    if (!isName(qualified))
        return fail(QStringLiteral("nome di elemento non valido"));
    if (m_rootClosed)
        return fail(QStringLiteral("più di un elemento radice"));
    if (m_open.size() >= kMaxDepth)
        return fail(QStringLiteral("elementi annidati troppo in profondità"));

    struct Raw {
        QByteArrayView prefix;
        QByteArrayView local;
        QString value;
    };
    QList<Raw> raw;
    qsizetype declared = 0;
    for (;;) {
        const qsizetype before = p;
        while (p < inside.size() && isSpace(inside[p]))
            ++p;
        if (p == inside.size())
            break;
        if (p == before)
            return fail(QStringLiteral("attributi non separati"));
        const qsizetype nameStart = p;
        while (p < inside.size() && isNameByte(inside[p]))
            ++p;
        const QByteArrayView name = inside.sliced(nameStart, p - nameStart);
        while (p < inside.size() && isSpace(inside[p]))
            ++p;
        if (!isName(name) || p == inside.size() || inside[p] != '=')
            return fail(QStringLiteral("attributo non valido"));
        ++p;
        while (p < inside.size() && isSpace(inside[p]))
            ++p;
        if (p == inside.size() || (inside[p] != '"' && inside[p] != '\''))
            return fail(QStringLiteral("valore di attributo senza virgolette"));
        const char quote = inside[p++];
        const qsizetype valueEnd = inside.indexOf(quote, p);
        if (valueEnd < 0)
            return fail(QStringLiteral("valore di attributo non chiuso"));
        QString value;
        if (!decodeText(inside.sliced(p, valueEnd - p), true, value))
            return Token::Error;
        p = valueEnd + 1;
        QByteArrayView prefix;
        QByteArrayView local;
        splitName(name, prefix, local);
        if (name == "xmlns" || prefix == "xmlns") {
            m_namespaces.append({prefix.isEmpty() ? QByteArray() : local.toByteArray(), value.toUtf8()});
            ++declared;
            continue;
        }
        raw.append({prefix, local, std::move(value)});
    }

    QByteArrayView prefix;
    QByteArrayView local;
    splitName(qualified, prefix, local);
    m_elementLocal = local.toByteArray();
    m_elementUri = uriOf(prefix, false);
    m_attributes.clear();
    for (Raw& a : raw) {
        if (!a.prefix.isEmpty() && a.prefix != "xml" && uriOf(a.prefix, true).isNull()) {
            m_namespaces.resize(m_namespaces.size() - declared);
            return fail(QStringLiteral("prefisso non dichiarato"));
        }
        m_attributes.append({a.prefix.isEmpty() ? QByteArray("") : uriOf(a.prefix, true), a.local.toByteArray(),
                             std::move(a.value)});
    }
    if ((!prefix.isEmpty() && m_elementUri.isNull())) {
        m_namespaces.resize(m_namespaces.size() - declared);
        return fail(QStringLiteral("prefisso non dichiarato"));
    }
    m_open.append({qualified.toByteArray(), declared});
    m_pos = i + 1;
    m_state = Scan::Content;
    m_pendingEnd = empty;
    return Token::StartElement;
}

XmlTokens::Token XmlTokens::endTag()
{
    const char* data = m_buf.constData();
    const void* gt = std::memchr(data + m_scan, '>', size_t(m_buf.size() - m_scan));
    if (!gt) {
        m_scan = m_buf.size();
        return m_finished ? fail(QStringLiteral("elemento non chiuso")) : Token::NeedMore;
    }
    const qsizetype end = static_cast<const char*>(gt) - data;
    QByteArrayView name(data + m_pos + 2, end - m_pos - 2);
    while (!name.isEmpty() && isSpace(name.back()))
        name.chop(1);
    if (m_open.isEmpty() || name != m_open.last().qualifiedName)
        return fail(QStringLiteral("fine di elemento senza il suo inizio"));
    QByteArrayView prefix;
    QByteArrayView local;
    splitName(name, prefix, local);
    m_elementLocal = local.toByteArray();
    m_elementUri = uriOf(prefix, false);
    const Open closed = m_open.takeLast();
    m_namespaces.resize(m_namespaces.size() - closed.namespaces);
    m_rootClosed = m_open.isEmpty();
    m_attributes.clear();
    m_pos = end + 1;
    m_state = Scan::Content;
    return Token::EndElement;
}

QByteArray XmlTokens::uriOf(QByteArrayView prefix, bool isAttribute) const
{
    if (prefix == "xml")
        return QByteArrayLiteral("http://www.w3.org/XML/1998/namespace");
    for (qsizetype i = m_namespaces.size() - 1; i >= 0; --i) {
        if (m_namespaces[i].prefix == prefix)
            return m_namespaces[i].uri.isNull() ? QByteArray("") : m_namespaces[i].uri;
    }
    // Unprefixed names without a default namespace, and unprefixed attributes, have none.
    if (prefix.isEmpty() || isAttribute)
        return QByteArray("");
    return QByteArray();
}

bool XmlTokens::decodeText(QByteArrayView raw, bool attributeValue, QString& out)
{
    QByteArray bytes;
    bytes.reserve(raw.size());
    const bool entities = m_state != Scan::CData;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            fail(QStringLiteral("carattere di controllo nel testo"));
            return false;
        }
        if (c == '\r') {
            // CR LF and a lone CR are one line end.
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            bytes.append(attributeValue ? ' ' : '\n');
        } else if (attributeValue && (c == '\t' || c == '\n')) {
            bytes.append(' ');
        } else if (c == '&' && entities) {
            const qsizetype semi = raw.indexOf(';', i);
            if (semi < 0 || semi - i > kMaxEntity) {
                fail(QStringLiteral("riferimento a entità non valido"));
                return false;
            }
            const QByteArrayView name = raw.sliced(i + 1, semi - i - 1);
            if (name == "lt")
                bytes.append('<');
            else if (name == "gt")
                bytes.append('>');
            else if (name == "amp")
                bytes.append('&');
            else if (name == "quot")
                bytes.append('"');
            else if (name == "apos")
                bytes.append('\'');
            else if (name.startsWith('#')) {
                const bool hex = name.size() > 1 && name[1] == 'x';
                const QByteArrayView digits = name.sliced(hex ? 2 : 1);
                bool ok = !digits.isEmpty();
                char32_t cp = 0;
                for (char d : digits) {
                    int v = -1;
                    if (d >= '0' && d <= '9')
                        v = d - '0';
                    else if (hex && d >= 'a' && d <= 'f')
                        v = d - 'a' + 10;
                    else if (hex && d >= 'A' && d <= 'F')
                        v = d - 'A' + 10;
                    if (v < 0 || cp > 0x10FFFF) {
                        ok = false;
                        break;
                    }
                    cp = cp * (hex ? 16 : 10) + char32_t(v);
                }
                if (!ok || !allowed(cp)) {
                    fail(QStringLiteral("riferimento a carattere non valido"));
                    return false;
                }
                appendUtf8(bytes, cp);
            } else {
                fail(QStringLiteral("entità sconosciuta"));
                return false;
            }
            i = semi;
        } else if (c == '<' && entities) {
            fail(QStringLiteral("carattere < nel testo"));
            return false;
        } else {
            bytes.append(c);
        }
    }
    out = m_utf8.decode(bytes);
    if (m_utf8.hasError()) {
        m_utf8.resetState();
        fail(QStringLiteral("testo non in UTF-8"));
        return false;
    }
    return true;
}

bool XmlTokens::emitText(QByteArrayView raw)
{
    return decodeText(raw, false, m_text);
}

bool XmlTokens::is(QLatin1StringView namespaceUri, QLatin1StringView localName) const
{
    return m_elementLocal == QByteArrayView(localName.data(), localName.size()) &&
           m_elementUri == QByteArrayView(namespaceUri.data(), namespaceUri.size());
}

QLatin1StringView XmlTokens::localName() const
{
    return QLatin1StringView(m_elementLocal.constData(), m_elementLocal.size());
}

QString XmlTokens::attribute(QLatin1StringView namespaceUri, QLatin1StringView localName) const
{
    for (const Attribute& a : m_attributes) {
        if (a.local == QByteArrayView(localName.data(), localName.size()) &&
            a.uri == QByteArrayView(namespaceUri.data(), namespaceUri.size()))
            return a.value;
    }
    return QString();
}

bool XmlTokens::hasAttribute(QLatin1StringView namespaceUri, QLatin1StringView localName) const
{
    for (const Attribute& a : m_attributes) {
        if (a.local == QByteArrayView(localName.data(), localName.size()) &&
            a.uri == QByteArrayView(namespaceUri.data(), namespaceUri.size()))
            return true;
    }
    return false;
}

} // namespace vx::workbook
