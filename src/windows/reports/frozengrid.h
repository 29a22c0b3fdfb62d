#pragma once
// The grid of every result window: a wide grid that scrolls sideways and, at
// its left, a narrow grid over the same model that keeps the leading columns
// in view. Both share the current row and the selection, scroll together and
// keep equal row and title heights, so a row of the narrow grid always sits
// beside the same row of the wide one.

#include <QList>
#include <QPointer>
#include <QTableView>
#include <QWidget>

class QAbstractItemModel;
class QFrame;

// One of the two views: it can post the cell being typed.
class ResultView : public QTableView {
    Q_OBJECT
public:
    explicit ResultView(QWidget* parent);
    // Writes the cell being typed into the model and closes its editor.
    void commitPending();
};

class FrozenGrid : public QWidget {
    Q_OBJECT
public:
    explicit FrozenGrid(QWidget* parent = nullptr);

    ResultView* wide() const { return m_wide; }     // the scrolling grid
    ResultView* narrow() const { return m_narrow; } // the leading columns
    QFrame* corner() const { return m_corner; }     // under the narrow grid, beside the scroll bar

    // Shows a model in both grids. Column widths and the frozen count are
    // applied again whenever the model is reset (a reload, a new query).
    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const;
    // How many leading columns stay in view at the left.
    void setFrozenColumns(int count);
    int frozenColumns() const { return m_frozen; }
    // The wide grid also shows the frozen columns at its left, where they
    // scroll away while the narrow grid keeps them.
    void setFrozenRepeated(bool repeated);
    // Column widths as minimums (widened to fit titles and values); 0 hides
    // a column; columns past the list get `others` (their present width when
    // negative).
    void setColumnWidths(const QList<int>& widths, int others = -1);
    // Posts a cell being typed in either grid.
    void commitPending();
    int currentRow() const;
    void setCurrentRow(int row);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColumns();
    void syncHeights();
    void fitNarrowWidth();

    ResultView* m_narrow;
    ResultView* m_wide;
    QFrame* m_corner;
    QPointer<QAbstractItemModel> m_model;
    QList<QMetaObject::Connection> m_modelConnections;
    QList<int> m_widths;
    int m_others = -1;
    int m_frozen = 1;
    bool m_repeated = false;
};
