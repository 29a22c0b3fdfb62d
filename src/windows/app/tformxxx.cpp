#include "windows/app/tformxxx.h"

#include "windows/app/messages.h"
#include "engine/app/paths.h"
#include "engine/db/database.h"

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
    try {
        Db::open(Paths::databaseFile());
        m_connected = true;
    } catch (const Db::Error& e) {
        Msg::error(e.text());
        m_connected = false;
    }
}
