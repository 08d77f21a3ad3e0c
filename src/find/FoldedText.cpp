#include "find/FoldedText.h"

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

template <typename Append> void foldText(const QString& text, Append append)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() &&
                                         text.at(i + 1).isLowSurrogate()
                                     ? 2
                                     : 1;
        foldCharacter(QStringView(text).mid(i, length), [&](QChar c) { append(c, i); });
        i += length - 1;
    }
}

} // namespace

FoldedText FoldedText::of(const QString& original)
{
    FoldedText text;
    text.folded.reserve(original.size());
    text.origins.reserve(original.size());
    text.originalLength = original.size();
    foldText(original, [&](QChar c, qsizetype origin) {
        text.folded += c;
        text.origins.append(origin);
    });
    // Most texts fold letter for letter; they keep no table of origins.
    bool sameLetters = text.folded.size() == original.size();
    for (qsizetype i = 0; sameLetters && i < text.origins.size(); ++i)
        sameLetters = text.origins.at(i) == i;
    if (sameLetters)
        text.origins = {};
    return text;
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
