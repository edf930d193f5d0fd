#include "gui/main_window.hpp"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <new>
#include <optional>

#include "annotate/info_line.hpp"
#include "files/file_output.hpp"
#include "files/image_encoding.hpp"
#include "files/pictures_folder.hpp"
#include "files/png_recipe.hpp"
#include "gui/accessibility.hpp"
#include "gui/command_line.hpp"
#include "gui/dropped_text.hpp"
#include "gui/file_reading.hpp"
#include "gui/full_screen.hpp"
#include "gui/help_box.hpp"
#include "gui/live_preview.hpp"
#include "gui/picture_export.hpp"
#include "gui/picture_file.hpp"
#include "gui/qt_text_dialog.hpp"
#include "gui/window_words.hpp"
#include "qt/qt_image.hpp"
#include "qt/qt_surfaces.hpp"
#include "seed/read_text_seed.hpp"

namespace ts {

namespace {

QString pathText(const std::filesystem::path& path) { return QString::fromStdString(homeRelative(path)); }

// Runs an event loop until the window is exposed on the screen, or for at
// most three seconds where the platform never says so.
class ExposureWait final : public QObject {
public:
    explicit ExposureWait(QWindow* window) : window_(window) {
        if (window_) window_->installEventFilter(this);
        QTimer::singleShot(3000, &loop_, &QEventLoop::quit);
    }
    void wait() {
        if (window_ && !window_->isExposed()) loop_.exec(QEventLoop::ExcludeUserInputEvents);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) loop_.quit();
        return false;
    }

private:
    QWindow* window_;
    QEventLoop loop_;
};

// The window's client area keeps drawings wherever the maximized window can
// reach, and at least where the layout and the info band lie.
QSize windowSurfaceSize() {
    QSize size(layout::kLayoutWidth, layout::kLayoutHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) size = size.expandedTo(screen->geometry().size());
    return size;
}

// The menu button: right of the canvas, level with its top, as wide as
// "new text / new image" below it; nothing is drawn there.
constexpr layout::Rect kMenuButton{648, 80, 137, 17};

QScreen* screenOf(const QWidget& widget) {
    return widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
}

}  // namespace

QSize smallestClientArea(QSize available, QMargins frame) {
    return QSize(layout::kLayoutWidth, layout::kLayoutHeight).boundedTo(available.shrunkBy(frame));
}

Form1::Form1(std::unique_ptr<TextDialog> dialog, std::unique_ptr<Clock> clock)
    : window_(makeWindowSurface(windowSurfaceSize().width(), windowSurfaceSize().height())),
      canvas_(makeCanvas()),
      composite_(makeComposite()),
      clock_(clock ? std::move(clock) : std::make_unique<SystemClock>()),
      dialog_(dialog ? std::move(dialog) : std::make_unique<QtTextDialog>(this)),
      fileDialogs_(std::make_unique<QtFileDialogs>(this)),
      tools_{window_, canvas_, *clock_, random_},
      reader_(new PictureFileReader(this)),
      sharp_(new SharpPicture(this)) {
    // Told to assistive technology as the window it is, before anything
    // asks what it is.
    setAccessibleRole(this, QAccessible::Window);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    // The platform shows the title with the program's name: "Form1 — Textscape".
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Textscape"));
    setWindowIcon(programIcon());
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    errorReport_ = [this](const QString& text) { QMessageBox::critical(this, QString(), text); };
    saveFailureReport_ = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Picture not saved"), text);
    };
    openFailureReport_ = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("No picture made"), text);
    };

    client_ = new ClientArea(*this, window_.raster());
    client_->setObjectName(QStringLiteral("client"));

    // Later children lie on top: Picture1 goes over Picture2. The composite
    // is only the save's source, and is not shown.
    auto* picture2 = new PictureBox(composite_.raster(), client_);
    picture2->setObjectName(QStringLiteral("Picture2"));
    picture2->setGeometry(rectOf(layout::kPicture2));
    picture2->setVisible(false);
    auto* picture1 = new PictureBox(canvas_.raster(), client_);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setGeometry(rectOf(layout::kPicture1));
    picture1->setSharp(sharp_);
    picture1->setOnDoubleClick([this] { showPictureFullScreen(); });

    using namespace layout;
    QPushButton* command1 =
        addButton("Command1", QStringLiteral("CREATE TEXT-BASE IMAGE"), kHeadingButton, kLargeCaptionPixels, true);
    newButton_ = addButton("Command5", QStringLiteral("new text / new image"), kNewButton, kSmallCaptionPixels);
    QPushButton* command2 = addButton("Command2", QStringLiteral("exit"), kExitButton, kSmallCaptionPixels);
    QPushButton* command3 = addButton("Command3", QStringLiteral("save on disk D:"), kSaveButton, kSmallCaptionPixels);
    QPushButton* command4 = addButton("Command4", QStringLiteral("Textscape \u2014 type a text, get a picture"),
                                      kBannerButton, kLargeCaptionPixels, true);

    command3->setToolTip(QStringLiteral("Saves the picture as a bitmap in %1").arg(pathText(picturesFolder())));
    connect(newButton_, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(command3, &QPushButton::clicked, this, &Form1::Command3_Click);

    // The heading and the banner do nothing and take no focus. The three
    // that act keep their order: exit, new, save.
    command1->setFocusPolicy(Qt::NoFocus);
    command4->setFocusPolicy(Qt::NoFocus);
    command4->setAccessibleName(command4->text());
    command1->setAccessibleName(QStringLiteral("Create text-based image"));
    QWidget::setTabOrder(command2, newButton_);
    QWidget::setTabOrder(newButton_, command3);
    newButton_->setFocus();

    // The shortcuts, and the canvas's menu with the same actions.
    QAction* newText = addShortcut(QStringLiteral("New text"), QKeySequence::New, &Form1::Command5_Click);
    QAction* save = addShortcut(QStringLiteral("Save on disk"), QKeySequence::Save, &Form1::Command3_Click);
    saveAsAction_ = addShortcut(QStringLiteral("Save as\u2026"), QKeySequence::SaveAs, &Form1::savePictureAs);
    QAction* copy = addShortcut(QStringLiteral("Copy picture"), QKeySequence::Copy, &Form1::copyPicture);
    QAction* open = addShortcut(QStringLiteral("Open picture\u2026"), QKeySequence::Open, &Form1::openPicture);
    QAction* quit = addShortcut(QStringLiteral("Quit"), QKeySequence::Quit, &Form1::Command2_Click);
    QAction* help = addShortcut(QStringLiteral("Help and about"), QKeySequence::HelpContents, &Form1::showHelp);
    QAction* fullScreen = addShortcut(QStringLiteral("Full screen"), QKeySequence::FullScreen, &Form1::showPictureFullScreen);
    // The progress window of a "Save as" takes no keys: Escape on the window
    // cancels it.
    cancelSaveAction_ = new QAction(QStringLiteral("Cancel the save"), this);
    cancelSaveAction_->setShortcut(QKeySequence(Qt::Key_Escape));
    cancelSaveAction_->setShortcutContext(Qt::WindowShortcut);
    cancelSaveAction_->setEnabled(false);
    connect(cancelSaveAction_, &QAction::triggered, this, [this] {
        if (export_) export_->cancel();
    });
    addAction(cancelSaveAction_);
    pictureMenu_ = new QMenu(this);
    pictureMenu_->setObjectName(QStringLiteral("pictureMenu"));
    pictureMenu_->addActions({newText, copy, save, saveAsAction_, open, fullScreen});
    pictureMenu_->addSeparator();
    pictureMenu_->addActions({help, quit});

    // The same menu from a button in the free space right of the canvas, so
    // that nothing is found only by a right click or a key. The seven
    // controls keep their places.
    menuButton_ = new QToolButton(client_);
    menuButton_->setObjectName(QStringLiteral("menuButton"));
    menuButton_->setText(QStringLiteral("menu"));  // the style adds the drop-down arrow
    menuButton_->setFont(newButton_->font());
    menuButton_->setGeometry(rectOf(kMenuButton));
    menuButton_->setPopupMode(QToolButton::InstantPopup);
    menuButton_->setMenu(pictureMenu_);
    menuButton_->setToolTip(tipWithKeys(QStringLiteral("Copy, Save as, Open picture and help"), keysOf(*help)));

    newButton_->setToolTip(tipWithKeys(QStringLiteral("Asks for a text and makes its picture"), keysOf(*newText)));
    command2->setToolTip(tipWithKeys(QStringLiteral("Ends the program"), keysOf(*quit)));
    command3->setToolTip(tipWithKeys(command3->toolTip(), keysOf(*save)));
    QWidget::setTabOrder(command3, menuButton_);
    // A plainly visible focus: the platform's ring is a faint line.
    client_->setStyleSheet(QStringLiteral(
        "QPushButton:focus, QToolButton:focus { border: 2px solid #3daee9; background: #e8f4fb; }"));
    setAccessibleName(QStringLiteral("Textscape"));
    setAccessibleRole(picture1, QAccessible::Graphic);
    picture1->setAccessibleName(QStringLiteral("Picture"));
    picture1->setAccessibleDescription(QStringLiteral("No picture yet"));
    menuButton_->setAccessibleName(QStringLiteral("Menu"));
    // The window's own title is the design's "Form1"; what is heard inside
    // it says what it holds. Its description is the status line.
    client_->setAccessibleName(QStringLiteral("Picture and buttons"));
    picture2->setAccessibleName(QStringLiteral("Copy of the picture for saving, not shown"));
    for (QPushButton* b : {newButton_, command2, command3}) b->setAccessibleDescription(b->toolTip());
    menuButton_->setAccessibleDescription(menuButton_->toolTip());
    for (QAction* action : pictureMenu_->actions())
        if (!action->isSeparator()) action->setToolTip(tipWithKeys(action->text(), keysOf(*action)));
    picture1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(picture1, &QWidget::customContextMenuRequested, this,
            [this, picture1](const QPoint& at) { pictureMenu_->popup(picture1->mapToGlobal(at)); });

    setWidget(client_);

    // While the prompt is open the canvas follows the typing.
    preview_ =
        std::make_unique<LivePreview>(PreviewTarget{state_, random_, window_, canvas_, tools_, picture1, client_});
    dialog_->setWatcher(preview_.get());
}

Form1::~Form1() {
    // A picture being written is finished, so that no file is left half done.
    delete export_;
    delete fullScreen_.data();
    delete reader_;
}

QPushButton* Form1::addButton(const char* name, const QString& caption, const layout::Rect& place, int fontPixels,
                              bool toRead) {
    QPushButton* button = toRead ? new LabelButton(caption, client_) : new QPushButton(caption, client_);
    button->setObjectName(QString::fromLatin1(name));
    // Small buttons need a small font for their captions to fit.
    QFont font(sharedTextPainter()->family());
    font.setPixelSize(fontPixels);
    button->setFont(font);
    button->setGeometry(rectOf(place));
    // Return, like Space, presses the focused button.
    button->setAutoDefault(true);
    return button;
}

QList<QKeySequence> shortcutKeys(QKeySequence::StandardKey key) {
    QList<QKeySequence> platform = QKeySequence::keyBindings(key);
    // F11 is full screen everywhere, whatever else the platform says.
    if (key == QKeySequence::FullScreen && !platform.contains(QKeySequence(Qt::Key_F11)))
        platform.prepend(QKeySequence(Qt::Key_F11));
    if (!platform.isEmpty()) return platform;
    // Keyboard schemes without one (Windows' has no "save as" or "quit").
    if (key == QKeySequence::SaveAs) return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)};
    if (key == QKeySequence::Quit) return {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    return {};
}

QAction* Form1::addShortcut(const QString& text, QKeySequence::StandardKey key, void (Form1::*slot)()) {
    auto* action = new QAction(text, this);
    action->setShortcuts(shortcutKeys(key));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, slot);
    addAction(action);
    return action;
}

void Form1::start(const std::filesystem::path& file) {
    run([this, &file] {
        showOnScreen();
        random_.reseed(clock_->secondsSinceMidnight());
        state_.t1 = "type any text (100 characters max)";
        state_.t2 = "the program is case-sensitive";
        window_.clear();
        window_.setBackground(Colour::black());
        SetGeometry(state_);
        if (!file.empty()) {
            const OpenedPicture opened = readPictureFile(file);
            if (opened.kind == OpenedPicture::Kind::Text) {
                showOpened(opened);
                return;
            }
            openFailureReport_(QString::fromStdString(opened.message));
        }
        askAndMakePicture();
    });
}

void Form1::Command5_Click() {
    run([this] { askAndMakePicture(); });
}

void Form1::askAndMakePicture() {
    // The prompt's two lines are joined by a carriage return.
    TextRequest request{state_.t1 + '\r' + state_.t2, layout::kPromptLeftTwips, layout::kPromptTopTwips, {}, {},
                        settings_.recentTexts()};
    // What the prompt shows on the canvas goes when the prompt does, unless
    // OK takes it.
    struct Shown {
        LivePreview& preview;
        ~Shown() { preview.restore(); }
    } shown{*preview_};
    // What the live picture draws from, and so what its picture was made from.
    const FormState before = state_;
    preview_->begin();
    for (;;) {
        std::optional<std::string> text = dialog_->ask(request);
        if (!text) {
            preview_->restore();
            if (hasPicture_) return;
            text.emplace();  // at start-up: the empty text
        }
        if (Outcome checked = checkText(*text); !checked) {
            // Asked again, with the reason and the text kept for editing.
            request.text = std::move(*text);
            request.refusal = windowWords(checked.message).toStdString();
            continue;
        }
        // The picture on the canvas is the one OK makes: nothing to draw.
        if (preview_->take(*text)) {
            settings_.rememberText(state_.t);  // as drawn, in NFC
            pictureMade({before, std::move(*text), kLatestPictureDefinition});
            return;
        }
        makePicture(std::move(*text));
        return;
    }
}

void Form1::makePicture(std::string text, int definition, bool caption) {
    PictureRecipeState made{state_, text, definition, caption};
    {
        // A picture that fails half drawn leaves the one before it as it was.
        const RasterSurface window = window_, canvas = canvas_;
        const bool captionBefore = tools_.caption;
        try {
            tools_.caption = caption;
            MakePicture(state_, std::move(text), tools_, definition);
        } catch (...) {
            state_ = made.before;
            window_ = window;
            canvas_ = canvas;
            tools_.caption = captionBefore;
            throw;
        }
    }
    // Kept as it was drawn: in NFC, for picture definitions from 2.
    settings_.rememberText(state_.t);
    pictureMade(std::move(made));
}

void Form1::pictureMade(PictureRecipeState made) {
    shown_ = std::move(made);
    // A file's own size is offered again only once the file is shown (showOpened).
    fileSize_.reset();
    tools_.caption = shown_.caption;
    // On a dense screen the canvas is painted from the same picture drawn at
    // its device pixels.
    sharp_->setPicture(shown_, canvas_.raster());
    hasPicture_ = true;
    pictureSaved_ = false;
    ++pictureNumber_;
    // What a screen reader says of the canvas: its text, then how it was made.
    if (auto* picture1 = client_->findChild<QWidget*>(QStringLiteral("Picture1"))) {
        setAccessibleNameAnnounced(picture1, state_.t.empty() ? QStringLiteral("Picture of the empty text")
                                                              : QStringLiteral("Picture of \u201c%1\u201d")
                                                                    .arg(QString::fromStdString(state_.t)));
        setAccessibleDescriptionAnnounced(picture1, QString::fromStdString(parameterLine(state_)));
    }
    showStatus(QString());
    newButton_->setFocus();
    // Where the screen is smaller than the layout, the focused button is
    // scrolled into view.
    if (viewport()->width() < client_->width() || viewport()->height() < client_->height())
        ensureWidgetVisible(newButton_, 8, 8);
}

void Form1::Command2_Click() { endProgram(0); }

void Form1::Command3_Click() {
    run([this] {
        if (!hasPicture_) return;
        showStatus(QString());
        // The mark's strip is painted at once, column by column, so that it
        // is seen moving while the copy runs.
        using namespace layout;
        const Outcome saved =
            SaveComposite(state_, canvas_, composite_, window_, saveHistory_, picturesFolder(), [this](int column) {
                client_->repaint(column + kMarkTrail, kMarkTop, kMarkLead - kMarkTrail + 1, kMarkBottom - kMarkTop + 1);
            });
        clearSaveMark();
        if (saved) {
            pictureSaved_ = true;
            showStatus(QStringLiteral("saved to %1").arg(pathText(saved.file)));
        } else {
            showStatus(QStringLiteral("not saved: %1").arg(pathText(saved.file)));
            saveFailureReport_(QString::fromStdString(saved.message));
        }
    });
}

void Form1::clearSaveMark() {
    // The mark shows the copy running; once it is done it would only linger
    // under the canvas through later pictures.
    using namespace layout;
    Raster& area = window_.raster();
    const int right = std::min(area.width(), kSaveStatus.x);
    for (int y = kMarkTop; y <= kMarkBottom; ++y)
        for (int x = 0; x < right; ++x) area.set(x, y, Colour::black());
    client_->update(0, kMarkTop, right, kMarkBottom - kMarkTop + 1);
}

void Form1::copyPicture() {
    run([this] {
        if (!hasPicture_) return;
        QGuiApplication::clipboard()->setImage(imageOf(canvas_.raster()).copy());
        showStatus(QStringLiteral("picture copied to the clipboard"));
    });
}

void Form1::savePictureAs() {
    run([this] {
        if (!hasPicture_ || exporting()) return;
        const std::optional<SaveChoice> choice =
            fileDialogs_->askSaveFile(settings_.dialogFolder(), state_.imeslike, exportSizes(fileSize_));
        if (!choice) return;
        settings_.rememberFolder(choice->file.parent_path());

        // The export works on copies: the window goes on meanwhile. At the
        // canvas's size the file holds the canvas as shown.
        PictureExport::Request request{
            .file = choice->file,
            .format = choice->format,
            .width = choice->size.width,
            .height = choice->size.height,
            .text = state_.t,
            .recipe = {state_.t, parameterLine(state_), windowVersion(), creationTimeOf(state_), state_.definition,
                       choice->size.width, choice->size.height, tools_.caption},
            .shown = {},
        };
        if (request.width == layout::kCanvasWidth && request.height == layout::kCanvasHeight)
            request.shown = canvas_.raster();
        export_ = new PictureExport(std::move(request), this);

        exportProgress_ = new QProgressDialog(QStringLiteral("Saving %1 at %2 \u00d7 %3\u2026")
                                                  .arg(pathText(choice->file))
                                                  .arg(choice->size.width)
                                                  .arg(choice->size.height),
                                              QStringLiteral("Cancel"), 0, 1000, this);
        exportProgress_->setWindowModality(Qt::NonModal);
        exportProgress_->setMinimumDuration(500);
        exportProgress_->setAutoClose(false);
        exportProgress_->setValue(0);
        connect(export_, &PictureExport::progressed, exportProgress_, &QProgressDialog::setValue);
        connect(exportProgress_, &QProgressDialog::canceled, export_, &PictureExport::cancel);
        connect(export_, &PictureExport::finished, this, &Form1::exportDone);

        // It shows without taking the focus: the window keeps its keys.
        exportProgress_->setAttribute(Qt::WA_ShowWithoutActivating);
        exportProgress_->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        exportProgress_->setFocusPolicy(Qt::NoFocus);
        for (QWidget* inside : exportProgress_->findChildren<QWidget*>()) inside->setFocusPolicy(Qt::NoFocus);
        // Where the platform gives it the focus all the same, the window's
        // shortcuts work there too (its own Cancel has Escape there).
        for (QAction* action : actions())
            if (action != cancelSaveAction_) exportProgress_->addAction(action);
        if (auto* cancel = exportProgress_->findChild<QPushButton*>())
            cancel->setToolTip(tipWithKeys(QStringLiteral("Stops the save"), QStringLiteral("Esc")));
        exportedPicture_ = pictureNumber_;
        cancelSaveAction_->setEnabled(true);
        saveAsAction_->setEnabled(false);
        showStatus(QStringLiteral("saving %1\u2026").arg(pathText(choice->file)));
        export_->start();
    });
}

void Form1::exportDone() {
    const std::filesystem::path file = export_->request().file;
    const Outcome outcome = export_->outcome();
    const bool cancelled = export_->cancelled();
    export_->deleteLater();
    export_ = nullptr;
    delete exportProgress_;
    exportProgress_ = nullptr;
    saveAsAction_->setEnabled(true);
    cancelSaveAction_->setEnabled(false);
    if (outcome) {
        if (exportedPicture_ == pictureNumber_) pictureSaved_ = true;
        showStatus(QStringLiteral("saved to %1").arg(pathText(file)));
    } else {
        showStatus(QStringLiteral("not saved: %1").arg(pathText(file)));
        if (!cancelled) saveFailureReport_(QString::fromStdString(outcome.message));
    }
    emit exportFinished(static_cast<bool>(outcome));
}

void Form1::showHelp() {
    if (!helpBox_) {
        helpBox_ = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Help and about"), helpText(actions()),
                                   QMessageBox::Close, this);
        helpBox_->setObjectName(QStringLiteral("helpBox"));
        helpBox_->setIconPixmap(windowIcon().pixmap(64, 64));
        helpBox_->setTextFormat(Qt::PlainText);
        helpBox_->setWindowModality(Qt::NonModal);
    }
    helpBox_->show();
    helpBox_->raise();
    helpBox_->activateWindow();
}

FullScreenView* Form1::fullScreenView() const { return fullScreen_.data(); }

void Form1::showPictureFullScreen() {
    if (ended_ || !hasPicture_) return;
    if (fullScreen_) {
        fullScreen_->close();
        return;
    }
    fullScreen_ = new FullScreenView(shown_, canvas_.raster(), screenOf(*this));
    // Back from it, the window has the keys again.
    connect(fullScreen_, &QObject::destroyed, this, [this] {
        if (!ended_) activateWindow();
    });
    fullScreen_->showFullScreen();
    fullScreen_->activateWindow();
}

void Form1::openPicture() {
    run([this] {
        const std::optional<std::filesystem::path> file = fileDialogs_->askOpenFile(settings_.dialogFolder());
        if (!file) return;
        settings_.rememberFolder(file->parent_path());
        openFile(*file);
    });
}

bool Form1::readingFile() const { return reader_->busy(); }

void Form1::openFile(const std::filesystem::path& file) {
    if (ended_) return;
    if (!reader_->start(file, [this](const OpenedPicture& opened) { fileDone(opened); })) {
        showStatus(QStringLiteral("still reading a picture file: %1 is not opened").arg(pathText(file)));
        return;
    }
    showStatus(QStringLiteral("reading %1\u2026").arg(pathText(file)));
}

void Form1::fileDone(const OpenedPicture& opened) {
    run([this, &opened] {
        showStatus(QString());
        if (opened.kind != OpenedPicture::Kind::Text) {
            openFailureReport_(windowWords(opened.message));
            return;
        }
        showOpened(opened);
    });
    emit fileRead();
}

void Form1::showOpened(const OpenedPicture& opened) {
    makePicture(opened.text, opened.definition, opened.caption.value_or(true));
    if (opened.width > 0 && opened.height > 0) fileSize_ = PictureSize{opened.width, opened.height, ""};
}

void Form1::takeText(const QString& dropped) {
    run([this, &dropped] {
        const DroppedText taken = takeDroppedText(dropped);
        if (Outcome checked = checkText(taken.text); !checked) {
            openFailureReport_(
                QStringLiteral("The dropped text cannot be used: %1").arg(windowWords(checked.message)));
            return;
        }
        makePicture(taken.text);
        if (!taken.note.empty()) showStatus(QString::fromStdString(taken.note));
    });
}

bool Form1::canTake(const QMimeData& dropped) const {
    if (dropped.hasUrls()) {
        const QList<QUrl> urls = dropped.urls();
        return !urls.isEmpty() && urls.front().isLocalFile();
    }
    return dropped.hasText();
}

void Form1::take(const QMimeData& dropped) {
    if (ended_ || !hasPicture_) return;
    if (dropped.hasUrls()) {
        const QList<QUrl> urls = dropped.urls();
        if (!urls.isEmpty() && urls.front().isLocalFile()) openFile(urls.front().toLocalFile().toStdString());
    } else if (dropped.hasText()) {
        takeText(dropped.text());
    }
}

void Form1::showStatus(const QString& text) {
    // Written straight into the client area beside the buttons, in a strip
    // that no stage draws on (clear of the progress row and the info band),
    // without touching the window's own text colour or position.
    constexpr int kLeft = layout::kSaveStatus.x, kTop = layout::kSaveStatus.y;
    constexpr int kBottom = layout::kSaveStatus.bottom();
    Raster& area = window_.raster();
    for (int y = kTop; y <= kBottom; ++y)
        for (int x = kLeft; x < area.width(); ++x) area.set(x, y, Colour::black());
    statusLine_ = text;
    setAccessibleDescriptionAnnounced(client_, text);
    if (!text.isEmpty()) sharedTextPainter()->draw(area, kLeft, kTop + 2, text.toStdString(), 8, Colour::white());
    client_->update(kLeft, kTop, area.width() - kLeft, kBottom - kTop + 1);
}

void Form1::run(const std::function<void()>& action) {
    if (ended_) return;
    try {
        action();
    } catch (const std::bad_alloc&) {
        runTimeError(QStringLiteral("not enough memory"));
    } catch (const std::exception& failure) {
        runTimeError(QString::fromUtf8(failure.what()));
    } catch (...) {
        runTimeError(QStringLiteral("unknown failure"));
    }
    repaintAll();
}

void Form1::runTimeError(const QString& what) {
    if (ended_) return;
    const QString report = QStringLiteral("Run-time error: %1").arg(what);
    if (hasPicture_ && !pictureSaved_) {
        // A picture not yet saved is worth more than the action that failed.
        errorReport_(report + QStringLiteral("\nThe picture is kept: you can still save it."));
        repaintAll();
        return;
    }
    errorReport_(report);
    endProgram(1);
}

void Form1::repaintAll() {
    // The procedures draw into the rasters; show what they left.
    client_->update();
    for (QWidget* child : client_->findChildren<PictureBox*>()) child->update();
}

void Form1::endProgram(int status) {
    if (ended_) return;
    ended_ = true;
    exitStatus_ = status;
    QCoreApplication::exit(status);
}

void Form1::showOnScreen() {
    // Restored, the window shows the whole layout where the screen has room;
    // where it has not, the client area scrolls.
    const QSize available = screenOf(*this)->availableGeometry().size();
    setMinimumSize(smallestClientArea(available, {}));
    resize(QSize(layout::kLayoutWidth, layout::kLayoutHeight).boundedTo(available));
    showMaximized();
    // The prompt opens right after this: the window must already be on the
    // screen, painted black. Clicks wait until the first picture is made.
    ExposureWait(windowHandle()).wait();
    // Now that its frame is known, the window leaves room for it.
    if (windowHandle()) setMinimumSize(smallestClientArea(available, windowHandle()->frameMargins()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    client_->repaint();
}

void Form1::closeEvent(QCloseEvent* event) {
    // A "Save as" being written is finished first, and a failure told, before
    // the program ends. Its end arrives as a queued signal: no race here.
    if (export_) {
        QEventLoop waiting;
        connect(this, &Form1::exportFinished, &waiting, &QEventLoop::quit);
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
    }
    endProgram(0);
    event->accept();
}

}  // namespace ts
