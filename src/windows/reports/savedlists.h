#pragma once
// What the windows over saved examinations share: the examination and
// subject boxes filled on show, the kind of value chosen by three radio
// buttons, and the grid's display settings.

#include "engine/reports/history.h"

class QComboBox;
class QRadioButton;
class QTableView;

namespace SavedLists {

// An editable box over the saved examinations, the most recent one chosen.
// Filling it runs none of the box's change handlers.
void fillExams(QComboBox* box);
// Items in their order; the text typed or chosen before stays.
void fillItems(QComboBox* box, const QStringList& items);
// Puts a text into an editable box without running its change handlers.
void setText(QComboBox* box, const QString& text);

History::Kind kindOf(const QRadioButton* raw, const QRadioButton* classRank, const QRadioButton* gradeRank);

// A grid's font size in points, checked: a whole number from 1 to 200.
int fontSize(const QString& text, const QString& field);
void setFontSize(QTableView* grid, int points);

} // namespace SavedLists
