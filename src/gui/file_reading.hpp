#pragma once

#include <QObject>

#include <exception>
#include <filesystem>
#include <functional>

#include "gui/picture_file.hpp"

class QThread;

namespace ts {

// Reads picture files for their recipe on a thread of its own, one at a
// time, so that a large or slow file never holds the window up: what was
// found is told on the thread that asked, as readPictureFile finds it. A
// file that is no regular file, or too large, is refused before anything is
// read.
class PictureFileReader final : public QObject {
public:
    using Done = std::function<void(const OpenedPicture&)>;

    explicit PictureFileReader(QObject* parent = nullptr) : QObject(parent) {}
    // Waits for the file being read.
    ~PictureFileReader() override;
    PictureFileReader(const PictureFileReader&) = delete;
    PictureFileReader& operator=(const PictureFileReader&) = delete;

    // Starts reading `file`, unless one is being read (then false, and
    // nothing is started). `done` is called once, from the event loop.
    bool start(const std::filesystem::path& file, Done done);
    bool busy() const { return thread_ != nullptr; }

private:
    void finish(const OpenedPicture& opened);

    QThread* thread_ = nullptr;
    Done done_;
};

// What a reading that failed outright (out of memory, say) is told as: an
// unreadable file, named, with the reason.
OpenedPicture failedReading(const std::filesystem::path& file, const std::exception& failure);

}  // namespace ts
