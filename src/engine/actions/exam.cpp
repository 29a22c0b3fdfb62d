#include "engine/actions/exam.h"

#include "engine/db/database.h"
#include "engine/session/session.h"

namespace Actions {

NewExam checkNewExam(const QString& name, const QString& number)
{
    NewExam e;
    e.number = Entry::checkNewExam(name, number);
    e.name = name;
    e.sameName = Entry::savedExam(name);
    return e;
}

void addExam(Session& session, const NewExam& exam)
{
    Entry::startExam(exam.name, QString::number(exam.number));
    session.notifyExamChanged();
}

void startBulkRoster(Session& session)
{
    session.setRosterMode(0);
}

void startOneByOne(Session& session)
{
    Entry::startOneByOne(QStringLiteral("cjn"));
    session.setRosterMode(0);
    session.notifyGradesChanged();
}

void reuseRoster(Session& session, bool clearMarks)
{
    if (!clearMarks)
        return;
    Entry::blankMarks(session.workingTable());
    session.notifyGradesChanged();
}

Roster::BulkPlan prepareBulk(Session& session, const QString& table, const Roster::BulkInput& input)
{
    return Roster::prepare(table, input, session.fullMarks());
}

Roster::BulkResult writeBulk(Session& session, const QString& table, const Roster::BulkPlan& plan)
{
    Roster::BulkResult result;
    Db::inTransaction([&] {
        result = Roster::write(table, plan);
        // The working table from now on is the one just filled.
        Entry::setRosterMode(table == QLatin1String("cjn") ? 0 : 1);
    });
    session.setRosterMode(table == QLatin1String("cjn") ? 0 : 1);
    if (plan.roster && result.students > 0)
        session.setClassRange(result.firstClass, result.lastClass);
    session.notifyGradesChanged();
    return result;
}

qint64 addStudent(Session& session, const QString& table, const QString& number, qint64 cls, const QString& name)
{
    const qint64 n = Entry::addStudent(table, number, cls, name);
    session.notifyGradesChanged();
    return n;
}

qint64 insertStudent(Session& session, const QString& table, const QString& number, qint64 cls, const QString& name)
{
    const qint64 id = Entry::insertStudent(table, number, cls, name);
    session.notifyGradesChanged();
    return id;
}

void deleteStudent(Session& session, const QString& table, qint64 rowid, const QString& number)
{
    Entry::deleteStudent(table, rowid, number);
    session.notifyGradesChanged();
}

} // namespace Actions
