#pragma once

#include "alarms/AlarmFile.h"

#include <ostream>

// An alarm row in a failure message: its cells, not its bytes.
inline void PrintTo(const AlarmRow& row, std::ostream* out)
{
    *out << (row.enabled ? "[x] " : "[ ] ") << row.name.toStdString() << " | "
         << row.time.toStdString() << " | " << row.duration.toStdString() << " | "
         << row.unit.toStdString() << " | " << row.sound.toStdString() << " | "
         << row.active.toStdString();
}
