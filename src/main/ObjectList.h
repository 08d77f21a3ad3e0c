#pragma once

#include "alarms/AlarmFile.h"

#include <QList>
#include <QLocale>
#include <QStringList>

class BoardModel;

// The list of a project's objects that "Export list..." writes: a heading
// row, then one row per object on the board in creation order with its name,
// kind, position, colour, the status whose colour it has, the date and time
// of the last status stamp in its note (in any form StatusStampTimeInAnyForm
// reads, with locale as the system's) and its alarms (several alarms of one
// object one per line within the alarm fields). Every date and time is written
// in ISO 8601, "2026-03-14T16:20:41"; an alarm start the alarm list cannot read
// is written as it stands. The alarms are asked for one
// at a time, alarmAt(0) to alarmAt(alarmCount - 1), and only those of the
// board's objects are kept: a list of a million alarms is never copied.
QList<QStringList> objectListRows(const BoardModel& board, const QString& projectFolder,
                                  qsizetype alarmCount, const AlarmFile::RowSource& alarmAt,
                                  const QLocale& locale);
