#include "update_reply.h"

#include "graph/declaration.h"

#include <pugixml.hpp>

namespace tessaline {

bool update_offer_needed(std::string_view reply, const std::string& program_version) {
    const std::string xml = trim_to_angle_brackets(reply);
    if (xml.empty()) return false;
    pugi::xml_document document;
    if (!document.load_buffer(xml.data(), xml.size())) return false;
    const pugi::xml_node version = document.document_element().child("version");
    if (!version) return false;
    const pugi::xml_attribute val = version.attribute("val");
    if (!val) return false;
    return program_version != val.value();
}

} // namespace tessaline
