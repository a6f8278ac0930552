#pragma once
// The XML of a workbook's parts, read as it is inflated: elements, their attributes and their
// text, nothing held longer than the token at hand. Made for files that may be hostile:
//
// - linear in the size of the input whatever its shape: a token split across pieces of input
//   is resumed where its scan stopped, never scanned again from its start (a comment, a
//   processing instruction or a CDATA section of 100 MB costs what its bytes cost);
// - comments and processing instructions are skipped as they arrive, never held; text and
//   CDATA come out in pieces as they arrive;
// - no document type declaration, so no entity of the file's own (a "billion laughs" has no way
//   in); only the five predefined entities and character references;
// - UTF-8 only (the encoding every spreadsheet program writes), checked;
// - well-formed: tags balanced, names matched, attributes quoted, one root element; anything
//   else is an error and the reading stops.
//
// Names are matched by namespace and local name, as the formats define them, whatever prefix a
// program chose; line ends are normalised and attribute values' white space too, as XML says.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>

namespace vx::workbook {

class XmlTokens {
public:
    enum class Token {
        NeedMore,     // the input given so far ends inside a token: add more, or finish
        StartElement, // an empty element is a StartElement followed by its EndElement
        EndElement,
        Text,         // a piece of character data (CDATA included); one text may come in several
        EndDocument,
        Error,
        Nothing, // inside only: a token that shows nothing (a comment...); next() never returns it
    };

    // Appends a piece of input. The pieces read on from where the last token ended.
    void addData(const char* data, qsizetype size);
    // No more input will come: what is left must complete the document.
    void finish();

    Token next();

    // Of the current StartElement or EndElement.
    bool is(QLatin1StringView namespaceUri, QLatin1StringView localName) const;
    QLatin1StringView localName() const;
    // Of the current StartElement: the value of an attribute, decoded ("" when missing).
    QString attribute(QLatin1StringView namespaceUri, QLatin1StringView localName) const;
    bool hasAttribute(QLatin1StringView namespaceUri, QLatin1StringView localName) const;
    // Of the current Text.
    const QString& text() const { return m_text; }
    // Why the reading stopped, for a developer (the user is told the file is not a workbook).
    const QString& errorString() const { return m_error; }
    int depth() const { return int(m_open.size()); }

private:
    struct Attribute {
        QByteArray uri;
        QByteArray local;
        QString value;
    };
    struct Open {
        QByteArray qualifiedName;
        qsizetype namespaces = 0; // declarations this element added to m_namespaces
    };
    struct Namespace {
        QByteArray prefix; // empty for the default namespace
        QByteArray uri;
    };
    enum class Scan { Content, Markup, Comment, ProcessingInstruction, CData, Tag, EndTag, Done, Failed };

    Token fail(const QString& why);
    Token content();
    Token markup();
    Token skipUntil(QByteArrayView end, Scan then);
    Token cdata();
    Token tag();
    Token endTag();
    bool decodeText(QByteArrayView raw, bool attributeValue, QString& out);
    bool emitText(QByteArrayView raw);
    QByteArray uriOf(QByteArrayView prefix, bool isAttribute) const;
    void compact();

    QByteArray m_buf;
    qsizetype m_pos = 0;  // where the current token begins
    qsizetype m_scan = 0; // how far the current token has been scanned
    char m_quote = 0;     // inside a tag: the quote of the attribute value being scanned
    bool m_finished = false;
    bool m_rootClosed = false;
    bool m_pendingEnd = false; // an empty element's EndElement is due
    bool m_declarationAllowed = true;
    Scan m_state = Scan::Content;
    QList<Open> m_open;
    QList<Namespace> m_namespaces;
    QByteArray m_elementUri;
    QByteArray m_elementLocal;
    QList<Attribute> m_attributes;
    QString m_text;
    QString m_error;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

} // namespace vx::workbook
