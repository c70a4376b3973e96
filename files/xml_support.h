#pragma once
// What the writer and the readers of the XML measurement files share: building a document with
// explicit indentation, loading one with checks, element texts, and the number lists of the
// readings.

#include "core/app_error.h"
#include "core/case.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <optional>

namespace sarvo::files {

// A new, empty document. pugixml never resolves external entities and never validates; white
// space is kept by building and loading with the options below.
std::unique_ptr<pugi::xml_document> NewXmlDocument();

// Appends an element with its value as the last child of parent, then the indent text after it
// (also when either is empty). Control characters other than TAB, LF and CR, which XML cannot
// carry, become blanks; line ends in the value (CR LF, CR) become LF, as any reader of the file
// sees them. Returns the new element.
pugi::xml_node AddXmlElement(pugi::xml_node parent, const char* name, const QString& value, const QString& indent);
// Appends a text node (a white-space run of the layout).
void AddXmlText(pugi::xml_node parent, const QString& text);

// The text with every "," replaced by ".".
QString CommaToPoint(const QString& text);

// Cuts the first number off a list separated by any run of blanks, tabs and line ends (CR LF,
// LF or CR). An empty or all-blank list gives an empty token and is left empty.
QStringView NextToken(QStringView& list);

// Reads the points of a run from its readings list into d.Readings(run, ...): after skipping
// `skip` values, `points` means of `factor` consecutive values each; a clockwise run (direction
// below 0) was listed from its last point. A value that is no number, or a list that ends before
// the last value needed, raises with the run and lastValue (what the file names as the run's last
// value) in the message. Returns what is left of the list.
QStringView ReadRunReadings(CaseData& d, int run, QStringView list, int64_t skip, int points, int64_t factor,
                            const QString& lastValue);
// "The readings of run 2 end before its <lastValue>."
AppError ReadingsEndError(int run, const QString& lastValue);

// The document as UTF-8 bytes: each top-level node (declaration, comment, root) on a line of its
// own ending in CR LF; inside the root only the tree's own white space (no indentation added).
QByteArray XmlDocumentBytes(const pugi::xml_document& document);

// Loads the bytes into the document, keeping white-space-only texts (" " values survive).
// Raises AppError 321 with the parser's reason and the byte offset when the text is not
// well-formed or has no root element, and 7 when it is larger than a measurement file can be.
void LoadXmlDocument(pugi::xml_document& document, const QByteArray& bytes);

// All text below the node, in document order, as the element's value.
QString XmlText(pugi::xml_node node);

// The first node the XPath query selects below context (a null node when none); the queries of
// the readers are fixed texts, so an invalid one is a programming error.
pugi::xml_node SelectNode(pugi::xml_node context, const char* query);
// The text of the first node the query selects; nullopt (or the fallback) when there is none.
std::optional<QString> XmlTextOf(pugi::xml_node context, const char* query);
QString XmlTextOr(pugi::xml_node context, const char* query, const QString& fallback);
pugi::xpath_node_set SelectNodes(pugi::xml_node context, const char* query);

} // namespace sarvo::files
