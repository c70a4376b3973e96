#include "files/text_items.h"

#include "core/utilities.h"

#include <QStringDecoder>

namespace sarvo::files {

bool ItemReader::isLineEnd(qsizetype i) const
{
    const QChar c = text_[i];
    return c == u'\n' || c == u'\r';
}

void ItemReader::skipDelimiter()
{
    if (pos_ >= text_.size())
        return;
    const QChar c = text_[pos_];
    if (c == u',' || c == u'\n') {
        ++pos_;
    } else if (c == u'\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == u'\n')
            ++pos_;
    }
}

std::optional<QStringView> ItemReader::next()
{
    const qsizetype n = text_.size();
    if (pos_ >= n)
        return std::nullopt;
    while (pos_ < n && text_[pos_] == u' ')
        ++pos_;
    if (pos_ >= n)
        return QStringView(); // trailing blanks at the very end: one last empty item

    if (text_[pos_] == u'"') {
        const qsizetype start = pos_ + 1;
        qsizetype end = start;
        while (end < n && text_[end] != u'"' && !isLineEnd(end))
            ++end;
        const QStringView item = text_.mid(start, end - start);
        pos_ = end;
        if (pos_ < n && text_[pos_] == u'"')
            ++pos_;
        // Whatever stands between the closing quote and the delimiter belongs to no item.
        while (pos_ < n && text_[pos_] != u',' && !isLineEnd(pos_))
            ++pos_;
        skipDelimiter();
        return item;
    }

    const qsizetype start = pos_;
    while (pos_ < n && text_[pos_] != u',' && !isLineEnd(pos_))
        ++pos_;
    const QStringView item = text_.mid(start, pos_ - start);
    skipDelimiter();
    return item;
}

QString DecodeBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

QString DecodeUtf8Or1252(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}

} // namespace sarvo::files
