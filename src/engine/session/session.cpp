#include "engine/session/session.h"

#include "engine/db/database.h"
#include "engine/entry/setup.h"
#include "engine/processing/runs.h"
#include "engine/rules/subjects.h"
#include "engine/session/levelsettings.h"
#include "engine/session/settings.h"

#include <algorithm>

Session::Session(QObject* parent) : QObject(parent) {}

void Session::load(bool remember)
{
    m_remember = remember;
    m_rosterMode = Entry::rosterMode();
    m_workingTable = Entry::workingTableFor(m_rosterMode);
    reloadExam();
    m_fullMarks.clear();
    m_levelScheme = Levels::storedScheme();
    m_rangeChosen = false;
    if (remember) {
        const Settings::Working w = Settings::working();
        if (!w.subjects.isEmpty())
            m_subjects = w.subjects;
        if (w.firstClass && w.lastClass && Rules::isClassNumber(*w.firstClass) && Rules::isClassNumber(*w.lastClass)) {
            m_firstClass = *w.firstClass;
            m_lastClass = *w.lastClass;
            m_rangeChosen = true;
        }
        if (w.bandUpper && *w.bandUpper >= 0 && *w.bandUpper <= Proc::kMaxBandUpper)
            m_bandUpper = *w.bandUpper;
        if (w.bandCount && *w.bandCount >= 1 && *w.bandCount <= Proc::kMaxBands)
            m_bandCount = *w.bandCount;
    }
    if (!m_rangeChosen)
        followRoster();
    emit workingTableChanged(m_workingTable);
    emit settingsChanged();
    emit examChanged();
}

void Session::setRosterMode(qint64 mode)
{
    Entry::setRosterMode(mode);
    m_rosterMode = mode;
    const QString table = Entry::workingTableFor(mode);
    if (table == m_workingTable)
        return;
    m_workingTable = table;
    emit workingTableChanged(m_workingTable);
}

void Session::useTable(const QString& table)
{
    Db::table(table);
    if (table == m_workingTable)
        return;
    m_workingTable = table;
    emit workingTableChanged(m_workingTable);
}

void Session::setClassRange(qint64 first, qint64 last)
{
    for (const auto& [what, cls] : {std::pair{QStringLiteral("起始班号"), first}, std::pair{QStringLiteral("最后班号"), last}})
        if (!Rules::isClassNumber(cls))
            throw Db::InputError(what + QStringLiteral("：") + Rules::classProblem(cls));
    m_rangeChosen = true;
    if (first == m_firstClass && last == m_lastClass)
        return;
    m_firstClass = first;
    m_lastClass = last;
    storeWorking();
    emit settingsChanged();
}

void Session::followRoster()
{
    const auto range = Entry::classRange(m_workingTable);
    if (!range)
        return;
    const qint64 first = std::clamp<qint64>(range->first, Rules::kFirstClass, Rules::kLastClass);
    const qint64 last = std::clamp<qint64>(range->last, Rules::kFirstClass, Rules::kLastClass);
    if (first == m_firstClass && last == m_lastClass)
        return;
    m_firstClass = first;
    m_lastClass = last;
    emit settingsChanged();
}

void Session::setSubjects(const QStringList& subjects)
{
    const QStringList ordered = Rules::ordered(subjects);
    for (const QString& s : subjects)
        if (!Rules::allSubjects().contains(s))
            throw Db::InputError(QStringLiteral("没有“%1”这个科目").arg(s));
    if (ordered.isEmpty())
        throw Db::InputError(QStringLiteral("至少要选一个科目"));
    if (ordered == m_subjects)
        return;
    m_subjects = ordered;
    storeWorking();
    emit settingsChanged();
}

qint64 Session::fullMark(const QString& subject) const
{
    const auto it = m_fullMarks.constFind(subject);
    if (it != m_fullMarks.constEnd())
        return it.value();
    return Db::isOpen() ? Settings::fullMark(subject) : 100;
}

QMap<QString, qint64> Session::fullMarks() const
{
    QMap<QString, qint64> out;
    for (const QString& s : Rules::allSubjects())
        out.insert(s, fullMark(s));
    return out;
}

void Session::setFullMark(const QString& subject, qint64 full)
{
    setFullMarks({{subject, full}});
}

void Session::setFullMarks(const QMap<QString, qint64>& full)
{
    for (auto it = full.constBegin(); it != full.constEnd(); ++it) {
        if (!Rules::allSubjects().contains(it.key()))
            throw Db::InputError(QStringLiteral("没有“%1”这个科目").arg(it.key()));
        if (it.value() < 1 || it.value() > Proc::kMaxFullMark)
            throw Db::InputError(QStringLiteral("%1满分值必须在1到%2之间，现在是%3").arg(it.key()).arg(Proc::kMaxFullMark).arg(it.value()));
    }
    bool changed = false;
    for (auto it = full.constBegin(); it != full.constEnd(); ++it) {
        changed = changed || fullMark(it.key()) != it.value() || !m_fullMarks.contains(it.key());
        m_fullMarks.insert(it.key(), it.value());
    }
    if (!changed)
        return;
    if (m_remember)
        Settings::storeFullMarks(full);
    emit settingsChanged();
}

void Session::setTop(const std::array<qint64, 4>& top)
{
    const char* names[] = {"前100名", "前200名", "前300名", "前400名"};
    for (size_t i = 0; i < top.size(); ++i)
        if (top[i] < 1 || top[i] > Proc::kMaxTop)
            throw Db::InputError(QStringLiteral("%1的人数必须在1到%2之间，现在是%3")
                                     .arg(QString::fromUtf8(names[i]))
                                     .arg(Proc::kMaxTop)
                                     .arg(top[i]));
    if (top == m_top)
        return;
    m_top = top;
    emit settingsChanged();
}

qint64 Session::bandUpper() const
{
    if (m_bandUpper >= 0)
        return m_bandUpper;
    qint64 sum = 0;
    for (const QString& s : m_subjects)
        sum += fullMark(s);
    return sum > 0 ? qMin(sum - 1, Proc::kMaxBandUpper) : 399;
}

void Session::setBands(qint64 upper, qint64 count)
{
    if (upper < 0 || upper > Proc::kMaxBandUpper)
        throw Db::InputError(QStringLiteral("分段上限必须在0到%1之间，现在是%2").arg(Proc::kMaxBandUpper).arg(upper));
    if (count < 1 || count > Proc::kMaxBands)
        throw Db::InputError(QStringLiteral("分段数必须在1到%1之间，现在是%2").arg(Proc::kMaxBands).arg(count));
    if (upper == m_bandUpper && count == m_bandCount)
        return;
    m_bandUpper = upper;
    m_bandCount = count;
    storeWorking();
    emit settingsChanged();
}

void Session::setBandCount(qint64 count)
{
    if (count < 1 || count > Proc::kMaxBands)
        throw Db::InputError(QStringLiteral("分段数必须在1到%1之间，现在是%2").arg(Proc::kMaxBands).arg(count));
    if (count == m_bandCount)
        return;
    m_bandCount = count;
    storeWorking();
    emit settingsChanged();
}

void Session::reloadExam()
{
    const Entry::ExamState s = Entry::examState();
    m_exam = {s.name, s.number, s.marksSaved, s.analysisSaved, s.bandsSaved};
}

void Session::refresh()
{
    const Exam before = m_exam;
    reloadExam();
    const qint64 mode = Entry::rosterMode();
    const QString table = Entry::workingTableFor(mode);
    m_rosterMode = mode;
    if (table != m_workingTable) {
        m_workingTable = table;
        if (!m_rangeChosen)
            followRoster();
        emit workingTableChanged(m_workingTable);
    }
    if (before.name != m_exam.name || before.number != m_exam.number || before.marksSaved != m_exam.marksSaved
        || before.analysisSaved != m_exam.analysisSaved || before.bandsSaved != m_exam.bandsSaved)
        emit examChanged();
}

void Session::notifyGradesChanged()
{
    emit gradesChanged();
}

void Session::notifyExamChanged()
{
    reloadExam();
    emit examChanged();
}

void Session::storeWorking()
{
    if (!m_remember || !Db::isOpen())
        return;
    Settings::Working w;
    w.subjects = m_subjects;
    if (m_rangeChosen) {
        w.firstClass = m_firstClass;
        w.lastClass = m_lastClass;
    }
    if (m_bandUpper >= 0)
        w.bandUpper = m_bandUpper;
    w.bandCount = m_bandCount;
    Settings::storeWorking(w);
}

void Session::setLevelScheme(const Levels::Scheme& scheme)
{
    Levels::check(scheme);
    if (scheme == m_levelScheme)
        return;
    m_levelScheme = scheme;
    if (m_remember)
        Levels::storeScheme(scheme);
    emit settingsChanged();
}
