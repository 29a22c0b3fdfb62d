#pragma once
// The parameter panel: which classes and subjects the next run covers. It
// shows the session's settings and hands what the teacher chose back to it;
// its hidden fields mirror the session's table names and column suffix.

#include "windows/app/form.h"

#include <QStringList>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class Session;

class TForm2 : public Form {
    Q_OBJECT
public:
    explicit TForm2(Session& session);
    void FormCreate() override;

    // Hidden working settings.
    QLineEdit* dbs;    // working grade table, "cj" or "cjn"
    QLineEdit* fxs;    // analysis table, "fx"
    QLineEdit* tjs;    // band table, "tj"
    QLineEdit* cishuk; // column suffix, "1"
    // Visible settings.
    QLineEdit* banshu1;
    QLineEdit* banshu2;
    QCheckBox* CheckBox1;  // 语文
    QCheckBox* CheckBox2;  // 数学
    QCheckBox* CheckBox3;  // 英语
    QCheckBox* CheckBox4;  // 政治
    QCheckBox* CheckBox5;  // 物理
    QCheckBox* CheckBox6;  // 化学
    QCheckBox* CheckBox7;  // 生物, never visible
    QCheckBox* CheckBox8;  // 地理, never visible
    QCheckBox* CheckBox9;  // 历史, never visible
    QCheckBox* CheckBox10; // 综合
    QPushButton* Button1;

    // The ticked subjects in their fixed order.
    QStringList selectedSubjects() const;
    QCheckBox* subjectBox(const QString& subject) const;

public slots:
    void Button1Click();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void buildHiddenSettings();
    void buildTitle(QGroupBox* group, QVBoxLayout* lay);
    void buildClassRange(QGroupBox* group, QVBoxLayout* lay);
    void buildSubjectBoxes(QGroupBox* group, QVBoxLayout* lay);
    void connectHandlers();
    // The session's settings into the controls, and the controls' back.
    void showSettings();
    void applySettings();
    Session& m_session;
};
