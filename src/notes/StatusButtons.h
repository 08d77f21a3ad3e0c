#pragma once

#include "notes/StatusFile.h"

#include <QDateTime>
#include <QLocale>
#include <QPushButton>
#include <optional>

// A status button in the strip of the note window: named "SpeedButton" + its
// number, showing the status name in the status colour.
class TStatusButton : public QPushButton {
    Q_OBJECT
public:
    explicit TStatusButton(QWidget* strip);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // The caption colour, 0x00BBGGRR.
    quint32 color() const { return m_color; }
    void setColor(quint32 colorRef);

signals:
    // Every press with any mouse button; doubleClick for the second press of a
    // double-click.
    void mouseDown(TStatusButton* button, Qt::MouseButton pressed, Qt::MouseButtons buttons,
                   bool doubleClick);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_tag = 0;
    quint32 m_color = 0;
};

// The date and time a status stamp writes: the short date, one blank and the
// long time of the locale, the time left out at exactly midnight. The long
// time is shown without a time zone, as the Windows clock formats have none.
QString StatusStampText(const QDateTime& when, const QLocale& locale);
// The date and time of a line a status stamp wrote in that locale, if the line
// is one; a stamp without a time stands for midnight. A year written with two
// digits is taken as one from 1970 to 2069.
std::optional<QDateTime> StatusStampTime(const QString& line, const QLocale& locale);
// The date and time of a line that is a status stamp in any form a note may
// hold, whichever machine wrote it. The forms are tried in this order, and the
// first that reads the line gives its date, so that an ambiguous stamp
// ("3/4/26 4:20:41 PM") is read as the system's locale writes it:
//  1. the stamp of the system's locale, as StatusStampTime reads it;
//  2. "dd.mm.yyyy hh:nn:ss", or the date alone (day and month of one or two
//     digits), the form of the alarm list and of the earlier Windows version;
//  3. the stamp of other locales: en_US, en_GB, de_DE, fr_FR, pl_PL, then
//     every other locale Qt knows in Qt's order of its locales
//     (QLocale::matchingLocales: by language, then script and territory).
std::optional<QDateTime> StatusStampTimeInAnyForm(const QString& line, const QLocale& system);
