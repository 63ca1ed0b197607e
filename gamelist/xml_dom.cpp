#include "gamelist/xml_dom.h"

#include "gamelist/error.h"
#include "gamelist/text.h"

namespace gamelist {

namespace {

bool IsNameChar(char32_t cp, bool first) {
  if ((cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z') || cp == '_' || cp == ':') return true;
  if (cp >= 0xC0 && cp != 0xD7 && cp != 0xF7 && cp != kInvalidCodePoint && !(cp >= 0xD800 && cp <= 0xDFFF) &&
      cp != 0xFFFE && cp != 0xFFFF)
    return true;
  return !first && ((cp >= '0' && cp <= '9') || cp == '-' || cp == '.' || cp == 0xB7);
}

void CheckName(const std::string& name, const char* what) {
  bool ok = !name.empty();
  for (std::size_t pos = 0; ok && pos < name.size();) {
    const bool first = pos == 0;
    ok = IsNameChar(DecodeUtf8(name, pos), first);
  }
  if (!ok) throw GamelistError(std::string(what) + " \"" + EscapeForMessage(name) + "\" is not an XML name");
}

}  // namespace

XmlNode::XmlNode(Key, XmlNodeType type, std::string name, std::string value)
    : type_(type), name_(std::move(name)), value_(std::move(value)) {}

XmlNode::~XmlNode() = default;

std::unique_ptr<XmlNode> XmlNode::CreateDocument() {
  return std::make_unique<XmlNode>(Key{}, XmlNodeType::Document, std::string(), std::string());
}

std::unique_ptr<XmlNode> XmlNode::CreateElement(const std::string& name) {
  CheckName(name, "element name");
  return std::make_unique<XmlNode>(Key{}, XmlNodeType::Element, name, std::string());
}

std::unique_ptr<XmlNode> XmlNode::CreateText(std::string value) {
  return std::make_unique<XmlNode>(Key{}, XmlNodeType::Text, std::string(), std::move(value));
}

std::unique_ptr<XmlNode> XmlNode::CreateProcessingInstruction(const std::string& target, std::string data) {
  CheckName(target, "processing instruction target");
  if (data.find("?>") != std::string::npos)
    throw GamelistError("processing instruction data must not contain \"?>\"");
  return std::make_unique<XmlNode>(Key{}, XmlNodeType::ProcessingInstruction, target, std::move(data));
}

void XmlNode::SetValue(std::string value) {
  if (type_ != XmlNodeType::Text && type_ != XmlNodeType::ProcessingInstruction)
    throw GamelistError("only a text or a processing instruction has a value");
  value_ = std::move(value);
}

std::size_t XmlNode::Level() const {
  std::size_t level = 0;
  for (const XmlNode* node = parent_; node; node = node->parent_) ++level;
  return level;
}

std::size_t XmlNode::IndexOf(const XmlNode& child) const {
  for (std::size_t i = 0; i < children_.size(); ++i)
    if (children_[i].get() == &child) return i;
  throw GamelistError("the node is not a child of this node");
}

XmlNode& XmlNode::InsertBefore(std::unique_ptr<XmlNode> child, const XmlNode* before) {
  if (!child) throw GamelistError("no node to insert");
  if (child->type_ == XmlNodeType::Document) throw GamelistError("a document cannot be a child");
  if (type_ == XmlNodeType::Text || type_ == XmlNodeType::ProcessingInstruction)
    throw GamelistError("a text or processing instruction cannot hold children");
  if (type_ == XmlNodeType::Document) {
    if (child->type_ == XmlNodeType::Text) throw GamelistError("text cannot be placed outside the root element");
    if (child->type_ == XmlNodeType::Element) {
      for (const auto& existing : children_) {
        if (existing->type_ == XmlNodeType::Element)
          throw GamelistError("the document already has the root element <" + existing->name_ +
                              ">; a document holds a single root element");
      }
    }
  }
  const std::size_t at = before ? IndexOf(*before) : children_.size();
  child->parent_ = this;
  return **children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(at), std::move(child));
}

std::unique_ptr<XmlNode> XmlNode::RemoveChild(const XmlNode& child) {
  const std::size_t at = IndexOf(child);
  std::unique_ptr<XmlNode> removed = std::move(children_[at]);
  children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(at));
  removed->parent_ = nullptr;
  return removed;
}

}  // namespace gamelist
