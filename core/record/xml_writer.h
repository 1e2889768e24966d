#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rz {

// Writes an XML document element by element into a string, escaping every
// attribute value and text so that any input stays well-formed (the text must
// already hold only characters XML allows). Nested elements are indented by
// two spaces; text is written exactly as given.
class XmlWriter {
 public:
  XmlWriter();  // starts with the XML declaration

  // Opens <name; attributes follow until the next Open, Text or Close.
  void Open(std::string_view name);
  void Attribute(std::string_view name, std::string_view value);
  // Character content of the element opened last.
  void Text(std::string_view text);
  // Closes the element opened last (as <name/> when it is empty).
  void Close();

  // The document; every element must have been closed.
  const std::string& Document() const { return out_; }

 private:
  void EndStartTag();

  struct Open_ {
    std::string name;
    bool hasChildren = false;
    bool hasText = false;
  };

  std::string out_;
  std::vector<Open_> open_;
  bool inStartTag_ = false;
};

}  // namespace rz
