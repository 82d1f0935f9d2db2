// A strict reader of well-formed markup (XML, and HTML written as XML), so tests read the protocols
// as a browser or a CI server does, rather than grepping them: a stray '<' or '&', an unknown
// reference or a wrong closing tag fails.
#pragma once

#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace sptest {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<Element> children;
  std::string text;  // every text inside, references resolved

  // Every element of that name below this one, in document order.
  std::vector<const Element*> All(const std::string& tag) const {
    std::vector<const Element*> found;
    for (const Element& c : children) {
      if (c.name == tag) found.push_back(&c);
      for (const Element* d : c.All(tag)) found.push_back(d);
    }
    return found;
  }
};

class MarkupReader {
 public:
  // The document's root element, or false with where and what went wrong.
  static bool Read(const std::string& doc, Element& root, std::string& error) {
    MarkupReader r(doc);
    r.Skip();
    if (!r.ReadElement(root)) {
      error = "at " + std::to_string(r.m_pos) + ": " + r.m_error;
      return false;
    }
    r.Skip();
    if (r.m_pos != doc.size()) error = "text after the root at " + std::to_string(r.m_pos);
    return r.m_pos == doc.size();
  }

 private:
  explicit MarkupReader(const std::string& doc) : m_doc(doc) {}

  bool At(const char* s) const { return m_doc.compare(m_pos, std::char_traits<char>::length(s), s) == 0; }
  bool Fail(const std::string& what) { return m_error = what, false; }

  // Blanks, the declaration, comments and the document type.
  void Skip() {
    for (;;) {
      while (m_pos < m_doc.size() && std::string(" \t\r\n").find(m_doc[m_pos]) != std::string::npos) ++m_pos;
      const char* close = At("<?") ? "?>" : At("<!--") ? "-->" : At("<!DOCTYPE") ? ">" : nullptr;
      if (close == nullptr) return;
      const std::size_t end = m_doc.find(close, m_pos);
      m_pos = end == std::string::npos ? m_doc.size() : end + std::char_traits<char>::length(close);
    }
  }

  std::string Name() {
    const std::size_t start = m_pos;
    while (m_pos < m_doc.size() && (std::isalnum(static_cast<unsigned char>(m_doc[m_pos])) || m_doc[m_pos] == '-' ||
                                    m_doc[m_pos] == '_' || m_doc[m_pos] == ':')) {
      ++m_pos;
    }
    return m_doc.substr(start, m_pos - start);
  }

  bool Text(char stop, std::string& out) {
    while (m_pos < m_doc.size() && m_doc[m_pos] != stop) {
      const char c = m_doc[m_pos];
      if (c == '<' || (c == '>' && stop == '"')) return Fail("a bare '<'");
      if (c != '&') {
        out += c;
        ++m_pos;
        continue;
      }
      const std::size_t semi = m_doc.find(';', m_pos);
      const std::string ref = semi == std::string::npos ? "" : m_doc.substr(m_pos + 1, semi - m_pos - 1);
      static const std::map<std::string, std::string> kNamed = {
          {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
      if (kNamed.count(ref) != 0) {
        out += kNamed.at(ref);
      } else if (ref.size() > 1 && ref[0] == '#') {
        const unsigned long cp = std::stoul(ref.substr(ref[1] == 'x' ? 2 : 1), nullptr, ref[1] == 'x' ? 16 : 10);
        if (cp >= 0x80) return Fail("a reference beyond ASCII");
        out += static_cast<char>(cp);
      } else {
        return Fail("an unknown reference &" + ref.substr(0, 10));
      }
      m_pos = semi + 1;
    }
    return m_pos < m_doc.size() || stop == '<' || Fail("the end of the document");
  }

  bool ReadElement(Element& e) {
    if (!At("<")) return Fail("no element");
    ++m_pos;
    e.name = Name();
    if (e.name.empty()) return Fail("a nameless element");
    for (;;) {
      while (m_pos < m_doc.size() && std::isspace(static_cast<unsigned char>(m_doc[m_pos]))) ++m_pos;
      if (At("/>")) return m_pos += 2, true;
      if (At(">")) break;
      const std::string name = Name();
      if (name.empty() || !At("=\"")) return Fail("an attribute without a quoted value");
      m_pos += 2;
      std::string value;
      if (!Text('"', value)) return false;
      ++m_pos;
      if (!e.attributes.emplace(name, value).second) return Fail("attribute " + name + " twice");
    }
    ++m_pos;
    for (;;) {
      if (!Text('<', e.text)) return false;
      if (At("<!--")) {
        Skip();
        continue;
      }
      if (At("</")) {
        m_pos += 2;
        if (Name() != e.name || !At(">")) return Fail("</" + e.name + "> expected");
        return ++m_pos, true;
      }
      if (m_pos >= m_doc.size()) return Fail("<" + e.name + "> not closed");
      e.children.emplace_back();
      if (!ReadElement(e.children.back())) return false;
      e.text += e.children.back().text;
    }
  }

  const std::string& m_doc;
  std::size_t m_pos = 0;
  std::string m_error;
};

}  // namespace sptest
