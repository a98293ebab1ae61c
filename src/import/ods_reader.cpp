// OpenDocument spreadsheets: cell styles' backgrounds from the styles part,
// then the content part streamed once for its automatic styles and tables.
#include "import/date_text.h"
#include "import/format_readers.h"
#include "import/xml_part.h"
#include "import/xml_pieces.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace tessaline {

namespace {

constexpr std::string_view office_ns = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view table_ns = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view text_ns = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view style_ns = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view fo_ns = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr std::string_view draw_ns = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
constexpr std::string_view calcext_ns =
    "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";

constexpr std::size_t max_cell_text = 1 << 20;

bool is(const xml_name& name, std::string_view uri, std::string_view local) {
    return name.local == local && name.uri == uri;
}

// How the namespaces read appear in names: their URIs when the names are
// expanded, the prefixes the root element declares for them when qualified.
struct ods_namespaces {
    static constexpr std::string_view undeclared = "\x02";
    std::string office{undeclared}, table{undeclared}, text{undeclared}, style{undeclared},
        fo{undeclared}, draw{undeclared}, calcext{undeclared};

    static ods_namespaces expanded() {
        ods_namespaces n;
        n.office = office_ns, n.table = table_ns, n.text = text_ns, n.style = style_ns;
        n.fo = fo_ns, n.draw = draw_ns, n.calcext = calcext_ns;
        return n;
    }
    void declare(std::string_view prefix, std::string_view uri) {
        for (auto [known, slot] : {std::pair{office_ns, &office},
                                   {table_ns, &table},
                                   {text_ns, &text},
                                   {style_ns, &style},
                                   {fo_ns, &fo},
                                   {draw_ns, &draw},
                                   {calcext_ns, &calcext}})
            if (uri == known) *slot = prefix;
    }
};

// "#ffff00" to 0x0000FFFF; "transparent" and anything else to -1.
std::int32_t parse_background(const char* value) {
    if (!value || value[0] != '#' || std::strlen(value) != 7) return -1;
    char* end = nullptr;
    unsigned long rgb = std::strtoul(value + 1, &end, 16);
    if (*end) return -1;
    return static_cast<std::int32_t>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

std::uint32_t parse_count(const char* value) {
    std::uint32_t n = 1;
    if (value) std::from_chars(value, value + std::strlen(value), n);
    return n == 0 ? 1 : n;
}

struct cell_style {
    std::string parent;
    std::int32_t background = -1;
    bool has_background = false;
};

class cell_styles {
  public:
    void add(std::string name, cell_style style) { styles_[std::move(name)] = std::move(style); }

    // Workbook format of a cell style; the background comes from the style or
    // the nearest parent that sets one.
    std::uint32_t format(const std::string& name, workbook& book) {
        if (name.empty()) return 0;
        auto known = formats_.find(name);
        if (known != formats_.end()) return known->second;
        std::int32_t background = -1;
        const std::string* current = &name;
        for (int depth = 0; depth < 32; ++depth) {
            auto style = styles_.find(*current);
            if (style == styles_.end()) break;
            if (style->second.has_background) {
                background = style->second.background;
                break;
            }
            current = &style->second.parent;
        }
        std::uint32_t index = 0;
        if (background != -1) {
            index = static_cast<std::uint32_t>(book.formats.size());
            book.formats.push_back({-1, background});
        }
        formats_.emplace(name, index);
        return index;
    }

  private:
    std::unordered_map<std::string, cell_style> styles_;
    std::unordered_map<std::string, std::uint32_t> formats_;
};

void read_named_styles(const pugi::xml_node& root, cell_styles& styles) {
    pugi::xml_node document = child_named(root, "document-styles");
    for (std::string_view group : {"styles", "automatic-styles"})
        for (pugi::xml_node s : child_named(document, group).children()) {
            if (local_name(s.name()) != "style" ||
                std::string_view(attribute_named(s, "family").value()) != "table-cell")
                continue;
            cell_style style;
            style.parent = attribute_named(s, "parent-style-name").value();
            if (pugi::xml_attribute bg =
                    attribute_named(child_named(s, "table-cell-properties"), "background-color")) {
                style.has_background = true;
                style.background = parse_background(bg.value());
            }
            styles.add(attribute_named(s, "name").value(), std::move(style));
        }
}

class content_handler : public xml_handler {
  public:
    content_handler(workbook& book, read_budget& budget, cell_styles& styles, xml_names names)
        : book_(book), budget_(budget), styles_(styles), qualified_(names == xml_names::qualified) {
        if (!qualified_) ns_ = ods_namespaces::expanded();
    }

    // Qualified names fail with this reason when a namespace is declared below
    // the root element, where prefixes could change meaning.
    static constexpr std::string_view needs_expanded_names = "namespaces declared below the root";

    void start(const xml_name& name, const char** attributes) override {
        if (qualified_ && !declarations_read(attributes)) return;
        if (ignored_ > 0) {
            ++ignored_;
            return;
        }
        if (in_cell_) return start_in_cell(name, attributes);
        if (is(name, ns_.table, "table")) {
            if (table_depth_++ > 0) return;
            table_name_ = attr(attributes, ns_.table, "name");
            builder_.emplace(budget_);
            next_row_ = 1;
            column_styles_.clear();
            columns_ = 0;
        } else if (table_depth_ != 1) {
            if (is(name, ns_.style, "style")) {
                const char* family = find_attribute(attributes, "family", ns_.style);
                in_style_ = family && std::string_view(family) == "table-cell";
                style_name_ = attr(attributes, ns_.style, "name");
                style_ = {attr(attributes, ns_.style, "parent-style-name"), -1, false};
            } else if (in_style_ && is(name, ns_.style, "table-cell-properties")) {
                if (const char* bg = find_attribute(attributes, "background-color", ns_.fo)) {
                    style_.has_background = true;
                    style_.background = parse_background(bg);
                }
            }
        } else if (is(name, ns_.table, "table-column")) {
            std::uint32_t repeat =
                parse_count(find_attribute(attributes, "number-columns-repeated", ns_.table));
            std::uint32_t format =
                styles_.format(attr(attributes, ns_.table, "default-cell-style-name"), book_);
            if (columns_ < max_sheet_columns) {
                columns_ = std::min<std::uint64_t>(columns_ + repeat, max_sheet_columns);
                column_styles_.emplace_back(static_cast<std::uint32_t>(columns_), format);
            }
        } else if (is(name, ns_.table, "table-row")) {
            row_repeat_ =
                parse_count(find_attribute(attributes, "number-rows-repeated", ns_.table));
            const char* style = find_attribute(attributes, "default-cell-style-name", ns_.table);
            row_format_ = style ? styles_.format(style, book_) : no_format;
            row_cells_.clear();
            next_column_ = 1;
        } else if (is(name, ns_.table, "table-cell") || is(name, ns_.table, "covered-table-cell")) {
            start_cell(attributes);
        }
    }

    void end(const xml_name& name) override {
        if (ignored_ > 0) {
            --ignored_;
            return;
        }
        if (in_cell_) {
            if (is(name, ns_.table, "table-cell") || is(name, ns_.table, "covered-table-cell"))
                end_cell();
            else if (is(name, ns_.text, "p"))
                --in_paragraph_;
            return;
        }
        if (is(name, ns_.table, "table")) {
            if (--table_depth_ > 0) return;
            if (!builder_->finish(table_name_, book_)) fail(budget_.refusal());
            builder_.reset();
        } else if (table_depth_ == 1 && is(name, ns_.table, "table-row")) {
            end_row();
        } else if (in_style_ && is(name, ns_.style, "style")) {
            styles_.add(style_name_, style_);
            in_style_ = false;
        }
    }

    void text(std::string_view data) override {
        if (in_cell_ && in_paragraph_ > 0 && ignored_ == 0) append(data);
    }

  private:
    static constexpr std::uint32_t no_format = 0xFFFFFFFF;

    bool declarations_read(const char** attributes) {
        for (const char** a = attributes; *a; a += 2) {
            std::string_view key = a[0];
            if (!key.starts_with("xmlns")) continue;
            if (seen_root_) {
                fail(std::string(needs_expanded_names));
                return false;
            }
            if (key == "xmlns")
                ns_.declare({}, a[1]);
            else if (key[5] == ':')
                ns_.declare(key.substr(6), a[1]);
        }
        seen_root_ = true;
        return true;
    }

    static std::string attr(const char** attributes, std::string_view uri, std::string_view local) {
        const char* value = find_attribute(attributes, local, uri);
        return value ? value : "";
    }

    void append(std::string_view data) {
        if (shown_.size() + data.size() > max_cell_text) return fail("a cell's text is too long");
        shown_.append(data);
    }

    void start_cell(const char** attributes) {
        in_cell_ = true;
        in_paragraph_ = 0;
        paragraphs_ = 0;
        shown_.clear();
        cell_ = {};
        cell_repeat_ = 1;
        std::string_view type, calc_type;
        const char* style = nullptr;
        const char *value = nullptr, *date = nullptr, *time = nullptr, *boolean = nullptr;
        string_value_.reset();
        for (const char** a = attributes; *a; a += 2) {
            xml_name key = split_xml_name(a[0]);
            if (key.uri == ns_.office) {
                if (key.local == "value-type")
                    type = a[1];
                else if (key.local == "value")
                    value = a[1];
                else if (key.local == "date-value")
                    date = a[1];
                else if (key.local == "time-value")
                    time = a[1];
                else if (key.local == "boolean-value")
                    boolean = a[1];
                else if (key.local == "string-value")
                    string_value_ = a[1];
            } else if (key.uri == ns_.table) {
                if (key.local == "number-columns-repeated")
                    cell_repeat_ = parse_count(a[1]);
                else if (key.local == "style-name")
                    style = a[1];
            } else if (key.uri == ns_.calcext && key.local == "value-type")
                calc_type = a[1];
        }
        cell_.format = style ? styles_.format(style, book_) : default_format();
        if (calc_type == "error")
            cell_.kind = cell_kind::error;
        else if (calc_type == "boolean" && value) {
            cell_.kind = cell_kind::boolean;
            cell_.number = std::string_view(value) == "0" ? 0 : 1;
        } else if (type == "float" || type == "percentage" || type == "currency") {
            if (value &&
                std::from_chars(value, value + std::strlen(value), cell_.number).ec == std::errc{})
                cell_.kind = cell_kind::number;
        } else if (type == "date") {
            if (auto serial = date ? date_serial(date) : std::nullopt)
                cell_.kind = cell_kind::date, cell_.number = *serial;
        } else if (type == "time") {
            if (auto serial = time ? duration_serial(time) : std::nullopt)
                cell_.kind = cell_kind::date, cell_.number = *serial;
        } else if (type == "boolean") {
            cell_.kind = cell_kind::boolean;
            cell_.number = boolean && std::string_view(boolean) == "true" ? 1 : 0;
        } else if (type == "string")
            cell_.kind = cell_kind::text;
        if (cell_.kind == cell_kind::empty && !type.empty()) cell_.kind = cell_kind::text;
    }

    void start_in_cell(const xml_name& name, const char** attributes) {
        if ((name.uri == ns_.office && name.local == "annotation") || name.uri == ns_.draw) {
            ignored_ = 1; // comments and shapes are not the cell's text
        } else if (is(name, ns_.text, "p")) {
            if (paragraphs_++ > 0) append("\n");
            ++in_paragraph_;
        } else if (in_paragraph_ > 0 && is(name, ns_.text, "s")) {
            std::uint32_t n = parse_count(find_attribute(attributes, "c", ns_.text));
            if (n > max_cell_text) return fail("a cell's text is too long");
            append(std::string(n, ' '));
        } else if (in_paragraph_ > 0 && is(name, ns_.text, "tab")) {
            append("\t");
        } else if (in_paragraph_ > 0 && is(name, ns_.text, "line-break")) {
            append("\n");
        }
    }

    std::uint32_t default_format() const {
        if (row_format_ != no_format) return row_format_;
        auto run =
            std::lower_bound(column_styles_.begin(), column_styles_.end(), next_column_,
                             [](const auto& r, std::uint64_t column) { return r.first < column; });
        return run != column_styles_.end() ? run->second : 0;
    }

    void end_cell() {
        in_cell_ = false;
        if (cell_.kind == cell_kind::empty && paragraphs_ > 0 && !shown_.empty())
            cell_.kind = cell_kind::text;
        if (cell_.kind != cell_kind::empty) {
            bool kept = true;
            if (paragraphs_ > 0)
                kept = budget_.add_text(book_.texts, shown_, cell_.text);
            else if (cell_.kind == cell_kind::text)
                kept = budget_.add_text(book_.texts, string_value_.value_or(""), cell_.text);
            if (!kept) return fail(budget_.refusal());
            if (next_column_ <= max_sheet_columns) {
                cell_.column = static_cast<std::uint16_t>(next_column_);
                row_cells_.push_back({cell_, cell_repeat_});
            }
        }
        next_column_ = std::min<std::uint64_t>(next_column_ + cell_repeat_, max_sheet_columns + 1);
    }

    void end_row() {
        for (std::uint32_t i = 0;
             i < row_repeat_ && next_row_ <= max_sheet_rows && !row_cells_.empty();
             ++i, ++next_row_)
            for (auto [cell, repeat] : row_cells_) {
                cell.row = static_cast<std::uint32_t>(next_row_);
                if (!builder_->add_repeated(cell, repeat)) return fail(budget_.refusal());
            }
        if (row_cells_.empty())
            next_row_ = std::min<std::uint64_t>(next_row_ + row_repeat_, max_sheet_rows + 1);
    }

    workbook& book_;
    read_budget& budget_;
    cell_styles& styles_;
    bool qualified_;
    bool seen_root_ = false;
    ods_namespaces ns_;

    int table_depth_ = 0;
    int ignored_ = 0;
    std::string table_name_;
    std::optional<sheet_builder> builder_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> column_styles_; // last column, format
    std::uint64_t columns_ = 0;

    bool in_style_ = false;
    std::string style_name_;
    cell_style style_;

    std::uint64_t next_row_ = 1;
    std::uint32_t row_repeat_ = 1;
    std::uint32_t row_format_ = no_format;
    std::vector<std::pair<stored_cell, std::uint32_t>> row_cells_;
    std::uint64_t next_column_ = 1;

    bool in_cell_ = false;
    int in_paragraph_ = 0, paragraphs_ = 0;
    stored_cell cell_;
    std::uint32_t cell_repeat_ = 1;
    std::optional<std::string> string_value_;
    std::string shown_;
};

bool read_content(const zip_archive& archive, read_budget& budget, workbook& book, xml_names names,
                  std::string& error, bool& retry) {
    book = workbook{};
    book.format = workbook_format::ods;
    budget.restart();
    cell_styles styles;
    if (archive.contains("styles.xml")) {
        auto tree = read_xml_tree(archive, "styles.xml", budget.limits, error);
        if (!tree) return false;
        read_named_styles(*tree, styles);
    }
    content_handler handler(book, budget, styles, names);
    // Qualified names go through pugixml pieces (fast); expanded ones through expat.
    bool read = names == xml_names::qualified
                    ? stream_xml_pieces(archive, "content.xml", table_ns, "table-row", handler,
                                        budget.limits, error)
                    : stream_xml_part(archive, "content.xml", handler, budget.limits, error, names);
    if (!read) {
        retry = error.empty() || handler.failure() == content_handler::needs_expanded_names;
        return false;
    }
    if (book.sheets.empty()) {
        error = "the document has no sheets";
        return false;
    }
    return true;
}

} // namespace

bool read_ods(const zip_archive& archive, read_budget& budget, workbook& book, std::string& error) {
    bool retry = false;
    if (read_content(archive, budget, book, xml_names::qualified, error, retry)) return true;
    return retry && read_content(archive, budget, book, xml_names::expanded, error, retry);
}

} // namespace tessaline
