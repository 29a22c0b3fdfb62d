#pragma once
// The analysis rows saved in past examinations: one examination, one subject
// and one class or a range of classes, or every saved row; the first row
// found goes to the band pie and the top-N bars.

#include "engine/reports/chartdata.h"
#include "windows/app/form.h"
#include "windows/app/printing.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class FrozenGrid;
class ResultView;
namespace Db { class GridModel; }

class Tsearch : public Form, public Print::Printable {
    Q_OBJECT
public:
    Tsearch();

    QFrame* Panel1;
    QLabel* Label5;
    QComboBox* ComboBox1; // examination name
    QComboBox* c1;        // subject
    QLabel* Label3;
    QLineEdit* banhao; // first class, or the one class
    QLabel* Label7;
    QLineEdit* banhao2; // last class
    QLabel* Label4;
    QCheckBox* cx; // only the class of banhao
    QPushButton* Button1;
    QPushButton* Button4;
    QPushButton* Button7;
    QPushButton* Button2;
    QPushButton* Button3;
    FrozenGrid* grid;
    ResultView* DBGrid1; // the wide grid
    ResultView* DBGrid2; // 科目, 班号, 科任教师
    Db::GridModel* Query1;

    static constexpr int kFrozen = 3;

    Print::Job printJob() const override;

public slots:
    void Button1Click(); // query and show
    void Button4Click(); // query, then the band pie
    void Button7Click(); // query, then the top-N bars
    void Button2Click(); // every saved row
    void Button3Click(); // close

protected:
    void FormShow() override;

private:
    void buildQueryPanel(QVBoxLayout* root);
    void buildConditions(QVBoxLayout* panel);
    void buildButtons(QVBoxLayout* panel);
    void buildGrid(QVBoxLayout* root);
    void buildModel();
    void connectHandlers();
    void conditionalQuery();
    // The first row found, or a clear message and nothing when none was.
    bool firstRow(QVariantMap& row);

    Reports::ChartTitle m_chartTitle;
    QString m_shownExam; // the examination the grid shows (empty: all of them)
};
