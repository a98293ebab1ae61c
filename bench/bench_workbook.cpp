// Workbook reading at scale. Three commands, each a separate process so that
// /usr/bin/time -v reports each one's peak memory:
//   generate ROWS OUT.xlsx|OUT.ods  writes ROWS rows of three numeric columns
//   surface ROWS OUT.xlsx|OUT.ods   the same, the rows a smooth surface over a
//                                   jittered lattice (x, y, z), as measured data
//   read BOOK                       opens BOOK as the import does and reads every cell's text
//   bare BOOK                       the baseline: libzip inflates the sheet part whole,
//                                   pugixml parses it, every value is converted
#include "import/clc.h"
#include "import/xls.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <string>

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Values like a measured surface: ten significant digits.
std::string value_text(std::mt19937_64& random) {
    std::uniform_real_distribution<double> value(-1000, 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value(random));
    return text;
}

bool write_zip(const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& parts) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) return false;
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        if (index < 0) return false;
        if (name == "mimetype")
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    return zip_close(archive) == 0;
}

// One row's three values: noise, or a point of a smooth surface.
struct row_values {
    bool surface = false;
    long rows = 0;
    std::mt19937_64 random{42};
    std::array<std::string, 3> operator()(long row) {
        if (!surface) return {value_text(random), value_text(random), value_text(random)};
        const long side = std::max(2L, static_cast<long>(std::ceil(std::sqrt(double(rows)))));
        std::uniform_real_distribution<double> jitter(-0.3, 0.3);
        const long i = row - 1;
        const double x = -1 + 2 * ((i % side) + 0.5 + jitter(random)) / side;
        const double y = -1 + 2 * ((i / side) + 0.5 + jitter(random)) / side;
        const double z = std::sin(3 * x) * std::cos(2 * y) + 0.3 * x * y;
        std::array<std::string, 3> texts;
        const double values[3] = {x * 50, y * 50, z};
        for (int k = 0; k < 3; ++k) {
            char text[32];
            std::snprintf(text, sizeof text, "%.10g", values[k]);
            texts[k] = text;
        }
        return texts;
    }
};

int generate(long rows, const std::string& path, bool surface) {
    row_values values{surface, rows};
    std::vector<std::pair<std::string, std::string>> parts;
    if (ends_with(path, ".xlsx")) {
        std::string sheet =
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
            R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
            "<dimension ref=\"A1:C" +
            std::to_string(rows) + "\"/><sheetData>";
        for (long r = 1; r <= rows; ++r) {
            std::string n = std::to_string(r);
            sheet += "<row r=\"" + n + "\" spans=\"1:3\">";
            const auto row = values(r);
            for (int c = 0; c < 3; ++c)
                sheet +=
                    std::string("<c r=\"") + char('A' + c) + n + "\"><v>" + row[c] + "</v></c>";
            sheet += "</row>";
        }
        sheet += "</sheetData></worksheet>";
        const std::string rel =
            "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
        parts = {
            {"[Content_Types].xml",
             R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)"},
            {"_rels/.rels",
             R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type=")" +
                 rel + R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
            {"xl/workbook.xml",
             R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r=")" +
                 rel.substr(0, rel.size() - 1) +
                 R"("><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
            {"xl/_rels/workbook.xml.rels",
             R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type=")" +
                 rel + R"(worksheet" Target="worksheets/sheet1.xml"/></Relationships>)"},
            {"xl/worksheets/sheet1.xml", std::move(sheet)}};
    } else if (ends_with(path, ".ods")) {
        std::string content =
            R"(<?xml version="1.0" encoding="UTF-8"?><office:document-content)"
            R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
            R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
            R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
            R"( xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0")"
            R"( office:version="1.3"><office:body><office:spreadsheet><table:table table:name="Data">)"
            R"(<table:table-column table:number-columns-repeated="3"/>)";
        for (long r = 1; r <= rows; ++r) {
            content += "<table:table-row>";
            const auto row = values(r);
            for (int c = 0; c < 3; ++c) {
                const std::string& v = row[c];
                content += R"(<table:table-cell office:value-type="float" office:value=")" + v +
                           R"(" calcext:value-type="float"><text:p>)" + v +
                           "</text:p></table:table-cell>";
            }
            content += "</table:table-row>";
        }
        content += "</table:table></office:spreadsheet></office:body></office:document-content>";
        parts = {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                 {"content.xml", std::move(content)}};
    } else {
        std::cerr << "generate: the name must end in .xlsx or .ods\n";
        return 2;
    }
    if (!write_zip(path, parts)) {
        std::cerr << "generate: cannot write " << path << "\n";
        return 1;
    }
    return 0;
}

template <class Reader> int read_all(const std::string& path) {
    auto start = clock_type::now();
    Reader reader;
    std::int32_t book = reader.open_book(path);
    if (book < 0) {
        std::cerr << reader.last_error() << "\n";
        return 1;
    }
    double opened = seconds_since(start);
    std::size_t cells = 0, characters = 0;
    for (std::int32_t s = 0; s < static_cast<std::int32_t>(reader.files()[book].sheets.size());
         ++s) {
        const auto& sheet = reader.files()[book].sheets[s];
        for (std::int32_t r = 1; r <= sheet.used_rows; ++r)
            for (std::int32_t c = 1; c <= sheet.used_cols; ++c) {
                auto text = reader.cell_text(book, s, r, c);
                characters += text ? text->size() : 0;
                ++cells;
            }
    }
    std::printf("read %s: open %.3f s, open and read %zu cells %.3f s (%zu characters)\n",
                path.c_str(), opened, cells, seconds_since(start), characters);
    return 0;
}

int bare(const std::string& path) {
    auto start = clock_type::now();
    bool ods = ends_with(path, ".ods");
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive) return 1;
    const char* part = ods ? "content.xml" : "xl/worksheets/sheet1.xml";
    zip_stat_t stat;
    if (zip_stat(archive, part, 0, &stat) != 0) return 1;
    std::string xml(stat.size, '\0');
    zip_file_t* file = zip_fopen(archive, part, 0);
    if (!file || zip_fread(file, xml.data(), xml.size()) != static_cast<zip_int64_t>(xml.size()))
        return 1;
    zip_fclose(file);
    zip_discard(archive);
    pugi::xml_document document;
    if (!document.load_buffer_inplace(xml.data(), xml.size())) return 1;
    std::size_t cells = 0;
    double sum = 0;
    if (ods) {
        pugi::xml_node table = document.child("office:document-content")
                                   .child("office:body")
                                   .child("office:spreadsheet")
                                   .child("table:table");
        for (pugi::xml_node row : table.children("table:table-row"))
            for (pugi::xml_node cell : row.children("table:table-cell")) {
                sum += std::strtod(cell.attribute("office:value").value(), nullptr);
                ++cells;
            }
    } else {
        pugi::xml_node data = document.child("worksheet").child("sheetData");
        for (pugi::xml_node row : data.children("row"))
            for (pugi::xml_node cell : row.children("c")) {
                sum += std::strtod(cell.child_value("v"), nullptr);
                ++cells;
            }
    }
    std::printf("bare %s: inflate, parse and convert %zu cells %.3f s (sum %g)\n", path.c_str(),
                cells, seconds_since(start), sum);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if ((command == "generate" || command == "surface") && argc == 4)
        return generate(std::atol(argv[2]), argv[3], command == "surface");
    if (command == "read" && argc == 3) {
        std::string path = argv[2];
        return ends_with(path, ".ods") ? read_all<tessaline::clc>(path)
                                       : read_all<tessaline::xls>(path);
    }
    if (command == "bare" && argc == 3) return bare(argv[2]);
    std::cerr << "usage: tessaline-bench-workbook generate|surface ROWS OUT.xlsx|OUT.ods\n"
                 "       tessaline-bench-workbook read|bare BOOK\n";
    return 2;
}
