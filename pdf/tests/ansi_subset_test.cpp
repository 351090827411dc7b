#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exception.h"
#include "pdf/ansi_font_subset.h"
#include "pdf/tests/test_support.h"
#include "pdf/ttf_bytes.h"
#include "pdf/ttf_data.h"

namespace pdf {
namespace {

struct TSource {
    const char* Family;
    const char* File;
};
const TSource Uming{"AR PL UMing CN", "/usr/share/fonts/truetype/arphic/uming.ttc"};
const TSource MicroHei{"WenQuanYi Micro Hei", "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"};

std::shared_ptr<const platform::TFontFile> Open(const TSource& source) {
    return platform::Fonts::Open(*platform::Fonts::FacesOf(source.Family).front());
}

// Loads a subset with fontTools and checks it against its source face: directory, checksums,
// glyph counts, both cmaps and the outlines and advances of every character.
const char* const Oracle = R"(
import struct, sys
from fontTools.ttLib import TTFont
path, source, codes, glyphs, tables, segments = sys.argv[1], sys.argv[2], [int(c) for c in sys.argv[3].split(',')], int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
data = open(path, 'rb').read()
count, searchRange, selector, shift = struct.unpack('>4H', data[4:12])
tags = [data[12 + 16 * i:16 + 16 * i] for i in range(count)]
assert count == tables and tags == sorted(tags), tags
assert searchRange == 16 * 2 ** selector <= count * 16 < 32 * 2 ** selector and shift == count * 16 - searchRange
assert all(struct.unpack('>I', data[20 + 16 * i:24 + 16 * i])[0] % 4 == 0 for i in range(count))
assert sum(struct.unpack('>%dI' % (len(data) // 4), data)) % 2 ** 32 == 0xB1B0AFBA
sub, src = TTFont(path, checkChecksums=2), TTFont(source, fontNumber=0)
assert sub['maxp'].numGlyphs == sub['hhea'].numberOfHMetrics == len(sub.getGlyphOrder()) == glyphs
assert sub['post'].formatType == 3.0 and sub['name'].getDebugName(1) == 'Arial'
order = sub.getGlyphOrder()
assert all(sub['glyf'][order[g]].numberOfContours == 0 for g in range(3))
unicode, mac, best = sub['cmap'].getcmap(3, 1).cmap, sub['cmap'].getcmap(1, 0).cmap, src.getBestCmap()
assert unicode[32] == mac[32] == order[2]
raw = sub['cmap'].compile(sub)
assert struct.unpack('>H', raw[282 + 6:284 + 6])[0] == 2 * segments
def outline(font, name):
    coords, ends, flags = font['glyf'][name].getCoordinates(font['glyf'])
    return list(coords), list(ends)
for code in codes:
    if code <= 32 or src['glyf'][best[code]].numberOfContours == 0: continue
    name = unicode[code]
    assert mac[chr(code).encode('cp1252')[0]] == name, code
    assert outline(sub, name) == outline(src, best[code]), code
    assert sub['hmtx'][name] == src['hmtx'][best[code]], code
print('ok')
)";

TEST(AnsiFontSubsetTest, RenumberedFontsLoadInFontToolsWithTheSourceOutlines) {
    struct TCase {
        const char* Name;
        const TSource& Source;
        std::vector<uint16_t> Codes;
        int Glyphs;    // with the empty glyphs 0 to 2
        int Tables;    // cvt, fpgm and prep only when the source has them
        int Segments;  // format 4, the blank's and the final one included
    };
    const TCase cases[] = {
        // The double quote pads a font of one character; both glyphs follow the source order.
        {"one character", Uming, {65}, 5, 9, 4},
        // Blanks have no outline: the double quote is the only glyph with one.
        {"blank and no-break space", Uming, {32, 160}, 4, 9, 3},
        // The composite ring-A brings its components; the euro sign comes from code 128.
        {"composite and euro", Uming, {32, 65, 66, 67, 197, 0x20AC}, -1, 9, -1},
        {"hinted face", MicroHei, {32, 34, 102, 105, 106, 113, 116, 117, 0x20AC}, -1, 12, -1},
    };
    test::TTempDir dir;
    for (const TCase& c : cases) {
        const TTTFData font(Open(c.Source), 0);
        const std::string program = CreateAnsiFontSubset(font, c.Source.Family, c.Codes);
        const std::string file = dir.File("subset.ttf");
        test::WriteFileBytes(file, program);
        std::string codes;
        for (uint16_t code : c.Codes) codes += (codes.empty() ? "" : ",") + std::to_string(code);
        const auto platformFile = platform::TFontFile::FromBytes(program, 0);
        const int glyphs = c.Glyphs >= 0 ? c.Glyphs : TTFGet16(*platformFile->Table("maxp"), 4);
        const int segments = c.Segments >= 0 ? c.Segments : TTFGet16(*platformFile->Table("cmap"), 282 + 6) / 2;
        const auto result =
            test::RunPython(Oracle, "'" + file + "' '" + c.Source.File + "' " + codes + " " + std::to_string(glyphs) +
                                        " " + std::to_string(c.Tables) + " " + std::to_string(segments));
        EXPECT_EQ(result.Output, "ok\n") << c.Name;
    }
    // The composite case holds ring-A, its two components, B and C, the euro sign and no more.
    const TTTFData font(Open(Uming), 0);
    const auto program =
        platform::TFontFile::FromBytes(CreateAnsiFontSubset(font, "x", {32, 65, 66, 67, 197, 0x20AC}), 0);
    EXPECT_LE(TTFGet16(*program->Table("maxp"), 4), 3 + 6 + 1);
    EXPECT_TRUE(CreateAnsiFontSubset(font, "x", {}).empty());
}

TEST(AnsiFontSubsetTest, MarlettGoesInWholeAndACollectionMemberStandsAlone) {
    const auto member = Open(Uming);
    const TTTFData font(member, 0);
    const std::string whole = CreateAnsiFontSubset(font, "Marlett", {65});
    const auto alone = platform::TFontFile::FromBytes(whole, 0);
    EXPECT_FALSE(alone->InCollection());
    EXPECT_EQ(alone->TableTags().size(), member->TableTags().size());
    for (const std::string& tag : member->TableTags())
        if (tag != "head") {
            EXPECT_EQ(alone->Table(tag), member->Table(tag)) << tag;
        }
    // A face in a file of its own is copied byte for byte.
    const TTTFData single(alone, 0);
    EXPECT_EQ(CreateAnsiFontSubset(single, "MARLETT", {65}), whole);
}

TEST(AnsiFontSubsetTest, DamagedFontsAreRefusedWithTheFontError) {
    const std::string source(Open(Uming)->Bytes());
    const auto face = platform::TFontFile::FromBytes(source, 0);
    const TTTFData font(face, 0);
    auto offsetOf = [&](std::string_view table) { return size_t(table.data() - face->Bytes().data()); };
    const std::string_view glyf = *face->Table("glyf");
    const std::string_view loca = *face->Table("loca");
    const uint16_t ring = font.CodeToGlyph(197);
    const size_t ringAt = offsetOf(glyf) + TTFGet32(loca, 4 * size_t(ring));
    std::string cutShort;
    TTFPut32(cutShort, TTFGet32(loca, 4 * size_t(ring)) + 12);
    // The directory entry of a table, found by its tag.
    auto directoryEntry = [&](const char* tag) { return source.find(tag, TTFGet32(source, 12)); };
    struct TDamage {
        const char* Name;
        size_t At;
        std::string Bytes;
        const char* Message;
    };
    const TDamage damages[] = {
        {"component beyond the glyphs", ringAt + 12, std::string("\xFF\xF0", 2), "Incorrect or unknown font format"},
        {"composite cut short", offsetOf(loca) + 4 * (size_t(ring) + 1), cutShort, "Incorrect or unknown font format"},
        {"loca beyond glyf", offsetOf(loca) + 8, std::string("\xFF\xFF\xFF\xFF", 4),
         "Incorrect or unknown font format"},
        {"no name table", directoryEntry("name"), "nome", "Cannot recieve data from font"},
        {"no post table", directoryEntry("post"), "pist", "Cannot recieve data from font"},
    };
    for (const TDamage& damage : damages) {
        std::string bytes = source;
        bytes.replace(damage.At, damage.Bytes.size(), damage.Bytes);
        try {
            const TTTFData damaged(platform::TFontFile::FromBytes(bytes, 0), 0);
            CreateAnsiFontSubset(damaged, "x", {65, 197});
            ADD_FAILURE() << damage.Name << ": accepted";
        } catch (const base::Exception& e) {
            EXPECT_EQ(e.Message(), damage.Message) << damage.Name;
        }
    }
}

}  // namespace
}  // namespace pdf
