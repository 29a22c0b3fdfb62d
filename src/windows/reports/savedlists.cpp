#include "windows/reports/savedlists.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>

namespace SavedLists {

void fillExams(QComboBox* box)
{
    const QStringList names = History::examNames();
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(names);
    if (!names.isEmpty())
        box->setCurrentIndex(int(names.size()) - 1);
    // A long name is read from its start.
    if (box->lineEdit())
        box->lineEdit()->setCursorPosition(0);
}

void fillItems(QComboBox* box, const QStringList& items)
{
    const QSignalBlocker block(box);
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    const int i = box->findText(text);
    if (i >= 0)
        box->setCurrentIndex(i);
    else
        box->setEditText(text);
}

void setText(QComboBox* box, const QString& text)
{
    const QSignalBlocker block(box);
    const int i = box->findText(text);
    if (i >= 0)
        box->setCurrentIndex(i);
    else
        box->setEditText(text);
}

History::Kind kindOf(const QRadioButton* raw, const QRadioButton* classRank, const QRadioButton*)
{
    if (raw->isChecked())
        return History::Kind::Raw;
    if (classRank->isChecked())
        return History::Kind::ClassRank;
    return History::Kind::GradeRank;
}

int fontSize(const QString& text, const QString& field)
{
    const auto v = Num::parseInteger(text);
    if (!v || *v < 1 || *v > 200)
        throw Db::InputError(QStringLiteral("“%1”必须是1到200之间的整数，现在是“%2”").arg(field, text));
    return int(*v);
}

void setFontSize(QTableView* grid, int points)
{
    QFont f = grid->font();
    f.setPointSize(points);
    grid->setFont(f);
    // The titles in the same size as the values (a header does not always
    // follow its view's font).
    grid->horizontalHeader()->setFont(f);
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 8);
}

} // namespace SavedLists
