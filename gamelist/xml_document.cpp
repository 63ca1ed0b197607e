#include "gamelist/xml_document.h"

#include "gamelist/error.h"
#include "gamelist/file_replace.h"
#include "gamelist/xml_writer.h"

namespace gamelist {

namespace {

// Reads `name="value"` (or single quotes) out of declaration data; empty
// when the item is missing.
std::string DeclarationItem(const std::string& data, const std::string& name) {
  for (std::size_t at = data.find(name); at != std::string::npos; at = data.find(name, at + 1)) {
    if (at > 0 && data[at - 1] != ' ' && data[at - 1] != '\t') continue;
    std::size_t pos = at + name.size();
    while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t')) ++pos;
    if (pos >= data.size() || data[pos] != '=') continue;
    ++pos;
    while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t')) ++pos;
    if (pos >= data.size() || (data[pos] != '"' && data[pos] != '\'')) continue;
    const std::size_t end = data.find(data[pos], pos + 1);
    if (end == std::string::npos) continue;
    return data.substr(pos + 1, end - pos - 1);
  }
  return {};
}

}  // namespace

TXMLDocument::TXMLDocument()
    : options_{doNodeAutoCreate, doAttrNull, doAutoPrefix, doNamespaceDecl}, indent_("  ") {}

TXMLDocument::~TXMLDocument() = default;

void TXMLDocument::SetActive(bool active) {
  if (active == Active()) return;
  tree_ = active ? std::make_unique<XmlTree>() : nullptr;
}

XmlNode TXMLDocument::DocumentNode() const {
  if (!tree_) throw GamelistError("the XML document is not active");
  return tree_->Document();
}

std::optional<XmlNode> TXMLDocument::DeclarationNode() const {
  const std::optional<XmlNode> first = DocumentNode().FirstChild();
  if (first && first->Type() == XmlNodeType::ProcessingInstruction && first->Name() == "xml") return first;
  return std::nullopt;
}

TXMLDocument::DeclarationItems TXMLDocument::Declaration() const {
  const std::optional<XmlNode> pi = DeclarationNode();
  if (!pi) return {"1.0", {}, {}};
  const std::string data(pi->Value());
  DeclarationItems items{DeclarationItem(data, "version"), DeclarationItem(data, "encoding"),
                         DeclarationItem(data, "standalone")};
  if (items.version.empty()) items.version = "1.0";
  return items;
}

void TXMLDocument::SetDeclaration(const DeclarationItems& items) {
  std::string data;
  const auto add = [&](const char* name, const std::string& value) {
    if (value.empty()) return;
    if (!data.empty()) data += ' ';
    data += name;
    data += "=\"" + value + "\"";
  };
  add("version", items.version);
  add("encoding", items.encoding);
  add("standalone", items.standalone);
  XmlNode doc = DocumentNode();
  const XmlNode instruction = doc.Tree().CreateProcessingInstruction("xml", data);
  if (const std::optional<XmlNode> old = DeclarationNode()) {
    doc.InsertBefore(instruction, old);
    doc.RemoveChild(*old);
  } else {
    doc.InsertBefore(instruction, doc.FirstChild());
  }
}

void TXMLDocument::SetVersion(const std::string& value) {
  DeclarationItems items = Declaration();
  items.version = value;
  SetDeclaration(items);
}

void TXMLDocument::SetEncoding(const std::string& value) {
  DeclarationItems items = Declaration();
  items.encoding = value;
  SetDeclaration(items);
}

void TXMLDocument::SetStandAlone(const std::string& value) {
  DeclarationItems items = Declaration();
  items.standalone = value;
  SetDeclaration(items);
}

XmlNode TXMLDocument::AddChild(std::string_view name) {
  XmlNode doc = DocumentNode();
  return doc.AppendChild(doc.Tree().CreateElement(name));
}

std::optional<XmlNode> TXMLDocument::DocumentElement() const {
  std::optional<XmlNode> element;
  for (auto child = DocumentNode().FirstChild(); child; child = child->NextSibling())
    if (child->Type() == XmlNodeType::Element) element = child;
  return element;
}

XmlNode TXMLDocument::AppendChild(XmlNode parent, std::string_view name) {
  const XmlNode element = parent.Tree().CreateElement(name);
  if (!options_.Contains(doNodeAutoIndent) || parent.Type() == XmlNodeType::Document)
    return parent.AppendChild(element);

  std::string line_break = "\r\n";
  for (std::size_t i = 1, level = parent.Level(); i < level; ++i) line_break += indent_;
  return parent.AppendIndented(element, indent_, line_break);
}

void TXMLDocument::SetText(XmlNode element, std::string_view text) {
  if (element.Type() != XmlNodeType::Element) throw GamelistError("only an element's text can be set");
  std::optional<XmlNode> first = element.FirstChild();
  if (!first) {
    element.AppendChild(element.Tree().CreateText(text));
  } else if (!first->NextSibling() && first->Type() == XmlNodeType::Text) {
    first->SetValue(text);
  } else {
    throw GamelistError("the element <" + std::string(element.Name()) + "> holds other nodes; its text cannot be set");
  }
}

std::string TXMLDocument::SaveToBytes() const {
  const XmlNode doc = DocumentNode();
  return SerializeXml(doc, ParseXmlEncoding(Encoding()));
}

void TXMLDocument::SaveToFile(const std::string& path) const {
  const XmlNode doc = DocumentNode();
  const XmlEncoding encoding = ParseXmlEncoding(Encoding());
  FileReplacement file(path);
  WriteXml(doc, encoding, [&file](std::string_view bytes) { file.Write(bytes); });
  file.Commit();
}

}  // namespace gamelist
