#include "engine/export/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace Gbk {

namespace {

// glibc's converter, for a Qt built without ICU. Unmappable input becomes '?'.
QByteArray viaIconv(const char* to, const char* from, QByteArrayView in, bool* ok)
{
    *ok = true;
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) {
        *ok = false;
        return {};
    }
    QByteArray out(in.size() * 2 + 16, Qt::Uninitialized);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    auto grow = [&] {
        const auto used = dst - out.data();
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dstLeft = size_t(out.size() - used);
    };
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            grow();
            continue;
        }
        *ok = false;
        const bool utf8 = qstrcmp(from, "UTF-8") == 0;
        const uchar c = uchar(*src);
        size_t skip = utf8 ? (c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1)
                           : (c >= 0x81 && c <= 0xFE && srcLeft > 1 ? 2 : 1);
        skip = std::min(skip, srcLeft);
        src += skip;
        srcLeft -= skip;
        if (dstLeft < 4)
            grow();
        *dst++ = '?';
        --dstLeft;
    }
    out.resize(dst - out.data());
    iconv_close(cd);
    return out;
}

} // namespace

QByteArray encode(QStringView text, bool* ok)
{
    bool good = true;
    QByteArray out;
    QStringEncoder enc("GBK");
    if (enc.isValid()) {
        out = enc.encode(text);
        good = !enc.hasError();
    } else {
        out = viaIconv("GBK", "UTF-8", text.toUtf8(), &good);
    }
    if (ok)
        *ok = good;
    return out;
}

QString decode(QByteArrayView bytes, bool* ok)
{
    bool good = true;
    QString out;
    QStringDecoder dec("GBK");
    if (dec.isValid()) {
        out = dec.decode(bytes);
        good = !dec.hasError();
    } else {
        out = QString::fromUtf8(viaIconv("UTF-8", "GBK", bytes, &good));
    }
    if (ok)
        *ok = good;
    return out;
}

qsizetype prefixOnBoundary(QByteArrayView g, qsizetype maxBytes)
{
    qsizetype i = 0;
    while (i < g.size()) {
        const uchar c = uchar(g[i]);
        const qsizetype len = (c >= 0x81 && c <= 0xFE) ? 2 : 1;
        if (i + len > maxBytes)
            break;
        i += len;
    }
    return std::min(i, g.size());
}

QByteArray cut(QByteArrayView bytes, qsizetype maxBytes)
{
    return bytes.first(prefixOnBoundary(bytes, maxBytes)).toByteArray();
}

} // namespace Gbk
