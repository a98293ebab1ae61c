// Excel 97-2003 (BIFF) workbooks: cell values through FreeXL, which reads no
// fonts or fills and leaves out formulas, booleans and errors; those come
// from the workbook's records directly.
//
// FreeXL parses the whole file when it opens it, and damaged files can make
// it read outside its buffers. It therefore runs in a child process that
// sends the cells back through a pipe: a fault in it ends only the child, and
// the file is reported as one that cannot be opened.
#include "import/biff_records.h"
#include "import/date_text.h"
#include "import/format_readers.h"

#include <freexl.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

namespace tessaline {

namespace {

// How long FreeXL may take for one file before it is stopped.
constexpr std::chrono::seconds reading_time_limit{120};

struct freexl_closer {
    void operator()(const void* handle) const { freexl_close(handle); }
};

// Records from the child, each a tag byte and fixed-size fields in the
// machine's own byte order (both ends are this program):
//   'S' length name          a worksheet starts
//   'N' row column double    a number
//   'D' row column double    a date serial
//   'T' row column length s  a text
//   'E' length message       FreeXL failed
//   'Z'                      all sent
class record_writer {
  public:
    explicit record_writer(int fd) : fd_(fd) {}
    ~record_writer() { flush(); }

    void tag(char t) { out_ += t; }
    template <class T> void field(T value) {
        out_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void text(std::string_view s) {
        field(static_cast<std::uint32_t>(s.size()));
        out_.append(s);
        if (out_.size() > (1u << 16)) flush();
    }
    void cell(char t, std::uint32_t row, std::uint16_t column) {
        tag(t);
        field(row);
        field(column);
    }
    void flush() {
        std::size_t sent = 0;
        while (sent < out_.size()) {
            ssize_t n = write(fd_, out_.data() + sent, out_.size() - sent);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        out_.clear();
    }

  private:
    int fd_;
    std::string out_;
};

void send_cells(const std::string& path, const read_limits& limits, record_writer& out) {
    const void* raw = nullptr;
    int status = freexl_open(path.c_str(), &raw);
    std::unique_ptr<const void, freexl_closer> handle(raw);
    auto fail = [&](const std::string& message) {
        out.tag('E');
        out.text(message);
    };
    if (status != FREEXL_OK)
        return fail("not a readable Excel 97-2003 workbook (FreeXL error " +
                    std::to_string(status) + ")");
    unsigned int password = 0, count = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED)
        return fail("the workbook is protected by a password");
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
        return fail("the workbook has no worksheets");
    std::uint64_t cells = 0;
    for (unsigned short s = 0; s < count; ++s) {
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(raw, s, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(raw, s) != FREEXL_OK ||
            freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK)
            return fail("worksheet " + std::to_string(s + 1) + " cannot be read");
        out.tag('S');
        out.text(name ? name : "");
        for (unsigned int r = 0; r < rows && r < max_sheet_rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(raw, r, c, &value) != FREEXL_OK) continue;
                const char* text = value.value.text_value ? value.value.text_value : "";
                switch (value.type) {
                case FREEXL_CELL_INT:
                    out.cell('N', r + 1, static_cast<std::uint16_t>(c + 1));
                    out.field(static_cast<double>(value.value.int_value));
                    break;
                case FREEXL_CELL_DOUBLE:
                    out.cell('N', r + 1, static_cast<std::uint16_t>(c + 1));
                    out.field(value.value.double_value);
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    if (auto serial = date_serial(text)) {
                        out.cell('D', r + 1, static_cast<std::uint16_t>(c + 1));
                        out.field(*serial);
                        break;
                    }
                    [[fallthrough]];
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    out.cell('T', r + 1, static_cast<std::uint16_t>(c + 1));
                    out.text(text);
                    break;
                default:
                    continue;
                }
                if (++cells > limits.max_cells)
                    return fail("more cells than the limit of " + std::to_string(limits.max_cells));
            }
    }
    out.tag('Z');
}

// Reads everything the child sends until it closes the pipe or the time is up.
bool collect(int fd, pid_t child, std::uint64_t max_bytes, std::string& bytes, std::string& error) {
    auto deadline = std::chrono::steady_clock::now() + reading_time_limit;
    char buffer[1 << 16];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        int ready = left.count() > 0 ? poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            kill(child, SIGKILL);
            error = "reading the workbook took too long";
            return false;
        }
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > max_bytes) {
            kill(child, SIGKILL);
            error = "the workbook holds too much";
            return false;
        }
    }
}

class record_reader {
  public:
    explicit record_reader(std::string_view bytes) : bytes_(bytes) {}
    bool done() const { return at_ >= bytes_.size(); }
    template <class T> bool field(T& value) {
        if (bytes_.size() - at_ < sizeof value) return false;
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return true;
    }
    bool text(std::string_view& s) {
        std::uint32_t n = 0;
        if (!field(n) || bytes_.size() - at_ < n) return false;
        s = bytes_.substr(at_, n);
        at_ += n;
        return true;
    }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

void add_extra_cells(const std::vector<biff_sheet_cells>& extra, const std::string& name,
                     workbook& book, sheet_builder& builder, bool& within_limit) {
    for (const biff_sheet_cells& e : extra) {
        if (e.name != name) continue;
        for (const biff_cell& b : e.cells) {
            stored_cell cell;
            cell.row = b.row;
            cell.column = b.column;
            cell.kind = b.kind;
            cell.number = b.number;
            if (b.kind == cell_kind::text || b.kind == cell_kind::error)
                cell.text = book.texts.add(b.text);
            if (!builder.add(cell)) within_limit = false;
        }
        return;
    }
}

bool build_sheets(std::string_view bytes, const std::vector<biff_sheet_cells>& extra,
                  read_budget& budget, workbook& book, std::string& error) {
    record_reader in(bytes);
    std::optional<sheet_builder> builder;
    std::string name;
    bool within_limit = true, complete = false;
    auto finish_sheet = [&] {
        if (!builder) return;
        add_extra_cells(extra, name, book, *builder, within_limit);
        book.sheets.push_back(builder->finish(name));
        builder.reset();
    };
    while (!in.done() && within_limit) {
        char tag = 0;
        std::string_view text;
        std::uint32_t row = 0;
        std::uint16_t column = 0;
        in.field(tag);
        if (tag == 'Z') {
            complete = true;
            break;
        }
        if (tag == 'E') {
            error = in.text(text) ? std::string(text) : "FreeXL failed";
            return false;
        }
        if (tag == 'S') {
            finish_sheet();
            if (!in.text(text)) break;
            name = text;
            builder.emplace(budget);
            continue;
        }
        stored_cell cell;
        if (!builder || !in.field(row) || !in.field(column)) break;
        cell.row = row;
        cell.column = column;
        if (tag == 'N' || tag == 'D') {
            if (!in.field(cell.number)) break;
            cell.kind = tag == 'N' ? cell_kind::number : cell_kind::date;
        } else if (tag == 'T') {
            if (!in.text(text)) break;
            cell.kind = cell_kind::text;
            cell.text = book.texts.add(text);
            if (book.texts.bytes() > budget.limits.max_text_bytes) {
                error = "too much text";
                return false;
            }
        } else
            break;
        if (!builder->add(cell)) within_limit = false;
    }
    if (!within_limit) {
        error = "more cells than the limit of " + std::to_string(budget.limits.max_cells);
        return false;
    }
    if (!complete) {
        error = "not a readable Excel 97-2003 workbook (its reader failed)";
        return false;
    }
    finish_sheet();
    return true;
}

} // namespace

bool read_biff(const std::string& path, read_budget& budget, workbook& book, std::string& error) {
    book.format = workbook_format::biff;
    std::error_code size_error;
    auto size = std::filesystem::file_size(path, size_error);
    if (size_error || size > budget.limits.max_biff_bytes) {
        error = size_error ? size_error.message() : "the file is too large";
        return false;
    }

    int ends[2];
    if (pipe(ends) != 0) {
        error = std::string("cannot start the reader: ") + std::strerror(errno);
        return false;
    }
    pid_t child = fork();
    if (child < 0) {
        close(ends[0]);
        close(ends[1]);
        error = std::string("cannot start the reader: ") + std::strerror(errno);
        return false;
    }
    if (child == 0) {
        close(ends[0]);
        {
            record_writer out(ends[1]);
            send_cells(path, budget.limits, out);
        }
        _exit(0); // no destructors or exit handlers of the parent's state
    }
    close(ends[1]);
    std::string bytes;
    bool received = collect(
        ends[0], child, budget.limits.max_cells * 32 + budget.limits.max_text_bytes, bytes, error);
    close(ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!received) return false;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "not a readable Excel 97-2003 workbook (its reader failed)";
        return false;
    }
    return build_sheets(bytes, read_biff_extra_cells(path, budget.limits), budget, book, error);
}

} // namespace tessaline
