#include "gamelist/xml_dom.h"

#include <string>

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

void CheckName(std::string_view name, const char* what) {
  bool ok = !name.empty();
  for (std::size_t pos = 0; ok && pos < name.size();) {
    const bool first = pos == 0;
    ok = IsNameChar(DecodeUtf8(name, pos), first);
  }
  if (!ok) throw GamelistError(std::string(what) + " \"" + EscapeForMessage(name) + "\" is not an XML name");
}

bool IsWhiteSpace(std::string_view text) {
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

}  // namespace

// --- XmlTree -----------------------------------------------------------------

XmlTree::XmlTree() { NewContainer(XmlNodeType::Document, 0); }

XmlTree::NodeId XmlTree::NewNode(XmlNodeType type, std::size_t payload) {
  if (nodes_.Size() >= kNodeLimit) throw GamelistError("the XML document has too many nodes");
  Record record;
  record.link = kNone;
  record.payload = static_cast<std::uint32_t>(payload);
  record.type = static_cast<std::uint32_t>(type);
  return static_cast<NodeId>(nodes_.Append(record));
}

XmlTree::NodeId XmlTree::NewContainer(XmlNodeType type, TextHandle name) {
  if (containers_.Size() >= kPayloadLimit) throw GamelistError("the XML document has too many elements");
  const std::size_t entry = containers_.Append({name, kNone, kNone, kNone});
  layout_of_.Append(0);
  return NewNode(type, entry);
}

XmlTree::TextHandle XmlTree::StoreValue(std::string_view value) {
  if (!IsWhiteSpace(value)) return arena_.Store(value);
  const auto found = spaces_.find(value);
  if (found != spaces_.end()) return found->second;
  const TextHandle handle = arena_.Store(value);
  spaces_.emplace(arena_.View(handle), handle);
  return handle;
}

XmlTree::TextHandle XmlTree::InternName(std::string_view name, const char* what) {
  const auto found = names_.find(name);
  if (found != names_.end()) return found->second;
  CheckName(name, what);
  const TextHandle handle = arena_.Store(name);
  names_.emplace(arena_.View(handle), handle);
  return handle;
}

std::optional<XmlTree::LayoutCode> XmlTree::FindLayout(std::string_view indent, std::string_view line_break) {
  for (std::size_t i = 0; i < layouts_.size(); ++i) {
    if (layouts_[i].indent_value == indent && layouts_[i].line_break_value == line_break)
      return static_cast<LayoutCode>(i + 1);
  }
  if (layouts_.size() == kLayoutLimit) return std::nullopt;
  const TextHandle indent_handle = StoreValue(indent);
  const TextHandle line_break_handle = StoreValue(line_break);
  layouts_.push_back({indent_handle, line_break_handle, arena_.View(indent_handle), arena_.View(line_break_handle)});
  return static_cast<LayoutCode>(layouts_.size());
}

// The new texts are made before anything is relinked, so that a failure to
// make one leaves the children as they were.
XmlTree::NodeId XmlTree::MaterializeBefore(NodeId element, NodeId previous) {
  LayoutCode& code = layout_of_[At(element).payload];
  const Layout& layout = LayoutFor(code);
  const NodeId indent = NewNode(XmlNodeType::Text, layout.indent);
  const NodeId opening = code & kOpening ? NewNode(XmlNodeType::Text, layout.line_break) : kNone;
  const NodeId first = opening != kNone ? opening : indent;
  if (previous == kNone) {
    ContainerOf(ContainerOf(element).parent).first_child = first;
  } else {
    At(previous).link = first;
  }
  if (opening != kNone) At(opening).link = indent;
  At(indent).link = element;
  code &= static_cast<LayoutCode>(~(kOpening | kBefore));
  return indent;
}

void XmlTree::MaterializeAfter(NodeId element) {
  LayoutCode& code = layout_of_[At(element).payload];
  const NodeId line_break = NewNode(XmlNodeType::Text, LayoutFor(code).line_break);
  Record& record = At(element);
  At(line_break).link = record.link;
  if (record.link & kParentLink) ContainerOf(ContainerOf(element).parent).last_child = line_break;
  record.link = line_break;
  code &= static_cast<LayoutCode>(~kAfter);
}

XmlTree::NodeId XmlTree::ParentOf(NodeId id) {
  if (IsContainer(id)) return ContainerOf(id).parent;
  Link link = At(id).link;
  while (link != kNone && !(link & kParentLink)) link = At(link).link;
  return link == kNone ? kNone : link & ~kParentLink;
}

XmlTree::NodeId XmlTree::PreviousSibling(NodeId parent, NodeId id) {
  NodeId previous = ContainerOf(parent).first_child;
  if (previous == id) return kNone;
  while (At(previous).link != id) previous = At(previous).link;
  return previous;
}

XmlNode XmlTree::CreateElement(std::string_view name) {
  return XmlNode(this, NewContainer(XmlNodeType::Element, InternName(name, "element name")));
}

XmlNode XmlTree::CreateText(std::string_view value) {
  return XmlNode(this, NewNode(XmlNodeType::Text, StoreValue(value)));
}

XmlNode XmlTree::CreateProcessingInstruction(std::string_view target, std::string_view data) {
  const TextHandle target_handle = InternName(target, "processing instruction target");
  if (data.find("?>") != std::string_view::npos)
    throw GamelistError("processing instruction data must not contain \"?>\"");
  if (instructions_.size() >= kPayloadLimit) throw GamelistError("the XML document has too many instructions");
  instructions_.push_back({target_handle, arena_.Store(data)});
  return XmlNode(this, NewNode(XmlNodeType::ProcessingInstruction, instructions_.size() - 1));
}

// --- XmlNode -----------------------------------------------------------------

// A new text, never the old one changed in place: an interned text may be
// shared by many nodes.
void XmlNode::SetValue(std::string_view value) {
  XmlTree::Record& record = tree_->At(id_);
  switch (Type()) {
    case XmlNodeType::Text:
      record.payload = tree_->StoreValue(value);
      break;
    case XmlNodeType::ProcessingInstruction:
      tree_->instructions_[record.payload].data = tree_->arena_.Store(value);
      break;
    default:
      throw GamelistError("only a text or a processing instruction has a value");
  }
}

std::optional<XmlNode> XmlNode::Parent() const {
  const XmlTree::NodeId parent = tree_->ParentOf(id_);
  if (parent == XmlTree::kNone) return std::nullopt;
  return XmlNode(tree_, parent);
}

std::size_t XmlNode::ChildCount() const {
  std::size_t count = 0;
  for (auto child = FirstChild(); child; child = child->NextSibling()) ++count;
  return count;
}

XmlNode XmlNode::Child(std::size_t index) const {
  auto child = FirstChild();
  for (; child && index > 0; --index) child = child->NextSibling();
  if (!child) throw GamelistError("the node has no child at that index");
  return *child;
}

std::size_t XmlNode::Level() const {
  std::size_t level = 0;
  for (XmlTree::NodeId id = tree_->ParentOf(id_); id != XmlTree::kNone; id = tree_->ParentOf(id)) ++level;
  return level;
}

bool XmlNode::HasChildren() const {
  return tree_->IsContainer(id_) && tree_->ContainerOf(id_).first_child != XmlTree::kNone;
}

void XmlNode::CheckInsertion(XmlNode child, std::optional<XmlNode> before) const {
  if (child.tree_ != tree_) throw GamelistError("the node belongs to another document");
  const XmlTree& tree = *tree_;
  const XmlNodeType type = Type();
  const XmlNodeType child_type = child.Type();
  if (child_type == XmlNodeType::Document) throw GamelistError("a document cannot be a child");
  if (type == XmlNodeType::Text || type == XmlNodeType::ProcessingInstruction)
    throw GamelistError("a text or processing instruction cannot hold children");
  if (tree.At(child.id_).link != XmlTree::kNone) throw GamelistError("the node already has a parent; remove it first");
  if (child == *this) throw GamelistError("a node cannot be placed inside itself");
  if (child.HasChildren()) {  // only then can it be one of this node's ancestors
    for (auto node = Parent(); node; node = node->Parent())
      if (*node == child) throw GamelistError("a node cannot be placed inside itself");
  }
  if (type == XmlNodeType::Document) {
    if (child_type == XmlNodeType::Text) throw GamelistError("text cannot be placed outside the root element");
    if (child_type == XmlNodeType::Element) {
      for (auto existing = FirstChild(); existing; existing = existing->NextSibling()) {
        if (existing->Type() == XmlNodeType::Element)
          throw GamelistError("the document already has the root element <" + std::string(existing->Name()) +
                              ">; a document holds a single root element");
      }
    }
  }
  if (before && before->Parent() != *this) throw GamelistError("the node is not a child of this node");
}

XmlNode XmlNode::InsertBefore(XmlNode child, std::optional<XmlNode> before) {
  CheckInsertion(child, before);
  Link(child, before);
  return child;
}

void XmlNode::Link(XmlNode child, std::optional<XmlNode> before) {
  XmlTree& tree = *tree_;
  XmlTree::Container& children = tree.ContainerOf(id_);
  XmlTree::Record& added = tree.At(child.id_);
  if (!before) {
    // The last child keeps the text implicit after it: the new one follows that.
    if (children.last_child == XmlTree::kNone) {
      children.first_child = child.id_;
    } else {
      tree.At(children.last_child).link = child.id_;
    }
    children.last_child = child.id_;
    added.link = XmlTree::kParentLink | id_;
  } else {
    XmlTree::NodeId previous = tree.PreviousSibling(id_, before->id_);
    // `child` goes between `before` and the texts laid before it.
    if (tree.LayoutOf(before->id_) & XmlTree::kBefore) previous = tree.MaterializeBefore(before->id_, previous);
    if (previous == XmlTree::kNone) {
      children.first_child = child.id_;
    } else {
      tree.At(previous).link = child.id_;
    }
    added.link = before->id_;
  }
  if (tree.IsContainer(child.id_)) tree.ContainerOf(child.id_).parent = id_;
}

XmlNode XmlNode::AppendIndented(XmlNode child, std::string_view indent, std::string_view line_break) {
  CheckInsertion(child, std::nullopt);
  XmlTree& tree = *tree_;
  const bool opening = !HasChildren();
  // Only an element records a layout, and only an element can hold texts.
  const bool elements = Type() == XmlNodeType::Element && child.Type() == XmlNodeType::Element;
  const std::optional<XmlTree::LayoutCode> number = elements ? tree.FindLayout(indent, line_break) : std::nullopt;
  if (!number) {
    if (opening) AppendChild(tree.CreateText(line_break));
    AppendChild(tree.CreateText(indent));
    AppendChild(child);
    AppendChild(tree.CreateText(line_break));
    return child;
  }
  Link(child, std::nullopt);
  tree.layout_of_[tree.At(child.id_).payload] =
      *number | XmlTree::kBefore | XmlTree::kAfter | (opening ? XmlTree::kOpening : 0);
  return child;
}

XmlNode XmlNode::RemoveChild(XmlNode child) {
  if (child.tree_ != tree_ || child.Parent() != *this) throw GamelistError("the node is not a child of this node");
  XmlTree& tree = *tree_;
  XmlTree::Container& children = tree.ContainerOf(id_);
  XmlTree::Record& removed = tree.At(child.id_);
  // The texts laid around it stay where they are.
  const XmlTree::LayoutCode code = tree.LayoutOf(child.id_);
  if (code & XmlTree::kAfter) tree.MaterializeAfter(child.id_);
  XmlTree::NodeId previous = tree.PreviousSibling(id_, child.id_);
  if (code & XmlTree::kBefore) previous = tree.MaterializeBefore(child.id_, previous);
  const bool first = previous == XmlTree::kNone;
  const bool last = children.last_child == child.id_;
  if (first) {
    children.first_child = last ? XmlTree::kNone : removed.link;
  } else {
    tree.At(previous).link = removed.link;  // the next sibling, or the link to the parent
  }
  if (last) children.last_child = previous;
  removed.link = XmlTree::kNone;
  if (tree.IsContainer(child.id_)) tree.ContainerOf(child.id_).parent = XmlTree::kNone;
  return child;
}

}  // namespace gamelist
