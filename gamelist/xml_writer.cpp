#include "gamelist/xml_writer.h"

#include <cstdint>

#include "gamelist/error.h"
#include "gamelist/gb2312.h"
#include "gamelist/text.h"

namespace gamelist {

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string Hex(char32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value);
  return out;
}

std::string CodePointName(char32_t cp) {
  std::string hex = Hex(cp);
  if (hex.size() < 4) hex.insert(0, 4 - hex.size(), '0');
  return "U+" + hex;
}

class Writer {
 public:
  explicit Writer(XmlEncoding encoding) : encoding_(encoding) {}

  void Node(const XmlNode& node) {
    switch (node.Type()) {
      case XmlNodeType::Document:
        for (std::size_t i = 0; i < node.ChildCount(); ++i) {
          Node(node.Child(i));
          out_ += "\r\n";
        }
        break;
      case XmlNodeType::ProcessingInstruction:
        out_ += "<?";
        Chars(node.Name(), false);
        if (!node.Value().empty()) {
          out_ += ' ';
          Chars(node.Value(), false);
        }
        out_ += "?>";
        break;
      case XmlNodeType::Element:
        out_ += '<';
        Chars(node.Name(), false);
        if (node.ChildCount() == 0) {
          out_ += "/>";
          break;
        }
        out_ += '>';
        for (std::size_t i = 0; i < node.ChildCount(); ++i) Node(node.Child(i));
        out_ += "</";
        Chars(node.Name(), false);
        out_ += '>';
        break;
      case XmlNodeType::Text:
        Chars(node.Value(), true);
        break;
    }
  }

  std::string Take() { return std::move(out_); }

 private:
  [[noreturn]] static void Refuse(std::string_view text, const std::string& why) {
    throw GamelistError("the text \"" + EscapeForMessage(text) + "\" cannot be written as XML: " + why);
  }

  void Chars(std::string_view text, bool escape) {
    for (std::size_t pos = 0; pos < text.size();) {
      const char32_t cp = DecodeUtf8(text, pos);
      if (cp == kInvalidCodePoint) Refuse(text, "it is not valid UTF-8");
      if (cp >= 0xD800 && cp <= 0xDFFF) Refuse(text, "it holds the lone surrogate " + CodePointName(cp));
      if ((cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || cp == 0xFFFE || cp == 0xFFFF)
        Refuse(text, "it holds " + CodePointName(cp) + ", a character XML does not allow");
      if (escape && cp == '&') {
        out_ += "&amp;";
      } else if (escape && cp == '<') {
        out_ += "&lt;";
      } else if (escape && cp == '>') {
        out_ += "&gt;";
      } else {
        Char(cp);
      }
    }
  }

  void Char(char32_t cp) {
    if (cp < 0x80 || encoding_ == XmlEncoding::Utf8) {
      AppendUtf8(out_, cp);
      return;
    }
    if (const std::uint16_t code = Gb2312Encode(cp)) {
      out_ += static_cast<char>(code >> 8);
      out_ += static_cast<char>(code & 0xFF);
      return;
    }
    out_ += "&#x" + Hex(cp) + ";";
  }

  XmlEncoding encoding_;
  std::string out_;
};

}  // namespace

XmlEncoding ParseXmlEncoding(std::string_view name) {
  const std::string upper = Upper(name);
  if (upper.empty() || upper == "UTF-8") return XmlEncoding::Utf8;
  if (upper == "GB2312") return XmlEncoding::Gb2312;
  throw GamelistError("the encoding \"" + EscapeForMessage(name) + "\" is not supported (GB2312 or UTF-8)");
}

std::string SerializeXml(const XmlNode& document, XmlEncoding encoding) {
  Writer writer(encoding);
  writer.Node(document);
  return writer.Take();
}

}  // namespace gamelist
