#include "import/xml_pieces.h"

#include <cstring>

namespace tessaline {

namespace {

constexpr std::size_t chunk = 4u << 20;

bool name_char(char c) {
    return c == '_' || c == '-' || c == '.' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
}

bool name_ends(std::string_view text, std::size_t at) {
    return at >= text.size() || !name_char(text[at]) || text[at] == ':';
}

// Where the start tag "<P:name" or "<name" begins at or after `from`, with its
// prefix; npos when there is none.
std::size_t find_start_tag(std::string_view text, std::string_view name, std::size_t from,
                           std::string& prefix) {
    for (std::size_t at = text.find(name, from); at != std::string_view::npos;
         at = text.find(name, at + 1)) {
        if (!name_ends(text, at + name.size()) || at == 0) continue;
        std::size_t begin = at;
        if (text[at - 1] == ':') {
            begin = at - 1;
            while (begin > 0 && name_char(text[begin - 1]))
                --begin;
            if (begin == at - 1) continue;
            prefix = std::string(text.substr(begin, at - 1 - begin));
        } else
            prefix.clear();
        if (begin > 0 && text[begin - 1] == '<') return begin - 1;
    }
    return std::string_view::npos;
}

} // namespace

bool read_xml_pieces(const zip_archive& archive, std::string_view part, std::string_view container,
                     std::string_view child, const read_limits& limits,
                     const std::function<bool(const pugi::xml_document&)>& piece,
                     std::string& error) {
    auto input = archive.stream(part, error);
    if (!input) return false;
    const std::string where = "part " + std::string(part) + ": ";

    std::string buffer;
    bool at_end = false;
    auto fill = [&]() -> bool {
        std::size_t size = buffer.size();
        buffer.resize(size + chunk);
        std::int64_t n = input->read(buffer.data() + size, chunk);
        if (n < 0) {
            error = input->error();
            return false;
        }
        buffer.resize(size + static_cast<std::size_t>(n));
        at_end = n == 0;
        return true;
    };
    auto too_large = [&] {
        if (buffer.size() <= limits.max_tree_part_bytes) return false;
        error = where + "an element is too large";
        return true;
    };

    // Up to the container's start tag.
    std::string prefix;
    std::size_t start = std::string::npos;
    while (start == std::string::npos) {
        if (!fill()) return false;
        if (buffer.find("<!DOCTYPE") != std::string::npos) {
            error = where + "a DTD is not allowed";
            return false;
        }
        start = find_start_tag(buffer, container, 0, prefix);
        if (start == std::string::npos && at_end) return true; // no container: nothing inside
        if (start == std::string::npos && too_large()) return false;
    }
    std::size_t close = buffer.find('>', start);
    while (close == std::string::npos) {
        if (at_end || too_large()) {
            error = where + "not well-formed XML";
            return false;
        }
        if (!fill()) return false;
        close = buffer.find('>', start);
    }
    if (buffer[close - 1] == '/') return true; // an empty container
    buffer.erase(0, close + 1);

    const std::string qualified =
        prefix.empty() ? std::string(container) : prefix + ":" + std::string(container);
    const std::string end_tag = "</" + qualified;
    const std::string child_tag =
        prefix.empty() ? std::string(child) : prefix + ":" + std::string(child);
    for (;;) {
        std::size_t end = buffer.find(end_tag);
        std::size_t cut = end;
        if (end == std::string::npos) {
            // Everything before the last child's start tag is whole children.
            cut = std::string::npos;
            for (std::size_t at = buffer.rfind("<" + child_tag); at != std::string::npos && at > 0;
                 at = buffer.rfind("<" + child_tag, at - 1))
                if (name_ends(buffer, at + 1 + child_tag.size())) {
                    cut = at;
                    break;
                }
            if (at_end) {
                error = where + "not well-formed XML (the " + std::string(container) +
                        " element is not closed)";
                return false;
            }
            if (cut == std::string::npos || cut == 0) {
                if (too_large() || !fill()) return false;
                continue;
            }
        }
        pugi::xml_document document;
        pugi::xml_parse_result parsed = document.load_buffer_inplace(
            buffer.data(), cut,
            pugi::parse_default | pugi::parse_fragment | pugi::parse_ws_pcdata_single);
        if (!parsed) {
            error = where + "not well-formed XML: " + parsed.description();
            return false;
        }
        if (!piece(document)) return false;
        if (end != std::string::npos) return true;
        buffer.erase(0, cut);
        if (!fill()) return false;
    }
}

} // namespace tessaline
