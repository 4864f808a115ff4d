#pragma once
// Application icons by process: the icon the application's window carries
// (_NET_WM_ICON), else the one its desktop entry names (Icon=: a file in
// the icon folders, or a name looked up through Qt in the icon theme and the
// pixmaps folders), else the icon pixmap of its window's WM_HINTS (older X
// clients), else a generic application icon. Results are kept per process;
// a process that only had the generic icon is asked again after a while, as
// clients often set their icon just after their window appears. Main
// thread only.
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

    // The icon a desktop file names, at about 32 pixels; none when the file
    // names none, or a file outside the icon folders, or one that cannot be had.
    static std::optional<AppIcon> desktopEntryIcon(const std::filesystem::path& desktopFile);
    // Points Qt's icon lookup at the desktop's icon folders ($XDG_DATA_HOME
    // and $XDG_DATA_DIRS, ~/.icons) and, where no desktop environment told
    // Qt its icon theme, at the system's default theme (else hicolor).
    // The source does this when it is made.
    static void useDesktopIconFolders();
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
