#pragma once
// A small XML DOM: a document node, processing instructions, elements and
// texts, with the operations the document object needs. Like a conforming
// DOM it refuses a second root element. Text is UTF-8.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace gamelist {

enum class XmlNodeType { Document, ProcessingInstruction, Element, Text };

class XmlNode {
 public:
  static std::unique_ptr<XmlNode> CreateDocument();
  // Throws GamelistError when `name` is not an XML name.
  static std::unique_ptr<XmlNode> CreateElement(const std::string& name);
  static std::unique_ptr<XmlNode> CreateText(std::string value);
  static std::unique_ptr<XmlNode> CreateProcessingInstruction(const std::string& target,
                                                              std::string data);

  XmlNode(const XmlNode&) = delete;
  XmlNode& operator=(const XmlNode&) = delete;
  ~XmlNode();

  XmlNodeType Type() const { return type_; }
  // Element tag or instruction target; empty for texts and the document.
  const std::string& Name() const { return name_; }
  // Text content or instruction data.
  const std::string& Value() const { return value_; }
  void SetValue(std::string value);

  XmlNode* Parent() const { return parent_; }
  std::size_t ChildCount() const { return children_.size(); }
  XmlNode& Child(std::size_t index) const { return *children_.at(index); }
  // Number of ancestors; the document node counts, so a root element is 1.
  std::size_t Level() const;

  // Inserts before `before` (null appends); returns the inserted node.
  // Refuses a child of a text or instruction, a text directly under the
  // document, and a second element under the document.
  XmlNode& InsertBefore(std::unique_ptr<XmlNode> child, const XmlNode* before);
  XmlNode& AppendChild(std::unique_ptr<XmlNode> child) { return InsertBefore(std::move(child), nullptr); }
  std::unique_ptr<XmlNode> RemoveChild(const XmlNode& child);

 private:
  struct Key {
    explicit Key() = default;
  };

 public:
  XmlNode(Key, XmlNodeType type, std::string name, std::string value);

 private:
  std::size_t IndexOf(const XmlNode& child) const;

  XmlNodeType type_;
  std::string name_;
  std::string value_;
  XmlNode* parent_ = nullptr;
  std::vector<std::unique_ptr<XmlNode>> children_;
};

}  // namespace gamelist
