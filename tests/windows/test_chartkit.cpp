// Charts read back through their series and axes, never through pixels.
#include "windows/charts/chartkit.h"
#include "windows/charts/trendchart.h"
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
    void everySliceIsNamedBesideThePieAndInTheKey_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::newRow("13 bands, a cluster of small ones") << QList<double>{1, 0, 4, 9, 21, 37, 44, 38, 25, 12, 5, 2, 1};
        QList<double> many;
        for (int i = 0; i < 31; ++i) many << (i % 7 == 3 ? 0 : 1 + (i * 13) % 9);
        QTest::newRow("31 slices") << many;
        QTest::newRow("equal slices") << QList<double>{5, 5, 5, 5, 5, 5};
    }
    void everySliceIsNamedBesideThePieAndInTheKey()
    {
        QFETCH(QList<double>, values);
        PieChart *c = makeBandPie(QStringLiteral("t"), slices(values));
        QScopedPointer<QChartView> view(show(c, {900, 620}));
        QCOMPARE(c->pie()->count(), values.size());
        // The key lists every slice, empty ones too, however many there are.
        QCOMPARE(c->key()->entries().size(), values.size());
        QVERIFY(c->key()->sceneBoundingRect().right() <= view->sceneRect().right() + 1);
        QVERIFY(c->key()->sceneBoundingRect().bottom() <= view->sceneRect().bottom() + 1);
        QVERIFY(!c->key()->sceneBoundingRect().intersects(c->plotArea()));
        // Every slice with students has its label; none lies on another or leaves the chart.
        const auto labels = c->labelItems();
        for (int i = 0; i < values.size(); ++i) {
            QCOMPARE(labels[i]->text(), QStringLiteral("段%1").arg(i));
            QCOMPARE(labels[i]->isVisible(), values[i] > 0);
            if (values[i] > 0)
                QVERIFY(view->sceneRect().contains(labels[i]->sceneBoundingRect()));
            for (int j = i + 1; j < values.size(); ++j)
                if (labels[i]->isVisible() && labels[j]->isVisible())
                    QVERIFY2(!labels[i]->sceneBoundingRect().intersects(labels[j]->sceneBoundingRect()),
                             qPrintable(labels[i]->text() + " / " + labels[j]->text()));
        }
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

    void aTrendKeepsNothingOfItsPreviousDrawing()
    {
        auto *trend = new TrendChart;
        QScopedPointer<QChartView> view(show(trend));
        QList<TrendPoint> first;
        for (int i = 0; i < 6; ++i) first.append({QStringLiteral("考试%1").arg(i), double(2 - i % 2), Qt::red});
        trend->setPoints(first);
        QApplication::processEvents();
        auto shown = [&] {
            QStringList out;
            for (QGraphicsItem *item : view->scene()->items())
                if (auto *t = dynamic_cast<QGraphicsSimpleTextItem *>(item); t && t->isVisible())
                    out << t->text();
            return out;
        };
        QVERIFY(shown().contains("2"));
        // Another class: its own places, and no "1" or "2" of the first one.
        trend->setPoints({{"期中", 18, Qt::red}, {"期末", 17, Qt::red}});
        QApplication::processEvents();
        QCOMPARE(trend->valueLabels().size(), 2);
        QStringList now = shown();
        QVERIFY2(now.contains("18") && now.contains("17"), qPrintable(now.join(",")));
        QVERIFY2(!now.contains("1") && !now.contains("2"), qPrintable(now.join(",")));
        QVERIFY(!trend->marks()->pointLabelsVisible());
        // A class without saved rows: an empty chart says nothing.
        trend->setPoints({});
        QApplication::processEvents();
        QVERIFY2(shown().isEmpty(), qPrintable(shown().join(",")));
        // Values stay inside the plot, clear of the axes, and apart.
        QList<TrendPoint> many;
        for (int i = 0; i < 40; ++i) many.append({QStringLiteral("第%1次").arg(i), double(1 + (i * 7) % 5), Qt::red});
        trend->setPoints(many);
        QApplication::processEvents();
        QList<QRectF> placed;
        for (QGraphicsSimpleTextItem *v : trend->valueLabels()) {
            if (!v->isVisible()) continue;
            QVERIFY(trend->plotArea().contains(v->sceneBoundingRect()));
            for (const QRectF &r : placed) QVERIFY(!r.intersects(v->sceneBoundingRect()));
            placed << v->sceneBoundingRect();
        }
        QVERIFY(!placed.isEmpty());
    }

    void repeatedCategoriesStayDistinct()
    {
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
        // Ranks near the bottom of the axis (980 and beyond) included.
        a[7].y = 998;
        b[7].y = 985;
        NamedPointChart *c = makeNamedLineChart(QString(), a, b, Qt::red, Qt::blue, "1班 总分", "2班 总分");
        QScopedPointer<QChartView> view(show(c, {4600, 520}));
        const auto items = c->nameItems();
        QCOMPARE(items.size(), 120);
        // The key names both curves.
        QCOMPARE(c->key()->entries().size(), 2);
        QCOMPARE(c->key()->entries().at(1).text, QStringLiteral("2班 总分"));
        // Names stay inside the plot, off the axes' numbers; nearly all have a place.
        int placed = 0;
        for (auto *item : items) {
            if (!item->isVisible()) continue;
            ++placed;
            QVERIFY2(c->plotArea().contains(item->sceneBoundingRect()), qPrintable(item->text()));
        }
        QVERIFY2(placed >= 110, qPrintable(QString::number(placed)));
        QCOMPARE(items.at(61)->text(), QStringLiteral("学生1"));
        auto *ay = qobject_cast<QValueAxis *>(c->axes(Qt::Vertical).value(0));
        QVERIFY(ay->isReverse());
        QCOMPARE(ay->min(), 0.0);
        QCOMPARE(ay->max(), 1000.0);
        for (int i = 0; i < items.size(); ++i)
            for (int j = i + 1; j < items.size(); ++j)
                if (items[i]->isVisible() && items[j]->isVisible())
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
