#include "project/BoardSize.h"

#include "formats/Ini.h"

#include <QRegularExpression>

namespace {

const QString Section = QStringLiteral("Form1");
const QString Key = QStringLiteral("boardsize");

} // namespace

namespace BoardSize {

QSize read(const QString& settingsFile)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match =
        pattern.match(Ini::readString(settingsFile, Section, Key, QString()));
    if (!match.hasMatch())
        return {};
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    if (size.isEmpty() || size.width() > Largest || size.height() > Largest)
        return {};
    return size;
}

bool write(const QString& settingsFile, const QSize& size, QString* error)
{
    return Ini::writeString(settingsFile, Section, Key,
                            QStringLiteral("%1x%2").arg(size.width()).arg(size.height()), error);
}

} // namespace BoardSize
