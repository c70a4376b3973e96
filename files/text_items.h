#pragma once
// The text measurement files (.rtb, text .dbb) are sequences of input items. Their numbers are
// read by core/utilities.h: ParseNumber where a value must be a number, LeadingNumberInRange where
// it is read only as far as it looks like one.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace sarvo::files {

// Input items: an item ends at a comma or a line end (CR LF, LF or a lone CR); blanks before it
// are skipped; an empty line is an empty item. An item that begins with a double quote runs to
// the closing quote (or the line end), commas included, and the rest of its field is dropped.
// Items are views into the text, which must outlive the reader.
class ItemReader {
public:
    explicit ItemReader(QStringView text) : text_(text) {}

    // The next item; nullopt at the end of the text.
    std::optional<QStringView> next();
    bool atEnd() const { return pos_ >= text_.size(); }

    // Where the next item starts, to come back to it.
    qsizetype position() const { return pos_; }
    void seek(qsizetype position) { pos_ = position; }

private:
    bool isLineEnd(qsizetype i) const;
    void skipDelimiter();

    QStringView text_;
    qsizetype pos_ = 0;
};

// One character per byte, as the OEM text of .rtb files is handled before OemToAnsi.
QString DecodeBytes(const QByteArray& bytes);
// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeUtf8Or1252(const QByteArray& bytes);

} // namespace sarvo::files
