#pragma once
// A small XML DOM: a document node, processing instructions, elements and
// texts, with the operations the document object needs. Like a conforming
// DOM it refuses a second root element. Text is UTF-8.
//
// A document's nodes live in its XmlTree, which creates them and frees them
// all at once. Every node is an 8-byte record in a block store: a link to
// its next sibling (or, from the last child, to its parent) and a payload.
// The document and each element also have a container entry beside it:
// name, parent, first and last child. Texts live in the tree's text arena
// and records hold their 32-bit handles; element names, instruction targets
// and white-space texts (the layout auto-indent inserts on every line) are
// interned, each distinct one stored once. Most nodes of a gamelist are
// texts, so a text costs its record and its characters only. XmlNode is a
// handle to a record: cheap to copy, valid as long as its tree.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gamelist/block_vector.h"
#include "gamelist/text_arena.h"

namespace gamelist {

enum class XmlNodeType : std::uint8_t { Document, ProcessingInstruction, Element, Text };

class XmlTree;

class XmlNode {
 public:
  // The tree that holds the node and creates the nodes inserted into it.
  XmlTree& Tree() const { return *tree_; }
  inline XmlNodeType Type() const;
  // Element tag or instruction target; empty for texts and the document.
  inline std::string_view Name() const;
  // Text content or instruction data.
  inline std::string_view Value() const;
  void SetValue(std::string_view value);

  // An element knows its parent; a text or instruction finds it at the end
  // of its siblings.
  std::optional<XmlNode> Parent() const;
  inline std::optional<XmlNode> FirstChild() const;
  inline std::optional<XmlNode> NextSibling() const;
  // Children are a linked list: these two walk it. Visit children with
  // FirstChild and NextSibling.
  std::size_t ChildCount() const;
  XmlNode Child(std::size_t index) const;
  // Number of ancestors; the document node counts, so a root element is 1.
  std::size_t Level() const;

  // Inserts `child`, a node of the same tree without a parent, before
  // `before` (none appends); returns the inserted node. Refuses a child of a
  // text or instruction, a text directly under the document, a second
  // element under the document, and a node placed inside itself.
  XmlNode InsertBefore(XmlNode child, std::optional<XmlNode> before);
  XmlNode AppendChild(XmlNode child) { return InsertBefore(child, std::nullopt); }
  // The removed node stays in the tree without a parent and may be inserted
  // again.
  XmlNode RemoveChild(XmlNode child);

  bool operator==(const XmlNode&) const = default;

 private:
  friend class XmlTree;
  XmlNode(XmlTree* tree, std::uint32_t id) : tree_(tree), id_(id) {}

  XmlTree* tree_;
  std::uint32_t id_;
};

class XmlTree {
 public:
  XmlTree();
  XmlTree(const XmlTree&) = delete;
  XmlTree& operator=(const XmlTree&) = delete;

  XmlNode Document() { return XmlNode(this, kDocumentId); }

  // The new nodes have no parent until they are inserted.
  // Throws GamelistError when `name` is not an XML name.
  XmlNode CreateElement(std::string_view name);
  XmlNode CreateText(std::string_view value);
  // Throws GamelistError when `target` is not an XML name or `data` holds "?>".
  XmlNode CreateProcessingInstruction(std::string_view target, std::string_view data);

 private:
  friend class XmlNode;
  using NodeId = std::uint32_t;
  using Link = std::uint32_t;
  using TextHandle = TextArena::Handle;
  static constexpr NodeId kDocumentId = 0;
  static constexpr Link kNone = 0xFFFFFFFF;        // not linked: a node outside the tree
  static constexpr Link kParentLink = 0x80000000;  // marks the link from a last child to its parent
  static constexpr std::size_t kNodeLimit = kParentLink - 1;
  // Payloads are 30 bits wide.
  static constexpr std::size_t kPayloadLimit = std::size_t{1} << 30;

  struct Record {
    // The next sibling; from the last child, kParentLink | its parent.
    Link link;
    // A text's value; an element's or the document's entry in containers_;
    // an instruction's entry in instructions_.
    std::uint32_t payload : 30;
    std::uint32_t type : 2;
  };
  struct Container {
    TextHandle name;  // unused for the document
    NodeId parent;    // kNone for the document and an element outside the tree
    NodeId first_child;
    NodeId last_child;
  };
  struct Instruction {
    TextHandle target;
    TextHandle data;
  };

  NodeId NewNode(XmlNodeType type, std::size_t payload);
  NodeId NewContainer(XmlNodeType type, TextHandle name);
  // Text values: white space is interned, anything else gets a copy.
  TextHandle StoreValue(std::string_view value);
  // Checks a name the first time it is seen.
  TextHandle InternName(std::string_view name, const char* what);

  Record& At(NodeId id) { return nodes_[id]; }
  bool IsContainer(NodeId id) const {
    const auto type = static_cast<XmlNodeType>(nodes_[id].type);
    return type == XmlNodeType::Element || type == XmlNodeType::Document;
  }
  Container& ContainerOf(NodeId id) { return containers_[nodes_[id].payload]; }
  // kNone when `id` is outside the tree.
  NodeId ParentOf(NodeId id);
  // Siblings link forward only, so this walks from the first child; `id` is
  // a child of `parent` other than the first.
  NodeId PreviousSibling(NodeId parent, NodeId id);

  BlockVector<Record> nodes_;
  BlockVector<Container> containers_;
  std::vector<Instruction> instructions_;
  TextArena arena_{kPayloadLimit};
  std::unordered_map<std::string_view, TextHandle> names_;
  std::unordered_map<std::string_view, TextHandle> spaces_;
};

// The accessors a serialiser calls for every node, inline.

XmlNodeType XmlNode::Type() const { return static_cast<XmlNodeType>(tree_->At(id_).type); }

std::string_view XmlNode::Name() const {
  switch (Type()) {
    case XmlNodeType::Element:
      return tree_->arena_.View(tree_->ContainerOf(id_).name);
    case XmlNodeType::ProcessingInstruction:
      return tree_->arena_.View(tree_->instructions_[tree_->At(id_).payload].target);
    default:
      return {};
  }
}

std::string_view XmlNode::Value() const {
  switch (Type()) {
    case XmlNodeType::Text:
      return tree_->arena_.View(tree_->At(id_).payload);
    case XmlNodeType::ProcessingInstruction:
      return tree_->arena_.View(tree_->instructions_[tree_->At(id_).payload].data);
    default:
      return {};
  }
}

std::optional<XmlNode> XmlNode::FirstChild() const {
  if (!tree_->IsContainer(id_)) return std::nullopt;
  const XmlTree::NodeId first = tree_->ContainerOf(id_).first_child;
  if (first == XmlTree::kNone) return std::nullopt;
  return XmlNode(tree_, first);
}

std::optional<XmlNode> XmlNode::NextSibling() const {
  const XmlTree::Link link = tree_->At(id_).link;
  if (link == XmlTree::kNone || (link & XmlTree::kParentLink)) return std::nullopt;
  return XmlNode(tree_, link);
}

}  // namespace gamelist
