#include "files/xml_support.h"

#include "core/app_error.h"
#include "core/language_db.h"
#include "core/utilities.h"
#include "files/read_context.h"
#include "files/reader_support.h"
#include "files/text_items.h"

#include <sstream>
#include <string>

namespace sarvo::files {

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

std::string xmlSafeUtf8(const QString& text)
{
    QString safe = text;
    for (QChar& ch : safe) {
        const char16_t u = ch.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF)
            ch = u' ';
    }
    return safe.toStdString();
}

bool isSeparator(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r';
}

// Walks the subtree without recursion: a hostile file may nest elements deeply.
void appendText(pugi::xml_node root, QString& out)
{
    pugi::xml_node node = root.first_child();
    while (node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            out += QString::fromUtf8(node.value());
        if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling())
            node = node.parent();
        if (!node || node == root)
            break;
        node = node.next_sibling();
    }
}

} // namespace

std::unique_ptr<pugi::xml_document> NewXmlDocument()
{
    return std::make_unique<pugi::xml_document>();
}

void AddXmlText(pugi::xml_node parent, const QString& text)
{
    parent.append_child(pugi::node_pcdata).set_value(xmlSafeUtf8(text).c_str());
}

pugi::xml_node AddXmlElement(pugi::xml_node parent, const char* name, const QString& value, const QString& indent)
{
    pugi::xml_node element = parent.append_child(name);
    // A reader turns every line end of a text into LF; written so, a value reads back as written.
    QString text = value;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    AddXmlText(element, text);
    AddXmlText(parent, indent);
    return element;
}

QString CommaToPoint(const QString& text)
{
    QString result = text;
    result.replace(u',', u'.');
    return result;
}

QStringView NextToken(QStringView& list)
{
    qsizetype start = 0;
    while (start < list.size() && isSeparator(list[start]))
        ++start;
    qsizetype end = start;
    while (end < list.size() && !isSeparator(list[end]))
        ++end;
    const QStringView token = list.mid(start, end - start);
    list = list.mid(end);
    return token;
}

AppError ReadingsEndError(int run, const QString& lastValue)
{
    return ShortFileError(Translate("The readings of run %1 end before its %2.").arg(run).arg(lastValue));
}

QStringView ReadRunReadings(CaseData& d, int run, QStringView list, int64_t skip, int points, int64_t factor,
                            const QString& lastValue)
{
    const auto next = [&]() {
        const QStringView token = NextToken(list);
        if (token.isEmpty())
            throw ReadingsEndError(run, lastValue);
        const auto value = ParseNumber(token);
        if (!value && !IsNumberBeyondRange(token))
            throw FormatError(Translate("A reading of run %1 is not a number.").arg(run));
        // No reading a gauge gives, nor one the case database can store.
        if (!value || !WithinSingleRange(*value))
            throw AppError(AppError::kOverflow,
                           Translate("A reading of run %1 is out of range: \"%2\".").arg(run).arg(token.toString()));
        return *value;
    };
    for (int64_t k = 0; k < skip; ++k)
        next();
    const bool reversed = d.RunDirection[static_cast<std::size_t>(run)] < 0;
    for (int p = 0; p < points; ++p) {
        double sum = 0;
        for (int64_t k = 0; k < factor; ++k)
            sum += next();
        d.Readings(run, reversed ? points - 1 - p : p) = sum / double(factor);
    }
    return list;
}

QByteArray XmlDocumentBytes(const pugi::xml_document& document)
{
    std::ostringstream out;
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
        out << "\r\n";
    }
    const std::string bytes = out.str();
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void LoadXmlDocument(pugi::xml_document& document, const QByteArray& bytes)
{
    if (bytes.size() > kMaxMeasurementFileSize)
        throw AppError(AppError::kOutOfMemory, Translate("The file is too large for a measurement file."));
    const pugi::xml_parse_result parsed =
        document.load_buffer(bytes.constData(), static_cast<std::size_t>(bytes.size()), kParseOptions, pugi::encoding_auto);
    if (!parsed)
        throw FormatError(Translate("The file is no well-formed XML (%1 at byte %2).")
                              .arg(QString::fromUtf8(parsed.description()))
                              .arg(parsed.offset));
    if (!document.document_element())
        throw FormatError(Translate("The XML file has no root element."));
}

QString XmlText(pugi::xml_node node)
{
    QString text;
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
        return QString::fromUtf8(node.value());
    appendText(node, text);
    return text;
}

pugi::xml_node SelectNode(pugi::xml_node context, const char* query)
{
    if (!context)
        return {};
    return context.select_node(query).node();
}

std::optional<QString> XmlTextOf(pugi::xml_node context, const char* query)
{
    const pugi::xml_node node = SelectNode(context, query);
    if (!node)
        return std::nullopt;
    return XmlText(node);
}

QString XmlTextOr(pugi::xml_node context, const char* query, const QString& fallback)
{
    return XmlTextOf(context, query).value_or(fallback);
}

pugi::xpath_node_set SelectNodes(pugi::xml_node context, const char* query)
{
    if (!context)
        return {};
    return context.select_nodes(query);
}

} // namespace sarvo::files
