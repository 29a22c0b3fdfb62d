#pragma once
// One saved examination's students read back from the saved grades (cjsave)
// with the full marks of its saved analysis (fxsave), and their levels under
// a scheme: per subject and for the total, over the students who sat.

#include "engine/rules/levels.h"
#include "engine/rules/numbers.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

namespace Levels {

inline const QString kTotal = QStringLiteral("总分");

// A saved examination: name and number together, as it is saved.
struct ExamRef {
    QString name;
    qint64 number = 0;
    bool operator==(const ExamRef&) const = default;
};

// The saved examinations, first saved first, with how many students each
// holds: what the slip window offers.
struct SavedExam {
    ExamRef exam;
    qint64 students = 0;
};
QList<SavedExam> savedExams();
// The examination saved under a name: its only number, else a message
// listing the numbers to choose from (or saying nothing is saved under it).
ExamRef examNamed(const QString& name);

struct ExamGrades {
    ExamRef exam;
    QString savedAt; // 保存时间 of its first row ("2024-11-08 16:30:00")
    // The subjects the examination has marks in, in the fixed order, then
    // 总分 when the students have totals: the items levels are given for.
    QStringList items;
    // Each item's full mark: the saved analysis's 满分值 where it has the
    // subject, else the one given by the caller; 总分's is the sum of those of
    // the subjects it adds up.
    QMap<QString, qint64> fullMarks;
    QStringList fullMarksFromAnalysis; // the items whose full mark was saved with the analysis
    struct Student {
        QString number; // 学号
        QString name;
        qint64 cls = 0;
        std::vector<Num::Mark> marks; // per item; none: absent
    };
    // In class, then 学号 order.
    std::vector<Student> students;
    std::vector<qint64> classes() const;          // each student's class, in order
    std::vector<Num::Mark> marks(int item) const; // one item's marks, in order
    QList<qint64> classList() const;              // the classes, ascending
};

// Reads the saved grades of one examination. `fallback` gives the full mark
// of a subject the saved analysis does not have (the session's). A name and
// number with no saved grades is a Db::InputError saying so.
ExamGrades readExam(const ExamRef& exam, const QMap<QString, qint64>& fallback);

struct ExamLevels {
    ExamGrades grades;
    Scheme scheme;
    // levels[item][student], in the order of grades.items and grades.students.
    std::vector<std::vector<Level>> levels;

    int item(const QString& title) const { return int(grades.items.indexOf(title)); }
    QString text(int item, size_t student) const { return levelText(scheme, levels[size_t(item)][student]); }
    // How many students of a class (or of the grade, none) have each level of
    // an item, in the order of the scheme's names, and how many were absent.
    struct Count {
        QList<qint64> perLevel;
        qint64 absent = 0;
    };
    Count count(int item, std::optional<qint64> cls = std::nullopt) const;
};

// Every student's level of every item of one examination.
ExamLevels examLevels(ExamGrades grades, const Scheme& scheme);
ExamLevels examLevels(const ExamRef& exam, const Scheme& scheme, const QMap<QString, qint64>& fallback);

} // namespace Levels
