#include "import/xml_part.h"

#include <expat.h>

#include <cstring>
#include <new>

namespace tessaline {

namespace {

constexpr char namespace_separator = '\x01';

struct parser_closer {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

struct stream_state {
    XML_Parser parser;
    xml_handler& handler;
    int depth = 0;
    int max_depth = 0;
    std::string failure;
    bool out_of_memory = false;

    void stop(std::string reason) {
        if (failure.empty()) failure = std::move(reason);
        XML_StopParser(parser, XML_FALSE);
    }
    void check_handler() {
        if (!handler.failure().empty()) stop(handler.failure());
    }
    // An exception must not unwind through the parser's C frames: it stops
    // the parse here and is thrown again once the parser has returned.
    template <class Call> void guarded(Call call) {
        try {
            call();
            check_handler();
        } catch (const std::bad_alloc&) {
            out_of_memory = true;
            stop("out of memory");
        }
    }
};

void XMLCALL on_start(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& state = *static_cast<stream_state*>(data);
    if (++state.depth > state.max_depth) return state.stop("elements nest too deeply");
    state.guarded([&] { state.handler.start(split_xml_name(name), attributes); });
}

void XMLCALL on_end(void* data, const XML_Char* name) {
    auto& state = *static_cast<stream_state*>(data);
    --state.depth;
    state.guarded([&] { state.handler.end(split_xml_name(name)); });
}

void XMLCALL on_text(void* data, const XML_Char* text, int length) {
    auto& state = *static_cast<stream_state*>(data);
    state.guarded(
        [&] { state.handler.text(std::string_view(text, static_cast<std::size_t>(length))); });
}

// Workbooks never need a DTD; refusing one rules out entity expansion.
void XMLCALL on_doctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<stream_state*>(data)->stop("a DTD is not allowed");
}

} // namespace

xml_name split_xml_name(const char* name) {
    // An expanded name never holds a colon outside its URI, so the separator,
    // when present, comes before any colon that matters.
    const char* colon = nullptr;
    for (const char* c = name; *c; ++c) {
        if (*c == namespace_separator)
            return {std::string_view(name, static_cast<std::size_t>(c - name)), c + 1};
        if (*c == ':' && !colon) colon = c;
    }
    if (!colon) return {{}, name};
    return {std::string_view(name, static_cast<std::size_t>(colon - name)), colon + 1};
}

const char* find_attribute(const char** attributes, std::string_view local, std::string_view uri) {
    for (; *attributes; attributes += 2) {
        xml_name name = split_xml_name(attributes[0]);
        if (name.local == local && (uri.empty() || name.uri == uri)) return attributes[1];
    }
    return nullptr;
}

bool stream_xml_part(const zip_archive& archive, std::string_view part, xml_handler& handler,
                     const read_limits& limits, std::string& error, xml_names names) {
    auto input = archive.stream(part, error);
    if (!input) return false;
    std::unique_ptr<XML_ParserStruct, parser_closer> parser(
        names == xml_names::expanded ? XML_ParserCreateNS(nullptr, namespace_separator)
                                     : XML_ParserCreate(nullptr));
    if (!parser) throw std::bad_alloc();
    stream_state state{parser.get(), handler, 0, limits.max_depth, {}};
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(parser.get(), on_start, on_end);
    XML_SetCharacterDataHandler(parser.get(), on_text);
    XML_SetStartDoctypeDeclHandler(parser.get(), on_doctype);

    constexpr int chunk = 1 << 18;
    for (;;) {
        void* buffer = XML_GetBuffer(parser.get(), chunk);
        if (!buffer) throw std::bad_alloc();
        std::int64_t n = input->read(static_cast<char*>(buffer), chunk);
        if (n < 0) {
            error = input->error();
            return false;
        }
        if (XML_ParseBuffer(parser.get(), static_cast<int>(n), n == 0) != XML_STATUS_OK) {
            if (state.out_of_memory || XML_GetErrorCode(parser.get()) == XML_ERROR_NO_MEMORY)
                throw std::bad_alloc();
            if (!state.failure.empty())
                error = "part " + std::string(part) + ": " + state.failure;
            else
                error = "part " + std::string(part) + " is not well-formed XML (line " +
                        std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                        "): " + XML_ErrorString(XML_GetErrorCode(parser.get()));
            return false;
        }
        if (n == 0) return true;
    }
}

std::unique_ptr<pugi::xml_document> read_xml_tree(const zip_archive& archive, std::string_view part,
                                                  const read_limits& limits, std::string& error) {
    auto text = archive.read(part, limits.max_tree_part_bytes, error);
    if (!text) return nullptr;
    auto document = std::make_unique<pugi::xml_document>();
    pugi::xml_parse_result parsed =
        document->load_buffer(text->data(), text->size(), pugi::parse_default);
    if (parsed.status == pugi::status_out_of_memory) throw std::bad_alloc();
    if (!parsed) {
        error = "part " + std::string(part) + " is not well-formed XML: " + parsed.description();
        return nullptr;
    }
    return document;
}

std::string_view local_name(const char* qualified) {
    const char* colon = std::strrchr(qualified, ':');
    return colon ? colon + 1 : qualified;
}

pugi::xml_node child_named(pugi::xml_node parent, std::string_view local) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && local_name(child.name()) == local) return child;
    return {};
}

pugi::xml_attribute attribute_named(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_attribute a : node.attributes())
        if (local_name(a.name()) == local) return a;
    return {};
}

} // namespace tessaline
