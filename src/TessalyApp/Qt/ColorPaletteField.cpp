#include "TessalyApp/Qt/ColorPaletteField.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "OverlayUI/TabAccents.h"
#include "TessalyApp/Qt/SettingsColorPanel.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

constexpr int kSwatchesPerRow = 10;

// A round swatch that selects its colour when clicked.
class SwatchButton : public QAbstractButton {
public:
    SwatchButton(const ColorPreset& preset, QWidget* parent) : QAbstractButton(parent), color_(preset.color) {
        setToolTip(displayName(preset.name));
        setAccessibleName(displayName(preset.name));
        setCheckable(false);
        setCursor(Qt::PointingHandCursor);
        setFixedSize(28, 28);
    }
    void setMarked(bool marked) {
        if (marked_ == marked) return;
        marked_ = marked;
        update();
    }
    bool isMarked() const { return marked_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawColorSwatch(painter, QRectF(3, 3, 22, 22), color_, marked_, palette().color(QPalette::Highlight));
    }

private:
    TabColor color_;
    bool marked_ = false;
};

}  // namespace

ColorPaletteField::ColorPaletteField(const std::string& title, std::vector<ColorPreset> userPresets,
                                     const TabColor& selection, SettingsColorPanel* panel, QWidget* parent)
    : QWidget(parent),
      state_(selection),
      panel_(panel),
      preview_(new ColorSwatch(selection, 16, this)),
      custom_(new QPushButton(toQString(L10n::customColor()), this)),
      hex_(new QLineEdit(this)),
      hint_(settingsHint(L10n::hexInvalid(), HintStyle::warning, this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* header = new QHBoxLayout();
    auto* titleLabel = new QLabel(toQString(title), this);
    titleLabel->setTextFormat(Qt::PlainText);
    header->addWidget(titleLabel);
    header->addStretch(1);
    header->addWidget(preview_);
    column->addLayout(header);

    addSwatches(L10n::palette(), TabAccents::builtInColorPresets());
    if (!userPresets.empty()) addSwatches(L10n::presets(), userPresets);

    auto* custom = new QHBoxLayout();
    custom->setSpacing(8);
    custom->addWidget(custom_);
    custom_->setEnabled(panel_ != nullptr);
    hex_->setPlaceholderText(QStringLiteral("#RRGGBB"));
    hex_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    hex_->setFixedWidth(96);
    hex_->setText(toQString(state_.hexText()));
    custom->addWidget(hex_);
    custom->addStretch(1);
    column->addLayout(custom);
    column->addWidget(hint_);

    connect(hex_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const TabColor before = state_.selection();
        state_.setHexText(toStdString(text));
        if (onValidityChanged) onValidityChanged(state_.isValid());
        if (state_.selection() != before && onSelectionChanged) onSelectionChanged(state_.selection());
        refresh();
    });
    connect(custom_, &QPushButton::clicked, this, [this] {
        if (!panel_) return;
        panel_->begin(state_.customColor(), this, [this](const TabColor& color) { pick(color); });
    });
    refresh();
}

void ColorPaletteField::addSwatches(const std::string& caption, const std::vector<ColorPreset>& presets) {
    auto* layout = qobject_cast<QVBoxLayout*>(this->layout());
    auto* section = new QVBoxLayout();
    section->setSpacing(4);
    section->addWidget(settingsHint(caption, HintStyle::secondary, this));
    auto* grid = new QGridLayout();
    grid->setSpacing(6);
    grid->setAlignment(Qt::AlignLeft);
    int position = 0;
    for (const ColorPreset& preset : presets) {
        auto* swatch = new SwatchButton(preset, this);
        grid->addWidget(swatch, position / kSwatchesPerRow, position % kSwatchesPerRow);
        ++position;
        connect(swatch, &QAbstractButton::clicked, this, [this, color = preset.color] { pick(color); });
        swatches_.push_back(swatch);
        presets_.push_back(preset);
    }
    section->addLayout(grid);
    layout->addLayout(section);
}

void ColorPaletteField::pick(const TabColor& color) {
    const bool wasValid = state_.isValid();
    state_.select(color);
    hex_->setText(toQString(state_.hexText()));
    if (onSelectionChanged) onSelectionChanged(state_.selection());
    if (wasValid != state_.isValid() && onValidityChanged) onValidityChanged(state_.isValid());
    refresh();
}

void ColorPaletteField::select(const TabColor& color) { pick(color); }

bool ColorPaletteField::isSwatchMarked(std::size_t index) const {
    return index < swatches_.size() && static_cast<const SwatchButton*>(swatches_[index])->isMarked();
}

void ColorPaletteField::refresh() {
    preview_->setColor(state_.selection());
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        static_cast<SwatchButton*>(swatches_[i])->setMarked(state_.isMarked(presets_[i].color));
    }
    hint_->setVisible(!state_.isValid());
}

void ColorPaletteField::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (reportedOnce_) return;
    reportedOnce_ = true;
    if (onValidityChanged) onValidityChanged(state_.isValid());
}

}  // namespace tessaly
