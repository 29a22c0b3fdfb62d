#include "cli/batchcommands.h"
#include "cli/progresscommands.h"
#include "cli/batchslips.h"
#include "cli/batchimport.h"
#include "engine/rules/subjects.h"

#include "engine/app/paths.h"
#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/db/schema.h"
#include "engine/entry/roster.h"
#include "engine/entry/setup.h"
#include "engine/export/tables.h"
#include "engine/export/xlsx.h"
#include "layout/tablepages.h"
#include "engine/rules/numbers.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/actions/processing.h"
#include "engine/session/session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace Batch {

qint64 integerOption(const QString& option, const QString& text, qint64 low, qint64 high)
{
    const auto v = Num::parseInteger(text);
    if (!v)
        throw UsageError(QStringLiteral("--%1 的值“%2”不是整数").arg(option, text));
    if (*v < low || *v > high)
        throw UsageError(QStringLiteral("--%1 必须在%2到%3之间，现在是%4").arg(option).arg(low).arg(high).arg(*v));
    return *v;
}

namespace {


struct CommandSpec {
    QString name;
    QStringList options;  // besides --db
    int positional = 0;
    QString positionalName; // for the message when it is missing
};

const QList<CommandSpec>& commands()
{
    static const QList<CommandSpec> list{
        {"init", {}, 0, {}},
        {"import", {"table", "sheet", "marks", "accept-gaps"}, 1, QStringLiteral("要导入的文件（.xlsx、.xls、.csv）")},
        {"rank", {"table", "classes", "subjects"}, 0, {}},
        {"analyze", {"table", "classes", "subjects", "full", "top"}, 0, {}},
        {"bands", {"table", "upper", "count", "last-class"}, 0, {}},
        {"save", {"table", "exam", "number", "replace"}, 1, QStringLiteral("保存的内容（grades、analysis 或 bands）")},
        {"current", {"exam", "number"}, 0, {}},
        {"export", {"out"}, 1, QStringLiteral("表名")},
        {"progress", {"from", "to", "from-number", "to-number", "class", "movers", "out"}, 0, {}},
        {"report", {"exam", "number", "class", "out"}, 0, {}},
        {"slips", slipOptions(), 0, {}},
    };
    return list;
}

// Options that take no value: their presence says yes.
bool isFlag(const QString& option)
{
    return option == QLatin1String("replace") || option == QLatin1String("marks")
        || option == QLatin1String("accept-gaps");
}

const CommandSpec* findCommand(const QString& name)
{
    for (const CommandSpec& c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

QString list(const QStringList& items)
{
    return items.join(QStringLiteral("、"));
}

// ---- option values -------------------------------------------------------

QStringList splitList(const QString& text)
{
    static const QRegularExpression sep(QStringLiteral("[,，、;；]"));
    QStringList out;
    for (const QString& part : text.split(sep))
        if (!part.trimmed().isEmpty())
            out << part.trimmed();
    return out;
}

QString checkedGradeTable(const QString& name)
{
    if (name != QLatin1String("cj") && name != QLatin1String("cjn"))
        throw UsageError(QStringLiteral("--table 只能是 cj 或 cjn，现在是“%1”").arg(name));
    return name;
}


QStringList subjectsOption(const Invocation& inv)
{
    if (!inv.options.contains("subjects"))
        return {QStringLiteral("语文")};
    QStringList chosen;
    for (const QString& s : splitList(inv.options.value("subjects"))) {
        if (!Rules::gradeSubjects().contains(s))
            throw UsageError(QStringLiteral("--subjects 中的“%1”不是成绩表里的科目（可选：%2）")
                                 .arg(s, list(Rules::gradeSubjects())));
        if (!chosen.contains(s))
            chosen << s;
    }
    if (chosen.isEmpty())
        throw UsageError(QStringLiteral("--subjects 至少要有一个科目"));
    // The runs take subjects in the fixed order whatever order they are named in.
    QStringList ordered;
    for (const QString& s : Rules::gradeSubjects())
        if (chosen.contains(s))
            ordered << s;
    return ordered;
}

using ClassRange = Entry::ClassRange;

std::optional<ClassRange> classesOption(const Invocation& inv)
{
    if (!inv.options.contains("classes"))
        return std::nullopt;
    const QString text = inv.options.value("classes").trimmed();
    static const QRegularExpression dash(QStringLiteral("\\s*[-－~～–—至到]\\s*"));
    const QStringList parts = text.split(dash);
    if (parts.size() > 2 || parts.first().isEmpty() || parts.last().isEmpty())
        throw UsageError(QStringLiteral("--classes 应写成“起始班号-最后班号”，如 1-18，现在是“%1”").arg(text));
    ClassRange r;
    r.first = integerOption("classes", parts.first(), Rules::kFirstClass, Rules::kLastClass);
    r.last = integerOption("classes", parts.last(), Rules::kFirstClass, Rules::kLastClass);
    if (r.first > r.last)
        throw UsageError(QStringLiteral("--classes 的起始班号%1大于最后班号%2").arg(r.first).arg(r.last));
    return r;
}

QMap<QString, qint64> fullMarksOption(const Invocation& inv)
{
    QMap<QString, qint64> out;
    if (!inv.options.contains("full"))
        return out;
    static const QRegularExpression eq(QStringLiteral("\\s*[=＝:：]\\s*"));
    for (const QString& item : splitList(inv.options.value("full"))) {
        const QStringList kv = item.split(eq);
        if (kv.size() != 2)
            throw UsageError(QStringLiteral("--full 中的“%1”应写成“科目=满分”，如 数学=150").arg(item));
        if (!Rules::gradeSubjects().contains(kv.first()))
            throw UsageError(QStringLiteral("--full 中的“%1”不是成绩表里的科目（可选：%2）")
                                 .arg(kv.first(), list(Rules::gradeSubjects())));
        if (out.contains(kv.first()))
            throw UsageError(QStringLiteral("--full 中%1的满分给了两次").arg(kv.first()));
        out.insert(kv.first(), integerOption("full", kv.last(), 1, Proc::kMaxFullMark));
    }
    return out;
}

std::array<qint64, 4> topOption(const Invocation& inv)
{
    std::array<qint64, 4> top{100, 200, 300, 400};
    if (!inv.options.contains("top"))
        return top;
    const QStringList parts = splitList(inv.options.value("top"));
    if (parts.size() != 4)
        throw UsageError(QStringLiteral("--top 要给出四个名次，如 100,200,300,400，现在是“%1”")
                             .arg(inv.options.value("top")));
    for (int k = 0; k < 4; ++k)
        top[size_t(k)] = integerOption("top", parts.at(k), 1, Proc::kMaxTop);
    return top;
}

// ---- reading the database -----------------------------------------------

// The class range the program starts with: the first row's class to the last row's.
ClassRange tableClasses(const QString& table)
{
    const auto range = Entry::classRange(table);
    if (!range)
        throw Db::Error(QStringLiteral("表“%1”中没有学生，请先导入花名册").arg(table));
    const ClassRange r = *range;
    if (r.first > r.last)
        throw Db::Error(QStringLiteral("表“%1”第一行的班号（%2）大于最后一行的班号（%3），请用 --classes 指明班级范围")
                            .arg(table)
                            .arg(r.first)
                            .arg(r.last));
    return r;
}

QString openDatabase(const Invocation& inv)
{
    const QString file = inv.options.value("db", defaultDatabase());
    Db::open(file);
    return file;
}

// ---- subcommands ----------------------------------------------------------

Outcome runInit(const Invocation& inv)
{
    const QString file = inv.options.value("db", defaultDatabase());
    const QFileInfo target(file);
    if (target.exists() || target.isSymLink())
        throw Db::Error(QStringLiteral("文件已存在，不会覆盖：%1").arg(QDir::toNativeSeparators(file)));
    if (!target.absoluteDir().exists())
        throw Db::Error(QStringLiteral("文件夹不存在：%1").arg(QDir::toNativeSeparators(target.absolutePath())));

    // The new file appears under its name only once it is complete and opens
    // as a grade database; a failure leaves nothing behind.
    const QString part = target.absoluteFilePath() + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    QFile::remove(part);
    const QString kong = Paths::templateFile();
    bool fromTemplate = QFileInfo(kong).isFile();
    try {
        if (fromTemplate) {
            QFile src(kong);
            if (!src.copy(part))
                throw Db::Error(QStringLiteral("无法复制空白模板 %1：%2").arg(QDir::toNativeSeparators(kong), src.errorString()));
            QFile::setPermissions(part, QFile::permissions(part) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
        } else {
            Db::createBlankDatabase(part);
        }
        Db::open(part);
        Db::close();
        if (!QFile::rename(part, target.absoluteFilePath()))
            throw Db::Error(QStringLiteral("无法建立文件 %1（可能已被别的程序建立）").arg(QDir::toNativeSeparators(file)));
    } catch (...) {
        Db::close();
        QFile::remove(part);
        throw;
    }
    Outcome o;
    o.summary = QStringLiteral("已新建空白成绩数据库 %1（%2）")
                    .arg(QDir::toNativeSeparators(file),
                         fromTemplate ? QStringLiteral("复制自空白模板") : QStringLiteral("空白模板不在，按数据库结构新建"));
    return o;
}

// The session a command works in: the database's current examination and
// working table, the windows' design defaults for everything else (a batch
// run neither reads nor keeps the windows' last settings), then the options
// given. Every value is checked by the session as a window's would be.
void applyOptions(Session& session, const Invocation& inv)
{
    session.load(false);
    if (inv.options.contains("table"))
        session.useTable(inv.options.value("table"));
    session.setSubjects(subjectsOption(inv));
    if (const auto classes = classesOption(inv)) {
        session.setClassRange(classes->first, classes->last);
    } else {
        const ClassRange range = tableClasses(session.workingTable());
        session.setClassRange(range.first, range.last);
    }
}

Outcome runRank(const Invocation& inv)
{
    if (inv.options.contains("table"))
        checkedGradeTable(inv.options.value("table"));
    subjectsOption(inv);
    classesOption(inv);
    openDatabase(inv);
    Session session;
    applyOptions(session, inv);
    const Proc::RankResult r = Actions::rank(session);
    Outcome o;
    o.summary = QStringLiteral("已在表 %1 中为%2名学生排名（科目：%3；班排：%4-%5班），处理了%6个数据")
                    .arg(session.workingTable())
                    .arg(r.students)
                    .arg(list(session.subjects()))
                    .arg(session.firstClass())
                    .arg(session.lastClass())
                    .arg(r.processed);
    o.summary += r.totals ? QStringLiteral("，已计算总分和三总")
                          : QStringLiteral("，未选齐语文、数学、英语，总分和三总没有重算");
    return o;
}

Outcome runAnalyze(const Invocation& inv)
{
    if (inv.options.contains("table"))
        checkedGradeTable(inv.options.value("table"));
    const QStringList subjects = subjectsOption(inv);
    classesOption(inv);
    const QMap<QString, qint64> full = fullMarksOption(inv);
    const std::array<qint64, 4> top = topOption(inv);
    openDatabase(inv);
    Session session;
    applyOptions(session, inv);
    // Every subject is out of 100 unless --full says otherwise.
    QMap<QString, qint64> fullMarks;
    for (const QString& s : Rules::allSubjects())
        fullMarks.insert(s, full.value(s, 100));
    session.setFullMarks(fullMarks);
    session.setTop(top);
    const Proc::AnalysisResult r = Actions::analyze(session);
    QStringList fulls;
    for (const QString& s : subjects)
        fulls << QStringLiteral("%1%2").arg(s).arg(full.value(s, 100));
    Outcome o;
    o.summary = QStringLiteral("已从表 %1 生成成绩分析表 %2：%3行（科目及满分：%4；%5-%6班；级前%7/%8/%9/%10名）")
                    .arg(session.workingTable(), session.analysisTable())
                    .arg(r.rows)
                    .arg(list(fulls))
                    .arg(session.firstClass())
                    .arg(session.lastClass())
                    .arg(top[0])
                    .arg(top[1])
                    .arg(top[2])
                    .arg(top[3]);
    if (r.cleared)
        o.summary += QStringLiteral("，上次的结果已清除");
    return o;
}

Outcome runBands(const Invocation& inv)
{
    if (inv.options.contains("table"))
        checkedGradeTable(inv.options.value("table"));
    qint64 upper = 399, count = 30;
    if (inv.options.contains("upper"))
        upper = integerOption("upper", inv.options.value("upper"), 0, Proc::kMaxBandUpper);
    if (inv.options.contains("count"))
        count = integerOption("count", inv.options.value("count"), 1, Proc::kMaxBands);
    std::optional<qint64> lastClass;
    if (inv.options.contains("last-class"))
        lastClass = integerOption("last-class", inv.options.value("last-class"), Rules::kFirstClass, Rules::kLastClass);
    openDatabase(inv);
    Session session;
    session.load(false);
    if (inv.options.contains("table"))
        session.useTable(inv.options.value("table"));
    // Classes 1 to the last row's class have columns of their own; there are 18.
    if (!lastClass) {
        const auto range = Entry::classRange(session.workingTable());
        if (!range)
            throw Db::Error(QStringLiteral("表“%1”中没有学生，请先导入花名册").arg(session.workingTable()));
        lastClass = std::clamp<qint64>(range->last, Rules::kFirstClass, Rules::kLastClass);
    }
    session.setClassRange(Rules::kFirstClass, *lastClass);
    session.setBands(upper, count);
    const Proc::BandResult r = Actions::bands(session);
    Outcome o;
    o.summary = QStringLiteral("已从表 %1 生成总分分段表 %2：%3段（%4分到%5分）和平均分行，%6名学生，分班统计1-%7班")
                    .arg(session.workingTable(), session.bandTable())
                    .arg(r.bands)
                    .arg(upper)
                    .arg(upper - 9 - 10 * (count - 1))
                    .arg(r.students)
                    .arg(*lastClass);
    if (r.withoutTotal > 0)
        o.summary += QStringLiteral("；另有%1名学生没有总分（各科都缺考），不计入").arg(r.withoutTotal);
    return o;
}

// The examination named by --exam and --number, or the current one.
Save::Exam examOption(const Invocation& inv, const Session& session, const std::optional<QString>& name,
                      std::optional<qint64> number)
{
    const QString& currentName = session.exam().name;
    Save::Exam exam;
    if (name) {
        exam.name = *name;
    } else {
        if (currentName.trimmed().isEmpty() || currentName == Entry::kNoExam)
            throw Db::Error(QStringLiteral("数据库中没有当前考试，请用 --exam 和 --number 给出考试名称和编号"));
        exam.name = currentName;
    }
    if (number) {
        exam.number = *number;
    } else {
        if (exam.name != currentName)
            throw Db::Error(QStringLiteral("考试“%1”不是数据库中的当前考试，请用 --number 给出它的编号").arg(exam.name));
        exam.number = Save::examNumber(session.exam().number);
    }
    Q_UNUSED(inv);
    return exam;
}

// --exam and --number as given, checked before the database is opened.
std::pair<std::optional<QString>, std::optional<qint64>> examOptions(const Invocation& inv)
{
    std::optional<QString> name;
    if (inv.options.contains("exam")) {
        name = inv.options.value("exam").trimmed();
        if (name->isEmpty())
            throw UsageError(QStringLiteral("--exam 的考试名称是空的"));
        if (*name == Entry::kNoExam)
            throw UsageError(QStringLiteral("“%1”不能用作考试名称").arg(Entry::kNoExam));
    }
    std::optional<qint64> number;
    if (inv.options.contains("number")) {
        try {
            number = Save::examNumber(inv.options.value("number"));
        } catch (const Db::InputError& e) {
            throw UsageError(e.text());
        }
        if (*number < 1)
            throw UsageError(QStringLiteral("考试编号必须是正整数，现在是“%1”").arg(inv.options.value("number")));
    }
    return {name, number};
}

Outcome runSave(const Invocation& inv)
{
    const QString kind = inv.positional.value(0);
    if (kind != QLatin1String("grades") && kind != QLatin1String("analysis") && kind != QLatin1String("bands"))
        throw UsageError(QStringLiteral("save 后面应是 grades、analysis 或 bands，现在是“%1”").arg(kind));
    if (inv.options.contains("table")) {
        if (kind != QLatin1String("grades"))
            throw UsageError(QStringLiteral("--table 只用于 save grades"));
        checkedGradeTable(inv.options.value("table"));
    }
    const auto [name, number] = examOptions(inv);

    openDatabase(inv);
    Session session;
    session.load(false);
    if (inv.options.contains("table"))
        session.useTable(inv.options.value("table"));
    // Without --exam and --number the current examination is saved, as the
    // windows do with the name and number they show.
    Save::Exam exam = examOption(inv, session, name, number);
    const Save::Kind which = kind == QLatin1String("grades")     ? Save::Kind::Grades
                             : kind == QLatin1String("analysis") ? Save::Kind::Analysis
                                                                 : Save::Kind::Bands;
    // A second save of one examination would store it twice: it replaces
    // the first when asked to, and is refused otherwise.
    const Actions::SaveCheck check = Actions::checkSave(session, which, exam);
    if (check.askReplace()) {
        if (!inv.options.contains("replace"))
            throw Db::InputError(QStringLiteral("考试“%1”（编号%2）的这份结果已经永久保存过（%3行）。再保存一份，以后的查询和图表里"
                                                "这次考试会出现两遍；要换成这次的结果，请加 --replace")
                                     .arg(exam.name)
                                     .arg(exam.number)
                                     .arg(check.earlierRows));
        exam.replace = true;
    }
    // As in the windows, the examination saved becomes the current one.
    const Save::Result r = Actions::save(session, which, exam);
    const QString what = which == Save::Kind::Grades   ? QStringLiteral("表 %1 的成绩和排名").arg(session.workingTable())
                         : which == Save::Kind::Analysis ? QStringLiteral("成绩分析表 fx")
                                                         : QStringLiteral("总分分段表 tj");
    const QString into = which == Save::Kind::Grades ? "cjsave" : which == Save::Kind::Analysis ? "fxsave" : "tjsave1";
    const QString names = which == Save::Kind::Grades ? "ksmc" : which == Save::Kind::Analysis ? "ksmcfx" : "ksmcfd";
    Outcome o;
    o.summary = QStringLiteral("已永久保存考试“%1”（编号%2）的%3：%4行存入 %5")
                    .arg(exam.name)
                    .arg(exam.number)
                    .arg(what)
                    .arg(r.rows)
                    .arg(into);
    if (r.rows > 0)
        o.summary += QStringLiteral("（序号%1-%2）").arg(r.firstId).arg(r.nextId - 1);
    o.summary += exam.replace ? QStringLiteral("，替换了原来保存的，考试名称在 %1 中只记一次").arg(names)
                              : QStringLiteral("，考试名称记入 %1").arg(names);
    o.summary += QStringLiteral("；当前考试是“%1”（编号%2）").arg(exam.name).arg(exam.number);
    return o;
}

Outcome runCurrent(const Invocation& inv)
{
    const auto [name, number] = examOptions(inv);
    if (name.has_value() != number.has_value())
        throw UsageError(QStringLiteral("要改当前考试，请同时给出 --exam 和 --number"));
    openDatabase(inv);
    Session session;
    session.load(false);
    if (name)
        Actions::makeCurrent(session, *name, *number);
    const Session::Exam& e = session.exam();
    QStringList saved;
    if (e.marksSaved)
        saved << QStringLiteral("成绩");
    if (e.analysisSaved)
        saved << QStringLiteral("分析表");
    if (e.bandsSaved)
        saved << QStringLiteral("分段表");
    Outcome o;
    o.summary = QStringLiteral("%1当前考试是“%2”（编号%3），已永久保存：%4；成绩表是 %5")
                    .arg(name ? QStringLiteral("已设定，") : QString(), e.name, e.number,
                         saved.isEmpty() ? QStringLiteral("无") : list(saved), session.workingTable());
    return o;
}

// The examination a working table belongs to: the current one.
QString currentExamName()
{
    const QString name = Db::selectValue(QStringLiteral("SELECT \"mc\" FROM \"check\" LIMIT 1")).toString();
    return name == Entry::kNoExam ? QString() : name;
}

// What the windows hand on: the table as they show it, as a workbook or a PDF.
QString exportShown(const QString& table, OutputKind kind, const QString& out)
{
    Export::Sheet sheet = Export::storedSheet(table);
    sheet.name = table;
    sheet.title = Export::tableTitle(table);
    const QString where = QDir::toNativeSeparators(out);
    if (kind == OutputKind::Workbook) {
        Export::writeXlsx(out, {sheet});
        return QStringLiteral("已把表 %1 的%2行导出到 %3").arg(table).arg(sheet.rowCount()).arg(where);
    }
    const bool working = !Db::hasColumn(table, QStringLiteral("考试名称"));
    Layout::TablePages pages(sheet);
    const int n = Layout::writePdf(out, pages, {sheet.title, working ? currentExamName() : QString()});
    return QStringLiteral("已把表 %1 的%2行印成PDF：%3（%4页）").arg(table).arg(sheet.rowCount()).arg(where).arg(n);
}

// The stored table as CSV text, every column in rowid order; rows counts its rows.
QByteArray storedCsv(const QString& table, qint64& rows)
{
    const QString t = Db::table(table);
    QStringList cols;
    for (const QString& c : Db::columns(table))
        cols << Db::quote(c);
    QSqlQuery q = Db::prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(cols.join(','), t));
    Db::exec(q);
    QString text = csvLine(Db::columns(table));
    rows = 0;
    QStringList fields;
    while (Db::next(q)) {
        fields.clear();
        for (int i = 0; i < cols.size(); ++i)
            fields << exportText(q.value(i));
        text += csvLine(fields);
        ++rows;
    }
    return text.toUtf8();
}

Outcome runExport(const Invocation& inv)
{
    const QString table = inv.positional.value(0);
    const QString dbFile = inv.options.value("db", defaultDatabase());
    const std::optional<QString> out = inv.options.contains("out") ? std::optional(inv.options.value("out")) : std::nullopt;
    const OutputKind kind = outputKind(inv);
    if (out) {
        const QFileInfo o(*out), d(dbFile);
        if (o.exists() && d.exists() && o.canonicalFilePath() == d.canonicalFilePath())
            throw UsageError(QStringLiteral("--out 不能是数据库文件本身"));
        if (o.isDir())
            throw UsageError(QStringLiteral("--out 是一个文件夹：%1").arg(QDir::toNativeSeparators(*out)));
    }
    openDatabase(inv);
    Outcome o;
    if (kind != OutputKind::Csv) {
        o.summary = exportShown(table, kind, *out);
        return o;
    }
    qint64 rows = 0;
    const QByteArray bytes = storedCsv(table, rows);
    if (out) {
        // The file is replaced only once the whole export is on the disk.
        Files::writeAll(*out, bytes);
        o.summary = QStringLiteral("已把表 %1 的%2行导出到 %3").arg(table).arg(rows).arg(QDir::toNativeSeparators(*out));
    } else {
        // Standard output may be a file on a full disk: what did not reach it is no export.
        errno = 0;
        const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        if (written != size_t(bytes.size()) || std::fflush(stdout) != 0)
            throw Db::Error(QStringLiteral("无法写入标准输出：%1。导出不完整。")
                                .arg(Files::systemReason(errno ? errno : ENOSPC)));
        o.summary = QStringLiteral("已把表 %1 的%2行导出到标准输出").arg(table).arg(rows);
        o.summaryToStderr = true;
    }
    return o;
}

} // namespace

OutputKind outputKind(const Invocation& inv)
{
    if (inv.command == QLatin1String("report"))
        return OutputKind::Pdf;
    const bool writes = inv.command == QLatin1String("export") || inv.command == QLatin1String("progress")
        || inv.command == QLatin1String("slips");
    if (!writes || !inv.options.contains("out"))
        return OutputKind::Csv;
    const QString out = inv.options.value("out");
    if (out.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return OutputKind::Workbook;
    if (out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return OutputKind::Pdf;
    return OutputKind::Csv;
}

QString defaultDatabase()
{
    return Paths::databaseFile();
}

Invocation parseArguments(const QStringList& args)
{
    Invocation inv;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            inv.help = true;
            continue;
        }
        if (a.startsWith(QLatin1String("--"))) {
            QString name = a.mid(2);
            QString value;
            const qsizetype eq = name.indexOf('=');
            if (eq >= 0) {
                value = name.mid(eq + 1);
                name = name.left(eq);
            } else if (isFlag(name)) {
                value = QStringLiteral("1");
            } else {
                if (i + 1 >= args.size() || args.at(i + 1).startsWith(QLatin1String("--")))
                    throw UsageError(QStringLiteral("选项 --%1 后面缺少值").arg(name));
                value = args.at(++i);
            }
            if (name.isEmpty())
                throw UsageError(QStringLiteral("无法识别的参数“%1”").arg(a));
            if (inv.options.contains(name))
                throw UsageError(QStringLiteral("选项 --%1 给了两次").arg(name));
            inv.options.insert(name, value);
            continue;
        }
        if (a.startsWith('-') && a.size() > 1)
            throw UsageError(QStringLiteral("无法识别的选项“%1”").arg(a));
        if (inv.command.isEmpty())
            inv.command = a;
        else
            inv.positional << a;
    }
    if (inv.help)
        return inv;
    if (inv.command.isEmpty())
        throw UsageError(QStringLiteral("没有给出要做的事（init、import、rank、analyze、bands、save、current、export、progress、report 或 slips）"));
    const CommandSpec* cmd = findCommand(inv.command);
    if (!cmd)
        throw UsageError(QStringLiteral("没有“%1”这个命令（可用：init、import、rank、analyze、bands、save、current、export、progress、report、slips）")
                             .arg(inv.command));
    for (auto it = inv.options.cbegin(); it != inv.options.cend(); ++it) {
        if (it.key() == QLatin1String("db"))
            continue;
        if (!cmd->options.contains(it.key()))
            throw UsageError(QStringLiteral("%1 命令没有 --%2 选项").arg(inv.command, it.key()));
    }
    if (inv.options.contains("db") && inv.options.value("db").isEmpty())
        throw UsageError(QStringLiteral("--db 的文件名是空的"));
    if (inv.positional.size() < cmd->positional)
        throw UsageError(QStringLiteral("%1 命令缺少%2").arg(inv.command, cmd->positionalName));
    if (inv.positional.size() > cmd->positional)
        throw UsageError(QStringLiteral("多余的参数“%1”").arg(inv.positional.at(cmd->positional)));
    return inv;
}

Outcome run(const Invocation& inv)
{
    const QString& c = inv.command;
    if (c == QLatin1String("init"))
        return runInit(inv);
    if (c == QLatin1String("import"))
        return runImport(inv);
    if (c == QLatin1String("rank"))
        return runRank(inv);
    if (c == QLatin1String("analyze"))
        return runAnalyze(inv);
    if (c == QLatin1String("bands"))
        return runBands(inv);
    if (c == QLatin1String("save"))
        return runSave(inv);
    if (c == QLatin1String("current"))
        return runCurrent(inv);
    if (c == QLatin1String("export"))
        return runExport(inv);
    if (c == QLatin1String("progress"))
        return runProgress(inv);
    if (c == QLatin1String("report"))
        return runReport(inv);
    if (c == QLatin1String("slips"))
        return runSlips(inv);
    throw UsageError(QStringLiteral("没有“%1”这个命令").arg(c));
}

// One text, as the tool prints it: split up it would no longer read as the page it is.
QString helpText()
{
    return QStringLiteral(
        "gradebook-batch：不开窗口处理一个年级的成绩（与成绩册程序调用同样的处理功能）\n"
        "\n"
        "用法：gradebook-batch 命令 [选项] [--db 数据库文件]\n"
        "\n"
        "  --db FILE   要处理的成绩数据库文件；不写时是程序文件夹里的 database/Q7305.mdb\n"
        "\n"
        "命令：\n"
        "  init\n"
        "      把空白模板 database/kong 复制为 --db 给出的新文件（模板不在时按数据库结构新建）；\n"
        "      文件已存在时拒绝。\n"
        "  import [--table cjn|cj] [--sheet 名称|序号] [--marks [--accept-gaps]] 文件.xlsx|.xls|.csv\n"
        "      导入成绩表文件（Excel 的 .xlsx 和 .xls，CSV 或制表符分隔的文本，UTF-8 或 GBK 编码）。\n"
        "      表头在前十行里找（上面的标题行不要紧），认得出学号/考号、班号/班级、姓名和各科\n"
        "      （语文、数学、英语、政治/道法、物理、化学、综合/理综）；总分、名次、等级等列不导入。\n"
        "      不写 --sheet 时用第一个认得出表头的工作表；--sheet 给出工作表的名称或从1起的序号。\n"
        "      成绩空着或填“缺考”“缺”“/”表示缺考（不是0分）。\n"
        "      不加 --marks：作为新名单替换成绩表的全部学生（同“批量输入”），默认表 cjn，\n"
        "      要有学号、班号（1到18）、姓名三列，学号不能重复；并把该表设为当前成绩表。\n"
        "      加 --marks：把成绩导入当前成绩表（或 --table 给出的表）现有的学生，按学号对应，\n"
        "      没有学号列时按姓名和班号，再不然按姓名（名单上没有同名时）；只改文件里有的科目，\n"
        "      文件里没有的学生原有成绩不变。文件中有对不上名单的行、重复的行或名单上的学生\n"
        "      没有对应的行时不导入，加 --accept-gaps 才只导入对上的学生；姓名或班号与学号的\n"
        "      学生不同时总是不导入。\n"
        "      有不是数字的成绩、负数、1到18以外的班号时，逐个报出“第12行 D列”，这时数据库不做任何改动。\n"
        "  rank [--table T] [--classes A-B] [--subjects 语文,数学,…]\n"
        "      计算所选各科和总分、三总的班排、级排；选齐语文、数学、英语时先重算总分和三总。\n"
        "  analyze [--table T] [--classes A-B] [--subjects …] [--full 数学=150,英语=120]\n"
        "          [--top 100,200,300,400]\n"
        "      生成成绩分析表 fx。\n"
        "  bands [--table T] [--upper 399] [--count 30] [--last-class K]\n"
        "      生成总分分段表 tj。\n"
        "  save grades|analysis|bands [--exam 考试名称] [--number 编号] [--table T] [--replace]\n"
        "      永久保存：成绩存入 cjsave（名称记入 ksmc，置 check.c1），分析表存入 fxsave\n"
        "      （ksmcfx，c2），分段表存入 tjsave1（ksmcfd，c3）。--table 只用于 grades。\n"
        "      同一考试（名称和编号）已经保存过的，不加 --replace 不保存；加 --replace 替换原来保存的。\n"
        "      保存的考试成为当前考试（与窗口中保存一样）。表中没有学生时不保存成绩。\n"
        "  current [--exam 考试名称 --number 编号]\n"
        "      显示当前考试；给出名称和编号时把它设为当前考试（已保存的部分据保存情况标记）。\n"
        "  export 表名 [--out 文件.csv|文件.xlsx|文件.pdf]\n"
        "      按存储顺序导出表的全部记录。.csv（或不写 --out 时输出到屏幕）：第一行是列名，\n"
        "      UTF-8 编码，数值照存储的原样。.xlsx：与窗口的“导出为Excel”相同的工作簿（标题同\n"
        "      屏幕，数字是数值，各种率是百分比格式，学号是文本，冻结标题行和前几列）。\n"
        "      .pdf：与窗口打印相同的A4页面（数字不拆行，太宽的表接着印在后面的页上并重复前几列）。\n"
        "      分析表和分段表不含未用的空行。\n"
        "%1%2"
        "\n"
        "默认值与窗口相同：\n"
        "  --table     当前成绩表（linshi.shibie 为0时是 cjn，否则 cj）\n"
        "  --classes   成绩表第一行的班号到最后一行的班号（班号是1到18）\n"
        "  --subjects  语文\n"
        "  --full      各科满分100（可给1到1000）\n"
        "  --top       100,200,300,400（每个1到1000000）\n"
        "  --upper 399（0到100000）  --count 30（1到100段）\n"
        "  --last-class  成绩表最后一行的班号，最多18\n"
        "  --exam、--number  数据库中的当前考试（check 表的 mc、bh）\n"
        "\n"
        "每个命令做完后输出一行，说明做了什么、用了多长时间。\n"
        "退出码：0 做完；1 出错，数据库没有改动；2 命令行写错，什么都没做。\n")
        .arg(progressHelp(), slipsHelp());
}

} // namespace Batch
