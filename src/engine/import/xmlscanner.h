#pragma once
// A small streaming reader for the two large parts of a workbook, the
// worksheet and its shared strings. A worksheet of 100,000 students is over
// 30 MB of XML; QXmlStreamReader takes close to two seconds over it (it
// builds a string for every name, attribute and text on the way), this
// reader a tenth of that by handing out views into its buffer. It reads what
// those parts hold (elements, attributes, text, character references,
// CDATA, comments, processing instructions) and refuses a document type
// declaration; the small parts of the package stay with QXmlStreamReader.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace Import {

class XmlScanner {
public:
    // Fills buf with up to cap bytes of the part; 0 at its end. The part is
    // UTF-8 (a part in another encoding is converted before it gets here).
    using Source = std::function<qsizetype(char* buf, qsizetype cap)>;
    explicit XmlScanner(Source source);

    enum class Token { Start, End, Text, Done };
    // The next token; an empty element (<c/>) gives Start, then End.
    // Throws QString (the reason, in Chinese) on malformed input.
    Token next();

    // The element's name without its prefix (<x:row> is "row").
    QByteArrayView name() const { return m_name; }
    // An attribute's raw value by its name without prefix; empty when absent.
    QByteArrayView attribute(QByteArrayView localName) const;
    // The text of a Text token as it stands, and decoded (references resolved,
    // line ends made \n).
    QByteArrayView rawText() const { return m_text; }
    QString text() const;
    static QString decode(QByteArrayView raw);
    int depth() const { return m_depth; }

private:
    bool more();                    // reads more of the part; false at its end
    bool parseTag(qsizetype start); // false when the tag runs past the buffer
    // The steps of next(): a token, or none when the scan must go on (more
    // was read, or something skipped).
    std::optional<Token> textToken();   // at text
    std::optional<Token> markupToken(); // at '<'
    std::optional<Token> endTag(QByteArrayView rest);
    void moreOrFail(); // inside a token: the part must go on
    [[noreturn]] void fail(const char* why) const;

    Source m_source;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_pendingEnd = false; // the End of an empty element
    int m_depth = 0;
    bool m_started = false;
    bool m_cdata = false; // the text is a CDATA section: nothing in it is a reference
    QByteArrayView m_name, m_text;
    struct Attribute {
        QByteArrayView name, value;
    };
    std::vector<Attribute> m_attributes;
};

} // namespace Import
