// The status buttons of the note window: New status, Remove, the status stamp
// and the status file.
#include "notes/StatusButtons.h"

#include "board/BoardHost.h"
#include "project/BoardCommands.h"
#include "project/Project.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "notes/Obiect.h"
#include "platform/Clock.h"
#include "platform/ColorRef.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QSet>
#include <QTextCharFormat>
#include <QTextEdit>

namespace {

const QString ButtonPrefix = QStringLiteral("SpeedButton");
constexpr int RowHeight = 28;
constexpr int ButtonHeight = 23;

// A long time format without its time-zone field ("t" in Qt's formats).
QString timeFormatWithoutZone(const QString& format)
{
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            result += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u't')
            ++i;
        if (result.endsWith(u' '))
            result.chop(1);
        else
            while (i + 1 < format.size() && format[i + 1] == u' ')
                ++i;
    }
    return result.trimmed();
}

// No locale's stamp is longer (the longest has 44 characters).
constexpr qsizetype LongestStamp = 64;

// Every locale's stamp begins with a digit of its own script.
bool beginsWithDigit(const QString& text)
{
    const char32_t first = text.size() > 1 && text[0].isHighSurrogate()
                               ? QChar::surrogateToUcs4(text[0], text[1])
                               : text[0].unicode();
    return QChar::isDigit(first);
}

// The characters of a text other than digits, case folded.
QSet<QChar> charactersBesideDigits(const QString& text)
{
    QSet<QChar> characters;
    for (const QChar c : text.toCaseFolded())
        if (!c.isDigit() && !c.isSurrogate())
            characters.insert(c);
    return characters;
}

// The stamp of a locale, and what its stamps are made of: a line holding any
// other character (besides digits) is none of its stamps. A date format with
// names of months or days may hold any letter.
struct StampForm {
    QLocale locale;
    QSet<QChar> characters;
    bool namesInDate = false;

    bool mayRead(const QSet<QChar>& line) const { return namesInDate || characters.contains(line); }
};

// The forms of stamps tried after the system's: one for each way of writing
// them, in the order StatusStampTimeInAnyForm gives.
const QList<StampForm>& otherStampForms()
{
    static const QList<StampForm> forms = [] {
        QList<QLocale> candidates;
        for (const char* name : {"en_US", "en_GB", "de_DE", "fr_FR", "pl_PL"})
            candidates.append(QLocale(QLatin1String(name)));
        candidates += QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                               QLocale::AnyTerritory);
        QList<StampForm> result;
        QSet<QString> seen;
        // Locales that write a morning and an evening alike in the same
        // formats read stamps alike.
        const QDateTime morning(QDate(2026, 12, 30), QTime(4, 20, 41));
        const QDateTime evening(QDate(2026, 12, 30), QTime(16, 20, 41));
        for (const QLocale& locale : candidates) {
            const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
            const QString texts =
                StatusStampText(morning, locale) + u'\n' + StatusStampText(evening, locale);
            const QString form =
                dateFormat + u'\n' + locale.timeFormat(QLocale::LongFormat) + u'\n' + texts;
            if (seen.contains(form))
                continue;
            seen.insert(form);
            QSet<QChar> characters = charactersBesideDigits(texts);
            characters.remove(u'\n');
            result.append({locale, characters,
                           dateFormat.contains(QStringLiteral("MMM")) ||
                               dateFormat.contains(QStringLiteral("ddd"))});
        }
        return result;
    }();
    return forms;
}

} // namespace

// ---- The button ----

TStatusButton::TStatusButton(QWidget* strip) : QPushButton(strip)
{
    setFocusPolicy(Qt::NoFocus);
}

void TStatusButton::setColor(quint32 colorRef)
{
    m_color = colorRef;
    QPalette palette = this->palette();
    palette.setColor(QPalette::ButtonText, ColorRef::toQColor(colorRef));
    setPalette(palette);
}

void TStatusButton::mousePressEvent(QMouseEvent* event)
{
    // A double-click's second press arrives here too, as a double-click event.
    emit mouseDown(this, event->button(), event->buttons(),
                   event->type() == QEvent::MouseButtonDblClick);
    QPushButton::mousePressEvent(event);
}

QString StatusStampText(const QDateTime& when, const QLocale& locale)
{
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() != QTime(0, 0))
        text += QLatin1Char(' ') +
                locale.toString(when.time(),
                                timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
    return text;
}

std::optional<QDateTime> StatusStampTime(const QString& line, const QLocale& locale)
{
    const QString text = line.trimmed();
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const QString timeFormat = timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
    QDateTime when = locale.toDateTime(text, dateFormat + QLatin1Char(' ') + timeFormat);
    if (!when.isValid())
        when = QDateTime(locale.toDate(text, dateFormat), QTime(0, 0));
    if (!when.isValid())
        return std::nullopt;
    // Qt reads a two-digit year as one of the 1900s.
    if (!dateFormat.contains(QStringLiteral("yyyy")) && when.date().year() < 1970)
        when = when.addYears(100);
    return when;
}

std::optional<QDateTime> StatusStampTimeInAnyForm(const QString& line, const QLocale& system)
{
    const QString text = line.trimmed();
    if (text.isEmpty() || text.size() > LongestStamp || !beginsWithDigit(text))
        return std::nullopt;
    if (std::optional<QDateTime> when = StatusStampTime(text, system))
        return when;
    QDateTime when = QDateTime::fromString(text, QStringLiteral("d.M.yyyy H:m:s"));
    if (!when.isValid())
        when = QDateTime(QDate::fromString(text, QStringLiteral("d.M.yyyy")), QTime(0, 0));
    if (when.isValid())
        return when;
    const QSet<QChar> characters = charactersBesideDigits(text);
    for (const StampForm& form : otherStampForms())
        if (form.mayRead(characters))
            if (std::optional<QDateTime> read = StatusStampTime(text, form.locale))
                return read;
    return std::nullopt;
}

// ---- The window's status handlers ----

QList<TStatusButton*> TForm2::statusButtons() const
{
    return Panel1->findChildren<TStatusButton*>(Qt::FindDirectChildrenOnly);
}

TStatusButton* TForm2::currentStatusButton() const
{
    return m_currentButton;
}

TStatusButton* TForm2::createStatusButton(const QString& name, int number)
{
    auto* button = new TStatusButton(Panel1);
    button->setObjectName(name);
    button->setTag(number);
    connect(button, &TStatusButton::mouseDown, this, &TForm2::SbMouseDown);
    button->show();
    return button;
}

void TForm2::Status1Click()
{
    const std::optional<QString> name =
        m_platform.dialogs.input(QStringLiteral("Define status"), QString());
    if (!name || name->isEmpty())
        return;
    for (const TStatusButton* button : statusButtons()) {
        if (button->text() == *name) {
            m_platform.dialogs.message(QStringLiteral("\"Status\" with same name aredy exists!"));
            return;
        }
    }
    int number = 1;
    while (findChild<QObject*>(ButtonPrefix + QString::number(number)))
        ++number;
    m_statusEdited = true;
    TStatusButton* button = createStatusButton(ButtonPrefix + QString::number(number), number);
    button->setGeometry(5, RowHeight * int(statusButtons().size()), Panel1->width() - 10,
                        ButtonHeight);
    button->setText(*name);

    m_platform.dialogs.message(QStringLiteral("Define color               "));
    // Cancel leaves the colour the dialog held.
    if (const std::optional<QColor> chosen = m_platform.dialogs.chooseColor(m_dialogColor))
        m_dialogColor = *chosen;
    button->setColor(ColorRef::fromQColor(m_dialogColor));
}

void TForm2::SbMouseDown(TStatusButton* button, Qt::MouseButton, Qt::MouseButtons buttons,
                         bool doubleClick)
{
    m_currentButton = button;
    if (buttons & Qt::RightButton) {
        PopupMenu1->popup(m_platform.pointer.pos());
        return;
    }
    if (doubleClick)
        StatusStamp(button);
}

void TForm2::Delete1Click()
{
    if (!m_currentButton)
        return;
    if (!m_platform.dialogs.confirm(QStringLiteral("   ")))
        return;
    m_statusEdited = true;
    const int top = m_currentButton->y();
    delete m_currentButton.data();
    m_currentButton = nullptr;
    for (TStatusButton* button : statusButtons()) {
        if (button->y() > top)
            button->move(button->x(), button->y() - RowHeight);
    }
}

void TForm2::StatusStamp(TStatusButton* button)
{
    const quint32 color = button->color();
    QTextCursor edit(RichEdit1->document());
    edit.beginEditBlock();
    AppendLine(RichEdit1, QStringLiteral("   "));
    QTextCursor stamp =
        AppendLine(RichEdit1, StatusStampText(m_platform.clock.now(), QLocale::system()));
    QTextCharFormat inColor;
    inColor.setForeground(ColorRef::toQColor(color));
    stamp.mergeCharFormat(inColor);
    edit.endEditBlock();

    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, Qt::white);
    RichEdit1->setPalette(palette);

    // The new colour is a board edit like any other: undone from the EDIT
    // menu, and saved as you go.
    if (ObjectShape* shape = m_host.currentShape()) {
        const ObjectLabel* label = m_host.currentLabel();
        const QList<ElementState> before = statesOf({shape});
        shape->setBrushColor(color);
        pushEditSince(m_host.undoStack(), m_host.boardModel(),
                      QStringLiteral("status of ") + (label ? label->caption() : QString()),
                      before);
        setColor(shape->brushColor());
    }

    RichEdit1->ensureCursorVisible();
    QTextCursor caret = RichEdit1->textCursor();
    caret.movePosition(QTextCursor::End);
    RichEdit1->setTextCursor(caret);
    RichEdit1->setFocus();
    MoveRTCaretEnd(RichEdit1);
    RichEdit1->setTextColor(Qt::black);
}

// ---- The status file ----

void TForm2::ReadStatusButtons()
{
    if (m_projectFolder.isEmpty())
        return;
    const FileStamp stamp = FileStamp::of(statusFilePath());
    const Ini::Document file = Ini::Document::load(statusFilePath());
    m_host.project().sharedFiles().remember(statusFilePath(), stamp);
    for (const StatusFile::Section& section : StatusFile::read(file)) {
        const QString name = ButtonPrefix + QString::number(section.tag);
        TStatusButton* button = findChild<TStatusButton*>(name);
        if (!button) {
            button = createStatusButton(name, section.tag);
            button->setGeometry(0, 0, 23, 22);
            button->setColor(ColorRef::WindowText);
        }
        if (section.caption)
            button->setText(*section.caption);
        button->setGeometry(section.left.value_or(button->x()), section.top.value_or(button->y()),
                            section.width.value_or(button->width()),
                            section.height.value_or(button->height()));
        if (section.color)
            button->setColor(*section.color);
    }
}

std::optional<SaveAtLeave> TForm2::statusButtonsSave() const
{
    if (m_projectFolder.isEmpty())
        return std::nullopt; // never became active: no project to write into
    const QString path = statusFilePath();
    QList<StatusFile::Button> buttons;
    for (const TStatusButton* button : statusButtons())
        buttons.append({button->tag(), button->text(), button->width(), button->height(),
                        button->y(), button->x(), button->color()});
    Ini::Document file;
    const QString unwritable = QStringLiteral("Unable to write to %1").arg(path);
    SaveAtLeave save{{},
                     path,
                     QStringLiteral("the status buttons added or removed since are lost."),
                     QStringLiteral("Settings files (*.ini)"),
                     {},
                     {}};
    if (!StatusFile::write(buttons, &file)) {
        // Buttons that cannot be stored still leave the user a way out.
        save.writeTo = [unwritable](const QString&, QString* error) {
            *error = unwritable;
            return false;
        };
        save.failedWith = unwritable;
        return save;
    }
    save.writeTo = [file, path, project = &m_host.project()](const QString& target,
                                                             QString* error) {
        const auto write = [&] {
            // No buttons left: no file. A link the user made stays, its target emptied.
            const bool ok = file.toBytes().isEmpty() && !QFileInfo(target).isSymLink()
                                ? !QFile::exists(target) || QFile::remove(target)
                                : file.save(target);
            if (!ok)
                *error = QStringLiteral("Unable to write to %1").arg(target);
            return ok;
        };
        return target == path ? project->replaceFile(target, write, error) : write();
    };
    return save;
}
