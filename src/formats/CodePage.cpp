#include "formats/CodePage.h"

#include <QStringDecoder>
#include <QtEndian>

#include <cerrno>
#include <iconv.h>
#include <map>
#include <string>

namespace CodePage {
namespace {

int g_system = 1252;

// The ANSI code pages Windows picks for a language, plus UTF-8.
bool isAnsiCodePage(int codePage)
{
    switch (codePage) {
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
    case Utf8:
        return true;
    default:
        return codePage >= 1250 && codePage <= 1258;
    }
}

bool isMultiByte(int codePage)
{
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1361:
    case 20932:
    case 51932:
    case 51949:
    case 54936:
    case Utf8:
        return true;
    default:
        return false;
    }
}

// The converter's name for a Windows code page number.
QByteArray iconvName(int codePage)
{
    switch (codePage) {
    case Utf8:
        return "UTF-8";
    case 10000:
        return "MACINTOSH";
    case 1361:
        return "JOHAB";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 20932:
    case 51932:
        return "EUC-JP";
    case 51949:
        return "EUC-KR";
    case 54936:
        return "GB18030";
    default:
        if (codePage >= 28591 && codePage <= 28605)
            return "ISO-8859-" + QByteArray::number(codePage - 28590);
        return "CP" + QByteArray::number(codePage);
    }
}

constexpr const char* kUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

enum class Direction { ToText, ToBytes };

// Opened converters, one set per thread (the alarm worker may read files too).
class Converters {
public:
    ~Converters()
    {
        for (const auto& [key, cd] : m_open) {
            if (cd != invalid())
                iconv_close(cd);
        }
    }

    // The converter, reset to its initial state; invalid() when there is none.
    iconv_t get(int codePage, Direction direction)
    {
        const auto key = std::make_pair(codePage, direction);
        auto it = m_open.find(key);
        if (it == m_open.end()) {
            const QByteArray name = iconvName(codePage);
            const iconv_t cd = direction == Direction::ToText
                                   ? iconv_open(kUtf16, name.constData())
                                   : iconv_open(name.constData(), kUtf16);
            it = m_open.emplace(key, cd).first;
        }
        if (it->second != invalid())
            iconv(it->second, nullptr, nullptr, nullptr, nullptr);
        return it->second;
    }

    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

private:
    std::map<std::pair<int, Direction>, iconv_t> m_open;
};

iconv_t converter(int codePage, Direction direction)
{
    thread_local Converters converters;
    return converters.get(codePage, direction);
}

bool isAscii(QByteArrayView bytes)
{
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// The character a byte the code page does not assign reads as.
char16_t unassignedByte(unsigned char byte, int codePage)
{
    if (byte >= 0x80 && byte <= 0x9F && !isMultiByte(codePage))
        return byte;
    return char16_t(0xDC00 + byte);
}

// The byte a character written for an unassigned byte stands for, or -1.
int byteOfUnassigned(char16_t c, int codePage)
{
    if (c >= 0xDC80 && c <= 0xDCFF)
        return c - 0xDC00;
    if (c >= 0x80 && c <= 0x9F && !isMultiByte(codePage))
        return c;
    return -1;
}

// Runs one conversion of the whole input through cd into out. onBadInput is
// called at input the converter refuses; it writes one stand-in unit and says
// how many input bytes it took, or 0 to give up: convert then returns false.
template <typename Unit, typename OnBadInput>
bool convert(iconv_t cd, QByteArrayView input, std::basic_string<Unit>* out, OnBadInput onBadInput)
{
    char* in = const_cast<char*>(input.data());
    size_t inLeft = size_t(input.size());
    size_t used = 0; // bytes of out filled
    out->resize(size_t(input.size()) * 2 + 16);
    for (;;) {
        if (out->size() * sizeof(Unit) - used < 16)
            out->resize(out->size() * 2);
        char* outPos = reinterpret_cast<char*>(out->data()) + used;
        size_t outLeft = out->size() * sizeof(Unit) - used;
        const bool flushing = inLeft == 0;
        const size_t result = flushing ? iconv(cd, nullptr, nullptr, &outPos, &outLeft)
                                       : iconv(cd, &in, &inLeft, &outPos, &outLeft);
        const int error = errno;
        used = size_t(outPos - reinterpret_cast<char*>(out->data()));
        if (result != size_t(-1)) {
            if (flushing)
                break;
            continue;
        }
        if (error == E2BIG) {
            out->resize(out->size() * 2);
            continue;
        }
        if (flushing)
            break;
        // EILSEQ, or EINVAL for a sequence cut off at the end. A character the
        // converter holds back (to join an accent to it) comes first.
        if (iconv(cd, nullptr, nullptr, &outPos, &outLeft) == size_t(-1) && errno == E2BIG) {
            out->resize(out->size() * 2);
            continue;
        }
        used = size_t(outPos - reinterpret_cast<char*>(out->data()));
        const size_t taken = onBadInput(in, inLeft, reinterpret_cast<Unit*>(outPos));
        if (taken == 0)
            return false;
        used += sizeof(Unit);
        in += taken;
        inLeft -= taken;
    }
    out->resize(used / sizeof(Unit));
    return true;
}

} // namespace

int system()
{
    return g_system;
}

bool setSystem(int codePage)
{
    if (!isSupported(codePage))
        return false;
    g_system = codePage;
    return true;
}

bool isSupported(int codePage)
{
    return isAnsiCodePage(codePage) && isKnown(codePage);
}

bool isKnown(int codePage)
{
    // Windows numbers code pages in 16 bits.
    return codePage > 0 && codePage <= 0xFFFF &&
           converter(codePage, Direction::ToText) != Converters::invalid() &&
           converter(codePage, Direction::ToBytes) != Converters::invalid();
}

int forLocale(QStringView localeName)
{
    // language[_territory][.codeset][@modifier]; '-' is taken like '_'.
    QStringView name = localeName;
    QStringView modifier;
    if (const qsizetype at = name.indexOf(u'@'); at >= 0) {
        modifier = name.sliced(at + 1);
        name = name.first(at);
    }
    if (const qsizetype dot = name.indexOf(u'.'); dot >= 0)
        name = name.first(dot);
    QStringList subtags;
    for (const QStringView field : name.split(u'_'))
        for (const QStringView subtag : field.split(u'-'))
            subtags.append(subtag.toString().toLower());
    const QString language = subtags.value(0);
    const auto hasSubtag = [&](const char* tag) {
        return subtags.contains(QLatin1StringView(tag));
    };
    const bool latin = modifier.compare(u"latin", Qt::CaseInsensitive) == 0 || hasSubtag("latn");
    const bool cyrillic =
        modifier.compare(u"cyrillic", Qt::CaseInsensitive) == 0 || hasSubtag("cyrl");

    static const std::map<QString, int> byLanguage = {
        {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"hr", 1250}, {"sl", 1250},
        {"ro", 1250}, {"sq", 1250}, {"bs", 1250}, {"ru", 1251}, {"uk", 1251}, {"be", 1251},
        {"bg", 1251}, {"mk", 1251}, {"sr", 1251}, {"kk", 1251}, {"ky", 1251}, {"mn", 1251},
        {"tt", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255}, {"iw", 1255},
        {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"et", 1257}, {"lv", 1257}, {"lt", 1257},
        {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},  {"zh", 936},
    };
    if (language == u"sr" && latin)
        return 1250;
    if (language == u"az" && cyrillic)
        return 1251;
    if (language == u"zh" &&
        (hasSubtag("tw") || hasSubtag("hk") || hasSubtag("mo") || hasSubtag("hant")))
        return 950;
    const auto it = byLanguage.find(language);
    return it == byLanguage.end() ? 1252 : it->second;
}

QString localeFromEnvironment()
{
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

int forProgram(const QStringList& arguments, QString* problem)
{
    const QString option = QStringLiteral("--codepage");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString number;
        if (arguments[i] == option && i + 1 < arguments.size())
            number = arguments[i + 1];
        else if (arguments[i].startsWith(option + u'='))
            number = arguments[i].sliced(option.size() + 1);
        else
            continue;
        bool ok = false;
        const int codePage = number.toInt(&ok);
        if (ok && isSupported(codePage))
            return codePage;
        if (problem)
            *problem = QStringLiteral("The code page \"%1\" is not one the program can use "
                                      "(874, 932, 936, 949, 950, 1250 to 1258 or 65001); "
                                      "the code page of the language is used.")
                           .arg(number);
        break;
    }
    return forLocale(localeFromEnvironment());
}

namespace {

enum class UnassignedBytes { Written, Refused };

std::optional<QByteArray> encode(QStringView text, int codePage, UnassignedBytes unassigned)
{
    if (isAscii(text))
        return text.toLatin1();
    const iconv_t cd = converter(codePage, Direction::ToBytes);
    if (cd == Converters::invalid())
        return std::nullopt;
    std::string out;
    const QByteArrayView input(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const bool kept = convert(cd, input, &out, [&](const char* at, size_t, char* stand) {
        const char16_t c = qFromUnaligned<char16_t>(at);
        const int byte =
            unassigned == UnassignedBytes::Written ? byteOfUnassigned(c, codePage) : -1;
        const char b = char(byte);
        // Only a byte that reads back as this character stands for it.
        if (byte < 0 || decode(QByteArrayView(&b, 1), codePage) != QChar(c))
            return size_t(0);
        *stand = b;
        return size_t(2);
    });
    if (!kept)
        return std::nullopt;
    QByteArray bytes(out.data(), qsizetype(out.size()));
    // Some characters are written as a look-alike (Japanese "¥" as ""); only
    // bytes that read back as the same text count.
    if (decode(bytes, codePage) != text)
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<QByteArray> encode(QStringView text, int codePage)
{
    return encode(text, codePage, UnassignedBytes::Written);
}

std::optional<QByteArray> encodeDefined(QStringView text, int codePage)
{
    return encode(text, codePage, UnassignedBytes::Refused);
}

QString decode(QByteArrayView bytes, int codePage)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    const iconv_t cd = converter(codePage, Direction::ToText);
    std::u16string out;
    if (cd == Converters::invalid()) {
        for (const char b : bytes) {
            const auto byte = static_cast<unsigned char>(b);
            out.push_back(byte < 0x80 ? char16_t(byte) : unassignedByte(byte, codePage));
        }
    } else {
        convert(cd, bytes, &out, [&](const char* at, size_t, char16_t* stand) {
            *stand = unassignedByte(static_cast<unsigned char>(*at), codePage);
            return size_t(1);
        });
    }
    return QString(reinterpret_cast<const QChar*>(out.data()), qsizetype(out.size()));
}

int ofTextFile(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return system();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? system() : Utf8;
}

QByteArray encodeTextFile(QStringView text, bool* complete)
{
    // Code page bytes that happen to be valid UTF-8 would be read back as UTF-8.
    if (std::optional<QByteArray> bytes = encode(text);
        bytes && (system() == Utf8 || ofTextFile(*bytes) != Utf8)) {
        if (complete)
            *complete = true;
        return *bytes;
    }
    if (complete)
        *complete = text.isValidUtf16();
    return text.toUtf8();
}

QString decodeTextFile(QByteArrayView bytes)
{
    return decode(bytes, ofTextFile(bytes));
}

} // namespace CodePage
