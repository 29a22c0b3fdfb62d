#include "readback.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <unzip.h>

namespace Readback {

bool havePdftotext()
{
    QProcess p;
    p.start("pdftotext", {"-v"});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit;
}

QStringList pdfPages(const QString& path)
{
    QProcess p;
    p.start("pdftotext", {"-layout", path, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QList<Word> pdfWords(const QString& path)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", path, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QList<Word> words;
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const auto& m : word.globalMatch(QString::fromUtf8(p.readAllStandardOutput()))) {
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words << Word{m.captured(5), QRectF(topLeft, bottomRight)};
    }
    return words;
}

QByteArray zipEntry(const QString& zip, const char* entry)
{
    QByteArray out;
    if (unzFile z = unzOpen64(QFile::encodeName(zip).constData())) {
        if (unzLocateFile(z, entry, 1) == UNZ_OK && unzOpenCurrentFile(z) == UNZ_OK) {
            char buf[16384];
            int n;
            while ((n = unzReadCurrentFile(z, buf, sizeof buf)) > 0)
                out.append(buf, n);
            unzCloseCurrentFile(z);
        }
        unzClose(z);
    }
    return out;
}

QMap<QString, Cell> xlsxSheet(const QString& path, int sheet)
{
    QStringList sst;
    QXmlStreamReader s(zipEntry(path, "xl/sharedStrings.xml"));
    while (!s.atEnd()) {
        s.readNext();
        if (s.isStartElement() && s.name() == QLatin1String("si"))
            sst << QString();
        else if (s.isStartElement() && s.name() == QLatin1String("t") && !sst.isEmpty())
            sst.last() += s.readElementText();
    }
    // Cell styles (xf index) to number format codes.
    QMap<int, QString> codes{{9, "0%"}, {10, "0.00%"}, {1, "0"}, {2, "0.00"}};
    QList<int> xfFormats;
    QXmlStreamReader st(zipEntry(path, "xl/styles.xml"));
    bool inXfs = false;
    while (!st.atEnd()) {
        st.readNext();
        if (st.isStartElement() && st.name() == QLatin1String("numFmt"))
            codes.insert(st.attributes().value("numFmtId").toInt(), st.attributes().value("formatCode").toString());
        else if (st.isStartElement() && st.name() == QLatin1String("cellXfs"))
            inXfs = true;
        else if (st.isEndElement() && st.name() == QLatin1String("cellXfs"))
            inXfs = false;
        else if (inXfs && st.isStartElement() && st.name() == QLatin1String("xf"))
            xfFormats << st.attributes().value("numFmtId").toInt();
    }
    QMap<QString, Cell> cells;
    QXmlStreamReader x(zipEntry(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet).toUtf8().constData()));
    QString ref;
    Cell cur;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("c")) {
            ref = x.attributes().value("r").toString();
            const int style = x.attributes().value("s").toInt();
            cur = {x.attributes().value("t").toString(), {}, codes.value(xfFormats.value(style))};
        } else if (x.isStartElement() && x.name() == QLatin1String("v")) {
            const QString v = x.readElementText();
            cur.text = cur.type == "s" ? sst.value(v.toInt()) : v;
        } else if (x.isStartElement() && x.name() == QLatin1String("t") && cur.type == "inlineStr") {
            cur.text += x.readElementText();
        } else if (x.isEndElement() && x.name() == QLatin1String("c")) {
            cells.insert(ref, cur);
        }
    }
    return cells;
}

QString columnName(int c)
{
    QString s;
    for (++c; c > 0; c = (c - 1) / 26)
        s.prepend(QChar('A' + (c - 1) % 26));
    return s;
}

} // namespace Readback
