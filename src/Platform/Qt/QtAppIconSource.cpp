// The X11 headers come first: one of them has a member named like a Qt
// keyword macro.
#include "Platform/X11/X11Applications.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11WindowIcons.h"

#include "Platform/Qt/QtAppIconSource.h"

#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace tessaly {

namespace fs = std::filesystem;

namespace {

constexpr int kSide = X11WindowIcons::kPreferredSide;
// Image files larger than this, or with a side past kMaxImageSide, are not
// read: an icon never needs them.
constexpr std::uintmax_t kMaxImageFileBytes = 8u << 20;
constexpr int kMaxImageSide = 4096;

// An image file scaled down to fit the icon size; none when it is missing,
// unreadable or absurdly large.
std::optional<QImage> readImageFile(const fs::path& file) {
    std::error_code error;
    const auto bytes = fs::file_size(file, error);
    if (error || !fs::is_regular_file(file, error) || bytes > kMaxImageFileBytes) return std::nullopt;
    QImageReader reader(QString::fromStdString(file.string()));
    const QSize size = reader.size();
    if (size.isValid()) {
        if (size.width() > kMaxImageSide || size.height() > kMaxImageSide) return std::nullopt;
        if (size.width() > kSide || size.height() > kSide) {
            reader.setScaledSize(size.scaled(kSide, kSide, Qt::KeepAspectRatio));
        }
    }
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    if (image.width() > kSide || image.height() > kSide) {
        image = image.scaled(kSide, kSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

// Each data directory's `folder` ("icons" or "pixmaps"), the user's first.
std::vector<fs::path> dataFolders(const char* folder) {
    std::vector<fs::path> folders;
    for (const auto& applications : desktopEntryDirectories()) folders.push_back(applications.parent_path() / folder);
    return folders;
}

// Where icon themes are kept: ~/.icons and the data directories' "icons".
std::vector<fs::path> themeFolders() {
    std::vector<fs::path> folders;
    if (const char* home = std::getenv("HOME"); home && *home) folders.push_back(fs::path(home) / ".icons");
    const auto data = dataFolders("icons");
    folders.insert(folders.end(), data.begin(), data.end());
    return folders;
}

// Whether `file` (symbolic links followed) lies inside a folder of icons.
bool insideIconFolders(const fs::path& file) {
    std::error_code error;
    const fs::path real = fs::canonical(file, error);
    if (error) return false;
    std::vector<fs::path> folders = themeFolders();
    const auto pixmaps = dataFolders("pixmaps");
    folders.insert(folders.end(), pixmaps.begin(), pixmaps.end());
    for (const auto& folder : folders) {
        const fs::path base = fs::canonical(folder, error);
        if (error) continue;
        const fs::path relative = real.lexically_relative(base);
        if (!relative.empty() && *relative.begin() != "..") return true;
    }
    return false;
}

QStringList withFolders(const QStringList& current, const std::vector<fs::path>& folders) {
    QStringList paths;
    for (const auto& folder : folders) paths << QString::fromStdString(folder.string());
    for (const QString& path : current) {
        if (!paths.contains(path)) paths << path;
    }
    return paths;
}

// A name looked up the way launchers do, through Qt: the icon theme (and
// the themes it follows, hicolor last), then the pixmaps folders.
std::optional<QImage> namedIcon(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return std::nullopt;
    std::vector<std::string> names{name};
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        const std::string extension = name.substr(dot);
        if (extension == ".png" || extension == ".xpm" || extension == ".svg") names.push_back(name.substr(0, dot));
    }
    for (const auto& candidate : names) {
        const QIcon themed = QIcon::fromTheme(QString::fromStdString(candidate));
        if (themed.isNull()) continue;
        const QImage image = themed.pixmap(QSize(kSide, kSide)).toImage();
        if (!image.isNull()) return image;
    }
    return std::nullopt;
}

}  // namespace

QtAppIconSource::QtAppIconSource(std::shared_ptr<X11Backend> backend, std::shared_ptr<Workspace> workspace,
                                 const Clock& clock)
    : backend_(std::move(backend)), workspace_(std::move(workspace)), clock_(clock) {
    if (backend_) windowIcons_ = std::make_unique<X11WindowIcons>(backend_->connection(), backend_->windows());
    useDesktopIconFolders();
}

void QtAppIconSource::useDesktopIconFolders() {
    QIcon::setThemeSearchPaths(withFolders(QIcon::themeSearchPaths(), themeFolders()));
    QIcon::setFallbackSearchPaths(withFolders(QIcon::fallbackSearchPaths(), dataFolders("pixmaps")));
    // A theme the desktop environment told Qt stays; otherwise the system's
    // "default" theme (which names the theme it follows), else hicolor.
    static QString chosenHere;
    const QString theme = QIcon::themeName();
    if (!theme.isEmpty() && theme != QLatin1String("hicolor") && theme != chosenHere) return;
    bool hasDefault = false;
    for (const auto& folder : themeFolders()) {
        std::error_code error;
        hasDefault = hasDefault || fs::is_regular_file(folder / "default" / "index.theme", error);
    }
    chosenHere = hasDefault ? QStringLiteral("default") : QStringLiteral("hicolor");
    QIcon::setThemeName(chosenHere);
}

QtAppIconSource::~QtAppIconSource() = default;

std::shared_ptr<const AppIcon> QtAppIconSource::icon(ProcessID pid) {
    const double now = clock_.monotonic();
    if (const auto it = byProcess_.find(pid); it != byProcess_.end()) {
        if (!it->second.generic || now - it->second.madeAt < kGenericRetry) return it->second.icon;
    }
    if (byProcess_.size() >= kPruneAbove) pruneExited();
    bool generic = false;
    auto found = lookUp(pid, generic);
    byProcess_[pid] = Entry{found, generic, now};
    return found;
}

std::shared_ptr<const AppIcon> QtAppIconSource::lookUp(ProcessID pid, bool& generic) {
    generic = false;
    if (windowIcons_) {
        if (auto own = windowIcons_->processIcon(pid)) return std::make_shared<const AppIcon>(std::move(*own));
    }
    if (workspace_) {
        const auto app = workspace_->runningApplication(pid);
        if (app && app->bundlePath && !app->bundlePath->empty()) {
            auto it = byDesktopEntry_.find(*app->bundlePath);
            if (it == byDesktopEntry_.end()) {
                auto fromEntry = desktopEntryIcon(*app->bundlePath);
                std::shared_ptr<const AppIcon> shared;
                if (fromEntry) shared = std::make_shared<const AppIcon>(std::move(*fromEntry));
                it = byDesktopEntry_.emplace(*app->bundlePath, std::move(shared)).first;
            }
            if (it->second) return it->second;
        }
    }
    if (windowIcons_) {
        if (auto hinted = windowIcons_->processHintsIcon(pid)) {
            return std::make_shared<const AppIcon>(std::move(*hinted));
        }
    }
    generic = true;
    return genericIcon();
}

void QtAppIconSource::pruneExited() {
    std::erase_if(byProcess_, [](const auto& entry) { return !processIsAlive(entry.first); });
}

std::optional<AppIcon> QtAppIconSource::desktopEntryIcon(const fs::path& desktopFile) {
    const auto entry = readDesktopEntry(desktopFile);
    if (!entry || entry->icon.empty()) return std::nullopt;
    const fs::path file(entry->icon);
    std::optional<QImage> image;
    if (!file.is_absolute()) image = namedIcon(entry->icon);
    else if (insideIconFolders(file)) image = readImageFile(file);
    if (!image) return std::nullopt;
    return fromImage(*image);
}

std::shared_ptr<const AppIcon> QtAppIconSource::genericIcon() {
    static const std::shared_ptr<const AppIcon> generic = [] {
        const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
        QImage image = themed.isNull() ? QImage() : themed.pixmap(QSize(kSide, kSide)).toImage();
        if (image.isNull()) {
            // A plain rounded tile, drawn so that there is always something.
            image = QImage(kSide, kSide, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(QColor(96, 96, 96), 1.5));
            painter.setBrush(QColor(176, 176, 176));
            painter.drawRoundedRect(QRectF(3.5, 3.5, kSide - 7, kSide - 7), 6, 6);
            painter.fillRect(QRectF(8, 9, kSide - 16, 3), QColor(96, 96, 96));
        }
        return std::make_shared<const AppIcon>(fromImage(image));
    }();
    return generic;
}

QImage QtAppIconSource::toImage(const AppIcon& icon) {
    const auto pixels = static_cast<std::size_t>(std::max(icon.width, 0)) * static_cast<std::size_t>(std::max(icon.height, 0));
    if (pixels == 0 || icon.argb.size() < pixels) return {};
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < icon.height; ++y) {
        std::memcpy(image.scanLine(y), icon.argb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(icon.width),
                    static_cast<std::size_t>(icon.width) * sizeof(std::uint32_t));
    }
    return image;
}

AppIcon QtAppIconSource::fromImage(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    AppIcon icon;
    if (image.isNull()) return icon;
    icon.width = image.width();
    icon.height = image.height();
    icon.argb.resize(static_cast<std::size_t>(icon.width) * static_cast<std::size_t>(icon.height));
    for (int y = 0; y < icon.height; ++y) {
        std::memcpy(icon.argb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(icon.width), image.constScanLine(y),
                    static_cast<std::size_t>(icon.width) * sizeof(std::uint32_t));
    }
    return icon;
}

}  // namespace tessaly
