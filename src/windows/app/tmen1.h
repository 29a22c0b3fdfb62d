#pragma once
// The viewing-code prompt in front of the class ranking by rate.

#include "windows/app/form.h"

class QLineEdit;
class QPushButton;
class QLabel;

class Tmen1 : public Form {
    Q_OBJECT
public:
    // The code the grade's head gives the teachers who may see class rankings.
    static constexpr const char* kViewingCode = "357";

    Tmen1();
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Edit1;
    QPushButton* Button1;

public slots:
    void Button1Click();
};
