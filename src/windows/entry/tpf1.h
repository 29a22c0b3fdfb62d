#pragma once
// Roster preparation: enter the roster of the new examination afresh (in bulk
// or one student at a time) or keep the last one, its marks optionally zeroed.

#include "windows/app/form.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

class Session;

class Tpf1 : public Form {
    Q_OBJECT
public:
    explicit Tpf1(Session& session);

    QLabel* Label1;
    QGroupBox* GroupBox2;
    QPushButton* Button1; // 批量录入
    QPushButton* Button4; // 逐个录入
    QGroupBox* GroupBox3;
    QPushButton* Button2; // 利用上次录入的数据库
    QCheckBox* CheckBox1;

public slots:
    void Button1Click();
    void Button4Click();
    void Button2Click();
private:
    Session& m_session;
};
