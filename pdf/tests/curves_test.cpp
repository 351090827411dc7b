#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/pdf_document.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

struct TOp {
    std::vector<double> Values;
    std::string Operator;
};

// The operator lines drawn after the page's first "q", parsed back into numbers.
std::vector<TOp> Parse(const std::string& content) {
    std::vector<TOp> ops;
    std::istringstream lines(content.substr(3));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        TOp op;
        std::string word;
        while (words >> word) {
            if (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-')
                op.Values.push_back(std::stod(word));
            else
                op.Operator = word;
        }
        ops.push_back(op);
    }
    return ops;
}

std::string Operators(const std::vector<TOp>& ops) {
    std::string text;
    for (const TOp& op : ops) text += op.Operator + " ";
    return text;
}

class CurvesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Document.SetFileName(Dir.File("curves.pdf"));
        Document.BeginDoc();
    }
    TPDFPage& Page() { return *Document.CurrentPage(); }
    std::vector<TOp> Ops() { return Parse(Page().Content()); }

    test::TTempDir Dir;
    TPDFDocument Document;
};

// Every end point of the arc lies on the ellipse (within the format's rounding and the
// writer's fixed nudge).
void ExpectOnEllipse(const std::vector<TOp>& ops, double cx, double cy, double rx, double ry) {
    for (const TOp& op : ops) {
        if (op.Operator != "m" && op.Operator != "c") continue;
        const double x = op.Values[op.Values.size() - 2], y = op.Values.back();
        const double r = std::hypot((x - cx) / rx, (y - cy) / ry);
        EXPECT_NEAR(r, 1.0, 0.002) << x << " " << y;
    }
}

TEST_F(CurvesTest, ArcSegmentsByQuarterTurns) {
    struct Case {
        double angle1, angle2;
        const char* operators;
    };
    const Case cases[] = {
        {0, 90, "m c "},         // exactly 90°: one segment
        {0, 100, "m c c "},      // 100° = 90° + 10°
        {0, 360, "m c c c c "},  // full turn
        {45, 45, "m l "},        // equal angles: a single point
        {350, 10, "m c "},       // across 0°: 20°
    };
    for (const Case& c : cases) {
        TPDFDocument document;
        document.SetFileName(Dir.File("arc.pdf"));
        document.BeginDoc();
        TPDFPage& page = *document.CurrentPage();
        page.ArcByAngles(100, 100, 301, 201, c.angle1, c.angle2);
        EXPECT_TRUE(page.PathPending());
        const auto ops = Parse(page.Content());
        EXPECT_EQ(Operators(ops), c.operators) << c.angle1 << " " << c.angle2;
        // Box in points: x 100..301, y 742..641; radii (201 - 1) / 2 and (101 - 1) / 2.
        if (std::string(c.operators) != "m l ") ExpectOnEllipse(ops, 200.5, 691.5, 100, 50);
    }
}

TEST_F(CurvesTest, ArcByAnglesRunsCounterClockwiseFromTheSecondAngle) {
    // 0° to 90°: written from the 90° end (top of the box) to the 0° end (right).
    const TFloatPoint start = Page().ArcByAngles(0, 0, 201, 201, 0, 90);
    EXPECT_NEAR(start.X, 100.5, 1e-9);
    EXPECT_NEAR(start.Y, 0.5, 1e-9);
    const auto ops = Ops();
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_NEAR(ops[1].Values[4], 200.5, 0.001);
    EXPECT_NEAR(ops[1].Values[5], 842 - 100.5, 0.001);
}

TEST_F(CurvesTest, ArcWithOneRadialTwiceIsTheWholeEllipse) {
    const TFloatPoint start = Page().Arc(0, 0, 101, 61, 100, 30.5, 100, 30.5);
    const auto ops = Ops();
    EXPECT_EQ(Operators(ops), "m c c c c ");
    ExpectOnEllipse(ops, 50.5, 842 - 30.5, 50, 30);
    EXPECT_NEAR(start.X, 100.5, 1e-9);
    EXPECT_NEAR(start.Y, 30.5, 1e-9);
}

TEST_F(CurvesTest, NarrowBoxGivesZeroRadiusForArcsButHalfForEllipse) {
    Page().ArcByAngles(10, 10, 11, 50, 0, 180);
    for (const TOp& op : Ops())
        for (size_t i = 0; i < op.Values.size(); i += 2) EXPECT_NEAR(op.Values[i], 10.5, 0.001);
    TPDFDocument document;
    document.SetFileName(Dir.File("ellipse.pdf"));
    document.BeginDoc();
    document.CurrentPage()->Ellipse(10, 10, 11, 50);
    const auto ops = Parse(document.CurrentPage()->Content());
    EXPECT_EQ(ops[0].Values, (std::vector<double>{11, 812}));
}

TEST_F(CurvesTest, EllipseIsFourCurvesWithoutClose) {
    Page().Ellipse(100, 100, 300, 200);
    EXPECT_TRUE(Page().PathPending());
    const auto ops = Ops();
    EXPECT_EQ(Operators(ops), "m c c c c ");
    EXPECT_EQ(ops[0].Values, (std::vector<double>{300, 692}));
    EXPECT_EQ(ops[1].Values, (std::vector<double>{300, 664.3858, 255.2285, 642, 200, 642}));
    EXPECT_EQ(ops[4].Values.back(), 692);
}

TEST_F(CurvesTest, PieAddsBothRadiiWithoutMarkingThePath) {
    Page().Pie(0, 0, 201, 201, 200, 100.5, 100.5, 0);
    EXPECT_FALSE(Page().PathPending());
    Page().Clip();
    const auto ops = Ops();
    EXPECT_EQ(Operators(ops), "m c l m l ");
    EXPECT_EQ(ops[2].Values, (std::vector<double>{100.5, 741.5}));
    EXPECT_EQ(ops[3].Values, (std::vector<double>{100.5, 841.5}));
}

TEST_F(CurvesTest, RoundRectWithZeroCornersIsARectangle) {
    Page().RoundRect(50, 40, 10, 20, 0, 0);
    const auto ops = Ops();
    EXPECT_EQ(Operators(ops), "m l c l c l c l c h ");
    EXPECT_EQ(ops[0].Values, (std::vector<double>{10, 822}));
    EXPECT_EQ(ops[2].Values, (std::vector<double>{50, 822, 50, 822, 50, 822}));
    EXPECT_EQ(ops[6].Values, (std::vector<double>{10, 802, 10, 802, 10, 802}));
}

TEST_F(CurvesTest, RoundRectCornersStayInsideTheBox) {
    Page().RoundRect(0, 0, 100, 50, 20, 10);
    const auto ops = Ops();
    EXPECT_EQ(ops[0].Values, (std::vector<double>{10, 842}));
    EXPECT_EQ(ops[2].Values, (std::vector<double>{95.5228, 842, 100, 839.7614, 100, 837}));
    for (const TOp& op : ops)
        for (size_t i = 0; i + 1 < op.Values.size(); i += 2) {
            EXPECT_GE(op.Values[i], 0);
            EXPECT_LE(op.Values[i], 100);
            EXPECT_GE(op.Values[i + 1], 792);
            EXPECT_LE(op.Values[i + 1], 842);
        }
}

}  // namespace
}  // namespace pdf
