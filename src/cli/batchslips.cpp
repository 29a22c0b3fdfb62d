#include "cli/batchslips.h"

#include "engine/actions/slips.h"
#include "engine/db/database.h"
#include "engine/processing/saves.h"
#include "engine/rules/subjects.h"
#include "engine/session/session.h"
#include "layout/slippages.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace Batch {

namespace {

QString choice(const Invocation& inv, const QString& option, const QStringList& allowed, const QString& otherwise)
{
    const QString v = inv.options.value(option, otherwise).trimmed();
    if (!allowed.contains(v))
        throw UsageError(QStringLiteral("--%1 只能是 %2，现在是“%3”").arg(option, allowed.join(QStringLiteral("、")), v));
    return v;
}

std::optional<qint64> numberOption(const Invocation& inv, const QString& option)
{
    if (!inv.options.contains(option))
        return std::nullopt;
    const auto n = Num::parseInteger(inv.options.value(option));
    if (!n || *n < 1)
        throw UsageError(QStringLiteral("--%1 的考试编号必须是正整数，现在是“%2”").arg(option, inv.options.value(option)));
    return n;
}

QString nameOption(const Invocation& inv, const QString& option)
{
    const QString name = inv.options.value(option).trimmed();
    if (name.isEmpty())
        throw UsageError(QStringLiteral("--%1 的考试名称是空的").arg(option));
    return name;
}

Levels::ExamRef examRef(const QString& name, std::optional<qint64> number)
{
    return number ? Levels::ExamRef{name, *number} : Levels::examNamed(name);
}

// What the command line asks for, all checked before the database is opened.
struct Request {
    QString examName;
    std::optional<qint64> number;
    QString out;
    bool pdf = false;
    QString dbFile;
    Slips::Options options;
    QString layout;
    std::optional<QString> since;
    std::optional<qint64> sinceNumber;
};

// The examination and the file to write.
void readTarget(const Invocation& inv, Request& req)
{
    if (!inv.options.contains("exam"))
        throw UsageError(QStringLiteral("slips 命令要用 --exam 给出考试名称"));
    req.examName = nameOption(inv, "exam");
    req.number = numberOption(inv, "number");
    if (!inv.options.contains("out"))
        throw UsageError(QStringLiteral("slips 命令要用 --out 给出写出的文件（.pdf 或 .xlsx）"));
    req.out = inv.options.value("out");
    req.pdf = req.out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    if (!req.pdf && !req.out.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        throw UsageError(QStringLiteral("--out 要以 .pdf 或 .xlsx 结尾，现在是“%1”").arg(req.out));
    req.dbFile = inv.options.value("db", defaultDatabase());
    const QFileInfo o(req.out), d(req.dbFile);
    if (o.isDir())
        throw UsageError(QStringLiteral("--out 是一个文件夹：%1").arg(QDir::toNativeSeparators(req.out)));
    if (o.exists() && d.exists() && o.canonicalFilePath() == d.canonicalFilePath())
        throw UsageError(QStringLiteral("--out 不能是数据库文件本身"));
}

// Whose slips, and what they show.
void readContent(const Invocation& inv, Request& req)
{
    Slips::Options& options = req.options;
    if (inv.options.contains("class")) {
        const auto c = Num::parseInteger(inv.options.value("class"));
        if (!c || !Rules::isClassNumber(*c))
            throw UsageError(QStringLiteral("--class 必须是%1到%2的班号，现在是“%3”")
                                 .arg(Rules::kFirstClass)
                                 .arg(Rules::kLastClass)
                                 .arg(inv.options.value("class")));
        options.cls = *c;
    }
    const QString show = choice(inv, "show", {"levels", "marks", "both"}, "levels");
    options.show = show == QLatin1String("marks") ? Slips::Show::Marks
        : show == QLatin1String("both")           ? Slips::Show::Both
                                                  : Slips::Show::Levels;
    const QString rank = choice(inv, "rank", {"none", "class", "grade", "position"}, "none");
    options.rank = rank == QLatin1String("class") ? Slips::RankMode::Class
        : rank == QLatin1String("grade")          ? Slips::RankMode::Grade
        : rank == QLatin1String("position")       ? Slips::RankMode::Position
                                                  : Slips::RankMode::None;
    req.layout = choice(inv, "layout", {"slips", "notice"}, "slips");
    if (!req.pdf && inv.options.contains("layout"))
        throw UsageError(QStringLiteral("--layout 只用于 PDF；工作簿总是成绩条的样式"));
}

// The earlier examination to compare with, if any.
void readComparison(const Invocation& inv, Request& req)
{
    req.sinceNumber = numberOption(inv, "since-number");
    if (inv.options.contains("since"))
        req.since = nameOption(inv, "since");
    else if (inv.options.contains("since-number") || inv.options.contains("change"))
        throw UsageError(QStringLiteral("--since-number 和 --change 要和 --since（用来比较的考试）一起用"));
    if (req.since) {
        const QString change = choice(inv, "change", {"level", "position"}, "level");
        req.options.change = change == QLatin1String("position") ? Slips::Change::Position : Slips::Change::Level;
        if (req.options.change == Slips::Change::Position && req.options.rank == Slips::RankMode::None)
            throw UsageError(QStringLiteral("--change position 要和 --rank class、grade 或 position 一起用：不显示名次时也不显示名次的变化"));
    }
}

// Writes the slips as the request's file; what was written.
QString writeSlips(const Request& req, const Slips::Set& set)
{
    const Slips::Options& options = req.options;
    const QString where = QDir::toNativeSeparators(req.out);
    const QString who = options.cls ? Slips::classText(*options.cls) : QStringLiteral("全年级%1个班").arg(set.classes().size());
    if (req.pdf) {
        const auto form = req.layout == QLatin1String("notice") ? Layout::SlipPages::Form::Notice : Layout::SlipPages::Form::Slips;
        const int pages = Layout::writeSlips(req.out, set, form);
        return QStringLiteral("已把考试“%1”（编号%2）%3%4名学生的%5写入 %6（%7页）")
            .arg(options.exam.name)
            .arg(options.exam.number)
            .arg(who)
            .arg(set.slips.size())
            .arg(form == Layout::SlipPages::Form::Notice ? QStringLiteral("家长通知书") : QStringLiteral("成绩条"), where)
            .arg(pages);
    }
    Slips::writeWorkbook(req.out, set);
    return QStringLiteral("已把考试“%1”（编号%2）%3%4名学生的成绩条写入 %5（每班一张工作表）")
        .arg(options.exam.name)
        .arg(options.exam.number)
        .arg(who)
        .arg(set.slips.size())
        .arg(where);
}

} // namespace

const QStringList& slipOptions()
{
    static const QStringList options{"exam", "number", "class", "show", "rank", "layout",
                                     "since", "since-number", "change", "year", "out"};
    return options;
}

Outcome runSlips(const Invocation& inv)
{
    // Everything is checked before the database is opened.
    Request req;
    readTarget(inv, req);
    readContent(inv, req);
    readComparison(inv, req);
    req.options.yearLine = inv.options.value("year").trimmed();

    Db::open(req.dbFile);
    Session session;
    session.load(false);
    req.options.exam = examRef(req.examName, req.number);
    if (req.since)
        req.options.earlier = examRef(*req.since, req.sinceNumber);
    const Slips::Set set = Actions::slips(session, req.options);
    if (set.slips.isEmpty())
        throw Db::InputError(QStringLiteral("考试“%1”没有学生，没有写出成绩条").arg(req.options.exam.name));
    Outcome result;
    result.summary = writeSlips(req, set);
    return result;
}

QString slipsHelp()
{
    return QStringLiteral(
        "  slips --exam 考试名称 [--number 编号] [--class 班号] [--show levels|marks|both]\n"
        "        [--rank none|class|grade|position] [--layout slips|notice]\n"
        "        [--since 以前的考试 [--since-number 编号] [--change level|position]]\n"
        "        [--year 学年学期] --out 文件.pdf|文件.xlsx\n"
        "      为永久保存过的一次考试给每个学生写一张成绩条，只有他本人的成绩。\n"
        "      --number 在这个名称只保存过一次时可以不写；--class 只写一个班，不写时全年级按班排列\n"
        "      （PDF 中每个班从新的一页开始，工作簿每班一张工作表）。\n"
        "      --show：只显示等级（默认）、只显示成绩或两者都显示。等级按数据库中保存的等级方案\n"
        "      （在“成绩条与等级”窗口中设定；没有设定时按比例 A15%、B35%、C35%、D13%、E其余）。\n"
        "      --rank：默认不显示名次（考试结果以等级告知，不排名）；class、grade 显示总分的班级、\n"
        "      年级名次；position 显示年级位置，如“位于年级前 12%”。\n"
        "      --layout：slips 每页多张、带裁剪线（默认）；notice 每人一页的家长通知书。\n"
        "      --since：与以前的一次考试比较，--change level 列出上次的等级（默认），\n"
        "      position 列出上次的名次或位置（要有 --rank）。\n"
        "      --year：成绩条上的学年学期，默认按成绩保存的日期，如“2024—2025学年第一学期”。\n");
}

} // namespace Batch
