// The RTF reader on arbitrary bytes, both its passes: the document and the
// text-only one the find index uses, which must hold the same characters (in
// damaged tables the document may put cells in another order). Then the
// writer on the document, whose output must read back to the same text (the
// same characters where the note has a table).
#include "FuzzMain.h"
#include "formats/RichText.h"

#include "../tests/support/ComparableText.h"

#include <QBuffer>
#include <QTextDocument>
#include <QTextFrame>

#include <cstdio>
#include <cstdlib>

namespace {

void mustMatch(const char* what, const QString& expected, const QString& found,
               bool anyOrder = false)
{
    if (comparableText(expected) == comparableText(found))
        return;
    if (anyOrder && sortedCharacters(expected) == sortedCharacters(found))
        return;
    const QString a = comparableText(expected);
    const QString b = comparableText(found);
    qsizetype at = 0;
    while (at < a.size() && at < b.size() && a.at(at) == b.at(at))
        ++at;
    std::fprintf(
        stderr, "%s differs at %lld (U+%04X against U+%04X):\n  expected: %s\n  found:    %s\n",
        what, static_cast<long long>(at), at < a.size() ? unsigned(a.at(at).unicode()) : 0u,
        at < b.size() ? unsigned(b.at(at).unicode()) : 0u, qPrintable(a.mid(at - 20, 200)),
        qPrintable(b.mid(at - 20, 200)));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication();
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QTextDocument document;
    RichText::read(&in, &document);
    const QString shown = document.toPlainText();

    in.seek(0);
    QString text;
    RichText::readText(&in, &text);
    mustMatch("the text-only pass", shown, text, true);

    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    RichText::write(&document, &out);
    out.close();
    out.open(QIODevice::ReadOnly);
    QTextDocument again;
    RichText::read(&out, &again);
    // A damaged table is written as the rows it became, which may read back
    // with its cells in another order.
    const bool hasTable = !document.rootFrame()->childFrames().isEmpty();
    mustMatch("the written note read back", shown, again.toPlainText(), hasTable);
    return 0;
}
