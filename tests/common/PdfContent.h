#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtEndian>

#include <vector>

// Reads back what Qt's PDF engine wrote: the image objects with their filter and, when
// stored losslessly as 8-bit RGB, their pixels; and the document's title.
struct PdfImage
{
    QByteArray filter;
    int width = 0;
    int height = 0;
    bool interpolated = false;
    // Decoded only for a Flate-compressed RGB image; null otherwise.
    QImage pixels;
};

inline int PdfDictionaryInt(const QByteArray& dictionary, const char* key)
{
    const qsizetype at = dictionary.indexOf(key);
    if (at < 0)
        return 0;
    qsizetype from = at + qsizetype(qstrlen(key));
    while (from < dictionary.size() && dictionary[from] == ' ')
        ++from;
    qsizetype to = from;
    while (to < dictionary.size() && dictionary[to] >= '0' && dictionary[to] <= '9')
        ++to;
    return dictionary.mid(from, to - from).toInt();
}

inline QImage DecodeFlateRgb(const QByteArray& stream, int width, int height)
{
    const qsizetype expected = qsizetype(width) * height * 3;
    QByteArray prefixed(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(expected), prefixed.data());
    prefixed += stream;
    const QByteArray raw = qUncompress(prefixed);
    if (raw.size() != expected)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    const auto* bytes = reinterpret_cast<const uchar*>(raw.constData());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uchar* p = bytes + (qsizetype(y) * width + x) * 3;
            image.setPixel(x, y, qRgb(p[0], p[1], p[2]));
        }
    return image;
}

inline std::vector<PdfImage> PdfImages(const QByteArray& pdf)
{
    std::vector<PdfImage> images;
    for (qsizetype at = pdf.indexOf("/Subtype /Image"); at >= 0;
         at = pdf.indexOf("/Subtype /Image", at + 1)) {
        const qsizetype begin = pdf.lastIndexOf("<<", at);
        const qsizetype end = pdf.indexOf(">>", at);
        if (begin < 0 || end < 0)
            continue;
        const QByteArray dictionary = pdf.mid(begin, end - begin);
        PdfImage image;
        image.width = PdfDictionaryInt(dictionary, "/Width");
        image.height = PdfDictionaryInt(dictionary, "/Height");
        image.interpolated = dictionary.contains("/Interpolate true");
        const qsizetype filter = dictionary.indexOf("/Filter /");
        if (filter >= 0) {
            const qsizetype from = filter + 8;
            qsizetype to = from + 1;
            while (to < dictionary.size() && QChar::isLetter(dictionary[to]))
                ++to;
            image.filter = dictionary.mid(from, to - from);
        }
        const qsizetype streamAt = pdf.indexOf("stream", end);
        const qsizetype endStream = pdf.indexOf("endstream", streamAt);
        if (streamAt >= 0 && endStream > streamAt && image.filter == "/FlateDecode" &&
            !dictionary.contains("/ImageMask") && dictionary.contains("/DeviceRGB")) {
            qsizetype data = streamAt + 6;
            if (pdf[data] == '\r')
                ++data;
            if (pdf[data] == '\n')
                ++data;
            image.pixels =
                DecodeFlateRgb(pdf.mid(data, endStream - data), image.width, image.height);
        }
        images.push_back(image);
    }
    return images;
}

// The Info dictionary's /Title, a literal string in UTF-16BE with its byte-order mark.
inline QString PdfTitle(const QByteArray& pdf)
{
    const qsizetype at = pdf.indexOf("/Title (");
    if (at < 0)
        return {};
    QByteArray bytes;
    for (qsizetype i = at + 8; i < pdf.size() && pdf[i] != ')'; ++i) {
        if (pdf[i] == '\\')
            ++i;
        bytes.append(pdf[i]);
    }
    if (!bytes.startsWith("\xfe\xff"))
        return QString::fromLatin1(bytes);
    QString title;
    for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
        title.append(QChar(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1]))));
    return title;
}
