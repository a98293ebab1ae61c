#include "test_files.h"

#include "import/workbook.h"

#include <gtest/gtest.h>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>
#include <zip.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace tessaline::test {

namespace {

// One folder per test process, removed when the process ends.
struct temp_folder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("tessaline-import-test-" + std::to_string(getpid()));
    temp_folder() { std::filesystem::create_directories(path); }
    ~temp_folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    temp_folder(const temp_folder&) = delete;
    temp_folder& operator=(const temp_folder&) = delete;
};

} // namespace

std::filesystem::path temp_path(const std::string& name) {
    static const temp_folder folder;
    return folder.path / name;
}

std::filesystem::path write_zip(const std::string& name, const zip_entries& entries, int level) {
    auto path = temp_path(name);
    std::filesystem::remove(path);
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error("cannot create " + path.string());
    for (const auto& [entry, content] : entries) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        zip_int64_t index = zip_file_add(archive, entry.c_str(), source, ZIP_FL_OVERWRITE);
        if (index < 0) throw std::runtime_error("cannot add " + entry);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 level == 0 || entry == "mimetype" ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 static_cast<zip_uint32_t>(level));
    }
    if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + path.string());
    return path;
}

std::filesystem::path write_file(const std::string& name, const std::string& content) {
    auto path = temp_path(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::filesystem::path write_compound_file(const std::string& name, const zip_entries& streams) {
    gsf_init();
    auto path = temp_path(name);
    GsfOutput* file = gsf_output_stdio_new(path.c_str(), nullptr);
    if (!file) throw std::runtime_error("cannot create " + path.string());
    GsfOutfile* compound = gsf_outfile_msole_new(file);
    for (const auto& [stream, content] : streams) {
        GsfOutput* child = gsf_outfile_new_child(compound, stream.c_str(), FALSE);
        gsf_output_write(child, content.size(), reinterpret_cast<const guint8*>(content.data()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    bool written = gsf_output_close(GSF_OUTPUT(compound));
    g_object_unref(compound);
    g_object_unref(file);
    if (!written) throw std::runtime_error("cannot write " + path.string());
    return path;
}

std::string le16(unsigned v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

std::string le32(unsigned v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

std::string biff_record(unsigned type, const std::string& data) {
    return le16(type) + le16(static_cast<unsigned>(data.size())) + data;
}

std::string biff_bof(unsigned kind) {
    return biff_record(0x0809, le16(0x0600) + le16(kind) + le16(0x0DBB) + le16(0x07CC) + le32(0) +
                                   le32(0x0206));
}

std::string xlsx_sheet(const std::string& sheet_data) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>)"
           R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
           sheet_data + "</sheetData></worksheet>";
}

zip_entries xlsx_package(const std::vector<std::string>& sheets, const std::string& shared_strings,
                         const std::string& styles, const std::string& workbook_pr) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    zip_entries entries;
    entries.emplace_back(
        "[Content_Types].xml",
        R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)");
    entries.emplace_back(
        "_rels/.rels",
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type=")" +
            rel + R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)");
    std::string book =
        R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
        R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)" +
        workbook_pr + "<sheets>";
    std::string rels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        std::string n = std::to_string(i + 1);
        book +=
            R"(<sheet name="Sheet)" + n + R"(" sheetId=")" + n + R"(" r:id="rId)" + n + R"("/>)";
        rels += R"(<Relationship Id="rId)" + n + R"(" Type=")" + rel +
                R"(worksheet" Target="worksheets/sheet)" + n + R"(.xml"/>)";
        entries.emplace_back("xl/worksheets/sheet" + n + ".xml", sheets[i]);
    }
    if (!shared_strings.empty()) {
        rels += R"(<Relationship Id="rIdS" Type=")" + rel +
                R"(sharedStrings" Target="sharedStrings.xml"/>)";
        entries.emplace_back("xl/sharedStrings.xml", shared_strings);
    }
    if (!styles.empty()) {
        rels += R"(<Relationship Id="rIdY" Type=")" + rel + R"(styles" Target="styles.xml"/>)";
        entries.emplace_back("xl/styles.xml", styles);
    }
    entries.emplace_back("xl/workbook.xml", book + "</sheets></workbook>");
    entries.emplace_back("xl/_rels/workbook.xml.rels", rels + "</Relationships>");
    return entries;
}

zip_entries ods_package(const std::string& tables, const std::string& automatic_styles,
                        const std::string& styles) {
    const std::string ns =
        R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
        R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
        R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
        R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
        R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
        R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")"
        R"( xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0")";
    zip_entries entries;
    entries.emplace_back("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    entries.emplace_back(
        "content.xml", "<office:document-content" + ns + "><office:automatic-styles>" +
                           automatic_styles +
                           "</office:automatic-styles><office:body><office:spreadsheet>" + tables +
                           "</office:spreadsheet></office:body></office:document-content>");
    if (!styles.empty())
        entries.emplace_back("styles.xml", "<office:document-styles" + ns + "><office:styles>" +
                                               styles +
                                               "</office:styles></office:document-styles>");
    return entries;
}

std::vector<std::vector<std::string>> read_csv(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"')
            quoted = true, any = true;
        else if (c == ',')
            row.push_back(field), field.clear(), any = true;
        else if (c == '\n') {
            row.push_back(field);
            rows.push_back(row);
            row.clear(), field.clear(), any = false;
        } else if (c != '\r')
            field += c, any = true;
    }
    if (any) row.push_back(field), rows.push_back(row);
    // A sheet with no cells exports as one empty line.
    if (rows.size() == 1 && rows[0] == std::vector<std::string>{""}) rows.clear();
    return rows;
}

std::filesystem::path data_path(const std::string& name) {
    return std::filesystem::path(TESSALINE_TEST_DATA) / name;
}

void expect_refused(const std::filesystem::path& path, const std::string& reason,
                    const read_limits& limits) {
    workbook_result r = read_workbook(path.string(), limits);
    EXPECT_FALSE(r.book) << path;
    EXPECT_EQ(r.error.rfind("cannot open \"" + path.filename().string() + "\": ", 0), 0u)
        << r.error;
    EXPECT_NE(r.error.find(reason), std::string::npos) << r.error;
}

} // namespace tessaline::test
