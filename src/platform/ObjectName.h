#pragma once

#include <QString>

class Dialogs;

// An object name is a folder name in the project folder and the start of the names
// of the files in it. The same rules hold for a typed name and for a name read
// from a file, so that nothing outside the project is reached through a name.
namespace ObjectName {

// The characters the name dialog does not let through: " * / : < > ? \ |
inline const QString RefusedCharacters = QStringLiteral("\"*/:<>?\\|");

// What is wrong with the name as a folder name; empty when nothing is.
QString problem(const QString& name);

// The message an operation on the object's folder, note, table or alarms
// shows instead of running; empty when the name can be used.
QString refusal(const QString& name);
// Shows that message and returns true when the name cannot be used.
bool refused(const QString& name, Dialogs& dialogs);

} // namespace ObjectName
