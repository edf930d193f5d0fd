#pragma once

#include <QKeySequence>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "files/save_composite.hpp"
#include "gui/client_area.hpp"
#include "gui/file_dialogs.hpp"
#include "gui/picture_file.hpp"
#include "gui/sharp_picture.hpp"
#include "gui/text_dialog.hpp"
#include "gui/window_settings.hpp"
#include "picture/picture.hpp"
#include "platform/raster_surface.hpp"
#include "state/form_state.hpp"
#include "state/layout.hpp"

class QAction;
class QMenu;
class QMessageBox;
class QToolButton;
class QMimeData;
class QProgressDialog;
class QPushButton;

namespace ts {

class LivePreview;
class PictureExport;
class PictureFileReader;
class FullScreenView;
class SharpPicture;

// The keys of a standard shortcut: the platform's, or Ctrl+Shift+S for
// "save as" and Ctrl+Q for "quit" where the platform has none.
QList<QKeySequence> shortcutKeys(QKeySequence::StandardKey key);

// The smallest client area the window allows on a screen whose free area
// is `available`, its frame taking `frame`: the whole layout where it fits,
// else all the screen gives (and the layout scrolls).
QSize smallestClientArea(QSize available, QMargins frame);

// The program's one window. Its client area, the canvas Picture1 and the
// composite Picture2 each keep what is drawn on them in a raster of their
// own, which the widgets paint. Where the window is smaller than the
// layout, the client area scrolls. The window owns the state record and the
// platform operations the procedures are run with.
class Form1 final : public QScrollArea {
    Q_OBJECT

public:
    // Without a dialog or clock of their own the window asks with a Qt
    // dialog and reads the system clock.
    explicit Form1(std::unique_ptr<TextDialog> dialog = nullptr, std::unique_ptr<Clock> clock = nullptr);
    ~Form1() override;

    // Start-up: shows the window, fixes the geometry and makes the first
    // picture: the one `file` carries, as Open makes it, or else (no file,
    // or one without a recipe, which is told) the one of the text asked for.
    void start(const std::filesystem::path& file = {});

    FormState& state() { return state_; }
    PictureTools& tools() { return tools_; }
    RasterSurface& windowSurface() { return window_; }
    RasterSurface& canvas() { return canvas_; }
    RasterSurface& composite() { return composite_; }
    QWidget* clientArea() const { return client_; }
    // The menu the canvas opens on a right click.
    QMenu* pictureMenu() const { return pictureMenu_; }
    // The button right of the canvas that opens the same menu.
    QToolButton* menuButton() const { return menuButton_; }
    // The picture on the whole screen, while it is shown.
    FullScreenView* fullScreenView() const;
    // The canvas drawn at the screen's device pixels, on a dense screen.
    SharpPicture& sharpCanvas() const { return *sharp_; }
    // The picture of the text being typed while the prompt is open.
    LivePreview* livePreview() const { return preview_.get(); }
    // The help and about box, once F1 or the menu has opened it.
    QMessageBox* helpBox() const { return helpBox_; }

    // Whether the program has been ended, and the status it ended with.
    bool ended() const { return ended_; }
    int exitStatus() const { return exitStatus_; }

    // How a run-time error is reported before the program ends; by default
    // a critical message box.
    void setErrorReport(std::function<void(const QString&)> report) { errorReport_ = std::move(report); }
    // How a failed save is told; by default a warning box. The program goes on.
    void setSaveFailureReport(std::function<void(const QString&)> report) { saveFailureReport_ = std::move(report); }
    // How a picture that cannot be opened (or a dropped text that is not
    // taken) is told; by default a warning box. The picture stays.
    void setOpenFailureReport(std::function<void(const QString&)> report) { openFailureReport_ = std::move(report); }
    // The dialogs "Save as" and "Open picture" ask with.
    void setFileDialogs(std::unique_ptr<FileDialogs> dialogs) { fileDialogs_ = std::move(dialogs); }
    // The file the folder used last is remembered in; by default the
    // user's settings for Textscape.
    void setSettingsFile(const QString& file) { settings_.setFile(file); }
    // The line beside the buttons: the last save, or a note on a dropped text.
    const QString& statusLine() const { return statusLine_; }
    // Whether a "Save as" is being written.
    bool exporting() const { return export_ != nullptr; }
    // The progress window of the "Save as" being written (its Cancel stops
    // it), while there is one.
    QProgressDialog* exportProgress() const { return exportProgress_; }
    // Whether a picture file is being read for Open or a drop.
    bool readingFile() const;
    // Whether the picture shown has been saved (by "save on disk D:" or
    // "Save as").
    bool pictureSaved() const { return pictureSaved_; }

    // A failure no action handled (what it says): while the picture shown is
    // not saved it is told and the program goes on, the picture kept;
    // otherwise it is told and the program ends with status 1.
    void runTimeError(const QString& what);

public slots:
    // "new text / new image"
    void Command5_Click();
    // "exit"
    void Command2_Click();
    // "save on disk D:": saves the picture into the user's pictures folder.
    void Command3_Click();
    // Puts the picture on the clipboard as an image.
    void copyPicture();
    // Asks where, in which format and at which size to save the picture, and
    // writes it on a worker thread, with its progress shown and a Cancel.
    void savePictureAs();
    // Asks for a picture Textscape wrote and makes it again from its text.
    void openPicture();
    // Shows the picture alone on the window's screen, at its full
    // resolution; Escape returns.
    void showPictureFullScreen();
    // Shows the help and about box: version, licence, keys, and what the
    // parameter line means.
    void showHelp();

public:
    // Makes the picture again from the recipe in `file`, read on a thread
    // of its own while the window goes on (fileRead() tells when it is
    // done); a file without one is told and the picture stays. While one
    // file is read, another is refused with a note.
    void openFile(const std::filesystem::path& file);
    // Makes the picture of a dropped text: its first line, cut to 100
    // characters, with a note when cut.
    void takeText(const QString& dropped);
    // What a drop on the window brings: a file or a text.
    bool canTake(const QMimeData& dropped) const;
    void take(const QMimeData& dropped);

signals:
    // A "Save as" has ended: written, or not (and told why, unless it was
    // cancelled).
    void exportFinished(bool written);
    // A file asked for by openFile has been read, and its picture made or
    // its failure told.
    void fileRead();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs one action of the program; a failure ends it with a report.
    void run(const std::function<void()>& action);
    void endProgram(int status);
    void showOnScreen();
    // Asks for a text until one is given that the program takes, then makes
    // its picture; cancelling keeps the picture there is (at start-up, when
    // there is none, it makes the empty text's picture).
    void askAndMakePicture();
    // A picture file's text comes with the file's picture definition and
    // caption flag; any other text is of the newest, with its caption.
    void makePicture(std::string text, int definition = kLatestPictureDefinition, bool caption = true);
    // What follows a new picture, drawn or taken from the preview: `made`
    // says how it was made.
    void pictureMade(PictureRecipeState made);
    // Shows the picture a file's recipe gives, at the canvas's size, and
    // keeps the file's own size for "Save as" to offer first.
    void showOpened(const OpenedPicture& opened);
    void showStatus(const QString& text);
    void clearSaveMark();
    void repaintAll();
    // A button `toRead` does nothing and is read as text.
    QPushButton* addButton(const char* name, const QString& caption, const layout::Rect& place, int fontPixels,
                           bool toRead = false);
    QAction* addShortcut(const QString& text, QKeySequence::StandardKey key, void (Form1::*slot)());
    void exportDone();
    void fileDone(const OpenedPicture& opened);

    FormState state_;
    RasterSurface window_;
    RasterSurface canvas_;
    RasterSurface composite_;
    SplitMixGenerator random_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<TextDialog> dialog_;
    std::unique_ptr<FileDialogs> fileDialogs_;
    PictureTools tools_;
    ClientArea* client_ = nullptr;
    QPushButton* newButton_ = nullptr;
    QMenu* pictureMenu_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QToolButton* menuButton_ = nullptr;
    QMessageBox* helpBox_ = nullptr;

    std::function<void(const QString&)> errorReport_;
    std::function<void(const QString&)> saveFailureReport_;
    std::function<void(const QString&)> openFailureReport_;
    WindowSettings settings_;
    SaveHistory saveHistory_;
    QString statusLine_;
    bool hasPicture_ = false;
    // The size of the file the shown picture was opened from, when it
    // records one; "Save as" offers it first.
    std::optional<PictureSize> fileSize_;
    bool pictureSaved_ = false;
    // Counts the pictures made, so that a "Save as" that ends after the
    // next picture does not count that one as saved.
    unsigned pictureNumber_ = 0;
    unsigned exportedPicture_ = 0;
    PictureFileReader* reader_ = nullptr;
    SharpPicture* sharp_ = nullptr;
    // How the picture shown was made, for drawing it at other sizes.
    PictureRecipeState shown_;
    QPointer<FullScreenView> fullScreen_;
    QAction* cancelSaveAction_ = nullptr;
    bool ended_ = false;
    int exitStatus_ = 0;
    PictureExport* export_ = nullptr;
    QProgressDialog* exportProgress_ = nullptr;
    // Last: its worker stops before what it draws with goes.
    std::unique_ptr<LivePreview> preview_;
};

}  // namespace ts
