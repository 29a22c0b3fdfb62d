#pragma once
// The temporary total-score statistics: the band table the processing panel
// has just computed, with a quick look at the average row, saved for good
// under the examination's name and number.

#include "windows/app/form.h"
#include "windows/app/printing.h"

class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class FrozenGrid;
class ResultView;
namespace Db { class GridModel; }

class Session;

class TForm5 : public Form, public Print::Printable {
    Q_OBJECT
public:
    explicit TForm5(Session& session);
    // The table as the grids show it, for printing and export.
    Print::Job printJob() const override;

    FrozenGrid* grid;
    ResultView* DBGrid1; // the wide grid
    ResultView* DBGrid2; // 上限 and 下限
    QFrame* Panel1;
    QPushButton* Button1;
    QPushButton* Button3;
    QGroupBox* GroupBox2;
    QLabel* Label4;
    QLineEdit* Edit2; // examination name
    QLabel* Label3;
    QLineEdit* Edit3; // examination number
    QPushButton* Button4;
    Db::GridModel* Table1; // the band table
    Db::GridModel* Query1; // its average row

    static constexpr int kFrozen = 2;

    void setExam(const QString& name, const QString& number);
    // What the band run does when it ends.
    void showResult(const QString& tjTable);
    // Points the grids at a band table and reads it.
    void openTable(const QString& tjTable);
    QString tableName() const { return m_table; }

public slots:
    void Button1Click(); // reload the band table
    void Button3Click(); // only the average row
    void Button4Click(); // save permanently

protected:
    void FormShow() override;

private:
    void buildGrid(QVBoxLayout* root);
    void buildBelow(QVBoxLayout* root);
    void buildSaveGroup(QHBoxLayout* below);
    void buildModels();
    void connectHandlers();

    QString m_table = QStringLiteral("tj");
    Session& m_session;
};
