#pragma once
// A fresh program folder for every test: a database made from the template,
// and HOME, XDG_* and ODBCINI pointing into a temporary folder, so that no
// test touches a real home folder or a real database.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QVariantMap>

#include <functional>

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString root() const { return m_dir.path(); }
    QString programDir() const;
    QString databaseFile() const;
    QString odbcIni() const;
    // Opens the shared connection on the fresh database.
    void openDb();

private:
    QTemporaryDir m_dir;
};

namespace Fixture {
// Appends a student to a grade table; marks by column name ("语文1" -> 90).
// Every named mark, total and rank column not given gets 0: a student who sat
// everything, as rows saved before blank marks were absences hold them.
void student(const QString& table, const QString& number, int cls, const QString& name,
             const QVariantMap& marks = {});
// A row of any table: the given values by column name, the rest as the
// table's defaults.
void insert(const QString& table, const QVariantMap& values);
// One saved grade row (cjsave) of an examination; marks by column name.
void savedGrade(qint64 id, qint64 examNo, const QString& exam, const QString& number, int cls, const QString& name,
                const QVariantMap& marks = {});
// One column of every row of a table in stored order.
QVariantList column(const QString& table, const QString& column);
QVariant value(const QString& table, const QString& column, int row = 0);
// One column as text, cells joined by commas: numbers as the windows show
// them, a blank (NULL) cell empty ("1,,3").
QString cells(const QString& table, const QString& column);
// Some columns of every row in stored order, a row's cells shown as cells()
// shows them and joined by '|' ("0101|1|甲|90").
QStringList rows(const QString& table, const QStringList& columns);
// Every row of a table as text, for comparing a table before and after.
QString dump(const QString& table);
void setCheck(const QVariantMap& values);

// Examinations saved as a school saves them: for each, in the order given,
// the marks of one grade (classes of the given sizes) are entered into cj,
// ranked, analysed and saved for good under its name and number. Marks
// change from one examination to the next, so ranks move.
struct SavedExam {
    QString name;
    int number;
};
void saveExams(const QList<SavedExam>& exams, const QList<int>& classSizes);
// The name of student i (from 0) of class c as saveExams writes it.
QString studentName(int cls, int i);

// The message of the input error a step refuses with; empty when it takes it.
QString inputError(const std::function<void()>& step);
} // namespace Fixture

// Engine tests need no display.
#define GRADEBOOK_TEST_MAIN(TestClass)                                  \
    int main(int argc, char** argv)                                     \
    {                                                                   \
        QCoreApplication app(argc, argv);                               \
        TestClass tc;                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                      \
        return QTest::qExec(&tc, argc, argv);                           \
    }
