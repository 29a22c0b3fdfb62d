// A second writer on the same file, a full disk, a damaged file and settings
// out of their bounds: nothing is computed from rows another writer replaced,
// every writer waits and then says in Chinese why it stopped, and a refused
// run changes nothing.
#include "engine/app/instancelock.h"
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "enginetest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Another program's connection to the same file. Used only in the thread
// that made it, as Qt requires.
class OtherProgram {
public:
    OtherProgram(const QString& file, int busyTimeoutMs)
        : m_name(QStringLiteral("other%1").arg(quintptr(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        db.open();
    }
    ~OtherProgram()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        return q.exec(sql);
    }

private:
    QString m_name;
};

void roster(const QList<std::tuple<QString, int, int, int, int>>& students)
{
    for (const auto& [name, cls, yw, sx, yy] : students)
        Fixture::student("cj", name, cls, name, {{"语文1", yw}, {"数学1", sx}, {"英语1", yy}});
}

Proc::RankSettings rankAll()
{
    Proc::RankSettings s;
    s.table = "cj";
    s.subjects = {"语文", "数学", "英语"};
    s.firstClass = 1;
    s.lastClass = 2;
    return s;
}

QString everything()
{
    QString out;
    for (const char* t : {"cj", "fx", "tj", "cjsave", "fxsave", "tjsave1", "ksmc", "ksmcfx", "ksmcfd", "count", "check"})
        out += Fixture::dump(t);
    return out;
}

QByteArray bytesOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString failure(const std::function<void()>& work)
{
    try {
        work();
    } catch (const Db::Error& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        Db::setBusyTimeout(Db::kDefaultBusyTimeoutMs);
    }

    // Another program replaces the roster while a ranking is under way: it
    // waits for the ranking to end, and the new students never receive the
    // totals and ranks computed from the old ones.
    void aRosterReplacedDuringARankingKeepsItsOwnTotals()
    {
        TestEnv env;
        env.openDb();
        roster({{"甲", 1, 90, 90, 90}, {"乙", 1, 80, 80, 80}, {"丙", 2, 70, 70, 70}});
        std::future<bool> other;
        Proc::rank(rankAll(), [&](int, qint64, qint64) {
            if (other.valid())
                return;
            other = std::async(std::launch::async, [file = env.databaseFile()] {
                OtherProgram o(file, 5000);
                return o.exec("BEGIN IMMEDIATE") && o.exec("DELETE FROM cj")
                    && o.exec("INSERT INTO cj(序号, 学号, 班号, 姓名, 语文1, 数学1, 英语1, 总分1, 三总1) VALUES "
                              "(0, '丁', 1, '丁', 10, 10, 10, 0, 0), (1, '戊', 2, '戊', 20, 20, 20, 0, 0)")
                    && o.exec("COMMIT");
            });
            // Give it every chance to slip in between the read and the write.
            other.wait_for(std::chrono::milliseconds(400));
        });
        QVERIFY(other.valid());
        QVERIFY(other.get());
        QCOMPARE(Fixture::column("cj", "姓名"), (QVariantList{"丁", "戊"}));
        // Their own totals (30, 60) or none yet, never the old 270 and 240.
        const QVariantList totals = Fixture::column("cj", "总分1");
        QVERIFY2(totals == (QVariantList{0, 0}) || totals == (QVariantList{30, 60}),
                 qPrintable(QStringLiteral("总分1 = %1, %2").arg(totals.value(0).toString(), totals.value(1).toString())));
    }

    // A save while another program writes: it waits for that write to end
    // instead of failing at once.
    void aSaveWaitsForAShortWriteThenSucceeds()
    {
        TestEnv env;
        env.openDb();
        roster({{"甲", 1, 90, 90, 90}, {"乙", 1, 80, 80, 80}});
        Proc::rank(rankAll());
        std::promise<void> locked;
        auto other = std::async(std::launch::async, [&, file = env.databaseFile()] {
            OtherProgram o(file, 5000);
            const bool ok = o.exec("BEGIN IMMEDIATE") && o.exec("UPDATE count SET zuge = 7");
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return ok && o.exec("COMMIT");
        });
        locked.get_future().wait();
        QElapsedTimer t;
        t.start();
        const Save::Result r = Save::grades("cj", {"期中", 1});
        QVERIFY(t.elapsed() >= 200);
        QVERIFY(other.get());
        QCOMPARE(r.rows, 2);
        QCOMPARE(Db::rowCount("cjsave"), 2);
        QCOMPARE(Fixture::value("count", "zuge").toInt(), 7);
    }

    // Every writer waits the busy timeout for a lock that is not given up,
    // then stops with the message and leaves everything as it was.
    void everyWriterStopsAfterTheTimeoutWithTheMessage_data()
    {
        QTest::addColumn<QString>("writer");
        for (const char* w : {"rank", "analyze", "bands", "save grades", "save analysis", "save bands", "discard"})
            QTest::newRow(w) << QString::fromUtf8(w);
    }
    void everyWriterStopsAfterTheTimeoutWithTheMessage()
    {
        QFETCH(QString, writer);
        TestEnv env;
        env.openDb();
        roster({{"甲", 1, 90, 90, 90}, {"乙", 2, 80, 80, 80}});
        Db::exec("UPDATE fx SET 科目 = '语文1' WHERE rowid = (SELECT min(rowid) FROM fx)");
        Fixture::setCheck({{"c1", 1}});
        const QString before = everything();
        Db::setBusyTimeout(150);
        OtherProgram other(env.databaseFile(), 0);
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        QElapsedTimer t;
        t.start();
        const QString text = failure([&] {
            if (writer == "rank") {
                Proc::rank(rankAll());
            } else if (writer == "analyze") {
                Proc::AnalysisSettings s;
                s.subjects = {"语文"};
                s.firstClass = 1;
                s.lastClass = 2;
                Proc::analyze(s);
            } else if (writer == "bands") {
                Proc::bands({});
            } else if (writer == "save grades") {
                Save::grades("cj", {"期中", 1});
            } else if (writer == "save analysis") {
                Save::analysis("fx", {"期中", 1});
            } else if (writer == "save bands") {
                Save::bands("tj", {"期中", 1});
            } else {
                Save::discardSavedGrades({"期中", 1});
            }
        });
        QVERIFY(t.elapsed() >= 100);
        QVERIFY2(text.contains("正被另一个程序使用") && text.contains("等了0.15秒") && text.contains("Q7305.mdb")
                     && text.contains("（SQLite：database is locked）"),
                 qPrintable(text));
        QVERIFY(other.exec("ROLLBACK"));
        QCOMPARE(everything(), before);
    }

    // A class range, full mark, top-N or band setting out of its bounds is
    // refused before anything is sized from it or written.
    void settingsOutOfBoundsAreRefused_data()
    {
        QTest::addColumn<QString>("run");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("rank to class 19") << "rank last" << qint64(19) << "最后班号必须在1到18之间，现在是19";
        QTest::newRow("rank from class 0") << "rank first" << qint64(0) << "起始班号必须在1到18之间";
        QTest::newRow("rank to a 19-digit class") << "rank last" << qint64(9223372036854775807LL)
                                                  << "现在是9223372036854775807";
        QTest::newRow("analysis to class 19") << "analyze last" << qint64(19) << "最后班号必须在1到18之间";
        QTest::newRow("analysis to a 19-digit class") << "analyze last" << qint64(9223372036854775807LL)
                                                      << "最后班号必须在1到18之间";
        QTest::newRow("analysis from a negative class") << "analyze first" << qint64(-9223372036854775807LL)
                                                        << "起始班号必须在1到18之间";
        QTest::newRow("full mark 1001") << "analyze full" << qint64(1001) << "语文的满分值必须在1到1000之间";
        QTest::newRow("top-N 0") << "analyze top" << qint64(0) << "级前名次（第1个）必须在1到1000000之间";
        QTest::newRow("top-N huge") << "analyze top" << qint64(9223372036854775807LL) << "级前名次";
        QTest::newRow("bands to class 19") << "bands last" << qint64(19) << "最后班号必须在1到18之间";
        QTest::newRow("bands upper below 0") << "bands upper" << qint64(-1) << "分段上限必须在0到100000之间";
        QTest::newRow("bands upper huge") << "bands upper" << qint64(9223372036854775807LL) << "分段上限";
    }
    void settingsOutOfBoundsAreRefused()
    {
        QFETCH(QString, run);
        QFETCH(qint64, value);
        QFETCH(QString, message);
        TestEnv env;
        env.openDb();
        roster({{"甲", 1, 90, 90, 90}, {"乙", 2, 80, 80, 80}});
        const QString before = everything();
        QString text;
        try {
            if (run.startsWith("rank")) {
                Proc::RankSettings s = rankAll();
                (run.endsWith("first") ? s.firstClass : s.lastClass) = value;
                Proc::rank(s);
            } else if (run.startsWith("analyze")) {
                Proc::AnalysisSettings s;
                s.subjects = {"语文", "数学"};
                s.firstClass = 1;
                s.lastClass = 2;
                if (run.endsWith("first"))
                    s.firstClass = value;
                else if (run.endsWith("last"))
                    s.lastClass = value;
                else if (run.endsWith("full"))
                    s.fullMarks.insert("语文", value);
                else
                    s.top[0] = value;
                Proc::analyze(s);
            } else {
                Proc::BandSettings s;
                (run.endsWith("last") ? s.lastClass : s.upper) = value;
                Proc::bands(s);
            }
            text = "<no error>";
        } catch (const Db::InputError& e) {
            text = e.text();
        }
        QVERIFY2(text.contains(message), qPrintable(text));
        QCOMPARE(everything(), before);
    }

    // What the user reads when the file itself is the trouble: the file is
    // named, what to do is said, SQLite's words come after, and the file is
    // not touched.
    void databaseFailuresAreExplained_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("locked by another program")
            << "locked" << QStringList{"正被另一个程序使用", "Q7305.mdb", "（SQLite：database is locked）"};
        QTest::newRow("disk full") << "full" << QStringList{"磁盘已满", "Q7305.mdb", "没有保存", "（SQLite：database or disk is full）"};
        QTest::newRow("not a database at all")
            << "garbage" << QStringList{"数据库文件已损坏", "Q7305.mdb", "数据库系统操作 → 还原数据库", "（SQLite：file is not a database）"};
        QTest::newRow("a damaged page")
            << "page" << QStringList{"数据库文件已损坏", "Q7305.mdb", "数据库系统操作 → 还原数据库", "（SQLite："};
        QTest::newRow("a database without the grade tables")
            << "foreign" << QStringList{"不是成绩数据库", "Q7305.mdb", "check、cj"};
        QTest::newRow("a folder") << "folder" << QStringList{"是一个文件夹，不是数据库文件", "Q7305.mdb"};
    }
    void databaseFailuresAreExplained()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, expected);
        TestEnv env;
        const QString file = env.databaseFile();
        Db::setBusyTimeout(100);
        std::function<void()> work = [&] {
            Db::open(file);
            Proc::rank(rankAll());
        };
        std::unique_ptr<OtherProgram> other;
        if (damage == "locked") {
            // Another program in the middle of its commit: nobody may even read.
            other = std::make_unique<OtherProgram>(file, 0);
            QVERIFY(other->exec("BEGIN EXCLUSIVE"));
        } else if (damage == "full") {
            env.openDb();
            // A name long enough that its saved copy needs pages of its own.
            Fixture::student("cj", "1", 1, QString(3000, QChar(0x674E)));
            Proc::rank(rankAll());
            const qint64 pages = Db::selectValue("PRAGMA page_count").toLongLong();
            Db::exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
            work = [] { Save::grades("cj", {"期中", 1}); };
        } else if (damage == "garbage") {
            writeBytes(file, QByteArray(16384, 'x'));
        } else if (damage == "page") {
            env.openDb();
            Db::inTransaction([] {
                for (int i = 0; i < 600; ++i)
                    Fixture::student("cj", QString::number(i), 1 + i % 18, QStringLiteral("学生%1").arg(i),
                                     {{"语文1", i % 100}});
            });
            const qint64 pageSize = Db::selectValue("PRAGMA page_size").toLongLong();
            const qint64 pages = Db::selectValue("PRAGMA page_count").toLongLong();
            Db::close();
            // The last pages hold the students just written.
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek((pages - 3) * pageSize);
            f.write(QByteArray(pageSize, '\xFF'));
        } else if (damage == "foreign") {
            QFile::remove(file);
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery(db).exec("CREATE TABLE t(x)");
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase("foreign");
        } else if (damage == "folder") {
            QFile::remove(file);
            QVERIFY(QDir().mkpath(file));
        }
        const QByteArray before = bytesOf(file);
        const QString text = failure(work);
        for (const QString& e : expected)
            QVERIFY2(text.contains(e), qPrintable(text));
        QVERIFY2(!text.contains("数据库错误") && !text.contains("读取数据库结构失败") && !text.contains("找不到"),
                 qPrintable(text));
        if (damage == "full")
            QCOMPARE(Db::rowCount("cjsave"), 0);
        Db::close();
        QVERIFY(bytesOf(file) == before);
    }

    // Read-only files and folders cannot be made for root, who may write
    // everywhere: the rule that tells them apart is checked on its own.
    void readOnlyFileAndFolderAreToldApart_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("read-only file") << 8 << false << true << "数据库文件“/d/Q7305.mdb”是只读的";
        QTest::newRow("read-only folder, on a write") << 8 << true << false << "所在的文件夹“/d”不能写入";
        QTest::newRow("read-only folder, on the journal") << 14 << true << false << "所在的文件夹“/d”不能写入";
        QTest::newRow("read-only medium") << 8 << true << true << "现在只能读、不能写";
        QTest::newRow("a disk that failed") << 10 << true << true << "磁盘或存储设备可能有故障";
    }
    void readOnlyFileAndFolderAreToldApart()
    {
        QFETCH(int, code);
        QFETCH(bool, fileWritable);
        QFETCH(bool, folderWritable);
        QFETCH(QString, expected);
        Files::FileState st;
        st.exists = true;
        st.fileWritable = fileWritable;
        st.folderWritable = folderWritable;
        const QString text = Db::failureText(code, "attempt to write a readonly database", "/d/Q7305.mdb", st);
        QVERIFY2(text.contains(expected) && text.endsWith("（SQLite：attempt to write a readonly database）"),
                 qPrintable(text));
    }

    // A grid that edits marks after someone else changed its table: the edit
    // is refused with the reason and the grid reads the table again, so that
    // no mark lands on the student who now holds the row; a change to
    // another table is no reason to refuse.
    void aGridEditAfterAnotherWriterLandsOnNoOtherStudent_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("refused");
        const QString reorder = "DELETE FROM cjn; INSERT INTO cjn(学号, 班号, 姓名, 语文1) VALUES "
                                "('0103', 1, '丙', 60), ('0102', 1, '乙', 70), ('0101', 1, '甲', 80)";
        QTest::newRow("another program re-imports in another order") << "other" << reorder << true;
        QTest::newRow("another window re-orders it") << "own" << reorder << true;
        QTest::newRow("another program changes another mark") << "other" << "UPDATE cjn SET 语文1 = 99 WHERE 学号 = '0103'" << true;
        QTest::newRow("another program writes another table") << "other" << "UPDATE count SET zuge = 7" << false;
        QTest::newRow("another window writes another table") << "own" << "UPDATE count SET zuge = 7" << false;
    }
    void aGridEditAfterAnotherWriterLandsOnNoOtherStudent()
    {
        QFETCH(QString, writer);
        QFETCH(QString, sql);
        QFETCH(bool, refused);
        TestEnv env;
        env.openDb();
        Db::exec("INSERT INTO cjn(学号, 班号, 姓名, 语文1) VALUES ('0101', 1, '甲', 80), ('0102', 1, '乙', 70), "
                 "('0103', 1, '丙', 60)");
        Db::GridModel grid;
        Db::SelectSpec q;
        q.table = "cjn";
        q.columns = {"学号", "姓名", "语文1", "班号"};
        grid.setQuery(q);
        grid.open();
        QCOMPARE(grid.value(0, "姓名").toString(), QString("甲"));

        const QStringList statements = sql.split("; ");
        if (writer == "other") {
            OtherProgram o(env.databaseFile(), 5000);
            for (const QString& st : statements)
                QVERIFY2(o.exec(st), qPrintable(st));
        } else {
            Db::inTransaction([&] {
                for (const QString& st : statements)
                    Db::exec(st);
            });
        }
        const QString after = Fixture::dump("cjn");
        const QString said = grid.write(0, grid.columnIndex("语文1"), "95");
        if (!refused) {
            QCOMPARE(said, QString());
            QCOMPARE(Db::selectValue("SELECT 语文1 FROM cjn WHERE 学号 = '0101'").toDouble(), 95.0);
            return;
        }
        QVERIFY2(said.contains("另一个程序或窗口") && said.contains("第1行（甲）") && said.contains("“95”没有写入"),
                 qPrintable(said));
        QCOMPARE(Fixture::dump("cjn"), after);
        // The grid shows the table as it now is, and the next edit lands on
        // the student it shows.
        const QString first = Db::selectValue("SELECT 学号 FROM cjn ORDER BY rowid LIMIT 1").toString();
        QCOMPARE(grid.value(0, "学号").toString(), first);
        QCOMPARE(grid.value(2, "语文1"), Db::selectValue("SELECT 语文1 FROM cjn ORDER BY rowid LIMIT 1 OFFSET 2"));
        QCOMPARE(grid.write(0, grid.columnIndex("语文1"), "95"), QString());
        QCOMPARE(Db::selectValue("SELECT 语文1 FROM cjn WHERE 学号 = ?", {first}).toDouble(), 95.0);
    }

    // A grade database another program keeps in WAL mode: it opens all the
    // same, and is back in the rollback journal once that program is gone.
    void aDatabaseLeftInWalModeIsPutBack()
    {
        TestEnv env;
        {
            OtherProgram other(env.databaseFile(), 5000);
            QVERIFY(other.exec("PRAGMA journal_mode = WAL"));
            QVERIFY(other.exec("BEGIN"));
            QVERIFY(other.exec("SELECT count(*) FROM cj"));
            env.openDb();
            QCOMPARE(Db::rowCount("cj"), 0);
            Db::close();
            QVERIFY(other.exec("COMMIT"));
        }
        env.openDb();
        QCOMPARE(Db::selectValue("PRAGMA journal_mode").toString(), QString("delete"));
        Db::close();
        QVERIFY(!QFile::exists(env.databaseFile() + "-wal"));
    }

    // One program per database: a second lock on the same file is refused
    // naming the holder, and the lock file goes when the holder lets go.
    void aSecondLockOnTheSameDatabaseIsRefused()
    {
        TestEnv env;
        const QString file = env.databaseFile();
        auto first = std::make_unique<Instance::Lock>(file);
        QCOMPARE(first->state(), Instance::Lock::State::Held);
        QVERIFY(QFile::exists(Instance::lockFileFor(file)));
        {
            Instance::Lock second(file);
            QCOMPARE(second.state(), Instance::Lock::State::TakenByOther);
            QCOMPARE(second.holder(), qint64(::getpid()));
        }
        // Another database in the same folder is another matter.
        Instance::Lock elsewhere(env.programDir() + "/database/other.mdb");
        QCOMPARE(elsewhere.state(), Instance::Lock::State::Held);
        first.reset();
        QVERIFY(!QFile::exists(Instance::lockFileFor(file)));
        Instance::Lock again(file);
        QCOMPARE(again.state(), Instance::Lock::State::Held);
    }

    // Something other than a lock file of the user's own in its place: it is
    // never opened for writing (a link's target, or the other name of a hard
    // link, keeps every byte), and the program does not start on the database.
    void anOddLockFileIsNeverWritten_data()
    {
        QTest::addColumn<QString>("odd");
        QTest::addColumn<QString>("said");
        QTest::newRow("a link to a file") << "link" << "符号链接";
        QTest::newRow("a link to nothing") << "dangling" << "符号链接";
        QTest::newRow("a folder") << "folder" << "文件夹";
        QTest::newRow("a pipe") << "fifo" << "管道";
        QTest::newRow("a hard link") << "hard" << "硬链接";
    }
    void anOddLockFileIsNeverWritten()
    {
        QFETCH(QString, odd);
        QFETCH(QString, said);
        TestEnv env;
        const QString file = env.databaseFile();
        const QString lock = Instance::lockFileFor(file);
        const QString victim = env.root() + "/victim.txt";
        writeBytes(victim, "a teacher's notes\n");
        if (odd == "link")
            QVERIFY(QFile::link(victim, lock));
        else if (odd == "dangling")
            QVERIFY(QFile::link(env.root() + "/nothing.txt", lock));
        else if (odd == "folder")
            QVERIFY(QDir().mkpath(lock));
        else if (odd == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0644), 0);
        else if (odd == "hard")
            QCOMPARE(::link(QFile::encodeName(victim).constData(), QFile::encodeName(lock).constData()), 0);

        Instance::Lock l(file);
        QCOMPARE(l.state(), Instance::Lock::State::OddFile);
        const Instance::Access a = Instance::accessFor(l, file);
        QCOMPARE(a.kind, Instance::Access::Refused);
        QVERIFY2(a.message.contains(said) && a.message.contains(".Q7305.mdb.lock") && a.message.contains("删除"),
                 qPrintable(a.message));
        QCOMPARE(bytesOf(victim), QByteArray("a teacher's notes\n"));
        QVERIFY(!QFile::exists(env.root() + "/nothing.txt"));
    }

    // A lock that cannot be taken: another user's program holds it (the
    // program does not start), another user's file is left from a program
    // that is gone, or the folder cannot be written (the database opens
    // read-only, says why at start and refuses every write with the reason).
    void aLockThatCannotBeTakenIsNeverIgnored_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("said");
        QTest::newRow("another user's program holds it") << "held" << int(Instance::Access::Refused) << "用户“nobody”的程序已经打开了数据库";
        QTest::newRow("another user's file, the program gone") << "left" << int(Instance::Access::ReadOnly) << "锁文件属于用户“nobody”";
        QTest::newRow("a folder that cannot be written") << "folder" << int(Instance::Access::ReadOnly) << "文件夹";
    }
    void aLockThatCannotBeTakenIsNeverIgnored()
    {
        QFETCH(QString, how);
        QFETCH(int, kind);
        QFETCH(QString, said);
        TestEnv env;
        const QString file = env.databaseFile();
        const QString lock = Instance::lockFileFor(file);
        const QByteArray path = QFile::encodeName(lock);
        int held = -1;
        if (how == "folder") {
            Files::setUnwritableFolderForTests(env.programDir() + "/database");
        } else {
            if (::geteuid() != 0)
                QSKIP("giving the lock file to another user needs root");
            writeBytes(lock, "4242\n");
            QCOMPARE(::chown(path.constData(), 65534, 65534), 0);
            if (how == "held") {
                held = ::open(path.constData(), O_RDONLY);
                QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
            }
        }
        const QByteArray before = bytesOf(file);
        {
            Instance::Lock l(file);
            const Instance::Access a = Instance::accessFor(l, file);
            QCOMPARE(int(a.kind), kind);
            QVERIFY2(a.message.contains(said), qPrintable(a.message));
            if (a.kind == Instance::Access::ReadOnly) {
                QVERIFY2(a.message.contains("只读方式打开"), qPrintable(a.message));
                Db::openReadOnly(file, a.why);
                QVERIFY(Db::isReadOnly());
                Fixture::column("cj", "姓名"); // reading works
                const QString refused = failure([] { Proc::rank(rankAll()); });
                QVERIFY2(refused.contains("只读方式打开") && refused.contains(a.why), qPrintable(refused));
                QVERIFY(failure([] { Db::exec("UPDATE \"check\" SET mc = 'x'"); }).contains("只读方式打开"));
                Db::close();
            }
        }
        Files::setUnwritableFolderForTests(QString());
        if (held >= 0)
            ::close(held);
        QCOMPARE(bytesOf(file), before);
        // Another user's file is theirs: left as it was.
        if (how != "folder")
            QCOMPARE(bytesOf(lock), QByteArray("4242\n"));
    }
};

GRADEBOOK_TEST_MAIN(TestReliability)
#include "test_reliability.moc"
