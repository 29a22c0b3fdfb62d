#include "cli/batchcsv.h"

#include <QLocale>

namespace Batch {

namespace {

bool isBlank(QChar c)
{
    return c == ' ' || c == '\t' || c == QChar(0x3000);
}

} // namespace

QString csvField(const QString& text)
{
    bool quote = false;
    for (QChar c : text)
        if (c == ',' || c == '"' || c == '\n' || c == '\r') {
            quote = true;
            break;
        }
    if (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back())))
        quote = true;
    if (!quote)
        return text;
    QString t = text;
    t.replace('"', QStringLiteral("\"\""));
    return '"' + t + '"';
}

QString csvLine(const QStringList& fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString& f : fields)
        out << csvField(f);
    return out.join(',') + '\n';
}

QString exportText(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

} // namespace Batch
