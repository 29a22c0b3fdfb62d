// Files written through a temporary name: the previous file survives any failure.
#include "engine/app/datasource.h"
#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/export/dbf.h"
#include "engine/export/gbk.h"
#include "enginetest.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <csignal>
#include <sys/resource.h>

namespace {
QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// While it lives, no file of this process grows beyond `bytes`: a write past
// it fails as a full disk's would, with a reason of the system's own.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = m_saved;
        l.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

QString errorOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const Db::Error& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}
} // namespace

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    void writesAndReplaces()
    {
        TestEnv env;
        const QString path = env.root() + "/out/成绩.csv";
        QDir().mkpath(env.root() + "/out");
        Files::writeAll(path, "第一次");
        QCOMPARE(read(path), QByteArray("第一次"));
        Files::writeAll(path, "第二次");
        QCOMPARE(read(path), QByteArray("第二次"));
        QCOMPARE(leftovers(env.root() + "/out"), QStringList{"成绩.csv"});
    }

    void aFailedWriteKeepsThePreviousFile_data()
    {
        QTest::addColumn<int>("failure"); // which write of the save fails
        QTest::newRow("the data") << 1;
        QTest::newRow("the flush to disk") << 2;
    }
    void aFailedWriteKeepsThePreviousFile()
    {
        QFETCH(int, failure);
        TestEnv env;
        const QString folder = env.root() + "/out";
        QDir().mkpath(folder);
        const QString path = folder + "/成绩.csv";
        Files::writeAll(path, "原来的内容");
        bool thrown = false;
        try {
            if (failure == 1) {
                Files::failNextWrites(1);
                Files::writeAll(path, "新内容");
            } else {
                // The data goes through; the sync before the rename fails.
                Files::SafeTarget t(path);
                QFile f(t.tempPath());
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("新内容");
                f.close();
                Files::failNextWrites(1);
                t.commit();
            }
        } catch (const Db::Error& e) {
            thrown = true;
            QVERIFY2(e.text().contains("磁盘已满"), qPrintable(e.text()));
            QVERIFY(e.text().contains("成绩.csv"));
        }
        Files::failNextWrites(0);
        QVERIFY(thrown);
        QCOMPARE(read(path), QByteArray("原来的内容"));
        QCOMPARE(leftovers(folder), QStringList{"成绩.csv"});
    }

    void aFolderThatCannotBeWrittenFailsBeforeAnyWork()
    {
        TestEnv env;
        // A file where the folder should be: nobody, root included, can write there.
        QFile blocker(env.root() + "/blocked");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY_THROWS_EXCEPTION(Db::Error, Files::SafeTarget(env.root() + "/blocked/a.xlsx", ".xlsx"));
        QVERIFY_THROWS_EXCEPTION(Db::Error, Files::writeAll(env.root() + "/blocked/a.csv", "x"));
        QVERIFY_THROWS_EXCEPTION(Db::Error, Files::writeAll(env.root(), "x")); // a folder's name
    }

    // A file the user made read-only is not replaced: the message says so,
    // and the file keeps its bytes and its mode.
    void aReadOnlyFileIsNotReplaced()
    {
        TestEnv env;
        const QString path = env.root() + "/成绩.csv";
        Files::writeAll(path, "老师留着的");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QString text = errorOf([&] { Files::writeAll(path, "新的"); });
        QVERIFY2(text.contains("是只读的") && text.contains("成绩.csv"), qPrintable(text));
        QCOMPARE(read(path), QByteArray("老师留着的"));
        const QFile::Permissions modeBits = QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(modeBits, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QCOMPARE(leftovers(env.root()), QStringList{"成绩.csv"});
    }

    // A real failure of the disk (not one injected by the test) is told in
    // Chinese, and a dBASE export blames the disk, not a row's value.
    void aDiskThatTakesNoMoreIsToldInChinese()
    {
        TestEnv env;
        const QString csv = env.root() + "/导出.csv";
        const QString dbf = env.root() + "/导出.dbf";
        Files::writeAll(csv, "上次的");
        QList<QVariantList> rows;
        for (int i = 0; i < 4000; ++i)
            rows << QVariantList{i, QStringLiteral("学生%1").arg(i)};
        const auto fields = Export::dbfFields({"序号", "姓名"}, {true, false}, rows);
        QString csvText, dbfText;
        {
            FileSizeLimit limit(16384);
            csvText = errorOf([&] { Files::writeAll(csv, QByteArray(100000, 'x')); });
            dbfText = errorOf([&] { Export::writeDbf(dbf, fields, rows); });
        }
        for (const QString& text : {csvText, dbfText}) {
            QVERIFY2(text.contains("文件太大") && text.contains("原来的文件没有改动"), qPrintable(text));
            // Past the file's name, not a word of English.
            QVERIFY2(!text.section(QStringLiteral("”"), 1).contains(QRegularExpression("[A-Za-z]")), qPrintable(text));
            QVERIFY2(!text.contains("写不下"), qPrintable(text));
        }
        QCOMPARE(read(csv), QByteArray("上次的"));
        QCOMPARE(leftovers(env.root()), QStringList{"导出.csv"});
    }

    // The data-source file outside the program's own lines stays byte for
    // byte: a GBK file with CRLF line ends keeps its other sections, its
    // encoding and its line ends; a GBK file the program's lines cannot be
    // written into (a database path in Chinese) is left untouched.
    void theDataSourceFileKeepsEveryOtherByte_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("declared");
        const QByteArray gbk = "[ODBC Data Sources]\r\nother=PostgreSQL\r\n\r\n[other]\r\nDescription="
            + Gbk::encode(QStringLiteral("学校的库")) + "\r\nServername=localhost\r\n";
        QTest::newRow("GBK with CRLF") << gbk << "/srv/grades/Q7305.mdb" << true;
        QTest::newRow("GBK, a database path in Chinese") << gbk << "/srv/成绩/Q7305.mdb" << false;
        QTest::newRow("UTF-8, the last line without an end")
            << QByteArray("; 我的设置\n[ODBC Data Sources]\nother=PostgreSQL") << "/srv/成绩/Q7305.mdb" << true;
    }
    void theDataSourceFileKeepsEveryOtherByte()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, database);
        QFETCH(bool, declared);
        TestEnv env;
        {
            QFile f(env.odbcIni());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        const DataSource::Step step = DataSource::declare(database);
        const QByteArray after = read(env.odbcIni());
        if (!declared) {
            QCOMPARE(step, DataSource::Step::NotUtf8);
            QCOMPARE(after, before);
            QVERIFY(DataSource::notUtf8Message().contains(".odbc.ini"));
            // Said once: the next start says nothing about the same file.
            QCOMPARE(DataSource::declare(database), DataSource::Step::NotUtf8Again);
            QCOMPARE(read(env.odbcIni()), before);
            return;
        }
        QCOMPARE(step, DataSource::Step::Done);
        const bool crlf = before.contains("\r\n");
        const QByteArray eol = crlf ? "\r\n" : "\n";
        // The one line added to the shared list, after its last entry ...
        const QByteArray listed = "other=PostgreSQL" + eol + "Q7305=Microsoft Access Driver (*.mdb)" + eol;
        const qsizetype at = before.indexOf("other=PostgreSQL");
        QCOMPARE(after.left(at), before.left(at));
        QCOMPARE(after.mid(at, listed.size()), listed);
        const QByteArray rest = before.mid(at + qsizetype(strlen("other=PostgreSQL")) + (before.endsWith("PostgreSQL") ? 0 : eol.size()));
        QCOMPARE(after.mid(at + listed.size(), rest.size()), rest);
        // ... and the program's own sections after everything else, in the
        // file's line ends.
        const QByteArray tail = after.mid(at + listed.size() + rest.size());
        QVERIFY2(tail.contains("[Q7305]" + eol) && tail.contains("DBQ=" + database.toUtf8() + eol)
                     && tail.contains("[MyAccess]" + eol),
                 tail.constData());
        QCOMPARE(tail.count("\n"), crlf ? tail.count("\r\n") : tail.count("\n"));
        if (crlf)
            QCOMPARE(after.count("\n"), after.count("\r\n"));
        // Declared again, the file does not change.
        QCOMPARE(DataSource::declare(database), DataSource::Step::Done);
        QCOMPARE(read(env.odbcIni()), after);
    }

    // A data-source file that is a link: the file it leads to is written (in
    // one step, through a temporary name beside it) and the link stays.
    void aLinkedDataSourceFileIsWrittenThrough()
    {
        TestEnv env;
        QDir().mkpath(env.root() + "/dotfiles");
        const QString target = env.root() + "/dotfiles/odbc.ini";
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[other]\nDriver=psql\n");
        }
        QVERIFY(QFile::link("../dotfiles/odbc.ini", env.odbcIni()));
        QCOMPARE(DataSource::declare(env.databaseFile()), DataSource::Step::Done);
        QVERIFY(QFileInfo(env.odbcIni()).isSymLink());
        QCOMPARE(QFileInfo(env.odbcIni()).symLinkTarget(), target);
        const QByteArray written = read(target);
        QVERIFY(written.startsWith("[other]\nDriver=psql\n"));
        QVERIFY(written.contains("[Q7305]\n"));
        QCOMPARE(leftovers(env.root() + "/dotfiles"), QStringList{"odbc.ini"});
    }

    void anUncommittedTargetLeavesNothing()
    {
        TestEnv env;
        const QString folder = env.root() + "/out";
        QDir().mkpath(folder);
        {
            Files::SafeTarget t(folder + "/表.dbf", ".dbf", {".cpg"});
            QVERIFY(t.tempPath().endsWith(".dbf"));
            QFile f(t.tempPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("半个文件");
        }
        QVERIFY(leftovers(folder).isEmpty());
    }
};

GRADEBOOK_TEST_MAIN(TestFiles)
#include "test_files.moc"
