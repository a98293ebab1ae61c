#include "files/graph_reader.h"
#include "files/graph_writer.h"
#include "graph_document_samples.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessaline;
using namespace tessaline::testing;
namespace fs = std::filesystem;

namespace {

// Saves as a user without write access to `folder`: as root, in a child
// process that has given up its privileges; otherwise with the folder made
// read-only. Returns the error text of the save, or nothing when root cannot
// give up its privileges here (a user namespace without that user).
std::optional<std::string> save_without_write_access(const fs::path& folder, const fs::path& target,
                                                     const graph_document& graph) {
    ::chmod(folder.c_str(), 0555);
    if (::geteuid() != 0) return save_graph_file(target, graph, "v", '.').error;
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_ends[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        const std::string error = save_graph_file(target, graph, "v", '.').error;
        [[maybe_unused]] auto n = ::write(pipe_ends[1], error.data(), error.size());
        ::_exit(0);
    }
    ::close(pipe_ends[1]);
    std::string error;
    char chunk[512];
    for (ssize_t n; (n = ::read(pipe_ends[0], chunk, sizeof chunk)) > 0;)
        error.append(chunk, n);
    ::close(pipe_ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child failed";
    return error;
}

} // namespace

TEST(GraphSave, ReplacesTheFileAndLeavesNothingElse) {
    temp_folder folder;
    const fs::path target = folder / "graph.xyz";
    write_text(target, "old content");
    ::chmod(target.c_str(), 0640);
    const graph_document graph = every_setting_changed();
    ASSERT_TRUE(save_graph_file(target, graph, "v", '.').ok());
    const std::string first = file_text(target);
    EXPECT_EQ(first, graph_file_text(graph, "v", '.'));
    ASSERT_TRUE(save_graph_file(target, graph, "v", '.').ok());
    EXPECT_EQ(file_text(target), first); // saving twice writes the same file
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"graph.xyz"});
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // the user's permissions stay
}

TEST(GraphSave, ReadOnlyFolderLeavesTheOldFileIntact) {
    temp_folder folder;
    const fs::path target = folder / "graph.xyz";
    write_text(target, "the user's previous graph");
    const std::optional<std::string> error =
        save_without_write_access(folder.path(), target, random_graph(50, 20, 1));
    if (!error) GTEST_SKIP() << "cannot give up root's privileges here";
    EXPECT_NE(error->find("Cannot save \"" + target.string() + "\": Permission denied."),
              std::string::npos)
        << *error;
    EXPECT_EQ(file_text(target), "the user's previous graph");
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"graph.xyz"});
}

TEST(GraphSave, ImpossibleTargetsReportAndCreateNothing) {
    temp_folder folder;
    save_result saved = save_graph_file(folder / "no-such-folder/g.xyz", graph_document{}, "v");
    EXPECT_NE(saved.error.find("No such file or directory"), std::string::npos) << saved.error;
    fs::create_directory(folder / "taken.xyz");
    saved = save_graph_file(folder / "taken.xyz", graph_document{}, "v");
    EXPECT_NE(saved.error.find("Is a directory"), std::string::npos) << saved.error;
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"taken.xyz"});
}

TEST(GraphSave, ThroughASymbolicLinkTheLinkStays) {
    temp_folder folder;
    write_text(folder / "real.xyz", "old");
    fs::create_symlink("real.xyz", folder / "link.xyz");
    ASSERT_TRUE(save_graph_file(folder / "link.xyz", graph_document{}, "v", '.').ok());
    EXPECT_TRUE(fs::is_symlink(folder / "link.xyz"));
    EXPECT_TRUE(read_graph_file(folder / "real.xyz").graph_loaded);
}
