#include "gui/file_reading.hpp"

#include <QThread>

#include <new>
#include <stdexcept>
#include <utility>

#include "numeric/check.hpp"

namespace ts {

OpenedPicture failedReading(const std::filesystem::path& file, const std::exception& failure) {
    const std::string why = dynamic_cast<const std::bad_alloc*>(&failure) ? std::string("not enough memory to read it")
                                                                         : std::string(failure.what());
    return {OpenedPicture::Kind::Unreadable, {}, file.filename().string() + " cannot be read: " + why + ".", {}};
}

PictureFileReader::~PictureFileReader() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

bool PictureFileReader::start(const std::filesystem::path& file, Done done) {
    if (thread_) return false;
    TS_CHECK(static_cast<bool>(done), "a reading has someone to tell");
    done_ = std::move(done);
    thread_ = QThread::create([this, file] {
        OpenedPicture opened;
        // Nothing thrown here may end the program: it is told as a file
        // that cannot be read.
        try {
            opened = readPictureFile(file);
        } catch (const std::exception& failure) {
            opened = failedReading(file, failure);
        } catch (...) {
            opened = failedReading(file, std::runtime_error("an unknown failure"));
        }
        QMetaObject::invokeMethod(this, [this, opened = std::move(opened)] { finish(opened); }, Qt::QueuedConnection);
    });
    thread_->start();
    return true;
}

void PictureFileReader::finish(const OpenedPicture& opened) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    // The next file may be asked for from within `done`.
    Done done = std::move(done_);
    done_ = {};
    done(opened);
}

}  // namespace ts
