#pragma once
// The please-wait window shown during long work.

#include "windows/app/form.h"

class TForm8 : public Form {
    Q_OBJECT
public:
    TForm8();
};

// Shows the please-wait window for its lifetime; it is hidden again however
// the work ends.
class PleaseWait {
public:
    PleaseWait();
    ~PleaseWait();
    PleaseWait(const PleaseWait&) = delete;
    PleaseWait& operator=(const PleaseWait&) = delete;
};
