// The backup window in its three modes, driven through its controls as a
// teacher does: backups under names, a restore that ends the program, and the
// next start on the restored database.
#include "windows/app/forms.h"
#include "windows/app/tbk.h"
#include "windows/app/tform6.h"
#include "engine/db/database.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList comboItems(const QComboBox* c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

// The program as it is after a restart.
void restart(WindowTestEnv& env)
{
    Forms::destroyAll();
    QVERIFY(env.startForms());
    Forms::Form6->show();
}
} // namespace

class TestBackupWindow : public QObject {
    Q_OBJECT
private slots:
    void theMenuItemsSetTheThreeModes()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form6->show();
        QVERIFY(Forms::bk && !Forms::bk->isVisible());
        Forms::Form6->item("备份数据库")->trigger();
        QVERIFY(Forms::bk->isVisible());
        QCOMPARE(Forms::bk->windowTitle(), QString("备份或还原"));
        QVERIFY(Forms::bk->g1->isVisible() && !Forms::bk->g2->isVisible());
        QCOMPARE(Forms::bk->g1->title(), QString("备份数据库"));
        QCOMPARE(Forms::bk->Edit1->text(), QString("备份1"));
        QVERIFY(env.messages.records.isEmpty());

        Forms::bk->c1->setEditText("上次的");
        Forms::Form6->item("还原数据库")->trigger();
        QVERIFY(!Forms::bk->g1->isVisible() && Forms::bk->g2->isVisible());
        QVERIFY(Forms::bk->Label4->isVisible() && !Forms::bk->Label5->isVisible());
        QCOMPARE(Forms::bk->c1->currentText(), QString());
        QCOMPARE(comboItems(Forms::bk->c1).mid(0, 2), (QStringList{"空白数据库", ""}));
        QVERIFY(env.messages.records.isEmpty());

        Forms::Form6->item("恢复为空白数据库")->trigger();
        QCOMPARE(env.messages.texts(), QStringList{Tbk::kBlankWarning});
        QVERIFY(!Forms::bk->g1->isVisible() && Forms::bk->g2->isVisible());
        QVERIFY(!Forms::bk->Label4->isVisible() && Forms::bk->Label5->isVisible());
        QCOMPARE(Forms::bk->c1->currentText(), QString("空白数据库"));
    }

    // A backup killed halfway by a program that is gone: its partial copy
    // is removed when the program starts, and never offered for a restore.
    void aKilledBackupIsClearedAtStart()
    {
        WindowTestEnv env;
        const pid_t dead = ::fork();
        if (dead == 0)
            ::_exit(0);
        QVERIFY(dead > 0);
        ::waitpid(dead, nullptr, 0);
        const QString partial = env.programDir() + QStringLiteral("/database/.backup-%1-k1ll3d").arg(dead);
        for (const QString& name : {partial, partial + "-journal"}) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("SQLite format 3", 16);
        }
        QVERIFY(env.startForms());
        QVERIFY(!QFile::exists(partial) && !QFile::exists(partial + "-journal"));
        Forms::Form6->item("还原数据库")->trigger();
        QCOMPARE(comboItems(Forms::bk->c1), (QStringList{"空白数据库", ""}));
        QVERIFY(env.messages.records.isEmpty());
    }

    void backingUpTwiceFromTheWindowSaysWhichNameWasWritten()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form6->item("备份数据库")->trigger();
        Forms::bk->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.last().caption, QString("信息"));
        QVERIFY(env.messages.last().startsWith("备份完毕。"));
        QVERIFY(env.messages.last().contains("“备份1”"));
        QCOMPARE(Forms::bk->copying->windowTitle(), QString("正在复制..."));
        QVERIFY(!Forms::bk->copying->isVisible());
        Forms::bk->Button1->click();
        QVERIFY(env.messages.last().startsWith("备份完毕。"));
        QVERIFY(env.messages.last().contains("“备份1 (2)”"));
        QVERIFY(env.messages.last().contains("没有覆盖"));
        QVERIFY(QFile::exists(env.programDir() + "/database/备份1"));
        QVERIFY(QFile::exists(env.programDir() + "/database/备份1 (2)"));

        // A name that would leave the folder is refused with a warning.
        env.messages.clear();
        Forms::bk->Edit1->setText("../备份1");
        Forms::bk->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY(!QFile::exists(env.programDir() + "/备份1"));
    }

    void restoringTheBlankDatabaseEndsTheProgramAndTheNextStartHasNoExamination()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cj", "0101", 1, "张三", {{"语文1", 90}});
        Fixture::setCheck({{"mc", "期中考试"}});
        Forms::Form6->show();
        Forms::Form6->item("恢复为空白数据库")->trigger();
        env.messages.clear();
        Forms::bk->Button2->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().caption, QString("信息"));
        QVERIFY(env.messages.last().startsWith(Tbk::kRestored));
        QVERIFY(env.messages.last().contains("还原前自动备份"));
        QVERIFY(!Forms::Form6->isVisible());
        QVERIFY(!Forms::bk->isVisible());

        restart(env);
        env.messages.clear();
        Forms::Form6->enterGradeEntry();
        QCOMPARE(env.messages.texts(), QStringList{"该库中没有任何考试，请先增加考试"});
    }

    void restoringABackupByItsNameBringsItBack()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cj", "0101", 1, "张三", {{"语文1", 90}});
        Fixture::setCheck({{"mc", "期中考试"}});
        Forms::Form6->item("备份数据库")->trigger();
        Forms::bk->Button1->click();
        Db::exec("DELETE FROM cj");
        Fixture::setCheck({{"mc", "没有任何考试"}});

        Forms::Form6->item("还原数据库")->trigger();
        QVERIFY(comboItems(Forms::bk->c1).contains("备份1"));
        Forms::bk->c1->setEditText("备份1");
        Forms::bk->Button2->click();
        QVERIFY(env.messages.last().startsWith(Tbk::kRestored));
        QVERIFY(!Forms::Form6->isVisible());

        restart(env);
        QCOMPARE(Fixture::value("cj", "姓名").toString(), QString("张三"));
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("期中考试"));
    }

    void aRefusedRestoreKeepsTheProgramAndTheDatabase()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cj", "0101", 1, "张三", {{"语文1", 90}});
        Forms::Form6->show();
        const QByteArray before = bytes(env.databaseFile());
        Forms::Form6->item("还原数据库")->trigger();
        Forms::bk->c1->setEditText("备份9");
        env.messages.clear();
        Forms::bk->Button2->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("找不到“备份9”"));
        QVERIFY(Forms::Form6->isVisible());
        QVERIFY(Forms::bk->isVisible());
        QCOMPARE(bytes(env.databaseFile()), before);
        QCOMPARE(Db::rowCount("cj"), 1);
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestBackupWindow)
#include "test_backup_window.moc"
