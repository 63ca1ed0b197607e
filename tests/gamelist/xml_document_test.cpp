#include "gamelist/xml_document.h"

#include <gtest/gtest.h>

#include "gamelist/error.h"
#include "gamelist/xml_writer.h"

namespace {

using gamelist::GamelistError;
using gamelist::TXMLDocument;
using gamelist::XmlNode;
using gamelist::XmlTree;

TEST(XmlDom, RefusesASecondRootElement) {
  XmlTree tree;
  XmlNode document = tree.Document();
  document.AppendChild(tree.CreateProcessingInstruction("xml", "version=\"1.0\""));
  document.AppendChild(tree.CreateElement("gameList"));
  try {
    document.AppendChild(tree.CreateElement("gameList"));
    FAIL() << "a second root element was accepted";
  } catch (const GamelistError& error) {
    EXPECT_NE(std::string(error.what()).find("single root element"), std::string::npos) << error.what();
  }
  EXPECT_EQ(document.ChildCount(), 2u);
  EXPECT_THROW(document.AppendChild(tree.CreateText("x")), GamelistError);
  EXPECT_THROW(tree.CreateElement("two words"), GamelistError);
}

TEST(XmlDocument, IsInactiveUntilActivatedAndReleasesItsContent) {
  TXMLDocument document;
  EXPECT_FALSE(document.Active());
  EXPECT_THROW(document.AddChild("gameList"), GamelistError);
  EXPECT_TRUE(document.Options().Contains(gamelist::doNodeAutoCreate));
  EXPECT_FALSE(document.Options().Contains(gamelist::doNodeAutoIndent));
  EXPECT_EQ(document.NodeIndentStr(), "  ");

  document.SetActive(true);
  document.AddChild("gameList");
  document.SetActive(true);  // already active: the content stays
  EXPECT_TRUE(document.DocumentElement());
  document.SetActive(false);
  document.SetActive(true);
  EXPECT_FALSE(document.DocumentElement());
}

TEST(XmlDocument, RebuildsTheDeclarationAsTheDocumentsFirstNode) {
  TXMLDocument document;
  document.SetActive(true);
  document.AddChild("root");
  EXPECT_EQ(document.Version(), "1.0");  // no declaration yet
  document.SetEncoding("GB2312");
  EXPECT_EQ(document.SaveToBytes(), "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root/>\r\n");
  document.SetStandAlone("yes");
  document.SetVersion("1.1");
  EXPECT_EQ(document.DocumentNode().Child(0).Value(), "version=\"1.1\" encoding=\"GB2312\" standalone=\"yes\"");
  document.SetStandAlone("");
  document.SetVersion("1.0");
  EXPECT_EQ(document.DocumentNode().ChildCount(), 2u);
  EXPECT_EQ(document.DocumentNode().Child(0).Value(), "version=\"1.0\" encoding=\"GB2312\"");
}

TEST(XmlDocument, AutoIndentLaysOutNestedElements) {
  TXMLDocument document;
  document.SetActive(true);
  document.SetVersion("1.0");
  gamelist::TXMLDocOptions options = document.Options();
  options.Include(gamelist::doNodeAutoIndent);
  document.SetOptions(options);
  XmlNode root = document.AddChild("a");
  XmlNode b = document.AppendChild(root, "b");
  document.SetText(document.AppendChild(b, "c"), "1");
  document.SetText(document.AppendChild(b, "d"), "");
  document.AppendChild(b, "e");
  document.AppendChild(root, "f");
  EXPECT_EQ(document.SaveToBytes(),
            "<?xml version=\"1.0\"?>\r\n"
            "<a>\r\n"
            "  <b>\r\n"
            "    <c>1</c>\r\n"
            "    <d></d>\r\n"
            "    <e/>\r\n"
            "  </b>\r\n"
            "  <f/>\r\n"
            "</a>\r\n");
}

TEST(XmlDocument, SetTextReplacesTheOnlyTextAndRefusesMixedContent) {
  TXMLDocument document;
  document.SetActive(true);
  XmlNode root = document.AddChild("r");
  XmlNode child = document.AppendChild(root, "c");
  document.SetText(child, "one");
  document.SetText(child, "two");
  EXPECT_EQ(child.ChildCount(), 1u);
  EXPECT_EQ(child.Child(0).Value(), "two");
  EXPECT_THROW(document.SetText(root, "x"), GamelistError);
}

std::string TextIn(const std::string& text, const char* encoding) {
  TXMLDocument document;
  document.SetActive(true);
  document.SetVersion("1.0");
  document.SetEncoding(encoding);
  document.SetText(document.AddChild("t"), text);
  const std::string bytes = document.SaveToBytes();
  const std::size_t start = bytes.find("<t>") + 3;
  return bytes.substr(start, bytes.find("</t>") - start);
}

TEST(XmlWriter, EscapesMarkupAndReferencesWhatTheEncodingLacks) {
  const struct {
    const char* text;
    const char* gb2312;
    const char* utf8;
  } cases[] = {
      {"Tom & Jerry <USA> \"1\"", "Tom &amp; Jerry &lt;USA&gt; \"1\"", "Tom &amp; Jerry &lt;USA&gt; \"1\""},
      {"\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},              // 中文
      {"\xC2\xB7\xE2\x80\x94", "\xA1\xA4\xA1\xAA", "\xC2\xB7\xE2\x80\x94"},                      // · —
      {"\xE2\x82\xAC" "5", "&#x20AC;5", "\xE2\x82\xAC" "5"},                                      // €
      {"\xF0\x9F\x8E\xAE", "&#x1F3AE;", "\xF0\x9F\x8E\xAE"},                                      // 🎮
      {"\xE3\x83\xBB\xE2\x80\x95", "&#x30FB;&#x2015;", "\xE3\x83\xBB\xE2\x80\x95"},              // ・―
      {"Pok\xC3\xA9mon \xC3\x89", "Pok\xA8\xA6mon &#xC9;", "Pok\xC3\xA9mon \xC3\x89"},           // é É
      {"tab\there", "tab\there", "tab\there"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextIn(c.text, "GB2312"), c.gb2312) << c.text;
    EXPECT_EQ(TextIn(c.text, "gb2312"), c.gb2312) << c.text;
    EXPECT_EQ(TextIn(c.text, "UTF-8"), c.utf8) << c.text;
  }
}

TEST(XmlWriter, RefusesTextXmlCannotCarryAndNamesIt) {
  const struct {
    const char* text;
    const char* named;
  } cases[] = {
      {"bad\x01name.zip", "bad\\x01name.zip"},
      {"esc\x1B.zip", "esc\\x1B.zip"},
      {"half\xED\xA0\x80.zip", "half\\xED\\xA0\\x80.zip"},  // lone surrogate U+D800
      {"bom\xEF\xBF\xBE.zip", "bom\xEF\xBF\xBE.zip"},       // U+FFFE
      {"max\xEF\xBF\xBF.zip", "max\xEF\xBF\xBF.zip"},       // U+FFFF
      {"latin\xE9.zip", "latin\\xE9.zip"},                 // not UTF-8
  };
  for (const auto& c : cases) {
    for (const char* encoding : {"GB2312", "UTF-8"}) {
      try {
        TextIn(c.text, encoding);
        ADD_FAILURE() << "accepted " << c.named;
      } catch (const GamelistError& error) {
        EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos) << error.what();
      }
    }
  }
}

TEST(XmlWriter, RefusesAnUnknownEncoding) {
  TXMLDocument document;
  document.SetActive(true);
  document.SetEncoding("ISO-8859-1");
  document.AddChild("r");
  EXPECT_THROW(document.SaveToBytes(), GamelistError);
}

}  // namespace
