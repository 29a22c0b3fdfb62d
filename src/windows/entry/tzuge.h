#pragma once
// Adds the students of a new roster one at a time.

#include "windows/app/form.h"

class QLineEdit;
class QPushButton;
class QTableView;
namespace Db { class GridModel; }

class Session;

class Tzuge : public Form {
    Q_OBJECT
public:
    explicit Tzuge(Session& session);

    QLineEdit* name; // 姓名
    QLineEdit* ban;  // 班号
    QLineEdit* xue;  // 学号
    QPushButton* Button1;
    QTableView* db1;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button2;

    // The table the students go into: the bulk input window's.
    QString tableName() const;
    Db::GridModel* rows() const { return m_rows; }

public slots:
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button2Click();

    // Reads the table again, keeping the current line.
    void refresh();

protected:
    void FormShow() override;

private:
    void reload(int currentRow);
    Db::GridModel* m_rows;
    Session& m_session;
};
