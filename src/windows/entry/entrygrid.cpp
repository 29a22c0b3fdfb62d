#include "windows/entry/entrygrid.h"

#include "engine/db/gridmodel.h"
#include "engine/rules/numbers.h"
#include "windows/app/messages.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

EntryGrid::EntryGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Row numbers keep the ordinary font whatever size the marks are shown in.
    verticalHeader()->setFont(QApplication::font());
    verticalHeader()->setMinimumWidth(28);
    // Columns take the widths they are given, however narrow.
    horizontalHeader()->setMinimumSectionSize(0);
}

Db::GridModel* EntryGrid::gridModel() const
{
    return qobject_cast<Db::GridModel*>(model());
}

void EntryGrid::cancelEdit()
{
    const QModelIndex i = currentIndex();
    if (state() != QAbstractItemView::EditingState || !i.isValid())
        return;
    if (QWidget* editor = indexWidget(i))
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void EntryGrid::goToRow(int row)
{
    if (!model() || model()->rowCount() == 0)
        return;
    row = qBound(0, row, model()->rowCount() - 1);
    const int col = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model()->index(row, col));
    scrollTo(currentIndex());
}

void EntryGrid::changeEvent(QEvent* e)
{
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void EntryGrid::keyPressEvent(QKeyEvent* e)
{
    const bool editing = state() == QAbstractItemView::EditingState;
    if (!editing && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        goToRow(currentIndex().row() + 1);
        return;
    }
    if (!editing && e->key() == Qt::Key_Delete && currentIndex().isValid()) {
        if (Db::GridModel* m = gridModel()) {
            const QString refused = m->write(currentIndex().row(), currentIndex().column(), QString());
            if (!refused.isEmpty())
                Msg::warning(refused);
        }
        return;
    }
    // Backspace starts typing the cell afresh, as in a spreadsheet.
    if (!editing && e->key() == Qt::Key_Backspace && currentIndex().isValid()) {
        if (edit(currentIndex(), QAbstractItemView::EditKeyPressed, e))
            if (auto* line = qobject_cast<QLineEdit*>(indexWidget(currentIndex())))
                line->clear();
        return;
    }
    QTableView::keyPressEvent(e);
}

void EntryGrid::commitData(QWidget* editor)
{
    m_refused = false;
    Db::GridModel* m = gridModel();
    const QModelIndex i = currentIndex();
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (m && line && i.isValid() && indexWidget(i) == editor) {
        if (const auto above = m->aboveFull(i.row(), i.column(), line->text())) {
            const QString question = QStringLiteral("%1的“%2”成绩%3高于满分值%4，确实要填入吗？")
                                         .arg(above->who, above->column, Num::format(above->mark), Num::format(above->full));
            m_pending = Pending{i, line->text(), question};
            return;
        }
    }
    QMetaObject::Connection watch;
    if (m)
        watch = connect(m, &Db::GridModel::editRejected, this, [this] { m_refused = true; });
    QTableView::commitData(editor);
    if (watch)
        disconnect(watch);
}

void EntryGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::RevertModelCache) {
        m_pending.reset();
        m_refused = false;
        return;
    }
    // Enter commits with SubmitModelCache; it moves on unless the mark was
    // refused or not confirmed, so that the user sees which cell to retype.
    bool moveOn = hint == QAbstractItemDelegate::SubmitModelCache && !m_refused;
    m_refused = false;
    if (m_pending) {
        const Pending p = *m_pending;
        m_pending.reset();
        Db::GridModel* m = gridModel();
        if (m && p.index.isValid() && Msg::yesNo(p.question)) {
            const QString refused = m->write(p.index.row(), p.index.column(), p.text);
            if (!refused.isEmpty()) {
                Msg::warning(refused);
                moveOn = false;
            }
        } else {
            moveOn = false;
        }
    }
    if (moveOn)
        goToRow(currentIndex().row() + 1);
}
