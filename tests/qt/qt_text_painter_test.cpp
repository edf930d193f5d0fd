#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>

#include "annotate/info_line.hpp"
#include "qt/qt_surfaces.hpp"
#include "qt/qt_text_painter.hpp"
#include "qt_probe/caption_samples.hpp"
#include "state/layout.hpp"
#include "support/qt_application.hpp"

namespace ts {
namespace {

constexpr Colour kBackground = Colour::fromRgb(20, 60, 100);

struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    int changed = 0;
    int fullyWhite = 0;
    int untouchedInside = 0;
    bool onlyWhiteBlends = true;
};

// Where the text changed the raster, and whether every change is the
// background blended towards white (no box behind the text, no colour fringe).
Ink inkOf(const Raster& raster) {
    Ink ink;
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x) {
            const Colour c = raster.at(x, y);
            if (c == kBackground) continue;
            ++ink.changed;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            if (c == Colour::white()) ++ink.fullyWhite;
            // Coverage a in 0..1 moves every channel the same part of its way to 255.
            const double a = (c.red() - kBackground.red()) / (255.0 - kBackground.red());
            const auto expected = [a](int from) { return from + a * (255 - from); };
            if (a <= 0 || std::abs(c.green() - expected(kBackground.green())) > 1.5 ||
                std::abs(c.blue() - expected(kBackground.blue())) > 1.5)
                ink.onlyWhiteBlends = false;
        }
    for (int y = ink.top; y <= ink.bottom; ++y)
        for (int x = ink.left; x <= ink.right; ++x)
            if (raster.at(x, y) == kBackground) ++ink.untouchedInside;
    return ink;
}

struct CaptionCase {
    const char* text;
    float points;
    float x, y;
};

void PrintTo(const CaptionCase& c, std::ostream* os) { *os << '"' << c.text << "\" at " << c.points << " points"; }

class QtTextPainterCaption : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(QtTextPainterCaption, DrawsWhiteTextInsideItsLineBoxAndLeavesTheRest) {
    testing::application();
    const CaptionCase c = GetParam();
    Raster raster(layout::kCanvasWidth, layout::kCanvasHeight, kBackground);
    QtTextPainter painter;

    const float next = painter.draw(raster, c.x, c.y, c.text, c.points, Colour::white());
    const Ink ink = inkOf(raster);

    const double em = c.points * 96.0 / 72.0;  // pixels per em at 96 dots per inch
    ASSERT_GT(ink.changed, 0);
    EXPECT_TRUE(ink.onlyWhiteBlends);
    EXPECT_GT(ink.fullyWhite, 0);
    EXPECT_GT(ink.untouchedInside, 0);  // the background shows between the letters
    // The line's top is at y; nothing goes above it or below one line.
    EXPECT_GE(ink.top, std::floor(c.y));
    EXPECT_LE(ink.bottom, c.y + 1.25 * em);
    EXPECT_GE(ink.left, std::floor(c.x) - 1);  // a glyph may overhang its start a little
    EXPECT_LE(ink.right, std::ceil(next));
    // Capital letters reach most of an em down from the line's top.
    EXPECT_GT(ink.bottom - ink.top, 0.6 * em);
    EXPECT_GT(next, c.x + 0.3 * em * static_cast<double>(std::strlen(c.text)));
}

INSTANTIATE_TEST_SUITE_P(Captions, QtTextPainterCaption,
                         ::testing::Values(CaptionCase{"A", 15, 10, 415}, CaptionCase{"Hello, Textscape", 12, 10, 415},
                                           CaptionCase{"TEXTSCAPE TEXTSCAPE", 10, 10, 415},
                                           CaptionCase{"Hi", 14, 100.5f, 20.25f}));

TEST(QtTextPainter, CapitalHeightFollowsThePointSizeAt96DotsPerInch) {
    testing::application();
    QtTextPainter painter;
    // DejaVu Sans capitals are 0.729 em high; an em is points * 96 / 72 pixels.
    for (const float points : {9.f, 12.f, 15.f, 24.f}) {
        Raster raster(200, 100, kBackground);
        painter.draw(raster, 10, 10, "H", points, Colour::white());
        const Ink ink = inkOf(raster);
        const double capital = 0.729 * points * 96.0 / 72.0;
        EXPECT_NEAR(ink.bottom - ink.top + 1, capital, 1.5) << points << " points";
    }
}

TEST(QtTextPainter, NextTextStartsWhereTheLastEnded) {
    testing::application();
    QtTextPainter painter;
    Raster raster(300, 60, kBackground);
    const float afterHello = painter.draw(raster, 10, 10, "Hello", 12, Colour::white());
    const float afterBoth = painter.draw(raster, afterHello, 10, " world", 12, Colour::white());
    Raster whole(300, 60, kBackground);
    const float afterWhole = painter.draw(whole, 10, 10, "Hello world", 12, Colour::white());
    EXPECT_NEAR(afterBoth, afterWhole, 0.5);
    EXPECT_GT(afterHello, 10.0f);
    EXPECT_LT(afterHello, afterBoth);
}

// The caption's edge: dark pixels around the glyphs, within a pixel or two
// of them, and the glyphs' own fill as without the edge.
TEST(QtTextPainter, OutlineEdgesTheGlyphsWithoutChangingTheirFill) {
    testing::application();
    QtTextPainter painter;
    const Colour light = Colour::fromRgb(235, 230, 200);
    Raster plain(300, 60, light), edged(300, 60, light);
    const float plainNext = painter.draw(plain, 10, 10, "Hello, Textscape", 12, Colour::white());
    const float edgedNext =
        painter.drawOutlined(edged, 10, 10, "Hello, Textscape", 12, Colour::white(), Colour::black());
    EXPECT_EQ(edgedNext, plainNext);

    int plainWhite = 0, darkenedFill = 0, dark = 0, farDark = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 300; ++x) {
            const Colour c = edged.at(x, y);
            if (plain.at(x, y) == Colour::white()) {
                ++plainWhite;
                darkenedFill += std::min({c.red(), c.green(), c.blue()}) < 240;
            }
            if (c.red() + c.green() + c.blue() > 3 * 100) continue;
            ++dark;
            // Every dark pixel lies beside the plain text's ink.
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx) near = plain.at(x + dx, y + dy) != light;
            farDark += !near;
        }
    EXPECT_EQ(darkenedFill, 0);
    EXPECT_GT(dark, plainWhite / 2);  // a real edge all round, not a few specks
    EXPECT_EQ(farDark, 0);
}

TEST(QtTextPainter, MeasuresTextAsItDrawsIt) {
    testing::application();
    QtTextPainter painter;
    for (const float points : {8.f, 10.f, 15.f})
        for (const char* text : {"Hello, Textscape", "W", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"}) {
            Raster raster(400, 60, kBackground);
            EXPECT_FLOAT_EQ(painter.width(text, points), painter.draw(raster, 0, 0, text, points, Colour::white()))
                << text << " at " << points;
        }
    EXPECT_EQ(painter.width("", 12), 0.0f);
    for (const float points : {8.f, 10.f, 15.f}) {
        const double em = points * 96.0 / 72.0;
        EXPECT_GT(painter.lineHeight(points), 1.1 * em);
        EXPECT_LT(painter.lineHeight(points), 1.3 * em);
    }
}

TEST(QtTextPainter, LongestParameterLineEndsInsideTheGreyBand) {
    testing::application();
    RasterSurface window = makeWindowSurface(1000, 600);
    FormState s;
    s.tip1 = Number::single(15);
    s.tip2 = Number::single(3);
    s.tip3 = Number::single(4);
    s.seed = Number::real(6503260956.0);  // a hundred characters of code 255
    DrawInfoLine(s, window);
    EXPECT_LE(window.textX(), 880.0f);
    EXPECT_GT(window.textX(), 660.0f);
}

TEST(QtTextPainter, EmptyTextDrawsNothingAndStaysPut) {
    testing::application();
    QtTextPainter painter;
    Raster raster(100, 40, kBackground);
    EXPECT_EQ(painter.draw(raster, 12.5f, 3, "", 12, Colour::white()), 12.5f);
    EXPECT_EQ(inkOf(raster).changed, 0);
}

TEST(QtTextPainter, UsesDejaVuSansThenWenQuanYiMicroHei) {
    testing::application();
    EXPECT_EQ(QtTextPainter().families(), QStringList({"DejaVu Sans", "WenQuanYi Micro Hei"}));
    EXPECT_EQ(QtTextPainter().family(), QStringLiteral("DejaVu Sans"));
}

TEST(QtTextPainter, CaptionsOfEachScriptGiveTheirChecksums) {
    testing::application();
    QtTextPainter painter;
    for (const testing::CaptionSample& sample : testing::kCaptionSamples)
        EXPECT_EQ(testing::captionChecksum(painter, sample), sample.checksum)
            << sample.what << ": 0x" << std::hex << testing::captionChecksum(painter, sample);
}

// A character neither font has is DejaVu Sans's missing-glyph box, the same
// for every such character, never a glyph from a font the machine has.
TEST(QtTextPainter, CharactersNoFontHasAreTheMissingGlyphBox) {
    testing::application();
    QtTextPainter painter;
    const auto drawn = [&painter](const char* text) {
        Raster raster(100, 40, kBackground);
        const float next = painter.draw(raster, 10, 5, text, 15, Colour::white());
        return std::make_pair(raster, next);
    };
    const auto [smiling, afterSmiling] = drawn("\xF0\x9F\x99\x82");  // U+1F642
    const Ink ink = inkOf(smiling);
    EXPECT_GT(ink.changed, 20);
    EXPECT_GT(ink.untouchedInside, 0);  // a hollow box
    for (const char* other : {"\xF0\x9F\x91\x8D", "\xF0\x9F\x8F\xBD", "\xF4\x8F\xBF\xBD", "\xEE\x80\x80"}) {
        const auto [raster, next] = drawn(other);  // U+1F44D, U+1F3FD, U+10FFFD, U+E000
        EXPECT_TRUE(raster == smiling) << ::testing::PrintToString(std::string(other));
        EXPECT_EQ(next, afterSmiling);
    }
}

// Text drawn elsewhere with the same fonts, as the window's buttons and
// dialogs draw theirs (at a fraction of a pixel, at their own sizes), leaves
// no trace in the captions drawn after it.
TEST(QtTextPainter, TextDrawnElsewhereWithTheSameFontsLeavesNoTrace) {
    testing::application();
    QtTextPainter painter;
    const auto caption = [&painter] {
        Raster raster(500, 60, kBackground);
        painter.drawOutlined(raster, 5, 5, "Zażółć gęślą jaźń 漢字", 12, Colour::white(), Colour::black());
        return raster;
    };
    const Raster before = caption();
    const struct {
        int font;  // 0: DejaVu Sans, 1: WenQuanYi Micro Hei
        int pixels;
        double x;
    } elsewhere[] = {{0, 11, 10.3}, {0, 12, 10.47}, {0, 13, 10.64}, {0, 16, 10.81},
                     {1, 12, 10.3}, {1, 14, 10.55}, {0, 9, 3.9},    {1, 20, 7.25}};
    for (const auto& e : elsewhere) {
        QImage widget(300, 50, QImage::Format_RGB32);
        widget.fill(Qt::black);
        QPainter drawing(&widget);
        QFont font(painter.families().at(e.font));
        font.setPixelSize(e.pixels);
        drawing.setFont(font);
        drawing.setPen(Qt::white);
        drawing.drawText(QPointF(e.x, 30), QStringLiteral("save on disk D: 漢字 %1").arg(e.pixels));
        drawing.end();
        EXPECT_TRUE(caption() == before) << "after font " << e.font << " at " << e.pixels << " pixels, x = " << e.x;
    }
}

// The window draws on a desktop, the headless renderer under the offscreen
// plugin: both must give the same pixels, whatever the screen's resolution.
QByteArray probe(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

TEST(QtTextPainter, SamePixelsUnderEveryPlatformPluginAndResolution) {
    const QString probeProgram = QStringLiteral(TEXTSCAPE_TEXT_PROBE);
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.remove(QStringLiteral("QT_QPA_PLATFORM"));

    QProcessEnvironment offscreen = base;
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QByteArray reference = probe(probeProgram, {}, offscreen);
    ASSERT_GT(reference.size(), 600 * 120 * 4);

    // A 144-dot-per-inch screen without Qt's scaling: points would grow if
    // the screen decided them.
    QTemporaryFile screens;
    ASSERT_TRUE(screens.open());
    screens.write(R"({"screens":[{"name":"wide","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":144}]})");
    screens.close();
    QProcessEnvironment dense = base;
    dense.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screens.fileName());
    dense.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    EXPECT_TRUE(probe(probeProgram, {}, dense) == reference) << "differs at 144 dots per inch";

    // A real X server, as on a desktop.
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    ASSERT_FALSE(xvfbRun.isEmpty()) << "xvfb-run is missing (Debian package xvfb)";
    QProcessEnvironment x11 = base;
    x11.remove(QStringLiteral("DISPLAY"));
    const QStringList arguments = {QStringLiteral("-a"),
                                   QStringLiteral("-s"),
                                   QStringLiteral("-screen 0 1280x800x24"),
                                   QStringLiteral("env"),
                                   QStringLiteral("QT_QPA_PLATFORM=xcb"),
                                   probeProgram};
    EXPECT_TRUE(probe(xvfbRun, arguments, x11) == reference) << "differs under xcb";
}

// Captions come out the same whatever fonts the machine has: here with
// none at all besides the program's own.
TEST(QtTextPainter, CaptionsDoNotDependOnTheMachinesFonts) {
    QByteArray expected;
    for (const testing::CaptionSample& sample : testing::kCaptionSamples)
        expected += QByteArray::number(static_cast<qulonglong>(sample.checksum), 16).rightJustified(16, '0') + '\n';

    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    EXPECT_EQ(probe(QStringLiteral(TEXTSCAPE_TEXT_PROBE), {QStringLiteral("--captions")}, base), expected);

    QTemporaryDir cache;
    ASSERT_TRUE(cache.isValid());
    QTemporaryFile noFonts;
    ASSERT_TRUE(noFonts.open());
    noFonts.write(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig><cachedir>" +
        cache.path().toUtf8() + "</cachedir></fontconfig>\n");
    noFonts.close();
    QProcessEnvironment bare = base;
    bare.insert(QStringLiteral("FONTCONFIG_FILE"), noFonts.fileName());
    EXPECT_EQ(probe(QStringLiteral(TEXTSCAPE_TEXT_PROBE), {QStringLiteral("--captions")}, bare), expected);
}

}  // namespace
}  // namespace ts
