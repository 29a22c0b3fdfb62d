#pragma once
// Bulk input: the roster (学号, 班号, 姓名) and the marks of the subjects,
// one student per line, typed or pasted into boxes.

#include "windows/app/form.h"
#include "engine/db/table.h"
#include "windows/entry/linebox.h"

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;


class Session;

class Tformin : public Form {
    Q_OBJECT
public:
    explicit Tformin(Session& session);

    // The temporary grade table the input fills; roster preparation points it.
    Db::Table Table1{"cj"};
    void openOn(const QString& table);
    QString tableName() const { return Table1.tableName(); }

    QGroupBox* GroupBox1;
    LineBox* Memo4; // 学号
    LineBox* Memo2; // 班号
    LineBox* Memo1; // 姓名
    QCheckBox* CheckBox2;  // 跳过初始输入
    QGroupBox* GroupBox2;
    QCheckBox* CheckBox1;  // 批量录入成绩
    QCheckBox *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6, *CheckBox7, *CheckBox8, *CheckBox9;
    LineBox *Memo3, *Memo6, *Memo7, *Memo8, *Memo9, *Memo10, *Memo11;
    QLabel* Label5;
    QLineEdit* Edit3; // suffix of the mark columns
    QPushButton* Button1;
    QPushButton* Button3;
    QPushButton* Button2;
    QPushButton* Button4; // 从文件导入…

    // The subject boxes in their fixed order, with the check box above each.
    QList<std::pair<QCheckBox*, QPlainTextEdit*>> subjectBoxes() const;
    // Every box in its on-screen order, left to right, with its title.
    QList<std::pair<QString, LineBox*>> allBoxes() const;
    // A block of tab-separated columns pasted into a box: after a question
    // that shows which column goes where, its columns replace the text of
    // that box and the boxes to its right; mark boxes that receive a column
    // are ticked. Declined, the block is pasted into the box as it is.
    void spreadColumns(LineBox* into, const QString& text);

    static inline const QString kNothing = QStringLiteral("没有要输入的内容：勾选了“跳过初始输入”，却没有勾选“批量录入成绩”");
    static inline const QString kConfirm = QStringLiteral("你准备进行初始输入，这会删除以前所有数据！你ok吗？");

public slots:
    void Button1Click();
    void Button3Click();
    void Button2Click();
    void Button4Click();

private:
    void buildRosterGroup(QHBoxLayout* boxes);
    void buildMarksGroup(QHBoxLayout* boxes);
    void buildHiddenSuffix();
    void buildButtons(QVBoxLayout* lay);
    // The boxes scroll together and spread a pasted block of columns.
    void linkBoxes();
    void connectHandlers();

    bool m_scrolling = false;
    Session& m_session;
};
