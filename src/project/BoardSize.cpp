#include "project/BoardSize.h"

#include "formats/Ini.h"

#include <QStringView>

namespace {

const QString Section = QStringLiteral("Form1");
const QString Key = QStringLiteral("boardsize");

// One to five digits 0-9, as a number; -1 for anything else.
int dimension(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 5)
        return -1;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return -1;
    return digits.toInt();
}

} // namespace

namespace BoardSize {

QSize read(const QString& settingsFile)
{
    // "<width>x<height>". Read without a regular expression, which would load
    // its library into every start for this one value.
    const QString text = Ini::readString(settingsFile, Section, Key, QString());
    const qsizetype x = text.indexOf(u'x');
    if (x < 0)
        return {};
    const QSize size(dimension(QStringView(text).first(x)),
                     dimension(QStringView(text).sliced(x + 1)));
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
