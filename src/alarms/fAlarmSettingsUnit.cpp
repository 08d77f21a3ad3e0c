#include "alarms/fAlarmSettingsUnit.h"

TfAlarmSettings::TfAlarmSettings(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("fAlarmSettings"));
}
