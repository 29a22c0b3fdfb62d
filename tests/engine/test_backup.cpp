// Backup and restore through the online backup API: consistent copies, never
// overwriting, and a current database that survives every refused restore.
#include "engine/app/paths.h"
#include "engine/db/backup.h"
#include "engine/db/database.h"
#include "enginetest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QRegularExpression>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every file of the database folder, hidden ones included.
QStringList folder(const TestEnv& env)
{
    QStringList list = QDir(env.programDir() + "/database").entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    list.sort();
    return list;
}

// Every table of a database file as text, read through a connection of its own.
QString dumpFile(const QString& path, QString* integrity = nullptr)
{
    QString out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "dump");
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (!db.open())
            return "<cannot open>";
        QSqlQuery q(db);
        if (integrity) {
            q.exec("PRAGMA integrity_check");
            *integrity = q.next() ? q.value(0).toString() : q.lastError().text();
        }
        QStringList tables;
        q.exec("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
        while (q.next())
            tables << q.value(0).toString();
        for (const QString& t : tables) {
            out += "== " + t + "\n";
            QSqlQuery rows(db);
            rows.exec(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(Db::quote(t)));
            while (rows.next()) {
                QStringList cells;
                for (int i = 0; i < rows.record().count(); ++i)
                    cells << (rows.value(i).isNull() ? "<null>" : rows.value(i).toString());
                out += cells.join('|') + '\n';
            }
        }
    }
    QSqlDatabase::removeDatabase("dump");
    return out;
}

void someGrades()
{
    Fixture::student("cj", "0101", 1, "张三", {{"语文1", 91.5}, {"数学1", 88}});
    Fixture::student("cj", "0102", 1, "李四", {{"语文1", 77}, {"数学1", 95}});
    Fixture::student("cj", "0201", 2, "王五", {{"语文1", 60}});
    Fixture::setCheck({{"mc", "2024学年第一学期期中"}, {"bh", 3}});
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Db::Error& e) {
        return e.text();
    }
    return QString();
}

// A second program on the same database file.
class Other {
public:
    explicit Other(const QString& path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
        db.setDatabaseName(path);
        db.open();
    }
    ~Other()
    {
        {
            QSqlDatabase db = QSqlDatabase::database("other", false);
            db.close();
        }
        QSqlDatabase::removeDatabase("other");
    }
    bool exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database("other", false));
        return q.exec(sql);
    }
};

Backup::Options quick()
{
    Backup::Options o;
    o.lockWaitMs = 300;
    o.pagesPerStep = 2;
    return o;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        Db::setClock([] { return QDateTime(QDate(2024, 5, 1), QTime(14, 30, 5)); });
    }
    void cleanup() { Db::setClock({}); }

    void backingUpTwiceKeepsTheFirstAndWritesAFreeName()
    {
        TestEnv env;
        env.openDb();
        someGrades();
        const int busyBefore = Db::selectValue("PRAGMA busy_timeout").toInt();
        qint64 lastDone = -1, lastTotal = -1;
        int calls = 0;
        const auto first = Backup::backupDatabase("备份1", [&](qint64 d, qint64 t) {
            ++calls;
            lastDone = d;
            lastTotal = t;
            return true;
        }, quick());
        QCOMPARE(first.name, QString("备份1"));
        QVERIFY(!first.renamed);
        QVERIFY(calls > 1); // a few pages at a time
        QCOMPARE(lastDone, lastTotal);
        const QByteArray firstBytes = bytes(first.path);

        Fixture::student("cj", "0202", 2, "赵六");
        const auto second = Backup::backupDatabase("备份1");
        QCOMPARE(second.name, QString("备份1 (2)"));
        QVERIFY(second.renamed);
        QCOMPARE(bytes(first.path), firstBytes);
        QCOMPARE(Backup::backupDatabase("备份1").name, QString("备份1 (3)"));
        QVERIFY(dumpFile(second.path).contains("赵六"));
        QVERIFY(!dumpFile(first.path).contains("赵六"));
        // The connection goes on as it was, waiting for locks as long as before.
        QCOMPARE(Db::selectValue("PRAGMA busy_timeout").toInt(), busyBefore);
        QCOMPARE(Db::rowCount("cj"), 4);
        QCOMPARE(folder(env), (QStringList{"Q7305.mdb", "kong", "备份1", "备份1 (2)", "备份1 (3)"}));
    }

    void aBackupIsASoundCopyOfTheContent()
    {
        TestEnv env;
        env.openDb();
        someGrades();
        const auto r = Backup::backupDatabase("期中 '考后' (1)");
        QString integrity;
        const QString copy = dumpFile(r.path, &integrity);
        QCOMPARE(integrity, QString("ok"));
        QCOMPARE(copy, dumpFile(env.databaseFile()));
        // It is a grade database a restore accepts.
        Backup::checkSource(r.path);
    }

    void badNamesAreRefusedAndWriteNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << "请输入你备份的名字";
        QTest::newRow("blanks") << "   " << "名字是空的";
        QTest::newRow("slash") << "备份/1" << "“/”";
        QTest::newRow("up a folder") << "../备份1" << "“/”";
        QTest::newRow("absolute") << "/tmp/备份1" << "“/”";
        QTest::newRow("dot") << "." << "不能用作名字";
        QTest::newRow("dot dot") << ".." << "不能用作名字";
        QTest::newRow("line break") << "备份\n1" << "控制字符";
        QTest::newRow("journal") << "Q7305.mdb-journal" << "日志文件";
        QTest::newRow("too long") << QString(81, QChar(0x6210)) << "名字太长";
    }
    void badNamesAreRefusedAndWriteNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        TestEnv env;
        env.openDb();
        const QStringList before = folder(env);
        bool input = false;
        try {
            Backup::backupDatabase(name);
        } catch (const Db::InputError& e) {
            input = true;
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        QVERIFY(input);
        QCOMPARE(folder(env), before);
        QVERIFY(!QFile::exists(env.root() + "/program/备份1"));
    }

    void longNamesWork()
    {
        TestEnv env;
        env.openDb();
        // 80 Chinese characters are 240 bytes, past any old 127-byte path limit.
        const QString name = QString(80, QChar(0x6210));
        QCOMPARE(Backup::backupDatabase(name).name, name);
        // The free name beside it still fits.
        QCOMPARE(Backup::backupDatabase(name).name, name + " (2)");
    }

    void aBackupWhileAnotherProgramWritesIsConsistentOrFailsCleanly()
    {
        TestEnv env;
        env.openDb();
        someGrades();
        Other other(env.databaseFile());

        // An open write transaction: the copy is the last committed state.
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        QVERIFY(other.exec("INSERT INTO cj(学号, 班号, 姓名) VALUES ('9999', 9, '未提交')"));
        const auto r = Backup::backupDatabase("备份1", {}, quick());
        QVERIFY(!dumpFile(r.path).contains("未提交"));
        QVERIFY(dumpFile(r.path).contains("王五"));
        QVERIFY(other.exec("ROLLBACK"));

        // A program that holds the file locked: the backup waits, then gives up
        // with a clear text and leaves no file behind.
        QVERIFY(other.exec("BEGIN EXCLUSIVE"));
        QVERIFY(other.exec("INSERT INTO cj(学号, 班号, 姓名) VALUES ('9999', 9, '未提交')"));
        const QStringList before = folder(env);
        QElapsedTimer t;
        t.start();
        const QString text = errorOf([] { Backup::backupDatabase("备份2", {}, quick()); });
        QVERIFY2(text.contains("另一个程序") && text.contains("没有留下"), qPrintable(text));
        QVERIFY(t.elapsed() >= 300);
        QCOMPARE(folder(env), before);

        // Released while the backup waits: it goes through.
        int waits = 0;
        const auto late = Backup::backupDatabase("备份2", [&](qint64, qint64) {
            if (++waits == 3)
                other.exec("COMMIT");
            return true;
        }, quick());
        QVERIFY(waits >= 3);
        QVERIFY(dumpFile(late.path).contains("未提交"));
    }

    void aCancelledBackupLeavesNothing()
    {
        TestEnv env;
        env.openDb();
        const QStringList before = folder(env);
        const auto r = Backup::backupDatabase("备份1", [](qint64, qint64) { return false; }, quick());
        QVERIFY(r.cancelled);
        QCOMPARE(folder(env), before);
    }

    void restoringTheBlankDatabaseAndUndoingIt()
    {
        TestEnv env;
        env.openDb();
        someGrades();
        const QString before = dumpFile(env.databaseFile());
        const auto r = Backup::restoreDatabase(Backup::kBlankDatabase);
        QVERIFY2(r.copied, qPrintable(r.failure));
        QCOMPARE(r.source, env.programDir() + "/database/kong");
        QCOMPARE(r.safetyName, QString("还原前自动备份 2024-05-01 14-30-05"));
        // The next start sees the template's content.
        Db::close();
        env.openDb();
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("没有任何考试"));
        QCOMPARE(Db::rowCount("cj"), 0);
        QCOMPARE(dumpFile(env.databaseFile()), dumpFile(env.programDir() + "/database/kong"));

        // The automatic backup brings the old database back.
        const auto undo = Backup::restoreDatabase(r.safetyName);
        QVERIFY(undo.copied);
        QCOMPARE(undo.safetyName, QString("还原前自动备份 2024-05-01 14-30-05 (2)"));
        Db::close();
        env.openDb();
        QCOMPARE(dumpFile(env.databaseFile()), before);
    }

    void restoringABackupBringsItsDataBack()
    {
        TestEnv env;
        env.openDb();
        someGrades();
        Backup::backupDatabase("备份1");
        const QString saved = dumpFile(env.databaseFile());
        Db::exec("DELETE FROM cj");
        Fixture::setCheck({{"mc", "别的考试"}});
        // A grid still reading the database does not stand in the way.
        QSqlQuery reading = Db::prepare("SELECT * FROM cjn");
        Db::exec(reading);
        const auto r = Backup::restoreDatabase("备份1");
        QVERIFY2(r.copied, qPrintable(r.failure));
        Db::close();
        env.openDb();
        QCOMPARE(dumpFile(env.databaseFile()), saved);
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("2024学年第一学期期中"));
    }

    void aRefusedRestoreLeavesTheDatabaseByteIdentical_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "备份9" << "" << "找不到“备份9”";
        QTest::newRow("blank in the name") << "备份1 " << "" << "名字前后有空格";
        QTest::newRow("empty entry") << "" << "" << "请输入你想还原的数据库名字";
        QTest::newRow("empty file") << "空" << "empty" << "空文件";
        QTest::newRow("not a database") << "成绩.xls" << "text" << "不是数据库文件";
        QTest::newRow("damaged") << "坏的" << "damaged" << "损坏";
        QTest::newRow("an integrity report") << "索引坏的" << "index" << "“索引坏的”已损坏，不能用来还原。";
        QTest::newRow("another program's database") << "别的" << "foreign" << "不是成绩数据库";
        QTest::newRow("a column missing") << "旧的" << "column" << "缺少列 cj.语文1";
        QTest::newRow("a folder") << "文件夹" << "folder" << "文件夹";
        QTest::newRow("the database itself") << "Q7305.mdb" << "" << "正在使用的数据库";
        QTest::newRow("outside the folder") << "../Q7305.mdb" << "" << "“/”";
        QTest::newRow("no template") << Backup::kBlankDatabase << "no template" << "空白数据库模板";
        QTest::newRow("a link out of the folder") << "链接" << "outside link" << "指向数据库文件夹以外";
        QTest::newRow("a journal beside it") << "中断的" << "hot journal" << "日志文件“中断的-journal”";
        QTest::newRow("a partial copy") << ".backup-123-abcdef" << "" << "没有写完的备份";
    }
    void aRefusedRestoreLeavesTheDatabaseByteIdentical()
    {
        QFETCH(QString, entry);
        QFETCH(QString, prepare);
        QFETCH(QString, message);
        TestEnv env;
        const QString dir = env.programDir() + "/database/";
        auto write = [](const QString& path, const QByteArray& data) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(data);
        };
        auto makeDb = [](const QString& path, const QStringList& statements) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
                db.setDatabaseName(path);
                QVERIFY(db.open());
                for (const QString& s : statements)
                    QVERIFY2(QSqlQuery(db).exec(s), qPrintable(s));
            }
            QSqlDatabase::removeDatabase("make");
        };
        if (prepare == "empty") {
            write(dir + entry, "");
        } else if (prepare == "text") {
            write(dir + entry, "学号\t班号\t姓名\n0101\t1\t张三\n");
        } else if (prepare == "damaged") {
            QVERIFY(QFile::copy(dir + "kong", dir + entry));
            QFile f(dir + entry);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 page = f.size() / 2 / 4096 * 4096;
            f.seek(page);
            f.write(QByteArray(4096, '\xA5'));
        } else if (prepare == "foreign") {
            makeDb(dir + entry, {"CREATE TABLE 通讯录(姓名 TEXT, 电话 TEXT)"});
        } else if (prepare == "index") {
            // An index that no longer matches its table: the file opens, and
            // the integrity check reports every row it misses.
            QVERIFY(QFile::copy(dir + "kong", dir + entry));
            QFile::setPermissions(dir + entry, QFile::ReadOwner | QFile::WriteOwner);
            makeDb(dir + entry, {"INSERT INTO cj(学号, 姓名) VALUES ('1', '甲'), ('2', '乙')",
                                 "CREATE INDEX idx ON cj(姓名)", "PRAGMA writable_schema = ON",
                                 "UPDATE sqlite_master SET sql = 'CREATE INDEX idx ON cj(学号)' WHERE name = 'idx'"});
        } else if (prepare == "column") {
            QVERIFY(QFile::copy(dir + "kong", dir + entry));
            QFile::setPermissions(dir + entry, QFile::ReadOwner | QFile::WriteOwner);
            makeDb(dir + entry, {"ALTER TABLE cj DROP COLUMN 语文1"});
        } else if (prepare == "folder") {
            QVERIFY(QDir().mkpath(dir + entry));
        } else if (prepare == "no template") {
            QVERIFY(QFile::remove(dir + "kong"));
        } else if (prepare == "outside link") {
            // A sound grade database, but in another folder.
            const QString elsewhere = env.root() + "/elsewhere.mdb";
            QVERIFY(QFile::copy(dir + "kong", elsewhere));
            QVERIFY(QFile::link(elsewhere, dir + entry));
        } else if (prepare == "hot journal") {
            // The file and its journal as a program left them when it was
            // killed in the middle of a write.
            const QString busy = env.root() + "/busy.mdb";
            QVERIFY(QFile::copy(dir + "kong", busy));
            QFile::setPermissions(busy, QFile::ReadOwner | QFile::WriteOwner);
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "busy");
                db.setDatabaseName(busy);
                QVERIFY(db.open());
                QSqlQuery q(db);
                QVERIFY(q.exec("PRAGMA cache_size = 1"));
                QVERIFY(q.exec("BEGIN"));
                QVERIFY(q.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                               "INSERT INTO cj(学号, 姓名) SELECT i, hex(randomblob(200)) FROM n"));
                QVERIFY(QFile::copy(busy, dir + entry));
                QVERIFY(QFile::copy(busy + "-journal", dir + entry + "-journal"));
                QVERIFY(q.exec("ROLLBACK"));
            }
            QSqlDatabase::removeDatabase("busy");
        }
        env.openDb();
        someGrades();
        const QByteArray before = bytes(env.databaseFile());
        const QStringList files = folder(env);
        const QString text = errorOf([&] { Backup::restoreDatabase(entry); });
        QVERIFY2(text.contains(message), qPrintable(text));
        // One Chinese line says what happened and what to do; SQLite's own
        // report, when there is one, comes after it.
        if (prepare == "index") {
            const QString first = text.section('\n', 0, 0);
            QVERIFY2(!first.contains(QRegularExpression("[A-Za-z]")), qPrintable(first));
            QVERIFY2(text.section('\n', 1).contains("完整性检查") && text.contains("idx"), qPrintable(text));
        }
        QCOMPARE(bytes(env.databaseFile()), before);
        // No automatic backup either: nothing was done.
        QCOMPARE(folder(env), files);
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("2024学年第一学期期中"));
    }

    void aRestoreBlockedByAnotherProgramChangesNothing()
    {
        TestEnv env;
        env.openDb();
        someGrades();
        Backup::backupDatabase("备份1");
        Fixture::student("cj", "0301", 3, "孙七");
        const QByteArray before = bytes(env.databaseFile());
        Other other(env.databaseFile());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        QVERIFY(other.exec("INSERT INTO cj(学号, 班号, 姓名) VALUES ('9999', 9, '未提交')"));
        const auto r = Backup::restoreDatabase("备份1", {}, quick());
        QVERIFY(!r.copied);
        QVERIFY2(r.failure.contains("另一个程序"), qPrintable(r.failure));
        QVERIFY(other.exec("ROLLBACK"));
        QCOMPARE(bytes(env.databaseFile()), before);
        QVERIFY(QFile::exists(env.programDir() + "/database/" + r.safetyName));
    }

    // Backups that were killed halfway leave hidden partial copies: the next
    // backup (and every start) removes those of programs that no longer
    // run, and none is ever offered as a backup to restore.
    void aKilledBackupLeavesNoCopyBehind()
    {
        TestEnv env;
        env.openDb();
        const QString dir = env.programDir() + "/database/";
        const pid_t dead = ::fork();
        if (dead == 0)
            ::_exit(0);
        QVERIFY(dead > 0);
        ::waitpid(dead, nullptr, 0);
        const QString gone = QStringLiteral(".backup-%1-aB3dE9").arg(dead);
        const QString running = QStringLiteral(".backup-%1-Zz9Yy8").arg(::getpid());
        const QStringList left{gone, gone + "-journal", ".backup-Qw7Er6", ".backup-Qw7Er6-journal"};
        for (const QString& name : left + QStringList{running, ".backup-Fr3sh1"}) {
            QFile f(dir + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("SQLite format 3", 16);
        }
        // Copies made before their names carried a process number count as
        // left over once untouched for an hour.
        const QDateTime old = QDateTime::currentDateTime().addSecs(-7200);
        for (const QString& name : {QStringLiteral(".backup-Qw7Er6"), QStringLiteral(".backup-Qw7Er6-journal")}) {
            QFile f(dir + name);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QVERIFY(Backup::restoreCandidates().isEmpty());
        QVERIFY(errorOf([] { Backup::restoreDatabase(".backup-Qw7Er6"); }).contains("没有写完的备份"));

        const auto r = Backup::backupDatabase("备份1");
        const QStringList files = folder(env);
        for (const QString& name : left)
            QVERIFY2(!files.contains(name), qPrintable(name));
        // A copy still being written by a running program stays.
        QVERIFY(files.contains(running));
        QVERIFY(files.contains(".backup-Fr3sh1"));
        QCOMPARE(Backup::restoreCandidates(), QStringList{r.name});
    }

    // A backup made by a program that keeps its database in WAL mode: the
    // restored database is back in the rollback journal, one file.
    void aRestoreFromAWalBackupLeavesTheRollbackJournal()
    {
        TestEnv env;
        const QString dir = env.programDir() + "/database/";
        const QString wal = dir + "WAL备份";
        QVERIFY(QFile::copy(dir + "kong", wal));
        QFile::setPermissions(wal, QFile::ReadOwner | QFile::WriteOwner);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "wal");
            db.setDatabaseName(wal);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("PRAGMA journal_mode = WAL") && q.next());
            QCOMPARE(q.value(0).toString(), QString("wal"));
            QVERIFY(q.exec("INSERT INTO cj(学号, 班号, 姓名) VALUES ('0101', 1, '张三')"));
        }
        QSqlDatabase::removeDatabase("wal");
        env.openDb();
        const auto r = Backup::restoreDatabase("WAL备份");
        QVERIFY2(r.copied, qPrintable(r.failure));
        QCOMPARE(Db::selectValue("PRAGMA journal_mode").toString(), QString("delete"));
        QCOMPARE(Db::selectValue("PRAGMA synchronous").toInt(), 2); // FULL
        QCOMPARE(Fixture::column("cj", "姓名"), QVariantList{"张三"});
        Db::close();
        QCOMPARE(bytes(env.databaseFile()).mid(18, 2), QByteArray("\x01\x01", 2));
        QVERIFY(!QFile::exists(env.databaseFile() + "-wal") && !QFile::exists(env.databaseFile() + "-shm"));
        env.openDb();
        QCOMPARE(Db::selectValue("PRAGMA journal_mode").toString(), QString("delete"));
        // A backup of it is in the same mode.
        Backup::backupDatabase("之后");
        QCOMPARE(bytes(dir + "之后").mid(18, 2), QByteArray("\x01\x01", 2));
    }

    void theRestoreListHoldsTheBackupsOnly()
    {
        TestEnv env;
        env.openDb();
        Backup::backupDatabase("备份1");
        QFile chm(env.programDir() + "/database/1.chm");
        QVERIFY(chm.open(QIODevice::WriteOnly));
        chm.write("ITSF");
        chm.close();
        QFile journal(env.programDir() + "/database/备份1-journal");
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.close();
        // A link to a file outside the folder is none of its backups.
        QVERIFY(QFile::copy(env.programDir() + "/database/kong", env.root() + "/elsewhere.mdb"));
        QVERIFY(QFile::link(env.root() + "/elsewhere.mdb", env.programDir() + "/database/链接"));
        QCOMPARE(Backup::restoreCandidates(), QStringList{"备份1"});
    }
};

GRADEBOOK_TEST_MAIN(TestBackup)
#include "test_backup.moc"
