// Charts read back through their series and axes, never through pixels.
#include "windows/charts/chartkit.h"
#include "windowtest.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

using namespace Charts;

static QChartView *show(QChart *c, QSize s = {760, 520})
{
    auto *v = new QChartView(c);
    v->resize(s);
    v->show();
    QApplication::processEvents();
    return v;
}

static QList<Slice> slices(const QList<double> &v)
{
    QList<Slice> out;
    for (int i = 0; i < v.size(); ++i) out.append({QStringLiteral("段%1").arg(i), v[i]});
    return out;
}

class TestCharts : public QObject {
    Q_OBJECT
private slots:
    void pieReadBackAndLabelVisibility()
    {
        const QList<double> v{1, 0, 4, 9, 21, 37, 44, 38, 25, 12, 5, 2, 1};
        QScopedPointer<QChartView> view(show(makeValuePie(QStringLiteral("t"), slices(v))));
        auto *s = qobject_cast<QPieSeries *>(view->chart()->series().value(0));
        QVERIFY(s);
        QCOMPARE(s->count(), 13);
        QCOMPARE(s->slices().at(5)->label(), QStringLiteral("段5 37"));   // label + value
        QCOMPARE(s->slices().at(5)->value(), 37.0);
        int hidden = 0;
        for (QPieSlice *sl : s->slices()) {
            QCOMPARE(sl->labelPosition(), QPieSlice::LabelOutside);
            if (sl->value() == 0) QVERIFY(!sl->isLabelVisible());
            if (sl->value() >= 20) QVERIFY2(sl->isLabelVisible(), qPrintable(sl->label()));
            hidden += !sl->isLabelVisible();
        }
        const auto markers = view->chart()->legend()->markers(s);   // legend lists every band
        QCOMPARE(markers.size(), 13);
        QCOMPARE(markers.at(1)->label(), QStringLiteral("段1 0"));
        QVERIFY(hidden >= 2);           // the 1,1,2 cluster cannot all be labelled
        QVERIFY(hidden <= 5);
    }

    void pieEqualSlicesKeepAllLabels()
    {
        QScopedPointer<QChartView> view(show(makeBandPie(QStringLiteral("t"), slices({5, 5, 5, 5, 5, 5}))));
        auto *s = qobject_cast<QPieSeries *>(view->chart()->series().value(0));
        for (QPieSlice *sl : s->slices()) QVERIFY(sl->isLabelVisible());
        QCOMPARE(view->chart()->legend()->alignment(), Qt::AlignRight);
    }

    void startAngleCentresWrappedSmallRun()
    {
        // small run wraps around the end: indices 3,4,0 (1+1+1 of 103)
        const QList<Slice> sl = slices({1, 50, 50, 1, 1});
        const qreal start = startAngleForSmallSlices(sl, 0.05);
        const qreal midOfSlice4 = start + 360.0 * (1 + 50 + 50 + 1 + 0.5) / 103;
        QCOMPARE(std::fmod(midOfSlice4 + 720, 360.0), 90.0);
        QCOMPARE(startAngleForSmallSlices(slices({10, 10, 10}), 0.05), 0.0);   // none small
        QCOMPARE(startAngleForSmallSlices(slices({1, 1, 1}), 0.5), 0.0);       // all small
        QCOMPARE(startAngleForSmallSlices(slices({0, 0}), 0.5), 0.0);          // empty pie
    }

    void barsOneColouredSetPerCategory()
    {
        const QStringList cats{"本班45人", "级前100名7%", "级前200名18%"};
        QScopedPointer<QChartView> view(show(makeColouredBars(QStringLiteral("t"), cats, {45, 3, 8})));
        auto *bars = qobject_cast<QStackedBarSeries *>(view->chart()->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->count(), 3);
        const QList<double> values{45, 3, 8};
        QSet<QRgb> colours;
        for (int i = 0; i < 3; ++i) {
            QBarSet *set = bars->barSets().at(i);
            for (int j = 0; j < 3; ++j) QCOMPARE(set->at(j), i == j ? values[i] : 0.0);
            colours.insert(set->color().rgb());
        }
        QCOMPARE(colours.size(), 3);
        auto *ax = qobject_cast<QBarCategoryAxis *>(view->chart()->axes(Qt::Horizontal).value(0));
        QCOMPARE(ax->categories(), cats);
    }

    void trendAxesPointsAndColours()
    {
        QStringList exams;
        for (int i = 0; i < 10; ++i) exams << QStringLiteral("%1学年第一学期期中考试").arg(2016 + i);
        exams[9] = exams[8];   // duplicate exam name must not lose a category
        const QList<double> ranks{35, 12, 48, 7, 1, 22, 15, 60, 9, 3};
        QList<QColor> cols(10, Qt::blue);
        cols[4] = Qt::red;
        QScopedPointer<QChartView> view(show(makeRankTrend(QStringLiteral("t"), exams, ranks, cols)));
        QChart *c = view->chart();
        auto *ay = qobject_cast<QValueAxis *>(c->axes(Qt::Vertical).value(0));
        auto *ax = qobject_cast<QBarCategoryAxis *>(c->axes(Qt::Horizontal).value(0));
        QVERIFY(ay && ay->isReverse());
        QVERIFY(ay->min() <= 1 && ay->max() >= 60);
        QCOMPARE(ax->count(), 10);
        QVERIFY(!ax->labelsTruncated());
        QCOMPARE(ax->categories().first(), QStringLiteral("2016学年<br>第一学期<br>期中考试"));
        auto *dots = qobject_cast<QScatterSeries *>(c->series().value(1));
        QVERIFY(dots && dots->pointLabelsVisible());
        QCOMPARE(dots->count(), 10);
        QCOMPARE(dots->at(7), QPointF(7, 60));
        QCOMPARE(dots->pointConfiguration(4).value(QXYSeries::PointConfiguration::Color).value<QColor>(),
                 QColor(Qt::red));
        QVERIFY(!c->legend()->isVisible());
    }

    void axisLabelHelpers()
    {
        QCOMPARE(wrapForAxis(QStringLiteral("2025学年第一学期期中考试"), 6),
                 QStringLiteral("2025学年<br>第一学期<br>期中考试"));
        QCOMPARE(wrapForAxis(QStringLiteral("一二三四五六七八"), 5), QStringLiteral("一二三四五<br>六七八"));
        QCOMPARE(wrapForAxis(QStringLiteral("月考"), 6), QStringLiteral("月考"));
        const QStringList u = uniqueCategories({"月考", "月考", "期中", "月考"});
        QCOMPARE(QSet<QString>(u.begin(), u.end()).size(), 4);
        QCOMPARE(u.at(0), QStringLiteral("月考"));
    }

    void namedPointLabelsDoNotOverlap()
    {
        QList<NamedPoint> a, b;
        for (int i = 0; i < 60; ++i) {
            const double y = (i * 337) % 1000;
            a.append({QStringLiteral("学生%1").arg(i), y});
            b.append({QStringLiteral("学生%1").arg(i), std::min(1000.0, y + (i % 4) * 8)});  // near-coincident
        }
        NamedPointChart *c = makeNamedLineChart(QString(), a, b);
        QScopedPointer<QChartView> view(show(c, {4600, 520}));
        const auto items = c->nameItems();
        QCOMPARE(items.size(), 120);
        QCOMPARE(items.at(61)->text(), QStringLiteral("学生1"));
        auto *ay = qobject_cast<QValueAxis *>(c->axes(Qt::Vertical).value(0));
        QVERIFY(ay->isReverse());
        QCOMPARE(ay->min(), 0.0);
        QCOMPARE(ay->max(), 1000.0);
        for (int i = 0; i < items.size(); ++i)
            for (int j = i + 1; j < items.size(); ++j)
                QVERIFY2(!items[i]->sceneBoundingRect().intersects(items[j]->sceneBoundingRect()),
                         qPrintable(items[i]->text() + " / " + items[j]->text()));
        // labels follow the plot area on resize
        const QPointF before = items.at(0)->pos();
        view->resize(3000, 520);
        QApplication::processEvents();
        QVERIFY(items.at(0)->pos() != before);
    }

};

GRADEBOOK_WINDOW_TEST_MAIN(TestCharts)
#include "test_chartkit.moc"
