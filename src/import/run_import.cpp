#include "run_import.h"

#include "import/clc.h"
#include "import/xls.h"

#include "base/work_stopped.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace tessaline {

std::optional<double> import_number(std::string_view text, char decimal_separator) {
    auto is_space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    // Check the form first: from_chars would take "inf", "nan" and hex.
    std::string plain;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    int digits = 0;
    bool separator = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            plain += c;
            ++digits;
        } else if (c == decimal_separator && !separator) {
            plain += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        int exponent_digits = 0;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            plain += text[i];
            ++exponent_digits;
        }
        if (exponent_digits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    // Values beyond the range of a double would make no finite point.
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

template <class Reader, class Convert>
import_result import_rows(Reader& reader, std::int32_t book, const import_choice& choice,
                          const std::stop_token& stop, Convert convert) {
    import_result result;
    const auto sheets = reader.load_sheets(book);
    if (choice.sheet < 0 || choice.sheet >= static_cast<std::int32_t>(sheets.size())) return result;
    const std::int32_t last = sheets[choice.sheet].used_rows;
    const std::int32_t columns[3] = {choice.x_column + 1, choice.y_column + 1, choice.z_column + 1};
    const std::int32_t first = choice.data_begin_row + 1;
    for (std::int32_t row = first; row <= last; ++row) {
        if ((row - first) % 1024 == 0) throw_if_stopped(stop);
        double values[3];
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            const std::optional<double> v = convert(row, columns[k]);
            ok = v.has_value();
            if (ok) values[k] = *v;
        }
        if (ok)
            result.points.push_back({values[0], values[1], values[2]});
        else
            ++result.rows_skipped;
    }
    if (choice.title_row >= 0) {
        std::array<std::string, 3> captions;
        const char* defaults[3] = {"X", "Y", "Z"};
        for (int k = 0; k < 3; ++k) {
            captions[k] = reader.cell_text(book, choice.sheet, choice.title_row + 1, columns[k])
                              .value_or(std::string());
            if (captions[k].empty()) captions[k] = defaults[k];
        }
        result.captions = captions;
    }
    return result;
}

} // namespace

import_result run_import(xls& reader, std::int32_t book, const import_choice& choice,
                         std::stop_token stop) {
    return import_rows(reader, book, choice, stop, [&](std::int32_t row, std::int32_t column) {
        const auto text = reader.cell_text(book, choice.sheet, row, column);
        return text ? import_number(*text, reader.decimal_separator) : std::nullopt;
    });
}

import_result run_import(clc& reader, std::int32_t book, const import_choice& choice,
                         std::stop_token stop) {
    return import_rows(reader, book, choice, stop,
                       [&](std::int32_t row, std::int32_t column) -> std::optional<double> {
                           const auto text = reader.cell_text(book, choice.sheet, row, column);
                           if (!text) return std::nullopt;
                           if (auto v = import_number(*text, reader.decimal_separator)) return v;
                           // A number in another display form still shows its
                           // digits ("25%", "1,234.50", "$12.00"); a number
                           // shown as a word (TRUE) is not taken.
                           const bool shows_digits =
                               std::any_of(text->begin(), text->end(),
                                           [](unsigned char c) { return std::isdigit(c) != 0; });
                           if (!shows_digits) return std::nullopt;
                           return reader.cell_number(book, choice.sheet, row, column);
                       });
}

} // namespace tessaline
