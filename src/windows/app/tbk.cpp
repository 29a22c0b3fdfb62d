#include "windows/app/tbk.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/app/tform6.h"
#include "engine/app/paths.h"
#include "engine/db/backup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The progress window is put away however the copy ends.
class Copying {
public:
    Copying(QProgressDialog* dialog, const QString& text, bool cancellable) : m_dialog(dialog)
    {
        m_dialog->reset();
        if (cancellable)
            m_dialog->setCancelButtonText(QStringLiteral("取消"));
        else
            m_dialog->setCancelButton(nullptr);
        m_dialog->setLabelText(text);
        m_dialog->setRange(0, 0);
        m_dialog->setValue(0);
    }
    ~Copying() { m_dialog->reset(); }
    Copying(const Copying&) = delete;
    Copying& operator=(const Copying&) = delete;

private:
    QProgressDialog* m_dialog;
};

} // namespace

Tbk::Tbk() : Form(QStringLiteral("备份或还原"))
{
    setBackground(Ui::kSkyBlue);
    auto* outer = new QGridLayout(this);
    outer->setContentsMargins(12, 10, 12, 12);
    buildBackupGroup();
    buildRestoreGroup();

    // Both groups in the same place; the mode shows one of them.
    outer->addWidget(g1, 0, 0);
    outer->addWidget(g2, 0, 0);
    g2->hide();
    Label5->hide();
    buildProgress();
    setFixedSize(499, 196);
    connectHandlers();
}

void Tbk::buildBackupGroup()
{
    g1 = new QGroupBox(QStringLiteral("备份数据库"), this);
    g1->setObjectName("g1");
    auto* l1 = new QVBoxLayout(g1);
    Label1 = Ui::label("输入你备份的名字", g1, "Label1");
    Edit1 = Ui::edit("备份1", g1, "Edit1");
    Button1 = Ui::button("开始备份", g1, "Button1");
    Button1->setMinimumWidth(110);
    auto* row1 = new QHBoxLayout;
    row1->addWidget(Edit1, 1);
    row1->addWidget(Button1);
    Label2 = Ui::label(QString(), g1, "Label2");
    Label2->setWordWrap(true);
    l1->addWidget(Label1);
    l1->addLayout(row1);
    l1->addWidget(Label2);
    l1->addStretch(1);
}

void Tbk::buildRestoreGroup()
{
    g2 = new QGroupBox(QStringLiteral("还原数据库"), this);
    g2->setObjectName("g2");
    auto* l2 = new QVBoxLayout(g2);
    Label4 = Ui::label("输入你想还原的数据库名字", g2, "Label4");
    Label5 = Ui::label("即将还原成", g2, "Label5");
    c1 = Ui::editableCombo(g2, "c1", 0);
    Button2 = Ui::button("开始还原", g2, "Button2");
    Button2->setMinimumWidth(110);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(c1, 1);
    row2->addWidget(Button2);
    Label3 = Ui::label("还原之前，现在的数据库会先自动备份一份；还原后本程序关闭，重新开启即可使用。", g2, "Label3");
    Label3->setWordWrap(true);
    l2->addWidget(Label4);
    l2->addWidget(Label5);
    l2->addLayout(row2);
    l2->addWidget(Label3);
    l2->addStretch(1);
}

void Tbk::buildProgress()
{
    copying = new QProgressDialog(this);
    copying->setObjectName("copying");
    copying->setWindowTitle(QStringLiteral("正在复制..."));
    copying->setWindowModality(Qt::ApplicationModal);
    copying->setMinimumDuration(500);
    copying->setAutoClose(true);
    copying->setAutoReset(true);
    copying->reset();
}

void Tbk::connectHandlers()
{
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tbk::Button1Click);
    Ui::connectHandler(Edit1, &QLineEdit::returnPressed, this, &Tbk::Button1Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tbk::Button2Click);
}

void Tbk::FormShow()
{
    Label2->setText(QStringLiteral("备份放在数据库文件夹 %1 中").arg(QDir::toNativeSeparators(Paths::databaseDir())));
}

void Tbk::setMode(Mode mode)
{
    m_mode = mode;
    g1->setVisible(mode == Mode::Backup);
    g2->setVisible(mode != Mode::Backup);
    Label4->setVisible(mode == Mode::Restore);
    Label5->setVisible(mode == Mode::Blank);
}

void Tbk::fillRestoreList()
{
    c1->clear();
    c1->addItem(Backup::kBlankDatabase);
    c1->addItem(QString());
    // The backups already in the database folder, so that one can be picked.
    c1->addItems(Backup::restoreCandidates());
}

void Tbk::showMode(Mode mode)
{
    if (mode == Mode::Blank)
        Msg::info(kBlankWarning);
    setMode(mode);
    if (mode != Mode::Backup) {
        fillRestoreList();
        c1->setCurrentIndex(1);
        c1->setEditText(QString());
    }
    Forms::showWindow(this);
    if (mode == Mode::Blank)
        c1->setEditText(Backup::kBlankDatabase);
}

bool Tbk::progress(qint64 done, qint64 total)
{
    copying->setMaximum(int(qMax<qint64>(total, 1)));
    copying->setValue(int(qMin(done, total)));
    // Keeps the windows painted; input goes only to the progress window once it shows.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return !copying->wasCanceled();
}

void Tbk::Button1Click()
{
    const QString name = Edit1->text();
    Backup::BackupResult result;
    {
        Copying shown(copying, QStringLiteral("正在备份到“%1”……").arg(name), true);
        result = Backup::backupDatabase(name, [this](qint64 d, qint64 t) { return progress(d, t); });
    }
    if (result.cancelled) {
        Msg::info(QStringLiteral("备份已取消，没有写入任何文件。"), QStringLiteral("信息"));
        return;
    }
    QString where = QStringLiteral("已备份为数据库文件夹中的“%1”。").arg(result.name);
    if (result.renamed)
        where += QStringLiteral("（“%1”已经存在，没有覆盖它。）").arg(name);
    Msg::info(kBackedUp + "\n\n" + where, QStringLiteral("信息"));
}

void Tbk::Button2Click()
{
    const QString entry = c1->currentText();
    Backup::RestoreResult result;
    {
        Copying shown(copying, QStringLiteral("正在还原“%1”……").arg(entry), false);
        // A refused restore (bad name, missing or unsound source) changes
        // nothing and the program goes on; its message comes from the boundary.
        result = Backup::restoreDatabase(entry, [this](qint64 d, qint64 t) { return progress(d, t); });
    }
    const QString undo = QStringLiteral("原来的数据库已先备份为“%1”，如果还原错了，可以再还原这个名字。")
                             .arg(result.safetyName);
    if (result.copied)
        Msg::info(kRestored + "\n\n" + undo, QStringLiteral("信息"));
    else
        Msg::error(QStringLiteral("还原失败：%1。当前数据库没有改动。本程序将关闭，请重新开启程序。\n\n%2")
                       .arg(result.failure, undo));
    // The program is started again to use the restored database.
    hide();
    if (Forms::Form6)
        Forms::Form6->close();
}
