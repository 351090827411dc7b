#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pdf/pdf_document.h"
#include "pdf/pdf_security.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

TEST(Security, PermissionValues) {
    EXPECT_EQ(PermissionValue({}, false), -64);
    EXPECT_EQ(PermissionValue({}, true), -3904);
    EXPECT_EQ(PermissionValue({true, true, true, true, true, true, true, true}, false), -4);
    EXPECT_EQ(PermissionValue({true, true, true, true, true, true, true, true}, true), -4);
    // Print in high quality is a revision 3 bit only.
    EXPECT_EQ(PermissionValue({.Print = true, .PrintHigh = true}, false), -60);
    EXPECT_EQ(PermissionValue({.Print = true, .PrintHigh = true}, true), -3904 + 4 + 2048);
}

// Files written one after another under one name, as fast as they can be, each get their own
// identifier and so their own key: no two share an RC4 keystream for the same object.
TEST(Security, EveryFileGetsItsOwnIdentifierAndKey) {
    test::TTempDir dir;
    std::set<std::string> identifiers, userEntries, titles;
    constexpr int Files = 100;
    for (int i = 0; i < Files; ++i) {
        TPDFDocument document;
        document.SetFileName(dir.File("same.pdf"));
        document.SetProtectionEnabled(true);
        document.SetProtectionKeyLength(TPDFKeyLength::kl128);
        document.BeginDoc();
        document.EndDoc();
        const std::string bytes = test::ReadFileBytes(dir.File("same.pdf"));
        identifiers.insert(document.FileID());
        const size_t u = bytes.find("/U (");
        const size_t title = bytes.find("/Title (");
        ASSERT_NE(u, std::string::npos);
        ASSERT_NE(title, std::string::npos);
        userEntries.insert(bytes.substr(u, bytes.find("\r\n", u) - u));
        titles.insert(bytes.substr(title, bytes.find("\r\n", title) - title));
    }
    EXPECT_EQ(identifiers.size(), size_t(Files));
    EXPECT_EQ(userEntries.size(), size_t(Files));
    // The same title in the same object is encrypted differently in every file.
    EXPECT_EQ(titles.size(), size_t(Files));
}

struct TProtectedCase {
    TPDFKeyLength KeyLength;
    std::string Owner;
    std::string User;
    TPDFCtiptoOptions Options;
    const char* Revision;
    const char* P;
    const char* Allowed;  // what qpdf's JSON view says the permissions allow
};

class SecurityTest : public ::testing::TestWithParam<TProtectedCase> {
protected:
    std::string Write(const TProtectedCase& c) {
        const std::string file = Dir_.File("protected.pdf");
        TPDFDocument document;
        document.SetFileName(file);
        document.SetProtectionEnabled(true);
        document.SetProtectionKeyLength(c.KeyLength);
        document.SetOwnerPassword(c.Owner);
        document.SetUserPassword(c.User);
        document.SetProtectionOptions(c.Options);
        document.SetCompression(TCompressionType::ctFlate);
        TPDFDocInfo info;
        info.SetTitle("Temperature (history) \\ report");
        document.SetDocumentInfo(info);
        document.BeginDoc();
        document.CurrentPage()->SetActiveFont("Helvetica", 0, 12);
        document.CurrentPage()->TextOut("Logger 42 history", 100, 100);
        document.EndDoc();
        return file;
    }
    test::TTempDir Dir_;
};

TEST_P(SecurityTest, QpdfAndPopplerOpenWithTheRightPasswordsOnly) {
    const TProtectedCase& c = GetParam();
    const std::string file = Write(c);
    // The user password opens the file; with none given, the owner password stands in.
    const std::string owner = c.Owner.empty() ? c.User : c.Owner;
    const auto shown = test::RunCommand("qpdf --show-encryption --password='" + owner + "' " + file);
    EXPECT_NE(shown.Output.find(std::string("R = ") + c.Revision), std::string::npos) << shown.Output;
    EXPECT_NE(shown.Output.find(std::string("P = ") + c.P), std::string::npos) << shown.Output;
    EXPECT_NE(shown.Output.find("Supplied password is owner password"), std::string::npos) << shown.Output;
    if (!c.User.empty()) {
        const auto user = test::RunCommand("qpdf --show-encryption --password='" + c.User + "' " + file);
        EXPECT_NE(user.Output.find("Supplied password is user password"), std::string::npos) << user.Output;
        const auto none = test::RunCommand("qpdf --check " + file);
        EXPECT_NE(none.ExitCode, 0) << none.Output;
        for (const std::string& refused : {"pdftotext -upw wrong " + file + " -", "pdftotext -opw wrong " + file + " -",
                                           "qpdf --decrypt --password=wrong " + file + " " + Dir_.File("no.pdf")}) {
            const auto wrong = test::RunCommand(refused);
            EXPECT_NE(wrong.ExitCode, 0) << refused << wrong.Output;
        }
    }
    const auto allowed = test::RunPython(R"(
import json, subprocess, sys
out = subprocess.run(['qpdf', '--json=2', '--json-key=encrypt', '--password=' + sys.argv[2], sys.argv[1]],
                     capture_output=True, check=True).stdout
capabilities = json.loads(out)['encrypt']['capabilities']
print(' '.join(sorted(k for k, v in capabilities.items() if v)))
)",
                                         file + " '" + owner + "'");
    EXPECT_EQ(allowed.Output, std::string(c.Allowed) + "\n");
    const auto decrypted =
        test::RunCommand("qpdf --decrypt --password='" + owner + "' " + file + " " + Dir_.File("plain.pdf"));
    EXPECT_EQ(decrypted.ExitCode, 0) << decrypted.Output;
    const auto info = test::RunCommand("pdfinfo " + Dir_.File("plain.pdf"));
    EXPECT_NE(info.Output.find("Temperature (history) \\ report"), std::string::npos) << info.Output;
    for (const std::string& flag : {"-upw '" + c.User + "'", "-opw '" + owner + "'"}) {
        const auto text = test::RunCommand("pdftotext " + flag + " " + file + " -");
        EXPECT_EQ(text.ExitCode, 0) << flag << text.Output;
        EXPECT_NE(text.Output.find("Logger 42 history"), std::string::npos) << flag << text.Output;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SecurityTest,
    ::testing::Values(
        TProtectedCase{TPDFKeyLength::kl40, "", "", {}, "2", "-64", ""},
        TProtectedCase{
            TPDFKeyLength::kl40, "boss", "clerk", {TPDFCriptoOption::coPrint}, "2", "-60", "printhigh printlow"},
        TProtectedCase{TPDFKeyLength::kl128,
                       "",
                       "secret",
                       {TPDFCriptoOption::coPrintHi, TPDFCriptoOption::coCopyInformation},
                       "3",
                       "-1840",
                       "extract"},
        TProtectedCase{TPDFKeyLength::kl128, "owner(1)", "", {}, "3", "-3904", ""},
        TProtectedCase{TPDFKeyLength::kl128,
                       "a very long owner password beyond thirty-two bytes",
                       "u",
                       {TPDFCriptoOption::coAssemble},
                       "3",
                       "-2880",
                       "modifyassembly"}));

}  // namespace
}  // namespace pdf
