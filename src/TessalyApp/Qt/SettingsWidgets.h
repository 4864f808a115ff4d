#pragma once
// The small pieces every settings page is made of: the grouped sections of
// a form, the explanatory hint lines, plain-text labels for names that come
// from other programs or from the user, and the round colour swatch.
#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

#include "TessalyCore/TabColor.h"

class QBoxLayout;
class QCheckBox;
class QPainter;
class QVBoxLayout;

namespace tessaly {

// The foreground of a hint line: help, a quieter note, or a warning or an
// error that blocks saving.
enum class HintStyle { secondary, tertiary, warning };

QString toQString(std::string_view text);
std::string toStdString(const QString& text);
QColor toQColor(const TabColor& color);
TabColor toTabColor(const QColor& color);

// A hint line: the callout font (a little smaller than the body) in the
// style's colour, wrapping, plain text.
QLabel* settingsHint(const std::string& text, HintStyle style, QWidget* parent = nullptr);
void setHintStyle(QLabel& label, HintStyle style);

// A label that shows `text` as it is (no markup), after the display-text
// clean-up of names that come from other programs or the user.
QLabel* plainLabel(std::string_view text, QWidget* parent = nullptr);
// The same clean-up, for widgets that take a QString (buttons, menu items;
// '&' doubled so it is not read as a mnemonic).
QString displayName(std::string_view text);
QString menuText(std::string_view text);

// A colour swatch: `circle` filled with the colour, a faint dark rim, and,
// when marked, a ring 2 points outside it in `ring`'s colour.
void drawColorSwatch(QPainter& painter, const QRectF& circle, const TabColor& color, bool marked, const QColor& ring);

// A check box whose title wraps (a QCheckBox's own text never does): the
// box, then the title as a wrapping label that toggles the box when
// clicked. The box keeps the title as its accessible name.
QWidget* wrappingCheckBoxRow(QCheckBox* box, const std::string& title, QWidget* parent = nullptr);

// One section of a grouped form: a titled box with a vertical layout.
class SettingsSection : public QGroupBox {
    Q_OBJECT
public:
    explicit SettingsSection(const std::string& title, QWidget* parent = nullptr);
    QVBoxLayout& rows() { return *rows_; }
    // A row with a label on the left and `field` on the right; the label
    // wraps when the field leaves it too little room.
    void addLabeledRow(const std::string& label, QWidget* field);

private:
    QVBoxLayout* rows_;
};

// A filled circle of a colour with a faint dark rim.
class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(const TabColor& color, int diameter, QWidget* parent = nullptr);
    void setColor(const TabColor& color);
    const TabColor& color() const { return color_; }
    // A ring around the swatch in the highlight colour (the selection mark).
    void setMarked(bool marked);
    bool isMarked() const { return marked_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TabColor color_;
    int diameter_;
    bool marked_ = false;
};

}  // namespace tessaly
