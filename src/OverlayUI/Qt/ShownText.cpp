#include "OverlayUI/Qt/ShownText.h"

#include "TessalyCore/DisplayText.h"

namespace tessaly::ShownText {

std::string cut(std::string text, std::size_t limit) {
    if (text.size() <= limit) return text;
    return DisplayText::truncated(text, limit);
}

QString sanitizedAndCut(std::string_view raw, std::size_t limit) {
    return QString::fromStdString(cut(DisplayText::sanitized(raw), limit));
}

}  // namespace tessaly::ShownText
