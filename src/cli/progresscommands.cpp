#include "cli/progresscommands.h"

#include "cli/batchcsv.h"
#include "engine/actions/progress.h"
#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/export/xlsx.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"
#include "engine/session/session.h"
#include "layout/classreport.h"
#include "layout/tablesequence.h"

#include <QDir>
#include <QFileInfo>

namespace Batch {

namespace {

qint64 wholeOption(const Invocation& inv, const QString& option, qint64 low, qint64 high)
{
    return integerOption(option, inv.options.value(option), low, high);
}

// A named examination: its name and, when given, its number.
struct ExamOption {
    QString name;
    std::optional<qint64> number;
};
ExamOption examOption(const Invocation& inv, const QString& nameOption, const QString& numberOption)
{
    ExamOption e;
    if (!inv.options.contains(nameOption))
        throw UsageError(QStringLiteral("请用 --%1 给出考试名称").arg(nameOption));
    e.name = inv.options.value(nameOption).trimmed();
    if (e.name.isEmpty())
        throw UsageError(QStringLiteral("--%1 的考试名称是空的").arg(nameOption));
    if (inv.options.contains(numberOption))
        e.number = wholeOption(inv, numberOption, 1, std::numeric_limits<int>::max());
    return e;
}

// --out, checked against the database file and the kinds it may be.
QString outOption(const Invocation& inv, const QStringList& suffixes)
{
    if (!inv.options.contains("out"))
        throw UsageError(QStringLiteral("请用 --out 给出要写的文件（%1）").arg(suffixes.join(QStringLiteral("、"))));
    const QString out = inv.options.value("out");
    const QFileInfo o(out), d(inv.options.value("db", defaultDatabase()));
    if (o.isDir())
        throw UsageError(QStringLiteral("--out 是一个文件夹：%1").arg(QDir::toNativeSeparators(out)));
    if (o.exists() && d.exists() && o.canonicalFilePath() == d.canonicalFilePath())
        throw UsageError(QStringLiteral("--out 不能是数据库文件本身"));
    for (const QString& s : suffixes)
        if (out.endsWith(s, Qt::CaseInsensitive))
            return out;
    throw UsageError(QStringLiteral("--out 的文件要以 %1 结尾，现在是“%2”").arg(suffixes.join(QStringLiteral("、")), out));
}

qint64 classOption(const Invocation& inv, bool required)
{
    if (!inv.options.contains("class")) {
        if (required)
            throw UsageError(QStringLiteral("请用 --class 给出班号（%1到%2）").arg(Rules::kFirstClass).arg(Rules::kLastClass));
        return 0;
    }
    return wholeOption(inv, "class", Rules::kFirstClass, Rules::kLastClass);
}

QString csvOf(const Export::Sheet& s)
{
    QString text = csvLine(s.headers);
    for (const QVariantList& row : s.rows) {
        QStringList fields;
        for (const QVariant& v : row)
            fields << exportText(v);
        text += csvLine(fields);
    }
    return text;
}

} // namespace

Outcome runProgress(const Invocation& inv)
{
    const ExamOption from = examOption(inv, "from", "from-number");
    const ExamOption to = examOption(inv, "to", "to-number");
    const qint64 cls = classOption(inv, false);
    const int movers = inv.options.contains("movers")
                           ? int(wholeOption(inv, "movers", 1, Actions::kMaxMovers))
                           : Actions::kDefaultMovers;
    const QString out = outOption(inv, {".xlsx", ".csv", ".pdf"});

    Db::open(inv.options.value("db", defaultDatabase()));
    const Actions::ProgressRun run =
        Actions::progress(Progress::findExam(from.name, from.number), Progress::findExam(to.name, to.number));
    const QList<Export::Sheet> sheets = Actions::progressSheets(run, cls, movers);
    const QString where = QDir::toNativeSeparators(out);
    const QString whom = cls ? QStringLiteral("%1班").arg(cls) : QStringLiteral("全级");
    Outcome o;
    if (out.endsWith(".xlsx", Qt::CaseInsensitive)) {
        Export::writeXlsx(out, sheets);
        o.summary = QStringLiteral("已把%1的进退步（%2，%3名学生）导出到 %4：学生、进步最多、退步最多、各班、未能对应五张表")
                        .arg(whom, run.caption())
                        .arg(sheets.first().rowCount())
                        .arg(where);
    } else if (out.endsWith(".csv", Qt::CaseInsensitive)) {
        // One table per CSV file: the students, the table the others are drawn from.
        Files::writeAll(out, csvOf(sheets.first()).toUtf8());
        o.summary = QStringLiteral("已把%1的学生进退步（%2，%3名学生）导出到 %4（进步、退步名单和各班对比请用 .xlsx 或 .pdf）")
                        .arg(whom, run.caption())
                        .arg(sheets.first().rowCount())
                        .arg(where);
    } else {
        Layout::TableSequence doc;
        for (const Export::Sheet& s : sheets)
            doc.add(s.title, s);
        const int pages = Layout::writePdf(out, doc, {QStringLiteral("%1进退步分析").arg(whom), run.caption()});
        o.summary = QStringLiteral("已把%1的进退步（%2，%3名学生）印成PDF：%4（%5页）")
                        .arg(whom, run.caption())
                        .arg(sheets.first().rowCount())
                        .arg(where)
                        .arg(pages);
    }
    if (const qsizetype apart = sheets.last().rowCount())
        o.summary += QStringLiteral("；另有%1名学生只在一次考试中出现或学号无法对应，单独列出").arg(apart);
    return o;
}

Outcome runReport(const Invocation& inv)
{
    const ExamOption exam = examOption(inv, "exam", "number");
    const qint64 cls = classOption(inv, true);
    const QString out = outOption(inv, {".pdf"});
    Db::open(inv.options.value("db", defaultDatabase()));
    Session session;
    session.load(false);
    Layout::ClassReportPage page(Actions::classReport(session, Progress::findExam(exam.name, exam.number), cls));
    Layout::writePdf(out, page, page.furniture());
    Outcome o;
    o.summary = QStringLiteral("已把%1班在考试“%2”中的成绩报告印成PDF：%3（1页）")
                    .arg(cls)
                    .arg(page.data().examLabel, QDir::toNativeSeparators(out));
    if (!page.fitted())
        o.summary += QStringLiteral("；页面放不下全部内容，有的名单没有列全");
    return o;
}

QString progressHelp()
{
    return QStringLiteral(
        "  progress --from 考试名称 --to 考试名称 [--from-number N] [--to-number N] [--class C]\n"
        "           [--movers 10] --out 文件.xlsx|文件.csv|文件.pdf\n"
        "      比较两次永久保存了成绩的考试（上次 --from，本次 --to）：按学号对应每个学生，\n"
        "      总分、各科成绩、级排、班排和年级位置（前百分之几）的变化（正数是进步），缺考不计入变化；\n"
        "      进步最多、退步最多的学生（--movers 人，并列的一并列出）；各班的平均分、名次和变化；\n"
        "      只在一次考试中出现的学生单独列出，不按姓名对应。同名的考试保存过多次时用 --from-number、\n"
        "      --to-number 给出编号。--class 只列一个班的学生（各班对比仍列全部班级）。\n"
        "      .xlsx 写五张表，.csv 只写学生表，.pdf 依次印出各表。\n"
        "  report --exam 考试名称 [--number N] --class C --out 文件.pdf\n"
        "      一个班在一次永久保存的考试中的一页A4报告（内部资料，供任课教师开会用）：各科应考、\n"
        "      参考、缺考、平均分及在各班中的名次、合格率、高分率、低分率、最高分、最低分、级前N名人数；\n"
        "      总分分段人数的条形图；各科等级分布；与上一次保存的考试相比进步、退步最多的五名学生。\n"
        "      要先永久保存这次考试的成绩分析表；分段表和成绩保存过的才印出分段和进退步。\n");
}

} // namespace Batch
