#pragma once
// The shared data holder: the one database connection, the exam-name tables
// and the names of the two saved tables the query windows read. Never shown.

#include "windows/app/form.h"
#include "engine/app/instancelock.h"
#include "engine/db/table.h"

#include <memory>

class QLineEdit;

class TFormxxx : public Form {
    Q_OBJECT
public:
    TFormxxx();
    void FormCreate() override;
    bool connected() const { return m_connected; }

    Db::Table ksmc{"ksmc"};
    Db::Table linshi{"linshi"};
    Db::Table ksmcfx{"ksmcfx"};
    Db::Table ksmcfd{"ksmcfd"};
    QLineEdit* maincjsave;
    QLineEdit* stj;

private:
    bool m_connected = false;
    // Held while the windows exist: a second start on the same database is refused.
    std::unique_ptr<Instance::Lock> m_lock;
};
