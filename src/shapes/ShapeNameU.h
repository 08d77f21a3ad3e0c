#pragma once

#include <QDialog>

class BoardHost;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
struct Platform;

// Asks a new object's name. It only keeps refused characters out of what is
// typed and warns about an empty name; New Object reads Edit1 when it closes,
// whichever way it was closed.
class TShapeNameF : public QDialog {
    Q_OBJECT
public:
    TShapeNameF(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;

    void Button1Click();
    void Button2Click();
    // Returns whether a typed character goes into the field.
    bool Edit1KeyPress(QChar typed) const;
    void FormCloseQuery();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Platform& m_platform;
};
