#include "alarms/fAddEditAlarmUnit.h"

#include "alarms/AlarmPeriod.h"
#include "platform/Desktop.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <utility>

namespace {

constexpr int MinimumDuration = 1;
constexpr int MaximumDuration = 86400;
// The dialog is laid out for 120 dots per inch.
constexpr double DesignDotsPerInch = 120.0;
// Every section of the start time field has two digits, between colons.
constexpr qsizetype TimeSectionDigits = 2;
constexpr QChar TimeSeparator = u':';

// The system's short date format with the year in full: a two-digit year
// field would read typed years as 19xx.
QString shortDateFormat()
{
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

} // namespace

// ---- The duration field ----

TDurationEdit::TDurationEdit(Platform& platform, QWidget* parent)
    : QSpinBox(parent), m_platform(platform)
{
    setRange(MinimumDuration, MaximumDuration);
    setSingleStep(1);
    setValue(3);
}

bool TDurationEdit::isAccepted(QChar c) const
{
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' ||
           c == locale().decimalPoint().front();
}

QValidator::State TDurationEdit::validate(QString& text, int&) const
{
    for (const QChar c : text) {
        if (!isAccepted(c) && !c.isSpace())
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

void TDurationEdit::fixup(QString& text) const
{
    text = QString::number(valueFromText(text));
}

int TDurationEdit::valueFromText(const QString& text) const
{
    const std::optional<qint64> number = readWholeNumber(text.trimmed());
    if (!number)
        return MinimumDuration;
    return int(std::clamp<qint64>(*number, MinimumDuration, MaximumDuration));
}

void TDurationEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (!command && typed.size() == 1 && typed.front().isPrint() && !isAccepted(typed.front())) {
        m_platform.sound.beep();
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

// ---- The start time field ----

TStartTimeEdit::TStartTimeEdit(Platform& platform, QWidget* parent)
    : QTimeEdit(parent), m_platform(platform)
{
    setDisplayFormat(QStringLiteral("HH:mm:ss"));
}

QString TStartTimeEdit::textAfterTyping(QChar typed) const
{
    const QLineEdit* edit = lineEdit();
    QString text = edit->text();
    if (edit->hasSelectedText())
        return text.replace(edit->selectionStart(), edit->selectedText().size(), typed);
    return text.insert(edit->cursorPosition(), typed);
}

void TStartTimeEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    const bool movedOnByDigit = std::exchange(m_movedOnByDigit, false);
    if (command || typed.size() != 1 || !typed.front().isPrint()) {
        QTimeEdit::keyPressEvent(event);
        return;
    }
    const QChar c = typed.front();
    if (c == TimeSeparator) {
        // Qt moves on to the next section at a ":"; after a filled section it
        // has already moved.
        if (movedOnByDigit)
            event->accept();
        else
            QTimeEdit::keyPressEvent(event);
        return;
    }
    if (c < u'0' || c > u'9') {
        m_platform.sound.beep();
        event->accept();
        return;
    }
    // Qt inserts a digit at the caret, and its validator refuses a third digit
    // in a section: a full section is replaced instead.
    if (!lineEdit()->hasSelectedText() && sectionText(currentSection()).size() >= TimeSectionDigits)
        setSelectedSection(currentSection());
    QString after = textAfterTyping(c);
    int position = lineEdit()->cursorPosition();
    if (validate(after, position) == QValidator::Invalid) {
        m_platform.sound.beep();
        event->accept();
        return;
    }
    const Section before = currentSection();
    QTimeEdit::keyPressEvent(event);
    m_movedOnByDigit = currentSection() != before;
}

void TStartTimeEdit::focusInEvent(QFocusEvent* event)
{
    m_movedOnByDigit = false;
    QTimeEdit::focusInEvent(event);
}

void TStartTimeEdit::mousePressEvent(QMouseEvent* event)
{
    m_movedOnByDigit = false;
    QTimeEdit::mousePressEvent(event);
}

// ---- The dialog ----

TfAddEditAlarm::TfAddEditAlarm(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("fAddEditAlarm"));
    build();
}

void TfAddEditAlarm::build()
{
    const double scale = m_platform.desktop.dotsPerInch() / DesignDotsPerInch;
    auto scaled = [scale](int v) { return qRound(v * scale); };
    auto place = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(scaled(left), scaled(top), scaled(width), scaled(height));
    };
    auto caption = [&](const QString& text, int left, int top) {
        auto* label = new QLabel(text, this);
        label->setGeometry(scaled(left), scaled(top - 24), scaled(110), scaled(20));
    };

    setWindowTitle(QStringLiteral("AddEdit Alarm"));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(std::max(1, scaled(14)));
    setFont(tahoma);
    setFixedSize(scaled(825), scaled(191));
    move(416, 466);

    cbEnabled = new QCheckBox(QStringLiteral("Enabled"), this);
    cbEnabled->setObjectName(QStringLiteral("cbEnabled"));
    cbEnabled->setChecked(true);
    place(cbEnabled, 35, 56, 127, 23);

    caption(QStringLiteral("Start date:"), 160, 56);
    dtpStartDate = new QDateEdit(this);
    dtpStartDate->setObjectName(QStringLiteral("dtpStartDate"));
    dtpStartDate->setCalendarPopup(true);
    dtpStartDate->setDisplayFormat(shortDateFormat());
    dtpStartDate->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    place(dtpStartDate, 160, 56, 113, 25);

    caption(QStringLiteral(" Time:"), 294, 56);
    dtpStartTime = new TStartTimeEdit(m_platform, this);
    dtpStartTime->setObjectName(QStringLiteral("dtpStartTime"));
    place(dtpStartTime, 294, 56, 99, 25);

    caption(QStringLiteral("Duration:"), 430, 55);
    spDuration = new TDurationEdit(m_platform, this);
    spDuration->setObjectName(QStringLiteral("spDuration"));
    place(spDuration, 430, 55, 75, 27);

    auto freeTextList = [this](const QString& name, const QStringList& items, const QString& text) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->setEditable(true);
        box->addItems(items);
        // Typed text is kept exactly as typed: no completion, no new items.
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCurrentIndex(-1);
        box->setEditText(text);
        return box;
    };
    caption(QStringLiteral("Unit:"), 552, 57);
    UnitCB = freeTextList(QStringLiteral("UnitCB"),
                          {QStringLiteral("Days"), QStringLiteral("Hours"),
                           QStringLiteral("Minutes"), QStringLiteral("Seconds")},
                          QStringLiteral("Days"));
    place(UnitCB, 552, 57, 97, 25);

    caption(QStringLiteral("Sound:"), 688, 57);
    SoundCB = freeTextList(QStringLiteral("SoundCB"), {QStringLiteral("Off"), QStringLiteral("On")},
                           QStringLiteral("Off"));
    place(SoundCB, 688, 57, 65, 25);

    Ok = new QPushButton(QStringLiteral("Ok"), this);
    Ok->setObjectName(QStringLiteral("Ok"));
    place(Ok, 318, 133, 98, 33);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    place(Cancel, 432, 133, 98, 33);
    for (QPushButton* button : {Ok, Cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(Ok, &QPushButton::clicked, this, &TfAddEditAlarm::OkClick);
    connect(Cancel, &QPushButton::clicked, this, &TfAddEditAlarm::CancelClick);

    setTabOrder(cbEnabled, dtpStartTime);
    setTabOrder(dtpStartTime, spDuration);
    setTabOrder(spDuration, Ok);
    setTabOrder(Ok, Cancel);
    setTabOrder(Cancel, dtpStartDate);
    setTabOrder(dtpStartDate, UnitCB);
    setTabOrder(UnitCB, SoundCB);
}

QString TfAddEditAlarm::timeText() const
{
    // A section typed in part ("1" for the hour) counts as typed.
    dtpStartTime->interpretText();
    return Alarm::timeText(dtpStartDate->date(), dtpStartTime->time());
}

int TfAddEditAlarm::duration() const
{
    spDuration->interpretText();
    return spDuration->value();
}

QString TfAddEditAlarm::unitText() const
{
    return UnitCB->currentText();
}

QString TfAddEditAlarm::soundText() const
{
    return SoundCB->currentText();
}

void TfAddEditAlarm::OkClick()
{
    spDuration->interpretText();
    accept();
}

void TfAddEditAlarm::CancelClick()
{
    reject();
}

void TfAddEditAlarm::keyPressEvent(QKeyEvent* event)
{
    // Neither button answers Enter or Esc.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
