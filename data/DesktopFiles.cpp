// Writes what the desktop reads about the program into a folder laid out
// like share/: the application entry, the AppStream metainfo and the icon
// theme's icons (the scalable SVG and a PNG at each size asked for), all
// made from the program's own texts and glyph.
//   tessaly-desktop-files SHARE_DIR VERSION DATE SIZE...
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TessalyApp/DesktopEntry.h"
#include "TessalyApp/Qt/DesktopIcon.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaly;

bool writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) std::fprintf(stderr, "tessaly-desktop-files: cannot write %s\n", file.c_str());
    return static_cast<bool>(out);
}

bool writePng(const fs::path& file, int side) {
    fs::create_directories(file.parent_path());
    if (DesktopIcon::image(side).save(QString::fromStdString(file.string()), "PNG")) return true;
    std::fprintf(stderr, "tessaly-desktop-files: cannot write %s\n", file.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tessaly-desktop-files SHARE_DIR VERSION DATE SIZE...\n");
        return 2;
    }
    const fs::path share = argv[1];
    const std::string id(DesktopEntry::id);
    const std::string icon(DesktopEntry::iconName);
    bool written = writeText(share / "applications" / (id + ".desktop"), DesktopEntry::applicationEntry()) &&
                   writeText(share / "metainfo" / (std::string(DesktopEntry::componentId) + ".metainfo.xml"), DesktopEntry::metainfo(argv[2], argv[3])) &&
                   writeText(share / "icons/hicolor/scalable/apps" / (icon + ".svg"), DesktopIcon::svg());
    for (int i = 4; written && i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        const std::string folder = std::to_string(side) + "x" + std::to_string(side);
        written = side > 0 && writePng(share / "icons/hicolor" / folder / "apps" / (icon + ".png"), side);
    }
    return written ? EXIT_SUCCESS : EXIT_FAILURE;
}
