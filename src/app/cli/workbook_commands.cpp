// convert from a workbook (the same import as the desktop program) and
// sheets: a workbook's sheets with their used size.
#include "base/version.h"
#include "cli_output.h"
#include "commands.h"
#include "files/graph_writer.h"
#include "graph/datafield.h"
#include "import/clc.h"
#include "import/run_import.h"
#include "import/workbook.h"
#include "import/xls.h"
#include "interrupt.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iostream>
#include <optional>

namespace tessaline {

namespace {

// "A" is column 0, "AA" column 26; nothing for anything but letters.
std::optional<std::int32_t> column_index(std::string_view letters) {
    if (letters.empty() || letters.size() > 3) return std::nullopt;
    std::int32_t n = 0;
    for (char c : letters) {
        const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (u < 'A' || u > 'Z') return std::nullopt;
        n = n * 26 + (u - 'A' + 1);
    }
    return n - 1;
}

std::optional<std::int32_t> positive_number(std::string_view text) {
    std::int32_t n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() || n < 1) return std::nullopt;
    return n;
}

bool ends_with_ods(const std::string& path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".ods") == 0;
}

struct workbook_options {
    std::string sheet, x, y, z, first_row, title_row;
};

template <class Reader>
int import_with(Reader& reader, const std::string& input, const workbook_options& o,
                import_choice choice, table_points& out) {
    const std::int32_t book = reader.open_book(input, interrupt_token());
    if (book < 0) {
        print_error(reader.last_error());
        return exit_failed;
    }
    const auto sheets = reader.load_sheets(book);
    if (auto number = positive_number(o.sheet)) {
        choice.sheet = *number - 1;
    } else {
        const auto it = std::find_if(sheets.begin(), sheets.end(),
                                     [&](const auto& s) { return s.name == o.sheet; });
        if (it != sheets.end()) choice.sheet = static_cast<std::int32_t>(it - sheets.begin());
    }
    if (choice.sheet < 0 || choice.sheet >= static_cast<std::int32_t>(sheets.size())) {
        print_error("no sheet \"" + o.sheet + "\" in " + input);
        return exit_failed;
    }
    const import_result imported = run_import(reader, book, choice, interrupt_token());
    out.points = imported.points;
    out.rows_skipped = imported.rows_skipped;
    if (imported.captions) {
        const auto& c = *imported.captions;
        out.captions = {c[0], c[1], c[2]};
    }
    return exit_done;
}

} // namespace

bool is_workbook_path(const std::string& path) {
    auto lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* ext : {".xlsx", ".xls", ".ods"}) {
        const std::string e = ext;
        if (lower.size() >= e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0)
            return true;
    }
    return false;
}

bool is_workbook_option(const std::string& arg) {
    return arg == "--sheet" || arg == "--x" || arg == "--y" || arg == "--z" ||
           arg == "--first-row" || arg == "--title-row";
}

int read_workbook_points(const std::string& input, const std::vector<std::string>& picks,
                         const std::string& command, table_points& out) {
    workbook_options o;
    for (size_t i = 0; i < picks.size(); ++i) {
        const std::string& a = picks[i];
        std::string* target = a == "--sheet"       ? &o.sheet
                              : a == "--x"         ? &o.x
                              : a == "--y"         ? &o.y
                              : a == "--z"         ? &o.z
                              : a == "--first-row" ? &o.first_row
                              : a == "--title-row" ? &o.title_row
                                                   : nullptr;
        if (!target) return usage_error(command, "unknown option " + a);
        if (i + 1 == picks.size()) return usage_error(command, a + " needs a value");
        *target = picks[++i];
    }
    if (o.sheet.empty()) return usage_error(command, "no sheet (--sheet N or NAME)");
    import_choice choice;
    const auto x = column_index(o.x), y = column_index(o.y), z = column_index(o.z);
    if (!x || !y || !z) return usage_error(command, "columns are letters: --x A --y B --z C");
    choice.x_column = *x;
    choice.y_column = *y;
    choice.z_column = *z;
    if (!o.title_row.empty()) {
        const auto t = positive_number(o.title_row);
        if (!t) return usage_error(command, "--title-row takes a row number from 1");
        choice.title_row = *t - 1;
    }
    if (!o.first_row.empty()) {
        const auto f = positive_number(o.first_row);
        if (!f) return usage_error(command, "--first-row takes a row number from 1");
        choice.data_begin_row = *f - 1;
    } else {
        choice.data_begin_row = choice.title_row + 1; // the row after the title, or the first
    }
    // As the desktop import chooses: the displayed texts of ".ods" files, the
    // values of any other workbook.
    if (ends_with_ods(input)) {
        clc reader;
        return import_with(reader, input, o, choice, out);
    }
    xls reader;
    return import_with(reader, input, o, choice, out);
}

int convert_workbook_command(const std::vector<std::string>& args, axis_scaling scaling) {
    std::string input, output;
    std::vector<std::string> picks;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 == args.size()) return usage_error("convert", a + " needs a value");
            output = args[++i];
        } else if (is_workbook_option(a)) {
            picks.push_back(a);
            if (i + 1 == args.size()) return usage_error("convert", a + " needs a value");
            picks.push_back(args[++i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("convert", "unknown option " + a);
        } else if (input.empty()) {
            input = a;
        } else {
            return usage_error("convert", "more than one input file");
        }
    }
    if (input.empty()) return usage_error("convert", "no input file");
    if (output.empty()) return usage_error("convert", "no output file (-o OUT.xyz)");
    table_points table;
    if (const int status = read_workbook_points(input, picks, "convert", table);
        status != exit_done)
        return status;
    return save_fresh_graph(table.points, table.captions, table.rows_skipped, input, output,
                            scaling);
}

int sheets_command(const std::vector<std::string>& args) {
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
        return usage_error("sheets", "give one workbook");
    const sheet_list list = list_sheets(args[0]);
    if (!list.error.empty()) {
        print_error(list.error);
        return exit_failed;
    }
    for (const sheet_summary& s : list.sheets)
        std::cout << field_text(s.name) << ' ' << s.used_rows << ' ' << s.used_cols << '\n';
    return exit_done;
}

} // namespace tessaline
