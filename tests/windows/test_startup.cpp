#include "engine/app/datasource.h"
#include "engine/app/instancelock.h"
#include "engine/app/paths.h"
#include "windows/app/forms.h"
#include "windows/app/tform6.h"
#include "windows/app/tmen1.h"
#include "windows/processing/tform1.h"
#include "windows/entry/tluru.h"
#include "engine/db/database.h"
#include "engine/session/session.h"
#include "windowtest.h"

#include <QFile>
#include <QProcess>
#include <csignal>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

// Every window of the program in the order start-up builds them.
const QStringList kCreationOrder{
    "TForm6",   "TFormxxx", "TForm2",    "TForm1",     "TFormfx",    "TForm5",       "TForm8",
    "Tsearch",  "TFormnnn", "Tformin",   "Tchaxun",    "Tsinggles",  "Tp",           "Tp4",
    "Tgai",     "Tluru",    "Tstjf",     "Tkaoshimc",  "Tpf1",       "Tsppict1",     "Tsppict2",
    "Tjiaoshigz", "Tfast",  "Tbk",       "Tzuge",      "Tmen1",      "Tp5",          "Tluruxianshi",
    "Tc1p",     "Tjintui", "Tslips", "Timport",
};

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void windowsAreBuiltInTheCreationOrder()
    {
        QCOMPARE(kCreationOrder.size(), 32);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        QStringList built;
        for (QWidget* w : Forms::all())
            built << w->metaObject()->className();
        QCOMPARE(built, kCreationOrder);
        // Only the main window is on the screen once start-up is done.
        Forms::Form6->show();
        QCoreApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible() || w == Forms::Form6, w->metaObject()->className());
        QVERIFY(env.messages.records.isEmpty());
    }

    void declaresTheDataSourceAtEveryStartKeepingOthers()
    {
        WindowTestEnv env;
        {
            QFile f(env.odbcIni());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[ODBC Data Sources]\nother=PostgreSQL\n\n[other]\nDriver=psql\nServername=localhost\n");
        }
        QCOMPARE(DataSource::declare(env.databaseFile()), DataSource::Step::Done);
        QFile f(env.odbcIni());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray first = f.readAll();
        f.close();
        QCOMPARE(DataSource::declare(env.databaseFile()), DataSource::Step::Done);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), first);

        DataSource::IniFile ini;
        QVERIFY(ini.load(env.odbcIni()));
        QCOMPARE(ini.value("other", "Servername"), QString("localhost"));
        QCOMPARE(ini.value("ODBC Data Sources", "other"), QString("PostgreSQL"));
        QCOMPARE(ini.value("ODBC Data Sources", "Q7305"), QString("Microsoft Access Driver (*.mdb)"));
        QCOMPARE(ini.value("Q7305", "DBQ"), env.databaseFile());
        QCOMPARE(ini.value("Q7305", "Database"), env.databaseFile());
        QCOMPARE(ini.value("Q7305", "DriverId"), QString("25"));
        QCOMPARE(ini.value("Q7305", "FIL"), QString("Ms Access;"));
        QCOMPARE(ini.value("Q7305", "Exclusive"), QString("00"));
        QCOMPARE(ini.value("MyAccess", "MaxBufferSize"), QString("512"));
        QCOMPARE(ini.value("MyAccess", "Threads"), QString("3"));
        QVERIFY(env.messages.records.isEmpty());
    }

    void aDataSourceFileThatCannotBeWrittenShowsTheFailure()
    {
        WindowTestEnv env;
        // A file where the folder should be: no user, root included, can write there.
        QFile blocker(env.root() + "/blocked");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("ODBCINI", (env.root() + "/blocked/odbc.ini").toUtf8());
        QCOMPARE(DataSource::declare(env.databaseFile()), DataSource::Step::SourceList);
        // The main window shows the step's message at start-up.
        QVERIFY(env.startForms());
        QVERIFY(env.messages.texts().contains("增加ODBC数据源失败"));
    }

    void startsWithOnlyTheMainWindowVisible()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form6->show();
        QVERIFY(Db::isOpen());
        QCOMPARE(Db::fileName(), env.databaseFile());
        QVERIFY(QFile::exists(env.odbcIni()));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                QCOMPARE(w, static_cast<QWidget*>(Forms::Form6));
        QCOMPARE(Forms::Form6->windowTitle(), QString("墨竹成绩册v2.1"));
        // A database whose roster was never prepared works on the new-roster table.
        QCOMPARE(Forms::session().workingTable(), QString("cjn"));
        QVERIFY(env.messages.records.isEmpty());
    }

    void aMissingDatabaseEndsTheProgramWithoutCreatingOne()
    {
        WindowTestEnv env;
        QVERIFY(QFile::remove(env.databaseFile()));
        QVERIFY(!env.startForms());
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Error);
        QVERIFY(env.messages.last().contains("Q7305.mdb"));
        QVERIFY(!QFile::exists(env.databaseFile()));
        QVERIFY(!Forms::Form6);
        // The data source is still declared, naming the missing file.
        DataSource::IniFile ini;
        QVERIFY(ini.load(env.odbcIni()));
        QCOMPARE(ini.value("Q7305", "DBQ"), env.databaseFile());
    }

    // A second start on a database the program already has open is refused
    // and ends; once the first program is gone (killed, so it could not tidy
    // up) the program starts as usual.
    void aSecondStartOnTheSameDatabaseIsRefused()
    {
        WindowTestEnv env;
        const QString exe = env.programDir() + "/" + QString::fromUtf8(Paths::kProgramFileName);
        QVERIFY(QFile::copy(GRADEBOOK_PROGRAM, exe));
        QProcess first;
        QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
        pe.insert("QT_QPA_PLATFORM", "offscreen");
        first.setProcessEnvironment(pe);
        first.start(exe, {});
        QVERIFY(first.waitForStarted());
        // The first program holds the database once its number is in the lock file.
        const QString lockFile = Instance::lockFileFor(env.databaseFile());
        auto holder = [&] {
            QFile f(lockFile);
            return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(holder(), qint64(first.processId()), 30000);

        QVERIFY(!env.startForms());
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Error);
        QVERIFY2(env.messages.last().contains("程序已经打开了数据库") && env.messages.last().contains("Q7305.mdb"),
                 qPrintable(env.messages.last()));
        QVERIFY(!Forms::Form6 && !Db::isOpen());

        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished());
        env.messages.clear();
        QVERIFY(env.startForms());
        QVERIFY(env.messages.records.isEmpty());
        QVERIFY(Db::isOpen() && Forms::Form6);
    }

    // A link in the lock file's place: nothing is written through it, and
    // the program says so and does not start on the database.
    void aLockFileThatIsALinkStopsTheStart()
    {
        WindowTestEnv env;
        const QString victim = env.root() + "/victim.txt";
        {
            QFile f(victim);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep me\n");
        }
        QVERIFY(QFile::link(victim, Instance::lockFileFor(env.databaseFile())));
        QVERIFY(!env.startForms());
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Error);
        QVERIFY2(env.messages.last().contains("符号链接") && env.messages.last().contains("没有打开这个数据库"),
                 qPrintable(env.messages.last()));
        QVERIFY(!Db::isOpen() && !Forms::Form6);
        QFile f(victim);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me\n"));
    }

    // A database folder on a read-only disk is told at start, not at the
    // first edit: the database opens read-only, the title says so, and a
    // ranking is refused with the reason, the file untouched.
    void aFolderThatCannotBeWrittenOpensReadOnly()
    {
        WindowTestEnv env;
        QFile db(env.databaseFile());
        QVERIFY(db.open(QIODevice::ReadOnly));
        const QByteArray before = db.readAll();
        db.close();
        Files::setUnwritableFolderForTests(env.programDir() + "/database");
        const bool started = env.startForms();
        Files::setUnwritableFolderForTests(QString());
        QVERIFY(started);
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY2(env.messages.last().contains("不能写入") && env.messages.last().contains("只读方式打开"),
                 qPrintable(env.messages.last()));
        QVERIFY(Db::isReadOnly());
        QVERIFY(Forms::Form6->windowTitle().endsWith("（只读）"));
        QVERIFY(!QFile::exists(Instance::lockFileFor(env.databaseFile())));
        env.messages.clear();
        Forms::Form1->showMode(TForm1::Mode::Ranking);
        Forms::Form1->Button1->click();
        QVERIFY2(env.messages.last().contains("只读方式打开") && env.messages.last().contains("文件夹不能写入"),
                 qPrintable(env.messages.last()));
        QVERIFY(db.open(QIODevice::ReadOnly));
        QCOMPARE(db.readAll(), before);
    }

    void anErrorWhileAWindowIsBuiltIsShownAndStartUpGoesOn()
    {
        WindowTestEnv env;
        env.openDb();
        // A roster whose last class is not a number.
        Db::exec("INSERT INTO cj(学号, 班号, 姓名) VALUES ('1', 'x', '甲')");
        Db::exec("UPDATE linshi SET shibie = 1");
        Db::close();
        QVERIFY(env.startForms());
        QVERIFY(!env.messages.records.isEmpty());
        QVERIFY(Forms::Form6 && Forms::men1);
    }

    void clickAreasReachTheirWindows_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QString>("window");
        QTest::newRow("教师成绩追踪图表") << QRect(72, 112, 217, 33) << "Tmen1";
        QTest::newRow("增加新的考试") << QRect(184, 216, 185, 49) << "Tkaoshimc";
        QTest::newRow("进入成绩处理库") << QRect(392, 216, 177, 113) << "Tluru";
        QTest::newRow("学生成绩追踪图表") << QRect(72, 48, 217, 49) << "Tsinggles";
        QTest::newRow("各科分析图表") << QRect(136, 160, 201, 41) << "Tsearch";
        QTest::newRow("总分图表") << QRect(464, 48, 209, 41) << "Tstjf";
        QTest::newRow("班成绩分布曲线对比") << QRect(464, 104, 209, 41) << "Tsppict1";
        QTest::newRow("班成绩查询") << QRect(440, 160, 209, 41) << "Tchaxun";
    }
    void clickAreasReachTheirWindows()
    {
        QFETCH(QRect, area);
        QFETCH(QString, window);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::setCheck({{"mc", "期中考试"}});
        Forms::Form6->show();
        QWidget* target = Forms::window(window.toLatin1().constData());
        if (!target)
            QSKIP("this build has no such window yet");
        // Both corners of the area reach it, a point just outside does not.
        QTest::mouseClick(Forms::Form6->picture, Qt::LeftButton, {}, area.topLeft() + QPoint(1, 1));
        QVERIFY(target->isVisible());
        target->hide();
        QTest::mouseClick(Forms::Form6->picture, Qt::LeftButton, {}, QPoint(area.right() - 1, qMin(area.bottom(), 279) - 1));
        QVERIFY(target->isVisible());
        target->hide();
        QTest::mouseClick(Forms::Form6->picture, Qt::LeftButton, {}, area.topLeft() - QPoint(2, 2));
        QVERIFY(!target->isVisible());
    }

    void theBlankDatabaseRefusesGradeEntry()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form6->enterGradeEntry();
        QCOMPARE(env.messages.texts(), QStringList{"该库中没有任何考试，请先增加考试"});
        if (QWidget* entry = Forms::window("Tluru"))
            QVERIFY(!entry->isVisible());

        env.messages.clear();
        Fixture::setCheck({{"mc", ""}});
        Forms::Form6->enterGradeEntry();
        QCOMPARE(env.messages.texts(),
                 QStringList{"如果你不是熟练用户，请通过增加新的考试来进入成绩处理库，否则可能会造成统计混乱"});
        if (QWidget* entry = Forms::window("Tluru"))
            QVERIFY(entry->isVisible());
    }

    void theViewingCodeIsComparedExactly()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::men1->show();
        Forms::men1->Edit1->setText(QStringLiteral("%1 ").arg(Tmen1::kViewingCode));
        Forms::men1->Button1->click();
        QCOMPARE(env.messages.last(), QString("密码错误，你无权查看,请联系统管理员 "));
        QVERIFY(Forms::men1->isVisible());
        QCOMPARE(Forms::men1->Edit1->text(), QStringLiteral("%1 ").arg(Tmen1::kViewingCode));
        QVERIFY(Forms::men1->Label2->text().contains(Tmen1::kViewingCode));

        Forms::men1->Edit1->setText(Tmen1::kViewingCode);
        env.messages.clear();
        Forms::men1->Button1->click();
        QVERIFY(!Forms::men1->isVisible());
        QVERIFY(!env.messages.contains("密码错误，你无权查看,请联系统管理员 "));
    }

    void menuBarMatchesTheListAndGuardsProcessing()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        QStringList menus;
        for (QAction* a : Forms::Form6->menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"文件", "成绩处理", "图表查询", "输出", "数据库系统操作", "打印", "使用必读"}));
        QVERIFY(!Forms::Form6->item("程序启动参数设置")->isEnabled());
        Forms::Form6->item("总分分段")->trigger();
        QCOMPARE(env.messages.last(), QString("请先进入临时成绩库，或者先增加考试！！"));
    }

    void maximisingTakesTheFixedPlace()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form6->showMaximized();
        QCoreApplication::processEvents();
        QCOMPARE(Forms::Form6->frameGeometry(), QRect(30, 80, 757, 322));
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestStartup)
#include "test_startup.moc"
