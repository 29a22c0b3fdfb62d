#include "windows/reports/tjiaoshigz.h"

#include "engine/db/gridmodel.h"
#include "engine/reports/history.h"
#include "windows/charts/trendchart.h"

#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QComboBox* listCombo(const QStringList& items, QWidget* parent, const QString& name)
{
    auto* box = Ui::editableCombo(parent, name, 0);
    box->addItems(items);
    box->setCurrentIndex(0);
    return box;
}

} // namespace

Tjiaoshigz::Tjiaoshigz() : Form(QStringLiteral("jiaoshigz"))
{
    resize(793, 529);
    setMinimumSize(680, 460);
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    Label1 = Ui::label("我要查", this, "Label1");
    Edit2 = Ui::edit("2", this, "Edit2");
    Edit2->setFixedWidth(44);
    Label2 = Ui::label("班", this, "Label2");
    c2 = listCombo({"语文", "数学", "英语", "政治", "物理", "化学"}, this, "c2");
    c1 = listCombo({"平均分排名", "及格率排名", "高分率排名", "低分率排名"}, this, "c1");
    c1->setMinimumWidth(120);
    Label3 = Ui::label("历次考试波动曲线", this, "Label3");
    Button2 = Ui::button("确定", this, "Button2");
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, Edit2, Label2, c2, c1, Label3, Button2})
        top->addWidget(w);
    top->addStretch(1);
    root->addLayout(top);

    trend = new Charts::TrendChart;
    trend->setTitle(QStringLiteral("教师业绩波动图"));
    Series1 = trend->line();
    Chart1 = new QChartView(trend, this);
    Chart1->setObjectName("Chart1");
    Chart1->setRenderHint(QPainter::Antialiasing);
    Chart1->setMinimumHeight(240);

    Query1 = new Db::GridModel(this);
    Query1->setObjectName("Query1");
    Query1->setReadOnly(true);
    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName("DBGrid2");
    DBGrid2->setModel(Query1);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette p = DBGrid2->palette();
    p.setColor(QPalette::Base, Ui::kMoneyGreen);
    p.setColor(QPalette::AlternateBase, Ui::kMoneyGreen.lighter(110));
    DBGrid2->setPalette(p);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(Chart1);
    split->addWidget(DBGrid2);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    root->addWidget(split, 1);

    Print::addChartActions(Chart1, this, [this] { return printJob(); });
    Print::addGridActions({DBGrid2}, this, [this] {
        return Print::Job{QStringLiteral("教师业绩"), QString(), Print::sheetOf({DBGrid2}, QStringLiteral("教师业绩")),
                          nullptr};
    });

    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tjiaoshigz::Button2Click);
    Ui::connectHandler(Edit2, &QLineEdit::returnPressed, this, &Tjiaoshigz::Button2Click);
    // A pick from either list redraws at once; a typed name when confirmed.
    for (QComboBox* box : {c1, c2}) {
        Ui::connectHandler(box, &QComboBox::activated, this, &Tjiaoshigz::Button2Click);
        Ui::connectHandler(box->lineEdit(), &QLineEdit::returnPressed, this, &Tjiaoshigz::Button2Click);
    }
}

void Tjiaoshigz::Button2Click()
{
    const qint64 cls = Ui::intOf(Edit2, "班号");
    const QString rank = History::checkedRankColumn(c1->currentText());
    trend->setBackgroundBrush(Qt::white);
    Query1->setQuery(History::teacherRecord(cls, c2->currentText()));
    Query1->open();
    QList<Charts::TrendPoint> points;
    for (const History::Point& pt : History::points(*Query1, rank, "考试名称"))
        points.append({pt.label, pt.value, Qt::red});
    trend->setRanks(true);
    trend->setPoints(points);
    Ui::fitColumns(DBGrid2, {40, 60, 70, 70, 70});
    // The title says whose record it is: the class, the subject and its teachers.
    QStringList teachers;
    for (int r = 0; r < Query1->rowCount(); ++r) {
        const QString t = Query1->value(r, QStringLiteral("科任教师")).toString().trimmed();
        if (!t.isEmpty() && !teachers.contains(t))
            teachers << t;
    }
    m_subject = QStringLiteral("%1班%2").arg(cls).arg(c2->currentText().trimmed());
    trend->setTitle(m_subject + QStringLiteral("历次考试") + rank + QStringLiteral("波动图")
                    + (teachers.isEmpty() ? QString() : QStringLiteral("（科任教师：%1）").arg(teachers.join(QStringLiteral("、")))));
}

Print::Job Tjiaoshigz::printJob() const
{
    return {QStringLiteral("教师成绩追踪图表"), m_subject, {}, Chart1};
}
