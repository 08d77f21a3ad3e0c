#pragma once

#include <QByteArray>

class QTextDocument;

// The two halves of RichText: RtfReader.cpp and RtfWriter.cpp. RichText.cpp
// handles devices, files, empty and plain-text input around them.
namespace RichText::Rtf {

// Replaces the content of document with the text of data, which starts with
// "{\rtf". Never fails: damaged input gives whatever text could be recovered.
void parse(const QByteArray& data, QTextDocument* document);

// The RTF form of document.
QByteArray generate(const QTextDocument* document);

} // namespace RichText::Rtf
