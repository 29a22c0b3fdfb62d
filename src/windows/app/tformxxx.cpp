#include "windows/app/tformxxx.h"

#include "windows/app/messages.h"
#include "engine/app/paths.h"
#include "engine/db/backup.h"
#include "engine/db/database.h"
#include "windows/app/forms.h"
#include "windows/app/tform6.h"

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
    // other: the second one ends here, and a database whose lock cannot be
    // taken opens read-only.
    m_lock = std::make_unique<Instance::Lock>(file);
    const Instance::Access access = Instance::accessFor(*m_lock, file);
    if (access.kind == Instance::Access::Refused) {
        Msg::error(access.message);
        m_lock.reset();
        m_connected = false;
        return;
    }
    try {
        if (access.kind == Instance::Access::ReadOnly) {
            Db::openReadOnly(file, access.why);
            Msg::warning(access.message);
            if (Forms::Form6)
                Forms::Form6->setWindowTitle(Forms::Form6->windowTitle() + QStringLiteral("（只读）"));
        } else {
            Db::open(file);
            // Copies left by backups that were killed halfway.
            Backup::removeLeftovers();
        }
        m_connected = true;
    } catch (const Db::Error& e) {
        Msg::error(e.text());
        m_connected = false;
    }
}
