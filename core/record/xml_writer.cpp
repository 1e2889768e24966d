#include "record/xml_writer.h"

namespace rz {
namespace {

// Escapes what would end or change the markup. In attribute values, tab and
// line breaks are written as character references too, because a parser
// turns literal ones into spaces.
void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += attribute ? "&quot;" : "\""; break;
      case '\r': out += "&#13;"; break;
      case '\n': out += attribute ? "&#10;" : "\n"; break;
      case '\t': out += attribute ? "&#9;" : "\t"; break;
      default: out += c;
    }
  }
}

}  // namespace

XmlWriter::XmlWriter() : out_("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") {}

void XmlWriter::EndStartTag() {
  if (inStartTag_) out_ += '>';
  inStartTag_ = false;
}

void XmlWriter::Open(std::string_view name) {
  EndStartTag();
  if (!open_.empty()) {
    if (!open_.back().hasChildren && !open_.back().hasText) out_ += '\n';
    open_.back().hasChildren = true;
  }
  out_.append(2 * open_.size(), ' ');
  out_ += '<';
  out_ += name;
  open_.push_back({std::string(name)});
  inStartTag_ = true;
}

void XmlWriter::Attribute(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  AppendEscaped(out_, value, true);
  out_ += '"';
}

void XmlWriter::Text(std::string_view text) {
  EndStartTag();
  AppendEscaped(out_, text, false);
  open_.back().hasText = true;
}

void XmlWriter::Close() {
  const Open_ element = open_.back();
  open_.pop_back();
  if (inStartTag_) {
    out_ += "/>\n";
    inStartTag_ = false;
    return;
  }
  if (element.hasChildren && !element.hasText) out_.append(2 * open_.size(), ' ');
  out_ += "</" + element.name + ">\n";
}

}  // namespace rz
