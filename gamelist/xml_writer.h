#pragma once
// Serialises a document: top-level nodes each followed by CR LF, empty
// elements as <x/>, "&", "<", ">" escaped in text, characters the encoding
// lacks as one &#x...; reference per code point.
#include <functional>
#include <string>
#include <string_view>

#include "gamelist/xml_dom.h"

namespace gamelist {

enum class XmlEncoding { Utf8, Gb2312 };

// "GB2312" or "UTF-8" in any letter case; an empty name means UTF-8, XML's
// default. Throws GamelistError for any other name.
XmlEncoding ParseXmlEncoding(std::string_view name);

// Receives the serialised bytes a buffer-full at a time, in order.
using XmlOutput = std::function<void(std::string_view bytes)>;

// Throws GamelistError, naming the text, when a text holds what XML 1.0
// cannot carry: a control character other than tab, LF and CR, a lone
// surrogate, U+FFFE, U+FFFF or bytes that are not UTF-8. What was passed to
// `output` before then is a fragment, for the caller to discard.
void WriteXml(XmlNode document, XmlEncoding encoding, const XmlOutput& output);
std::string SerializeXml(XmlNode document, XmlEncoding encoding);

}  // namespace gamelist
