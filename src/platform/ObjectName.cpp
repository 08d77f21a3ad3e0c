#include "platform/ObjectName.h"

#include "platform/Dialogs.h"

namespace ObjectName {

QString problem(const QString& name)
{
    for (QChar c : name)
        if (RefusedCharacters.contains(c) || c.category() == QChar::Other_Control)
            return QStringLiteral("An object name can not hold any of the characters "
                                  "\" * / : < > ? \\ | or control characters.");
    if (name.trimmed().isEmpty())
        return QStringLiteral("An object name can not be made of blanks only.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("An object name can not be \".\" or \"..\".");
    // The longest file of the object is name + "table.txt"; 255 bytes is the
    // usual limit of a file name.
    if ((name + QStringLiteral("table.txt")).toUtf8().size() > 255)
        return QStringLiteral("The object name is too long for a folder name.");
    return {};
}

QString refusal(const QString& name)
{
    // The caption of an object that has not been named yet.
    if (name == QLatin1String("?"))
        return QStringLiteral("Give name to object at first!");
    const QString wrong = problem(name);
    if (wrong.isEmpty())
        return {};
    return QStringLiteral("The object \"%1\" has a name that can not be a folder of the project, "
                          "so it has no folder, note, table or alarms.\n%2")
        .arg(name, wrong);
}

bool refused(const QString& name, Dialogs& dialogs)
{
    const QString text = refusal(name);
    if (text.isEmpty())
        return false;
    dialogs.message(text);
    return true;
}

} // namespace ObjectName
