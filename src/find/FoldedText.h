#pragma once

#include <QList>
#include <QString>

// A text prepared for finding: letters without their accents and in one case,
// with, for each character of the folded text, where it came from in the
// original, so that a match can be marked and a caret placed in the original.
struct FoldedText {
    QString folded;
    // origins[i]: the index in the original of folded[i]; empty when that is i.
    QList<qsizetype> origins;
    qsizetype originalLength = 0;

    qsizetype origin(qsizetype foldedIndex) const
    {
        return origins.isEmpty() ? foldedIndex : origins.at(foldedIndex);
    }

    // The folded text of original.
    static FoldedText of(const QString& original);
    // Only the folded letters, for a query.
    static QString fold(const QString& text);

    // The span of the original that the folded span [start, start + length) came from.
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    Span originalSpan(qsizetype start, qsizetype length) const;
};
