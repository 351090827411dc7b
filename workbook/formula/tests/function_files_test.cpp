// function_files.txt says which file evaluates each function of function_table.txt; it must
// list every function of the table, and each file it names must hold the function's case.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace xls {
namespace {

const std::filesystem::path Folder = std::filesystem::path(OMBRIX_SOURCE_DIR) / "workbook" / "formula";

// The lines of a table file but comments and blank lines, split at blanks.
std::vector<std::vector<std::string>> ReadRows(const std::string& name) {
    std::ifstream file(Folder / name);
    EXPECT_TRUE(file) << name;
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::vector<std::string> row;
        for (std::string field; fields >> field;) row.push_back(field);
        if (!row.empty() && row[0][0] != '#') rows.push_back(row);
    }
    return rows;
}

// The names declared as "fnName = number" in a source text.
std::vector<std::string> ConstantsOf(const std::string& text, const std::string& number) {
    std::vector<std::string> names;
    const auto isName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (size_t at = text.find("fn"); at != std::string::npos; at = text.find("fn", at + 2)) {
        if (at > 0 && isName(text[at - 1])) continue;
        size_t p = at;
        while (p < text.size() && isName(text[p])) ++p;
        const std::string name = text.substr(at, p - at);
        while (p < text.size() && text[p] == ' ') ++p;
        if (p >= text.size() || text[p] != '=') continue;
        ++p;
        while (p < text.size() && text[p] == ' ') ++p;
        if (text.compare(p, number.size(), number) == 0 &&
            (p + number.size() == text.size() || !isName(text[p + number.size()])))
            names.push_back(name);
    }
    return names;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(FunctionFiles, EveryFunctionOfTheTableIsListedWithTheFileThatEvaluatesIt) {
    const auto functions = ReadRows("function_table.txt");
    const auto files = ReadRows("function_files.txt");
    ASSERT_EQ(files.size(), functions.size());
    int evaluated = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::vector<std::string>& row = files[i];
        ASSERT_EQ(row.size(), 3u) << "function_files.txt row " << i;
        EXPECT_EQ(row[0], functions[i][0]) << "row " << i;
        EXPECT_EQ(row[1], functions[i][1]) << "row " << i;
        if (row[2] == "-") continue;
        ++evaluated;
        const std::filesystem::path source = Folder / row[2];
        ASSERT_TRUE(std::filesystem::is_regular_file(source)) << row[1] << ": " << row[2];
        // The file names the number (fnName = number) and switches on that name.
        const std::string text = ReadText(source);
        bool found = false;
        for (const std::string& name : ConstantsOf(text, row[0]))
            found = found || text.find("case " + name + ":") != std::string::npos;
        EXPECT_TRUE(found) << row[1] << " (" << row[0] << ") has no case in " << row[2];
    }
    EXPECT_GT(evaluated, 300);
}

}  // namespace
}  // namespace xls
