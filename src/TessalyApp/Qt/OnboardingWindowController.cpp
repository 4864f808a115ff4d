#include "TessalyApp/Qt/OnboardingWindowController.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>

#include <utility>

#include "Platform/Qt/QtWindowActivation.h"
#include "TessalyApp/Qt/AppGlyph.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

// The window; closing it by its close button (or close()) tells the owner.
class OnboardingWindowController::Window final : public QWidget {
public:
    explicit Window(std::function<void()> onClose)
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                               Qt::WindowStaysOnTopHint),
          onClose_(std::move(onClose)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        if (onClose_) onClose_();
        event->accept();
    }

private:
    std::function<void()> onClose_;
};

namespace {

constexpr int kWidth = 420;
constexpr int kPadding = 32;
constexpr int kSpacing = 16;
constexpr int kGlyphSize = 48;

QLabel* centredLabel(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

}  // namespace

OnboardingWindowController::OnboardingWindowController(PermissionsCoordinator& permissions,
                                                       std::function<void()> onGranted)
    : permissions_(permissions), onGranted_(std::move(onGranted)) {
    // The window dies with this controller, so its close hook may hold it.
    window_ = std::make_unique<Window>([this] { permissions_.stopWaiting(); });
    window_->setWindowTitle(QString::fromStdString(L10n::onboardingTitle()));

    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);
    layout->setAlignment(Qt::AlignHCenter);

    const bool darkWindow = window_->palette().color(QPalette::Window).lightnessF() < 0.5;
    auto* glyph = new QLabel(window_.get());
    glyph->setPixmap(AppGlyph::pixmap(kGlyphSize, darkWindow ? AppGlyph::Panel::dark : AppGlyph::Panel::light,
                                      window_->devicePixelRatioF()));
    glyph->setAlignment(Qt::AlignHCenter);
    layout->addWidget(glyph);

    QLabel* name = centredLabel("Tessaly", window_.get());
    QFont titleFont = name->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    name->setFont(titleFont);
    layout->addWidget(name);

    QLabel* body = centredLabel(L10n::onboardingBody(), window_.get());
    body->setWordWrap(true);
    body->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(body);

    if (permissions_.hasSettingsPage()) {
        grantButton_ = new QPushButton(QString::fromStdString(L10n::onboardingGrantButton()), window_.get());
        grantButton_->setDefault(true);
        QObject::connect(grantButton_, &QPushButton::clicked, window_.get(), [this] { requestGrant(); });
        layout->addWidget(grantButton_, 0, Qt::AlignHCenter);
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
            auto* shortcut = new QShortcut(QKeySequence(key), window_.get());
            QObject::connect(shortcut, &QShortcut::activated, grantButton_, &QPushButton::click);
        }
    }

    window_->setFixedWidth(kWidth);
    window_->setFixedHeight(window_->sizeHint().height());
}

OnboardingWindowController::~OnboardingWindowController() = default;

QWidget& OnboardingWindowController::window() { return *window_; }
bool OnboardingWindowController::isVisible() const { return window_->isVisible(); }

void OnboardingWindowController::show() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window_->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window_->move(frame.topLeft());
    }
    QtWindowActivation::bringToFront(*window_);
}

void OnboardingWindowController::raise() {
    if (window_->isVisible()) window_->raise();
}

void OnboardingWindowController::close() { window_->close(); }

void OnboardingWindowController::requestGrant() {
    permissions_.requestTrust();
    permissions_.openAccessibilitySettings();
    // Hidden, not closed: the poll goes on.
    window_->hide();
}

}  // namespace tessaly
