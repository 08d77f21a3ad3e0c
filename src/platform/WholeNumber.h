#pragma once

#include <QStringView>
#include <optional>

// A whole number as the program's fields take it: an optional sign, then
// decimal digits only (no blanks); a number beyond 64 bits is held at the limit.
std::optional<qint64> readWholeNumber(QStringView text);
