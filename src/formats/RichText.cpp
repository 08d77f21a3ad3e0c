#include "formats/RichText.h"
#include "formats/SaveFile.h"

#include "formats/CodePage.h"
#include "formats/RtfCodec.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <limits>

namespace RichText {
namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// RTF, possibly behind a UTF-8 byte-order mark that some editors put first.
bool looksLikeRtf(const QByteArray& data)
{
    return data.startsWith("{\\rtf") ||
           (data.startsWith(kUtf8ByteOrderMark) && data.mid(3, 5) == "{\\rtf");
}

// A note that is not RTF: UTF-8 when the bytes are valid UTF-8, otherwise
// the system code page as the Windows program kept plain text.
QString decodePlainText(QByteArray data)
{
    if (data.startsWith(kUtf8ByteOrderMark))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    if (utf8.hasError())
        text = CodePage::decode(data);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // What a note cannot keep is no text here either, as in RTF.
    text.replace(QLatin1Char('\n'), QChar(QChar::ParagraphSeparator));
    text = Rtf::cleanText(text);
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    return text;
}

} // namespace

StepReader::StepReader(const QByteArray& data, QTextDocument* document, int tablePieceRows)
    : m_document(document), m_undo(document->isUndoRedoEnabled())
{
    document->setUndoRedoEnabled(false);
    document->clear();
    if (data.startsWith(kUtf8ByteOrderMark) && looksLikeRtf(data))
        m_parser = std::make_unique<Rtf::Parser>(data.mid(3), document, tablePieceRows);
    else if (looksLikeRtf(data))
        m_parser = std::make_unique<Rtf::Parser>(data, document, tablePieceRows);
    else if (!data.isEmpty())
        document->setPlainText(decodePlainText(data));
}

StepReader::~StepReader() = default;

bool isTableJoint(const QTextBlock& block)
{
    if (!block.isValid() || block.length() > 1 || QTextCursor(block).currentTable())
        return false;
    const QTextBlock next = block.next();
    const QTextTable* table = next.isValid() ? QTextCursor(next).currentTable() : nullptr;
    return table && table->firstPosition() == next.position() &&
           table->format().boolProperty(Rtf::ContinuesTable);
}

bool StepReader::step(qsizetype bytes)
{
    if (m_parser && !m_parser->step(bytes))
        return false;
    m_document->setUndoRedoEnabled(m_undo);
    m_document->setModified(false);
    return true;
}

double StepReader::progress() const
{
    return m_parser ? m_parser->progress() : 1.0;
}

QStringList StepReader::notKept() const
{
    return m_parser ? m_parser->notKept() : QStringList();
}

QStringList StepReader::notShown() const
{
    return m_parser ? m_parser->notShown() : QStringList();
}

bool read(QIODevice* device, QTextDocument* document, QString* error, QStringList* notKept,
          QStringList* notShown)
{
    if (!document) {
        setError(error, QStringLiteral("No document to read into"));
        return false;
    }
    if (!device || !device->isOpen() || !device->isReadable()) {
        setError(error,
                 QStringLiteral("The note cannot be read: the device is not open for reading"));
        return false;
    }
    const QByteArray data = device->readAll();
    if (data.isEmpty() && !device->atEnd()) {
        setError(error, QStringLiteral("The note cannot be read: %1").arg(device->errorString()));
        return false;
    }
    StepReader reader(data, document);
    while (!reader.step(std::numeric_limits<qsizetype>::max() / 2)) {
    }
    if (notKept)
        *notKept = reader.notKept();
    if (notShown)
        *notShown = reader.notShown();
    return true;
}

bool readText(QIODevice* device, const std::function<void(QStringView)>& sink, QString* error)
{
    if (!device || !device->isOpen() || !device->isReadable()) {
        setError(error,
                 QStringLiteral("The note cannot be read: the device is not open for reading"));
        return false;
    }
    QByteArray head = device->read(8);
    if (head.isEmpty() && !device->atEnd()) {
        setError(error, QStringLiteral("The note cannot be read: %1").arg(device->errorString()));
        return false;
    }
    if (looksLikeRtf(head)) {
        Rtf::readPlainText(device, std::move(head), sink);
        return true;
    }
    head += device->readAll();
    QString text = decodePlainText(head);
    head.clear();
    // As the document gives it back.
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator)
            c = u'\n';
        else if (u == QChar::Nbsp)
            c = u' ';
    }
    sink(text);
    return true;
}

bool readText(QIODevice* device, QString* text, QString* error)
{
    if (!text) {
        setError(error, QStringLiteral("No text to read into"));
        return false;
    }
    text->clear();
    return readText(
        device, [text](QStringView piece) { text->append(piece); }, error);
}

bool readTextFile(const QString& path, const std::function<void(QStringView)>& sink, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
        return false;
    }
    return readText(&file, sink, error);
}

bool readTextFile(const QString& path, QString* text, QString* error)
{
    if (!text) {
        setError(error, QStringLiteral("No text to read into"));
        return false;
    }
    text->clear();
    return readTextFile(
        path, [text](QStringView piece) { text->append(piece); }, error);
}

bool write(const QTextDocument* document, QIODevice* device, QString* error)
{
    if (!document) {
        setError(error, QStringLiteral("No document to write"));
        return false;
    }
    if (!device || !device->isOpen() || !device->isWritable()) {
        setError(error,
                 QStringLiteral("The note cannot be written: the device is not open for writing"));
        return false;
    }
    const QByteArray rtf = Rtf::generate(document);
    if (device->write(rtf) != rtf.size()) {
        setError(error,
                 QStringLiteral("The note cannot be written: %1").arg(device->errorString()));
        return false;
    }
    return true;
}

bool readFile(const QString& path, QTextDocument* document, QString* error, QStringList* notKept,
              QStringList* notShown)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
        return false;
    }
    return read(&file, document, error, notKept, notShown);
}

bool writeFile(const QTextDocument* document, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (!write(document, &file, error)) {
        file.cancelWriting();
        return false;
    }
    if (!commitWhole(file)) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace RichText
