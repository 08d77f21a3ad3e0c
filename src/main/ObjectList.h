#pragma once

#include "alarms/AlarmFile.h"

#include <QList>
#include <QLocale>
#include <QStringList>

class Board;

// The list of a project's objects that "Export list..." writes: a heading
// row, then one row per object on the board in creation order with its name,
// kind, position, colour, the status whose colour it has, the date and time
// of the last status stamp in its note and its alarms (several alarms of one
// object one per line within the alarm fields).
QList<QStringList> objectListRows(const Board& board, const QString& projectFolder,
                                  const QList<AlarmRow>& alarms, const QLocale& locale);
