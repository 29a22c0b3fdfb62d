#pragma once
// The subject and class query: the saved marks and ranks of one examination
// for one class or a range of classes, one subject at a time, in one of five
// orders or filtered by a grade-rank threshold; or every column of one
// class's saved rows. It reads the saved tables and writes nothing.

#include "engine/reports/history.h"
#include "windows/app/form.h"
#include "windows/app/printing.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QVBoxLayout;
class FrozenGrid;
namespace Db { class GridModel; }

class Tchaxun : public Form, public Print::Printable {
    Q_OBJECT
public:
    Tchaxun();

    QGroupBox* GroupBox1;
    QLineEdit* Edit2; // first class (the one class)
    QLineEdit* Edit3; // last class
    QComboBox* c1;    // subject
    QComboBox* ksmc;  // examination
    QRadioButton* a;  // raw score
    QRadioButton* b;  // class rank
    QRadioButton* c;  // grade rank
    QCheckBox* cx;    // only class Edit2
    QPushButton* Button1;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button2;
    QPushButton* Button5;
    QLineEdit* Edit1; // threshold of Button5
    QPushButton* Button6;
    QLineEdit* ming;  // threshold of Button6
    QLineEdit* shumu1; // hidden: first column suffix
    QLineEdit* shumu;  // hidden: last column suffix
    QGroupBox* GroupBox2;
    QLineEdit* Edit5;     // font size
    QComboBox* ComboBox2; // text colour
    QComboBox* ComboBox1; // background colour
    FrozenGrid* grid;
    QTableView* DBGrid1; // the wide grid; the narrow one keeps 班号, 学号, 姓名 in view
    Db::GridModel* Query1; // read only: the saved rows are never edited here
    static constexpr int kFrozen = 3;    // 班号, 学号, 姓名
    static constexpr int kFrozenAll = 7; // ID ... 姓名 of a whole saved row
    QList<QTableView*> views() const;

    // A save of an examination's marks names it here at once, chosen.
    void addExam(const QString& name);

    Print::Job printJob() const override;

public slots:
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button2Click();
    void ComboBox2Change();
    void ComboBox1Change();

protected:
    void FormShow() override;

private:
    // The constructor's steps, one per group of controls, in creation order.
    void buildConditionsGroup(QVBoxLayout* left);
    void buildOrderButtons(QVBoxLayout* left);
    void buildFilterButtons(QVBoxLayout* left);
    void buildDisplayGroup(QHBoxLayout* top);
    void buildHiddenRange();
    void buildGrid(QVBoxLayout* root);
    void connectHandlers();

    // Every input is checked before the grid lets go of what it shows.
    History::ClassQuery settings() const;
    void run(History::ClassOrder order, qint64 threshold = 0);
    QString savedTable() const;
};
