#pragma once

#include <QDialog>
#include <QSpinBox>
#include <QTimeEdit>

class BoardHost;
struct Platform;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;

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

// The start time field, "HH:mm:ss". Typed digits fill the sections as a user
// expects: a digit typed into a section already full (the field shows each
// section with two digits) replaces the section, wherever the caret stands in
// it, and a section filled moves on to the next one (Qt's own step); a ":"
// typed right after such a step only closes the section just filled. So
// "001513" and "00:15:13" both give 00:15:13. A key the field cannot take (a
// digit that would make the hour 24 or more, a letter) is refused with the
// default beep.
class TStartTimeEdit : public QTimeEdit {
public:
    TStartTimeEdit(Platform& platform, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The text the field would hold after the typed character.
    QString textAfterTyping(QChar typed) const;

    Platform& m_platform;
    // The last digit filled a section and moved on to the next one.
    bool m_movedOnByDigit = false;
};

// The dialog that collects the values of one alarm, for Add and for Edit.
class TfAddEditAlarm : public QDialog {
    Q_OBJECT
public:
    TfAddEditAlarm(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

    QCheckBox* cbEnabled;
    QDateEdit* dtpStartDate;
    TStartTimeEdit* dtpStartTime;
    TDurationEdit* spDuration;
    QComboBox* UnitCB;
    QComboBox* SoundCB;
    QPushButton* Ok;
    QPushButton* Cancel;

    // The values as the alarm list stores them; the time after its typed text
    // is taken in.
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
