#include "find/FoldedText.h"

#include <algorithm>
#include <array>

namespace {

bool isMark(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// Appends the folded form of one character (a surrogate pair counts as one).
template <typename Append> void foldCharacter(QStringView character, Append append)
{
    if (character.size() == 1 && character.front().unicode() < 0x80) {
        const char16_t c = character.front().unicode();
        append(QChar(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c));
        return;
    }
    // The sharp s is found by "ss", as it is written without the letter.
    if (character.front() == QChar(0x00DF) || character.front() == QChar(0x1E9E)) {
        append(QLatin1Char('s'));
        append(QLatin1Char('s'));
        return;
    }
    // Decomposed, the accents are marks of their own that are dropped.
    const QString decomposed = character.toString().normalized(QString::NormalizationForm_D);
    QString kept;
    for (const QChar c : decomposed) {
        if (!isMark(c))
            kept += c;
    }
    for (const QChar c : kept.toCaseFolded())
        append(c);
}

// The folded forms of the Latin-1 letters, made once: most of a long note's
// letters are these, and decomposing each one anew would be slow.
const QString& foldedLatin1(char16_t c)
{
    static const QList<QString> table = [] {
        QList<QString> t;
        for (char16_t u = 0; u < 0x100; ++u) {
            QString folded;
            const QChar character(u);
            foldCharacter(QStringView(&character, 1), [&](QChar f) { folded += f; });
            t.append(folded);
        }
        return t;
    }();
    return table.at(c);
}

template <typename Text, typename Append> void foldText(const Text& text, Append append)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            const char16_t u = c.unicode();
            append(QChar(u >= u'A' && u <= u'Z' ? u + (u'a' - u'A') : u), i);
            continue;
        }
        if (c.unicode() < 0x100) {
            for (const QChar f : foldedLatin1(c.unicode()))
                append(f, i);
            continue;
        }
        QChar character[2] = {c, QChar()};
        qsizetype length = 1;
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            character[1] = text.at(i + 1);
            length = 2;
        }
        foldCharacter(QStringView(character, length), [&](QChar f) { append(f, i); });
        i += length - 1;
    }
}

template <typename Text> void foldOnto(FoldedText& text, const Text& original)
{
    const qsizetype base = text.originalLength;
    foldText(original, [&](QChar c, qsizetype origin) {
        origin += base;
        const qsizetype at = text.folded.size();
        const qsizetype expected =
            text.shifts.isEmpty() ? at
                                  : text.shifts.back().original + at - text.shifts.back().folded;
        if (origin != expected)
            text.shifts.append({at, origin});
        text.folded.append(c);
    });
    text.originalLength += original.size();
}

template <typename Text> FoldedText foldWhole(const Text& original)
{
    FoldedText text;
    text.folded.reserve(original.size());
    foldOnto(text, original);
    text.folded.squeeze();
    return text;
}

} // namespace

FoldedText FoldedText::of(const QString& original)
{
    return foldWhole(original);
}

FoldedText FoldedText::of(const CompactText& original)
{
    const QByteArray* bytes = original.latin1();
    // Whether each Latin-1 letter folds to Latin-1 letters (µ does not).
    static const std::array<bool, 256> foldsToLatin1 = [] {
        std::array<bool, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const QString& folded = foldedLatin1(char16_t(c));
            t[size_t(c)] = std::all_of(folded.cbegin(), folded.cend(),
                                       [](QChar f) { return f.unicode() <= 0xFF; });
        }
        return t;
    }();
    if (!bytes || !std::all_of(bytes->cbegin(), bytes->cend(),
                               [](char b) { return foldsToLatin1[uchar(b)]; }))
        return foldWhole(original);

    // A text of one byte a character folds into one, byte by byte; delta is
    // the origin less the folded index since the last shift.
    FoldedText text;
    text.originalLength = bytes->size();
    QByteArray folded(bytes->size(), Qt::Uninitialized);
    qsizetype at = 0;
    qsizetype delta = 0;
    const auto put = [&](char c, qsizetype origin) {
        if (origin - at != delta) {
            text.shifts.append({at, origin});
            delta = origin - at;
        }
        if (at == folded.size())
            folded.resize(folded.size() + folded.size() / 4 + 16);
        folded[at++] = c;
    };
    for (qsizetype i = 0; i < bytes->size(); ++i) {
        const uchar b = uchar(bytes->at(i));
        if (b < 0x80) {
            put(char(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b), i);
            continue;
        }
        for (const QChar c : foldedLatin1(b))
            put(char(c.unicode()), i);
    }
    folded.resize(at);
    folded.squeeze();
    text.folded = CompactText::fromLatin1(std::move(folded));
    return text;
}

void FoldedText::append(QStringView original)
{
    foldOnto(*this, original);
}

qsizetype FoldedText::origin(qsizetype foldedIndex) const
{
    if (shifts.isEmpty() || foldedIndex < shifts.front().folded)
        return foldedIndex;
    const auto after =
        std::upper_bound(shifts.cbegin(), shifts.cend(), foldedIndex,
                         [](qsizetype index, const Shift& shift) { return index < shift.folded; });
    const Shift& shift = *(after - 1);
    return shift.original + foldedIndex - shift.folded;
}

QString FoldedText::fold(const QString& text)
{
    QString folded;
    folded.reserve(text.size());
    foldText(text, [&](QChar c, qsizetype) { folded += c; });
    return folded;
}

FoldedText::Span FoldedText::originalSpan(qsizetype start, qsizetype length) const
{
    if (start < 0 || length <= 0 || start + length > folded.size())
        return {};
    const qsizetype last = start + length - 1;
    // Up to the next kept character: the dropped accents of the last letter
    // and the second half of a surrogate pair belong to the match.
    qsizetype end = last + 1 < folded.size() ? origin(last + 1) : originalLength;
    if (end <= origin(last))
        end = origin(last) + 1;
    return {origin(start), end - origin(start)};
}
