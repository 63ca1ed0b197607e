#include "gamelist/xml_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

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

// Uppercase hexadecimal digits without leading zeros.
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

// Bytes that stand for themselves in every encoding: ASCII that XML allows,
// and in text, not markup. A table, since every byte of the output passes
// this test.
using ByteSet = std::array<bool, 256>;

constexpr ByteSet PlainBytes(bool escape) {
  ByteSet plain{};
  for (int byte = 0x20; byte < 0x80; ++byte) plain[byte] = true;
  plain['\t'] = plain['\n'] = plain['\r'] = true;
  if (escape) plain['&'] = plain['<'] = plain['>'] = false;
  return plain;
}

constexpr ByteSet kPlainInText = PlainBytes(true);
constexpr ByteSet kPlainInMarkup = PlainBytes(false);

class Writer {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  Writer(XmlEncoding encoding, const XmlOutput& output)
      : encoding_(encoding), output_(output), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

  void Node(XmlNode node) {
    switch (node.Type()) {
      case XmlNodeType::Document:
        for (auto child = node.FirstChild(); child; child = child->NextSibling()) {
          Node(*child);
          Put("\r\n");
        }
        break;
      case XmlNodeType::ProcessingInstruction:
        Put("<?");
        Chars(node.Name(), false);
        if (!node.Value().empty()) {
          Put(" ");
          Chars(node.Value(), false);
        }
        Put("?>");
        break;
      case XmlNodeType::Element:
        Element(node);
        break;
      case XmlNodeType::Text:
        Chars(node.Value(), true);
        break;
    }
  }

  void Element(XmlNode element) {
    const std::string_view name = element.Name();
    Put("<");
    Chars(name, false);
    if (!element.HasChildren()) {
      Put("/>");
      return;
    }
    Put(">");
    element.VisitChildren([this](std::string_view text) { Chars(text, true); },
                          [this](XmlNode child) { Node(child); });
    Put("</");
    Chars(name, false);
    Put(">");
  }

  void Flush() {
    if (used_ > 0) output_(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

 private:
  [[noreturn]] static void Refuse(std::string_view text, const std::string& why) {
    throw GamelistError("the text \"" + EscapeForMessage(text) + "\" cannot be written as XML: " + why);
  }

  void Put(std::string_view bytes) {
    if (bytes.size() > kBufferSize - used_) return PutAcrossFlushes(bytes);
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }

  void PutAcrossFlushes(std::string_view bytes) {
    while (!bytes.empty()) {
      if (used_ == kBufferSize) Flush();
      const std::size_t n = std::min(bytes.size(), kBufferSize - used_);
      std::memcpy(buffer_.get() + used_, bytes.data(), n);
      used_ += n;
      bytes.remove_prefix(n);
    }
  }

  void Chars(std::string_view text, bool escape) {
    const ByteSet& plain = escape ? kPlainInText : kPlainInMarkup;
    for (std::size_t pos = 0; pos < text.size();) {
      // Most of a gamelist is plain ASCII; it goes out a run at a time.
      std::size_t run = pos;
      while (run < text.size() && plain[static_cast<unsigned char>(text[run])]) ++run;
      Put(text.substr(pos, run - pos));
      pos = run;
      if (pos == text.size()) break;

      const std::size_t start = pos;
      const char32_t cp = DecodeUtf8(text, pos);
      if (cp == kInvalidCodePoint) Refuse(text, "it is not valid UTF-8");
      if (cp >= 0xD800 && cp <= 0xDFFF) Refuse(text, "it holds the lone surrogate " + CodePointName(cp));
      if ((cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || cp == 0xFFFE || cp == 0xFFFF)
        Refuse(text, "it holds " + CodePointName(cp) + ", a character XML does not allow");
      if (escape && cp == '&') {
        Put("&amp;");
      } else if (escape && cp == '<') {
        Put("&lt;");
      } else if (escape && cp == '>') {
        Put("&gt;");
      } else if (encoding_ == XmlEncoding::Utf8) {
        Put(text.substr(start, pos - start));  // valid UTF-8, as DecodeUtf8 just checked
      } else {
        Gb2312Char(cp);
      }
    }
  }

  void Gb2312Char(char32_t cp) {
    if (const std::uint16_t code = Gb2312Encode(cp)) {
      const char bytes[] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
      Put(std::string_view(bytes, 2));
      return;
    }
    Put("&#x");
    Put(Hex(cp));
    Put(";");
  }

  XmlEncoding encoding_;
  const XmlOutput& output_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

}  // namespace

XmlEncoding ParseXmlEncoding(std::string_view name) {
  const std::string upper = Upper(name);
  if (upper.empty() || upper == "UTF-8") return XmlEncoding::Utf8;
  if (upper == "GB2312") return XmlEncoding::Gb2312;
  throw GamelistError("the encoding \"" + EscapeForMessage(name) + "\" is not supported (GB2312 or UTF-8)");
}

void WriteXml(XmlNode document, XmlEncoding encoding, const XmlOutput& output) {
  Writer writer(encoding, output);
  writer.Node(document);
  writer.Flush();
}

std::string SerializeXml(XmlNode document, XmlEncoding encoding) {
  std::string bytes;
  WriteXml(document, encoding, [&bytes](std::string_view part) { bytes.append(part); });
  return bytes;
}

}  // namespace gamelist
