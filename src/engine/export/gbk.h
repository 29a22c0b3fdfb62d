#pragma once
// GBK (code page 936), the encoding older Chinese tools read dBASE text in.

#include <QByteArray>
#include <QString>

namespace Gbk {

// Encodes to GBK. A character GBK cannot hold becomes '?' and *ok is false.
QByteArray encode(QStringView text, bool* ok = nullptr);
QString decode(QByteArrayView bytes, bool* ok = nullptr);
// The longest prefix of a GBK string of at most maxBytes that ends on a
// character boundary. A lead byte 0x81..0xFE takes one trail byte; the scan
// must start at the beginning, since trail bytes overlap the lead range.
qsizetype prefixOnBoundary(QByteArrayView bytes, qsizetype maxBytes);
QByteArray cut(QByteArrayView bytes, qsizetype maxBytes);

} // namespace Gbk
