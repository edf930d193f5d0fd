#include "gui/main_window.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <exception>

#include "files/pictures_folder.hpp"
#include "gui/qt_text_dialog.hpp"
#include "qt/qt_image.hpp"
#include "qt/qt_surfaces.hpp"
#include "seed/read_text_seed.hpp"

namespace ts {

namespace {

QRect rectOf(const layout::Rect& r) { return {r.x, r.y, r.width, r.height}; }

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

}  // namespace

PictureBox::PictureBox(const Raster& raster, QWidget* parent) : QWidget(parent), raster_(raster) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, imageOf(raster_));
}

Form1::Form1(std::unique_ptr<TextDialog> dialog, std::unique_ptr<Clock> clock)
    : window_(makeWindowSurface(windowSurfaceSize().width(), windowSurfaceSize().height())),
      canvas_(makeCanvas()),
      composite_(makeComposite()),
      clock_(clock ? std::move(clock) : std::make_unique<SystemClock>()),
      dialog_(dialog ? std::move(dialog) : std::make_unique<QtTextDialog>(this)),
      tools_{window_, canvas_, *clock_, random_} {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    errorReport_ = [this](const QString& text) { QMessageBox::critical(this, QString(), text); };
    saveFailureReport_ = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Picture not saved"), text);
    };

    // Later children lie on top: Picture1 goes over Picture2.
    auto* picture2 = new PictureBox(composite_.raster(), this);
    picture2->setObjectName(QStringLiteral("Picture2"));
    picture2->setGeometry(rectOf(layout::kPicture2));
    auto* picture1 = new PictureBox(canvas_.raster(), this);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setGeometry(rectOf(layout::kPicture1));

    using namespace layout;
    QPushButton* command1 =
        addButton("Command1", QStringLiteral("CREATE TEXT-BASE IMAGE"), kHeadingButton, kLargeCaptionPixels);
    QPushButton* command5 =
        addButton("Command5", QStringLiteral("new text / new image"), kNewButton, kSmallCaptionPixels);
    QPushButton* command2 = addButton("Command2", QStringLiteral("exit"), kExitButton, kSmallCaptionPixels);
    QPushButton* command3 = addButton("Command3", QStringLiteral("save on disk D:"), kSaveButton, kSmallCaptionPixels);
    QPushButton* command4 = addButton("Command4", QStringLiteral("Textscape \u2014 type a text, get a picture"),
                                      kBannerButton, kLargeCaptionPixels);

    command3->setToolTip(QStringLiteral("Saves the picture as a bitmap in %1")
                             .arg(QString::fromStdString(homeRelative(picturesFolder()))));
    connect(command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(command3, &QPushButton::clicked, this, &Form1::Command3_Click);

    // Keyboard order: Picture1, exit, banner, new, heading, Picture2, save.
    QWidget* const order[] = {picture1, command2, command4, command5, command1, picture2, command3};
    for (std::size_t k = 1; k < std::size(order); ++k) QWidget::setTabOrder(order[k - 1], order[k]);
    picture1->setFocus();
}

Form1::~Form1() = default;

QPushButton* Form1::addButton(const char* name, const QString& caption, const layout::Rect& place, int fontPixels) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    // Small buttons need a small font for their captions to fit.
    QFont font(sharedTextPainter()->family());
    font.setPixelSize(fontPixels);
    button->setFont(font);
    button->setGeometry(rectOf(place));
    button->setAutoDefault(false);
    return button;
}

void Form1::start() {
    run([this] {
        showOnScreen();
        random_.reseed(clock_->secondsSinceMidnight());
        state_.t1 = "type any text (100 characters max)";
        state_.t2 = "the program is case-sensitive";
        window_.clear();
        window_.setBackground(Colour::black());
        SetGeometry(state_);
        askAndMakePicture();
    });
}

void Form1::Command5_Click() {
    run([this] { askAndMakePicture(); });
}

void Form1::askAndMakePicture() {
    // The prompt's two lines are joined by a carriage return.
    const std::string prompt = state_.t1 + '\r' + state_.t2;
    std::string text;
    do {
        text = dialog_->ask(prompt, layout::kPromptLeftTwips, layout::kPromptTopTwips);
    } while (!checkText(text));
    MakePicture(state_, std::move(text), tools_);
}

void Form1::Command2_Click() { endProgram(0); }

void Form1::Command3_Click() {
    run([this] {
        showSaveStatus(QString());
        // The mark's strip is painted at once, column by column, so that it
        // is seen moving while the copy runs.
        using namespace layout;
        const Outcome saved =
            SaveComposite(state_, canvas_, composite_, window_, saveHistory_, picturesFolder(), [this](int column) {
                repaint(column + kMarkTrail, kMarkTop, kMarkLead - kMarkTrail + 1, kMarkBottom - kMarkTop + 1);
            });
        const QString file = QString::fromStdString(homeRelative(saved.file));
        if (saved) {
            showSaveStatus(QStringLiteral("saved to %1").arg(file));
        } else {
            showSaveStatus(QStringLiteral("not saved: %1").arg(file));
            saveFailureReport_(QString::fromStdString(saved.message));
        }
    });
}

void Form1::showSaveStatus(const QString& text) {
    // Written straight into the client area beside the buttons, in a strip
    // that no stage draws on (clear of the progress row and the info band),
    // without touching the window's own text colour or position.
    constexpr int kLeft = layout::kSaveStatus.x, kTop = layout::kSaveStatus.y;
    constexpr int kBottom = layout::kSaveStatus.bottom();
    Raster& area = window_.raster();
    for (int y = kTop; y <= kBottom; ++y)
        for (int x = kLeft; x < area.width(); ++x) area.set(x, y, Colour::black());
    saveStatus_ = text;
    if (!text.isEmpty()) sharedTextPainter()->draw(area, kLeft, kTop + 2, text.toStdString(), 8, Colour::white());
    update(kLeft, kTop, area.width() - kLeft, kBottom - kTop + 1);
}

void Form1::run(const std::function<void()>& action) {
    if (ended_) return;
    try {
        action();
    } catch (const std::exception& failure) {
        errorReport_(QStringLiteral("Run-time error: %1").arg(QString::fromUtf8(failure.what())));
        endProgram(1);
    } catch (...) {
        errorReport_(QStringLiteral("Run-time error: unknown failure"));
        endProgram(1);
    }
    // The procedures draw into the rasters; show what they left.
    update();
    for (QWidget* child : findChildren<PictureBox*>()) child->update();
}

void Form1::endProgram(int status) {
    if (ended_) return;
    ended_ = true;
    exitStatus_ = status;
    QCoreApplication::exit(status);
}

void Form1::showOnScreen() {
    showMaximized();
    // The prompt opens right after this: the window must already be on the
    // screen, painted black. Clicks wait until the first picture is made.
    ExposureWait(windowHandle()).wait();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void Form1::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage image = imageOf(window_.raster());
    const QRect inside = event->rect() & image.rect();
    if (!inside.isEmpty()) painter.drawImage(inside.topLeft(), image, inside);
    // A window stretched past its raster stays black there.
    for (const QRect& outside : QRegion(event->rect()).subtracted(image.rect())) painter.fillRect(outside, Qt::black);
}

void Form1::closeEvent(QCloseEvent* event) {
    endProgram(0);
    event->accept();
}

}  // namespace ts
