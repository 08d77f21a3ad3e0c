#pragma once

#include <QString>

#include <algorithm>

// A note's plain text with the differences that do not change what is found
// in it taken out: every run of white space (line feeds between paragraphs
// and around table cells included) is one space, none at the ends, and the
// stand-ins for pictures (U+FFFC) are dropped. The text-only pass and the
// document pass give the same text of an ordinary note; of tables with
// merged or missing cells the document holds a few more or fewer line feeds.
inline QString comparableText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool space = false;
    for (const QChar c : text) {
        if (c == QChar::ObjectReplacementCharacter)
            continue;
        if (c.isSpace()) {
            space = !out.isEmpty();
            continue;
        }
        if (space)
            out += QLatin1Char(' ');
        space = false;
        out += c;
    }
    return out;
}

// The characters of a text other than white space and picture stand-ins, in
// order of their codes: what two texts share when a damaged table puts the
// same cells in another order.
inline QString sortedCharacters(QString text)
{
    text.removeIf([](QChar c) { return c.isSpace() || c == QChar::ObjectReplacementCharacter; });
    std::sort(text.begin(), text.end());
    return text;
}
