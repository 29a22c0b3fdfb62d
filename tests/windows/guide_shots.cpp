// Takes the pictures of the help guide from the real windows: a fresh program
// folder, one examination of three classes walked through as a teacher does,
// each window grabbed to a PNG in the folder given on the command line.
// scripts/guide-shots.sh builds and runs it into resources/help/.
#include "windows/app/forms.h"
#include "engine/app/paths.h"
#include "windows/app/tbk.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "windows/app/tformnnn.h"
#include "windows/entry/picturebutton.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tkaoshimc.h"
#include "windows/entry/tluru.h"
#include "windows/entry/tpf1.h"
#include "windows/processing/tform1.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <cstdio>

namespace {

QString g_out;

void shoot(QWidget* w, const QString& name)
{
    w->show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    if (!w->grab().save(g_out + "/" + name + ".png"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
}

// Three classes of ten students, marks in halves, the same every run.
struct Roster {
    QStringList numbers, classes, names;
    QList<QStringList> marks; // per subject
};

Roster sample()
{
    static const QStringList surnames{"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "周", "吴"};
    static const QStringList given{"子涵", "浩然", "欣怡", "宇轩", "梓萱", "俊杰", "雨桐", "博文", "思远", "佳怡"};
    Roster r;
    r.marks.resize(6);
    QRandomGenerator rng(2024);
    for (int c = 1; c <= 3; ++c)
        for (int i = 0; i < 10; ++i) {
            r.numbers << QStringLiteral("2024%1%2").arg(c, 2, 10, QChar('0')).arg(i + 1, 2, 10, QChar('0'));
            r.classes << QString::number(c);
            r.names << surnames.at((i + c * 3) % 10) + given.at((i * 7 + c) % 10);
            for (int s = 0; s < 6; ++s) {
                const int full = s < 3 ? 120 : 100;
                const double mark = qRound((full * 0.45 + rng.bounded(full * 0.55)) * 2) / 2.0;
                r.marks[s] << QString::number(mark);
            }
        }
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(10);
    QApplication::setFont(font);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gradebook-guide-shots FOLDER\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);

    WindowTestEnv env;
    if (!env.startForms())
        return 1;
    shoot(Form6, "main");

    // 1. A new examination.
    kaoshimc->ksmc->setText("2024学年第一学期期中考试");
    shoot(kaoshimc, "kaoshimc");
    kaoshimc->SpeedButton1->click();
    shoot(pf1, "pf1");

    // 2. The roster and the marks, pasted from a spreadsheet.
    pf1->Button1->click();
    const Roster r = sample();
    formin->Memo4->setPlainText(r.numbers.join('\n'));
    formin->Memo2->setPlainText(r.classes.join('\n'));
    formin->Memo1->setPlainText(r.names.join('\n'));
    formin->CheckBox1->setChecked(true);
    const auto boxes = formin->subjectBoxes();
    for (int s = 0; s < 6 && s < boxes.size(); ++s) {
        boxes.at(s).first->setChecked(true);
        boxes.at(s).second->setPlainText(r.marks.at(s).join('\n'));
    }
    shoot(formin, "formin");
    formin->Button1->click();

    // 3. The entry grid.
    for (QCheckBox* c : {luru->ca, luru->cb, luru->cc, luru->cd, luru->ce, luru->cf})
        c->setChecked(true);
    luru->Edit2->setText("1");
    luru->Edit3->setText("3");
    luru->SpeedButton1->click();
    shoot(luru, "luru");

    // 4. The three runs from the processing panel.
    for (QCheckBox* c : {Form2->CheckBox1, Form2->CheckBox2, Form2->CheckBox3, Form2->CheckBox4,
                         Form2->CheckBox5, Form2->CheckBox6})
        c->setChecked(true);
    luru->Image5->click();
    shoot(Form2, "form2");
    Form2->Button1->click();
    shoot(Form1, "form1-ranking");
    Form1->Button1->click();
    Form1->hide();
    shoot(luru, "luru-ranked");
    Form1->showMode(TForm1::Mode::Analysis);
    Form2->hide();
    shoot(Form1, "form1-analysis");
    Form1->showMode(TForm1::Mode::Bands);
    Form2->hide();
    shoot(Form1, "form1-bands");
    Form1->hide();
    luru->hide();

    // 5. Backup and restore, about. The folders they show read as a teacher's.
    Paths::setProgramDir(QStringLiteral("/home/laoshi/墨竹成绩册"));
    bk->showMode(Tbk::Mode::Backup);
    bk->Edit1->setText("期中考试之后");
    shoot(bk, "bk-backup");
    bk->showMode(Tbk::Mode::Restore);
    bk->c1->setEditText("期中考试之后");
    shoot(bk, "bk-restore");
    bk->showMode(Tbk::Mode::Blank);
    shoot(bk, "bk-blank");
    bk->hide();
    shoot(Formnnn, "about");

    Paths::setProgramDir(env.programDir());
    for (const auto& m : env.messages.records)
        std::printf("message: %s\n", qPrintable(m.text));
    return 0;
}
