#include "engine/reports/chartdata.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

namespace Reports {

namespace {

const QString kAverage = QStringLiteral("平均分");

// The text a saved value is handed over as: its number without trailing
// zeros, a blank as empty text.
QString textOf(const QVariant& v)
{
    if (v.isNull())
        return QString();
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && v.typeId() != QMetaType::QString ? Num::format(d) : v.toString();
}

// A saved count read as a number: a blank is 0, anything else must be one.
double countOf(const QVariant& v, int row, const QString& column)
{
    if (v.isNull())
        return 0;
    if (v.typeId() != QMetaType::QString) {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (ok)
            return d;
    } else if (const auto n = Num::parseNumber(v.toString())) {
        return *n;
    } else if (v.toString().trimmed().isEmpty()) {
        return 0;
    }
    throw Db::InputError(QStringLiteral("总分统计表第%1行的“%2”不是数字（“%3”），画不出饼图")
                             .arg(row + 1)
                             .arg(column, v.toString()));
}

QString noStudents(const QString& who)
{
    return QStringLiteral("%1人数为0，没有可画的学生，百分比以“—”表示").arg(who);
}

} // namespace

double ChartData::total() const
{
    double t = 0;
    for (const ChartPoint& p : points)
        t += p.value;
    return t;
}

QString shareText(qint64 part, qint64 whole)
{
    if (whole == 0)
        return QStringLiteral("—");
    return QString::number(Num::percent(part, whole)) + QLatin1Char('%');
}

QString classTitle(qint64 classNumber)
{
    return classNumber == 100 ? QStringLiteral("全级") : QStringLiteral("%1班").arg(classNumber);
}

const QStringList& bandPieFields()
{
    static const QStringList f{"90到100", "80到90", "70到80", "60到70", "50到60", "40到50", "100到110",
                               "110到120", "人数", "30到40", "20到30", "10到20", "1到9", "0分", "120分"};
    return f;
}

const QStringList& topBarFields()
{
    static const QStringList f{"级前100名人数", "级前200名人数", "级前300名人数", "级前400名人数",
                               "400名以后人数", "人数"};
    return f;
}

QStringList bandPieInputs(const QVariantMap& row)
{
    QStringList out;
    for (const QString& f : bandPieFields())
        out << textOf(row.value(f));
    return out;
}

QStringList topBarInputs(const QVariantMap& row)
{
    const QVariant size = row.value(QStringLiteral("人数"));
    const QVariant top400 = row.value(QStringLiteral("级前400名人数"));
    QStringList out;
    for (const char* f : {"级前100名人数", "级前200名人数", "级前300名人数", "级前400名人数"})
        out << textOf(row.value(QString::fromUtf8(f)));
    // Computed on the field values; with either missing there is nothing to subtract.
    out << (size.isNull() || top400.isNull() ? QString() : QString::number(size.toLongLong() - top400.toLongLong()));
    out << textOf(size);
    return out;
}

QList<qint64> integersOf(const QStringList& texts, const QStringList& names)
{
    QList<qint64> out;
    for (int i = 0; i < texts.size(); ++i) {
        const QString name = names.value(i, QString::number(i + 1));
        const QString& t = texts.at(i);
        if (t.trimmed().isEmpty())
            throw Db::InputError(QStringLiteral("“%1”没有数值，画不出图表").arg(name));
        const auto n = Num::parseInteger(t);
        if (!n)
            throw Db::InputError(QStringLiteral("“%1”应是整数，现在是“%2”，画不出图表").arg(name, t));
        out << *n;
    }
    return out;
}

ChartData bandPie(const std::array<qint64, kBandPieInputs>& e, const ChartTitle& t)
{
    // e[k] is Edit(k+1). The students with full marks (120分) belong to the top band.
    const qint64 n = e[8];
    const qint64 below40 = e[9] + e[10] + e[11] + e[12] + e[13];
    const std::pair<const char*, qint64> slices[] = {
        {"* 110-120占", e[7] + e[14]}, {"* 100-110占", e[6]}, {"* 90-100占", e[0]}, {"* 80-90占", e[1]},
        {"* 70-80占", e[2]},           {"* 60-70占", e[3]},   {"* 50-60占", e[4]},  {"* 40-50占", e[5]},
        {"* 40以下占", below40}};
    ChartData d;
    d.exam = t.exam;
    d.title = t.exam + QStringLiteral(" ") + t.cls + t.subject + QStringLiteral("科成绩分段表");
    for (const auto& [text, v] : slices)
        d.points << ChartPoint{QString::fromUtf8(text), shareText(v, n), double(v)};
    // A mark the bands do not reach (above 120 with a higher full mark) is
    // still a student of the class: the pie shows them rather than leave a gap.
    const qint64 placed = qint64(d.total());
    if (placed < n)
        d.points << ChartPoint{QStringLiteral("* 其他占"), shareText(n - placed, n), double(n - placed), true};
    if (n == 0)
        d.note = noStudents(t.cls);
    else if (d.total() == 0)
        d.note = QStringLiteral("这些分数段里没有学生");
    else if (placed > n)
        d.note = QStringLiteral("各分数段共%1人，多于人数%2人，保存的分析表可能有误").arg(placed).arg(n);
    return d;
}

ChartData topBars(const std::array<qint64, 6>& e, const ChartTitle& t)
{
    const qint64 n = e[5];
    ChartData d;
    d.exam = t.exam;
    d.title = t.exam + QStringLiteral(" ") + t.cls + t.subject + QStringLiteral("科成绩级前400名柱形对比图");
    d.points << ChartPoint{QStringLiteral("本班%1人").arg(n), QString(), double(n)};
    const char* names[] = {"级前100名", "级前200名", "级前300名", "级前400名", "400名以后"};
    for (int i = 0; i < 5; ++i)
        d.points << ChartPoint{QString::fromUtf8(names[i]), shareText(e[size_t(i)], n), double(e[size_t(i)])};
    if (n == 0)
        d.note = noStudents(t.cls);
    return d;
}

BandWalk bandWalk(const QStringList& columns, const QList<QVariantList>& rows, const QString& countColumn)
{
    const auto col = [&](const QString& name) {
        const int c = int(columns.indexOf(name));
        if (c < 0)
            throw Db::InputError(QStringLiteral("总分统计表里没有“%1”这一栏，画不出饼图").arg(name));
        return c;
    };
    const int upper = col(QStringLiteral("上限"));
    const int lower = col(QStringLiteral("下限"));
    const int count = col(countColumn);
    const int exam = int(columns.indexOf(QStringLiteral("考试名称")));
    const int running = int(columns.indexOf(runningColumn(countColumn)));
    BandWalk w;
    if (rows.isEmpty())
        return w;
    if (exam >= 0)
        w.exam = rows.first().value(exam).toString();
    for (int r = 0; r < rows.size(); ++r) {
        const QVariantList& row = rows.at(r);
        // Each saved band table ends with its average row: what follows are
        // other examinations (a name that begins another one) or a second save.
        const bool sameExam = exam < 0 || row.value(exam).toString() == w.exam;
        if (!sameExam || row.value(lower).toString() == kAverage) {
            for (int k = r; k < rows.size(); ++k)
                if (exam >= 0 && rows.at(k).value(exam).toString() != w.exam)
                    w.otherExams = true;
            break;
        }
        w.rows << BandRow{row.value(upper).toString(), row.value(lower).toString(), countOf(row.value(count), r, countColumn)};
        if (running >= 0) {
            const double reached = countOf(row.value(running), r, columns.at(running));
            if (w.rows.size() == 1)
                w.aboveTop = std::max(0.0, reached - w.rows.first().count);
            w.reached = reached;
        }
    }
    return w;
}

QString runningColumn(const QString& countColumn)
{
    if (countColumn == QStringLiteral("全级"))
        return QStringLiteral("级累");
    QString c = countColumn;
    if (c.endsWith(QStringLiteral("班")))
        c.chop(1);
    return c + QStringLiteral("累");
}

QString bandCountColumn(bool wholeGrade, qint64 classNumber)
{
    if (wholeGrade)
        return QStringLiteral("全级");
    if (!Rules::isClassNumber(classNumber))
        throw Db::InputError(QStringLiteral("总分统计表只有1班到%1班的栏目，没有第%2班")
                                 .arg(Rules::kClassCount)
                                 .arg(classNumber));
    return QStringLiteral("%1班").arg(classNumber);
}

namespace {

void checkPieSettings(const TotalPieSettings& s)
{
    if (s.slices < 1 || s.slices > 100)
        throw Db::InputError(QStringLiteral("“图表段数”要在1到100之间，现在是%1").arg(s.slices));
    if (s.perSlice < 1 || s.perSlice > 100)
        throw Db::InputError(QStringLiteral("“每一段间隔”要在1到100之间，现在是%1").arg(s.perSlice));
}

// The slices from the top band down, each merging perSlice rows; past the
// last row the walk stays on it. Returns how often the last row was counted
// again.
qint64 addSlices(ChartData& d, const QList<BandRow>& rows, const TotalPieSettings& s)
{
    qsizetype at = 0;
    qint64 repeats = 0;
    for (qint64 i = 0; i < s.slices; ++i) {
        ChartPoint p;
        const QString top = rows.at(at).upper;
        QString bottom;
        for (qint64 j = 0; j < s.perSlice; ++j) {
            bottom = rows.at(at).lower;
            p.value += rows.at(at).count;
            if (at + 1 < rows.size())
                ++at;
            else
                ++repeats;
        }
        p.text = QStringLiteral("从") + bottom + QStringLiteral("到") + top + QStringLiteral("占");
        d.points << p;
    }
    // The last row was read once as itself; every further read repeats it.
    return repeats - 1;
}

} // namespace

ChartData totalPie(const BandWalk& walk, const TotalPieSettings& s)
{
    checkPieSettings(s);
    ChartData d;
    d.exam = walk.exam;
    const QString who = s.wholeGrade ? QStringLiteral("全级") : QStringLiteral("第%1班").arg(s.classNumber);
    d.title = walk.exam + who + QStringLiteral("总分分段饼图");
    const QList<BandRow>& rows = walk.rows;
    if (rows.isEmpty())
        return d;
    const qint64 repeats = addSlices(d, rows, s);
    QStringList notes;

    // Everyone of the class is in the pie: the students of the bands not
    // merged into a slice, above the top band or below the lowest one are
    // one more slice (or, when the teacher declines it, counted in the note).
    const qint64 drawn = qint64(d.total());
    const qint64 whole = s.classSize ? *s.classSize : qint64(walk.reached.value_or(double(drawn)));
    const qint64 rest = std::max<qint64>(0, whole - drawn);
    if (rest > 0 && s.restSlice)
        d.points << ChartPoint{QStringLiteral("其余占"), QString(), double(rest), true};
    const qint64 base = std::max(whole, drawn);
    for (ChartPoint& p : d.points)
        p.share = shareText(qint64(p.value), base) + QStringLiteral("（%1人）").arg(qint64(p.value));
    if (rest > 0 && !s.restSlice)
        notes << QStringLiteral("%1共%2人，另有%3人不在所画的分数段里，没有画出").arg(who).arg(whole).arg(rest);
    if (!s.classSize && walk.reached)
        notes << QStringLiteral("这次考试的成绩没有永久保存，低于最低分数段的学生无法计入");

    if (repeats > 0)
        notes << QStringLiteral("这次考试只有%1个分数段，不够%2段×每段%3个：最后一段（%4到%5）多算了%6次")
                     .arg(rows.size())
                     .arg(s.slices)
                     .arg(s.perSlice)
                     .arg(rows.last().lower, rows.last().upper)
                     .arg(repeats);
    if (drawn == 0)
        notes << QStringLiteral("这些分数段里没有学生");
    if (walk.otherExams)
        notes << QStringLiteral("查到的还有别的考试，图表只画第一个：%1").arg(walk.exam);
    d.note = notes.join(QStringLiteral("；"));
    return d;
}

ChartData bandPieOf(const QVariantMap& row, const ChartTitle& t)
{
    const QList<qint64> v = integersOf(bandPieInputs(row), bandPieFields());
    std::array<qint64, kBandPieInputs> in{};
    std::copy(v.begin(), v.end(), in.begin());
    return bandPie(in, t);
}

ChartData topBarsOf(const QVariantMap& row, const ChartTitle& t)
{
    const QList<qint64> v = integersOf(topBarInputs(row), topBarFields());
    std::array<qint64, 6> in{};
    std::copy(v.begin(), v.end(), in.begin());
    return topBars(in, t);
}

} // namespace Reports
