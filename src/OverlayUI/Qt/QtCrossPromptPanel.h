#pragma once
// The cross-display prompt in Qt: a pill of text in the control accent
// colour centred over the target, inside a dark ring along the target's
// edge. No compositor is assumed, so instead of dimming the whole target the
// panel's shape is the ring and the pill; the target shows through. It never
// takes the mouse or the focus.
#include <QStringList>
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
    // The pill's padding around its text.
    static constexpr int pillInsetH = 16;
    static constexpr int pillInsetV = 8;
    static constexpr int maxLines = 2;

    CrossPromptView();
    // Plain text, sanitised.
    void setText(const std::string& text);
    const QString& text() const { return text_; }
    QRect pillRect() const;
    // What the pill shows: the whole text on one line where the target is
    // wide enough, else broken into two lines; cut (the end "…") only when
    // two lines do not hold it either.
    const QStringList& shownLines() const;
    QString shownText() const { return shownLines().join(QLatin1Char('\n')); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Lays the text out again when the text or the width changed.
    void layOut() const;
    void updateMask();
    QStringList breakIntoLines(qreal room) const;
    QString text_;
    // The layout, for the text and the width it was made for.
    mutable QStringList lines_;
    mutable QSize textSize_;
    mutable int laidOutWidth_ = -1;
};

}  // namespace tessaly
