#pragma once

#include <QDialog>

class BoardHost;
struct Platform;

// The dialog that changes one object's look and hints.
class TShapeEdit : public QDialog {
    Q_OBJECT
public:
    TShapeEdit(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

private:
    BoardHost& m_host;
    Platform& m_platform;
};
