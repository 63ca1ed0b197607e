#include "gamelist/xml_dom.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "gamelist/error.h"
#include "gamelist/xml_writer.h"

namespace {

using gamelist::GamelistError;
using gamelist::XmlNode;
using gamelist::XmlNodeType;
using gamelist::XmlTree;

// The children in order, an element by its name and a text by its value in
// quotes; every one must name `parent` as its parent.
std::string Children(XmlNode parent) {
  std::string out;
  for (auto child = parent.FirstChild(); child; child = child->NextSibling()) {
    if (!out.empty()) out += ' ';
    out += child->Type() == XmlNodeType::Text ? "'" + std::string(child->Value()) + "'" : std::string(child->Name());
    EXPECT_EQ(child->Parent(), parent) << out;
  }
  return out;
}

std::string Bytes(XmlTree& tree) { return gamelist::SerializeXml(tree.Document(), gamelist::XmlEncoding::Utf8); }

// Children are linked in one direction, the last one back to the parent:
// every position of an insertion or removal has its own way to break.
TEST(XmlDom, InsertingAndRemovingKeepsTheOrderAndTheParent) {
  XmlTree tree;
  XmlNode root = tree.Document().AppendChild(tree.CreateElement("r"));
  const std::map<std::string, XmlNode> nodes = {
      {"a", tree.CreateElement("a")}, {"b", tree.CreateElement("b")}, {"c", tree.CreateElement("c")},
      {"x", tree.CreateText("x")},    {"y", tree.CreateText("y")},
  };
  const struct {
    bool insert;
    const char* node;
    const char* before;  // null appends
    const char* children;
  } steps[] = {
      {true, "x", nullptr, "'x'"},             // the only child
      {true, "a", nullptr, "'x' a"},           // after it
      {true, "b", "x", "b 'x' a"},             // before the first
      {true, "y", "a", "b 'x' 'y' a"},         // before the last
      {false, "a", nullptr, "b 'x' 'y'"},      // the last
      {true, "c", nullptr, "b 'x' 'y' c"},     // after the new last
      {false, "b", nullptr, "'x' 'y' c"},      // the first
      {false, "y", nullptr, "'x' c"},          // one in the middle
      {false, "c", nullptr, "'x'"},            // the last, leaving one
      {false, "x", nullptr, ""},               // the only one
      {true, "y", nullptr, "'y'"},             // a removed node goes in again
      {true, "a", "y", "a 'y'"},
  };
  for (const auto& step : steps) {
    const XmlNode node = nodes.at(step.node);
    if (step.insert) {
      root.InsertBefore(node, step.before ? std::optional<XmlNode>(nodes.at(step.before)) : std::nullopt);
      EXPECT_EQ(node.Parent(), root) << step.node;
    } else {
      root.RemoveChild(node);
      EXPECT_FALSE(node.Parent()) << step.node;
      EXPECT_FALSE(node.NextSibling()) << step.node;
    }
    EXPECT_EQ(Children(root), step.children) << (step.insert ? "insert " : "remove ") << step.node;
  }
  EXPECT_EQ(root.ChildCount(), 2u);
  EXPECT_EQ(root.Child(1).Value(), "y");
  EXPECT_THROW(root.Child(2), GamelistError);
  EXPECT_EQ(Bytes(tree), "<r><a/>y</r>\r\n");
}

// A node is a handle: nothing stops a caller from offering one that is
// already placed, belongs to another document or would hold itself.
TEST(XmlDom, RefusesWhatWouldBreakTheTreeAndLeavesItAsItWas) {
  XmlTree tree;
  XmlTree other;
  XmlNode root = tree.Document().AppendChild(tree.CreateElement("r"));
  XmlNode a = root.AppendChild(tree.CreateElement("a"));
  XmlNode b = a.AppendChild(tree.CreateElement("b"));
  XmlNode text = b.AppendChild(tree.CreateText("t"));
  XmlNode loose = tree.CreateElement("loose");
  XmlNode inner = loose.AppendChild(tree.CreateElement("inner"));
  const std::string before = Bytes(tree);

  const struct {
    const char* what;
    std::function<void()> act;
  } refusals[] = {
      {"a text already in the tree", [&] { root.AppendChild(text); }},
      {"an element already in the tree", [&] { root.AppendChild(b); }},
      {"a node of another tree", [&] { root.AppendChild(other.CreateElement("x")); }},
      {"an element into itself", [&] { loose.AppendChild(loose); }},
      {"an element into its own child", [&] { inner.AppendChild(loose); }},
      {"before a node that is not a child", [&] { root.InsertBefore(tree.CreateElement("y"), b); }},
      {"removing a grandchild", [&] { root.RemoveChild(b); }},
      {"removing a node outside the tree", [&] { root.RemoveChild(loose); }},
      {"a child of a text", [&] { text.AppendChild(tree.CreateText("u")); }},
  };
  for (const auto& refusal : refusals) {
    EXPECT_THROW(refusal.act(), GamelistError) << refusal.what;
    EXPECT_EQ(Bytes(tree), before) << refusal.what;
    EXPECT_EQ(Children(root), "a") << refusal.what;
    EXPECT_EQ(Children(loose), "inner") << refusal.what;
  }
}

// White-space texts are interned (the layout repeats them on every line)
// and so are names: neither may stand in for the other, and a value set on
// one shared text must not reach the others.
TEST(XmlDom, InternedTextsStayApartFromNamesAndFromEachOther) {
  XmlTree tree;
  XmlNode root = tree.Document().AppendChild(tree.CreateElement("r"));
  XmlNode first = root.AppendChild(tree.CreateText("\r\n  "));
  root.AppendChild(tree.CreateElement("a"));
  XmlNode second = root.AppendChild(tree.CreateText("\r\n  "));
  root.AppendChild(tree.CreateElement("a"));
  XmlNode third = root.AppendChild(tree.CreateText("\r\n  "));
  EXPECT_THROW(tree.CreateElement("\r\n  "), GamelistError) << "white space seen as a text is still no name";
  EXPECT_THROW(tree.CreateElement(""), GamelistError);
  root.AppendChild(tree.CreateText(""));
  EXPECT_THROW(tree.CreateElement(""), GamelistError) << "nor is an empty text";

  second.SetValue("\t");
  third.SetValue("end");
  EXPECT_EQ(first.Value(), "\r\n  ");
  EXPECT_EQ(Bytes(tree), "<r>\r\n  <a/>\t<a/>end</r>\r\n");
  first.SetValue("\t");
  EXPECT_EQ(second.Value(), "\t");
  EXPECT_EQ(Bytes(tree), "<r>\t<a/>\t<a/>end</r>\r\n");
}

// AppendIndented may keep its white space implicit until a node API reaches
// it. Two trees, one laid out by AppendIndented and one with the same texts
// appended as nodes, must answer every step alike: edits beside and of the
// layout, the bytes and, at the end, walks, values and parents. Only the
// steps' own walks reach the layout before then.
TEST(XmlDom, ImplicitLayoutAnswersAsTheTextsItStandsFor) {
  struct Side {
    XmlTree tree;
    XmlNode root = tree.Document().AppendChild(tree.CreateElement("r"));
    std::map<std::string, XmlNode> elements;
    bool explicit_texts = false;

    void Add(XmlNode parent, const std::string& name, const std::string& indent, const std::string& line_break) {
      const XmlNode element = tree.CreateElement(name);
      if (!explicit_texts) {
        parent.AppendIndented(element, indent, line_break);
      } else {
        if (!parent.FirstChild()) parent.AppendChild(tree.CreateText(line_break));
        parent.AppendChild(tree.CreateText(indent));
        parent.AppendChild(element);
        parent.AppendChild(tree.CreateText(line_break));
      }
      elements.emplace(name, element);
    }
  };
  Side laid_out;
  Side spelled_out;
  spelled_out.explicit_texts = true;

  // The n-th child of `parent` (a path of indexes from the root walked by
  // FirstChild and NextSibling), so that both sides name the same node.
  const auto at = [](Side& side, std::initializer_list<std::size_t> path) {
    XmlNode node = side.root;
    for (const std::size_t index : path) {
      std::optional<XmlNode> child = node.FirstChild();
      for (std::size_t i = 0; i < index; ++i) child = child->NextSibling();
      node = *child;
    }
    return node;
  };
  const struct {
    const char* what;
    std::function<void(Side&)> act;
  } steps[] = {
      {"lay out", [](Side& s) {
         s.Add(s.root, "a", "  ", "\r\n");
         s.Add(s.root, "b", "  ", "\r\n");
         s.Add(s.elements.at("a"), "c", "  ", "\r\n  ");
         s.Add(s.root, "d", "\t", "\n");
       }},
      {"the text after an element reached from it",
       [](Side& s) { s.elements.at("b").NextSibling()->SetValue("<after b>"); }},
      {"a text appended after the last layout", [](Side& s) { s.root.AppendChild(s.tree.CreateText("tail")); }},
      {"an element inserted before a laid-out one",
       [](Side& s) { s.root.InsertBefore(s.tree.CreateElement("x"), s.elements.at("b")); }},
      {"a laid-out element removed, its texts staying",
       [&](Side& s) { s.root.RemoveChild(s.elements.at("a")); }},
      {"the removed element inserted again, first",
       [](Side& s) { s.root.InsertBefore(s.elements.at("a"), s.root.FirstChild()); }},
      {"the first layout text reached and removed", [&](Side& s) { s.root.RemoveChild(at(s, {1})); }},
      {"a layout text's value set", [&](Side& s) { at(s, {3}).SetValue("[indent]"); }},
      {"an element appended after the others are gone", [&](Side& s) {
         while (s.root.FirstChild()) s.root.RemoveChild(*s.root.FirstChild());
         s.Add(s.root, "e", "  ", "\r\n");
       }},
  };
  for (const auto& step : steps) {
    step.act(laid_out);
    step.act(spelled_out);
    EXPECT_EQ(Bytes(laid_out.tree), Bytes(spelled_out.tree)) << step.what;
  }
  EXPECT_EQ(Bytes(laid_out.tree), "<r>\r\n  <e/>\r\n</r>\r\n");
  EXPECT_EQ(Children(laid_out.root), Children(spelled_out.root));
  EXPECT_EQ(laid_out.root.ChildCount(), spelled_out.root.ChildCount());
  EXPECT_EQ(Children(laid_out.elements.at("a")), "'\r\n  ' '  ' c '\r\n  '");
}

// Each distinct pair of indent and line break is one shared layout; past as
// many as the tree keeps, the texts are plain nodes and read the same.
TEST(XmlDom, ManyDistinctLayoutsAllReadBack) {
  XmlTree tree;
  XmlNode root = tree.Document().AppendChild(tree.CreateElement("r"));
  std::string expected = "<r>";
  std::string indent;
  for (int i = 0; i < 100; ++i) {
    indent += ' ';
    const std::string line_break = "\n" + std::to_string(i % 7);
    XmlNode child = root.AppendIndented(tree.CreateElement("c"), indent, line_break);
    if (i == 0) expected += line_break;
    expected += indent + "<c/>" + line_break;
    EXPECT_EQ(child.NextSibling()->Value(), line_break) << i;
  }
  EXPECT_EQ(Bytes(tree), expected + "</r>\r\n");
  EXPECT_EQ(root.ChildCount(), 301u);
  EXPECT_EQ(root.Child(298).Value(), indent);
}

}  // namespace
