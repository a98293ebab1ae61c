// Excel 97-2003 (BIFF) workbooks: cell values through FreeXL, which reads no
// fonts or fills and leaves out formulas, booleans and errors; those, and
// every cell's font and fill, come from the workbook's records directly.
//
// FreeXL parses the whole file when it opens it, and damaged files can make
// it read outside its buffers or allocate without end. Everything that reads
// the file (FreeXL, the compound-file layer, the record reader) therefore runs
// in a child process with a bounded address space, which sends the cells back
// through a pipe: a fault in it ends only the child, and the file is reported
// as one that cannot be opened.
#include "base/address_sanitizer.h"
#include "import/biff_records.h"
#include "import/cell_text.h"
#include "import/date_text.h"
#include "import/format_readers.h"

#include <freexl.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <new>

namespace tessaline {

namespace {

// How long the child may take for one file before it is stopped.
constexpr std::chrono::seconds reading_time_limit{120};

// FreeXL lays out a value of this size for every cell within each
// worksheet's dimensions, before it reads a single cell.
constexpr std::uint64_t freexl_bytes_per_grid_cell = 16;

// No record the child sends comes near this; more is a child gone wrong.
constexpr std::size_t max_record_bytes = 16u << 20;

struct freexl_closer {
    void operator()(const void* handle) const { freexl_close(handle); }
};

// Records from the child, each a tag byte and fixed-size fields in the
// machine's own byte order (both ends are this program):
//   'F' length name double int8 int32  a font: name, points, font_* flags, colour
//   'C' int32 int32                    the next XF: font (from 0 in the 'F's, -1
//                                      for none) and fill (-1 for none)
//   'S' length name                    a worksheet starts
//   'N' row column xf double           a number
//   'D' row column xf double           a date serial
//   'B' row column xf double           a boolean, 0 or 1
//   'T' row column xf length s         a text
//   'X' row column xf length s         an error value, as its code
//   'E' length message                 reading failed
//   'Z'                                all sent
// The fonts and XFs come before the first worksheet; a cell's xf is no_xf
// when no XF record describes it.
class record_writer {
  public:
    explicit record_writer(int fd) : fd_(fd) {}
    ~record_writer() { flush(); }

    void tag(char t) {
        // Each record starts with a tag, so the buffer stays small whatever the sheet holds.
        if (out_.size() > (1u << 16)) flush();
        out_ += t;
    }
    template <class T> void field(T value) {
        out_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void text(std::string_view s) {
        field(static_cast<std::uint32_t>(s.size()));
        out_.append(s);
    }
    void cell(char t, std::uint32_t row, std::uint16_t column, std::uint16_t xf) {
        tag(t);
        field(row);
        field(column);
        field(xf);
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

// Keeps the child's address space within what it has at the start plus
// `allowance`: a file that makes a library allocate without end fails in the
// child, not on the whole machine.
void limit_address_space(std::uint64_t allowance) {
    if (address_sanitizer) return;
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    rlimit limit{};
    if (!(statm >> pages) || getrlimit(RLIMIT_AS, &limit) != 0) return;
    const auto wanted =
        static_cast<rlim_t>(pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + allowance);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= wanted) return;
    limit.rlim_cur = wanted;
    setrlimit(RLIMIT_AS, &limit);
}

class cell_sender {
  public:
    cell_sender(const read_limits& limits, record_writer& out) : sent_(limits), out_(out) {}

    // The budget counts what the parent will keep, so the child stops where it would.
    bool cell(char tag, std::uint32_t row, std::uint16_t column, std::uint16_t xf, double number) {
        if (!sent_.add_cell()) return false;
        out_.cell(tag, row, column, xf);
        out_.field(number);
        return true;
    }
    bool cell(char tag, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
              std::string_view text) {
        if (!sent_.add_cell() || !sent_.add_text_bytes(text.size())) return false;
        out_.cell(tag, row, column, xf);
        out_.text(text);
        return true;
    }
    bool styles(const biff_extra_cells& extra) {
        for (const workbook_font& f : extra.fonts) {
            if (!sent_.add_bytes(sizeof f + f.name.size())) return false;
            out_.tag('F');
            out_.text(f.name);
            out_.field(f.size);
            out_.field(to_font_attr(&f).style);
            out_.field(f.color);
        }
        for (const cell_format& look : extra.xfs) {
            if (!sent_.add_bytes(sizeof look)) return false;
            out_.tag('C');
            out_.field(look.font);
            out_.field(look.fill);
        }
        return true;
    }
    bool extra_cells(const biff_extra_cells& extra, biff_extra_cells::worksheet& sheet) {
        for (const biff_cell& c : sheet.cells) {
            bool sent = true;
            switch (c.kind) {
            case cell_kind::number:
                sent = cell('N', c.row, c.column, c.xf, c.number);
                break;
            case cell_kind::date:
                sent = cell('D', c.row, c.column, c.xf, c.number);
                break;
            case cell_kind::boolean:
                sent = cell('B', c.row, c.column, c.xf, c.number);
                break;
            case cell_kind::text:
                sent = cell('T', c.row, c.column, c.xf, extra.texts.get(c.text));
                break;
            case cell_kind::error:
                sent = cell('X', c.row, c.column, c.xf, extra.texts.get(c.text));
                break;
            case cell_kind::empty:
                break;
            }
            if (!sent) return false;
        }
        // A second worksheet of the same name gets none of them again.
        sheet.cells = {};
        return true;
    }
    const std::string& refusal() const { return sent_.refusal(); }

  private:
    read_budget sent_;
    record_writer& out_;
};

// `looks` holds the XFs of the worksheet's value records, or is null.
bool send_freexl_cell(const void* handle, unsigned int r, unsigned short c,
                      const biff_extra_cells::worksheet* looks, cell_sender& send) {
    FreeXL_CellValue value;
    if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK) return true;
    const char* text = value.value.text_value ? value.value.text_value : "";
    const auto row = static_cast<std::uint32_t>(r + 1);
    const auto column = static_cast<std::uint16_t>(c + 1);
    auto xf = [&] { return looks ? looks->xf_at(row, column) : no_xf; };
    switch (value.type) {
    case FREEXL_CELL_INT:
        return send.cell('N', row, column, xf(), static_cast<double>(value.value.int_value));
    case FREEXL_CELL_DOUBLE:
        return send.cell('N', row, column, xf(), value.value.double_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        if (auto serial = date_serial(text)) return send.cell('D', row, column, xf(), *serial);
        return send.cell('T', row, column, xf(), std::string_view(text));
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return send.cell('T', row, column, xf(), std::string_view(text));
    default:
        return true;
    }
}

// In the child: FreeXL's cells of each worksheet, then the ones it leaves out.
void send_cells(const std::string& path, const read_limits& limits, record_writer& out) {
    auto fail = [&](std::string_view message) {
        out.tag('E');
        out.text(message);
    };
    if (is_encrypted_package(path))
        return fail("the workbook is encrypted: it opens only with its password");
    auto stream = read_workbook_stream(path, limits);
    if (stream) {
        std::uint64_t grid = biff_grid_cells(*stream);
        if (grid > limits.max_memory_bytes / freexl_bytes_per_grid_cell)
            return fail("its sheets span " + std::to_string(grid) +
                        " cells, more than the memory limit of " +
                        std::to_string(limits.max_memory_bytes >> 20) + " MB allows");
    }
    const void* raw = nullptr;
    int status = freexl_open(path.c_str(), &raw);
    std::unique_ptr<const void, freexl_closer> handle(raw);
    if (status == FREEXL_INSUFFICIENT_MEMORY) return fail(out_of_memory);
    if (status != FREEXL_OK)
        return fail("not a readable Excel 97-2003 workbook (FreeXL error " +
                    std::to_string(status) + ")");
    unsigned int password = 0, count = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED)
        return fail("the workbook is protected by a password");
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
        return fail("the workbook has no worksheets");

    // Parsed only once FreeXL has taken the file, within the same limits as its cells.
    biff_extra_cells extra;
    read_budget parsed(limits);
    if (stream && !parse_biff_stream(*stream, parsed, extra)) return fail(parsed.refusal());
    stream.reset();

    cell_sender send(limits, out);
    if (!send.styles(extra)) return fail(send.refusal());
    for (unsigned short s = 0; s < count; ++s) {
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(raw, s, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(raw, s) != FREEXL_OK ||
            freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK)
            return fail("worksheet " + std::to_string(s + 1) + " cannot be read");
        std::string_view sheet_name = name ? name : "";
        out.tag('S');
        out.text(sheet_name);
        biff_extra_cells::worksheet* records = nullptr;
        for (biff_extra_cells::worksheet& w : extra.worksheets)
            if (w.name == sheet_name) {
                records = &w;
                break;
            }
        for (unsigned int r = 0; r < rows && r < max_sheet_rows; ++r)
            for (unsigned short c = 0; c < columns; ++c)
                if (!send_freexl_cell(raw, r, c, records, send)) return fail(send.refusal());
        if (records && !send.extra_cells(extra, *records)) return fail(send.refusal());
    }
    out.tag('Z');
}

void run_child(const std::string& path, const read_limits& limits, int fd) {
    // The libraries' own copies of the cells and the workbook stream come on top of the budget.
    limit_address_space(2 * limits.max_memory_bytes + limits.max_biff_bytes);
    record_writer out(fd);
    try {
        send_cells(path, limits, out);
    } catch (const std::bad_alloc&) {
        out.tag('E');
        out.text(out_of_memory);
    }
}

// Reads what the child sends, handing each block to `take`, until the child
// closes the pipe, `take` refuses, or the time is up.
bool collect(int fd, pid_t child, const std::function<bool(std::string_view)>& take,
             const std::stop_token& stop, std::string& error) {
    auto deadline = std::chrono::steady_clock::now() + reading_time_limit;
    char buffer[1 << 16];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (stop.stop_requested()) {
            kill(child, SIGKILL);
            error = "stopped";
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        // Woken often enough to see a stop request.
        const auto wait = std::min<std::chrono::milliseconds::rep>(left.count(), 50);
        int ready = wait > 0 ? poll(&p, 1, static_cast<int>(wait)) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0 && left.count() > 0) continue;
        if (ready <= 0) {
            kill(child, SIGKILL);
            error = "reading the workbook took too long";
            return false;
        }
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        if (!take(std::string_view(buffer, static_cast<std::size_t>(n)))) {
            kill(child, SIGKILL);
            return false;
        }
    }
}

class record_reader {
  public:
    explicit record_reader(std::string_view bytes) : bytes_(bytes) {}
    std::size_t at() const { return at_; }
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

// Builds the sheets from the child's records as they arrive: the parent keeps
// the cells, never the whole stream of them.
class sheet_receiver {
  public:
    sheet_receiver(read_budget& budget, workbook& book) : budget_(budget), book_(book) {}

    // Takes the whole records among the bytes received so far; false once
    // reading must stop, with the reason in error().
    bool take(std::string_view bytes) {
        if (complete_) return true;
        pending_.append(bytes);
        record_reader in(pending_);
        std::size_t used = 0;
        for (;;) {
            step s = take_one(in);
            if (s == step::failed) return false;
            if (s == step::incomplete) break;
            used = in.at();
            if (s == step::ended) {
                complete_ = true;
                break;
            }
        }
        pending_.erase(0, used);
        if (pending_.size() <= max_record_bytes) return true;
        error_ = "not a readable Excel 97-2003 workbook (its reader failed)";
        return false;
    }

    // True once the child said it sent everything and the last sheet is filed.
    bool finish() {
        if (!complete_) return false;
        return finish_sheet();
    }
    const std::string& error() const { return error_; }

  private:
    enum class step { taken, incomplete, failed, ended };

    step refused() {
        error_ = budget_.refusal();
        return step::failed;
    }

    bool finish_sheet() {
        if (!builder_) return true;
        bool filed = builder_->finish(std::move(name_), book_);
        builder_.reset();
        if (!filed) error_ = budget_.refusal();
        return filed;
    }

    step take_one(record_reader& in) {
        char tag = 0;
        std::string_view text;
        if (!in.field(tag)) return step::incomplete;
        switch (tag) {
        case 'Z':
            return step::ended;
        case 'E':
            if (!in.text(text)) return step::incomplete;
            error_ = text;
            return step::failed;
        case 'F':
            return take_font(in);
        case 'C':
            return take_xf(in);
        case 'S':
            if (!in.text(text)) return step::incomplete;
            if (!finish_sheet()) return step::failed;
            name_ = text;
            builder_.emplace(budget_);
            return step::taken;
        case 'N':
        case 'D':
        case 'B':
        case 'T':
        case 'X':
            break;
        default:
            error_ = "not a readable Excel 97-2003 workbook (its reader failed)";
            return step::failed;
        }
        stored_cell cell;
        std::uint16_t xf = no_xf;
        if (!in.field(cell.row) || !in.field(cell.column) || !in.field(xf)) return step::incomplete;
        if (xf < xf_count_) cell.format = first_xf_ + xf;
        if (tag == 'T' || tag == 'X') {
            if (!in.text(text)) return step::incomplete;
            cell.kind = tag == 'T' ? cell_kind::text : cell_kind::error;
            if (!builder_) return step::taken;
            if (!budget_.add_text(book_.texts, text, cell.text)) return refused();
        } else {
            if (!in.field(cell.number)) return step::incomplete;
            cell.kind = tag == 'N'   ? cell_kind::number
                        : tag == 'D' ? cell_kind::date
                                     : cell_kind::boolean;
            if (!builder_) return step::taken;
        }
        if (!builder_->add(cell)) return refused();
        return step::taken;
    }

    step take_font(record_reader& in) {
        std::string_view name;
        workbook_font font;
        std::uint8_t style = 0;
        if (!in.text(name) || !in.field(font.size) || !in.field(style) || !in.field(font.color))
            return step::incomplete;
        font.name = name;
        font.bold = style & font_bold;
        font.italic = style & font_italic;
        font.underline = style & font_underline;
        if (font_count_ == 0) first_font_ = static_cast<std::uint32_t>(book_.fonts.size());
        if (!budget_.add_bytes(sizeof font + font.name.size())) return refused();
        book_.fonts.push_back(std::move(font));
        ++font_count_;
        return step::taken;
    }

    step take_xf(record_reader& in) {
        cell_format look;
        std::int32_t font = -1;
        if (!in.field(font) || !in.field(look.fill)) return step::incomplete;
        if (font >= 0 && static_cast<std::uint32_t>(font) < font_count_)
            look.font = static_cast<std::int32_t>(first_font_ + static_cast<std::uint32_t>(font));
        if (xf_count_ == 0) first_xf_ = static_cast<std::uint32_t>(book_.formats.size());
        if (!budget_.add_bytes(sizeof look)) return refused();
        book_.formats.push_back(look);
        ++xf_count_;
        return step::taken;
    }

    read_budget& budget_;
    workbook& book_;
    // Where the child's fonts and XFs start in the book's lists.
    std::uint32_t first_font_ = 0, font_count_ = 0;
    std::uint32_t first_xf_ = 0, xf_count_ = 0;
    std::string pending_;
    std::optional<sheet_builder> builder_;
    std::string name_;
    bool complete_ = false;
    std::string error_;
};

} // namespace

bool read_biff(const std::string& path, read_budget& budget, workbook& book, std::string& error) {
    book.format = workbook_format::biff;
    std::error_code size_error;
    auto size = std::filesystem::file_size(path, size_error);
    if (size_error || size > budget.limits.max_biff_bytes) {
        error = size_error ? size_error.message() : "the file is too large";
        return false;
    }

    init_compound_files();
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
        run_child(path, budget.limits, ends[1]);
        _exit(0); // no destructors or exit handlers of the parent's state
    }
    close(ends[1]);
    sheet_receiver receiver(budget, book);
    bool received;
    try {
        received = collect(
            ends[0], child, [&](std::string_view bytes) { return receiver.take(bytes); },
            budget.stop, error);
    } catch (...) {
        kill(child, SIGKILL);
        close(ends[0]);
        waitpid(child, nullptr, 0);
        throw;
    }
    close(ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!received) {
        if (error.empty()) error = receiver.error();
        return false;
    }
    if (!receiver.error().empty()) {
        error = receiver.error();
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !receiver.finish()) {
        error = receiver.error().empty()
                    ? "not a readable Excel 97-2003 workbook (its reader failed)"
                    : receiver.error();
        return false;
    }
    return true;
}

} // namespace tessaline
