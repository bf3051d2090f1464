// The fuzzer's window model and its checks: the seed corpus replayed, and the
// model itself held to the window's known behaviour, since the fuzzer's
// checks are only as good as the model they run on.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "heat_balance.h"
#include "window_model.h"

namespace {

using fuzzing::WindowModel;

// ---------------------------------------------------------------------------
// Seed corpus: every file plays without a violated check.

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TERRAVEL_FUZZ_CORPUS))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class Corpus : public testing::TestWithParam<std::filesystem::path> {};

TEST_P(Corpus, PlaysWithoutViolation) {
    std::ifstream file(GetParam(), std::ios::binary);
    ASSERT_TRUE(file) << GetParam();
    const std::string data{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(fuzzing::play(data), "");
}

INSTANTIATE_TEST_SUITE_P(Seeds, Corpus, testing::ValuesIn(corpusFiles()),
                         [](const testing::TestParamInfo<std::filesystem::path>& seed) {
                             std::string name = seed.param.filename().string();
                             std::replace_if(name.begin(), name.end(),
                                             [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

// ---------------------------------------------------------------------------
// The model against the window's behaviour with the default inputs.

// Indices into calculator::kInputs.
enum : std::size_t { kTa = 0, kRh = 1, kU = 2, kPa = 3, kAlbedo = 4, kCh = 5, kBeta = 6 };

void typeKeys(WindowModel& window, std::size_t input, const std::string& keys) {
    std::string text;
    window.type(input, text);
    for (char key : keys)
        window.type(input, text += key);
}

TEST(WindowModel, CreationShowsDefaultsAndHidesEveryResult) {
    const WindowModel window;
    const std::pair<std::size_t, const char*> inputs[] = {
        {1, "15.0"}, {2, "60.0"},   {3, "2.0"},    {4, "1033.2"}, {7, "0.10"},
        {8, "0.00100"}, {9, "0.20"}, {13, "300.0"}, {14, "300.0"}, {20, "50.0"}};
    for (const auto& [edit, text] : inputs)
        EXPECT_EQ(window.texts()[edit], text) << "Edit" << edit;
    for (int edit : {5, 6, 10, 11, 12, 15, 16, 17, 18, 19, 21, 22, 23, 24, 25, 26})
        EXPECT_EQ(window.texts()[static_cast<std::size_t>(edit)], "***") << "Edit" << edit;
    EXPECT_EQ(window.work().pa, 1033.2);
    EXPECT_EQ(window.work().ch, 0.001);
}

TEST(WindowModel, CalculateWithDefaultsShowsTheWorkedExample) {
    WindowModel window;
    window.calculate();
    const std::pair<int, const char*> shown[] = {
        {1, "15.0"},  {2, "60.0"},    {3, "2.0"},    {4, "1033.2"}, {5, "10.2"},
        {6, "0.0062"}, {7, "0.10"},   {8, "0.00100"}, {9, "0.20"},   {10, "28.0"},
        {11, "37.9"}, {12, "0.0231"}, {13, "300.0"}, {14, "300.0"}, {15, "30.0"},
        {16, "466.6"}, {17, "103.4"}, {18, "32.6"},  {19, "20.8"},  {20, "50.0"},
        {21, "1.571"}, {26, "0.73"},  {22, "103.4"}, {23, "32.6"},  {24, "20.8"},
        {25, "50.0"},
    };
    for (const auto& [edit, text] : shown)
        EXPECT_EQ(window.texts()[static_cast<std::size_t>(edit)], text) << "Edit" << edit;
}

// Rewritten input fields feed their rounded texts back, unless the text did
// not change or its number fails the field's check.
TEST(WindowModel, WrittenTextsFeedBackIntoTheInputs) {
    struct Row {
        const char* name;
        void (*act)(WindowModel&);
        int edit;
        const char* text;
        double expected;
        double calculator::WorkValues::*value;
    };
    using W = calculator::WorkValues;
    const Row rows[] = {
        {"humidity typed as 150 keeps 15 and shows it after calculate",
         [](WindowModel& w) { typeKeys(w, kRh, "150"); w.calculate(); }, 2, "15.0", 15.0, &W::rh},
        {"transfer coefficient rounded by calculate",
         [](WindowModel& w) { w.type(kCh, "0.0012345"); w.calculate(); }, 8, "0.00123", 0.00123, &W::ch},
        {"albedo restored once takes its shown value",
         [](WindowModel& w) { w.type(kAlbedo, "0.123"); w.memory(); w.restore(); }, 7, "0.12", 0.12, &W::albedo},
        {"albedo restored twice keeps the remembered value",
         [](WindowModel& w) { w.type(kAlbedo, "0.123"); w.memory(); w.restore(); w.restore(); w.calculate(); },
         7, "0.12", 0.123, &W::albedo},
        {"pressure shown as 0.0 fails its check and stays",
         [](WindowModel& w) { w.type(kPa, "0.04"); w.memory(); w.restore(); }, 4, "0.0", 0.04, &W::pa},
        {"refused wind velocity replaced by the working value",
         [](WindowModel& w) { w.type(kU, "-5"); w.calculate(); }, 3, "2.0", 2.0, &W::u},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowModel window;
        row.act(window);
        EXPECT_EQ(window.texts()[static_cast<std::size_t>(row.edit)], row.text);
        EXPECT_EQ(window.work().*row.value, row.expected);
    }
}

TEST(WindowModel, SecondCalculateComputesFromTheRoundedInput) {
    WindowModel window;
    window.type(kCh, "0.0012345");
    window.calculate();
    EXPECT_EQ(window.texts()[16], "459.7");
    EXPECT_EQ(window.texts()[18], "36.9");
    window.calculate();
    EXPECT_EQ(window.texts()[12], "0.0217");
    EXPECT_EQ(window.texts()[16], "459.8");
    EXPECT_EQ(window.texts()[17], "110.2");
    EXPECT_EQ(window.texts()[18], "36.8");
}

TEST(WindowModel, FailedCalculateWritesNoField) {
    WindowModel window;
    window.type(kTa, "-237.3");
    const fuzzing::FieldTexts before = window.texts();
    EXPECT_THROW(window.calculate(), physics::FloatingPointError);
    EXPECT_EQ(window.texts(), before);
}

}  // namespace
