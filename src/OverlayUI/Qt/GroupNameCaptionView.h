#pragma once
// The group's name at the leading end of a tab bar, in a semibold 11-pixel
// font, cut at the tail beyond 160 pixels. It never takes the mouse: clicks
// reach the bar beneath.
#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

namespace tessaly {

class GroupNameCaptionView : public QWidget {
public:
    static constexpr int maxWidth = 160;

    explicit GroupNameCaptionView(QWidget* parent);

    // Called whenever the shown name changes (the bar lays its row out again).
    std::function<void()> onFootprintChange;

    // The name as shown: sanitised, absent when it sanitises to nothing.
    // The same name again changes nothing and does not call onFootprintChange.
    void setName(const std::optional<std::string>& name);
    const std::optional<std::string>& name() const { return name_; }
    void setTextColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<std::string> name_;
    QString shown_;
    QColor textColor_{Qt::black};
};

}  // namespace tessaly
