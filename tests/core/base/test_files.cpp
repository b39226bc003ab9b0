// Inputs read once with their read errors, outputs that never destroy an input or each
// other, and links written through.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/file_text.h"
#include "base/line_reader.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "base/safe_file.h"
#include "files/contest.h"
#include "model/grid.h"
#include "observations/cabrillo.h"
#include "test_support.h"
#include "tuning/score.h"

namespace skywave {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

// Gives the bytes of a text, then fails with EIO after `good` of them.
class FailingSource : public ByteSource {
public:
    FailingSource(std::string text, std::size_t good) : text_(std::move(text)), good_(good) {}
    long read(char* buffer, std::size_t size) override {
        if (at_ >= good_) {
            errno = EIO;
            return -1;
        }
        if (at_ >= text_.size()) return 0;
        const std::size_t n = std::min({size, good_ - at_, text_.size() - at_});
        std::memcpy(buffer, text_.data() + at_, n);
        at_ += n;
        return long(n);
    }

private:
    std::string text_;
    std::size_t good_, at_ = 0;
};

FileText failing(const std::string& text, std::size_t good, const std::string& name) {
    FailingSource source(text, good);
    return read_source_text(source, name);
}

TEST(Files, AReadErrorIsNoEndOfFile) {
    // A screen of a grain-3 file, cut by an error after its header.
    std::string screen = " 3  5 10.00 200   0   0 42.5 73.0  \n";
    for (int i = 0; i < 55; ++i)
        screen += std::string(20, '1') + "\n";
    const FileText bad = failing(screen + screen, 40, "obs.prp");
    EXPECT_TRUE(bad.opened);
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.error_text(), "Can't read obs.prp: Input/output error");
    LineReader lines(bad);
    std::string line;
    EXPECT_TRUE(lines.failed());
    EXPECT_FALSE(lines.next(line)) << "no line of a file that could not be read";

    // Every reader says so, and gives no partial result.
    MessageLog log;
    Grid grid;
    set_grain(grid, 3);
    EXPECT_FALSE(score_texts(grid, failing(screen + screen, 1 << 20, "p.mof"), bad, nullptr, log));
    const ContestHeaderRead header = read_contest_header(bad, log);
    EXPECT_TRUE(header.read_error);
    EXPECT_FALSE(header.header);
    EXPECT_FALSE(read_cabrillo(failing("START-OF-LOG: 3.0\nCALLSIGN: K1ABC\n", 20, "k.log"), log));
    ASSERT_EQ(log.entries.size(), 3u);
    for (const MessageLog::Entry& e : log.entries)
        EXPECT_EQ(e.text.rfind("Can't read ", 0), 0u) << e.text;
    EXPECT_EQ(log.entries[0].caption, kReadErrorCaption);

    // The same bytes without the error read whole.
    const FileText good = failing(screen + screen, 1 << 20, "obs.prp");
    EXPECT_TRUE(good.ok());
    EXPECT_EQ(good.text, screen + screen);
}

TEST(Files, AnOutputThatIsAnInputIsFoundByInodeOrPath) {
    test::TempDir dir;
    const std::string in = dir.file("obs.prp");
    write_file(in, "x\n");
    fs::create_symlink(in, dir.file("link.prp"));
    fs::create_hard_link(in, dir.file("hard.prp"));
    for (const std::string& out :
         {in, dir.file("link.prp"), dir.file("hard.prp"), dir.file("sub/../obs.prp")})
        EXPECT_TRUE(output_conflict(out, {dir.file("a.prp"), in})) << out;
    EXPECT_FALSE(output_conflict(dir.file("report.txt"), {in}));
    // Not there yet, but the same name once the link is followed.
    fs::create_symlink(dir.file("new.mof"), dir.file("dangling.mof"));
    EXPECT_TRUE(same_file(dir.file("dangling.mof"), dir.file("new.mof")));
    const std::optional<std::string> text = output_conflict(dir.file("link.prp"), {in});
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(dir.file("link.prp")), std::string::npos) << "names the output";
    EXPECT_NE(text->find(in), std::string::npos) << "and the input";
}

TEST(Files, ASecondWriterIsRefusedAndTheFirstWritersFileKept) {
    test::TempDir dir;
    const std::string name = dir.file("x.mof");
    int error = 0;
    std::FILE* first = open_output(name, error);
    ASSERT_NE(first, nullptr);
    std::fputs("the first writer's screens\n", first);
    std::fflush(first);

    std::FILE* second = open_output(name, error);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(error, EWOULDBLOCK);
    EXPECT_EQ(replace_file(name, "whole\n"), EWOULDBLOCK) << "nor is the file replaced";
    EXPECT_EQ(read_file_text(name).text, "the first writer's screens\n") << "readers read on";
    EXPECT_EQ(busy_text(name), name + " is being written by another process");
    std::fclose(first);

    second = open_output(name, error);  // the first one is done
    ASSERT_NE(second, nullptr);
    std::fclose(second);
    EXPECT_EQ(read_file(name), "") << "a writer empties the file only once it holds it";
}

TEST(Files, ReplacingALinkWritesItsTargetAndKeepsTheLink) {
    test::TempDir dir;
    fs::create_directory(dir.file("real"));
    write_file(dir.file("real/mine.dat"), "old\n");
    fs::create_symlink("real/mine.dat", dir.file("link.dat"));
    ASSERT_EQ(replace_file(dir.file("link.dat"), "new\n"), 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("link.dat")));
    EXPECT_EQ(read_file(dir.file("real/mine.dat")), "new\n");
    // Nothing is left beside the target, and names at the length limit have a temporary.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("real")), fs::directory_iterator()), 1);
    const std::string longest = dir.file(std::string(250, 'n') + ".dat");
    EXPECT_EQ(replace_file(longest, "x\n"), 0);
    EXPECT_EQ(read_file(longest), "x\n");
}

}  // namespace
}  // namespace skywave
