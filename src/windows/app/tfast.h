#pragma once
// Never shown: building it puts the program's entry on the desktop, at every start.

#include "windows/app/form.h"

class Tfast : public Form {
    Q_OBJECT
public:
    Tfast();
    void FormCreate() override;
    // The entry written at this start; empty when the user has no desktop folder.
    QString entry() const { return m_entry; }

private:
    QString m_entry;
};
