#pragma once
// The cross-display prompt in Qt: a pill of text in the control accent
// colour centred over the target, inside a dark ring along the target's
// edge. No compositor is assumed, so instead of dimming the whole target the
// panel's shape is the ring and the pill; the target shows through. It never
// takes the mouse or the focus.
#include <QWidget>

#include <memory>

#include "OverlayUI/CrossPromptPanel.h"
#include "OverlayUI/Qt/QtOverlayPanel.h"

namespace tessaly {

class CrossPromptView;

class QtCrossPromptPanel final : public CrossPromptPanel {
public:
    QtCrossPromptPanel();
    ~QtCrossPromptPanel() override;

    void show(const std::string& text, const Rect& over) override;
    void hide() override;
    bool isShown() const override { return panel_ && panel_->isVisible(); }

    // The window is made when first needed: most sessions never show it.
    QtOverlayPanel& panel();
    CrossPromptView& view();

private:
    CrossPromptView* view_ = nullptr;  // owned by panel_
    std::unique_ptr<QtOverlayPanel> panel_;
};

// The prompt's content (public for tests).
class CrossPromptView : public QWidget {
public:
    static constexpr int ringWidth = 4;

    CrossPromptView();
    // Plain text, sanitised.
    void setText(const std::string& text);
    const QString& text() const { return text_; }
    QRect pillRect() const;
    // What the pill shows: the whole text, cut only when the target is
    // narrower than the text.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateMask();
    int textWidth() const;
    QString text_;
};

}  // namespace tessaly
