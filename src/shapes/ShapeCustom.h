#pragma once

#include <QDialog>

class BoardHost;
struct Platform;

// The default object settings that New Object gives every new object.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

private:
    BoardHost& m_host;
    Platform& m_platform;
};
