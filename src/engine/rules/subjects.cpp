#include "engine/rules/subjects.h"

namespace Rules {

bool isClassNumber(qint64 cls)
{
    return cls >= kFirstClass && cls <= kLastClass;
}

QString classProblem(qint64 cls)
{
    if (isClassNumber(cls))
        return {};
    return QStringLiteral("班号必须在%1到%2之间，现在是%3").arg(kFirstClass).arg(kLastClass).arg(cls);
}

bool isCleanText(const QString& text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
    return true;
}

const QStringList& allSubjects()
{
    static const QStringList s{"语文", "数学", "英语", "政治", "物理", "化学", "生物", "地理", "历史", "综合"};
    return s;
}

const QStringList& gradeSubjects()
{
    static const QStringList s{"语文", "数学", "英语", "政治", "物理", "化学", "综合"};
    return s;
}

const QStringList& entrySubjects()
{
    static const QStringList s{"语文", "数学", "英语", "政治", "物理", "化学"};
    return s;
}

const QStringList& savedItems()
{
    static const QStringList s = gradeSubjects() + QStringList{"三总", "总分"};
    return s;
}

QStringList ordered(const QStringList& subjects)
{
    QStringList out;
    for (const QString& s : allSubjects())
        if (subjects.contains(s))
            out << s;
    return out;
}

} // namespace Rules
