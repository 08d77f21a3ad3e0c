#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A table as a CSV file that spreadsheets open: UTF-8 with a byte-order mark
// (so that they take it as UTF-8), fields separated by commas, rows ended by
// CR LF, and a field holding a comma, a double quote, CR or LF, or blanks at
// either end written between double quotes with its quotes doubled (RFC 4180).
namespace CsvFile {

QByteArray toBytes(const QList<QStringList>& rows);

// Writes through QSaveFile: the file is replaced whole or left as it was.
// Returns false and sets *error naming the file when it cannot be written.
bool save(const QString& path, const QList<QStringList>& rows, QString* error);

} // namespace CsvFile
