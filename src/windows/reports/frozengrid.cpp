#include "windows/reports/frozengrid.h"

#include "windows/app/form.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>

ResultView::ResultView(QWidget* parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setAlternatingRowColors(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(16);
    horizontalHeader()->setHighlightSections(false);
}

void ResultView::commitPending()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

FrozenGrid::FrozenGrid(QWidget* parent) : QWidget(parent)
{
    m_narrow = new ResultView(this);
    m_narrow->setObjectName("narrow");
    m_wide = new ResultView(this);
    m_wide->setObjectName("wide");
    m_corner = new QFrame(this);
    m_corner->setFrameShape(QFrame::StyledPanel);

    // The wide grid always keeps its sideways scroll bar, and the corner
    // under the narrow grid takes its height: both viewports are then
    // exactly as tall, so their rows and scroll ranges match.
    m_wide->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_wide->verticalHeader()->hide();
    m_narrow->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_narrow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_corner->setFixedHeight(m_wide->horizontalScrollBar()->sizeHint().height());

    auto* lay = new QGridLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(m_narrow, 0, 0);
    lay->addWidget(m_corner, 1, 0);
    lay->addWidget(m_wide, 0, 1, 2, 1);
    lay->setColumnStretch(1, 1);
    lay->setRowStretch(0, 1);

    QScrollBar* a = m_narrow->verticalScrollBar();
    QScrollBar* b = m_wide->verticalScrollBar();
    connect(a, &QScrollBar::valueChanged, b, &QScrollBar::setValue);
    connect(b, &QScrollBar::valueChanged, a, &QScrollBar::setValue);
    // A column of the narrow grid widened by hand widens the grid itself.
    connect(m_narrow->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { fitNarrowWidth(); });
    connect(m_narrow->verticalHeader(), &QHeaderView::geometriesChanged, this, [this] { fitNarrowWidth(); });
    syncHeights();
}

QAbstractItemModel* FrozenGrid::model() const
{
    return m_model;
}

void FrozenGrid::setModel(QAbstractItemModel* model)
{
    if (model == m_model && m_wide->model() == model)
        return;
    for (const auto& c : m_modelConnections)
        disconnect(c);
    m_modelConnections.clear();
    m_model = model;
    m_wide->setModel(model);
    m_narrow->setModel(model);
    // One selection model: one current row and one selection for both grids.
    QItemSelectionModel* own = m_narrow->selectionModel();
    m_narrow->setSelectionModel(m_wide->selectionModel());
    if (own && own != m_wide->selectionModel())
        delete own;
    if (model) {
        // The views reset their columns on a reset; lay them out again after.
        m_modelConnections << connect(model, &QAbstractItemModel::modelReset, this, [this] { applyColumns(); })
                           << connect(model, &QAbstractItemModel::headerDataChanged, this,
                                      [this] { syncHeights(); });
    }
    applyColumns();
}

void FrozenGrid::setFrozenColumns(int count)
{
    m_frozen = qMax(0, count);
    applyColumns();
}

void FrozenGrid::setFrozenRepeated(bool repeated)
{
    m_repeated = repeated;
    applyColumns();
}

void FrozenGrid::setColumnWidths(const QList<int>& widths, int others)
{
    m_widths = widths;
    m_others = others;
    applyColumns();
}

void FrozenGrid::applyColumns()
{
    if (!m_model)
        return;
    const int columns = m_model->columnCount();
    for (int c = 0; c < columns; ++c)
        m_wide->setColumnHidden(c, false);
    Ui::fitColumns(m_wide, m_widths, m_others);
    for (int c = 0; c < columns; ++c) {
        const bool hidden = m_wide->isColumnHidden(c);
        m_narrow->setColumnWidth(c, m_wide->columnWidth(c));
        m_narrow->setColumnHidden(c, hidden || c >= m_frozen);
        if (c < m_frozen && !m_repeated)
            m_wide->setColumnHidden(c, true);
    }
    syncHeights();
    fitNarrowWidth();
}

void FrozenGrid::syncHeights()
{
    const int row = fontMetrics().height() + 8;
    for (ResultView* v : {m_narrow, m_wide})
        v->verticalHeader()->setDefaultSectionSize(row);
    QHeaderView* hn = m_narrow->horizontalHeader();
    QHeaderView* hw = m_wide->horizontalHeader();
    hn->setMinimumHeight(0);
    hw->setMinimumHeight(0);
    const int title = qMax(hn->sizeHint().height(), hw->sizeHint().height());
    hn->setMinimumHeight(title);
    hw->setMinimumHeight(title);
}

void FrozenGrid::fitNarrowWidth()
{
    QHeaderView* vh = m_narrow->verticalHeader();
    int w = 2 * m_narrow->frameWidth() + qMax(vh->minimumWidth(), vh->sizeHint().width());
    if (m_model)
        for (int c = 0; c < m_model->columnCount(); ++c)
            if (!m_narrow->isColumnHidden(c))
                w += m_narrow->columnWidth(c);
    m_narrow->setFixedWidth(w);
    m_corner->setFixedWidth(w);
}

void FrozenGrid::commitPending()
{
    m_narrow->commitPending();
    m_wide->commitPending();
}

int FrozenGrid::currentRow() const
{
    const QItemSelectionModel* s = m_wide->selectionModel();
    return s ? s->currentIndex().row() : -1;
}

void FrozenGrid::setCurrentRow(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex i = m_model->index(row, qMax(0, m_wide->currentIndex().column()));
    m_wide->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    // Scroll by a column the wide grid shows; both grids follow its scroll bar.
    const int shown = qMin(m_frozen, m_model->columnCount() - 1);
    m_wide->scrollTo(m_model->index(row, qMax(0, shown)));
}

void FrozenGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyColumns();
}
