// Encrypted workbooks: written, read back, and checked against python3-msoffcrypto-tool (which
// decrypts them), xlrd (which reads what it decrypted) and Spreadsheet::ParseExcel (which opens
// files encrypted with the default password).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/biff/xls_crypt.h"

namespace xls {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;
using platform::testing::WriteFileBytes;

const std::u16string UserPassword = u"Geheim-密码";

std::string Script(const std::string& name) { return std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/" + name; }

std::string Checked(const std::string& command) {
    const auto result = RunCommand(command);
    EXPECT_EQ(result.ExitCode, 0) << command << "\n" << result.Output;
    return result.Output;
}

std::string XlrdDump(const std::string& path) {
    return Checked("/usr/bin/python3 " + ShellQuote(Script("xlrd_dump.py")) + " " + ShellQuote(path));
}

std::string Decrypt(const std::string& path, const std::u16string& password, const std::string& out) {
    return Checked("/usr/bin/msoffcrypto-tool -p " + ShellQuote(base::Utf16ToUtf8(password)) + " " + ShellQuote(path) +
                   " " + ShellQuote(out));
}

// Enough cells and strings that the stream runs over many 1024-byte blocks of the keystream.
void FillBook(test::TBIFFTestWorkbook& book) {
    TXLSCellMMU& cells = book.Cells();
    for (int row = 0; row < 300; ++row) {
        cells.StoreFloat(0, row, 0, row * 1.25);
        cells.StoreString(1, row, 0, u"文本 " + std::u16string(static_cast<size_t>(row % 40), u'x'));
    }
    book.AddSheet(u"Second");
    book.Cells(1).StoreString(2, 3, 0, u"on the second sheet");
}

std::vector<uint8_t> SaveWith(const std::u16string& password) {
    test::TBIFFTestWorkbook book;
    FillBook(book);
    book.Document->SetPassword(password);
    return test::SaveBytes(*book.Document);
}

// The error number a read of file reports, 0 when it opens.
int ReadError(const std::vector<uint8_t>& file, const std::u16string& password, test::TBIFFReadBook& read) {
    int reported = 0;
    read.Errors.SetOnError(
        [&](TXLSErrorManager& sender, TXLSErrorLevel, const std::u16string&) { reported = sender.LastError(); });
    read.Root.Password = password;
    try {
        read.Load(file);
    } catch (const EBIFFError&) {
        EXPECT_NE(reported, 0);
    }
    return reported;
}

std::vector<uint8_t> FilePassOf(const std::vector<uint8_t>& file) {
    for (const auto& record : test::SplitRecords(test::WorkbookStream(file)))
        if (record.Id == BIFFRECID_FILEPASS) return record.Data;
    return {};
}

TEST(XLSCrypt, PasswordOpensTheWorkbookAndItsAbsenceOrAWrongOneIsReported) {
    const std::u16string longPassword(40, u'p');
    struct Case {
        std::u16string Written, Given;
        int Error;
    };
    const Case cases[] = {
        {UserPassword, UserPassword, 0},
        {UserPassword, u"geheim-密码", TXLSErrorManager::ErrPasswordWrong},
        // Without a password the default one is tried, which does not open it.
        {UserPassword, u"", TXLSErrorManager::ErrPasswordMissing},
        {std::u16string(DefaultPassword), u"", 0},
        {std::u16string(DefaultPassword), std::u16string(DefaultPassword), 0},
        {std::u16string(DefaultPassword), u"other", TXLSErrorManager::ErrPasswordWrong},
        // Only the first 31 characters count.
        {longPassword, longPassword.substr(0, 31), 0},
        {longPassword, longPassword.substr(0, 30), TXLSErrorManager::ErrPasswordWrong},
    };
    for (const Case& c : cases) {
        const auto file = SaveWith(c.Written);
        test::TBIFFReadBook read;
        ASSERT_EQ(ReadError(file, c.Given, read), c.Error) << base::Utf16ToUtf8(c.Given);
        if (c.Error != 0) continue;
        // Kept for the next save.
        EXPECT_EQ(read.Document->GetPassword(),
                  c.Written.substr(0, c.Given.empty() ? c.Written.size() : c.Given.size()));
        std::u16string text;
        ASSERT_TRUE(read.Cells().GetAsString(1, 299, text));
        EXPECT_EQ(text, u"文本 " + std::u16string(19, u'x'));
        ASSERT_TRUE(read.Cells(1).GetAsString(2, 3, text));
        EXPECT_EQ(text, u"on the second sheet");
    }
}

TEST(XLSCrypt, PasswordEventGivesThePassword) {
    const auto file = SaveWith(UserPassword);
    for (const std::u16string& given : {UserPassword, std::u16string()}) {
        test::TBIFFReadBook read;
        int asked = 0;
        read.Root.OnPassword = [&](void*, std::u16string& password) {
            ++asked;
            password = given;
        };
        EXPECT_EQ(ReadError(file, u"", read), given.empty() ? TXLSErrorManager::ErrPasswordMissing : 0);
        EXPECT_EQ(asked, 1);
    }
}

TEST(XLSCrypt, OutsideToolsReadWhatWasEncrypted) {
    TTempDir dir;
    WriteFileBytes(dir / "plain.xls", SaveWith(u""));
    const std::string expected = XlrdDump(dir / "plain.xls");
    for (const std::u16string& password : {UserPassword, std::u16string(DefaultPassword)}) {
        WriteFileBytes(dir / "encrypted.xls", SaveWith(password));
        Decrypt(dir / "encrypted.xls", password, dir / "decrypted.xls");
        EXPECT_EQ(XlrdDump(dir / "decrypted.xls"), expected) << base::Utf16ToUtf8(password);
    }
    // Spreadsheet::ParseExcel opens a file encrypted with the default password by itself.
    const std::string perl = "perl " + ShellQuote(Script("parseexcel_dump.pl")) + " ";
    EXPECT_EQ(Checked(perl + ShellQuote(dir / "encrypted.xls")), Checked(perl + ShellQuote(dir / "plain.xls")));
}

TEST(XLSCrypt, HeadersAndTheRecordsThatStayPlainAreNotEncrypted) {
    const auto plain = test::SplitRecords(test::WorkbookStream(SaveWith(u"")));
    const auto encrypted = test::SplitRecords(test::WorkbookStream(SaveWith(std::u16string(DefaultPassword))));
    ASSERT_EQ(encrypted.size(), plain.size() + 1);
    EXPECT_EQ(encrypted[1].Id, BIFFRECID_FILEPASS);
    EXPECT_EQ(encrypted[1].Word(0), EncryptionRC4);
    EXPECT_EQ(encrypted[1].Data.size(), FilePassSize);
    size_t boundsheets = 0, changed = 0;
    for (size_t i = 2; i < encrypted.size(); ++i) {
        const auto& e = encrypted[i];
        const auto& p = plain[i - 1];
        ASSERT_EQ(e.Id, p.Id) << i;
        if ((e.Id & 0xFF) == 0x09 || e.Id == BIFFRECID_INTERFACEHDR) {
            EXPECT_EQ(e.Data, p.Data) << i;
        } else if (e.Id == BIFFRECID_BOUNDSHEET) {
            // Readers find the sheets through these four bytes before they decrypt anything.
            EXPECT_EQ(e.Long(0), p.Long(0) + 4 + FilePassSize);
            ++boundsheets;
        } else if (e.Data != p.Data) {
            ++changed;
        }
    }
    EXPECT_EQ(boundsheets, 2u);
    EXPECT_GT(changed, plain.size() / 2);
}

TEST(XLSCrypt, DefaultPasswordKeepsItsFixedSaltUserPasswordsGetANewSaltEverySave) {
    const std::vector<uint8_t> fixedSalt = {0x3c, 0x9a, 0x51, 0xe0, 0x7b, 0x24, 0xd8, 0x6f,
                                            0x0e, 0x5a, 0x92, 0xc4, 0x1b, 0x7d, 0x36, 0xe8};
    auto salt = [](const std::vector<uint8_t>& file) {
        const auto data = FilePassOf(file);
        return data.size() < 22 ? std::vector<uint8_t>() : std::vector<uint8_t>(data.begin() + 6, data.begin() + 22);
    };
    EXPECT_EQ(salt(SaveWith(std::u16string(DefaultPassword))), fixedSalt);
    const auto first = SaveWith(UserPassword);
    EXPECT_NE(salt(first), salt(SaveWith(UserPassword)));

    // Read and written again: encrypted with the password it was opened with, a new salt each
    // time; the caller may remove the password.
    for (const auto& [written, given] :
         {std::pair{std::u16string(DefaultPassword), std::u16string()}, std::pair{UserPassword, UserPassword}}) {
        test::TBIFFReadBook read;
        ASSERT_EQ(ReadError(SaveWith(written), given, read), 0);
        const auto again = read.Save();
        if (written == DefaultPassword)
            EXPECT_EQ(salt(again), fixedSalt);
        else
            EXPECT_NE(salt(again), salt(first));
        test::TBIFFReadBook reread;
        EXPECT_EQ(ReadError(again, given, reread), 0);
        read.Document->SetPassword(u"");
        EXPECT_TRUE(FilePassOf(read.Save()).empty());
    }
}

TEST(XLSCrypt, FirstRecordAfterFilePassIsEncryptedUnlessItStaysPlainByItsKind) {
    // WRITEACCESS comes before INTERFACEHDR here, so it is the first record after FILEPASS.
    std::vector<uint8_t> access(112, ' ');
    const std::string user = "Keystream";
    access[0] = static_cast<uint8_t>(user.size());
    access[1] = 0;
    access[2] = 0;
    std::copy(user.begin(), user.end(), access.begin() + 3);
    test::TRecords records;
    records.BOF(0x0005)
        .Record(BIFFRECID_WRITEACCESS, access)
        .Record(BIFFRECID_INTERFACEHDR, test::TRecords::Words({1200}))
        .Boundsheet("S")
        .EOF_()
        .BOF(0x0010)
        .EOF_();
    test::TBIFFReadBook read;
    read.Load(records.File());
    read.Document->SetPassword(UserPassword);
    const auto file = read.Save();
    const auto stream = test::SplitRecords(test::WorkbookStream(file));
    ASSERT_GE(stream.size(), 4u);
    EXPECT_EQ(stream[2].Id, BIFFRECID_WRITEACCESS);

    TTempDir dir;
    WriteFileBytes(dir / "encrypted.xls", file);
    Decrypt(dir / "encrypted.xls", UserPassword, dir / "decrypted.xls");
    EXPECT_EQ(Checked("/usr/bin/python3 -c " +
                      ShellQuote("import sys, xlrd; print(xlrd.open_workbook(sys.argv[1]).user_name)") + " " +
                      ShellQuote(dir / "decrypted.xls")),
              user + "\n");
}

TEST(XLSCrypt, LibreOfficeFileOpensWithItsPasswordOnly) {
    // Saved by LibreOffice with the password "ombrix-lo" (gen_libreoffice_crypt_fixtures.py).
    const auto file = platform::testing::ReadFileBytes(Script("read_fixtures/libreoffice_password.xls"));
    const std::pair<std::u16string, int> cases[] = {
        {u"ombrix-lo", 0},
        {u"ombrix-LO", TXLSErrorManager::ErrPasswordWrong},
        {u"", TXLSErrorManager::ErrPasswordMissing},
    };
    for (const auto& [password, error] : cases) {
        test::TBIFFReadBook read;
        ASSERT_EQ(ReadError(file, password, read), error) << base::Utf16ToUtf8(password);
        if (error != 0) continue;
        std::u16string text;
        ASSERT_TRUE(read.Cells().GetAsString(0, 199, text));
        EXPECT_EQ(text, u"Zeile 199");
        ASSERT_TRUE(read.Cells().GetAsString(1, 0, text));
        EXPECT_EQ(text, u"21.5");
    }
}

}  // namespace
}  // namespace xls
