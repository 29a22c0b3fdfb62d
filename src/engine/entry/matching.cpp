#include "engine/entry/matching.h"

#include <QHash>
#include <cstring>

namespace Match {

namespace {

QString nameKey(const QString& name, std::optional<qint64> cls)
{
    return cls ? QString::number(*cls) + QLatin1Char('\t') + name : name;
}

// Lines go by position when they are exactly the roster's students, name for name.
bool linesAreTheRoster(const QList<Student>& roster, const QList<Key>& lines)
{
    if (lines.size() != roster.size())
        return false;
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).name != roster.at(i).name)
            return false;
    return true;
}

// The key the columns allow. A roster with a name twice goes by name only
// when the lines are not the roster's own, name for name.
By keyFor(const QList<Student>& roster, const QList<Key>& lines, const Columns& columns)
{
    if (columns.number)
        return By::Number;
    if (columns.name && columns.cls)
        return By::NameAndClass;
    if (!columns.name)
        return By::Position;
    QHash<QString, int> count;
    for (const Student& s : roster)
        ++count[s.name];
    bool unique = true;
    for (int c : count)
        unique = unique && c == 1;
    return unique || !linesAreTheRoster(roster, lines) ? By::Name : By::Position;
}

// Each line to the student its key names; lines whose key names nobody or
// several students are listed and left out.
void matchByKey(const QList<Student>& roster, const QList<Key>& lines, Result& r)
{
    // Every roster student under the key; a key several students share
    // is kept with all of them, so that a line naming it is ambiguous.
    QHash<QString, QList<int>> byKey;
    for (int s = 0; s < roster.size(); ++s) {
        const Student& st = roster.at(s);
        const QString k = r.by == By::Number ? st.number
                                             : nameKey(st.name, r.by == By::NameAndClass ? std::optional(st.cls)
                                                                                         : std::nullopt);
        byKey[k].append(s);
    }
    for (int i = 0; i < lines.size(); ++i) {
        const Key& l = lines.at(i);
        const QString k = r.by == By::Number ? l.number : nameKey(l.name, r.by == By::NameAndClass ? l.cls : std::nullopt);
        const auto it = byKey.constFind(k);
        if (it == byKey.constEnd())
            r.unknown << i;
        else if (it->size() > 1)
            r.ambiguous << i;
        else
            r.studentOf[i] = it->first();
    }
}

// Two lines that reach one student: neither is taken, as the teacher must
// say which mark is right. Returns the lines that reached each student.
QHash<int, QList<int>> dropRepeated(Result& r)
{
    QHash<int, QList<int>> linesOf;
    for (int i = 0; i < r.studentOf.size(); ++i)
        if (r.studentOf.at(i) >= 0)
            linesOf[r.studentOf.at(i)].append(i);
    for (int i = 0; i < r.studentOf.size(); ++i) {
        const int s = r.studentOf.at(i);
        if (s >= 0 && linesOf.value(s).size() > 1 && linesOf.value(s).first() == i)
            r.repeated.append({s, linesOf.value(s)});
    }
    for (const Result::Repeated& group : r.repeated)
        for (int i : group.lines)
            r.studentOf[i] = -1;
    return linesOf;
}

// A 姓名 or 班号 given beside the key that is not the student's.
void checkAgreement(const QList<Student>& roster, const QList<Key>& lines, const Columns& columns, Result& r)
{
    for (int i = 0; i < r.studentOf.size(); ++i) {
        const int s = r.studentOf.at(i);
        if (s < 0)
            continue;
        const Key& l = lines.at(i);
        if (columns.name && r.by != By::Name && r.by != By::NameAndClass && l.name != roster.at(s).name)
            r.nameDisagrees << i;
        if (columns.cls && r.by == By::Number && l.cls && *l.cls != roster.at(s).cls)
            r.classDisagrees << i;
    }
}

} // namespace

int Result::matched() const
{
    int n = 0;
    for (int s : studentOf)
        n += s >= 0;
    return n;
}

bool rosterLess(qint64 clsA, const QString& numberA, qint64 clsB, const QString& numberB)
{
    if (clsA != clsB)
        return clsA < clsB;
    const QByteArray a = numberA.toUtf8(), b = numberB.toUtf8();
    const int c = std::memcmp(a.constData(), b.constData(), size_t(qMin(a.size(), b.size())));
    return c != 0 ? c < 0 : a.size() < b.size();
}

QList<std::pair<int, int>> repeatedNumbers(const QStringList& numbers)
{
    QList<std::pair<int, int>> out;
    QHash<QString, int> first;
    for (int i = 0; i < numbers.size(); ++i) {
        // A blank 学号 names no student, so it cannot name one twice.
        if (numbers.at(i).trimmed().isEmpty())
            continue;
        const auto it = first.constFind(numbers.at(i));
        if (it == first.constEnd())
            first.insert(numbers.at(i), i);
        else
            out.append({it.value(), i});
    }
    return out;
}

Result match(const QList<Student>& roster, const QList<Key>& lines, const Columns& columns)
{
    Result r;
    r.by = keyFor(roster, lines, columns);
    r.studentOf = QList<int>(lines.size(), -1);
    if (r.by == By::Position) {
        for (int i = 0; i < lines.size() && i < roster.size(); ++i)
            r.studentOf[i] = i;
    } else {
        matchByKey(roster, lines, r);
    }
    const QHash<int, QList<int>> linesOf = dropRepeated(r);
    checkAgreement(roster, lines, columns, r);
    // A student named only by repeated lines is listed with them, not here.
    for (int s = 0; s < roster.size(); ++s)
        if (!linesOf.contains(s))
            r.missing << s;
    return r;
}

} // namespace Match
