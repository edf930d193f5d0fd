#pragma once
// Shared by the renderer's tests: the window's canvas for a text to compare
// with, a run of runRenderer in the test's process, and a run of the built
// program as a shell runs it.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QProcess>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "annotate/info_line.hpp"
#include "cli/render_run.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "state/layout.hpp"
#include "support/fakes.hpp"
#include "support/test_folder.hpp"

namespace ts::render_test {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "render_output_tests";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

// What the window's canvas holds after start-up with `text` typed, taken
// through the window's own sequence; `beforeCaption` the canvas as the
// caption stage begins.
struct WindowCanvas {
    Raster final{layout::kCanvasWidth, layout::kCanvasHeight};
    Raster beforeCaption{layout::kCanvasWidth, layout::kCanvasHeight};
    std::string parameters;
};

inline WindowCanvas windowCanvas(const std::string& text) {
    FormState s;
    RasterSurface form = makeWindowSurface(900, 600), canvas = makeCanvas();
    FixedClock clock = testing::testClock();
    SplitMixGenerator random;
    // As the window starts: the generator seeded from the clock, then the
    // geometry, then the picture sequence, drawing on the window too.
    random.reseed(clock.secondsSinceMidnight());
    SetGeometry(s);
    PictureTools tools{form, canvas, clock, random};
    WindowCanvas out;
    tools.onStage = [&](std::string_view stage) {
        if (stage == "PrintCaption") out.beforeCaption = canvas.raster();
    };
    MakePicture(s, text, tools);
    out.final = canvas.raster();
    out.parameters = parameterLine(s);
    return out;
}

inline Raster rasterOf(const QImage& loaded) {
    const QImage image = loaded.convertToFormat(QImage::Format_RGB32);
    Raster r(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) r.set(x, y, Colour::fromPixel(image.pixel(x, y)));
    return r;
}

inline const std::vector<std::string> kTexts = {"hello world", "a", "", "Zażółć gęślą jaźń", std::string(100, '~')};

struct RunResult {
    int status;
    std::string out, err;
};

// runRenderer in this process, at the test clock's moment, off a terminal
// unless said otherwise.
inline RunResult run(const RenderOptions& options, const std::string& input = "", bool outIsTerminal = false) {
    std::istringstream in(input);
    std::ostringstream out, err;
    FixedClock clock = testing::testClock();
    const int status = runRenderer(options, {in, out, err, false, outIsTerminal}, clock);
    return {status, out.str(), err.str()};
}

inline RenderOptions renderTo(const std::string& text, const std::filesystem::path& file) {
    RenderOptions o;
    o.text = text;
    o.output = file;
    return o;
}

// A batch of the lines on standard input into outDir, small and without
// caption, so that its files are quick to draw and compare.
inline RenderOptions smallBatchInto(const std::filesystem::path& outDir) {
    RenderOptions o;
    o.action = RenderOptions::Action::Batch;
    o.batchList = "-";
    o.outDir = outDir;
    o.width = 32, o.height = 24, o.sizeGiven = true;
    o.caption = false, o.captionGiven = true;
    return o;
}

class RenderOutput : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        folder = testing::freshFolder();
    }
    std::filesystem::path folder;
};

// The program itself, as a shell runs it; its standard output goes to
// `outputFile` when one is given (and is then not returned).
inline RunResult runProgram(const QStringList& arguments, const std::filesystem::path& folder,
                            const QByteArray& input = {}, const QString& outputFile = {},
                            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    if (!outputFile.isEmpty()) process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(TEXTSCAPE_RENDER_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

}  // namespace ts::render_test
