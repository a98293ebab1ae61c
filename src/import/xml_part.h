// XML parts of a zip package: small ones as a pugixml tree, large ones (sheet
// data, shared strings, OpenDocument content) streamed through expat so that
// memory follows the cells kept, not the size of the XML.
#pragma once

#include "import/zip_archive.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <string_view>

namespace tessaline {

// An element or attribute name split into its namespace and local name. The
// namespace is the URI when the part is streamed with expanded names, and the
// prefix as written when it is streamed with qualified names.
struct xml_name {
    std::string_view uri;
    std::string_view local;
};

// Expanding every name costs expat about half of its speed on large parts, so
// a reader that knows the prefixes in use can take qualified names instead.
enum class xml_names { qualified, expanded };

xml_name split_xml_name(const char* name);

// Receives the events of a streamed part.
class xml_handler {
  public:
    virtual ~xml_handler() = default;
    // attributes: name, value, name, value, ..., nullptr
    virtual void start(const xml_name& name, const char** attributes) = 0;
    virtual void end(const xml_name& name) = 0;
    virtual void text(std::string_view) {}

    // Ends the parse with this reason.
    void fail(std::string reason) {
        if (failure_.empty()) failure_ = std::move(reason);
    }
    const std::string& failure() const { return failure_; }

  private:
    std::string failure_;
};

// The value of the attribute with this local name (and namespace, when not
// empty), or nullptr.
const char* find_attribute(const char** attributes, std::string_view local,
                           std::string_view uri = {});

// Streams the part through `handler`; false with `error` set when the part is
// missing, damaged, too deep, declares a DTD, or the handler failed.
bool stream_xml_part(const zip_archive& archive, std::string_view part, xml_handler& handler,
                     const read_limits& limits, std::string& error,
                     xml_names names = xml_names::qualified);

// The part as a document tree, or nullptr with `error` set.
std::unique_ptr<pugi::xml_document> read_xml_tree(const zip_archive& archive, std::string_view part,
                                                  const read_limits& limits, std::string& error);

// Local part of a qualified pugixml name ("x:sheet" gives "sheet").
std::string_view local_name(const char* qualified);
// First child element with this local name.
pugi::xml_node child_named(pugi::xml_node parent, std::string_view local);
// Attribute by local name.
pugi::xml_attribute attribute_named(pugi::xml_node node, std::string_view local);

} // namespace tessaline
