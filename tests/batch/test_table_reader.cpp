// The batch program's table reader, strict cell reading, and row output.
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "table_reader.h"
#include "row.h"
#include "table.h"

using namespace batch;

namespace {

// Hands the text out `step` bytes at a time, so records straddle chunks.
CsvSource sourceOf(const std::string& text, std::size_t step) {
    auto pos = std::make_shared<std::size_t>(0);
    return [text, step, pos](char* data, std::size_t size) {
        const std::size_t n = std::min({step, size, text.size() - *pos});
        std::memcpy(data, text.data() + *pos, n);
        *pos += n;
        return n;
    };
}

using Records = std::vector<std::vector<std::string>>;

Records readAll(const std::string& text, std::size_t step, std::size_t chunk = 16,
                std::vector<std::uint64_t>* lines = nullptr) {
    CsvReader reader(sourceOf(text, step), chunk);
    Records records;
    Cells cells;
    while (std::size_t n = reader.read(cells)) {
        std::vector<std::string> record;
        for (std::size_t i = cells.size() - n; i < cells.size(); ++i)
            record.emplace_back(cells[i]);
        records.push_back(record);
        if (lines)
            lines->push_back(reader.recordLine());
    }
    return records;
}

TEST(CsvReader, ReadsRfc4180RecordsWhateverTheChunking) {
    struct Case {
        const char* name;
        std::string text;
        Records records;
    } const cases[] = {
        {"plain, no final line end", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"CRLF line ends", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
        {"byte-order mark", "\xEF\xBB\xBFTa,rh\n1,2\n", {{"Ta", "rh"}, {"1", "2"}}},
        {"quoted comma, doubled quote, line break",
         "name,note\n\"Lindenberg, DE\",\"say \"\"hi\"\"\nthen go\"\n",
         {{"name", "note"}, {"Lindenberg, DE", "say \"hi\"\nthen go"}}},
        {"empty cells and a trailing comma", ",x,\n\"\",,\n", {{"", "x", ""}, {"", "", ""}}},
        {"blank lines skipped", "a\n\n\r\n1\n\n", {{"a"}, {"1"}}},
        {"quote inside an unquoted cell is text", "a,b\n5'10\",x\n", {{"a", "b"}, {"5'10\"", "x"}}},
        {"lone CR ends a line", "a\r1\r", {{"a"}, {"1"}}},
        {"partial byte-order mark is text", "\xEF\xBB,x\n", {{"\xEF\xBB", "x"}}},
        {"empty input", "", {}},
    };
    for (const Case& c : cases)
        for (const std::size_t step : {std::size_t{1}, std::size_t{3}, std::size_t{1000}}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(step) + " bytes a read");
            EXPECT_EQ(readAll(c.text, step), c.records);
        }
}

TEST(CsvReader, CountsLinesOfRecordsAcrossQuotedLineBreaks) {
    std::vector<std::uint64_t> lines;
    readAll("h\n\"a\nb\"\n\nc\r\nd\n", 2, 16, &lines);
    EXPECT_EQ(lines, (std::vector<std::uint64_t>{1, 2, 5, 6}));
}

TEST(CsvReader, MalformedTablesNameTheLine) {
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    } const cases[] = {
        {"quote never closed", "a,b\n1,\"2\n3,4\n", "line 2: a quoted cell is never closed"},
        {"text after a closing quote", "a,b\n1,2\n\"x\"y,3\n",
         "line 3: text after the closing quote of a cell"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            readAll(c.text, 5);
            ADD_FAILURE() << "no error";
        } catch (const CsvError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

TEST(CsvWriter, QuotesOnlyWhatNeedsItAndReadsBack) {
    const std::vector<std::string> cells{"plain", "", "a,b", "say \"x\"", "two\nlines", "\"",
                                         " blank ", "cr\r", "\xEF\xBB\xBFmark"};
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        appendCell(line, cells[i]);
        line += i + 1 < cells.size() ? "," : "\n";
    }
    EXPECT_EQ(line.substr(0, 15), "plain,,\"a,b\",\"s");
    EXPECT_EQ(readAll(line, 7), Records{cells});
    // First in a table, a cell that starts like a byte-order mark keeps it.
    std::string first;
    appendCell(first, "\xEF\xBB\xBFmark");
    EXPECT_EQ(readAll(first + ",x\n", 2), (Records{{"\xEF\xBB\xBFmark", "x"}}));
}

TEST(ReadCell, AcceptsOnlyWholeFiniteDecimalNumbers) {
    struct Case {
        const char* cell;
        std::optional<double> value;
        const char* message;  // for a refused cell
    } const cases[] = {
        {"12", 12.0, nullptr},
        {" -0.5\t", -0.5, nullptr},
        {"+3", 3.0, nullptr},
        {"1e-3", 0.001, nullptr},
        {".5", 0.5, nullptr},
        {"1033.2", 1033.2, nullptr},
        {"", std::nullopt, "Ta is empty"},
        {"  ", std::nullopt, "Ta is empty"},
        {"NA", std::nullopt, "Ta = \"NA\" is not a number"},
        {"12x", std::nullopt, "Ta = \"12x\" is not a number"},
        {"12,5", std::nullopt, "Ta = \"12,5\" is not a number"},
        {"1 2", std::nullopt, "Ta = \"1 2\" is not a number"},
        {"0x10", std::nullopt, "Ta = \"0x10\" is not a number"},
        {"+-1", std::nullopt, "Ta = \"+-1\" is not a number"},
        {"nan", std::nullopt, "Ta = \"nan\" is not a finite number"},
        {"-inf", std::nullopt, "Ta = \"-inf\" is not a finite number"},
        {"1e999", std::nullopt, "Ta = \"1e999\" is not a finite number"},
        {"-1e-400", -0.0, nullptr},          // rounds to a zero, as in the window
        {"2e-320", 2e-320, nullptr},         // a subnormal
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("cell \"") + c.cell + "\"");
        EXPECT_EQ(readCell(c.cell), c.value);
        if (c.message) {
            EXPECT_EQ(unreadableMessage("Ta", c.cell), c.message);
        }
    }
}

TEST(SetOption, ParsesKnownNamesAndRefusesTheRest) {
    EXPECT_EQ(parseSet("pa=900"), (std::pair<std::size_t, double>{3, 900.0}));
    EXPECT_EQ(parseSet("G=-20.5"), (std::pair<std::size_t, double>{9, -20.5}));
    const char* refused[][2] = {
        {"TA=1", "expected NAME=VALUE"},
        {"Ta", "expected NAME=VALUE"},
        {"rh=wet", "rh = \"wet\" is not a number"},
        {"rh=150", "rh = 150 is outside 0 to 100"},
        {"pa=0", "pa = 0 is not above 0"},
    };
    for (const auto& [assignment, fragment] : refused) {
        SCOPED_TRACE(assignment);
        try {
            parseSet(assignment);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
        }
    }
}

Cells cellsOf(const std::vector<std::string>& texts) {
    Cells cells;
    for (const std::string& text : texts) {
        cells.text += text;
        cells.ends.push_back(cells.text.size());
    }
    return cells;
}

// The results a row writes read back to the row engine's bits, which are the
// calculate command's (the row engine's own tests hold that).
TEST(Rows, ResultsReadBackToTheEnginesBits) {
    const Cells header = cellsOf({"station", "u", "Ta", "rh", "Rs"});
    const Layout layout = makeLayout(header, {});
    EXPECT_EQ(layout.defaulted.size(), 6U);
    const std::vector<std::vector<std::string>> rows{
        {"x", "2", "15", "60", "300"},           // the window's defaults
        {"y", "0.5", "-3.25", "95", "12.5"},
        {"z", "7", "31", "20", "1000"},
    };
    for (const auto& row : rows) {
        std::string out;
        Tally tally;
        appendRow(out, layout, cellsOf(row), 0, Notation::Shortest, tally);
        ASSERT_EQ(tally.status[0], 1U) << out;
        calculator::RowInputs in = layout.constants;
        in[1] = std::stod(row[3]);
        in[0] = std::stod(row[2]);
        in[2] = std::stod(row[1]);
        in[7] = std::stod(row[4]);
        calculator::RowResults expected{};
        calculator::computeRow(in, expected);

        const Records written = readAll(out, 64, 1 << 16);
        ASSERT_EQ(written.size(), 1U);
        ASSERT_EQ(written[0].size(), 5U + 12U + 1U);
        for (std::size_t r = 0; r < 12; ++r) {
            const std::string& text = written[0][5 + r];
            double value = 0.0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            EXPECT_EQ(std::memcmp(&value, &expected[r], sizeof value), 0)
                << calculator::kResultNames[r] << " = " << text;
        }
        EXPECT_EQ(written[0].back(), "");
    }
    std::string out;
    Tally tally;
    appendRow(out, layout, cellsOf(rows[0]), 0, Notation::Window, tally);
    // The texts the window shows after calculate with its defaults.
    EXPECT_EQ(out, "x,2,15,60,300,10.2,0.0062,30.0,28.0,466.6,32.6,20.8,37.9,0.0231,"
                   "103.4,1.571,0.73,\n");
}

}  // namespace
