#include "windows/app/tformnnn.h"

#include "engine/app/paths.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TFormnnn::TFormnnn() : Form(QStringLiteral("关于本软件"))
{
    setBackground(Ui::kCream);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(20, 14, 20, 20);
    lay->setSpacing(10);
    Label1 = Ui::label("墨竹电子成绩册", this, "Label1");
    QFont title = Label1->font();
    title.setPixelSize(28);
    title.setBold(true);
    Label1->setFont(title);
    Label1->setAlignment(Qt::AlignCenter);
    Ui::setColour(Label1, Ui::kCream);
    QPalette p = Label1->palette();
    p.setColor(QPalette::WindowText, Ui::kNavy);
    Label1->setPalette(p);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    lay->addWidget(Label1);
    lay->addWidget(Memo1, 1);
    setFixedSize(600, 349);
}

void TFormnnn::FormShow()
{
    // The folder is shown as it is now: it is where the teacher's data lives.
    Memo1->setPlainText(QStringLiteral(
        "墨竹电子成绩册 2.1 版\n"
        "本软件适合广大中小学老师，领导处理及跟踪考试成绩资料\n"
        "录入一次考试的成绩，算出总分、三总、班排名和级排名，做出各科分析表和总分分段表；"
        "保存之后可按考试、科目、班级和学生查询，并画成图表。\n"
        "数据库文件：%1\n"
        "备份与还原：菜单“数据库系统操作”；使用方法：菜单“使用必读”。\n"
        "本软件是自由软件，按 GNU 通用公共许可证第 3 版或更新版本（GPL-3.0-or-later）发布，不提供任何担保。")
                               .arg(QDir::toNativeSeparators(Paths::databaseFile())));
}
