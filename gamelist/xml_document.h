#pragma once
// The window's XML document object: inactive until Active is set, then one
// document (declaration and at most one root element) that is filled, saved
// in the encoding its declaration names, and released when Active is cleared.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "gamelist/xml_dom.h"

namespace gamelist {

enum TXMLDocOption : std::uint8_t {
  doNodeAutoCreate,
  doNodeAutoIndent,
  doAttrNull,
  doAutoPrefix,
  doNamespaceDecl,
  doAttrNotNull,
};

class TXMLDocOptions {
 public:
  TXMLDocOptions() = default;
  TXMLDocOptions(std::initializer_list<TXMLDocOption> options) {
    for (TXMLDocOption option : options) Include(option);
  }
  bool Contains(TXMLDocOption option) const { return (bits_ >> option) & 1u; }
  void Include(TXMLDocOption option) { bits_ |= 1u << option; }
  void Exclude(TXMLDocOption option) { bits_ &= ~(1u << option); }
  bool operator==(const TXMLDocOptions&) const = default;

 private:
  std::uint32_t bits_ = 0;
};

class TXMLDocument {
 public:
  TXMLDocument();
  ~TXMLDocument();
  TXMLDocument(const TXMLDocument&) = delete;
  TXMLDocument& operator=(const TXMLDocument&) = delete;

  // Activating an inactive object creates an empty document; activating an
  // active one keeps its content. Deactivating releases the content unsaved.
  bool Active() const { return tree_ != nullptr; }
  void SetActive(bool active);

  TXMLDocOptions Options() const { return options_; }
  void SetOptions(TXMLDocOptions options) { options_ = options; }
  const std::string& NodeIndentStr() const { return indent_; }
  void SetNodeIndentStr(std::string indent) { indent_ = std::move(indent); }

  // The declaration's items. Setting one rebuilds the whole "xml"
  // instruction, in place of the old one or as the document's first node.
  std::string Version() const { return Declaration().version; }
  std::string Encoding() const { return Declaration().encoding; }
  std::string StandAlone() const { return Declaration().standalone; }
  void SetVersion(const std::string& value);
  void SetEncoding(const std::string& value);
  void SetStandAlone(const std::string& value);

  // The members below throw GamelistError while the object is inactive.
  XmlNode DocumentNode() const;
  // Adds a top-level element (the root element); a second one is refused.
  XmlNode AddChild(std::string_view name);
  // The last element among the document node's children, if any.
  std::optional<XmlNode> DocumentElement() const;
  // Appends an element at the end of `parent`'s children; with
  // doNodeAutoIndent on and `parent` not the document node, surrounds it
  // with the line breaks and indentation that lay the document out.
  XmlNode AppendChild(XmlNode parent, std::string_view name);
  // Gives a childless element one text, or replaces its only text's value.
  void SetText(XmlNode element, std::string_view text);

  std::string SaveToBytes() const;
  // Atomic: the file is replaced whole or, on failure, left as it was. The
  // document streams into the file through one buffer.
  void SaveToFile(const std::string& path) const;

 private:
  struct DeclarationItems {
    std::string version;
    std::string encoding;
    std::string standalone;
  };
  DeclarationItems Declaration() const;
  void SetDeclaration(const DeclarationItems& items);
  std::optional<XmlNode> DeclarationNode() const;

  std::unique_ptr<XmlTree> tree_;
  TXMLDocOptions options_;
  std::string indent_;
};

}  // namespace gamelist
