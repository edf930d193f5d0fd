// Drives the window through many "new text / new image" cycles with its
// real prompt, answering each prompt with a new text, and prints the
// process's resident memory every 100 cycles. Not a test: a program to run
// under a heap profiler, e.g.
//
//   QT_QPA_PLATFORM=offscreen heaptrack build/tests/gui/window_cycles 1000
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gui/main_window.hpp"

namespace {

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;

    // Answers whichever prompt is open with the next text.
    int answered = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&answered] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("text"));
        if (!field) return;
        // Texts of every length from 1 to 100 characters, so that captions
        // come in every size.
        ++answered;
        const QString text = QStringLiteral("cycle %1 \u00e9\u6f22 ").arg(answered).repeated(20);
        field->setText(text.left(1 + answered * 37 % 100));
        dialog->accept();
    });
    answer.start(0);

    ts::Form1 form;
    form.start();
    auto* next = form.findChild<QPushButton*>(QStringLiteral("Command5"));
    if (!next || form.ended()) return 1;
    std::printf("cycles resident_kB\n0 %ld\n", residentKilobytes());
    for (int k = 1; k <= cycles; ++k) {
        next->click();
        QApplication::processEvents();
        if (k % 100 == 0) std::printf("%d %ld\n", k, residentKilobytes());
    }
    std::fflush(stdout);
    return answered == cycles + 1 ? 0 : 1;
}
