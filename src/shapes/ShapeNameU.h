#pragma once

#include <QDialog>

class BoardHost;
struct Platform;

// The dialog that asks a new object's name.
class TShapeNameF : public QDialog {
    Q_OBJECT
public:
    TShapeNameF(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

private:
    BoardHost& m_host;
    Platform& m_platform;
};
