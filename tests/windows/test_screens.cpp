// Every window as the user sees it: built, shown and painted at its size.
// With GRADEBOOK_SHOTS set to a folder, each window is also saved there as a
// PNG for looking at.
#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tluru.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QImage>

class TestScreens : public QObject {
    Q_OBJECT

    void shoot(QWidget* w, const QString& name)
    {
        w->show();
        QCoreApplication::processEvents();
        const QImage img = w->grab().toImage();
        QVERIFY(!img.isNull());
        // Something is drawn: not a single flat colour.
        const QRgb first = img.pixel(img.width() / 2, img.height() / 2);
        bool varied = false;
        for (int y = 0; y < img.height() && !varied; y += 3)
            for (int x = 0; x < img.width() && !varied; x += 3)
                varied = img.pixel(x, y) != first;
        QVERIFY2(varied, qPrintable(name));
        const QString dir = qEnvironmentVariable("GRADEBOOK_SHOTS");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            img.save(dir + "/" + name + ".png");
        }
        w->hide();
    }

private slots:
    void everyWindowPaints()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        shoot(Form6, "TForm6");
        QCOMPARE(Form6->centralWidget()->size(), QSize(749, 280));
        shoot(Form2, "TForm2");
        QCOMPARE(Form2->size(), QSize(424, 386));
        for (auto m : {TForm1::Mode::Ranking, TForm1::Mode::Analysis, TForm1::Mode::Bands}) {
            Form1->setMode(m);
            shoot(Form1, QStringLiteral("TForm1-%1").arg(int(m)));
        }
        shoot(Form8, "TForm8");
        QCOMPARE(Form8->size(), QSize(427, 43));
        for (const char* cls : {"Tmen1", "Tc1p", "Tkaoshimc", "Tpf1", "Tzuge", "Tluru", "Tformin", "Tgai",
                                "Tluruxianshi"})
            if (QWidget* w = Forms::window(cls))
                shoot(w, cls);
    }

    void windowsWithTheirContent()
    {
        // The entry grid after a ranking run (eight-digit student numbers,
        // three-character names), the bulk input with a pasted roster, and
        // the processing panel in analysis mode.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        const QStringList names{"顾晓明", "欧阳娜", "司马光", "诸葛亮", "王一", "李四"};
        for (int i = 0; i < 12; ++i)
            Fixture::student("cjn", QStringLiteral("202401%1").arg(i + 1, 2, 10, QChar('0')), 1 + i / 6, names[i % 6],
                             {{"语文1", 100 - i * 3.5}, {"数学1", 118 - i}, {"英语1", 90 + i % 4}});
        Fixture::setCheck({{"mc", "2024学年第一学期期中考试"}, {"bh", "3"}});
        luru->show(); // names cjn the working table
        Form2->CheckBox2->setChecked(true);
        Form2->CheckBox3->setChecked(true);
        Form2->banshu1->setText("1");
        Form2->banshu2->setText("2");
        Form2->close();
        Form1->banshu2->setText("2");
        Form1->showMode(TForm1::Mode::Ranking);
        Form1->Button1->click();
        QCOMPARE(luru->luru_dg->model()->rowCount(), 12);
        shoot(luru, "Tluru-ranking");

        formin->Memo4->setPlainText("学号\n20240101\n20240102\n20240103");
        formin->Memo2->setPlainText("班号\n1\n1\n2");
        formin->Memo1->setPlainText("姓名\n顾晓明\n欧阳娜娜\n司马光");
        formin->Memo3->setPlainText("语文\n98.5\n100\n87");
        shoot(formin, "Tformin-filled");

        Form1->setMode(TForm1::Mode::Analysis);
        shoot(Form1, "TForm1-analysis");
        QCOMPARE(Form1->height(), 428);
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestScreens)
#include "test_screens.moc"
