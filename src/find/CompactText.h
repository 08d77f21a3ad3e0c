#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// A text held in one byte a character while every character is Latin-1, as
// the text of most notes is, and in UTF-16 from the first one that is not:
// a 50 MB note's text and its folded form take half the memory.
class CompactText {
public:
    CompactText() = default;
    explicit CompactText(QStringView text) { append(text); }

    void append(QStringView text);
    void append(QChar c);
    void reserve(qsizetype size);
    void squeeze();

    qsizetype size() const { return m_wide ? m_utf16.size() : m_latin1.size(); }
    bool isEmpty() const { return size() == 0; }
    QChar at(qsizetype i) const { return m_wide ? m_utf16.at(i) : QChar(uchar(m_latin1.at(i))); }
    QString mid(qsizetype position, qsizetype length = -1) const;
    QString toString() const { return mid(0); }
    // Where needle is found from from on; -1 where it is not.
    qsizetype indexOf(const QString& needle, qsizetype from = 0) const;
    qsizetype indexOf(QChar c, qsizetype from = 0) const;
    qsizetype lastIndexOf(QChar c, qsizetype from) const;
    qsizetype count(QChar c, qsizetype length) const;

    bool operator==(const QString& other) const { return toString() == other; }

    // The bytes of a text held one byte a character; null for one in UTF-16.
    const QByteArray* latin1() const { return m_wide ? nullptr : &m_latin1; }
    static CompactText fromLatin1(QByteArray bytes)
    {
        CompactText text;
        text.m_latin1 = std::move(bytes);
        return text;
    }

private:
    void widen();

    bool m_wide = false;
    QByteArray m_latin1;
    QString m_utf16;
};
