// Every window as the user sees it: built, shown and painted at its size.
// With GRADEBOOK_SHOTS set to a folder, each window is also saved there as a
// PNG for looking at.
#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/app/tbk.h"
#include "windows/app/tform6.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"
#include "windowtest.h"

#include <QDir>
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
        for (auto m : {Tbk::Mode::Backup, Tbk::Mode::Restore, Tbk::Mode::Blank}) {
            bk->showMode(m);
            shoot(bk, QStringLiteral("Tbk-%1").arg(int(m)));
        }
        QCOMPARE(bk->size(), QSize(499, 196));
        for (const char* cls : {"TFormnnn", "Tmen1", "Tc1p", "Tkaoshimc", "Tpf1", "Tzuge", "Tluru", "Tformin", "Tgai",
                                "Tluruxianshi"})
            if (QWidget* w = Forms::window(cls))
                shoot(w, cls);
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestScreens)
#include "test_screens.moc"
