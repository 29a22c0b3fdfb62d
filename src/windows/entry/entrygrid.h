#pragma once
// The grid marks are typed into, as in a spreadsheet: Enter writes the cell
// and moves to the same column of the next row, typing on a cell replaces
// what it holds, Delete clears it, and a mark above its subject's full mark
// is written only after the user confirms it.

#include <QPersistentModelIndex>
#include <QTableView>
#include <optional>

namespace Db { class GridModel; }

class EntryGrid : public QTableView {
    Q_OBJECT
public:
    explicit EntryGrid(QWidget* parent);
    // Drops the cell being typed without writing it.
    void cancelEdit();
    // Makes a row current, keeping the column.
    void goToRow(int row);

protected:
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    Db::GridModel* gridModel() const;
    // A mark above the full mark waits until its editor is closed: the
    // question is not asked from inside the editor's own commit.
    struct Pending {
        QPersistentModelIndex index;
        QString text;
        QString question;
    };
    std::optional<Pending> m_pending;
    bool m_refused = false; // the last commit was refused by the model
};
