#pragma once
// The report of one class for one saved examination on one A4 page, for the
// teachers' meeting: each subject's figures, the total's bands as a small bar
// chart, the level counts, and the students who moved up and down most since
// the examination before. Drawn in black and grey so that it reads the same
// from a black-and-white printer. Its head says 内部资料: names and ranks
// are on it.

#include "engine/reports/classreport.h"
#include "layout/pages.h"

namespace Layout {

class ClassReportPage : public Content {
public:
    explicit ClassReportPage(ClassReport::Data data);

    // The title and examination every page of it carries.
    Furniture furniture() const;

    bool landscape() const override { return false; }
    int layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress) override;
    void paint(QPainter& painter, int page, const QRectF& body) override;
    QString pageNote(int page) const override;

    const ClassReport::Data& data() const { return m_data; }
    // Whether everything found room on the page at the last painting
    // (sections that did not are cut, never spread over a second page).
    bool fitted() const { return m_fitted; }

private:
    struct Flow;
    void paintHead(Flow& f) const;
    void paintSubjects(Flow& f);
    void paintBandSection(Flow& f) const;
    void paintLevels(Flow& f);
    void paintMovers(Flow& f);
    qreal paintMoverList(Flow& f, qreal x, qreal width, const Export::Sheet& list, const QString& title,
                         const QString& none);
    qreal paintBands(QPainter& p, const QRectF& area) const;

    ClassReport::Data m_data;
    bool m_fitted = true;
};

} // namespace Layout
