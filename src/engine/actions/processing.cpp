#include "engine/actions/processing.h"

#include "engine/db/database.h"
#include "engine/rules/subjects.h"
#include "engine/session/session.h"

namespace Actions {

Proc::RankSettings rankSettings(const Session& session)
{
    Proc::RankSettings st;
    st.table = session.workingTable();
    st.suffix = session.suffix();
    st.subjects = session.subjects();
    st.firstClass = session.firstClass();
    st.lastClass = session.lastClass();
    return st;
}

Proc::AnalysisSettings analysisSettings(const Session& session)
{
    Proc::AnalysisSettings st;
    st.table = session.workingTable();
    st.fxTable = session.analysisTable();
    st.suffix = session.suffix();
    st.subjects = session.subjects();
    st.firstClass = session.firstClass();
    st.lastClass = session.lastClass();
    st.fullMarks = session.fullMarks();
    st.top = session.top();
    return st;
}

Proc::BandSettings bandSettings(const Session& session)
{
    Proc::BandSettings st;
    st.table = session.workingTable();
    st.tjTable = session.bandTable();
    st.totalSuffix = session.suffix();
    st.upper = session.bandUpper();
    st.count = session.bandCount();
    st.lastClass = session.lastClass();
    return st;
}

Proc::RankResult rank(Session& session, const Proc::ProgressFn& progress)
{
    const Proc::RankResult r = Proc::rank(rankSettings(session), progress);
    session.notifyGradesChanged();
    return r;
}

Proc::AnalysisResult analyze(Session& session, const Proc::ProgressFn& progress)
{
    return Proc::analyze(analysisSettings(session), progress);
}

Proc::BandResult bands(Session& session, const Proc::ProgressFn& progress)
{
    return Proc::bands(bandSettings(session), progress);
}

SaveCheck checkSave(const Session& session, Save::Kind kind, const Save::Exam& exam)
{
    if (exam.name.trimmed().isEmpty())
        throw Db::InputError(QStringLiteral("考试名称不能是空的：结果按考试名称保存和查询"));
    if (exam.name.trimmed() == Entry::kNoExam)
        throw Db::InputError(QStringLiteral("“%1”表示还没有考试，不能用作考试名称").arg(Entry::kNoExam));
    // A save of no student would record the examination as saved with no
    // marks behind it, and the success message would be untrue.
    if (kind == Save::Kind::Grades && Db::rowCount(session.workingTable()) == 0)
        throw Db::InputError(QStringLiteral("成绩表“%1”中还没有学生，没有可以保存的成绩；请先录入学生和成绩")
                                 .arg(session.workingTable()));
    SaveCheck c;
    c.earlierRows = Save::savedRows(kind, exam);
    if (exam.name != session.exam().name)
        c.sameName = Entry::savedExam(exam.name);
    return c;
}

Save::Result save(Session& session, Save::Kind kind, Save::Exam exam)
{
    checkSave(session, kind, exam);
    exam.current = true;
    Save::Result r;
    switch (kind) {
    case Save::Kind::Grades:
        r = Save::grades(session.workingTable(), exam);
        break;
    case Save::Kind::Analysis:
        r = Save::analysis(session.analysisTable(), exam);
        break;
    case Save::Kind::Bands:
        r = Save::bands(session.bandTable(), exam);
        break;
    }
    session.notifyExamChanged();
    return r;
}

int reprocess(Session& session)
{
    const int removed = Save::discardSavedGrades(Save::currentExam());
    session.notifyExamChanged();
    return removed;
}

void makeCurrent(Session& session, const QString& name, qint64 number)
{
    if (name.trimmed().isEmpty() || name.trimmed() == Entry::kNoExam || !Rules::isCleanText(name))
        throw Db::InputError(QStringLiteral("“%1”不能用作考试名称").arg(name));
    if (number < 1)
        throw Db::InputError(QStringLiteral("考试编号必须是正整数，现在是%1").arg(number));
    const Save::Exam e{name, number};
    Db::inTransaction([&] {
        Db::exec(QStringLiteral("UPDATE \"check\" SET \"mc\" = ?, \"bh\" = ?, \"c1\" = ?, \"c2\" = ?, \"c3\" = ?"),
                 {name, QString::number(number), int(Save::savedRows(Save::Kind::Grades, e) > 0),
                  int(Save::savedRows(Save::Kind::Analysis, e) > 0), int(Save::savedRows(Save::Kind::Bands, e) > 0)});
        Db::exec(QStringLiteral("UPDATE \"linshi\" SET \"name\" = ?"), {name});
    });
    session.notifyExamChanged();
}

} // namespace Actions
