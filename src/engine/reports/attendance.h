#pragma once
// 应考 and 缺考 beside an analysis row's 人数: the analysis counts only the
// students who sat, so the windows also say how many should have and how
// many were absent. 应考 is the class's students on the roster (the working
// grade table for the current analysis, the saved grades of the row's
// examination for a saved one; the whole-grade row counts every class), and
// 缺考 the difference. Without saved grades of the examination both stay blank.

#include "engine/db/gridmodel.h"

#include <QMap>
#include <QString>

namespace Reports {

// Students per class (班号 100: the whole grade).
using ClassCounts = QMap<qint64, qint64>;

Db::GridModel::Derived attendance(const QString& gradeTable);
Db::GridModel::Derived savedAttendance(const QString& savedGrades = QStringLiteral("cjsave"));

// The two values for one analysis row, from the roster's counts.
QVariantList attendanceOf(const ClassCounts& roster, const QVariant& classNumber, const QVariant& sat);

} // namespace Reports
