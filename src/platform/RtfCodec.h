#pragma once

#include <QByteArray>

class QTextDocument;

// The two halves of RichText: RtfReader.cpp and RtfWriter.cpp. RichText.cpp
// handles devices, files, empty and plain-text input around them.
namespace RichText::Rtf {

// The paragraph properties both halves know, in RTF units (twips).
struct Paragraph {
    int align = 0; // 0 left, 1 centre, 2 right, 3 justify
    bool rightToLeft = false;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    int background = 0; // colour table index
    bool operator==(const Paragraph&) const = default;
};

// Replaces the content of document with the text of data, which starts with
// "{\rtf". Never fails: damaged input gives whatever text could be recovered.
void parse(const QByteArray& data, QTextDocument* document);

// The RTF form of document.
QByteArray generate(const QTextDocument* document);

} // namespace RichText::Rtf
