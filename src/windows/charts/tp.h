#pragma once
// The score-band pie of one class in one subject, from a saved analysis row
// the saved analysis query hands over in hidden inputs.

#include "windows/charts/chartform.h"

#include <QList>

class QLineEdit;
class QPushButton;
namespace Reports { struct ChartData; }

class Tp : public ChartForm {
    Q_OBJECT
public:
    Tp();

    // Hidden inputs, filled by the opener: 90到100, 80到90, 70到80, 60到70,
    // 50到60, 40到50, 100到110, 110到120, 人数, 30到40, 20到30, 10到20, 1到9, 0分,
    // and the full marks 120分, counted in the top slice.
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit7, *Edit8, *Edit9, *Edit10, *Edit11,
        *Edit12, *Edit13, *Edit14, *Edit15;
    QPushButton* Button1; // 关闭窗口

    QList<QLineEdit*> inputs() const;
    // What the inputs make; a clear message when one is not a whole number.
    Reports::ChartData chartData() const override;

public slots:
    void Button1Click();

private:
    void draw(const Reports::ChartData& d) override;
};
