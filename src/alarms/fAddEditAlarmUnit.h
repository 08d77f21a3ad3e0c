#pragma once

#include <QDialog>

class BoardHost;
struct Platform;

// The dialog that adds or edits one alarm.
class TfAddEditAlarm : public QDialog {
    Q_OBJECT
public:
    TfAddEditAlarm(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

private:
    BoardHost& m_host;
    Platform& m_platform;
};
