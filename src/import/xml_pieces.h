// A large XML part read as a series of small document trees: the children of
// one container element (the rows of a worksheet) are cut into pieces of
// whole children and each piece is parsed by pugixml on its own. Memory
// follows the piece size; parsing keeps pugixml's speed.
#pragma once

#include "import/xml_part.h"
#include "import/zip_archive.h"

#include <pugixml.hpp>

#include <functional>
#include <string>
#include <string_view>

namespace tessaline {

// Calls `piece` with each parsed piece, whose top-level nodes are children of
// the first `container` element; false with `error` set when the part is
// missing, damaged, not well-formed, declares a DTD, a single child is larger
// than the limit for trees, or `piece` returns false (its reason in `error`).
bool read_xml_pieces(const zip_archive& archive, std::string_view part, std::string_view container,
                     std::string_view child, const read_limits& limits,
                     const std::function<bool(const pugi::xml_document&)>& piece,
                     std::string& error);

// Streams a whole part through `handler` as the events expat would give with
// qualified names, parsing it with pugixml in pieces cut between two sibling
// elements named `local` in namespace `uri` (the rows of a table). The prefix
// comes from the declaration on the root element; false with `error` set as
// for stream_xml_part, and with `error` empty when the part declares no prefix
// for `uri` (the caller then streams it with expat).
bool stream_xml_pieces(const zip_archive& archive, std::string_view part, std::string_view uri,
                       std::string_view local, xml_handler& handler, const read_limits& limits,
                       std::string& error);

} // namespace tessaline
