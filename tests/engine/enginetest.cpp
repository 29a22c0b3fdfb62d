#include "enginetest.h"

#include "engine/app/paths.h"
#include "engine/db/database.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/rules/numbers.h"

#include <QDir>
#include <QFile>

TestEnv::TestEnv()
{
    QDir(m_dir.path()).mkpath("program/database");
    QDir(m_dir.path()).mkpath("home/Desktop");
    QDir(m_dir.path()).mkpath("xdg/config");
    QDir(m_dir.path()).mkpath("xdg/data");
    QDir(m_dir.path()).mkpath("xdg/cache");
    QFile::copy(GRADEBOOK_KONG, programDir() + "/database/kong");
    QFile::copy(GRADEBOOK_KONG, databaseFile());
    QFile::setPermissions(databaseFile(), QFile::ReadOwner | QFile::WriteOwner);
    qputenv("HOME", (m_dir.path() + "/home").toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/xdg/config").toUtf8());
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/xdg/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (m_dir.path() + "/xdg/cache").toUtf8());
    qputenv("XDG_DESKTOP_DIR", (m_dir.path() + "/home/Desktop").toUtf8());
    qputenv("ODBCINI", odbcIni().toUtf8());
    Paths::setProgramDir(programDir());
}

TestEnv::~TestEnv()
{
    Db::close();
    Paths::setProgramDir(QString());
}

QString TestEnv::programDir() const
{
    return m_dir.path() + "/program";
}

QString TestEnv::databaseFile() const
{
    return programDir() + "/database/Q7305.mdb";
}

QString TestEnv::odbcIni() const
{
    return m_dir.path() + "/home/.odbc.ini";
}

void TestEnv::openDb()
{
    Db::open(databaseFile());
}

namespace Fixture {

void student(const QString& table, const QString& number, int cls, const QString& name,
             const QVariantMap& marks)
{
    const QStringList cols = Db::columns(table);
    QStringList names, holders;
    QVariantList binds;
    for (const QString& c : cols) {
        if (c == "序号")
            continue;
        names << Db::quote(c);
        holders << "?";
        if (c == "学号")
            binds << number;
        else if (c == "班号")
            binds << cls;
        else if (c == "姓名")
            binds << name;
        else
            binds << marks.value(c, 0);
    }
    Db::exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(Db::quote(table), names.join(','), holders.join(',')),
             binds);
}

void insert(const QString& table, const QVariantMap& values)
{
    QStringList names, holders;
    QVariantList binds;
    for (auto it = values.begin(); it != values.end(); ++it) {
        names << Db::quote(it.key());
        holders << "?";
        binds << it.value();
    }
    Db::exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(Db::quote(table), names.join(','), holders.join(',')),
             binds);
}

void savedGrade(qint64 id, qint64 examNo, const QString& exam, const QString& number, int cls, const QString& name,
                const QVariantMap& marks)
{
    QVariantMap row = marks;
    row.insert({{"ID", id}, {"考试编号", examNo}, {"考试名称", exam}, {"学号", number}, {"班号", cls}, {"姓名", name}});
    insert("cjsave", row);
}

QVariantList column(const QString& table, const QString& col)
{
    QVariantList out;
    for (const auto& r : Db::selectRows(
             QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(Db::quote(col), Db::quote(table))))
        out << r.first();
    return out;
}

QVariant value(const QString& table, const QString& col, int row)
{
    return column(table, col).value(row);
}

namespace {

// A cell as the windows show it: a number formatted, text as it is, NULL empty.
QString shown(const QVariant& v)
{
    bool number = false;
    const double d = v.toDouble(&number);
    return v.isNull() ? QString() : number && v.typeId() != QMetaType::QString ? Num::format(d) : v.toString();
}

} // namespace

QString cells(const QString& table, const QString& col)
{
    QStringList out;
    for (const QVariant& v : column(table, col))
        out << shown(v);
    return out.join(',');
}

QStringList rows(const QString& table, const QStringList& columns)
{
    QList<QVariantList> cols;
    for (const QString& c : columns)
        cols << column(table, c);
    QStringList out;
    for (qsizetype r = 0; r < cols.first().size(); ++r) {
        QStringList row;
        for (const QVariantList& c : cols)
            row << shown(c.at(r));
        out << row.join('|');
    }
    return out;
}

QString inputError(const std::function<void()>& step)
{
    try {
        step();
    } catch (const Db::InputError& e) {
        return e.text();
    }
    return {};
}

QString dump(const QString& table)
{
    QString out;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(Db::quote(table)))) {
        QStringList cells;
        for (const QVariant& v : r)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        out += cells.join('|') + '\n';
    }
    return out;
}

void setCheck(const QVariantMap& values)
{
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        Db::exec(QStringLiteral("UPDATE \"check\" SET %1 = ?").arg(Db::quote(it.key())), {it.value()});
}

QString studentName(int cls, int i)
{
    static const QString surnames = QStringLiteral("张王李赵刘陈杨黄周吴徐孙胡朱高林何郭马罗梁宋郑谢韩唐冯于董萧");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华");
    const int n = cls * 97 + i * 13;
    QString name = surnames.at(n % surnames.size());
    name += given.at((n / 7 + i) % given.size());
    if ((cls + i) % 3)
        name += given.at((n / 3 + 2 * i + cls) % given.size());
    return name;
}

void saveExams(const QList<SavedExam>& exams, const QList<int>& classSizes)
{
    const QStringList subjects{"语文", "数学", "英语", "政治", "物理", "化学"};
    for (const SavedExam& exam : exams) {
        Db::inTransaction([&] {
            Db::exec("DELETE FROM cj");
            for (int c = 0; c < classSizes.size(); ++c)
                for (int i = 0; i < classSizes.at(c); ++i) {
                    QVariantMap marks;
                    for (int k = 0; k < subjects.size(); ++k) {
                        const int seed = (c + 1) * 7919 + i * 104729 + k * 1299709 + exam.number * 15485863;
                        marks.insert(subjects.at(k) + "1", 35 + (seed / 7) % 66 - c * 3 + (i % 7 == 0 ? 10 : 0));
                    }
                    student("cj", QStringLiteral("%1%2").arg(c + 1, 2, 10, QChar('0')).arg(i + 1, 2, 10, QChar('0')),
                            c + 1, studentName(c + 1, i), marks);
                }
        });
        Proc::RankSettings r;
        r.table = "cj";
        r.subjects = subjects;
        r.firstClass = 1;
        r.lastClass = classSizes.size();
        Proc::rank(r);
        Proc::AnalysisSettings a;
        a.table = "cj";
        a.subjects = subjects;
        a.firstClass = 1;
        a.lastClass = classSizes.size();
        Proc::analyze(a);
        Save::grades("cj", {exam.name, exam.number, false});
        Save::analysis("fx", {exam.name, exam.number, false});
    }
}

} // namespace Fixture
