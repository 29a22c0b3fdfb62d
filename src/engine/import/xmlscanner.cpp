#include "engine/import/xmlscanner.h"

#include <cstring>

namespace Import {

namespace {

constexpr qsizetype kChunk = 256 * 1024;
// One token (a text, a tag) longer than this is no spreadsheet's.
constexpr qsizetype kMaxToken = 64LL * 1024 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView localName(QByteArrayView qualified)
{
    const qsizetype colon = qualified.lastIndexOf(':');
    return colon < 0 ? qualified : qualified.sliced(colon + 1);
}

void appendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

XmlScanner::XmlScanner(Source source) : m_source(std::move(source))
{
    m_attributes.reserve(16);
}

void XmlScanner::fail(const char* why) const
{
    throw QString::fromUtf8(why);
}

bool XmlScanner::more()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        m_buf.remove(0, m_pos);
        m_pos = 0;
    }
    if (m_buf.size() > kMaxToken)
        fail("有一段超长的内容");
    const qsizetype old = m_buf.size();
    m_buf.resize(old + kChunk);
    const qsizetype n = m_source(m_buf.data() + old, kChunk);
    m_buf.resize(old + std::max<qsizetype>(n, 0));
    if (n <= 0) {
        m_eof = true;
        return false;
    }
    return true;
}

QByteArrayView XmlScanner::attribute(QByteArrayView name) const
{
    for (const Attribute& a : m_attributes)
        if (a.name == name)
            return a.value;
    return {};
}

bool XmlScanner::parseTag(qsizetype start)
{
    const char* b = m_buf.constData();
    const qsizetype n = m_buf.size();
    qsizetype i = start + 1;
    while (i < n && !isBlank(b[i]) && b[i] != '/' && b[i] != '>')
        ++i;
    if (i >= n)
        return false;
    if (i == start + 1)
        fail("有一个没有名字的标记");
    m_name = localName(QByteArrayView(b + start + 1, i - start - 1));
    m_attributes.clear();
    for (;;) {
        while (i < n && isBlank(b[i]))
            ++i;
        if (i >= n)
            return false;
        if (b[i] == '>') {
            m_pos = i + 1;
            ++m_depth;
            return true;
        }
        if (b[i] == '/') {
            if (i + 1 >= n)
                return false;
            if (b[i + 1] != '>')
                fail("有一个标记没有正确结束");
            m_pos = i + 2;
            ++m_depth;
            m_pendingEnd = true;
            return true;
        }
        const qsizetype nameStart = i;
        while (i < n && b[i] != '=' && !isBlank(b[i]) && b[i] != '>')
            ++i;
        const qsizetype nameEnd = i;
        while (i < n && isBlank(b[i]))
            ++i;
        if (i >= n)
            return false;
        if (b[i] != '=')
            fail("有一个属性没有值");
        ++i;
        while (i < n && isBlank(b[i]))
            ++i;
        if (i >= n)
            return false;
        const char quote = b[i];
        if (quote != '"' && quote != '\'')
            fail("有一个属性的值没有引号");
        const char* close = static_cast<const char*>(memchr(b + i + 1, quote, size_t(n - i - 1)));
        if (!close)
            return false;
        m_attributes.push_back({localName(QByteArrayView(b + nameStart, nameEnd - nameStart)),
                                QByteArrayView(b + i + 1, close - (b + i + 1))});
        i = close - b + 1;
    }
}

XmlScanner::Token XmlScanner::next()
{
    if (m_pendingEnd) {
        m_pendingEnd = false;
        --m_depth;
        return Token::End;
    }
    for (;;) {
        if (m_pos >= m_buf.size() && !more()) {
            if (!m_started)
                fail("内容是空的");
            if (m_depth > 0)
                fail("内容不完整，文件可能没有复制完整");
            return Token::Done;
        }
        if (const std::optional<Token> t = m_buf.constData()[m_pos] != '<' ? textToken() : markupToken())
            return *t;
    }
}

std::optional<XmlScanner::Token> XmlScanner::textToken()
{
    const char* b = m_buf.constData();
    const qsizetype n = m_buf.size();
    const char* lt = static_cast<const char*>(memchr(b + m_pos, '<', size_t(n - m_pos)));
    if (!lt) {
        if (more())
            return std::nullopt;
        for (qsizetype i = m_pos; i < m_buf.size(); ++i)
            if (!isBlank(m_buf[i]))
                fail("内容不完整，文件可能没有复制完整");
        m_pos = m_buf.size();
        return std::nullopt;
    }
    m_text = QByteArrayView(b + m_pos, lt - (b + m_pos));
    m_pos = lt - b;
    if (m_depth == 0) {
        if (!m_started && m_text.startsWith("\xEF\xBB\xBF"))
            m_text = m_text.sliced(3); // the byte-order mark some producers write
        for (char c : m_text)
            if (!isBlank(c))
                fail("标记之外有文字");
        return std::nullopt;
    }
    m_cdata = false;
    return Token::Text;
}

std::optional<XmlScanner::Token> XmlScanner::markupToken()
{
    const qsizetype n = m_buf.size();
    if (n - m_pos < 12 && !m_eof) {
        // Enough to tell a comment, a CDATA section and a tag apart.
        more();
        return std::nullopt;
    }
    const QByteArrayView rest(m_buf.constData() + m_pos, n - m_pos);
    const char kind = rest[1];
    if (kind == '?' || (kind == '!' && rest.startsWith("<!--"))) {
        const bool pi = kind == '?';
        const qsizetype end = rest.indexOf(pi ? QByteArrayView("?>") : QByteArrayView("-->"));
        if (end < 0)
            moreOrFail();
        else
            m_pos += end + (pi ? 2 : 3);
        return std::nullopt;
    }
    if (kind == '!' && rest.startsWith("<![CDATA[")) {
        const qsizetype end = rest.indexOf("]]>");
        if (end < 0) {
            moreOrFail();
            return std::nullopt;
        }
        m_text = rest.sliced(9, end - 9);
        m_pos += end + 3;
        m_cdata = true;
        return Token::Text;
    }
    if (kind == '!')
        fail("含有文档类型声明，不是表格软件写的内容");
    if (kind == '/')
        return endTag(rest);
    if (!parseTag(m_pos)) {
        moreOrFail();
        return std::nullopt;
    }
    m_started = true;
    return Token::Start;
}

std::optional<XmlScanner::Token> XmlScanner::endTag(QByteArrayView rest)
{
    const char* gt = static_cast<const char*>(memchr(rest.data(), '>', size_t(rest.size())));
    if (!gt) {
        moreOrFail();
        return std::nullopt;
    }
    QByteArrayView name(rest.data() + 2, gt - rest.data() - 2);
    while (!name.isEmpty() && isBlank(name.back()))
        name.chop(1);
    m_name = localName(name);
    m_pos = gt - m_buf.constData() + 1;
    if (--m_depth < 0)
        fail("结束标记多于开始标记");
    return Token::End;
}

void XmlScanner::moreOrFail()
{
    if (!more())
        fail("内容不完整，文件可能没有复制完整");
}

QString XmlScanner::text() const
{
    return m_cdata ? QString::fromUtf8(m_text) : decode(m_text);
}

QString XmlScanner::decode(QByteArrayView raw)
{
    if (!raw.contains('&') && !raw.contains('\r'))
        return QString::fromUtf8(raw);
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            out += '\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            continue;
        }
        if (c != '&') {
            out += c;
            continue;
        }
        const qsizetype semi = raw.indexOf(';', i);
        if (semi < 0 || semi - i > 12)
            throw QStringLiteral("有一个没有结束的字符引用");
        const QByteArrayView ref = raw.sliced(i + 1, semi - i - 1);
        if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "amp")
            out += '&';
        else if (ref == "quot")
            out += '"';
        else if (ref == "apos")
            out += '\'';
        else if (ref.startsWith('#')) {
            bool ok = false;
            const uint cp = ref.startsWith("#x") || ref.startsWith("#X") ? ref.sliced(2).toUInt(&ok, 16)
                                                                         : ref.sliced(1).toUInt(&ok, 10);
            if (!ok || cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                throw QStringLiteral("有一个无效的字符引用");
            appendUtf8(out, char32_t(cp));
        } else {
            throw QStringLiteral("有一个未知的实体引用“&%1;”").arg(QString::fromUtf8(ref));
        }
        i = semi;
    }
    return QString::fromUtf8(out);
}

} // namespace Import
