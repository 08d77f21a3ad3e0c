#pragma once

#include <QDialog>
#include <QSpinBox>

class BoardHost;
struct Platform;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTimeEdit;

// The duration field: 1 to 86400. It takes as typed characters only digits,
// "+", "-" and the decimal separator (other keys are refused with the default
// beep); leaving it brings the number to the nearer limit, and text that is not
// a whole number counts as 1.
class TDurationEdit : public QSpinBox {
public:
    TDurationEdit(Platform& platform, QWidget* parent);

    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;

protected:
    int valueFromText(const QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool isAccepted(QChar c) const;

    Platform& m_platform;
};

// The dialog that collects the values of one alarm, for Add and for Edit.
class TfAddEditAlarm : public QDialog {
    Q_OBJECT
public:
    TfAddEditAlarm(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

    QCheckBox* cbEnabled;
    QDateEdit* dtpStartDate;
    QTimeEdit* dtpStartTime;
    TDurationEdit* spDuration;
    QComboBox* UnitCB;
    QComboBox* SoundCB;
    QPushButton* Ok;
    QPushButton* Cancel;

    // The values as the alarm list stores them.
    QString timeText() const;
    // The duration after its typed text is taken in (held within 1 to 86400).
    int duration() const;
    QString unitText() const;
    QString soundText() const;

    void OkClick();
    void CancelClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();

    BoardHost& m_host;
    Platform& m_platform;
};
