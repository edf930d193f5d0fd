#include "gui/guarded_application.hpp"

#include <cstdio>
#include <exception>
#include <new>

namespace ts {

bool deliverGuarded(const std::function<bool()>& deliver, const FailureReport& failed) {
    QString what;
    try {
        return deliver();
    } catch (const std::bad_alloc&) {
        what = QStringLiteral("not enough memory");
    } catch (const std::exception& failure) {
        what = QString::fromUtf8(failure.what());
    } catch (...) {
        what = QStringLiteral("unknown failure");
    }
    if (failed) {
        failed(what);
    } else {
        std::fprintf(stderr, "textscape: %s\n", what.toLocal8Bit().constData());
    }
    return true;
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); }, report_);
}

}  // namespace ts
