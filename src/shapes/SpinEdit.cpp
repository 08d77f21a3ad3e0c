#include "shapes/SpinEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

SpinEdit::SpinEdit(int minimum, int maximum, int value, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum)
{
    lineEdit()->setText(QString::number(value));
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::textChanged);
}

QString SpinEdit::text() const
{
    return lineEdit()->text();
}

void SpinEdit::setText(const QString& text)
{
    lineEdit()->setText(text);
}

bool SpinEdit::isAllowed(QChar c) const
{
    return c.isDigit() || c == u'+' || c == u'-' || c == locale().decimalPoint().front();
}

QValidator::State SpinEdit::validate(QString& input, int&) const
{
    for (QChar c : input)
        if (!isAllowed(c))
            return QValidator::Invalid;
    return QValidator::Acceptable;
}

void SpinEdit::fixup(QString&) const {}

void SpinEdit::stepBy(int steps)
{
    bool ok = false;
    const qint64 current = text().toLongLong(&ok);
    const qint64 from = ok ? current : m_minimum;
    setText(QString::number(std::clamp<qint64>(from + steps, m_minimum, m_maximum)));
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

void SpinEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.front().isPrint();
    if (printable && !(event->modifiers() & Qt::ControlModifier) && !isAllowed(typed.front())) {
        if (m_refused)
            m_refused();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void SpinEdit::focusOutEvent(QFocusEvent* event)
{
    bool ok = false;
    const qint64 number = text().toLongLong(&ok);
    if (ok && (number < m_minimum || number > m_maximum))
        setText(QString::number(std::clamp<qint64>(number, m_minimum, m_maximum)));
    QAbstractSpinBox::focusOutEvent(event);
}
