#include "platform/RichText.h"
#include "platform/SaveFile.h"

#include "platform/CodePage.h"
#include "platform/RtfCodec.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocument>

namespace RichText {
namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool looksLikeRtf(const QByteArray& data)
{
    return data.startsWith("{\\rtf");
}

// A note that is not RTF: UTF-8 when the bytes are valid UTF-8, otherwise
// the system code page as the Windows program kept plain text.
QString decodePlainText(QByteArray data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    if (utf8.hasError())
        text = CodePage::decode(data);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

bool read(QIODevice* device, QTextDocument* document, QString* error)
{
    if (!document) {
        setError(error, QStringLiteral("No document to read into"));
        return false;
    }
    if (!device || !device->isOpen() || !device->isReadable()) {
        setError(error, QStringLiteral("The note cannot be read: the device is not open for reading"));
        return false;
    }
    const QByteArray data = device->readAll();
    if (data.isEmpty() && !device->atEnd()) {
        setError(error, QStringLiteral("The note cannot be read: %1").arg(device->errorString()));
        return false;
    }

    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    document->clear();
    if (looksLikeRtf(data))
        Rtf::parse(data, document);
    else if (!data.isEmpty())
        document->setPlainText(decodePlainText(data));
    document->setUndoRedoEnabled(undo);
    document->setModified(false);
    return true;
}

bool write(const QTextDocument* document, QIODevice* device, QString* error)
{
    if (!document) {
        setError(error, QStringLiteral("No document to write"));
        return false;
    }
    if (!device || !device->isOpen() || !device->isWritable()) {
        setError(error, QStringLiteral("The note cannot be written: the device is not open for writing"));
        return false;
    }
    const QByteArray rtf = Rtf::generate(document);
    if (device->write(rtf) != rtf.size()) {
        setError(error, QStringLiteral("The note cannot be written: %1").arg(device->errorString()));
        return false;
    }
    return true;
}

bool readFile(const QString& path, QTextDocument* document, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
        return false;
    }
    return read(&file, document, error);
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
