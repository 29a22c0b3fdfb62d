#include "windows/charts/tsppict1.h"

#include "engine/db/gridmodel.h"
#include "engine/reports/history.h"
#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/app/tformxxx.h"
#include "windows/charts/chartkit.h"
#include "windows/charts/trendchart.h"
#include "windows/charts/tsppict2.h"
#include "windows/reports/savedlists.h"

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>

namespace {

const QString kPointLabel = QStringLiteral("s");


} // namespace

Tsppict1::Tsppict1() : Form(QStringLiteral("sppict1"))
{
    resize(795, 535);
    setMinimumSize(700, 460);
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    buildClassGroup(top);
    buildExamGroup(top);
    buildDoneGroup(top);
    buildOptionsGroup(top);
    root->addLayout(top);
    buildChart(root);
    buildQueries();
    connectHandlers();
}

void Tsppict1::buildClassGroup(QHBoxLayout* top)
{
    GroupBox1 = new QGroupBox("选择班", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* classes = new QGridLayout(GroupBox1);
    Label1 = Ui::label("第一个班", GroupBox1, "Label1");
    Edit2 = Ui::edit("1", GroupBox1, "Edit2");
    Label4 = Ui::label("第二个班", GroupBox1, "Label4");
    Edit3 = Ui::edit("2", GroupBox1, "Edit3");
    for (QLineEdit* e : {Edit2, Edit3})
        e->setFixedWidth(44);
    // The label says which curve is which.
    Label1->setStyleSheet("color: red;");
    Label4->setStyleSheet("color: blue;");
    classes->addWidget(Label1, 0, 0);
    classes->addWidget(Edit2, 0, 1);
    classes->addWidget(Label4, 1, 0);
    classes->addWidget(Edit3, 1, 1);
    top->addWidget(GroupBox1);
}

void Tsppict1::buildExamGroup(QHBoxLayout* top)
{
    GroupBox2 = new QGroupBox("选择考试以及科目", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* pick = new QVBoxLayout(GroupBox2);
    c1 = Ui::editableCombo(GroupBox2, "c1", 80);
    c1->setEditText("总分");
    ksmc = Ui::editableCombo(GroupBox2, "ksmc", 220);
    ksmc->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    pick->addWidget(c1);
    pick->addWidget(ksmc);
    top->addWidget(GroupBox2, 1);
}

void Tsppict1::buildDoneGroup(QHBoxLayout* top)
{
    GroupBox4 = new QGroupBox("完成", this);
    GroupBox4->setObjectName("GroupBox4");
    GroupBox4->setAutoFillBackground(true);
    Ui::setColour(GroupBox4, Ui::kSkyBlue);
    auto* done = new QVBoxLayout(GroupBox4);
    Button1 = Ui::button("我想只查第一个班", GroupBox4, "Button1");
    SpeedButton1 = Ui::button("我要看对比曲线", GroupBox4, "SpeedButton1");
    done->addWidget(Button1);
    done->addWidget(SpeedButton1);
    top->addWidget(GroupBox4);
}

void Tsppict1::buildOptionsGroup(QHBoxLayout* top)
{
    GroupBox3 = new QGroupBox("高级选项", this);
    GroupBox3->setObjectName("GroupBox3");
    auto* more = new QVBoxLayout(GroupBox3);
    che2 = Ui::check("无序分布", false, GroupBox3, "che2");
    che3 = Ui::check("看更详细的信息", false, GroupBox3, "che3");
    Button2 = Ui::button("帮助", GroupBox3, "Button2");
    more->addWidget(che2);
    more->addWidget(che3);
    more->addWidget(Button2);
    top->addWidget(GroupBox3);
}

void Tsppict1::buildChart(QVBoxLayout* root)
{
    chart = new QChart;
    Charts::styleTitle(chart, QStringLiteral("班成绩分布曲线"), Charts::cjkFont(16, true));
    Series1 = new QLineSeries(chart);
    Series1->setColor(Qt::red);
    Series1->setPointsVisible(true);
    Series1->setMarkerSize(1); // drawn with this radius: a 2-pixel dot
    Series2 = new QLineSeries(chart);
    Series2->setColor(Qt::blue);
    chart->addSeries(Series1);
    chart->addSeries(Series2);
    axisX = new Charts::PointAxis(chart);
    axisY = new QValueAxis(chart);
    axisY->setLabelFormat(QStringLiteral("%d"));
    axisY->setLabelsFont(Charts::cjkFont(12));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (QLineSeries* s : {Series1, Series2}) {
        s->attachAxis(axisX);
        s->attachAxis(axisY);
    }
    Charts::fitReversedAxis(axisY, {}, true);
    // The key names each curve by its class and subject, on screen and on paper.
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setFont(Charts::cjkFont(12));
    chart->legend()->show();
    connect(chart, &QChart::plotAreaChanged, axisX, [this](const QRectF& r) { axisX->fit(r.width()); });
    Chart1 = new QChartView(chart, this);
    Chart1->setObjectName("Chart1");
    Chart1->setRenderHint(QPainter::Antialiasing);
    root->addWidget(Chart1, 1);
    Print::addChartActions(Chart1, this, [this] { return printJob(); });
}

void Tsppict1::buildQueries()
{
    Query1 = new Db::GridModel(this);
    Query1->setObjectName("Query1");
    Query1->setReadOnly(true);
    Query2 = new Db::GridModel(this);
    Query2->setObjectName("Query2");
    Query2->setReadOnly(true);
}

void Tsppict1::connectHandlers()
{
    Ui::connectHandler(SpeedButton1, &QPushButton::clicked, this, &Tsppict1::SpeedButton1Click);
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tsppict1::Button1Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tsppict1::Button2Click);
    // A subject picked, or typed and confirmed, redraws both curves.
    Ui::connectHandler(c1, &QComboBox::activated, this, &Tsppict1::SpeedButton1Click);
    Ui::connectHandler(c1->lineEdit(), &QLineEdit::returnPressed, this, &Tsppict1::SpeedButton1Click);
}

void Tsppict1::FormShow()
{
    SavedLists::fillItems(c1, History::classSubjects());
    SavedLists::fillExams(ksmc);
}

void Tsppict1::openQueries()
{
    const qint64 first = Ui::intOf(Edit2, "第一个班");
    const qint64 second = Ui::intOf(Edit3, "第二个班");
    const QString table = History::kSavedGrades;
    const QString subject = History::checkedSubject(c1->currentText(), table);
    chart->setBackgroundBrush(Qt::white);
    Query1->setQuery(History::classCurve(first, subject, ksmc->currentText(), che2->isChecked(), table));
    Query2->setQuery(History::classCurve(second, subject, ksmc->currentText(), che2->isChecked(), table));
    Query1->open();
    Query2->open();
}

void Tsppict1::draw(bool both)
{
    openQueries();
    const QString rank = History::curveColumn(c1->currentText());
    const auto red = History::points(*Query1, rank, {}, kPointLabel);
    const auto blue = both ? History::points(*Query2, rank, {}, kPointLabel) : QList<History::Point>{};
    QList<QPointF> xy1, xy2;
    QList<double> values;
    for (int i = 0; i < red.size(); ++i) {
        xy1 << QPointF(i, red.at(i).value);
        values << red.at(i).value;
    }
    for (int i = 0; i < blue.size(); ++i) {
        xy2 << QPointF(i, blue.at(i).value);
        values << blue.at(i).value;
    }
    Series1->replace(xy1);
    Series2->replace(xy2);
    Charts::fitReversedAxis(axisY, values, true);
    QStringList labels;
    for (qsizetype i = 0; i < std::max(red.size(), blue.size()); ++i)
        labels << kPointLabel;
    axisX->setPointLabels(labels);
    axisX->fit(chart->plotArea().width());
    const QString c1Text = Edit2->text().trimmed();
    const QString c2Text = Edit3->text().trimmed();
    QString title = ksmc->currentText() + " " + c1Text + "班与" + c2Text + "班" + c1->currentText() + "科"
        + "全班成绩波动对比图";
    // The curves hold the rows of every examination the beginning names.
    const QStringList exams = History::examsMatching(ksmc->currentText(),
                                                     History::kSavedGrades);
    if (exams.size() > 1)
        title += QStringLiteral("\n（“%1”找到%2次考试，曲线包括它们全部：%3）")
                     .arg(History::trimEnd(ksmc->currentText()))
                     .arg(exams.size())
                     .arg(exams.join(QStringLiteral("、")));
    chart->setTitle(title);
    Series1->setName(c1Text + "班 " + c1->currentText() + "（红）");
    Series2->setName(c2Text + "班 " + c1->currentText() + "（蓝）");
    // The first class alone has one curve to name.
    for (QLegendMarker* m : chart->legend()->markers(Series2))
        m->setVisible(both);

    if (!Forms::sppict2)
        return;
    if (!both) {
        Forms::sppict2->clearRed();
        return;
    }
    if (!che3->isChecked())
        return;
    // The detail names every student beside the point of their rank.
    auto named = [&rank](const Db::GridModel& rows) {
        QList<Charts::NamedPoint> out;
        for (int r = 0; r < rows.rowCount(); ++r)
            out.append({rows.value(r, "姓名").toString(), rows.value(r, rank).toDouble()});
        return out;
    };
    Forms::sppict2->setCurves(title, Series1->name(), named(*Query1), Series2->name(), named(*Query2));
    Forms::showWindow(Forms::sppict2);
}

void Tsppict1::SpeedButton1Click()
{
    draw(true);
}

void Tsppict1::Button1Click()
{
    draw(false);
}

void Tsppict1::Button2Click()
{
    Msg::info("本曲线由某次考试全班成绩组成，曲线上一个点即是一个人的成绩，默认是按高低排序。你也可以选择无序");
}

Print::Job Tsppict1::printJob() const
{
    return {QStringLiteral("班成绩分布曲线对比"), ksmc->currentText(), {}, Chart1};
}
