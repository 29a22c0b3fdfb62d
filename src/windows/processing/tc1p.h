#pragma once
// Asks before an examination whose marks were saved is processed again.

#include "windows/app/form.h"

class QLabel;
class QPushButton;

class Session;

class Tc1p : public Form {
    Q_OBJECT
public:
    explicit Tc1p(Session& session);
    QLabel* Label1;
    QPushButton* Button1; // 是
    QPushButton* Button2; // 否

public slots:
    void Button1Click();
    void Button2Click();
private:
    Session& m_session;
};
