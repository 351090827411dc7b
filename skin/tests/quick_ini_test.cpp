// The skin INI reader, and its reading of our own skin's INI against Python's configparser.
#include <gtest/gtest.h>

#include "base/memory_stream.h"
#include "skin/quick_ini.h"
#include "skin/tests/skin_test_support.h"

namespace skin {
namespace {

using namespace skin::testing;

TQuickIni Ini(std::string_view text) {
    TQuickIni ini;
    ini.LoadFromText(text);
    return ini;
}

TEST(QuickIniTest, LookupRules) {
    const TQuickIni ini =
        Ini("Orphan=1\r\n"
            "[Buttons]\r\n"
            "Rightwidth=8\r\n"
            "  ; comment\r\n"
            "Tile=0x10\r\n"
            "Hex=$10\r\n"
            "Padded = 1 \n"
            "Word=abc\r"
            "Twice=\r\n"
            "Twice=5\r\n"
            "A=b=c\r\n"
            "Big=2147483648\r\n"
            "Neg=-7\r\n"
            "AllBits=$FFFFFFFF\r\n"
            "x;y=3\r\n"
            "[TRACKVERT]\r\n"
            "Image=v.bmp\r\n"
            "[ Colours ]\r\n"
            "ButtonFace=1 2 3\r\n"
            "[Buttons]\r\n"
            "Late=1\r\n"
            "[Last]\r\n"
            "NoBreak=9");
    EXPECT_EQ(ini.ReadInteger("Buttons", "RightWidth", 0), 8);
    EXPECT_EQ(ini.ReadInteger("buttons", "TILE", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Buttons", "Hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Buttons", "Padded", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Buttons", "Word", -3), -3);
    EXPECT_EQ(ini.ReadInteger("Buttons", "Big", -3), -3);
    EXPECT_EQ(ini.ReadInteger("Buttons", "Neg", 0), -7);
    EXPECT_EQ(ini.ReadInteger("Buttons", "AllBits", 0), -1);
    // The first occurrence counts even when its value is empty.
    EXPECT_EQ(ini.ReadString("Buttons", "Twice", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Buttons", "a", ""), "b=c");
    EXPECT_EQ(ini.ReadString("Buttons", "x;y", ""), "3");
    // Lines before the first header, and sections named twice past their first header, are unseen.
    EXPECT_EQ(ini.ReadString("", "Orphan", "none"), "none");
    EXPECT_EQ(ini.ReadString("Buttons", "Late", "none"), "none");
    EXPECT_EQ(ini.ReadString("trackvert", "image", ""), "v.bmp");
    EXPECT_EQ(ini.ReadString("Colours", "ButtonFace", "none"), "none");
    EXPECT_EQ(ini.ReadString(" Colours ", "ButtonFace", "none"), "1 2 3");
    EXPECT_EQ(ini.ReadInteger("Last", "NoBreak", 0), 9);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Buttons", "TRACKVERT", "Colours", "Buttons", "Last"}));
}

TEST(QuickIniTest, CommentsBlankLinesAndZeroByte) {
    const std::string text("[S]\r\n\r\n;K=1\r\n\t K=2 \t\r\n\0[T]\r\nK=3\r\n", 30);
    const TQuickIni ini = Ini(text);
    EXPECT_EQ(ini.Lines(), (std::vector<std::string>{"[S]", "K=2"}));
    EXPECT_EQ(ini.ReadInteger("T", "K", 0), 0);
}

TEST(QuickIniTest, StreamIsReadFromItsPosition) {
    base::TMemoryStream stream;
    const std::string text = "junk[A]\r\nK=4\r\n";
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    stream.SetPosition(4);
    TQuickIni ini;
    ini.LoadFromStream(stream);
    EXPECT_EQ(ini.ReadInteger("A", "K", 0), 4);
}

TEST(QuickIniTest, LineHelpers) {
    EXPECT_EQ(TQuickIni::KeyOfLine("  MixedCase = v"), "mixedcase");
    EXPECT_EQ(TQuickIni::KeyOfLine("no equals"), "");
    EXPECT_EQ(TQuickIni::ValueOfLine("Key = v ", "key"), "v");
    EXPECT_EQ(TQuickIni::ValueOfLine("Key = v ", "other"), "");
    EXPECT_TRUE(TQuickIni::IsSectionLine(" [x] "));
    EXPECT_FALSE(TQuickIni::IsSectionLine(""));
    EXPECT_FALSE(TQuickIni::IsSectionLine("[x"));
    EXPECT_EQ(Ini("a\r\n[x]\r\n").SectionIndex("X"), 1);
    EXPECT_EQ(Ini("[x]").SectionIndex("y"), -1);
}

// Python's configparser reads an INI without repeated keys the same way: every section and
// key of our own skin gives the same value.
TEST(QuickIniTest, OurSkinReadsAsConfigparserReadsIt) {
    const std::string iniPath = OMBRIX_SOURCE_DIR "/skin/theme/ombrix.ini";
    const auto bytes = ReadFileBytes(iniPath);
    ASSERT_FALSE(bytes.empty());
    const TQuickIni ini = Ini(std::string(bytes.begin(), bytes.end()));
    const auto listed = RunCommand(std::string(Python) +
                                   " -c \""
                                   "import configparser, sys\n"
                                   "c = configparser.ConfigParser(interpolation=None, strict=True)\n"
                                   "c.optionxform = str\n"
                                   "c.read(sys.argv[1])\n"
                                   "for s in c.sections():\n"
                                   "    for k, v in c.items(s):\n"
                                   "        print(s + chr(9) + k + chr(9) + v)\n"
                                   "\" " +
                                   iniPath);
    ASSERT_EQ(listed.ExitCode, 0) << listed.Output;
    int checked = 0;
    size_t start = 0;
    while (start < listed.Output.size()) {
        const size_t end = listed.Output.find('\n', start);
        const std::string line = listed.Output.substr(start, end - start);
        start = end == std::string::npos ? listed.Output.size() : end + 1;
        const size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        ASSERT_NE(t2, std::string::npos) << line;
        EXPECT_EQ(ini.ReadString(line.substr(0, t1), line.substr(t1 + 1, t2 - t1 - 1), "<missing>"),
                  line.substr(t2 + 1))
            << line;
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace skin
