#include "import/biff_records.h"

#include "import/date_text.h"
#include "import/excel_palette.h"
#include "import/number_formats.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace tessaline {

namespace {

constexpr std::uint16_t record_formula = 0x0006;
constexpr std::uint16_t record_eof = 0x000A;
constexpr std::uint16_t record_datemode = 0x0022;
constexpr std::uint16_t record_font = 0x0031;
constexpr std::uint16_t record_continue = 0x003C;
constexpr std::uint16_t record_boundsheet = 0x0085;
constexpr std::uint16_t record_palette = 0x0092;
constexpr std::uint16_t record_mulrk = 0x00BD;
constexpr std::uint16_t record_rstring = 0x00D6;
constexpr std::uint16_t record_xf = 0x00E0;
constexpr std::uint16_t record_labelsst = 0x00FD;
constexpr std::uint16_t record_dimensions = 0x0200;
constexpr std::uint16_t record_number = 0x0203;
constexpr std::uint16_t record_label = 0x0204;
constexpr std::uint16_t record_boolerr = 0x0205;
constexpr std::uint16_t record_string = 0x0207;
constexpr std::uint16_t record_rk = 0x027E;
constexpr std::uint16_t record_format = 0x041E;
constexpr std::uint16_t record_bof = 0x0809;

// Colour index of a font in the window text colour.
constexpr std::uint16_t automatic_color = 0x7FFF;
// Fill patterns of an XF: none, solid in the pattern colour; the others show
// the background colour behind a pattern, except the 12.5 % grey that
// stands for no fill, as in an .xlsx.
constexpr unsigned no_pattern = 0, solid_pattern = 1, gray125_pattern = 17;

struct gobject_unref {
    void operator()(void* object) const { g_object_unref(object); }
};

std::uint16_t u16(std::string_view s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      static_cast<unsigned char>(s[at + 1]) << 8);
}

std::uint32_t u32(std::string_view s, std::size_t at) {
    return u16(s, at) | static_cast<std::uint32_t>(u16(s, at + 2)) << 16;
}

void append_utf8(std::string& out, std::uint32_t code) {
    if (code < 0x80)
        out += static_cast<char>(code);
    else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

struct record {
    std::uint16_t type = 0;
    std::string_view data;
};

// Walks records from an offset; stops at the end of the stream or at a
// record that does not fit.
class record_reader {
  public:
    record_reader(std::string_view stream, std::size_t offset) : stream_(stream), at_(offset) {}
    bool next(record& r) {
        if (at_ + 4 > stream_.size()) return false;
        std::uint16_t length = u16(stream_, at_ + 2);
        if (at_ + 4 + length > stream_.size()) return false;
        r.type = u16(stream_, at_);
        r.data = stream_.substr(at_ + 4, length);
        at_ += 4 + length;
        return true;
    }
    // The next record when it is a CONTINUE, without consuming anything else.
    bool next_continue(record& r) {
        record_reader peek = *this;
        record candidate;
        if (!peek.next(candidate) || candidate.type != record_continue) return false;
        *this = peek;
        r = candidate;
        return true;
    }

  private:
    std::string_view stream_;
    std::size_t at_;
};

// Characters of a BIFF8 string: 8-bit (high bytes zero) or UTF-16LE, split
// over CONTINUE records, each of which restarts with its own flags byte.
std::string read_characters(std::string_view data, std::size_t at, std::size_t count, bool wide,
                            record_reader* continues) {
    std::string text;
    std::uint32_t pending_high = 0;
    while (count > 0) {
        std::size_t width = wide ? 2 : 1;
        while (count > 0 && at + width <= data.size()) {
            std::uint32_t unit = wide ? u16(data, at) : static_cast<unsigned char>(data[at]);
            at += width;
            --count;
            if (unit >= 0xD800 && unit < 0xDC00)
                pending_high = unit;
            else if (unit >= 0xDC00 && unit < 0xE000 && pending_high)
                append_utf8(text, 0x10000 + ((pending_high - 0xD800) << 10) + (unit - 0xDC00)),
                    pending_high = 0;
            else
                append_utf8(text, unit), pending_high = 0;
        }
        record more;
        if (count == 0 || !continues || !continues->next_continue(more) || more.data.empty()) break;
        data = more.data;
        wide = data[0] & 1;
        at = 1;
    }
    return text;
}

// XLUnicodeString: 16-bit count, flags, characters.
std::string unicode_string(std::string_view data, std::size_t at, record_reader* continues) {
    if (at + 3 > data.size()) return {};
    return read_characters(data, at + 3, u16(data, at), data[at + 2] & 1, continues);
}

const char* error_code(unsigned code) {
    switch (code) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    case 0x2A:
        return "#N/A";
    default:
        return "#N/A";
    }
}

struct globals {
    struct sheet_entry {
        std::string name;
        std::uint32_t offset;
    };
    // What an XF record says of a cell's look; colours are palette indexes.
    struct xf_look {
        std::uint16_t font = 0;
        std::uint8_t pattern = no_pattern;
        std::uint8_t pattern_color = 0, background_color = 0;
    };
    std::vector<sheet_entry> worksheets;
    std::vector<bool> date_xf;
    std::vector<xf_look> xf_looks;
    std::vector<std::string_view> font_records; // the records' data, in the stream
    std::vector<std::int32_t> palette = excel_default_palette();
    bool date1904 = false;
};

std::int32_t palette_color(const std::vector<std::int32_t>& palette, unsigned index,
                           std::int32_t fallback) {
    return index < palette.size() ? palette[index] : fallback;
}

workbook_font read_font(std::string_view data, const std::vector<std::int32_t>& palette) {
    workbook_font font;
    if (data.size() < 14) return font;
    font.size = u16(data, 0) / 20.0; // twips
    font.italic = u16(data, 2) & 0x0002;
    std::uint16_t color = u16(data, 4);
    font.color = color == automatic_color ? 0 : palette_color(palette, color, 0);
    // Semibold and heavier: what an .xlsx written from the same sheet marks bold.
    font.bold = u16(data, 6) >= 600;
    font.underline = data[10] != 0;
    if (data.size() >= 16)
        font.name =
            read_characters(data, 16, static_cast<unsigned char>(data[14]), data[15] & 1, nullptr);
    return font;
}

// The font an XF names; index 4 was never written, so the records after it
// count from 5.
std::int32_t font_of_xf(std::uint16_t font, std::size_t fonts) {
    if (font == 4) return -1;
    std::size_t record = font < 4 ? font : font - 1u;
    return record < fonts ? static_cast<std::int32_t>(record) : -1;
}

std::int32_t fill_of_xf(const globals::xf_look& look, const std::vector<std::int32_t>& palette) {
    if (look.pattern == no_pattern || look.pattern == gray125_pattern) return -1;
    if (look.pattern == solid_pattern) return palette_color(palette, look.pattern_color, -1);
    return palette_color(palette, look.background_color, -1);
}

globals read_globals(std::string_view stream) {
    globals g;
    std::unordered_map<std::uint16_t, bool> custom_dates;
    record_reader reader(stream, 0);
    record r;
    bool first = true;
    while (reader.next(r)) {
        if (first && (r.type != record_bof || r.data.size() < 4 || u16(r.data, 0) != 0x0600))
            return {}; // not BIFF8
        first = false;
        if (r.type == record_eof) break;
        if (r.type == record_boundsheet && r.data.size() >= 8) {
            // Sheet type 0 is a worksheet; charts, macro sheets and modules hold no cells.
            if (static_cast<unsigned char>(r.data[5]) != 0) continue;
            std::size_t count = static_cast<unsigned char>(r.data[6]);
            g.worksheets.push_back(
                {read_characters(r.data, 8, count, r.data[7] & 1, nullptr), u32(r.data, 0)});
        } else if (r.type == record_format && r.data.size() >= 2) {
            custom_dates[u16(r.data, 0)] = is_date_format_code(unicode_string(r.data, 2, &reader));
        } else if (r.type == record_xf && r.data.size() >= 4) {
            std::uint16_t format = u16(r.data, 2);
            auto custom = custom_dates.find(format);
            g.date_xf.push_back(custom != custom_dates.end() ? custom->second
                                                             : is_builtin_date_format(format));
            globals::xf_look look;
            look.font = u16(r.data, 0);
            if (r.data.size() >= 20) {
                look.pattern = static_cast<std::uint8_t>(u32(r.data, 14) >> 26);
                std::uint16_t colors = u16(r.data, 18);
                look.pattern_color = colors & 0x7F;
                look.background_color = (colors >> 7) & 0x7F;
            }
            g.xf_looks.push_back(look);
        } else if (r.type == record_font) {
            g.font_records.push_back(r.data);
        } else if (r.type == record_palette && r.data.size() >= 2) {
            // The colours 8 to 63 as red, green, blue and an unused byte: 0x00BBGGRR.
            // The system colours after them stay.
            std::size_t count = std::min<std::size_t>(u16(r.data, 0), (r.data.size() - 2) / 4);
            for (std::size_t i = 0; i < count && 8 + i < 64; ++i)
                g.palette[8 + i] = static_cast<std::int32_t>(u32(r.data, 2 + 4 * i) & 0xFFFFFF);
        } else if (r.type == record_datemode && r.data.size() >= 2) {
            g.date1904 = u16(r.data, 0) != 0;
        }
    }
    return g;
}

bool is_value_record(std::uint16_t type) {
    return type == record_number || type == record_rk || type == record_labelsst ||
           type == record_label || type == record_rstring;
}

// The XFs of the cells in a value record, which FreeXL reads for their values.
bool add_value_xfs(const record& r, read_budget& budget, std::vector<biff_cell_xf>& xfs) {
    if (r.data.size() < 6) return true;
    const std::uint32_t row = u16(r.data, 0) + 1u;
    const auto first = static_cast<std::uint16_t>(u16(r.data, 2) + 1);
    auto add = [&](std::uint16_t column, std::uint16_t xf) {
        if (!budget.add_bytes(sizeof(biff_cell_xf))) return false;
        xfs.push_back({row, column, xf});
        return true;
    };
    if (r.type != record_mulrk) return add(first, u16(r.data, 4));
    // Row, first column, an XF and a number per column, last column.
    const std::size_t count = (r.data.size() - 6) / 6;
    for (std::size_t i = 0; i < count && first + i <= max_sheet_columns; ++i)
        if (!add(static_cast<std::uint16_t>(first + i), u16(r.data, 4 + 6 * i))) return false;
    return true;
}

bool read_sheet(std::string_view stream, std::uint32_t offset, const globals& g,
                read_budget& budget, biff_extra_cells& extra, biff_extra_cells::worksheet& sheet) {
    std::vector<biff_cell>& cells = sheet.cells;
    record_reader reader(stream, offset);
    record r;
    if (!reader.next(r) || r.type != record_bof) return true;
    bool awaiting_string = false; // the last cell is a text formula result
    while (reader.next(r) && r.type != record_eof) {
        if (r.type == record_bof) break; // an embedded substream: give up on it
        if (r.type == record_mulrk || is_value_record(r.type)) {
            if (!add_value_xfs(r, budget, sheet.xfs)) return false;
            continue;
        }
        if (r.type != record_formula && r.type != record_boolerr && r.type != record_string)
            continue;
        if (r.type == record_string) {
            if (awaiting_string && !budget.add_text(extra.texts, unicode_string(r.data, 0, &reader),
                                                    cells.back().text))
                return false;
            awaiting_string = false;
            continue;
        }
        if (r.data.size() < (r.type == record_formula ? 14u : 8u)) continue;
        biff_cell cell;
        cell.row = u16(r.data, 0) + 1u;
        cell.column = static_cast<std::uint16_t>(u16(r.data, 2) + 1);
        std::uint16_t xf = u16(r.data, 4);
        cell.xf = xf;
        awaiting_string = false;
        const char* error = nullptr;
        if (r.type == record_boolerr) {
            if (r.data[7] != 0) {
                error = error_code(static_cast<unsigned char>(r.data[6]));
            } else {
                cell.kind = cell_kind::boolean;
                cell.number = r.data[6] != 0 ? 1 : 0;
            }
        } else if (u16(r.data, 12) == 0xFFFF) {
            switch (static_cast<unsigned char>(r.data[6])) {
            case 0: // text, in the STRING record that follows
                cell.kind = cell_kind::text;
                break;
            case 1:
                cell.kind = cell_kind::boolean;
                cell.number = r.data[8] != 0 ? 1 : 0;
                break;
            case 2:
                error = error_code(static_cast<unsigned char>(r.data[8]));
                break;
            default: // an empty text
                continue;
            }
        } else {
            std::memcpy(&cell.number, r.data.data() + 6, sizeof cell.number);
            cell.kind = cell_kind::number;
            if (xf < g.date_xf.size() && g.date_xf[xf]) {
                cell.kind = cell_kind::date;
                if (g.date1904) cell.number += date1904_offset;
            }
        }
        if (!budget.add_cell()) return false;
        if (error) {
            cell.kind = cell_kind::error;
            if (!budget.add_text(extra.texts, error, cell.text)) return false;
        }
        awaiting_string = cell.kind == cell_kind::text;
        cells.push_back(cell);
    }
    // Writers list cells by row, then column; a file that does not is sorted.
    auto before = [](const biff_cell_xf& a, const biff_cell_xf& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    if (!std::is_sorted(sheet.xfs.begin(), sheet.xfs.end(), before))
        std::stable_sort(sheet.xfs.begin(), sheet.xfs.end(), before);
    return true;
}

bool read_styles(const globals& g, read_budget& budget, biff_extra_cells& extra) {
    for (std::string_view data : g.font_records) {
        workbook_font font = read_font(data, g.palette);
        if (!budget.add_bytes(sizeof font + font.name.size())) return false;
        extra.fonts.push_back(std::move(font));
    }
    for (const globals::xf_look& look : g.xf_looks) {
        if (extra.xfs.size() == no_xf) break; // beyond what a cell record can name
        if (!budget.add_bytes(sizeof(cell_format))) return false;
        extra.xfs.push_back(
            {font_of_xf(look.font, extra.fonts.size()), fill_of_xf(look, g.palette)});
    }
    return true;
}

} // namespace

std::uint64_t biff_grid_cells(std::string_view stream) {
    globals g = read_globals(stream);
    std::unordered_map<std::uint32_t, std::uint64_t> grid_at;
    std::uint64_t total = 0;
    for (const auto& w : g.worksheets) {
        auto [found, fresh] = grid_at.try_emplace(w.offset, 0);
        if (fresh) {
            record_reader reader(stream, w.offset);
            record r;
            if (!reader.next(r) || r.type != record_bof) continue;
            while (reader.next(r) && r.type != record_eof && r.type != record_bof)
                if (r.type == record_dimensions && r.data.size() >= 12) {
                    // Past the last row and column; counted from row and column 1.
                    found->second = std::uint64_t{u32(r.data, 4)} * u16(r.data, 10);
                    break;
                }
        }
        total += found->second;
    }
    return total;
}

bool parse_biff_stream(std::string_view stream, read_budget& budget, biff_extra_cells& cells) {
    globals g = read_globals(stream);
    if (!read_styles(g, budget, cells)) return false;
    std::unordered_set<std::uint32_t> read_offsets;
    for (const auto& w : g.worksheets) {
        cells.worksheets.push_back({w.name, {}, {}});
        if (!read_offsets.insert(w.offset).second) continue;
        if (!read_sheet(stream, w.offset, g, budget, cells, cells.worksheets.back())) return false;
    }
    return true;
}

std::uint16_t biff_extra_cells::worksheet::xf_at(std::uint32_t row, std::uint16_t column) const {
    auto found = std::lower_bound(
        xfs.begin(), xfs.end(), std::pair{row, column},
        [](const biff_cell_xf& c, const std::pair<std::uint32_t, std::uint16_t>& at) {
            return c.row != at.first ? c.row < at.first : c.column < at.second;
        });
    return found != xfs.end() && found->row == row && found->column == column ? found->xf : no_xf;
}

namespace {

struct gsf_ready {
    gsf_ready() {
        gsf_init();
        // Damaged files make the compound-file layer log warnings; the caller
        // gets its own result, and the program's output stays clean.
        auto quiet = [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {};
        for (const char* domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain,
                              static_cast<GLogLevelFlags>(
                                  G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                  G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG),
                              quiet, nullptr);
    }
};

std::unique_ptr<GsfInfile, gobject_unref> open_compound(const std::string& path) {
    init_compound_files();
    std::unique_ptr<GsfInput, gobject_unref> file(gsf_input_stdio_new(path.c_str(), nullptr));
    if (!file) return nullptr;
    return std::unique_ptr<GsfInfile, gobject_unref>(gsf_infile_msole_new(file.get(), nullptr));
}

bool has_stream(GsfInfile* compound, const char* name) {
    std::unique_ptr<GsfInput, gobject_unref> stream(gsf_infile_child_by_name(compound, name));
    return stream != nullptr;
}

} // namespace

void init_compound_files() {
    static const gsf_ready ready;
}

bool is_encrypted_package(const std::string& path) {
    auto compound = open_compound(path);
    return compound && has_stream(compound.get(), "EncryptionInfo") &&
           has_stream(compound.get(), "EncryptedPackage");
}

std::optional<std::string> read_workbook_stream(const std::string& path,
                                                const read_limits& limits) {
    auto compound = open_compound(path);
    if (!compound) return std::nullopt;
    std::unique_ptr<GsfInput, gobject_unref> stream(
        gsf_infile_child_by_name(compound.get(), "Workbook"));
    if (!stream) return std::nullopt;
    gsf_off_t size = gsf_input_size(stream.get());
    if (size <= 0 || static_cast<std::uint64_t>(size) > limits.max_biff_bytes) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!gsf_input_read(stream.get(), bytes.size(), reinterpret_cast<guint8*>(bytes.data())))
        return std::nullopt;
    return bytes;
}

} // namespace tessaline
