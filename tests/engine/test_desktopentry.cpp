// The desktop entry: the fixed program name in the program folder, quoted so
// that any folder name works, and an entry the desktop's own checker accepts.
#include "engine/app/desktopentry.h"
#include "engine/app/paths.h"
#include "enginetest.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {
QString line(const QString& text, const QString& key)
{
    for (const QString& l : text.split('\n'))
        if (l.startsWith(key + '='))
            return l.mid(key.size() + 1);
    return "<none>";
}
} // namespace

class TestDesktopEntry : public QObject {
    Q_OBJECT
private slots:
    void anyProgramFolderGivesAValidEntry_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/墨竹成绩册" << R"("/opt/墨竹成绩册/A墨竹成绩册21")" << "/opt/墨竹成绩册";
        QTest::newRow("blank") << "/home/张 老师/成绩册" << R"("/home/张 老师/成绩册/A墨竹成绩册21")"
                               << "/home/张 老师/成绩册";
        // $ and ` quoted for the shell-like Exec rules, % doubled, and the
        // backslashes doubled once more for the file's string escapes.
        QTest::newRow("shell characters") << "/srv/a$HOME`x`\"q\"/100%"
                                          << R"(env "/srv/a\\$HOME\\`x\\`\\"q\\"/100%%/A墨竹成绩册21")"
                                          << "/srv/a$HOME`x`\"q\"/100%";
        QTest::newRow("backslash") << "/srv/a\\b" << R"("/srv/a\\\\b/A墨竹成绩册21")" << R"(/srv/a\\b)";
    }
    void anyProgramFolderGivesAValidEntry()
    {
        QFETCH(QString, folder);
        QFETCH(QString, exec);
        QFETCH(QString, path);
        TestEnv env;
        const QString desktop = env.root() + "/home/Desktop";
        const QString file = DesktopEntry::write(folder, desktop);
        QCOMPARE(file, desktop + "/A墨竹成绩册21.desktop");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QCOMPARE(line(text, "Exec"), exec);
        QCOMPARE(line(text, "Path"), path);
        QCOMPARE(line(text, "Type"), QString("Application"));
        QVERIFY(QFile::permissions(file) & QFile::ExeOwner);

        const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
        if (validate.isEmpty())
            QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
        QProcess p;
        p.start(validate, {file});
        QVERIFY(p.waitForFinished(10000));
        const QString said = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(p.exitCode() == 0 && said.trimmed().isEmpty(), qPrintable(said));
    }

    // A launcher of the desktop starts the program from the entry, whatever
    // the folder's name holds (a %, a $, a blank).
    void aLauncherStartsTheProgramFromTheEntry()
    {
        const QString gio = QStandardPaths::findExecutable("gio");
        if (gio.isEmpty())
            QSKIP("gio is not installed (Debian package libglib2.0-bin)");
        TestEnv env;
        const QString folder = env.root() + "/张 老师$x/100%";
        QVERIFY(QDir().mkpath(folder));
        const QString ran = env.root() + "/ran.txt";
        QFile program(folder + "/A墨竹成绩册21");
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.write(QStringLiteral("#!/bin/sh\necho \"$0\" > '%1'\n").arg(ran).toUtf8());
        program.close();
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString file = DesktopEntry::write(folder, env.root() + "/home/Desktop");
        QProcess p;
        p.start(gio, {"launch", file});
        QVERIFY(p.waitForFinished(10000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        auto said = [&ran] {
            QFile f(ran);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(said(), folder + "/A墨竹成绩册21", 5000);
    }

    void startingAgainReplacesTheEntryAndFollowsTheFolder()
    {
        TestEnv env;
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QCOMPARE(desktop, env.root() + "/home/Desktop");
        const QString file = DesktopEntry::create();
        QCOMPARE(file, desktop + "/A墨竹成绩册21.desktop");
        QVERIFY(QFile::remove(file));
        Paths::setProgramDir(env.root() + "/moved");
        QCOMPARE(DesktopEntry::create(), file);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(line(QString::fromUtf8(f.readAll()), "Path"), env.root() + "/moved");
        QCOMPARE(QDir(desktop).entryList(QDir::Files | QDir::Hidden), QStringList{"A墨竹成绩册21.desktop"});
    }

    void noDesktopFolderNoEntry()
    {
        TestEnv env;
        QVERIFY(QDir(env.root() + "/home/Desktop").removeRecursively());
        QCOMPARE(DesktopEntry::create(), QString());
        QVERIFY(!QDir(env.root() + "/home/Desktop").exists());
    }
};

GRADEBOOK_TEST_MAIN(TestDesktopEntry)
#include "test_desktopentry.moc"
