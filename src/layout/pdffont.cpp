#include "layout/pdffont.h"

#include <QFontDatabase>
#include <QRawFont>
#include <QSet>
#include <QStringList>

namespace Layout {

int radicalAliases(const QFont& f)
{
    const QRawFont raw = QRawFont::fromFont(f, QFontDatabase::SimplifiedChinese);
    if (!raw.isValid())
        return -1;
    auto glyphs = [&](char32_t from, char32_t to) {
        QString s;
        for (char32_t c = from; c <= to; ++c)
            s += QChar(char16_t(c));
        return raw.glyphIndexesForString(s);
    };
    QSet<quint32> low;
    for (quint32 g : glyphs(0x2E80, 0x4DFF))
        if (g)
            low.insert(g);
    int n = 0;
    for (quint32 g : glyphs(0x4E00, 0x9FFF))
        if (g && low.contains(g))
            ++n;
    return n;
}

QString pdfFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        for (const QString& f : {QStringLiteral("Droid Sans Fallback"), QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                                 QStringLiteral("AR PL UMing CN")}) {
            if (installed.contains(f) && radicalAliases(QFont(f)) == 0)
                return f;
        }
        return QStringLiteral("Droid Sans Fallback");
    }();
    return family;
}

QFont pdfFont(qreal pointSize, bool bold)
{
    QFont f(pdfFamily());
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

bool hasRadicals(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
            return true;
    return false;
}

} // namespace Layout
