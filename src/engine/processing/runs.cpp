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
#include <cmath>

namespace Proc {

namespace {

void report(const ProgressFn& progress, int stage, qint64 done, qint64 total)
{
    if (progress)
        progress(stage, done, total);
}

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
Num::Mark markAt(const Db::Statement& st, int column)
{
    switch (st.type(column)) {
    case Db::Statement::Integer:
        return Num::toFixed(double(st.integer(column)));
    case Db::Statement::Real: {
        const double d = st.real(column);
        return std::isfinite(d) ? Num::Mark(Num::toFixed(d)) : std::nullopt;
    }
    case Db::Statement::Null:
        return std::nullopt;
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

// A value or NULL, as the statement or Qt SQL binds it.
void bindMark(Db::Statement& st, int k, const Num::Mark& m)
{
    if (m)
        st.bind(k, Num::fromFixed(*m));
    else
        st.bindNull(k);
}

// A rank from 1, or NULL for none (0).
void bindRank(Db::Statement& st, int k, qint64 rank)
{
    if (rank > 0)
        st.bind(k, rank);
    else
        st.bindNull(k);
}

QVariant orNull(const Num::Mark& m)
{
    return m ? QVariant(Num::fromFixed(*m)) : QVariant();
}

QVariant placeOrNull(const Rules::Place& p)
{
    return p ? QVariant(*p) : QVariant();
}

// ---------------------------------------------------------------------------
// Totals and ranks

struct RankItem {
    QString score, classRank, gradeRank;
};

// 总分, 三总, then the subjects in their order; every column checked.
QList<RankItem> rankItems(const RankSettings& st, const QStringList& subjects)
{
    const QString& s = st.suffix;
    QList<RankItem> items{{"总分" + s, "总分班排" + s, "总分级排" + s}, {"三总" + s, "三总班排" + s, "三总级排" + s}};
    for (const QString& subj : subjects)
        items.append({subj + s, subj + "班排" + s, subj + "级排" + s});
    for (const RankItem& it : items) {
        Db::column(st.table, it.score);
        Db::column(st.table, it.classRank);
        Db::column(st.table, it.gradeRank);
    }
    return items;
}

// Every student's class and scores, in stored order; totals about to be
// recomputed are not read.
RankRows readRankRows(const QString& table, const QList<RankItem>& items, bool totals, std::vector<qint64>& rowid)
{
    QList<int> readItems;
    QStringList cols{"rowid", Db::column(table, "班号")};
    for (int i = totals ? kFirstSubjectItem : 0; i < items.size(); ++i) {
        readItems << i;
        cols << Db::quote(items.at(i).score);
    }
    RankRows rows;
    rows.scores.resize(size_t(items.size()));
    const size_t n = size_t(Db::rowCount(table));
    rowid.reserve(n);
    rows.cls.reserve(n);
    for (int i : readItems)
        rows.scores[size_t(i)].reserve(n);
    Db::Statement read(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(cols.join(','), Db::table(table)));
    while (read.step()) {
        rowid.push_back(read.integer(0));
        rows.cls.push_back(classAt(read, 1));
        for (int k = 0; k < readItems.size(); ++k)
            rows.scores[size_t(readItems.at(k))].push_back(markAt(read, 2 + k));
    }
    return rows;
}

// Totals and grade ranks of every row, class ranks of the rows in the range
// (the others keep theirs); a missing one is written as NULL.
void writeRanks(const QString& table, const QList<RankItem>& items, const std::vector<qint64>& rowid,
                const RankRows& rows, const RankPlan& plan, const RankTable& t)
{
    // Each statement's parameters are numbered, so that the checksum of the
    // new row can name a written value again.
    struct Update {
        QStringList columns, values;      // what each column is set to
        QHash<QString, QString> newValue; // column -> the expression of its new value
        int params = 0;
        void set(const QString& column)
        {
            const QString value = QStringLiteral("?%1").arg(++params);
            columns << column;
            values << value;
            newValue.insert(column, value);
        }
    };
    Update in, out;
    if (plan.totals()) {
        for (Update* u : {&in, &out}) {
            u->set(items[kTotalItem].score);
            u->set(items[kThreeItem].score);
        }
    }
    for (const RankItem& it : items) {
        in.set(it.classRank);
        in.set(it.gradeRank);
        out.set(it.gradeRank);
    }
    // The checksum a later grade save holds the table to, worked out from
    // the rows as they are written (see rankstamp.h).
    beginRowChecksum();
    auto statement = [&](const Update& u) {
        QStringList row;
        for (const QString& c : checksumColumns())
            row << u.newValue.value(c, c == QLatin1String("rowid") ? c : Db::quote(c));
        // The first value written passes through the checksum's call.
        QStringList sets;
        for (int i = 0; i < u.columns.size(); ++i)
            sets << Db::quote(u.columns.at(i)) + " = " + (i == 0 ? rowChecksumCall(u.values.at(i), row) : u.values.at(i));
        return QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?%3").arg(Db::table(table), sets.join(',')).arg(u.params + 1);
    };
    Db::Statement upIn(statement(in));
    Db::Statement upOut(statement(out));
    for (size_t r = 0; r < rowid.size(); ++r) {
        const bool inside = inClassRange(rows.cls[r], plan);
        Db::Statement& up = inside ? upIn : upOut;
        int k = 0;
        if (plan.totals()) {
            bindMark(up, k++, t.total[r]);
            bindMark(up, k++, t.threeTotal[r]);
        }
        for (size_t i = 0; i < size_t(items.size()); ++i) {
            if (inside)
                bindRank(up, k++, t.classRanks[i][r]);
            bindRank(up, k++, t.gradeRanks[i][r]);
        }
        up.bind(k, rowid[r]);
        up.run();
    }
}

} // namespace

RankResult rank(const RankSettings& st, const ProgressFn& progress)
{
    QElapsedTimer timer;
    timer.start();
    checkSubjects(st.subjects);
    checkClasses(st.firstClass, st.lastClass);
    const QStringList subjects = ordered(st.subjects);
    // Every column is checked before anything is read or written.
    const QList<RankItem> items = rankItems(st, subjects);
    RankPlan plan;
    plan.firstClass = st.firstClass;
    plan.lastClass = st.lastClass;
    // 总分 and 三总 are recomputed only when 语文, 数学 and 英语 are all chosen.
    const std::array<qsizetype, 3> main{subjects.indexOf("语文"), subjects.indexOf("数学"), subjects.indexOf("英语")};
    if (main[0] >= 0 && main[1] >= 0 && main[2] >= 0)
        for (size_t k = 0; k < 3; ++k)
            plan.mainItems[k] = kFirstSubjectItem + int(main[k]);

    // The write lock comes first, then the read: no other writer can replace
    // the rows between what this run reads and what it writes back.
    Db::Transaction tx;
    std::vector<qint64> rowid;
    const RankRows rows = readRankRows(st.table, items, plan.totals(), rowid);
    const RankTable table = computeRanks(rows, plan, progress);
    writeRanks(st.table, items, rowid, rows, plan, table);
    // What a later grade save checks it stores.
    recordRanking(st.table, rowChecksum());
    tx.commit();

    RankResult res;
    res.students = int(rowid.size());
    res.processed = qint64(res.students) * 2 * (qint64(subjects.size()) + 4);
    res.totals = plan.totals();
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

// The columns written per analysis row, in the order of analysisValues.
QStringList analysisColumns()
{
    QStringList cols{"科目", "班号", "满分值", "人数", "总分", "平均分", "合格人数", "合格率", "高分人数",
                     "高分率", "低分人数", "低分率", "最高分", "最低分", "最高分名字", "最低分名字",
                     "级前100名人数", "级前200名人数", "级前300名人数", "级前400名人数", "平均分排名",
                     "及格率排名", "高分率排名", "低分率排名"};
    for (int k = 0; k < Rules::kMarkBands; ++k)
        cols << QStringLiteral("F%1").arg(10 * k);
    return cols;
}

// One row's values. Where nobody sat, the sum, averages, rates, highest and
// lowest mark with their names and the places are blank; the counts are 0.
// The whole-grade row names nobody and has no top-N counts or places (0 there,
// as the table has always held).
QVariantList analysisValues(const AnalysisRow& r)
{
    const Rules::SubjectStats& s = r.stats;
    const bool sat = s.count > 0;
    auto name = [&](const QString& n) { return r.wholeGrade() ? QVariant(QStringLiteral("")) : sat ? QVariant(n) : QVariant(); };
    QVariantList v{r.subject, r.cls, r.full, s.count, orNull(s.total()), orNull(s.average()), s.pass,
                   orNull(s.passRate()), s.high, orNull(s.highRate()), s.low, orNull(s.lowRate()),
                   sat ? QVariant(Num::fromFixed(s.best)) : QVariant(), sat ? QVariant(Num::fromFixed(s.worst)) : QVariant(),
                   name(r.bestName), name(r.worstName)};
    for (size_t k = 0; k < 4; ++k)
        v << (r.wholeGrade() ? 0 : s.top[k]);
    for (size_t k = 0; k < 4; ++k)
        v << (r.wholeGrade() ? QVariant(0) : placeOrNull(r.places[k]));
    for (size_t k = 0; k < size_t(Rules::kMarkBands); ++k)
        v << s.bands[k];
    return v;
}

// Every student's class, name, and each subject's mark and grade rank (its
// grade-rank column ends in 级排1 whatever the suffix).
AnalysisRows readAnalysisRows(const QString& table, const QStringList& subjectNames, const QString& suffix)
{
    QStringList cols{Db::quote("班号"), Db::quote("姓名")};
    for (const QString& subj : subjectNames)
        cols << Db::quote(subj + suffix) << Db::quote(subj + "级排1");
    const size_t subjects = size_t(subjectNames.size());
    AnalysisRows rows;
    rows.marks.resize(subjects);
    rows.gradeRanks.resize(subjects);
    const qint64 n = Db::rowCount(table);
    rows.cls.reserve(size_t(n));
    rows.names.reserve(n);
    for (size_t b = 0; b < subjects; ++b) {
        rows.marks[b].reserve(size_t(n));
        rows.gradeRanks[b].reserve(size_t(n));
    }
    Db::Statement read(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(cols.join(','), Db::table(table)));
    while (read.step()) {
        rows.cls.push_back(classAt(read, 0));
        rows.names << (read.type(1) == Db::Statement::Text ? read.text(1) : read.value(1).toString());
        for (size_t b = 0; b < subjects; ++b) {
            rows.marks[b].push_back(markAt(read, int(2 + 2 * b)));
            rows.gradeRanks[b].push_back(markAt(read, int(3 + 2 * b)));
        }
    }
    return rows;
}

// The rows of the analysis table, in stored order; one must stay free after
// the result, where the save stops.
std::vector<qint64> analysisRowIds(const QString& fxTable, qint64 needed, const AnalysisPlan& plan)
{
    std::vector<qint64> ids;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(Db::table(fxTable))))
        ids.push_back(r.first().toLongLong());
    if (needed + 1 > qint64(ids.size()))
        throw Db::InputError(QStringLiteral("分析表只有%1行，这次分析需要%2行（%3个科目，%4个班，另加全级行和一个空行），请减少科目或班数")
                                 .arg(ids.size())
                                 .arg(needed + 1)
                                 .arg(plan.columns.size())
                                 .arg(plan.lastClass - plan.firstClass + 1));
    return ids;
}

// Clears the last result when it is still there; true when it was.
bool clearAnalysisTable(const QString& fxTable)
{
    if (!analysisTableInUse(fxTable))
        return false;
    QStringList sets{Db::quote("科目") + "='0'"};
    for (const QString& c : kFxCleared)
        sets << Db::quote(c) + "=0";
    Db::exec(QStringLiteral("UPDATE %1 SET %2").arg(Db::table(fxTable), sets.join(',')));
    return true;
}

void writeAnalysis(const QString& fxTable, const std::vector<qint64>& ids, const std::vector<AnalysisRow>& out)
{
    QStringList sets;
    for (const QString& c : analysisColumns())
        sets << Db::column(fxTable, c) + "=?";
    QSqlQuery up = Db::prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(Db::table(fxTable), sets.join(',')));
    for (size_t i = 0; i < out.size(); ++i)
        Db::exec(up, analysisValues(out[i]) << ids[i]);
}

// The plan of a run, every setting and column checked.
AnalysisPlan analysisPlan(const AnalysisSettings& st)
{
    checkSubjects(st.subjects);
    checkClasses(st.firstClass, st.lastClass);
    AnalysisPlan plan;
    plan.firstClass = st.firstClass;
    plan.lastClass = st.lastClass;
    plan.top = st.top;
    for (const QString& subj : ordered(st.subjects)) {
        Db::column(st.table, subj + st.suffix);
        Db::column(st.table, subj + "级排1");
        const qint64 full = st.fullMarks.value(subj, 100);
        if (full <= 0)
            throw Db::InputError(QStringLiteral("%1的满分值必须大于0").arg(subj));
        checkBounds(subj + QStringLiteral("的满分值"), full, 1, kMaxFullMark);
        plan.columns << subj + st.suffix;
        plan.full.push_back(full);
    }
    for (size_t k = 0; k < st.top.size(); ++k)
        checkBounds(QStringLiteral("级前名次（第%1个）").arg(k + 1), st.top[k], 1, kMaxTop);
    Db::column(st.table, "班号");
    Db::column(st.table, "姓名");
    for (const QString& c : kFxCleared)
        Db::column(st.fxTable, c);
    return plan;
}

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
    Db::table(st.table);
    Db::table(st.fxTable);
    const AnalysisPlan plan = analysisPlan(st);
    const qint64 needed = qint64(plan.columns.size()) * (plan.lastClass - plan.firstClass + 2);
    // The write lock first, then every read (see rank).
    Db::Transaction tx;
    const std::vector<qint64> ids = analysisRowIds(st.fxTable, needed, plan);
    const AnalysisRows rows = readAnalysisRows(st.table, ordered(st.subjects), st.suffix);
    const std::vector<AnalysisRow> out = computeAnalysis(rows, plan, progress);
    AnalysisResult res;
    res.cleared = clearAnalysisTable(st.fxTable);
    writeAnalysis(st.fxTable, ids, out);
    tx.commit();
    res.rows = int(out.size());
    res.elapsedMs = timer.elapsed();
    return res;
}

// ---------------------------------------------------------------------------
// Score bands

namespace {

BandRows readBandRows(const QString& table, const QString& totalColumn)
{
    BandRows rows;
    const size_t n = size_t(Db::rowCount(table));
    rows.cls.reserve(n);
    rows.total.reserve(n);
    Db::Statement read(
        QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY rowid").arg(Db::quote("班号"), totalColumn, Db::table(table)));
    while (read.step()) {
        rows.cls.push_back(classAt(read, 0));
        rows.total.push_back(markAt(read, 1));
    }
    return rows;
}

// The rows of the band table: the bands and the average row after them.
std::vector<qint64> bandRowIds(const QString& tjTable, qint64 bands)
{
    std::vector<qint64> ids;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(Db::table(tjTable))))
        ids.push_back(r.first().toLongLong());
    if (bands + 1 > qint64(ids.size()))
        throw Db::InputError(QStringLiteral("分段表只有%1行，放不下%2个分段和平均分行").arg(ids.size()).arg(bands));
    return ids;
}

void clearBandTable(const QString& tjTable)
{
    QStringList clear{Db::quote("上限") + "=0", Db::quote("下限") + "=0", Db::quote("全级") + "=0",
                      Db::quote("级累") + "=0"};
    for (int c = 1; c <= Rules::kClassCount; ++c) {
        clear << Db::column(tjTable, QStringLiteral("%1班").arg(c)) + "=0";
        clear << Db::column(tjTable, QStringLiteral("%1累").arg(c)) + "=0";
    }
    Db::exec(QStringLiteral("UPDATE %1 SET %2").arg(Db::table(tjTable), clear.join(',')));
}

void writeBandRows(const QString& tjTable, const std::vector<qint64>& ids, const Rules::TotalBands& limits,
                   qint64 lastClass, const BandTable& t)
{
    constexpr int kGrade = BandTable::kGrade;
    QStringList sets{Db::quote("上限") + "=?", Db::quote("下限") + "=?", Db::quote("全级") + "=?",
                     Db::quote("级累") + "=?"};
    for (qint64 c = 1; c <= lastClass; ++c)
        sets << Db::quote(QStringLiteral("%1班").arg(c)) + "=?" << Db::quote(QStringLiteral("%1累").arg(c)) + "=?";
    QSqlQuery up = Db::prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(Db::table(tjTable), sets.join(',')));
    for (size_t i = 0; i < size_t(limits.count); ++i) {
        QVariantList v{QString::number(limits.upperOf(qint64(i))), QString::number(limits.lowerOf(qint64(i))),
                       t.counts[kGrade][i], t.cumul[kGrade][i]};
        for (qint64 c = 1; c <= lastClass; ++c)
            v << t.counts[size_t(c)][i] << t.cumul[size_t(c)][i];
        v << ids[i];
        Db::exec(up, v);
    }
}

// The average row: every class 1 to 18 (beyond the last class too) and the
// whole table; blank where nobody has a total.
void writeBandAverages(const QString& tjTable, qint64 id, const BandTable& t)
{
    auto average = [&](int c) {
        const auto a = t.average(c);
        return a ? QVariant(*a) : QVariant();
    };
    QStringList sets{Db::quote("上限") + "=?", Db::quote("下限") + "=?", Db::quote("全级") + "=?"};
    QVariantList v{QStringLiteral("总分的"), QStringLiteral("平均分"), average(BandTable::kGrade)};
    for (int c = 1; c <= Rules::kClassCount; ++c) {
        sets << Db::quote(QStringLiteral("%1班").arg(c)) + "=?";
        v << average(c);
    }
    v << id;
    Db::exec(QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(Db::table(tjTable), sets.join(',')), v);
}

} // namespace

BandResult bands(const BandSettings& st, const ProgressFn& progress)
{
    QElapsedTimer timer;
    timer.start();
    Db::table(st.table);
    Db::table(st.tjTable);
    const QString totalCol = Db::column(st.table, "总分" + st.totalSuffix);
    Db::column(st.table, "班号");
    checkBounds(QStringLiteral("分段数"), st.count, 1, kMaxBands);
    checkBounds(QStringLiteral("分段上限"), st.upper, 0, kMaxBandUpper);
    checkBounds(QStringLiteral("最后班号"), st.lastClass, Rules::kFirstClass, Rules::kLastClass);
    const Rules::TotalBands limits{st.upper, st.count};
    // The write lock first, then every read (see rank).
    Db::Transaction tx;
    const std::vector<qint64> ids = bandRowIds(st.tjTable, st.count);
    const BandRows rows = readBandRows(st.table, totalCol);
    const BandTable table = computeBands(rows, limits, st.lastClass);
    report(progress, 1, 1, 2);
    clearBandTable(st.tjTable);
    writeBandRows(st.tjTable, ids, limits, st.lastClass, table);
    writeBandAverages(st.tjTable, ids[size_t(st.count)], table);
    tx.commit();
    report(progress, 1, 2, 2);

    BandResult res;
    res.bands = int(st.count);
    res.students = table.counted;
    res.withoutTotal = table.withoutTotal;
    res.aboveFirst = table.aboveFirst;
    res.elapsedMs = timer.elapsed();
    return res;
}

} // namespace Proc
