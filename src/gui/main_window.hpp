#pragma once

#include <QWidget>

#include <functional>
#include <memory>

#include "files/save_composite.hpp"
#include "gui/text_dialog.hpp"
#include "picture/picture.hpp"
#include "platform/raster_surface.hpp"
#include "state/form_state.hpp"
#include "state/layout.hpp"

class QPushButton;

namespace ts {

// A picture area: it only paints the persistent image it is given.
class PictureBox final : public QWidget {
public:
    PictureBox(const Raster& raster, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Raster& raster_;
};

// The program's one window. Its client area, the canvas Picture1 and the
// composite Picture2 each keep what is drawn on them in a raster of their
// own, which the widgets paint. The window owns the state record and the
// platform operations the procedures are run with.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    // Without a dialog or clock of their own the window asks with a Qt
    // dialog and reads the system clock.
    explicit Form1(std::unique_ptr<TextDialog> dialog = nullptr, std::unique_ptr<Clock> clock = nullptr);
    ~Form1() override;

    // Start-up: shows the window, fixes the geometry and makes the first
    // picture.
    void start();

    FormState& state() { return state_; }
    PictureTools& tools() { return tools_; }
    RasterSurface& windowSurface() { return window_; }
    RasterSurface& canvas() { return canvas_; }
    RasterSurface& composite() { return composite_; }

    // Whether the program has been ended, and the status it ended with.
    bool ended() const { return ended_; }
    int exitStatus() const { return exitStatus_; }

    // How a run-time error is reported before the program ends; by default
    // a critical message box.
    void setErrorReport(std::function<void(const QString&)> report) { errorReport_ = std::move(report); }
    // How a failed save is told; by default a warning box. The program goes on.
    void setSaveFailureReport(std::function<void(const QString&)> report) { saveFailureReport_ = std::move(report); }
    // The line the last save left beside the buttons ("saved to ...").
    const QString& saveStatus() const { return saveStatus_; }

public slots:
    // "new text / new image"
    void Command5_Click();
    // "exit"
    void Command2_Click();
    // "save on disk D:": saves the picture into the user's pictures folder.
    void Command3_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs one action of the program; a failure ends it with a report.
    void run(const std::function<void()>& action);
    void endProgram(int status);
    void showOnScreen();
    // Asks for a text until one is given that the program takes, then makes
    // its picture.
    void askAndMakePicture();
    void showSaveStatus(const QString& text);
    QPushButton* addButton(const char* name, const QString& caption, const layout::Rect& place, int fontPixels);

    FormState state_;
    RasterSurface window_;
    RasterSurface canvas_;
    RasterSurface composite_;
    SplitMixGenerator random_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<TextDialog> dialog_;
    PictureTools tools_;

    std::function<void(const QString&)> errorReport_;
    std::function<void(const QString&)> saveFailureReport_;
    SaveHistory saveHistory_;
    QString saveStatus_;
    bool ended_ = false;
    int exitStatus_ = 0;
};

}  // namespace ts
