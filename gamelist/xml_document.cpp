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
  document_ = active ? XmlNode::CreateDocument() : nullptr;
}

XmlNode& TXMLDocument::DocumentNode() const {
  if (!document_) throw GamelistError("the XML document is not active");
  return *document_;
}

XmlNode* TXMLDocument::DeclarationNode() const {
  XmlNode& doc = DocumentNode();
  if (doc.ChildCount() == 0) return nullptr;
  XmlNode& first = doc.Child(0);
  return first.Type() == XmlNodeType::ProcessingInstruction && first.Name() == "xml" ? &first : nullptr;
}

TXMLDocument::DeclarationItems TXMLDocument::Declaration() const {
  const XmlNode* pi = DeclarationNode();
  if (!pi) return {"1.0", {}, {}};
  DeclarationItems items{DeclarationItem(pi->Value(), "version"), DeclarationItem(pi->Value(), "encoding"),
                         DeclarationItem(pi->Value(), "standalone")};
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
  auto instruction = XmlNode::CreateProcessingInstruction("xml", std::move(data));
  XmlNode& doc = DocumentNode();
  if (XmlNode* old = DeclarationNode()) {
    doc.InsertBefore(std::move(instruction), old);
    doc.RemoveChild(*old);
  } else {
    doc.InsertBefore(std::move(instruction), doc.ChildCount() ? &doc.Child(0) : nullptr);
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

XmlNode& TXMLDocument::AddChild(const std::string& name) {
  return DocumentNode().AppendChild(XmlNode::CreateElement(name));
}

XmlNode* TXMLDocument::DocumentElement() const {
  XmlNode& doc = DocumentNode();
  for (std::size_t i = doc.ChildCount(); i-- > 0;)
    if (doc.Child(i).Type() == XmlNodeType::Element) return &doc.Child(i);
  return nullptr;
}

XmlNode& TXMLDocument::AppendChild(XmlNode& parent, const std::string& name) {
  auto element = XmlNode::CreateElement(name);
  if (!options_.Contains(doNodeAutoIndent) || parent.Type() == XmlNodeType::Document)
    return parent.AppendChild(std::move(element));

  std::string closing = "\r\n";
  for (std::size_t i = 1; i < parent.Level(); ++i) closing += indent_;
  if (parent.ChildCount() == 0) parent.AppendChild(XmlNode::CreateText(closing));
  parent.AppendChild(XmlNode::CreateText(indent_));
  XmlNode& added = parent.AppendChild(std::move(element));
  parent.AppendChild(XmlNode::CreateText(closing));
  return added;
}

void TXMLDocument::SetText(XmlNode& element, std::string text) {
  if (element.Type() != XmlNodeType::Element) throw GamelistError("only an element's text can be set");
  if (element.ChildCount() == 0) {
    element.AppendChild(XmlNode::CreateText(std::move(text)));
  } else if (element.ChildCount() == 1 && element.Child(0).Type() == XmlNodeType::Text) {
    element.Child(0).SetValue(std::move(text));
  } else {
    throw GamelistError("the element <" + element.Name() + "> holds other nodes; its text cannot be set");
  }
}

std::string TXMLDocument::SaveToBytes() const {
  return SerializeXml(DocumentNode(), ParseXmlEncoding(Encoding()));
}

void TXMLDocument::SaveToFile(const std::string& path) const { ReplaceFileContents(path, SaveToBytes()); }

}  // namespace gamelist
