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
//
// The white space that auto-indent lays around an element (AppendIndented)
// is at first no node at all: the element records which of a few shared
// layouts surrounds it, for the serialiser to write. Any node API that would
// reach one of those texts makes the element's layout into text nodes first,
// so every answer is the one the texts as nodes would give.
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
  // Whether FirstChild finds a child, without making implicit layout into
  // nodes.
  bool HasChildren() const;
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
  // Appends `child` as auto-indent lays it out: a text `line_break` first
  // when this node has no children yet, a text `indent`, `child`, a text
  // `line_break`. Refuses what AppendChild refuses, before appending anything.
  XmlNode AppendIndented(XmlNode child, std::string_view indent, std::string_view line_break);
  // The removed node stays in the tree without a parent and may be inserted
  // again.
  XmlNode RemoveChild(XmlNode child);

  // Calls `text` with the value of every text child, the implicit layout
  // included, and `node` with every other child, in document order, without
  // making the layout into nodes: for a serialiser.
  template <typename OnText, typename OnNode>
  void VisitChildren(OnText&& text, OnNode&& node) const;

  bool operator==(const XmlNode&) const = default;

 private:
  friend class XmlTree;
  XmlNode(XmlTree* tree, std::uint32_t id) : tree_(tree), id_(id) {}
  // Throws unless `child` may be inserted here before `before`.
  void CheckInsertion(XmlNode child, std::optional<XmlNode> before) const;
  // Inserts `child` as InsertBefore does, once CheckInsertion allowed it.
  void Link(XmlNode child, std::optional<XmlNode> before);

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
  // The texts auto-indent puts around an element: `indent` before it,
  // `line_break` after it and, for an element that came first, also before.
  struct Layout {
    TextHandle indent;
    TextHandle line_break;
    // Their values, at hand for every element the layout surrounds.
    std::string_view indent_value;
    std::string_view line_break_value;
  };
  // An element's layout, beside its container entry: the number of its
  // layout in layouts_, from 1, and which of its texts are still implicit.
  // The texts before it and the one after it become nodes separately: the
  // one after needs no walk to the element's previous sibling. Beyond
  // kLayoutLimit distinct layouts the texts are plain nodes.
  using LayoutCode = std::uint8_t;
  static constexpr LayoutCode kOpening = 0x80;  // it came first: a line break before the indent
  static constexpr LayoutCode kBefore = 0x40;   // the texts before it are implicit
  static constexpr LayoutCode kAfter = 0x20;    // the text after it is implicit
  static constexpr LayoutCode kLayoutNumber = 0x1F;
  static constexpr std::size_t kLayoutLimit = kLayoutNumber;

  NodeId NewNode(XmlNodeType type, std::size_t payload);
  NodeId NewContainer(XmlNodeType type, TextHandle name);
  // Text values: white space is interned, anything else gets a copy.
  TextHandle StoreValue(std::string_view value);
  // Checks a name the first time it is seen.
  TextHandle InternName(std::string_view name, const char* what);
  // The number of the layout of these texts, from 1; none when no more fit.
  std::optional<LayoutCode> FindLayout(std::string_view indent, std::string_view line_break);
  // 0 for anything but an element laid out by AppendIndented.
  LayoutCode LayoutOf(NodeId id) const { return IsContainer(id) ? layout_of_[nodes_[id].payload] : 0; }
  const Layout& LayoutFor(LayoutCode code) const { return layouts_[(code & kLayoutNumber) - 1]; }
  // Make the implicit texts before or after `element` into nodes in their
  // place; `previous` is its previous sibling, kNone for the first. Returns
  // the element's new previous sibling.
  NodeId MaterializeBefore(NodeId element, NodeId previous);
  void MaterializeAfter(NodeId element);

  Record& At(NodeId id) { return nodes_[id]; }
  const Record& At(NodeId id) const { return nodes_[id]; }
  bool IsContainer(NodeId id) const {
    const auto type = static_cast<XmlNodeType>(nodes_[id].type);
    return type == XmlNodeType::Element || type == XmlNodeType::Document;
  }
  Container& ContainerOf(NodeId id) { return containers_[nodes_[id].payload]; }
  const Container& ContainerOf(NodeId id) const { return containers_[nodes_[id].payload]; }
  // kNone when `id` is outside the tree.
  NodeId ParentOf(NodeId id);
  // Siblings link forward only, so this walks from the first child; `id` is
  // a child of `parent`. kNone for the first.
  NodeId PreviousSibling(NodeId parent, NodeId id);

  ChunkPool pool_;  // first: what the rest keeps lives in it
  BlockVector<Record> nodes_{pool_};
  BlockVector<Container> containers_{pool_};
  BlockVector<LayoutCode> layout_of_{pool_};  // per container entry
  std::vector<Layout> layouts_;
  std::vector<Instruction> instructions_;
  TextArena arena_{pool_, kPayloadLimit};
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
  XmlTree& tree = *tree_;
  if (!tree.IsContainer(id_)) return std::nullopt;
  const XmlTree::NodeId first = tree.ContainerOf(id_).first_child;
  if (first == XmlTree::kNone) return std::nullopt;
  if (tree.LayoutOf(first) & XmlTree::kBefore) tree.MaterializeBefore(first, XmlTree::kNone);
  return XmlNode(tree_, tree.ContainerOf(id_).first_child);
}

std::optional<XmlNode> XmlNode::NextSibling() const {
  XmlTree& tree = *tree_;
  if (tree.LayoutOf(id_) & XmlTree::kAfter) tree.MaterializeAfter(id_);
  const XmlTree::Link link = tree.At(id_).link;
  if (link == XmlTree::kNone || (link & XmlTree::kParentLink)) return std::nullopt;
  if (tree.LayoutOf(link) & XmlTree::kBefore) tree.MaterializeBefore(link, id_);
  return XmlNode(tree_, tree.At(id_).link);
}

template <typename OnText, typename OnNode>
void XmlNode::VisitChildren(OnText&& text, OnNode&& node) const {
  const XmlTree& tree = *tree_;
  if (!tree.IsContainer(id_)) return;
  for (XmlTree::NodeId id = tree.ContainerOf(id_).first_child; id != XmlTree::kNone;) {
    const XmlTree::Record& record = tree.At(id);
    const XmlTree::LayoutCode code = tree.LayoutOf(id);
    if (code & XmlTree::kBefore) {
      const XmlTree::Layout& layout = tree.LayoutFor(code);
      if (code & XmlTree::kOpening) text(layout.line_break_value);
      text(layout.indent_value);
    }
    if (static_cast<XmlNodeType>(record.type) == XmlNodeType::Text) {
      text(tree.arena_.View(record.payload));
    } else {
      node(XmlNode(tree_, id));
    }
    if (code & XmlTree::kAfter) text(tree.LayoutFor(code).line_break_value);
    id = record.link & XmlTree::kParentLink ? XmlTree::kNone : record.link;
  }
}

}  // namespace gamelist
