#pragma once

#include <QApplication>
#include <QString>

#include <functional>

namespace ts {

// What is told of a failure that reached the event loop: its words.
using FailureReport = std::function<void(const QString& what)>;

// Runs `deliver` (one event handed to its receiver) and catches whatever it
// throws, which must not unwind through the toolkit's own code: the failure
// is told to `failed` and the event counts as handled.
bool deliverGuarded(const std::function<bool()>& deliver, const FailureReport& failed);

// The window's application: an exception thrown by any event's handler is
// told to the failure report, and the event loop goes on.
class GuardedApplication final : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    void setFailureReport(FailureReport report) { report_ = std::move(report); }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    FailureReport report_;
};

}  // namespace ts
