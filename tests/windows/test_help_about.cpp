// The edge services of the main window: the desktop entry made at every
// start, the help item and the about window.
#include "windows/app/forms.h"
#include "windows/app/help.h"
#include "windows/app/tfast.h"
#include "windows/app/tform6.h"
#include "windows/app/tformnnn.h"
#include "windowtest.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>

namespace {
// The guide as the build lays it out, put into the test's program folder.
void installGuide(const TestEnv& env)
{
    const QString from = QStringLiteral(GRADEBOOK_PROGRAM_DIR "/database/help");
    const QString to = env.programDir() + "/database/help";
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + f, to + "/" + f);
}
} // namespace

class TestHelpAbout : public QObject {
    Q_OBJECT
    QList<QUrl> opened;

private slots:
    void init()
    {
        opened.clear();
        Help::setOpener([this](const QUrl& u) {
            opened << u;
            return true;
        });
    }
    void cleanup()
    {
        Help::setOpener({});
        Help::setViewerCheck({});
    }

    void theDesktopEntryIsMadeAgainAtEveryStart()
    {
        WindowTestEnv env;
        const QString entry = env.root() + "/home/Desktop/A墨竹成绩册21.desktop";
        QVERIFY(env.startForms());
        QCOMPARE(Forms::fast->entry(), entry);
        QVERIFY(!Forms::fast->isVisible());
        QVERIFY(QFile::remove(entry));
        Forms::destroyAll();
        QVERIFY(env.startForms());
        QFile f(entry);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains(QStringLiteral("Exec=\"%1/A墨竹成绩册21\"\n").arg(env.programDir())));
        QVERIFY(text.contains(QStringLiteral("Path=%1\n").arg(env.programDir())));
        QVERIFY(env.messages.records.isEmpty());
    }

    void helpOpensTheChmOnlyWhenTheDesktopCanShowIt_data()
    {
        QTest::addColumn<bool>("chm");
        QTest::addColumn<bool>("viewer");
        QTest::addColumn<bool>("browser");
        QTest::addColumn<QString>("opens"); // empty: a message names the guide
        QTest::newRow("no 1.chm") << false << true << true << "help/index.html";
        QTest::newRow("1.chm, no viewer") << true << false << true << "help/index.html";
        QTest::newRow("1.chm and a viewer") << true << true << false << "1.chm";
        QTest::newRow("no viewer, no browser") << true << false << false << "";
    }
    void helpOpensTheChmOnlyWhenTheDesktopCanShowIt()
    {
        QFETCH(bool, chm);
        QFETCH(bool, viewer);
        QFETCH(bool, browser);
        QFETCH(QString, opens);
        WindowTestEnv env;
        installGuide(env);
        if (chm) {
            QFile f(env.programDir() + "/database/1.chm");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("ITSF");
        }
        Help::setViewerCheck([viewer, browser](const QString& file) { return file.endsWith(".chm") ? viewer : browser; });
        QVERIFY(env.startForms());
        Forms::Form6->item("墨竹成绩册使用必读(help)")->trigger();
        if (opens.isEmpty()) {
            QVERIFY(opened.isEmpty());
            QCOMPARE(env.messages.records.size(), 1);
            QVERIFY2(env.messages.last().contains("没有可以打开网页的浏览器")
                         && env.messages.last().contains(env.programDir() + "/database/help/index.html"),
                     qPrintable(env.messages.last()));
            return;
        }
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(env.programDir() + "/database/" + opens)});
        QVERIFY(env.messages.records.isEmpty());
    }

    void theShippedGuideIsThereAndItsPicturesToo()
    {
        const QString dir = QStringLiteral(GRADEBOOK_PROGRAM_DIR "/database/help");
        QFile f(dir + "/index.html");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QVERIFY(html.contains("增加新的考试"));
        QVERIFY(html.contains("备份数据库"));
        // What a teacher hands on, and how typed names find their rows.
        for (const char* topic : {"导出为Excel", "另存为PDF", "打印预览", "gradebook-batch export", "名称的开头"})
            QVERIFY2(html.contains(QString::fromUtf8(topic)), topic);
        // Every picture the guide shows is shipped beside it.
        static const QRegularExpression img(QStringLiteral("<img[^>]*src=\"([^\"]+)\""));
        int pictures = 0;
        for (auto it = img.globalMatch(html); it.hasNext(); ++pictures) {
            const QString src = it.next().captured(1);
            QVERIFY2(QFile::exists(dir + "/" + src), qPrintable(src));
        }
        QVERIFY(pictures >= 5);
    }

    void aMissingGuideIsNamed()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form6->item("墨竹成绩册使用必读(help)")->trigger();
        QVERIFY(opened.isEmpty());
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("help/index.html"));
    }

    void theAboutWindow()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form6->item("关于本软件(about)")->trigger();
        QVERIFY(Forms::Formnnn->isVisible());
        QCOMPARE(Forms::Formnnn->windowTitle(), QString("关于本软件"));
        QCOMPARE(Forms::Formnnn->size(), QSize(600, 349));
        QCOMPARE(Forms::Formnnn->Label1->text(), QString("墨竹电子成绩册"));
        QVERIFY(Forms::Formnnn->Memo1->toPlainText().contains("本软件适合广大中小学老师，领导处理及跟踪考试成绩资料"));
        QVERIFY(Forms::Formnnn->Memo1->toPlainText().contains(env.databaseFile()));
        Forms::Formnnn->close();
        QVERIFY(!Forms::Formnnn->isVisible());
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestHelpAbout)
#include "test_help_about.moc"
