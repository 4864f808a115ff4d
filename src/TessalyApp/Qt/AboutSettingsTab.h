#pragma once
// The About page: the program's mark, name, version and build, a button to
// look for updates when an update controller exists, and the credit line.
#include <QWidget>

#include <functional>

class QPushButton;

namespace tessaly {

class AboutSettingsTab : public QWidget {
    Q_OBJECT
public:
    // `checkForUpdates` empty: no update controller, no button.
    explicit AboutSettingsTab(std::function<void()> checkForUpdates = nullptr, QWidget* parent = nullptr);


private:
    QPushButton* update_ = nullptr;
};

}  // namespace tessaly
