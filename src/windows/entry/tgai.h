#pragma once
// Inserts a student into, or deletes one from, the re-entered roster cjn
// after it was prepared.

#include "windows/app/form.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class EntryGrid;
namespace Db { class GridModel; }

class Session;

class Tgai : public Form {
    Q_OBJECT
public:
    explicit Tgai(Session& session);

    QLabel* Label1;
    QLineEdit* Edit2; // 姓名
    QLabel* Label2;
    QLineEdit* Edit1; // 班号
    QLabel* Label3;
    QLineEdit* Edit3; // 学号
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
    EntryGrid* DBGrid1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    Db::GridModel* cjn() const { return m_cjn; }
    static inline const QString kTable = QStringLiteral("cjn");

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();

    // Reads the table again, keeping the current line.
    void refresh();

protected:
    void FormShow() override;
    void FormClose() override;
    void FormHide() override;

private:
    void reload(qint64 currentRowid, int fallbackRow);
    Db::GridModel* m_cjn;
    Session& m_session;
};
