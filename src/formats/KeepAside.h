#pragma once

#include <QString>

// Before a file that failed to load is rewritten with only what could be read,
// its bytes are kept beside it as NAME.damaged (NAME.damaged2, ... for other
// contents). A copy with the same bytes already there is reused, so repeated
// loads of one damaged file leave one copy.
//
// Returns the copy's path, or an empty text and *error when the file cannot be
// read or the copy cannot be written.
QString keepAside(const QString& path, QString* error);

// The line an error message gets about the copy: where it is kept, or why no
// copy could be made.
QString keptAsideNote(const QString& copy, const QString& error);
