#pragma once

#include <QAbstractSpinBox>
#include <functional>

// A spin field whose text may hold what the user typed, not only a valid
// number: digits, plus, minus and the decimal separator pass the keyboard,
// anything else is refused with a beep. The arrows step by 1 within the
// range; a whole number outside the range is brought into it when the field
// loses the focus. Every change of the text is reported by textChanged.
class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    SpinEdit(int minimum, int maximum, int value, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    // Called for each refused key.
    void setRefusedKeyHandler(std::function<void()> handler) { m_refused = std::move(handler); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    void textChanged(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool isAllowed(QChar c) const;

    int m_minimum;
    int m_maximum;
    std::function<void()> m_refused;
};
