#pragma once
// The about window.

#include "windows/app/form.h"

class QLabel;
class QPlainTextEdit;

class TFormnnn : public Form {
    Q_OBJECT
public:
    TFormnnn();
    QLabel* Label1;
    QPlainTextEdit* Memo1;

protected:
    void FormShow() override;
};
