// Times the window as a user meets it, with its real prompt, offscreen:
// each of the benchmark's texts (one per shape formula) typed letter by
// letter, from the key event to the new picture painted on the canvas,
// its first stage and its exact one; and from OK to the picture painted,
// once after typing and once with OK pressed right after a paste, while
// the picture is still being drawn. Not a test: a benchmark, e.g.
//
//   QT_QPA_PLATFORM=offscreen build/tests/gui/preview_harness --rounds 3
//
// It prints each key's figures, then percentiles, the machine's load
// before and after, and the coarse and stopped drawings.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <time.h>
#include <unistd.h>
#include <vector>

#include "gui/live_preview.hpp"
#include "gui/main_window.hpp"
#include "scenes.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using ts::LivePreview;

double msSince(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time, in ms, of the whole process or of the calling (GUI) thread:
// what a busy machine changes less than the wall clock.
double cpuMs(clockid_t which) {
    timespec t{};
    clock_gettime(which, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Every paint of the canvas, when it ended and what it showed.
struct Painted {
    Clock::time_point at;
    std::optional<LivePreview::Shown> shown;
};

class PaintClock final : public QObject {
public:
    PaintClock(QWidget* canvas, const LivePreview& preview) : preview_(preview) { canvas->installEventFilter(this); }
    const std::vector<Painted>& paints() const { return paints_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        // Painted here, so that the time taken is when the paint is done.
        static_cast<QObject*>(watched)->event(event);
        paints_.push_back({Clock::now(), preview_.shown()});
        return true;
    }

private:
    const LivePreview& preview_;
    std::vector<Painted> paints_;
};

// The first paint after `from` that `matches`, waiting for it.
std::optional<Clock::time_point> paintAfter(const PaintClock& clock, std::size_t from,
                                            const std::function<bool(const Painted&)>& matches) {
    std::optional<Clock::time_point> found;
    (void)QTest::qWaitFor(
        [&] {
            for (std::size_t k = from; k < clock.paints().size(); ++k)
                if (matches(clock.paints()[k])) {
                    found = clock.paints()[k].at;
                    return true;
                }
            return false;
        },
        60000);
    return found;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto k = static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(k, v.size() - 1)];
}

void summary(const char* what, const std::vector<double>& v, double goal) {
    std::printf("%-34s n=%-4zu median %6.1f  p95 %6.1f  max %6.1f ms   goal %g ms\n", what, v.size(), percentile(v, 50),
                percentile(v, 95), v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()), goal);
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

QPushButton* button(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box ? box->button(which) : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int rounds = 2;
    for (int k = 1; k < argc; ++k)
        if (std::strcmp(argv[k], "--rounds") == 0 && k + 1 < argc) rounds = std::max(1, std::atoi(argv[++k]));
    QApplication app(argc, argv);

    std::vector<std::string> texts;
    for (const FormulaScene& scene : formulaScenes()) texts.push_back(scene.text);

    ts::Form1 form;
    const std::string settings = "/tmp/textscape-preview-harness-" + std::to_string(::getpid()) + ".ini";
    form.setSettingsFile(QString::fromStdString(settings));
    LivePreview& preview = *form.livePreview();
    auto* canvas = form.findChild<QWidget*>(QStringLiteral("Picture1"));
    PaintClock paints(canvas, preview);

    std::vector<double> first, exact, firstCoarse, okAfterTyping, okAfterPaste;
    std::vector<double> keyProcessCpu, keyGuiCpu, okGuiCpu;
    int coarseFirst = 0, keys = 0;
    std::printf("load average before: %s; %u hardware threads\n", loadAverage().c_str(),
                std::thread::hardware_concurrency());
    std::printf("key  text                first(ms) stage   exact(ms)  CPU: all(ms) GUI thread(ms)\n");

    // What is done in each prompt: type `text` letter by letter, or paste it
    // whole; then OK, the moment kept in `okPressed`.
    std::string text;
    bool paste = false;
    bool timing = false;
    Clock::time_point okPressed;
    double okGuiBefore = 0;
    std::size_t paintsAtOk = 0;
    QTimer inPrompt;
    QObject::connect(&inPrompt, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        inPrompt.stop();
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("text"));
        if (paste) {
            field->insert(QString::fromStdString(text));
        } else {
            for (std::size_t n = 1; n <= text.size(); ++n) {
                const std::size_t from = paints.paints().size();
                const std::string typed = text.substr(0, n);
                const double processBefore = cpuMs(CLOCK_PROCESS_CPUTIME_ID),
                             guiBefore = cpuMs(CLOCK_THREAD_CPUTIME_ID);
                const Clock::time_point key = Clock::now();
                QTest::keyClick(field, text[n - 1]);
                const auto firstPaint =
                    paintAfter(paints, from, [&](const Painted& p) { return p.shown && p.shown->text == typed; });
                const auto exactPaint = paintAfter(paints, from, [&](const Painted& p) {
                    return p.shown && p.shown->text == typed && p.shown->stage == LivePreview::Stage::Exact;
                });
                const double processCpu = cpuMs(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
                const double guiCpu = cpuMs(CLOCK_THREAD_CPUTIME_ID) - guiBefore;
                if (!firstPaint || !exactPaint) {
                    std::fprintf(stderr, "no picture of \"%s\"\n", typed.c_str());
                    std::exit(1);
                }
                bool coarse = false;
                for (std::size_t k = from; k < paints.paints().size(); ++k)
                    if (paints.paints()[k].shown && paints.paints()[k].shown->text == typed) {
                        coarse = paints.paints()[k].shown->stage == LivePreview::Stage::Coarse;
                        break;
                    }
                if (timing) {
                    ++keys;
                    keyProcessCpu.push_back(processCpu);
                    keyGuiCpu.push_back(guiCpu);
                    first.push_back(msSince(key, *firstPaint));
                    exact.push_back(msSince(key, *exactPaint));
                    if (coarse) {
                        ++coarseFirst;
                        firstCoarse.push_back(first.back());
                    }
                    std::printf("%-4d %-19s %8.1f  %-7s %8.1f  %8.1f %8.1f\n", keys, typed.c_str(), first.back(),
                                coarse ? "coarse" : "exact", exact.back(), processCpu, guiCpu);
                }
            }
        }
        paintsAtOk = paints.paints().size();
        okGuiBefore = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        okPressed = Clock::now();
        button(*dialog, QDialogButtonBox::Ok)->click();
    });

    double okGuiMs = 0;
    // The picture OK leaves on the canvas: painted after OK, and showing no
    // stage of the prompt's any more.
    const auto okToScreen = [&]() -> double {
        const auto at = paintAfter(paints, paintsAtOk, [&](const Painted& p) { return p.at >= okPressed; });
        if (!at) {
            std::fprintf(stderr, "no picture after OK\n");
            std::exit(1);
        }
        okGuiMs = cpuMs(CLOCK_THREAD_CPUTIME_ID) - okGuiBefore;
        return msSince(okPressed, *at);
    };

    bool started = false;
    // Round 0 warms the fonts and the per-formula timings, and is not kept.
    for (int round = 0; round <= rounds; ++round) {
        timing = round > 0;
        for (const bool pasting : {false, true}) {
            for (const std::string& t : texts) {
                text = pasting ? t + " (pasted)" : t;
                paste = pasting;
                inPrompt.start(0);
                if (!started) {
                    form.start();
                    started = true;
                } else {
                    form.Command5_Click();
                }
                const double ok = okToScreen();
                if (timing) {
                    (pasting ? okAfterPaste : okAfterTyping).push_back(ok);
                    if (!pasting) okGuiCpu.push_back(okGuiMs);
                }
                if (form.ended() || form.state().t != text) {
                    std::fprintf(stderr, "the window did not take \"%s\"\n", text.c_str());
                    return 1;
                }
            }
        }
    }

    const LivePreview::Counts counts = preview.counts();
    std::printf("\nload average after: %s\n", loadAverage().c_str());
    std::printf("%d keys over %zu texts, %d rounds; the coarse stage came first for %d\n", keys, texts.size(), rounds,
                coarseFirst);
    summary("key -> first stage painted", first, 16);
    summary("  of which coarse", firstCoarse, 16);
    summary("key -> exact picture painted", exact, 50);
    summary("OK after typing -> on screen", okAfterTyping, 25);
    summary("OK right after a paste -> on screen", okAfterPaste, 25);
    std::printf(
        "CPU time per key, key to exact picture: process median %.1f p95 %.1f ms, GUI thread median %.1f "
        "p95 %.1f ms; OK after typing, GUI thread: median %.1f p95 %.1f ms\n",
        percentile(keyProcessCpu, 50), percentile(keyProcessCpu, 95), percentile(keyGuiCpu, 50),
        percentile(keyGuiCpu, 95), percentile(okGuiCpu, 50), percentile(okGuiCpu, 95));
    std::printf("drawings: %d begun, %d stopped as stale, %d coarse stages, %d exact\n", counts.begun, counts.stopped,
                counts.coarse, counts.exact);
    std::remove(settings.c_str());
    return 0;
}
