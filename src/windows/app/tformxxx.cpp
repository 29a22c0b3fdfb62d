#include "windows/app/tformxxx.h"

#include "windows/app/messages.h"
#include "engine/app/paths.h"
#include "engine/db/database.h"

#include <QDir>
#include <QLineEdit>

TFormxxx::TFormxxx() : Form(QStringLiteral("墨竹成绩册-欢迎！！！"))
{
    maincjsave = Ui::edit("cjsave", this, "maincjsave");
    stj = Ui::edit("tjsave1", this, "stj");
    maincjsave->hide();
    stj->hide();
    maincjsave->setReadOnly(true);
    stj->setReadOnly(true);
}

void TFormxxx::FormCreate()
{
    const QString file = Paths::databaseFile();
    // Two copies on one database would edit the same examination over each
    // other; the second one ends here. A folder where no lock file can be
    // made is not guarded: opening the database reports what is wrong there.
    m_lock = std::make_unique<Instance::Lock>(file);
    if (m_lock->state() == Instance::Lock::State::TakenByOther) {
        Msg::error(QStringLiteral("程序已经打开了数据库“%1”%2，不能再打开一次：两个窗口同时修改同一次考试会互相覆盖。"
                                  "请切换到已经打开的那个程序窗口；如果看不到它，请先把它关闭再重新打开。")
                       .arg(QDir::toNativeSeparators(file),
                            m_lock->holder() > 0 ? QStringLiteral("（进程号%1）").arg(m_lock->holder()) : QString()));
        m_lock.reset();
        m_connected = false;
        return;
    }
    try {
        Db::open(file);
        m_connected = true;
    } catch (const Db::Error& e) {
        Msg::error(e.text());
        m_connected = false;
    }
}
