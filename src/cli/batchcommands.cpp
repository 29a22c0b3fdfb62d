#include "cli/batchcommands.h"
#include "engine/rules/subjects.h"

#include "engine/app/paths.h"
#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/db/schema.h"
#include "engine/entry/roster.h"
#include "engine/entry/setup.h"
#include "engine/rules/numbers.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"

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

namespace {

const QString kNoExam = QStringLiteral("没有任何考试");

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
        {"import", {"table"}, 1, QStringLiteral("CSV文件")},
        {"rank", {"table", "classes", "subjects"}, 0, {}},
        {"analyze", {"table", "classes", "subjects", "full", "top"}, 0, {}},
        {"bands", {"table", "upper", "count", "last-class"}, 0, {}},
        {"save", {"table", "exam", "number"}, 1, QStringLiteral("保存的内容（grades、analysis 或 bands）")},
        {"export", {"out"}, 1, QStringLiteral("表名")},
    };
    return list;
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

qint64 integerOption(const QString& option, const QString& text, qint64 low, qint64 high)
{
    const auto v = Num::parseInteger(text);
    if (!v)
        throw UsageError(QStringLiteral("--%1 的值“%2”不是整数").arg(option, text));
    if (*v < low || *v > high)
        throw UsageError(QStringLiteral("--%1 必须在%2到%3之间，现在是%4").arg(option).arg(low).arg(high).arg(*v));
    return *v;
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

// The grade table the windows would work on: linshi.shibie 0 selects cjn.
QString workingTable(const Invocation& inv)
{
    if (inv.options.contains("table"))
        return inv.options.value("table");
    return Entry::workingTable();
}

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

Outcome runImport(const Invocation& inv)
{
    const QString table = checkedGradeTable(inv.options.value("table", QStringLiteral("cjn")));
    const QString csvFile = inv.positional.value(0);
    const QFileInfo info(csvFile);
    if (!info.exists())
        throw Db::Error(QStringLiteral("找不到文件 %1").arg(QDir::toNativeSeparators(csvFile)));
    if (info.isDir())
        throw Db::Error(QStringLiteral("%1 是文件夹，不是 CSV 文件").arg(QDir::toNativeSeparators(csvFile)));
    QFile f(csvFile);
    if (!f.open(QIODevice::ReadOnly))
        throw Db::Error(QStringLiteral("无法读取文件 %1：%2").arg(QDir::toNativeSeparators(csvFile), f.errorString()));
    const QByteArray bytes = f.readAll();
    f.close();
    // The whole file is checked before the database is even opened.
    RosterCsv roster;
    try {
        roster = parseRoster(bytes);
    } catch (const Db::InputError& e) {
        throw Db::InputError(QStringLiteral("%1 有错误，没有导入：\n%2").arg(QDir::toNativeSeparators(csvFile), e.text()));
    }
    openDatabase(inv);
    importStudents(table, roster);
    QSet<qint64> classes;
    for (const auto& s : roster.students)
        classes.insert(s.cls);
    Outcome o;
    o.summary = QStringLiteral("已把%1名学生（%2个班）导入表 %3，带成绩的科目：%4")
                    .arg(roster.students.size())
                    .arg(classes.size())
                    .arg(table, roster.subjects.isEmpty() ? QStringLiteral("无（成绩都为0）") : list(roster.subjects));
    return o;
}

Outcome runRank(const Invocation& inv)
{
    if (inv.options.contains("table"))
        checkedGradeTable(inv.options.value("table"));
    const QStringList subjects = subjectsOption(inv);
    const auto classes = classesOption(inv);
    openDatabase(inv);
    Proc::RankSettings st;
    st.table = workingTable(inv);
    st.subjects = subjects;
    const ClassRange range = classes ? *classes : tableClasses(st.table);
    st.firstClass = range.first;
    st.lastClass = range.last;
    const Proc::RankResult r = Proc::rank(st);
    Outcome o;
    o.summary = QStringLiteral("已在表 %1 中为%2名学生排名（科目：%3；班排：%4-%5班），处理了%6个数据")
                    .arg(st.table)
                    .arg(r.students)
                    .arg(list(subjects))
                    .arg(st.firstClass)
                    .arg(st.lastClass)
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
    const auto classes = classesOption(inv);
    const QMap<QString, qint64> full = fullMarksOption(inv);
    const std::array<qint64, 4> top = topOption(inv);
    openDatabase(inv);
    Proc::AnalysisSettings st;
    st.table = workingTable(inv);
    st.subjects = subjects;
    const ClassRange range = classes ? *classes : tableClasses(st.table);
    st.firstClass = range.first;
    st.lastClass = range.last;
    st.fullMarks = full;
    st.top = top;
    const Proc::AnalysisResult r = Proc::analyze(st);
    QStringList fulls;
    for (const QString& s : subjects)
        fulls << QStringLiteral("%1%2").arg(s).arg(full.value(s, 100));
    Outcome o;
    o.summary = QStringLiteral("已从表 %1 生成成绩分析表 %2：%3行（科目及满分：%4；%5-%6班；级前%7/%8/%9/%10名）")
                    .arg(st.table, st.fxTable)
                    .arg(r.rows)
                    .arg(list(fulls))
                    .arg(st.firstClass)
                    .arg(st.lastClass)
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
    Proc::BandSettings st;
    if (inv.options.contains("upper"))
        st.upper = integerOption("upper", inv.options.value("upper"), 0, Proc::kMaxBandUpper);
    if (inv.options.contains("count"))
        st.count = integerOption("count", inv.options.value("count"), 1, Proc::kMaxBands);
    std::optional<qint64> lastClass;
    if (inv.options.contains("last-class"))
        lastClass = integerOption("last-class", inv.options.value("last-class"), Rules::kFirstClass, Rules::kLastClass);
    openDatabase(inv);
    st.table = workingTable(inv);
    // Classes 1 to the last row's class have columns of their own; there are 18.
    if (lastClass) {
        st.lastClass = *lastClass;
    } else {
        const auto range = Entry::classRange(st.table);
        if (!range)
            throw Db::Error(QStringLiteral("表“%1”中没有学生，请先导入花名册").arg(st.table));
        st.lastClass = std::clamp<qint64>(range->last, Rules::kFirstClass, Rules::kLastClass);
    }
    const Proc::BandResult r = Proc::bands(st);
    Outcome o;
    o.summary = QStringLiteral("已从表 %1 生成总分分段表 %2：%3段（%4分到%5分）和平均分行，%6名学生，分班统计1-%7班")
                    .arg(st.table, st.tjTable)
                    .arg(r.bands)
                    .arg(st.upper)
                    .arg(st.upper - 9 - 10 * (st.count - 1))
                    .arg(r.students)
                    .arg(st.lastClass);
    return o;
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
    std::optional<QString> name;
    if (inv.options.contains("exam")) {
        name = inv.options.value("exam").trimmed();
        if (name->isEmpty())
            throw UsageError(QStringLiteral("--exam 的考试名称是空的"));
        if (*name == kNoExam)
            throw UsageError(QStringLiteral("“%1”不能用作考试名称").arg(kNoExam));
    }
    std::optional<qint64> number;
    if (inv.options.contains("number")) {
        try {
            number = Save::examNumber(inv.options.value("number"));
        } catch (const Db::InputError& e) {
            throw UsageError(e.text());
        }
    }

    openDatabase(inv);
    // Without --exam and --number the current examination is saved, as the
    // windows do with the name and number they show.
    const Entry::ExamState current = Entry::examState();
    const QString& currentName = current.name;
    const QString& currentNumber = current.number;
    Save::Exam exam;
    if (name) {
        exam.name = *name;
    } else {
        if (currentName.trimmed().isEmpty() || currentName == kNoExam)
            throw Db::Error(QStringLiteral("数据库中没有当前考试，请用 --exam 和 --number 给出考试名称和编号"));
        exam.name = currentName;
    }
    if (number) {
        exam.number = *number;
    } else {
        if (exam.name != currentName)
            throw Db::Error(QStringLiteral("考试“%1”不是数据库中的当前考试，请用 --number 给出它的编号").arg(exam.name));
        exam.number = Save::examNumber(currentNumber);
    }
    // The save flags in check belong to the current examination: a save for
    // another one leaves them alone (a blank database has none to protect).
    exam.current = exam.name == currentName || currentName == kNoExam;

    Save::Result r;
    QString what, into, names;
    if (kind == QLatin1String("grades")) {
        const QString table = workingTable(inv);
        r = Save::grades(table, exam);
        what = QStringLiteral("表 %1 的成绩和排名").arg(table);
        into = QStringLiteral("cjsave");
        names = QStringLiteral("ksmc");
    } else if (kind == QLatin1String("analysis")) {
        r = Save::analysis(QStringLiteral("fx"), exam);
        what = QStringLiteral("成绩分析表 fx");
        into = QStringLiteral("fxsave");
        names = QStringLiteral("ksmcfx");
    } else {
        r = Save::bands(QStringLiteral("tj"), exam);
        what = QStringLiteral("总分分段表 tj");
        into = QStringLiteral("tjsave1");
        names = QStringLiteral("ksmcfd");
    }
    Outcome o;
    o.summary = QStringLiteral("已永久保存考试“%1”（编号%2）的%3：%4行存入 %5")
                    .arg(exam.name)
                    .arg(exam.number)
                    .arg(what)
                    .arg(r.rows)
                    .arg(into);
    if (r.rows > 0)
        o.summary += QStringLiteral("（序号%1-%2）").arg(r.firstId).arg(r.nextId - 1);
    o.summary += QStringLiteral("，考试名称记入 %1").arg(names);
    return o;
}

Outcome runExport(const Invocation& inv)
{
    const QString table = inv.positional.value(0);
    const QString dbFile = inv.options.value("db", defaultDatabase());
    const std::optional<QString> out = inv.options.contains("out") ? std::optional(inv.options.value("out")) : std::nullopt;
    if (out) {
        const QFileInfo o(*out), d(dbFile);
        if (o.exists() && d.exists() && o.canonicalFilePath() == d.canonicalFilePath())
            throw UsageError(QStringLiteral("--out 不能是数据库文件本身"));
        if (o.isDir())
            throw UsageError(QStringLiteral("--out 是一个文件夹：%1").arg(QDir::toNativeSeparators(*out)));
    }
    openDatabase(inv);
    const QString t = Db::table(table);
    QStringList cols;
    for (const QString& c : Db::columns(table))
        cols << Db::quote(c);
    QSqlQuery q = Db::prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(cols.join(','), t));
    Db::exec(q);
    QString text = csvLine(Db::columns(table));
    qint64 rows = 0;
    QStringList fields;
    while (Db::next(q)) {
        fields.clear();
        for (int i = 0; i < cols.size(); ++i)
            fields << exportText(q.value(i));
        text += csvLine(fields);
        ++rows;
    }
    const QByteArray bytes = text.toUtf8();
    Outcome o;
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
        throw UsageError(QStringLiteral("没有给出要做的事（init、import、rank、analyze、bands、save 或 export）"));
    const CommandSpec* cmd = findCommand(inv.command);
    if (!cmd)
        throw UsageError(QStringLiteral("没有“%1”这个命令（可用：init、import、rank、analyze、bands、save、export）")
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
    if (c == QLatin1String("export"))
        return runExport(inv);
    throw UsageError(QStringLiteral("没有“%1”这个命令").arg(c));
}

void importStudents(const QString& table, const RosterCsv& roster)
{
    Db::inTransaction([&] {
        Roster::replace(table, roster.students);
        // The windows then open the table that was just filled, as after bulk input.
        Entry::setRosterMode(table == QLatin1String("cjn") ? 0 : 1);
    });
}

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
        "  import [--table cjn|cj] 文件.csv\n"
        "      用 CSV 文件中的学生替换成绩表的全部记录（同“批量输入”），默认表 cjn，\n"
        "      并把该表设为当前成绩表。文件为 UTF-8 编码（可带 BOM），第一行是标题：\n"
        "      学号,班号,姓名 之后任意顺序的 语文,数学,英语,政治,物理,化学,综合 中的几列；\n"
        "      标题中没有的科目成绩为0。先检查整个文件，有错的行会报出行号（标题行是第1行），\n"
        "      这时数据库不做任何改动。\n"
        "  rank [--table T] [--classes A-B] [--subjects 语文,数学,…]\n"
        "      计算所选各科和总分、三总的班排、级排；选齐语文、数学、英语时先重算总分和三总。\n"
        "  analyze [--table T] [--classes A-B] [--subjects …] [--full 数学=150,英语=120]\n"
        "          [--top 100,200,300,400]\n"
        "      生成成绩分析表 fx。\n"
        "  bands [--table T] [--upper 399] [--count 30] [--last-class K]\n"
        "      生成总分分段表 tj。\n"
        "  save grades|analysis|bands [--exam 考试名称] [--number 编号] [--table T]\n"
        "      永久保存：成绩存入 cjsave（名称记入 ksmc，置 check.c1），分析表存入 fxsave\n"
        "      （ksmcfx，c2），分段表存入 tjsave1（ksmcfd，c3）。--table 只用于 grades。\n"
        "  export 表名 [--out 文件.csv]\n"
        "      按存储顺序导出表的全部记录，第一行是列名，UTF-8 编码；不写 --out 时输出到屏幕。\n"
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
        "退出码：0 做完；1 出错，数据库没有改动；2 命令行写错，什么都没做。\n");
}

} // namespace Batch
