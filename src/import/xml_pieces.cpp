#include "import/xml_pieces.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace tessaline {

namespace {

constexpr std::size_t largest_chunk = 4u << 20;

// Small parts are read in small chunks, so that a tiny workbook does not
// clear megabytes per part.
// Reads the next chunk of a part onto the end of the buffer; at_end once the
// part has no more bytes.
bool append_chunk(zip_part& input, std::size_t chunk, std::string& buffer, bool& at_end,
                  std::string& error) {
    const std::size_t size = buffer.size();
    buffer.resize(size + chunk);
    const std::int64_t n = input.read(buffer.data() + size, chunk);
    if (n < 0) {
        error = input.error();
        return false;
    }
    buffer.resize(size + static_cast<std::size_t>(n));
    at_end = n == 0;
    return true;
}

std::size_t chunk_for(const zip_part& part) {
    return std::clamp<std::size_t>(static_cast<std::size_t>(part.stated_size()) + 1, 64u << 10,
                                   largest_chunk);
}

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
    const std::size_t chunk = chunk_for(*input);
    auto fill = [&] { return append_chunk(*input, chunk, buffer, at_end, error); };
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
        if (parsed.status == pugi::status_out_of_memory) throw std::bad_alloc();
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

namespace {

// The prefix the root element gives `uri` ("" for the default namespace), or
// nothing when the text up to the root's end declares none.
std::optional<std::string> declared_prefix(std::string_view text, std::string_view uri) {
    std::size_t root = 0;
    do {
        root = text.find('<', root);
        if (root == std::string_view::npos || root + 1 >= text.size()) return std::nullopt;
        ++root;
    } while (text[root] == '?' || text[root] == '!');
    std::size_t end = text.find('>', root);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view tag = text.substr(root, end - root);
    for (std::size_t at = tag.find(uri); at != std::string_view::npos; at = tag.find(uri, at + 1)) {
        if (at < 2 || (tag[at - 1] != '"' && tag[at - 1] != '\'') ||
            at + uri.size() >= tag.size() || tag[at + uri.size()] != tag[at - 1])
            continue;
        std::size_t equals = tag.find_last_not_of(" \t\r\n", at - 2);
        if (equals == std::string_view::npos || tag[equals] != '=') continue;
        std::size_t name_end = tag.find_last_not_of(" \t\r\n", equals - 1) + 1;
        std::size_t name_begin = name_end;
        while (name_begin > 0 && (name_char(tag[name_begin - 1]) || tag[name_begin - 1] == ':'))
            --name_begin;
        std::string_view name = tag.substr(name_begin, name_end - name_begin);
        if (name == "xmlns") return std::string();
        if (name.starts_with("xmlns:")) return std::string(name.substr(6));
    }
    return std::nullopt;
}

// The end of the last element `name` in `text` that is directly followed (but
// for white space) by the start of another: a place where the text can be
// cut with only whole siblings before it; npos when there is none.
std::size_t sibling_cut(std::string_view text, const std::string& name) {
    const std::string start = "<" + name;
    for (std::size_t at = text.rfind(start); at != std::string_view::npos && at > 0;
         at = text.rfind(start, at - 1)) {
        if (!name_ends(text, at + start.size())) continue;
        std::size_t before = text.find_last_not_of(" \t\r\n", at - 1);
        if (before == std::string_view::npos || text[before] != '>') continue;
        std::size_t open = text.rfind('<', before);
        if (open == std::string_view::npos) continue;
        std::string_view tag = text.substr(open, before + 1 - open);
        bool end_tag = tag[1] == '/';
        std::string_view tag_name = tag.substr(end_tag ? 2 : 1);
        if (!tag_name.starts_with(name)) continue;
        std::string_view rest = tag_name.substr(name.size()); // up to and with the '>'
        bool closes = end_tag && rest.find_first_not_of(" \t\r\n") == rest.size() - 1;
        bool self_closed = !end_tag && name_ends(tag_name, name.size()) && tag.ends_with("/>");
        if (closes || self_closed) return at;
    }
    return std::string_view::npos;
}

// Emits the events of one parsed piece. Its first `synthetic` levels are the
// elements left open by earlier pieces: entered, but not announced again.
// The ancestors of `open_end` stay open for the next piece: not left.
bool emit_piece(const pugi::xml_document& document, std::size_t synthetic, pugi::xml_node open_end,
                xml_handler& handler, const read_limits& limits, std::string& error) {
    std::vector<pugi::xml_node> reopened, still_open;
    for (pugi::xml_node n = document.first_child(); n && reopened.size() < synthetic;
         n = n.first_child())
        reopened.push_back(n);
    if (open_end)
        for (pugi::xml_node n = open_end.parent(); n && n.type() == pugi::node_element;
             n = n.parent())
            still_open.push_back(n);
    auto among = [](const std::vector<pugi::xml_node>& list, pugi::xml_node n) {
        for (pugi::xml_node o : list)
            if (o == n) return true;
        return false;
    };
    auto failed = [&] {
        if (handler.failure().empty()) return false;
        error = handler.failure();
        return true;
    };
    auto leave = [&](pugi::xml_node n) {
        if (!among(still_open, n)) handler.end(split_xml_name(n.name()));
        return !failed();
    };

    std::vector<const char*> attributes;
    int depth = 0;
    pugi::xml_node node = document.first_child();
    while (node) {
        if (node.type() == pugi::node_element) {
            if (!among(reopened, node)) {
                if (depth >= limits.max_depth) {
                    error = "elements nest too deeply";
                    return false;
                }
                attributes.clear();
                for (pugi::xml_attribute a : node.attributes()) {
                    attributes.push_back(a.name());
                    attributes.push_back(a.value());
                }
                attributes.push_back(nullptr);
                handler.start(split_xml_name(node.name()), attributes.data());
                if (failed()) return false;
            }
            if (node.first_child()) {
                node = node.first_child();
                ++depth;
                continue;
            }
            if (!leave(node)) return false;
        } else if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            handler.text(node.value());
            if (failed()) return false;
        }
        while (!node.next_sibling()) {
            node = node.parent();
            if (!node || node.type() == pugi::node_document) return true;
            --depth;
            if (!leave(node)) return false;
        }
        node = node.next_sibling();
    }
    return true;
}

} // namespace

bool stream_xml_pieces(const zip_archive& archive, std::string_view part, std::string_view uri,
                       std::string_view local, xml_handler& handler, const read_limits& limits,
                       std::string& error) {
    auto input = archive.stream(part, error);
    if (!input) return false;
    const std::string where = "part " + std::string(part) + ": ";
    std::string buffer;
    bool at_end = false;
    const std::size_t chunk = chunk_for(*input);
    auto fill = [&] { return append_chunk(*input, chunk, buffer, at_end, error); };

    if (!fill()) return false;
    if (buffer.find("<!DOCTYPE") != std::string::npos) {
        error = where + "a DTD is not allowed";
        return false;
    }
    std::optional<std::string> prefix = declared_prefix(buffer, uri);
    if (!prefix) return false; // error stays empty: no prefix to cut at
    const std::string cut_name =
        prefix->empty() ? std::string(local) : *prefix + ":" + std::string(local);

    std::vector<std::string> open; // names of the elements around the cut
    std::string text;
    for (;;) {
        std::size_t cut = at_end ? buffer.size() : sibling_cut(buffer, cut_name);
        if (cut == std::string::npos) {
            if (buffer.size() > limits.max_tree_part_bytes) {
                error = where + "an element is too large";
                return false;
            }
            if (!fill()) return false;
            continue;
        }
        text.clear();
        for (const std::string& name : open)
            text += "<" + name + ">";
        text.append(buffer, 0, cut);
        pugi::xml_document document;
        pugi::xml_parse_result parsed = document.load_buffer_inplace(
            text.data(), text.size(),
            pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_fragment);
        bool unclosed_at_end = parsed.status == pugi::status_end_element_mismatch &&
                               static_cast<std::size_t>(parsed.offset) + 1 >= text.size();
        if (parsed.status == pugi::status_out_of_memory) throw std::bad_alloc();
        if (!parsed && !(unclosed_at_end && !at_end)) {
            error = where + "not well-formed XML: " + parsed.description();
            return false;
        }
        // The last element of the piece is the sibling before the cut.
        pugi::xml_node last;
        if (!at_end) {
            for (pugi::xml_node n = document.last_child(); n; n = n.last_child()) {
                while (n && n.type() != pugi::node_element)
                    n = n.previous_sibling();
                if (!n) break;
                last = n;
                if (std::string_view(n.name()) == cut_name) break;
            }
            if (!last || std::string_view(last.name()) != cut_name) {
                error = where + "not well-formed XML";
                return false;
            }
        }
        if (!emit_piece(document, open.size(), last, handler, limits, error)) return false;
        if (at_end) return true;
        open.clear();
        for (pugi::xml_node n = last.parent(); n && n.type() == pugi::node_element; n = n.parent())
            open.insert(open.begin(), n.name());
        buffer.erase(0, cut);
        if (!fill()) return false;
    }
}

} // namespace tessaline
