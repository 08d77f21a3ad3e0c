#pragma once

#include <QDialog>

class BoardHost;
struct Platform;

// The alarm list of the open project.
class TfAlarmSettings : public QDialog {
    Q_OBJECT
public:
    TfAlarmSettings(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

private:
    BoardHost& m_host;
    Platform& m_platform;
};
