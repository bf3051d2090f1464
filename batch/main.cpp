// terravel-batch: the heat balance of every row of a CSV table.
//
// The main thread reads the header and writes the output in order; a reader
// thread cuts the table into blocks of rows; the main thread and -j minus one
// worker threads compute blocks.
// A fixed number of blocks circulates, so memory does not grow with the
// input, and the output keeps the input's order.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "table_reader.h"
#include "table.h"

namespace {

using namespace batch;
using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = "terravel-batch";
constexpr std::size_t kBlockRows = 2048;
constexpr std::size_t kBlockBytes = 1 << 20;  // a block ends early past this much text

// Exit statuses.
constexpr int kAllBalanced = 0;
constexpr int kErrorRows = 1;
constexpr int kFailure = 2;

// An input or output failure: the message says which file and why.
struct IoError {
    std::string message;
    bool quiet = false;  // the reader of the output went away (a closed pipe)
};

void say(const std::string& text) { std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str()); }

std::string describe(const std::string& path) { return path == "-" ? "standard input" : "'" + path + "'"; }

// ---------------------------------------------------------------------------
// The output file: written to a temporary file beside it and renamed when the
// run succeeds, so a failed or interrupted run leaves the old file as it was.

char gTemporary[4096];  // for the signal handler

extern "C" void removeTemporaryAndDie(int signal) {
    if (gTemporary[0] != '\0')
        unlink(gTemporary);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

class Output {
public:
    explicit Output(const std::string& path) : path_(path) {
        if (path_ == "-")
            return;
        struct stat old{};
        const bool exists = stat(path_.c_str(), &old) == 0;
        if (exists && !S_ISREG(old.st_mode)) {
            // A device or a pipe is written as it is: there is no file to keep.
            fd_ = open(path_.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd_ < 0)
                throw IoError{"cannot write '" + path_ + "': " + std::strerror(errno)};
            return;
        }
        // Through a symbolic link, the file it points to is the one replaced.
        std::string target = path_;
        if (exists) {
            if (char* resolved = realpath(path_.c_str(), nullptr)) {
                target = resolved;
                std::free(resolved);
            }
        }
        const std::size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        std::string temporary = folder + "/." + name + ".XXXXXX";
        if (temporary.size() >= sizeof gTemporary)
            throw IoError{"cannot write '" + path_ + "': the path is too long"};
        std::vector<char> pattern(temporary.begin(), temporary.end());
        pattern.push_back('\0');
        fd_ = mkstemp(pattern.data());
        if (fd_ < 0)
            throw IoError{"cannot write '" + path_ + "': " + std::strerror(errno)};
        temporary_ = pattern.data();
        final_ = target;
        std::memcpy(gTemporary, temporary_.c_str(), temporary_.size() + 1);
        // The new file gets the mode the old one had, or that of a new file.
        mode_t mode;
        if (exists) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        fchmod(fd_, mode);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() { discard(); }

    void write(const std::string& data) {
        const char* p = data.data();
        std::size_t left = data.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw IoError{"cannot write " + where() + ": " + std::strerror(errno),
                              errno == EPIPE};
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }

    // Makes the output final: the temporary file takes the output's name.
    void commit() {
        if (temporary_.empty())
            return;
        if (close(fd_) != 0) {
            fd_ = -1;
            throw IoError{"cannot write " + where() + ": " + std::strerror(errno)};
        }
        fd_ = -1;
        if (rename(temporary_.c_str(), final_.c_str()) != 0)
            throw IoError{"cannot write " + where() + ": " + std::strerror(errno)};
        temporary_.clear();
        gTemporary[0] = '\0';
    }

    // A failed run: the temporary file goes, the output's old file stays.
    void discard() {
        if (temporary_.empty())
            return;
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
        unlink(temporary_.c_str());
        temporary_.clear();
        gTemporary[0] = '\0';
    }

private:
    std::string where() const { return path_ == "-" ? "standard output" : "'" + path_ + "'"; }

    std::string path_;
    std::string final_;      // the file the temporary one replaces
    std::string temporary_;
    int fd_ = STDOUT_FILENO;
};

// ---------------------------------------------------------------------------
// The input

class Input {
public:
    explicit Input(const std::string& path) : path_(path) {
        if (path_ != "-") {
            fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd_ < 0)
                throw IoError{"cannot read " + describe(path_) + ": " + std::strerror(errno)};
        }
        struct stat info{};
        if (fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
            size_ = static_cast<std::uint64_t>(info.st_size);
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input() {
        if (fd_ != STDIN_FILENO)
            close(fd_);
    }

    std::size_t read(char* data, std::size_t size) {
        for (;;) {
            const ssize_t n = ::read(fd_, data, size);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                throw IoError{"cannot read " + describe(path_) + ": " + std::strerror(errno)};
        }
    }

    // The input's size in bytes where it is known (a regular file).
    std::optional<std::uint64_t> size() const { return size_; }

private:
    std::string path_;
    int fd_ = STDIN_FILENO;
    std::optional<std::uint64_t> size_;
};

// ---------------------------------------------------------------------------
// The pipeline

struct Block {
    Cells cells;
    std::size_t rows = 0;
    std::string out;
    Tally tally;
    bool done = false;
};

struct Options {
    std::string input = "-";
    std::string output = "-";
    std::vector<std::string> sets;
    unsigned jobs = 0;
    std::string format = "shortest";
    bool quiet = false;
};

class Run {
public:
    Run(const Options& options, const Layout& layout, CsvReader& reader, Output& output,
        std::optional<std::uint64_t> inputSize)
        : options_(options), layout_(layout), reader_(reader), output_(output),
          inputSize_(inputSize), blocks_(4 * options.jobs + 4) {
        notation_ = options.format == "window" ? Notation::Window : Notation::Shortest;
        for (Block& block : blocks_)
            free_.push_back(&block);
    }

    // Computes and writes every row; returns the tally. Throws CsvError or
    // IoError after the rows before the fault are written.
    Tally operator()() {
        start_ = Clock::now();
        std::thread readerThread([this] { readBlocks(); });
        std::vector<std::thread> workers;
        for (unsigned j = 1; j < options_.jobs; ++j)
            workers.emplace_back([this] { computeBlocks(); });
        std::exception_ptr writeFault;
        try {
            writeBlocks();
        } catch (...) {
            writeFault = std::current_exception();
        }
        stop();
        readerThread.join();
        for (std::thread& worker : workers)
            worker.join();
        endProgress();
        if (writeFault)
            std::rethrow_exception(writeFault);
        if (readFault_)
            std::rethrow_exception(readFault_);
        return tally_;
    }

private:
    void stop() {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }

    void readBlocks() {
        for (;;) {
            Block* block = nullptr;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return stopping_ || !free_.empty(); });
                if (stopping_)
                    break;
                block = free_.back();
                free_.pop_back();
            }
            block->cells.clear();
            block->rows = 0;
            bool end = false;
            try {
                while (block->rows < kBlockRows && block->cells.text.size() < kBlockBytes) {
                    const std::size_t before = block->cells.size();
                    const std::size_t textBefore = block->cells.text.size();
                    const std::size_t count = reader_.read(block->cells);
                    if (count == 0) {
                        end = true;
                        break;
                    }
                    if (count != layout_.columns) {
                        block->cells.ends.resize(before);
                        block->cells.text.resize(textBefore);
                        throw CsvError(reader_.recordLine(),
                                       "the row has " + std::to_string(count) +
                                           " cells, the header " + std::to_string(layout_.columns));
                    }
                    ++block->rows;
                }
            } catch (...) {
                readFault_ = std::current_exception();
                end = true;
            }
            bytesRead_.store(reader_.bytesRead(), std::memory_order_relaxed);
            std::lock_guard lock(mutex_);
            if (block->rows > 0) {
                block->done = false;
                work_.push_back(block);
                order_.push_back(block);
            } else {
                free_.push_back(block);
            }
            if (end)
                readingDone_ = true;
            changed_.notify_all();
            if (end)
                break;
        }
    }

    void computeAndMarkDone(Block& block) {
        block.out.clear();
        block.tally = {};
        for (std::size_t row = 0; row < block.rows; ++row)
            appendRow(block.out, layout_, block.cells, row * layout_.columns, notation_,
                      block.tally);
        std::lock_guard lock(mutex_);
        block.done = true;
        changed_.notify_all();
    }

    void computeBlocks() {
        for (;;) {
            Block* block = nullptr;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return stopping_ || !work_.empty() || readingDone_; });
                if (stopping_ || work_.empty())
                    return;
                block = work_.front();
                work_.pop_front();
            }
            computeAndMarkDone(*block);
        }
    }

    // The main thread is one of the computing threads: it writes the next
    // block in order as soon as it is done, and computes one while it waits.
    void writeBlocks() {
        for (;;) {
            Block* block = nullptr;
            bool write = false;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] {
                    return (!order_.empty() && order_.front()->done) || !work_.empty() ||
                           (order_.empty() && readingDone_);
                });
                if (!order_.empty() && order_.front()->done) {
                    block = order_.front();
                    order_.pop_front();
                    write = true;
                } else if (!work_.empty()) {
                    block = work_.front();
                    work_.pop_front();
                } else {
                    return;  // everything read is written
                }
            }
            if (!write) {
                computeAndMarkDone(*block);
                continue;
            }
            output_.write(block->out);
            tally_.add(block->tally);
            {
                std::lock_guard lock(mutex_);
                free_.push_back(block);
                changed_.notify_all();
            }
            showProgress();
        }
    }

    // A line on the terminal: how far, how fast, how long still.
    void showProgress() {
        if (options_.quiet || !inputSize_ || *inputSize_ == 0 || !isatty(STDERR_FILENO))
            return;
        const auto now = Clock::now();
        if (now - lastProgress_ < std::chrono::milliseconds(200))
            return;
        lastProgress_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double fraction =
            std::min(1.0, static_cast<double>(bytesRead_.load(std::memory_order_relaxed)) /
                              static_cast<double>(*inputSize_));
        const double rate = seconds > 0.0 ? static_cast<double>(tally_.rows) / seconds : 0.0;
        const double left = fraction > 0.0 ? seconds * (1.0 - fraction) / fraction : 0.0;
        std::fprintf(stderr, "\r%s: %3.0f %%, %.0f rows/s, %.0f s left   ", kProgram,
                     100.0 * fraction, rate, left);
        progressShown_ = true;
    }

    void endProgress() {
        if (progressShown_)
            std::fputs("\r\033[K", stderr);
    }

    const Options& options_;
    const Layout& layout_;
    CsvReader& reader_;
    Output& output_;
    std::optional<std::uint64_t> inputSize_;
    Notation notation_;

    std::vector<Block> blocks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Block*> free_;
    std::deque<Block*> work_;   // read, not yet computed
    std::deque<Block*> order_;  // read, not yet written, in input order
    bool readingDone_ = false;
    bool stopping_ = false;
    std::exception_ptr readFault_;
    std::atomic<std::uint64_t> bytesRead_{0};

    Tally tally_;
    Clock::time_point start_;
    Clock::time_point lastProgress_;
    bool progressShown_ = false;
};

std::string summary(const Tally& tally, double seconds) {
    std::string text = std::to_string(tally.rows) + (tally.rows == 1 ? " row, " : " rows, ") +
                       std::to_string(tally.status[0]) + " balanced";
    if (tally.errors() > 0) {
        text += ", " + std::to_string(tally.errors()) +
                (tally.errors() == 1 ? " error (" : " errors (");
        std::string kinds;
        auto kind = [&](std::uint64_t count, std::string_view name) {
            if (count == 0)
                return;
            kinds += (kinds.empty() ? "" : ", ") + std::to_string(count) + " " + std::string(name);
        };
        kind(tally.unreadable, "unreadable");
        for (std::size_t s = 1; s < tally.status.size(); ++s)
            kind(tally.status[s], calculator::statusName(static_cast<calculator::RowStatus>(s)));
        text += kinds + ")";
    }
    char time[64];
    std::snprintf(time, sizeof time, " in %.3f s", seconds);
    return text + time;
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

int run(const Options& options) {
    std::array<std::optional<double>, 10> sets{};
    for (const std::string& assignment : options.sets) {
        const auto [i, value] = parseSet(assignment);
        sets[i] = value;
    }
    const auto started = Clock::now();
    Input input(options.input);
    Output output(options.output);
    CsvReader reader([&](char* data, std::size_t size) { return input.read(data, size); });

    Cells header;
    if (reader.read(header) == 0)
        throw CsvError(1, "the table is empty: a header row is needed");
    const Layout layout = makeLayout(header, sets);
    if (!options.quiet) {
        if (!layout.defaulted.empty())
            say("no column for " + std::to_string(layout.defaulted.size()) +
                " input(s); using the window's defaults " + joined(layout.defaulted));
        if (!layout.unusedSets.empty())
            say("--set ignored for " + joined(layout.unusedSets) + ": the table has that column");
    }
    std::string head;
    appendHeader(head, header);
    output.write(head);

    Run pipeline(options, layout, reader, output, input.size());
    const Tally tally = pipeline();
    output.commit();
    if (!options.quiet)
        say(summary(tally, std::chrono::duration<double>(Clock::now() - started).count()));
    return tally.errors() > 0 ? kErrorRows : kAllBalanced;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Computes the surface heat balance of every row of a CSV table.\n\n"
        "Reads INPUT (standard input when it is - or missing), finds the columns\n"
        "Ta, rh, u, pa, albedo, ch, beta, Rs, Ld, G by name, and writes the table with\n"
        "the results ea, qa, Rsu, Ts, Lu, H, lE, es, qs, Rn, bowen, evap and error.\n\n"
        "Exit status: 0 every row balanced, 1 some rows are error rows, 2 a usage\n"
        "error, a malformed table, or an input or output failure. See terravel-batch(1).\n",
        kProgram};
    Options options;
    app.add_option("INPUT", options.input, "CSV table to read (- for standard input)");
    app.add_option("-o,--output", options.output,
                   "write the table to FILE instead of standard output")
        ->type_name("FILE");
    app.add_option("--set", options.sets,
                   "constant for an input the table has no column for (repeatable)")
        ->type_name("NAME=VALUE");
    options.jobs = std::max(1U, std::thread::hardware_concurrency());
    app.add_option("-j,--jobs", options.jobs, "threads that compute rows (default: one per core)")
        ->check(CLI::Range(1U, 1024U));
    app.add_option("--format", options.format,
                   "results as the shortest text that reads back to the same number "
                   "(shortest), or with the window's decimals (window)")
        ->check(CLI::IsMember({"shortest", "window"}));
    app.add_flag("-q,--quiet", options.quiet, "no summary, progress or notes on standard error");
    app.set_version_flag("--version", std::string(kProgram) + " " TERRAVEL_VERSION);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : kFailure;
    }

    // A closed pipe shows as a failed write, not as a signal.
    signal(SIGPIPE, SIG_IGN);
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        signal(s, removeTemporaryAndDie);
    try {
        return run(options);
    } catch (const UsageError& error) {
        say(error.what());
    } catch (const CsvError& error) {
        say(describe(options.input) + ", " + error.what());
    } catch (const IoError& error) {
        if (!error.quiet)
            say(error.message);
    } catch (const std::exception& error) {
        say(error.what());
    }
    return kFailure;
}
