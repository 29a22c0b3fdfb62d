#pragma once
// The temporary analysis table: the subject analysis the processing panel
// has just computed, where the user types each class's teacher, and from
// where it is saved for good under the examination's name and number.

#include "windows/app/form.h"
#include "windows/app/printing.h"

#include <QStringList>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class FrozenGrid;
class ResultView;
namespace Db { class GridModel; }

class Session;

class TFormfx : public Form, public Print::Printable {
    Q_OBJECT
public:
    explicit TFormfx(Session& session);
    // The table as the grids show it, for printing and export.
    Print::Job printJob() const override;

    QLabel* Label4;
    QLineEdit* Edit4; // examination name
    QLabel* Label2;
    QLineEdit* Edit1; // examination number
    QLabel* Label1;
    FrozenGrid* grid;
    ResultView* DBGrid1; // the wide grid
    ResultView* DBGrid2; // the leading columns
    QFrame* Panel1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    // The analysis table behind both grids; only 科任教师 takes edits.
    Db::GridModel* Table1;

    // The analysis table's columns in the order the grids show them.
    static const QStringList& shownColumns();
    static constexpr int kFrozen = 3; // 科目, 班号, 科任教师

    // The examination the next save is made under (the exam-name window
    // hands it over; showing the window reads the current one again).
    void setExam(const QString& name, const QString& number);
    // What the analysis run does when it ends: the window on screen with
    // the table the run wrote.
    void showResult(const QString& fxTable);
    // Points the grids at an analysis table and reads it.
    void openTable(const QString& fxTable);
    // The table the grids were last pointed at: the one a save copies.
    QString tableName() const { return m_table; }

public slots:
    void Button1Click(); // reload
    void Button2Click(); // save permanently
    void Button3Click(); // close

protected:
    void FormShow() override;

private:
    void buildExamRow(QVBoxLayout* root);
    void buildGrid(QVBoxLayout* root);
    void buildButtons(QVBoxLayout* root);
    void buildModel();
    void connectHandlers();

    QString m_table = QStringLiteral("fx");
    bool m_editRefused = false;
    Session& m_session;
};
