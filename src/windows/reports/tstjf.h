#pragma once
// The total-score band tables saved in past examinations: one examination's
// band rows, or only its average row, and the settings of the band pie that
// charts them.

#include "windows/app/form.h"
#include "windows/app/printing.h"

namespace Reports { struct ChartData; }

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class FrozenGrid;
class ResultView;
namespace Db { class GridModel; struct SelectSpec; }

class Tstjf : public Form, public Print::Printable {
    Q_OBJECT
public:
    Tstjf();

    QFrame* Panel1;
    QLabel* Label5;
    QComboBox* c1; // examination name; may be typed
    QPushButton* Button1;
    QPushButton* Button4;
    FrozenGrid* grid;
    ResultView* DBGrid1; // the wide grid
    ResultView* DBGrid2; // 上限 and 下限
    QFrame* Panel2;
    QGroupBox* GroupBox1;
    QLabel* Label6;
    QLineEdit* Edit1; // the class to chart
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* duanshu; // slices of the chart
    QLabel* Label3;
    QLineEdit* jiange; // band rows per slice
    QLabel* Label4;
    QCheckBox* ch; // the whole grade instead of one class
    QCheckBox* qita; // the students outside the merged bands as one more slice
    QPushButton* Button2;
    // The open result: read by the band pie.
    Db::GridModel* Query1;

    static constexpr int kFrozen = 2;

    Print::Job printJob() const override;
    // The band pie of the open rows and the chart settings; a clear message
    // for a setting that is not a number, a class without a column or a
    // count that is not a number.
    Reports::ChartData pieData() const;

public slots:
    void Button1Click(); // the saved rows of the examination
    void Button4Click(); // only its average row
    void Button3Click(); // the rows, then the band pie

protected:
    void FormShow() override;

private:
    void buildQueryBar(QVBoxLayout* root);
    void buildGrid(QVBoxLayout* root);
    void buildChartGroup(QVBoxLayout* root);
    void buildModel();
    void connectHandlers();
    QString savedTable() const;
    void run(const Db::SelectSpec& query);
};
