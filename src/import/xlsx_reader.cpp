// Office Open XML workbooks: package relations, workbook, shared strings,
// styles and one streamed part per worksheet.
#include "import/date_text.h"
#include "import/format_readers.h"
#include "import/xlsx_styles.h"
#include "import/xml_part.h"
#include "import/xml_pieces.h"

#include <charconv>
#include <cstring>
#include <map>

namespace tessaline {

namespace {

struct relation {
    std::string type; // last segment of the relation type: "worksheet", "styles", ...
    std::string target;
};

std::string folder_of(std::string_view part) {
    std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

// Resolves a relation target against the folder of its source part.
std::string resolve_target(std::string_view source_folder, std::string_view target) {
    std::string path = target.starts_with('/') ? std::string(target.substr(1))
                                               : std::string(source_folder) + std::string(target);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".")
            segments.push_back(segment);
        start = end + 1;
    }
    std::string result;
    for (const std::string& s : segments)
        result += (result.empty() ? "" : "/") + s;
    return result;
}

// Relations of `part` by id; empty when the part has none.
std::map<std::string, relation> read_relations(const zip_archive& archive, std::string_view part,
                                               const read_limits& limits) {
    std::map<std::string, relation> relations;
    std::string folder = folder_of(part);
    std::string rels = folder + "_rels/" + std::string(part.substr(folder.size())) + ".rels";
    std::string ignored;
    if (!archive.contains(rels)) return relations;
    auto tree = read_xml_tree(archive, rels, limits, ignored);
    if (!tree) return relations;
    for (pugi::xml_node r : child_named(*tree, "Relationships").children()) {
        if (local_name(r.name()) != "Relationship") continue;
        if (std::string_view(r.attribute("TargetMode").value()) == "External") continue;
        std::string_view type = r.attribute("Type").value();
        std::size_t slash = type.rfind('/');
        relations[r.attribute("Id").value()] = {
            std::string(slash == std::string_view::npos ? type : type.substr(slash + 1)),
            resolve_target(folder, r.attribute("Target").value())};
    }
    return relations;
}

const relation* first_of_type(const std::map<std::string, relation>& relations,
                              std::string_view type) {
    for (const auto& [id, r] : relations)
        if (r.type == type) return &r;
    return nullptr;
}

// Cell and string texts may carry characters as _xHHHH_.
void decode_escapes(std::string& text) {
    if (text.find("_x") == std::string::npos) return;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned code = 0;
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_' &&
            std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16).ptr ==
                text.data() + i + 6) {
            if (code < 0x80)
                out += static_cast<char>(code);
            else if (code < 0x800)
                out += static_cast<char>(0xC0 | (code >> 6)),
                    out += static_cast<char>(0x80 | (code & 0x3F));
            else
                out += static_cast<char>(0xE0 | (code >> 12)),
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                    out += static_cast<char>(0x80 | (code & 0x3F));
            i += 6;
        } else
            out += text[i];
    }
    text = std::move(out);
}

// "BC12" to column 55, row 12; zero for a part that is missing or invalid.
void parse_reference(const char* ref, std::uint32_t& row, std::uint32_t& column) {
    std::uint32_t c = 0;
    while (*ref >= 'A' && *ref <= 'Z' && c <= max_sheet_columns)
        c = c * 26 + (*ref++ - 'A' + 1);
    std::uint32_t r = 0;
    std::from_chars(ref, ref + std::strlen(ref), r);
    column = c;
    row = r;
}

char cell_type(std::string_view t) {
    if (t == "s") return 's';
    if (t == "str") return 'f';
    if (t == "inlineStr") return 'i';
    if (t == "b") return 'b';
    if (t == "e") return 'e';
    if (t == "d") return 'd';
    return 'n';
}

// Text of an inline string or shared string item: its own <t>, or its
// rich-text runs joined; phonetic guides (<rPh>) left out.
void append_item_text(const pugi::xml_node& item, std::string& text) {
    for (pugi::xml_node part : item.children()) {
        std::string_view name = local_name(part.name());
        if (name == "t")
            text += part.child_value();
        else if (name == "r")
            text += child_named(part, "t").child_value();
    }
}

// Turns the rows of a worksheet into cells.
class sheet_rows {
  public:
    sheet_rows(workbook& book, read_budget& budget, sheet_builder& builder,
               const xlsx_styles& styles, std::uint32_t strings, bool date1904)
        : book_(book), budget_(budget), builder_(builder), styles_(styles), strings_(strings),
          date1904_(date1904) {}

    bool read(const pugi::xml_document& piece, std::string& error) {
        for (pugi::xml_node row : piece.children()) {
            if (row.type() != pugi::node_element || local_name(row.name()) != "row") continue;
            std::uint32_t number = 0;
            const char* r = row.attribute("r").value();
            std::from_chars(r, r + std::strlen(r), number);
            row_ = number != 0 ? number : row_ + 1;
            column_ = 0;
            for (pugi::xml_node c : row.children()) {
                if (c.type() != pugi::node_element || local_name(c.name()) != "c") continue;
                if (!read_cell(c)) {
                    error = failure_;
                    return false;
                }
            }
        }
        return true;
    }

  private:
    bool read_cell(const pugi::xml_node& c) {
        std::uint32_t r = 0, column = 0, style = 0;
        char type = 'n';
        for (pugi::xml_attribute a : c.attributes()) {
            std::string_view key = a.name();
            if (key == "r")
                parse_reference(a.value(), r, column);
            else if (key == "s")
                std::from_chars(a.value(), a.value() + std::strlen(a.value()), style);
            else if (key == "t")
                type = cell_type(a.value());
        }
        column_ = column != 0 ? column : column_ + 1;
        if (r != 0) row_ = r;
        if (column_ > max_sheet_columns) return true;

        value_.clear();
        bool has_value = false;
        for (pugi::xml_node part : c.children()) {
            std::string_view name = local_name(part.name());
            if (name == "v") {
                value_ = part.child_value();
                has_value = true;
            } else if (name == "is") {
                append_item_text(part, value_);
                has_value = true;
            }
        }
        if (!has_value) return true; // formatted but empty

        stored_cell cell;
        cell.row = row_;
        cell.column = static_cast<std::uint16_t>(column_);
        cell.format = styles_.format(style);
        const char* first = value_.data();
        const char* last = first + value_.size();
        while (first != last && *first == ' ')
            ++first;
        switch (type) {
        case 's': {
            std::uint32_t index = 0;
            if (std::from_chars(first, last, index).ec != std::errc{} || index >= strings_)
                return true;
            cell.kind = cell_kind::text;
            cell.text = index;
            break;
        }
        case 'f':
        case 'i':
            if (!add_text(cell, cell_kind::text)) return false;
            break;
        case 'e':
            if (!add_text(cell, cell_kind::error)) return false;
            break;
        case 'b':
            cell.kind = cell_kind::boolean;
            cell.number = value_ == "1" || value_ == "true" ? 1 : 0;
            break;
        case 'd':
            if (auto serial = date_serial(value_)) {
                cell.kind = cell_kind::date;
                cell.number = *serial;
            } else if (!add_text(cell, cell_kind::text))
                return false;
            break;
        default:
            if (first == last || std::from_chars(first, last, cell.number).ec != std::errc{})
                return true;
            cell.kind = cell_kind::number;
            if (styles_.is_date(style)) {
                cell.kind = cell_kind::date;
                if (date1904_) cell.number += date1904_offset;
            }
        }
        if (builder_.add(cell)) return true;
        failure_ = budget_.refusal();
        return false;
    }

    bool add_text(stored_cell& cell, cell_kind kind) {
        decode_escapes(value_);
        cell.kind = kind;
        if (budget_.add_text(book_.texts, value_, cell.text)) return true;
        failure_ = budget_.refusal();
        return false;
    }

    workbook& book_;
    read_budget& budget_;
    sheet_builder& builder_;
    const xlsx_styles& styles_;
    std::uint32_t strings_;
    bool date1904_;
    std::uint32_t row_ = 0, column_ = 0;
    std::string value_;
    std::string failure_;
};

} // namespace

bool read_xlsx(const zip_archive& archive, read_budget& budget, workbook& book,
               std::string& error) {
    const read_limits& limits = budget.limits;
    book.format = workbook_format::xlsx;

    std::string workbook_part = "xl/workbook.xml";
    auto package = read_relations(archive, "", limits);
    if (const relation* main = first_of_type(package, "officeDocument"))
        workbook_part = main->target;
    auto tree = read_xml_tree(archive, workbook_part, limits, error);
    if (!tree) return false;
    pugi::xml_node root = child_named(*tree, "workbook");
    bool date1904 = attribute_named(child_named(root, "workbookPr"), "date1904").as_bool();
    auto relations = read_relations(archive, workbook_part, limits);

    if (const relation* strings = first_of_type(relations, "sharedStrings")) {
        std::string text;
        std::uint32_t ignored = 0;
        auto items = [&](const pugi::xml_document& piece) {
            for (pugi::xml_node si : piece.children()) {
                if (si.type() != pugi::node_element || local_name(si.name()) != "si") continue;
                // Strings beyond the cell limit could never all be shown.
                if (book.texts.size() >= limits.max_cells) {
                    error = "more shared strings than the cell limit of " +
                            std::to_string(limits.max_cells);
                    return false;
                }
                text.clear();
                append_item_text(si, text);
                decode_escapes(text);
                if (!budget.add_text(book.texts, text, ignored)) {
                    error = budget.refusal();
                    return false;
                }
            }
            return true;
        };
        if (!read_xml_pieces(archive, strings->target, "sst", "si", limits, items, error))
            return false;
    }
    std::uint32_t strings = static_cast<std::uint32_t>(book.texts.size());

    pugi::xml_document no_part;
    std::unique_ptr<pugi::xml_document> styles_tree, theme_tree;
    if (const relation* r = first_of_type(relations, "styles"))
        if (!(styles_tree = read_xml_tree(archive, r->target, limits, error))) return false;
    if (const relation* r = first_of_type(relations, "theme"))
        theme_tree = read_xml_tree(archive, r->target, limits, error); // colours only: optional
    xlsx_styles styles = read_xlsx_styles(styles_tree ? *styles_tree : no_part,
                                          theme_tree ? *theme_tree : no_part, book);

    for (pugi::xml_node s : child_named(root, "sheets").children()) {
        if (local_name(s.name()) != "sheet") continue;
        auto r = relations.find(attribute_named(s, "id").value());
        // Chart, dialog and macro sheets hold no cells to import.
        if (r == relations.end() || r->second.type != "worksheet") continue;
        sheet_builder builder(budget);
        sheet_rows rows(book, budget, builder, styles, strings, date1904);
        if (!read_xml_pieces(
                archive, r->second.target, "sheetData", "row", limits,
                [&](const pugi::xml_document& piece) { return rows.read(piece, error); }, error))
            return false;
        if (!builder.finish(attribute_named(s, "name").value(), book)) {
            error = budget.refusal();
            return false;
        }
    }
    if (book.sheets.empty()) {
        error = "the workbook has no worksheets";
        return false;
    }
    return true;
}

} // namespace tessaline
