#include "alarms/fAddEditAlarmUnit.h"

TfAddEditAlarm::TfAddEditAlarm(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("fAddEditAlarm"));
}
