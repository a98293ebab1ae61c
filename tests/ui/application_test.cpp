// What the program does around its window: the command line, the error
// report's text, the colour button.
#include "ui/application.h"
#include "ui/color_button.h"
#include "ui/error_report.h"
#include "ui/product.h"

#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(ErrorReport, AddsAFullStopAfterTextThatSortsAfterIt) {
    EXPECT_EQ(error_report_text("File not found"), "File not found.");
    EXPECT_EQ(error_report_text("Line 3"), "Line 3.");
    EXPECT_EQ(error_report_text("Path /tmp/"), "Path /tmp/.");
    EXPECT_EQ(error_report_text("Done."), "Done.");
    EXPECT_EQ(error_report_text("Really!"), "Really!");
    EXPECT_EQ(error_report_text("a, b,"), "a, b,");
    EXPECT_EQ(error_report_text(""), "");
}

TEST(CommandLine, TakesTheFirstArgumentAsTheGraphFileWhateverItLooksLike) {
    EXPECT_EQ(parse_command_line({"tessaline"}).graph_file, "");
    const command_line two = parse_command_line({"tessaline", "a.xyz", "b.xyz"});
    EXPECT_FALSE(two.exit);
    EXPECT_EQ(two.graph_file, "a.xyz");
    // A name that begins with "-" is a name; a second argument, known or
    // not, does not stop the start.
    for (const QStringList& line : {QStringList{"tessaline", "-graph.xyz"},
                                    QStringList{"tessaline", "-graph.xyz", "--frobnicate"},
                                    QStringList{"tessaline", "-graph.xyz", "--help"}}) {
        const command_line parsed = parse_command_line(line);
        EXPECT_FALSE(parsed.exit);
        EXPECT_EQ(parsed.graph_file, "-graph.xyz");
    }
}

TEST(CommandLine, AnswersHelpAndVersionAsTheFirstArgument) {
    const command_line version = parse_command_line({"tessaline", "--version"});
    EXPECT_TRUE(version.exit);
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.output, "Tessaline " + product::version() + "\n");
    const command_line help = parse_command_line({"/usr/bin/tessaline", "--help", "x.xyz"});
    EXPECT_TRUE(help.exit);
    EXPECT_TRUE(help.output.startsWith("Usage: tessaline [options] [file]"))
        << help.output.toStdString();
}

TEST(ColorButton, KeepsColoursAsRedLowValuesAndTellsOnlyChanges) {
    color_button button;
    QSignalSpy changes(&button, &color_button::color_changed);
    button.set_color_value(0x00ff8040);
    EXPECT_EQ(button.color(), QColor(0x40, 0x80, 0xff));
    EXPECT_EQ(button.color_value(), 0x00ff8040u);
    button.set_color(QColor(0x40, 0x80, 0xff));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(button.menu()->actions().size(), color_button::palette_colors().size() + 2);
}

} // namespace
} // namespace tessaline
