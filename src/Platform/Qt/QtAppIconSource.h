#pragma once
// Application icons by process: the icon the application's window carries
// (_NET_WM_ICON), else the one its desktop entry names (Icon=: a file, or a
// name looked up in the icon theme and the pixmaps folders), else a generic
// application icon. Results are kept per process; a process that only had
// the generic icon is asked again after a while, as clients often set their
// icon just after their window appears. Main thread only.
#include "Platform/AppIcon.h"
#include "Platform/Clock.h"
#include "Platform/Workspace.h"

#include <QImage>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tessaly {

class X11Backend;
class X11WindowIcons;

class QtAppIconSource final : public AppIconSource {
public:
    // Seconds before a process that got the generic icon is asked again.
    static constexpr double kGenericRetry = 2.0;
    // Processes remembered before the cache drops those that have exited.
    static constexpr std::size_t kPruneAbove = 128;

    // Without a backend no window is asked; without a workspace no desktop
    // entry is. `clock` must outlive the source.
    QtAppIconSource(std::shared_ptr<X11Backend> backend, std::shared_ptr<Workspace> workspace,
                    const Clock& clock = SystemClock::shared());
    ~QtAppIconSource() override;

    std::shared_ptr<const AppIcon> icon(ProcessID pid) override;

    // The icon a desktop file names, at about 32 pixels; none when the file names none or it cannot be had.
    static std::optional<AppIcon> desktopEntryIcon(const std::filesystem::path& desktopFile);
    // A neutral icon for applications without one of their own.
    static std::shared_ptr<const AppIcon> genericIcon();

    // Between the platform's pixels and Qt's images.
    static QImage toImage(const AppIcon& icon);
    static AppIcon fromImage(const QImage& image);

private:
    struct Entry {
        std::shared_ptr<const AppIcon> icon;
        bool generic = false;
        double madeAt = 0;
    };
    std::shared_ptr<const AppIcon> lookUp(ProcessID pid, bool& generic);
    void pruneExited();

    std::shared_ptr<X11Backend> backend_;
    std::shared_ptr<Workspace> workspace_;
    const Clock& clock_;
    std::unique_ptr<X11WindowIcons> windowIcons_;
    std::map<ProcessID, Entry> byProcess_;
    std::map<std::string, std::shared_ptr<const AppIcon>> byDesktopEntry_;  // also "no icon" (null)
};

}  // namespace tessaly
