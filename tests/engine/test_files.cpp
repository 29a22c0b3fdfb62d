// Files written through a temporary name: the previous file survives any failure.
#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "enginetest.h"

#include <QDir>
#include <QFile>

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
