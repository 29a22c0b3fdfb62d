#include "engine/actions/progress.h"

#include "engine/actions/slips.h"
#include "engine/db/database.h"
#include "engine/rules/titles.h"
#include "engine/session/session.h"
#include "engine/rules/subjects.h"

namespace Actions {

QString ProgressRun::caption() const
{
    return QStringLiteral("%1 → %2").arg(beforeLabel, afterLabel);
}

ProgressRun progress(const Progress::ExamId& before, const Progress::ExamId& after)
{
    if (before == after)
        throw Db::InputError(QStringLiteral("上次和本次选的是同一次考试（%1），请选两次不同的考试").arg(before.name));
    ProgressRun run;
    run.before = before;
    run.after = after;
    const QList<Progress::ExamId> all = Progress::savedExams();
    run.beforeLabel = Progress::label(before, all);
    run.afterLabel = Progress::label(after, all);
    const std::vector<Progress::Student> b = Progress::readSaved(before), a = Progress::readSaved(after);
    for (const auto& [rows, label] : {std::pair{&b, run.beforeLabel}, std::pair{&a, run.afterLabel}})
        if (rows->empty())
            throw Db::InputError(QStringLiteral("考试“%1”没有永久保存的成绩，无法比较").arg(label));
    run.result = Progress::compare(b, a);
    return run;
}

QList<Progress::ExamId> defaultComparison()
{
    const QList<Progress::ExamId> all = Progress::savedExams();
    return all.mid(std::max<qsizetype>(0, all.size() - 2));
}

QList<Export::Sheet> progressSheets(const ProgressRun& run, qint64 cls, int movers)
{
    if (cls != 0 && !Rules::isClassNumber(cls))
        throw Db::InputError(Rules::classProblem(cls));
    if (movers < 1 || movers > kMaxMovers)
        throw Db::InputError(QStringLiteral("进步、退步名单的人数要在1到%1之间，现在是%2").arg(kMaxMovers).arg(movers));
    const Progress::Result& r = run.result;
    return {Progress::studentSheet(r, cls), Progress::moversSheet(r, cls, movers, true),
            Progress::moversSheet(r, cls, movers, false), Progress::classSheet(r),
            Progress::apartSheet(r, cls, run.beforeLabel, run.afterLabel)};
}

ClassReport::Data classReport(const Session& session, const Progress::ExamId& exam, qint64 cls)
{
    ClassReport::Data d = ClassReport::read(exam, cls);
    // Levels are given from the saved grades; without them the page says so.
    if (!d.students)
        return d;
    const Levels::ExamLevels levels = examLevels(session, {exam.name, exam.number});
    const QStringList names = levels.scheme.names();
    for (int item = 0; item < levels.grades.items.size(); ++item) {
        const Levels::ExamLevels::Count n = levels.count(item, cls);
        ClassReport::SubjectLevels s{levels.grades.items.at(item), {}};
        for (int i = 0; i < names.size() && i < n.perLevel.size(); ++i)
            s.counts << ClassReport::LevelCount{names.at(i), n.perLevel.at(i)};
        s.counts << ClassReport::LevelCount{Rules::kAbsent, n.absent};
        d.levels << s;
    }
    return d;
}

} // namespace Actions
