#pragma once

#include "find/CompactText.h"

#include <QList>
#include <QString>

// A text prepared for finding: letters without their accents and in one case,
// with, for each character of the folded text, where it came from in the
// original, so that a match can be marked and a caret placed in the original.
struct FoldedText {
    CompactText folded;
    // Where folded characters do not follow their originals one for one:
    // from shifts[k].folded on, folded[i] came from shifts[k].original + i -
    // shifts[k].folded, up to the next shift. Empty when every folded[i]
    // came from original[i], as in most texts; a big note with a few letters
    // that fold to two (ß) keeps a few shifts, not a position per character.
    struct Shift {
        qsizetype folded = 0;
        qsizetype original = 0;
    };
    QList<Shift> shifts;
    qsizetype originalLength = 0;

    // The index in the original of folded[foldedIndex].
    qsizetype origin(qsizetype foldedIndex) const;

    // The folded text of original.
    static FoldedText of(const QString& original);
    static FoldedText of(const CompactText& original);
    // Folds more original text onto the end, as if it had been there from the start.
    void append(QStringView original);
    // Only the folded letters, for a query.
    static QString fold(const QString& text);

    // The span of the original that the folded span [start, start + length) came from.
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    Span originalSpan(qsizetype start, qsizetype length) const;
};
