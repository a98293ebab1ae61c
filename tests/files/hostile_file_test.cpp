// Saves and opens as an unlucky user or an attacker meets them: too little
// memory, killed processes, read-only and look-alike files, devices and
// files far larger than the memory.
#include "base/atomic_file.h"
#include "files/graph_reader.h"
#include "files/graph_writer.h"
#include "graph_document_samples.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessaline;
using namespace tessaline::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* previous = "the user's previous graph";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool unnamed_files_work(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// A file of `size` bytes that takes no disk space; false where the file
// system cannot make one.
bool make_sparse(const fs::path& path, const std::string& start, std::uint64_t size) {
    write_text(path, start);
    return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

} // namespace

TEST(HostileSave, UnderMemoryPressureTheWholeFileIsWritten) {
    if (address_sanitizer) GTEST_SKIP() << "no address space limit under AddressSanitizer";
    temp_folder folder;
    const fs::path target = folder / "old.xyz";
    const graph_document graph = random_graph(200'000, 400'000, 7);
    // Streamed, a save needs a buffer and a few texts, not a copy of the
    // graph as a document (some 60 MB here): 16 MB more will do.
    write_text(target, previous);
    EXPECT_EQ(run_in_child([&] {
                  limit_memory_to_current_plus(16 << 20);
                  return save_graph_file(target, graph, "v", '.').ok() ? 0 : 1;
              }),
              0);
    EXPECT_TRUE(file_text(target) == graph_file_text(graph, "v", '.'));
}

TEST(HostileSave, AWriteThatFailsHalfwayChangesNothing) {
    temp_folder folder;
    const fs::path target = folder / "old.xyz";
    write_text(target, previous);
    // The disk fills up after 1 MB of the file.
    EXPECT_EQ(run_in_child([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{1 << 20, 1 << 20};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  const save_result saved =
                      save_graph_file(target, random_graph(50'000, 100'000, 8), "v", '.');
                  if (saved.ok()) return 0;
                  return saved.error == "Cannot save \"" + target.string() + "\": File too large."
                             ? 1
                             : 2;
              }),
              1);
    EXPECT_EQ(file_text(target), previous);
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"old.xyz"});
}

TEST(HostileSave, AReadOnlyTargetIsRefusedAndKeptWithItsPermissions) {
    temp_folder folder;
    const fs::path target = folder / "kept.xyz";
    write_text(target, previous);
    ::chmod(target.c_str(), 0444);
    const save_result saved = save_graph_file(target, random_graph(10, 5, 1), "v", '.');
    EXPECT_EQ(saved.error, "Cannot save \"" + target.string() + "\": Permission denied.");
    EXPECT_EQ(file_text(target), previous);
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"kept.xyz"});
}

TEST(HostileSave, AKilledSaveLeavesNothingBehind) {
    temp_folder folder;
    const fs::path target = folder / "g.xyz";
    write_text(target, previous);
    // Half a file written, then killed as the system kills a process.
    EXPECT_EQ(run_in_child([&] {
                  atomic_file file(target);
                  const std::string half(3 << 20, 'x');
                  file.write(half.data(), half.size());
                  ::raise(SIGKILL);
                  return 0;
              }),
              -SIGKILL);
    EXPECT_EQ(file_text(target), previous);
    if (unnamed_files_work(folder.path())) {
        EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"g.xyz"});
    }

    // Where side files have names, the next save removes those of saves
    // that died, and leaves those of running ones.
    const std::string dead = ".g.xyz.tmp-" + std::to_string(ended_process()) + "-0";
    const std::string running = ".h.xyz.tmp-" + std::to_string(::getppid()) + "-0";
    write_text(folder / dead, "stale");
    write_text(folder / running, "in progress");
    write_text(folder / ".g.xyz.tmp-notanumber-0", "someone else's");
    ASSERT_TRUE(save_graph_file(target, random_graph(10, 5, 2), "v", '.').ok());
    EXPECT_EQ(folder_entries(folder.path()),
              (std::vector<std::string>{".g.xyz.tmp-notanumber-0", running, "g.xyz"}));
}

TEST(HostileSave, FilesNamedLikeSideFilesAreNeverFollowedNorReplaced) {
    temp_folder folder;
    const fs::path target = folder / "out.xyz";
    write_text(folder / "victim.txt", "not to be touched");
    write_text(folder / "out.xyz.part", "the user's own file");
    // The names this process would give its side file first.
    const std::string side = ".out.xyz.tmp-" + std::to_string(::getpid()) + "-0";
    fs::create_symlink(folder / "victim.txt", folder / side);
    ASSERT_TRUE(save_graph_file(target, random_graph(10, 5, 3), "v", '.').ok());
    EXPECT_EQ(file_text(folder / "victim.txt"), "not to be touched");
    EXPECT_EQ(file_text(folder / "out.xyz.part"), "the user's own file");
    EXPECT_TRUE(fs::is_symlink(folder / side));
    EXPECT_TRUE(read_graph_file(target).graph_loaded);
}

TEST(HostileOpen, DevicesAndPipesAreRefusedUnread) {
    temp_folder folder;
    graph_read read = read_graph_file("/dev/zero");
    EXPECT_EQ(read.status, graph_file_status::unreadable);
    EXPECT_EQ(read.error, "\"/dev/zero\" is not a graph file: it is not a regular file.");
    // A pipe without a writer would block a reader that waits for one.
    ASSERT_EQ(::mkfifo((folder / "pipe.xyz").c_str(), 0600), 0);
    read = read_graph_file(folder / "pipe.xyz");
    EXPECT_TRUE(contains(read.error, "it is not a regular file")) << read.error;
}

TEST(HostileOpen, FilesLargerThanTheMemoryAreRefusedAtOnce) {
    temp_folder folder;
    constexpr std::uint64_t huge = std::uint64_t{64} << 30;
    if (!make_sparse(folder / "zeros.xyz", "", huge)) GTEST_SKIP() << "no sparse files here";
    // Zeros are no graph file, whatever their number.
    graph_read read = read_graph_file(folder / "zeros.xyz");
    EXPECT_EQ(read.status, graph_file_status::unreadable);
    EXPECT_TRUE(contains(read.error, "is not a graph file: its first 64 KB hold no XML markup"))
        << read.error;

    // Markup first, then more than the machine holds: the need is told.
    ASSERT_TRUE(make_sparse(folder / "huge.xyz", "<graph>", huge));
    read = read_graph_file(folder / "huge.xyz");
    EXPECT_EQ(read.status, graph_file_status::unreadable);
    const std::string needed = std::to_string(huge * graph_file_memory_per_byte / 1'000'000);
    EXPECT_TRUE(
        contains(read.error, "not enough memory to read it: it needs about " + needed.substr(0, 4)))
        << read.error;
}

TEST(HostileOpen, RunningOutOfMemoryWhileReadingIsAMessage) {
    if (address_sanitizer) GTEST_SKIP() << "no address space limit under AddressSanitizer";
    temp_folder folder;
    const fs::path path = folder / "big.xyz";
    ASSERT_TRUE(save_graph_file(path, random_graph(100'000, 200'000, 4), "v", '.').ok());
    const std::string expected =
        "Cannot open \"" + path.string() + "\": not enough memory to read it: it needs about ";
    EXPECT_EQ(run_in_child([&] {
                  limit_memory_to_current_plus(32 << 20);
                  const graph_read read = read_graph_file(path);
                  return read.status == graph_file_status::unreadable &&
                                 read.error.starts_with(expected)
                             ? 0
                             : 1;
              }),
              0);
}

TEST(HostileOpen, TablesAndWorkbooksAreToldApartFromBrokenGraphFiles) {
    temp_folder folder;
    const struct {
        const char* name;
        std::string text;
        const char* reason;
    } files[] = {
        {"table.csv", "x,y,z\n1,2,3\n", "it holds no XML markup"},
        {"book.xlsx", std::string("PK\x03\x04\x14\0\0\0", 8) + "<x/>",
         "it is a zip package, as .xlsx and .ods workbooks are"},
        {"book.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),
         "it is a compound file, as .xls workbooks are"},
    };
    for (const auto& file : files) {
        write_text(folder / file.name, file.text);
        const graph_read read = read_graph_file(folder / file.name);
        EXPECT_EQ(read.status, graph_file_status::unreadable);
        EXPECT_EQ(read.error, "\"" + (folder / file.name).string() +
                                  "\" is not a graph file: " + file.reason + ".");
        EXPECT_TRUE(read.table_or_workbook) << file.name;
    }
    // Markup that is broken stays a broken graph file.
    write_text(folder / "broken.xyz", "<graph>");
    const graph_read broken = read_graph_file(folder / "broken.xyz");
    EXPECT_TRUE(contains(broken.error, "is not well-formed XML")) << broken.error;
    EXPECT_FALSE(broken.table_or_workbook);
}
