#include "engine/processing/runs.h"

#include "engine/db/database.h"
#include "engine/db/statement.h"
#include "engine/processing/rankstamp.h"
#include "engine/rules/bands.h"
#include "engine/rules/numbers.h"
#include "engine/rules/ranking.h"
#include "engine/rules/stats.h"
#include "engine/rules/subjects.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace Proc {

using Num::Fixed;
using Num::kScale;

namespace {

void checkSubjects(const QStringList& subjects)
{
    for (const QString& s : subjects)
        if (!Rules::allSubjects().contains(s))
            throw Db::InputError(QStringLiteral("没有“%1”这个科目").arg(s));
}

using Rules::ordered;

// Settings come from typed boxes and the command line: each is held to its
// bounds before any work or memory is sized from it.
void checkBounds(const QString& setting, qint64 value, qint64 low, qint64 high)
{
    if (value < low || value > high)
        throw Db::InputError(
            QStringLiteral("%1必须在%2到%3之间，现在是%4").arg(setting).arg(low).arg(high).arg(value));
}

void checkClasses(qint64 first, qint64 last)
{
    checkBounds(QStringLiteral("起始班号"), first, Rules::kFirstClass, Rules::kLastClass);
    checkBounds(QStringLiteral("最后班号"), last, Rules::kFirstClass, Rules::kLastClass);
    if (last < first)
        throw Db::InputError(QStringLiteral("起始班号（%1）大于最后一个班号（%2）").arg(first).arg(last));
}

// A stored mark as the rules read it (Num::markOf), without a QVariant for
// the numbers that make up nearly every cell.
Fixed markAt(const Db::Statement& st, int column)
{
    switch (st.type(column)) {
    case Db::Statement::Integer:
        return Num::toFixed(double(st.integer(column)));
    case Db::Statement::Real: {
        const double d = st.real(column);
        return std::isfinite(d) ? Num::toFixed(d) : 0;
    }
    case Db::Statement::Null:
        return 0;
    default:
        return Num::markOf(st.value(column));
    }
}

// A stored class number read as an integer the way Qt SQL's value does.
qint64 classAt(const Db::Statement& st, int column)
{
    switch (st.type(column)) {
    case Db::Statement::Integer:
        return st.integer(column);
    case Db::Statement::Null:
        return 0;
    default:
        return st.value(column).toLongLong();
    }
}

void report(const ProgressFn& progress, int stage, qint64 done, qint64 total)
{
    if (progress)
        progress(stage, done, total);
}

} // namespace

RankResult rank(const RankSettings& st, const ProgressFn& progress)
{
    QElapsedTimer timer;
    timer.start();
    checkSubjects(st.subjects);
    checkClasses(st.firstClass, st.lastClass);
    const QStringList subjects = ordered(st.subjects);
    const QString t = Db::table(st.table);
    const QString s = st.suffix;

    struct Item {
        QString score, classRank, gradeRank;
    };
    QList<Item> items{{"总分" + s, "总分班排" + s, "总分级排" + s}, {"三总" + s, "三总班排" + s, "三总级排" + s}};
    for (const QString& subj : subjects)
        items.append({subj + s, subj + "班排" + s, subj + "级排" + s});
    // Every column is checked before anything is read or written.
    for (const Item& it : items) {
        Db::column(st.table, it.score);
        Db::column(st.table, it.classRank);
        Db::column(st.table, it.gradeRank);
    }
    const bool totals = subjects.contains("语文") && subjects.contains("数学") && subjects.contains("英语");

    QStringList readCols{"rowid", Db::column(st.table, "班号")};
    // Totals about to be recomputed need not be read.
    for (const Item& it : items)
        readCols << (totals && (&it == &items[0] || &it == &items[1]) ? QStringLiteral("0") : Db::quote(it.score));
    const int nItems = int(items.size());
    std::vector<qint64> rowid, cls;
    std::vector<std::vector<Fixed>> score(nItems);
    // The write lock comes first, then the read: no other writer can replace
    // the rows between what this run reads and what it writes back.
    Db::Transaction tx;
    {
        const qint64 rows = Db::rowCount(st.table);
        rowid.reserve(size_t(rows));
        cls.reserve(size_t(rows));
        for (auto& v : score)
            v.reserve(size_t(rows));
        Db::Statement read(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(readCols.join(','), t));
        while (read.step()) {
            rowid.push_back(read.integer(0));
            cls.push_back(classAt(read, 1));
            for (int i = 0; i < nItems; ++i)
                score[size_t(i)].push_back(markAt(read, 2 + i));
        }
    }
    const int n = int(rowid.size());

    // Totals: the selected subjects in their order; 三总 is 语文 + 数学 + 英语.
    if (totals) {
        const int yw = 2 + int(subjects.indexOf("语文"));
        const int sx = 2 + int(subjects.indexOf("数学"));
        const int yy = 2 + int(subjects.indexOf("英语"));
        for (int r = 0; r < n; ++r) {
            Fixed sum = 0;
            for (int i = 2; i < nItems; ++i)
                sum += score[i][r];
            score[0][r] = sum;
            score[1][r] = score[yw][r] + score[sx][r] + score[yy][r];
            if ((r & 1023) == 0)
                report(progress, 1, r, n);
        }
    }
    report(progress, 1, n, n);

    // Class ranks for the classes of the range; other classes keep theirs.
    // Ranks go by the rounded scores, rounded once per item.
    std::vector<std::vector<int>> byClass(size_t(Rules::kClassCount) + 1);
    for (int r = 0; r < n; ++r)
        if (cls[size_t(r)] >= st.firstClass && cls[size_t(r)] <= st.lastClass)
            byClass[size_t(cls[size_t(r)])].push_back(r);
    qint64 inRangeCount = 0;
    for (const auto& v : byClass)
        inRangeCount += qint64(v.size());
    std::vector<std::vector<qint64>> classRank(nItems, std::vector<qint64>(n, 0));
    std::vector<std::vector<qint64>> gradeRank(nItems, std::vector<qint64>(n, 0));
    std::vector<int> everyone(n);
    std::iota(everyone.begin(), everyone.end(), 0);
    std::vector<qint64> key(n);
    qint64 done = 0;
    const qint64 classWork = qint64(nItems) * inRangeCount;
    for (int i = 0; i < nItems; ++i) {
        for (int r = 0; r < n; ++r)
            key[size_t(r)] = Rules::rankKey(score[size_t(i)][size_t(r)]);
        for (const auto& students : byClass) {
            if (students.empty())
                continue;
            Rules::ranksByKey(students, key, classRank[size_t(i)]);
            done += qint64(students.size());
            report(progress, 2, done, classWork);
        }
        // Grade ranks over every row, whatever its class.
        Rules::ranksByKey(everyone, key, gradeRank[size_t(i)]);
        report(progress, 3, i + 1, nItems);
    }

    {
        // Each statement's parameters are numbered, so that the checksum of
        // the new row can name a written value again.
        struct Update {
            QStringList columns, values; // what each column is set to
            QHash<QString, QString> newValue; // column -> the expression of its new value
            int params = 0;
            void assign(const QString& column, const QString& value)
            {
                columns << column;
                values << value;
                newValue.insert(column, value);
            }
            void set(const QString& column) { assign(column, QStringLiteral("?%1").arg(++params)); }
            void mend(const QString& column) { assign(column, QStringLiteral("coalesce(%1, 0)").arg(Db::quote(column))); }
        };
        Update in, out;
        if (totals) {
            for (Update* u : {&in, &out}) {
                u->set(items[0].score);
                u->set(items[1].score);
            }
        }
        QStringList written;
        for (const Item& it : items) {
            in.set(it.classRank);
            in.set(it.gradeRank);
            out.set(it.gradeRank);
            written << it.classRank << it.gradeRank;
        }
        // Blank ranks left by other paths read as 0, so that every rank
        // column holds an integer after a run; every row is written below,
        // so the rank columns this run does not set are mended in the same
        // pass.
        auto mendBlanks = [&](Update& u, bool classRanksSet) {
            for (const QString& subj : Rules::allSubjects() + QStringList{"三总", "总分"}) {
                for (const QString& kind : {QStringLiteral("班排"), QStringLiteral("级排")}) {
                    const QString c = subj + kind + s;
                    const bool set = written.contains(c) && (classRanksSet || kind == QStringLiteral("级排"));
                    if (!set && Db::hasColumn(st.table, c))
                        u.mend(c);
                }
            }
        };
        mendBlanks(in, true);
        mendBlanks(out, false);
        // The checksum a later grade save holds the table to, worked out
        // from the rows as they are written (see rankstamp.h).
        beginRowChecksum();
        auto statement = [&](const Update& u) {
            QStringList row;
            for (const QString& c : checksumColumns())
                row << u.newValue.value(c, c == QLatin1String("rowid") ? c : Db::quote(c));
            // The first value written passes through the checksum's call.
            QStringList sets;
            for (int i = 0; i < u.columns.size(); ++i)
                sets << Db::quote(u.columns.at(i)) + " = "
                        + (i == 0 ? rowChecksumCall(u.values.at(i), row) : u.values.at(i));
            return QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?%3").arg(t, sets.join(',')).arg(u.params + 1);
        };
        Db::Statement upIn(statement(in));
        Db::Statement upOut(statement(out));
        for (int r = 0; r < n; ++r) {
            const bool inside = cls[size_t(r)] >= st.firstClass && cls[size_t(r)] <= st.lastClass;
            Db::Statement& up = inside ? upIn : upOut;
            int k = 0;
            if (totals) {
                up.bind(k++, Num::fromFixed(score[0][size_t(r)]));
                up.bind(k++, Num::fromFixed(score[1][size_t(r)]));
            }
            for (int i = 0; i < nItems; ++i) {
                if (inside)
                    up.bind(k++, classRank[size_t(i)][size_t(r)]);
                up.bind(k++, gradeRank[size_t(i)][size_t(r)]);
            }
            up.bind(k, rowid[size_t(r)]);
            up.run();
        }
    }
    // What a later grade save checks it stores.
    recordRanking(st.table, rowChecksum());
    tx.commit();

    RankResult res;
    res.students = n;
    res.processed = qint64(n) * 2 * (qint64(subjects.size()) + 4);
    res.totals = totals;
    res.elapsedMs = timer.elapsed();
    return res;
}

Db::SelectSpec rankDisplayQuery(const QString& table, const QStringList& subjects, const QString& suffix,
                                qint64 b1, qint64 b2)
{
    const QStringList subj = ordered(subjects);
    QStringList l;
    for (const QString& s : subj)
        l << s + suffix << s + "班排" + suffix << s + "级排" + suffix;
    Db::SelectSpec q;
    q.table = table;
    if (subj.size() <= 2) {
        q.columns << "学号" << "姓名" << l << "班号";
    } else {
        q.columns << "学号" << "班号" << "姓名" << l;
        for (const QString& item : {QStringLiteral("总分"), QStringLiteral("三总")})
            q.columns << item + suffix << item + "班排" + suffix << item + "级排" + suffix;
    }
    q.where = {{"班号", ">=", b1}, {"班号", "<=", b2}};
    q.orderBy = {{"班号"}};
    return q;
}

// ---------------------------------------------------------------------------
// Subject analysis

namespace {

const QStringList kFxCleared{"班号", "人数", "总分", "平均分", "高分人数", "低分人数", "合格人数", "高分率",
                             "低分率", "合格率", "平均分排名", "高分率排名", "低分率排名", "及格率排名",
                             "最高分", "最低分", "F120", "F110", "F100", "F90", "F80", "F70", "F60", "F50",
                             "F40", "F30", "F20", "F10", "F0", "级前100名人数", "级前200名人数",
                             "级前300名人数", "级前400名人数"};

} // namespace

bool analysisTableInUse(const QString& fxTable)
{
    const QVariant first = Db::selectValue(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid LIMIT 1").arg(Db::column(fxTable, "科目"), Db::table(fxTable)));
    return first.isValid() && first.toString() != QLatin1String("0");
}

AnalysisResult analyze(const AnalysisSettings& st, const ProgressFn& progress)
{
    QElapsedTimer timer;
    timer.start();
    checkSubjects(st.subjects);
    const QStringList subjects = ordered(st.subjects);
    const QString t = Db::table(st.table);
    const QString fxT = Db::table(st.fxTable);
    checkClasses(st.firstClass, st.lastClass);
    for (const QString& subj : subjects) {
        Db::column(st.table, subj + st.suffix);
        Db::column(st.table, subj + "级排1");
        const qint64 full = st.fullMarks.value(subj, 100);
        if (full <= 0)
            throw Db::InputError(QStringLiteral("%1的满分值必须大于0").arg(subj));
        checkBounds(subj + QStringLiteral("的满分值"), full, 1, kMaxFullMark);
    }
    for (size_t k = 0; k < st.top.size(); ++k)
        checkBounds(QStringLiteral("级前名次（第%1个）").arg(k + 1), st.top[k], 1, kMaxTop);
    Db::column(st.table, "班号");
    Db::column(st.table, "姓名");
    for (const QString& c : kFxCleared)
        Db::column(st.fxTable, c);

    const qint64 classes = st.lastClass - st.firstClass + 1;
    const qint64 needed = qint64(subjects.size()) * (classes + 1);
    std::vector<qint64> fxRows;
    // The write lock first, then every read (see rank).
    Db::Transaction tx;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(fxT)))
        fxRows.push_back(r.first().toLongLong());
    // The save stops at the first free row, so one must stay after the result.
    if (needed + 1 > qint64(fxRows.size()))
        throw Db::InputError(QStringLiteral("分析表只有%1行，这次分析需要%2行（%3个科目，%4个班，另加全级行和一个空行），请减少科目或班数")
                                 .arg(fxRows.size()).arg(needed + 1).arg(subjects.size()).arg(classes));

    QStringList readCols{Db::quote("班号"), Db::quote("姓名")};
    for (const QString& subj : subjects)
        readCols << Db::quote(subj + st.suffix) << Db::quote(subj + "级排1");
    // Read once into plain arrays: one pass per subject then stays in cache.
    std::vector<qint64> cls;
    QStringList names;
    std::vector<std::vector<Fixed>> mark(size_t(subjects.size())), gradeRank(size_t(subjects.size()));
    {
        const qint64 rows = Db::rowCount(st.table);
        cls.reserve(size_t(rows));
        names.reserve(rows);
        for (auto& m : mark)
            m.reserve(size_t(rows));
        for (auto& g : gradeRank)
            g.reserve(size_t(rows));
        Db::Statement read(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(readCols.join(','), t));
        while (read.step()) {
            cls.push_back(classAt(read, 0));
            names << (read.type(1) == Db::Statement::Text ? read.text(1) : read.value(1).toString());
            for (size_t b = 0; b < size_t(subjects.size()); ++b) {
                mark[b].push_back(markAt(read, int(2 + 2 * b)));
                gradeRank[b].push_back(markAt(read, int(3 + 2 * b)));
            }
        }
    }
    const int n = int(cls.size());

    // Students of each class of the range in stored order, and the whole
    // grade: every student whose class is at least the first class.
    QHash<qint64, std::vector<int>> byClass;
    std::vector<int> grade;
    for (int r = 0; r < n; ++r) {
        const qint64 c = cls[size_t(r)];
        if (c >= st.firstClass) {
            grade.push_back(r);
            if (c <= st.lastClass)
                byClass[c].push_back(r);
        }
    }

    struct Row {
        QString subject;
        qint64 cls;
        qint64 full;
        Rules::SubjectStats stats;
        bool gradeRow;
        std::array<qint64, 4> ranks{};
    };
    std::vector<Row> out;
    out.reserve(size_t(needed));
    const qint64 progressTotal = qint64(subjects.size()) * classes;
    qint64 step = 0;
    for (int b = 0; b < subjects.size(); ++b) {
        const QString& subj = subjects.at(b);
        const qint64 full = st.fullMarks.value(subj, 100);
        const std::vector<Fixed>& marks = mark[size_t(b)];
        const std::vector<Fixed>& ranks = gradeRank[size_t(b)];
        auto statsOf = [&](const std::vector<int>& students) {
            return Rules::subjectStats(students, marks, ranks, full, st.top);
        };
        for (qint64 c = st.firstClass; c <= st.lastClass; ++c) {
            out.push_back({subj + st.suffix, c, full, statsOf(byClass.value(c)), false, {}});
            report(progress, 1, ++step, progressTotal);
        }
        out.push_back({subj + st.suffix, 100, full, statsOf(grade), true, {}});
    }

    // Class ranks within each subject: more is better for average, pass and
    // high rate, less is better for the low rate. A class without students
    // has nothing to compare and takes no place.
    for (int b = 0; b < subjects.size(); ++b) {
        const size_t base = size_t(b) * size_t(classes + 1);
        std::vector<Rules::SubjectStats> block;
        for (qint64 i = 0; i < classes; ++i)
            block.push_back(out[base + size_t(i)].stats);
        const auto places = Rules::classPlaces(block);
        for (qint64 i = 0; i < classes; ++i)
            out[base + size_t(i)].ranks = places[size_t(i)];
        report(progress, 2, b + 1, subjects.size());
    }

    // Names only on class rows; the whole grade has no one student to name.
    auto nameOf = [&](int row) { return row >= 0 ? names.at(row) : QStringLiteral(""); };
    AnalysisResult res;
    {
        if (analysisTableInUse(st.fxTable)) {
            QStringList sets{Db::quote("科目") + "='0'"};
            for (const QString& c : kFxCleared)
                sets << Db::quote(c) + "=0";
            Db::exec(QStringLiteral("UPDATE %1 SET %2").arg(fxT, sets.join(',')));
            res.cleared = true;
        }
        QStringList cols{"科目", "班号", "满分值", "人数", "总分", "平均分", "合格人数", "合格率", "高分人数",
                         "高分率", "低分人数", "低分率", "最高分", "最低分", "最高分名字", "最低分名字",
                         "级前100名人数", "级前200名人数", "级前300名人数", "级前400名人数", "平均分排名",
                         "及格率排名", "高分率排名", "低分率排名"};
        for (int k = 0; k < Rules::kMarkBands; ++k)
            cols << QStringLiteral("F%1").arg(10 * k);
        QStringList sets;
        for (const QString& c : cols)
            sets << Db::column(st.fxTable, c) + "=?";
        QSqlQuery up = Db::prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(fxT, sets.join(',')));
        for (size_t i = 0; i < out.size(); ++i) {
            const Row& r = out[i];
            const Rules::SubjectStats& s = r.stats;
            QVariantList v{r.subject, r.cls, r.full, s.count, s.total, Num::fromFixed(s.average()), s.pass,
                           Num::fromFixed(s.rate(s.pass)), s.high, Num::fromFixed(s.rate(s.high)), s.low,
                           Num::fromFixed(s.rate(s.low)), Num::fromFixed(s.best), Num::fromFixed(s.worst),
                           nameOf(r.gradeRow ? -1 : s.bestRow), nameOf(r.gradeRow ? -1 : s.worstRow)};
            for (size_t k = 0; k < 4; ++k)
                v << (r.gradeRow ? 0 : s.top[k]);
            for (size_t k = 0; k < 4; ++k)
                v << r.ranks[k];
            for (size_t k = 0; k < size_t(Rules::kMarkBands); ++k)
                v << s.bands[k];
            v << fxRows[i];
            Db::exec(up, v);
        }
    }
    tx.commit();
    res.rows = int(out.size());
    res.elapsedMs = timer.elapsed();
    return res;
}

// ---------------------------------------------------------------------------
// Score bands

BandResult bands(const BandSettings& st, const ProgressFn& progress)
{
    QElapsedTimer timer;
    timer.start();
    const QString t = Db::table(st.table);
    const QString tjT = Db::table(st.tjTable);
    const QString totalCol = Db::column(st.table, "总分" + st.totalSuffix);
    Db::column(st.table, "班号");
    const qint64 B = st.count;
    if (B < 1 || B > kMaxBands)
        throw Db::InputError(QStringLiteral("分段数必须在1到%1之间，现在是%2").arg(kMaxBands).arg(B));
    checkBounds(QStringLiteral("分段上限"), st.upper, 0, kMaxBandUpper);
    checkBounds(QStringLiteral("最后班号"), st.lastClass, Rules::kFirstClass, Rules::kLastClass);
    std::vector<qint64> tjRows;
    // The write lock first, then every read (see rank).
    Db::Transaction tx;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(tjT)))
        tjRows.push_back(r.first().toLongLong());
    if (B + 1 > qint64(tjRows.size()))
        throw Db::InputError(QStringLiteral("分段表只有%1行，放不下%2个分段和平均分行").arg(tjRows.size()).arg(B));
    const qint64 K = st.lastClass;
    const Rules::TotalBands limits{st.upper, B};

    Db::Statement read(QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY rowid").arg(Db::quote("班号"), totalCol, t));
    // counts[c][i]: class c (1..18, 0 unused) or the grade in band i;
    // cumul: total at least the band's lower limit.
    constexpr int kGrade = Rules::kClassCount + 1;
    std::vector<std::vector<qint64>> counts(kGrade + 1, std::vector<qint64>(size_t(B), 0));
    std::vector<std::vector<qint64>> cumul(kGrade + 1, std::vector<qint64>(size_t(B), 0));
    std::array<Fixed, kGrade + 1> sum{};
    std::array<qint64, kGrade + 1> heads{};
    int above = 0;
    int students = 0;
    while (read.step()) {
        ++students;
        const qint64 c = classAt(read, 0);
        const Fixed total = markAt(read, 1);
        const bool ownColumns = c >= 1 && c <= K;
        const qint64 band = limits.bandOf(total);
        if (limits.aboveFirst(total))
            ++above;
        if (band >= 0) {
            ++counts[kGrade][size_t(band)];
            if (ownColumns)
                ++counts[size_t(c)][size_t(band)];
        }
        for (qint64 i = 0; i < B; ++i) {
            if (!limits.reaches(total, i))
                continue;
            ++cumul[kGrade][size_t(i)];
            if (ownColumns)
                ++cumul[size_t(c)][size_t(i)];
        }
        if (Rules::isClassNumber(c)) {
            sum[size_t(c)] += total;
            ++heads[size_t(c)];
        }
        sum[kGrade] += total;
        ++heads[kGrade];
    }
    report(progress, 1, 1, 2);
    // Sum and head count are exact integers, so one division gives the
    // double nearest to the true average (1688.4 / 7 -> 241.2).
    auto average = [&](int c) {
        return heads[size_t(c)] ? double(sum[size_t(c)]) / double(kScale * heads[size_t(c)]) : 0.0;
    };

    {
        QStringList clear{Db::quote("上限") + "=0", Db::quote("下限") + "=0", Db::quote("全级") + "=0",
                          Db::quote("级累") + "=0"};
        for (int c = 1; c <= Rules::kClassCount; ++c) {
            clear << Db::column(st.tjTable, QStringLiteral("%1班").arg(c)) + "=0";
            clear << Db::column(st.tjTable, QStringLiteral("%1累").arg(c)) + "=0";
        }
        Db::exec(QStringLiteral("UPDATE %1 SET %2").arg(tjT, clear.join(',')));

        QStringList bandSets{Db::quote("上限") + "=?", Db::quote("下限") + "=?", Db::quote("全级") + "=?",
                             Db::quote("级累") + "=?"};
        for (qint64 c = 1; c <= K; ++c)
            bandSets << Db::quote(QStringLiteral("%1班").arg(c)) + "=?" << Db::quote(QStringLiteral("%1累").arg(c)) + "=?";
        QSqlQuery up = Db::prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(tjT, bandSets.join(',')));
        for (qint64 i = 0; i < B; ++i) {
            QVariantList v{QString::number(limits.upperOf(i)), QString::number(limits.lowerOf(i)), counts[kGrade][size_t(i)],
                           cumul[kGrade][size_t(i)]};
            for (qint64 c = 1; c <= K; ++c)
                v << counts[size_t(c)][size_t(i)] << cumul[size_t(c)][size_t(i)];
            v << tjRows[size_t(i)];
            Db::exec(up, v);
        }
        // The average row: every class with students (beyond the last class
        // too), and the whole table; a class without students shows 0.
        QStringList avgSets{Db::quote("上限") + "=?", Db::quote("下限") + "=?", Db::quote("全级") + "=?"};
        QVariantList v{QStringLiteral("总分的"), QStringLiteral("平均分"),
                       average(kGrade)};
        for (int c = 1; c <= Rules::kClassCount; ++c) {
            avgSets << Db::quote(QStringLiteral("%1班").arg(c)) + "=?";
            v << average(c);
        }
        v << tjRows[size_t(B)];
        Db::exec(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(tjT, avgSets.join(',')), v);
    }
    tx.commit();
    report(progress, 1, 2, 2);

    BandResult res;
    res.bands = int(B);
    res.students = students;
    res.aboveFirst = above;
    res.elapsedMs = timer.elapsed();
    return res;
}

} // namespace Proc
